#include "core/XmlRepair.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "core/Cp1252.h"
#include "core/UpperCase.h"
#include "core/XmlText.h"

namespace vellora {
namespace {

constexpr std::size_t kLongestMarker = 9;      // "<![CDATA[", "<!DOCTYPE"
constexpr std::size_t kLongestReference = 40;  // longer ones are taken as stray "&"

bool forbiddenControl(unsigned char c) {
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

bool xmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The markers each section looks for besides forbidden and (UTF-8) high bytes. Markup looks at the
// "!" and "?" behind a "<", not at every "<": tags are the most frequent bytes of a file.
constexpr char kMarkers[4][3] = {{'!', '?', '&'}, {']', 0, 0}, {'-', 0, 0}, {'?', 0, 0}};

// The bytes each section has to look at; all others pass without a glance.
using ByteSet = std::array<bool, 256>;
ByteSet interesting(const char (&markers)[3], bool utf8) {
    ByteSet set{};
    for (int b = 0; b < 256; ++b)
        set[static_cast<std::size_t>(b)] =
            forbiddenControl(static_cast<unsigned char>(b)) || (utf8 && b >= 0x80);
    for (char m : markers)
        if (m) set[static_cast<unsigned char>(m)] = true;
    return set;
}

const ByteSet& interestingIn(int section, bool utf8) {
    static const std::array<ByteSet, 8> sets = [] {
        std::array<ByteSet, 8> all;
        for (int k = 0; k < 8; ++k)
            all[static_cast<std::size_t>(k)] = interesting(kMarkers[k / 2], k % 2 == 1);
        return all;
    }();
    return sets[static_cast<std::size_t>(section * 2 + (utf8 ? 1 : 0))];
}

// The first byte at or behind i that the section has to look at, sixteen bytes at a time where the
// processor allows.
std::size_t nextInteresting(std::string_view buf, std::size_t i, int section, bool utf8,
                            const ByteSet& look) {
    const std::size_t n = buf.size();
#if defined(__SSE2__)
    const __m128i m1 = _mm_set1_epi8(kMarkers[section][0]), m2 = _mm_set1_epi8(kMarkers[section][1]),
                  m3 = _mm_set1_epi8(kMarkers[section][2]);
    const __m128i space = _mm_set1_epi8(0x20), tab = _mm_set1_epi8('\t'), lf = _mm_set1_epi8('\n'),
                  cr = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf.data() + i));
        const int high = _mm_movemask_epi8(v);
        // Signed: bytes of 0x80 and above count as below 0x20 too and are taken out again.
        const int below = _mm_movemask_epi8(_mm_cmplt_epi8(v, space)) & ~high;
        const int blank = _mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, cr)));
        const int marked = _mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, m1), _mm_cmpeq_epi8(v, m2)), _mm_cmpeq_epi8(v, m3)));
        const int mask = (utf8 ? high : 0) | (below & ~blank) | marked;
        if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#else
    (void)section;
    (void)utf8;
#endif
    while (i < n && !look[static_cast<unsigned char>(buf[i])]) ++i;
    return i;
}

const std::string& cp1252AsUtf8(unsigned char c) {
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = utf8FromCp1252(std::string(1, static_cast<char>(b)));
        return t;
    }();
    return table[c];
}

std::string hexByte(unsigned char c) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", c);
    return text;
}

bool nameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool nameChar(unsigned char c) {
    return nameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// The length of "lt;", "gt;", "amp;", "quot;" or "apos;" at the start of text, else 0.
std::size_t predefinedEntityAt(std::string_view text) {
    const auto has = [&](std::size_t k, char c) { return k < text.size() && text[k] == c; };
    if ((has(0, 'l') || has(0, 'g')) && has(1, 't') && has(2, ';')) return 3;
    if (has(0, 'a') && has(1, 'm') && has(2, 'p') && has(3, ';')) return 4;
    if (has(0, 'q') && has(1, 'u') && has(2, 'o') && has(3, 't') && has(4, ';')) return 5;
    if (has(0, 'a') && has(1, 'p') && has(2, 'o') && has(3, 's') && has(4, ';')) return 5;
    return 0;
}

bool predefinedEntity(std::string_view name) {
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
}

}  // namespace

void XmlRepair::detectEncoding(std::string_view head) {
    encoding_ = Encoding::Utf8;
    if (head.size() >= 2 &&
        ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF') ||
         head[0] == '\0' || head[1] == '\0')) {
        encoding_ = Encoding::Untouched;
        return;
    }
    if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
    if (head.substr(0, 5) != "<?xml") return;
    head = head.substr(0, head.find("?>"));
    const std::size_t at = head.find("encoding");
    if (at == std::string_view::npos) return;
    const std::size_t open = head.find_first_of("\"'", at);
    if (open == std::string_view::npos) return;
    const std::size_t close = head.find(head[open], open + 1);
    const std::string name =
        upperCase(head.substr(open + 1, close == std::string_view::npos ? 0 : close - open - 1));
    if (name == "UTF-8" || name == "UTF8" || name.empty()) return;
    encoding_ = name.rfind("UTF-16", 0) == 0 || name.rfind("UTF-32", 0) == 0 || name.rfind("UCS", 0) == 0
                    ? Encoding::Untouched
                    : Encoding::SingleByte;
}

std::string_view XmlRepair::feed(std::string_view piece, bool last) {
    std::string_view buf = piece;
    if (!carry_.empty()) {
        joined_ = carry_;
        joined_.append(piece);
        buf = joined_;
    }
    if (encoding_ == Encoding::Unknown) {
        if (buf.size() < 512 && !last) {
            carry_.assign(buf);
            return {};
        }
        detectEncoding(buf.substr(0, 512));
    }
    if (encoding_ == Encoding::Untouched) {
        carry_.clear();
        outputStart_ += buf.size();
        return buf;
    }
    out_.clear();
    copied_ = linesCounted_ = 0;
    const bool utf8 = encoding_ == Encoding::Utf8;
    std::size_t i = 0;
    const ByteSet* looks[4];
    for (int section = 0; section < 4; ++section) looks[section] = &interestingIn(section, utf8);
    // A "<" at the end waits for the byte that tells what it opens.
    const std::size_t n = buf.size() - (!last && !buf.empty() && buf.back() == '<' ? 1 : 0);
    while (i < n) {
        i = nextInteresting(buf.substr(0, n), i, static_cast<int>(section_), utf8,
                            *looks[static_cast<int>(section_)]);
        if (i == n) break;
        // The common cases of a well-formed file without a call: a predefined entity, a two-byte
        // character.
        const auto c = static_cast<unsigned char>(buf[i]);
        if (section_ == Section::Markup && c == '&') {
            if (const std::size_t known = predefinedEntityAt(buf.substr(i + 1, 5)); known > 0) {
                i += known + 1;
                continue;
            }
        }
        if (utf8 && c >= 0xC2 && c <= 0xDF && i + 1 < n &&
            (static_cast<unsigned char>(buf[i + 1]) & 0xC0) == 0x80) {
            i += 2;
            continue;
        }
        holdFrom_ = i;
        const std::size_t length = handle(buf, i, last);
        if (length == 0) {
            i = holdFrom_;
            break;
        }
        i += length;
    }
    if (described_.size() < kDescribed)
        line_ +=
            static_cast<std::uint64_t>(std::count(buf.begin() + static_cast<std::ptrdiff_t>(linesCounted_),
                                                  buf.begin() + static_cast<std::ptrdiff_t>(i), '\n'));
    std::string_view result;
    if (copied_ == 0) {
        result = buf.substr(0, i);
    } else {
        out_.append(buf.substr(copied_, i - copied_));
        result = out_;
    }
    inputStart_ += i;
    outputStart_ += result.size();
    // The rest may alias joined_: copy it before joined_ is built anew.
    std::string rest(buf.substr(i));
    carry_.swap(rest);
    return result;
}

template <typename Describe>
void XmlRepair::replace(std::string_view buf, std::size_t i, std::size_t length, std::string_view by,
                        Describe describe) {
    out_.append(buf.substr(copied_, i - copied_));
    out_.append(by);
    copied_ = i + length;
    if (by.size() != length) shifts_.push_back({outputStart_ + out_.size(), inputStart_ + i + length});
    ++repairs_;
    if (described_.size() >= kDescribed) return;
    line_ += static_cast<std::uint64_t>(std::count(buf.begin() + static_cast<std::ptrdiff_t>(linesCounted_),
                                                   buf.begin() + static_cast<std::ptrdiff_t>(i), '\n'));
    linesCounted_ = i;
    described_.push_back("Zeile " + std::to_string(line_) + ": " + describe());
}

std::size_t XmlRepair::handle(std::string_view buf, std::size_t i, bool last) {
    const auto c = static_cast<unsigned char>(buf[i]);
    const std::size_t avail = buf.size() - i;
    const auto needMore = [&](std::size_t n) { return avail < n && !last; };
    const auto at = [&](std::string_view marker) { return buf.substr(i, marker.size()) == marker; };

    if (forbiddenControl(c)) {
        replace(buf, i, 1, " ", [&] { return "Steuerzeichen " + hexByte(c) + " durch Leerzeichen ersetzt"; });
        return 1;
    }
    if (c >= 0x80) {
        const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        bool valid = length > 0;
        for (std::size_t k = 1; valid && k < length; ++k) {
            if (k >= avail) {
                if (!last) return 0;
                valid = false;
                break;
            }
            const auto b = static_cast<unsigned char>(buf[i + k]);
            unsigned char low = 0x80, high = 0xBF;
            if (k == 1 && c == 0xE0) low = 0xA0;
            if (k == 1 && c == 0xED) high = 0x9F;
            if (k == 1 && c == 0xF0) low = 0x90;
            if (k == 1 && c == 0xF4) high = 0x8F;
            valid = b >= low && b <= high;
        }
        if (!valid) {
            replace(buf, i, 1, cp1252AsUtf8(c),
                    [&] { return "Byte " + hexByte(c) + " (kein UTF-8) als Windows-1252 gelesen"; });
            return 1;
        }
        if (c == 0xEF && buf[i + 1] == '\xBF' && (buf[i + 2] == '\xBE' || buf[i + 2] == '\xBF')) {
            replace(buf, i, 3, " ",
                    [] { return std::string("Nicht-Zeichen U+FFFE/U+FFFF durch Leerzeichen ersetzt"); });
            return 3;
        }
        return length;
    }
    switch (section_) {
        case Section::Cdata:
            if (needMore(3)) return 0;
            if (at("]]>")) section_ = Section::Markup;
            return section_ == Section::Markup ? 3 : 1;
        case Section::Comment:
            if (needMore(3)) return 0;
            if (at("-->")) section_ = Section::Markup;
            return section_ == Section::Markup ? 3 : 1;
        case Section::Pi:
            if (needMore(2)) return 0;
            if (at("?>")) section_ = Section::Markup;
            return section_ == Section::Markup ? 2 : 1;
        case Section::Markup:
            break;
    }
    if (c == '!' || c == '?') {
        if (i == 0 || buf[i - 1] != '<') return 1;
        if (c == '?') {
            section_ = Section::Pi;
            return 1;
        }
        if (avail + 1 < kLongestMarker && !last) {
            holdFrom_ = i - 1;
            return 0;
        }
        const std::string_view tag = buf.substr(i - 1, kLongestMarker);
        if (tag == "<![CDATA[") {
            section_ = Section::Cdata;
            return 8;
        }
        if (tag.substr(0, 4) == "<!--") {
            section_ = Section::Comment;
            return 3;
        }
        if (tag == "<!DOCTYPE") doctype_ = true;
        return 1;
    }
    // "&": a reference the parser resolves stays; references to forbidden characters become blanks.
    const std::size_t semi = buf.substr(i, kLongestReference).find(';');
    if (semi == std::string_view::npos && needMore(kLongestReference)) return 0;
    if (semi != std::string_view::npos && semi > 1) {
        const std::string_view ref = buf.substr(i + 1, semi - 1);
        if (ref[0] == '#') {
            if (const auto number = characterReferenceCode(ref)) {
                if (xmlChar(*number)) return semi + 1;
                replace(buf, i, semi + 1, " ", [&] {
                    return "Zeichenreferenz &" + std::string(ref) + "; durch Leerzeichen ersetzt";
                });
                return semi + 1;
            }
        } else if (nameStart(static_cast<unsigned char>(ref[0])) &&
                   std::all_of(ref.begin(), ref.end(),
                               [](char ch) { return nameChar(static_cast<unsigned char>(ch)); })) {
            // Only the "&": the name's bytes are checked as any others.
            if (doctype_ || predefinedEntity(ref)) return 1;
        }
    }
    replace(buf, i, 1, "&amp;",
            [] { return std::string("\"&\" ohne g\xFCltige Referenz als Zeichen gelesen"); });
    return 1;
}

std::uint64_t XmlRepair::inputOffset(std::uint64_t outputOffset) {
    while (shifts_.size() >= 2 && shifts_[1].output <= outputOffset) shifts_.pop_front();
    if (shifts_.empty() || shifts_.front().output > outputOffset) return outputOffset;
    return outputOffset - shifts_.front().output + shifts_.front().input;
}

}  // namespace vellora
