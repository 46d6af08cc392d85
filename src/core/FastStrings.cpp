#include "core/FastStrings.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Deliberately active in release builds too: a bad start position is a caller's bug.
[[noreturn]] void programmingError(const char* what) {
    std::fprintf(stderr, "FastStrings: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

void requireStart(int start) {
    if (start < 1) programmingError("start position below 1");
}

// Horspool search: compare the window right to left, on a mismatch shift by the skip entry of the
// text byte under the window's last position. Built once per pattern so replace-all reuses it.
template <bool kIgnoreCase>
class Searcher {
public:
    explicit Searcher(std::string_view pattern)
        : upper_(upperTable()),
          p_(reinterpret_cast<const unsigned char*>(pattern.data())),
          m_(pattern.size()) {
        // 32-bit entries keep the table small for the many short searches; a shift cut to the
        // maximum only shifts less, which never skips a match.
        skip_.fill(clampShift(m_));
        for (std::size_t i = 0; i + 1 < m_; ++i) skip_[fold(p_[i])] = clampShift(m_ - 1 - i);
    }

    // 0-based index of the first match at or after from, or kNone. Requires a non-empty pattern.
    std::size_t find(std::string_view text, std::size_t from) const {
        const std::size_t n = text.size();
        if (m_ > n) return kNone;
        const auto* t = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t last = m_ - 1;
        const std::size_t lastStart = n - m_;
        std::size_t i = from;
        while (i <= lastStart) {
            const unsigned char* w = t + i;
            std::size_t j = last;
            while (fold(w[j]) == fold(p_[j])) {
                if (j == 0) return i;
                --j;
            }
            i += skip_[fold(w[last])];
        }
        return kNone;
    }

private:
    static std::uint32_t clampShift(std::size_t shift) {
        return shift > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(shift);
    }

    unsigned char fold(unsigned char b) const {
        if constexpr (kIgnoreCase)
            return upper_[b];
        else
            return b;
    }

    const std::array<unsigned char, 256>& upper_;
    const unsigned char* p_;
    std::size_t m_;
    std::array<std::uint32_t, 256> skip_;
};

template <bool kIgnoreCase>
int searchFrom(std::string_view text, std::string_view pattern, int start) {
    requireStart(start);
    if (pattern.empty() || pattern.size() > text.size()) return 0;
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (from > text.size() - pattern.size()) return 0;
    const std::size_t hit = Searcher<kIgnoreCase>(pattern).find(text, from);
    return hit == kNone ? 0 : static_cast<int>(hit + 1);
}

// Output buffer of the single replace pass: sized ahead, grown by half its size when a piece does
// not fit, cut to the written length at the end.
class ReplaceBuffer {
public:
    explicit ReplaceBuffer(std::size_t size) { buf_.resize(size); }

    void put(const char* src, std::size_t len) {
        if (len == 0) return;
        const std::size_t needed = used_ + len;
        if (needed > buf_.size()) {
            std::size_t grown = buf_.empty() ? 1 : buf_.size();
            while (grown < needed) grown += (grown + 1) / 2;
            buf_.resize(grown);
        }
        std::memcpy(buf_.data() + used_, src, len);
        used_ = needed;
    }

    std::string take() {
        buf_.resize(used_);
        return std::move(buf_);
    }

private:
    std::string buf_;
    std::size_t used_ = 0;
};

template <bool kIgnoreCase>
int replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
               std::size_t initialSize) {
    if (text.empty() || pattern.empty() || pattern.size() > text.size()) return 0;
    const Searcher<kIgnoreCase> searcher(pattern);
    std::size_t hit = searcher.find(text, 0);
    if (hit == kNone) return 0;

    // pattern and replacement may view into text: everything is copied before text is replaced.
    ReplaceBuffer out(initialSize);
    int count = 0;
    std::size_t from = 0;
    do {
        out.put(text.data() + from, hit - from);
        out.put(replacement.data(), replacement.size());
        ++count;
        from = hit + pattern.size();
        hit = searcher.find(text, from);
    } while (hit != kNone);
    out.put(text.data() + from, text.size() - from);
    text = out.take();
    return count;
}

}  // namespace

int fastPos(std::string_view text, std::string_view pattern, int start) {
    return searchFrom<false>(text, pattern, start);
}

int fastPosNoCase(std::string_view text, std::string_view pattern, int start) {
    return searchFrom<true>(text, pattern, start);
}

int fastCharPos(std::string_view text, char c, int start) {
    requireStart(start);
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return 0;
    const void* hit = std::memchr(text.data() + from, static_cast<unsigned char>(c), text.size() - from);
    return hit ? static_cast<int>(static_cast<const char*>(hit) - text.data()) + 1 : 0;
}

std::size_t replaceBufferSize(std::size_t textLength, std::size_t patternLength,
                              std::size_t replacementLength) {
    std::size_t size = textLength;
    if (patternLength > 0 && replacementLength > patternLength)
        size = textLength * replacementLength / patternLength;
    if (size == 0) size = (textLength + replacementLength) * 3 / 2;
    return size;
}

int fastReplace(std::string& text, std::string_view pattern, std::string_view replacement, bool ignoreCase) {
    return detail::replaceWithBuffer(text, pattern, replacement, ignoreCase,
                                     replaceBufferSize(text.size(), pattern.size(), replacement.size()));
}

namespace detail {

int replaceWithBuffer(std::string& text, std::string_view pattern, std::string_view replacement,
                      bool ignoreCase, std::size_t initialSize) {
    return ignoreCase ? replaceAll<true>(text, pattern, replacement, initialSize)
                      : replaceAll<false>(text, pattern, replacement, initialSize);
}

}  // namespace detail

std::string fastCopy(std::string_view text, int start, int count) {
    if (start < 1 || count <= 0) return {};
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return {};
    return std::string(text.substr(from, static_cast<std::size_t>(count)));
}

}  // namespace vellora
