#pragma once
// The text operations with which the listing pipeline and the importers take HTML apart. Texts are
// Windows-1252 byte strings, positions 1-based. Everything compares without regard to case (through
// upperTable()) unless its name or comment says otherwise. Patterns are expected to be non-empty.
#include <string>
#include <string_view>

namespace vellora {

// Case-sensitive search from start (>= 1); -1 when absent.
int findFrom(std::string_view pattern, std::string_view text, int start);

// Replace every occurrence; return the number of replacements. replaceAll is case-sensitive.
int replaceAll(std::string& text, std::string_view pattern, std::string_view replacement);
int replaceAllNoCase(std::string& text, std::string_view pattern, std::string_view replacement);
// replaceAllNoCase with an empty replacement; returns the number of removals.
int removeAll(std::string& text, std::string_view pattern);

// Deletes from the first open to the end of the first close found behind the open's first character.
bool removeFirstSpan(std::string& text, std::string_view open, std::string_view close);

// Cuts the first span from open to the end of the first close behind the open into piece.
// piece is cleared when there is no such span; the text then stays as it is.
bool cutSpan(std::string& text, std::string& piece, std::string_view open, std::string_view close);
bool cutSpanCase(std::string& text, std::string& piece, std::string_view open, std::string_view close);
// cutSpan, then the piece keeps only what lies between open and close.
bool cutInner(std::string& text, std::string& piece, std::string_view open, std::string_view close);

// The text becomes what follows the first occurrence of marker.
bool dropThrough(std::string& text, std::string_view marker);

void rot13Text(std::string& text);
char rot13Char(char c);

// Undoes UTF-8 read as Windows-1252 for the characters listing pages actually carry.
void repairUtf8(std::string& text);
// Decodes &amp; &quot; &lt; &gt; and a fixed set of decimal references (case-sensitive).
void decodeEntities(std::string& text);

// Backslashes become "/"; an absolute Linux path gives file:///path, a drive path file:///C:/...
std::string toFileUrl(std::string_view path);
// The upper-cased leading run of digits and A-Z of the file name (after the last "\" or "/").
std::string waypointFromFileName(std::string_view path);

// Drop leading / trailing bytes with a code of 32 or less.
std::string trimLeadingControl(std::string_view text);
std::string trimTrailingControl(std::string_view text);
// Both ends at once; a view into text.
std::string_view trimControl(std::string_view text);
// Drop leading / trailing blanks (spaces and tabs) only.
std::string_view stripBlanks(std::string_view text);

}  // namespace vellora
