#pragma once
// Search and replace primitives on Windows-1252 byte strings. Positions are 1-based, 0 means
// "not found". The search uses a skip table over the pattern (Horspool); the case-insensitive
// flavour folds both sides through upperTable(). The search never allocates; replace-all writes
// its result into one buffer sized ahead.
#include <cstddef>
#include <string>
#include <string_view>

namespace vellora {

// First occurrence of pattern in text at or after start (>= 1), or 0. An empty pattern, a pattern
// longer than the text or a start behind the text give 0. A start below 1 aborts.
int fastPos(std::string_view text, std::string_view pattern, int start = 1);
int fastPosNoCase(std::string_view text, std::string_view pattern, int start = 1);

// First occurrence of c at or after start (>= 1), or 0. A start below 1 aborts.
int fastCharPos(std::string_view text, char c, int start = 1);

// Replaces every occurrence left to right without overlap, resuming behind each match. Returns the
// number of replacements; text is rewritten only when there was at least one.
int fastReplace(std::string& text, std::string_view pattern, std::string_view replacement, bool ignoreCase);

// Up to count characters from start; empty for a non-positive start or count or a start behind the text.
std::string fastCopy(std::string_view text, int start, int count);

// The size replace-all reserves for its result before the pass: the text's length, scaled by
// replacement/pattern when the replacement is longer; (length + replacement) * 1.5 when that is 0.
std::size_t replaceBufferSize(std::size_t textLength, std::size_t patternLength,
                              std::size_t replacementLength);

namespace detail {
// fastReplace starting from a given buffer size, so tests can drive the 1.5x growth path.
int replaceWithBuffer(std::string& text, std::string_view pattern, std::string_view replacement,
                      bool ignoreCase, std::size_t initialSize);
}  // namespace detail

}  // namespace vellora
