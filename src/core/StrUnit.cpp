#include "core/StrUnit.h"

#include <cstddef>
#include <cstring>

#include "core/FastStrings.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

struct Replacement {
    std::string_view from;
    std::string_view to;
};

// Applied in this order; "&amp;" first, so "&amp;lt;" ends as "<".
constexpr Replacement kEntities[] = {
    {"&amp;", "&"},     {"&quot;", "\""},   {"&lt;", "<"},      {"&gt;", ">"},      {"&#171;", "\""},
    {"&#176;", "\xB0"}, {"&#180;", "'"},    {"&#184;", ","},    {"&#187;", "\""},   {"&#188;", "1/4"},
    {"&#189;", "1/2"},  {"&#190;", "3/4"},  {"&#192;", "\xC0"}, {"&#193;", "\xC1"}, {"&#194;", "\xC2"},
    {"&#195;", "\xC4"}, {"&#196;", "\xC4"}, {"&#197;", "\xC4"}, {"&#198;", "AE"},   {"&#199;", "C"},
    {"&#200;", "\xC8"}, {"&#201;", "\xC9"}, {"&#202;", "\xCA"}, {"&#203;", "E"},    {"&#204;", "\xCC"},
    {"&#205;", "\xCD"}, {"&#206;", "\xCE"}, {"&#207;", "I"},    {"&#209;", "N"},    {"&#210;", "\xD2"},
    {"&#211;", "\xD3"}, {"&#212;", "\xD4"}, {"&#213;", "O"},    {"&#214;", "\xD6"}, {"&#215;", "x"},
    {"&#216;", "O"},    {"&#217;", "\xD9"}, {"&#218;", "\xDA"}, {"&#219;", "\xDB"}, {"&#220;", "\xDC"},
    {"&#221;", "\xDD"}, {"&#223;", "\xDF"}, {"&#224;", "\xE0"}, {"&#225;", "\xE1"}, {"&#226;", "\xE2"},
    {"&#227;", "a"},    {"&#228;", "\xE4"}, {"&#229;", "\xE2"}, {"&#230;", "ae"},   {"&#231;", "c"},
    {"&#232;", "\xE8"}, {"&#233;", "\xE9"}, {"&#234;", "\xEA"}, {"&#235;", "e"},    {"&#236;", "\xEC"},
    {"&#237;", "\xED"}, {"&#238;", "\xEE"}, {"&#239;", "i"},    {"&#240;", "o"},    {"&#241;", "n"},
    {"&#242;", "\xF2"}, {"&#243;", "\xF3"}, {"&#244;", "\xF4"}, {"&#245;", "o"},    {"&#246;", "\xF6"},
    {"&#247;", "/"},    {"&#248;", "o"},    {"&#249;", "\xF9"}, {"&#250;", "\xFA"}, {"&#251;", "\xFB"},
    {"&#252;", "\xFC"}, {"&#253;", "\xFD"}, {"&#255;", "y"}};
static_assert(std::size(kEntities) == 73);
// The named references come first; everything behind them starts with "&#".
constexpr std::size_t kNamedEntities = 4;

// After "Â"/"â" removal: UTF-8 pairs of the German letters and the rests of the typographic quotes.
constexpr Replacement kUtf8Repairs[] = {
    {"\xC3\xA4", "\xE4"}, {"\xC3\xB6", "\xF6"}, {"\xC3\xBC", "\xFC"}, {"\xC3\x9F", "\xDF"},
    {"\xC3\x96", "\xD6"}, {"\xC3\x9C", "\xDC"}, {"&#220", "\xDC"},    {"\x80\x99", "'"},
    {"\x80\x9E", "\""},   {"\x80\x9C", "\""},
};

bool cutSpanWith(std::string& text, std::string& piece, std::string_view open, std::string_view close,
                 bool ignoreCase) {
    piece.clear();
    const auto find = ignoreCase ? fastPosNoCase : fastPos;
    const int n = find(text, open, 1);
    if (n < 1) return false;
    const int c = find(text, close, n + static_cast<int>(open.size()));
    if (n >= c) return false;
    const std::size_t from = static_cast<std::size_t>(n) - 1;
    const std::size_t count = static_cast<std::size_t>(c) - 1 + close.size() - from;
    piece = text.substr(from, count);
    text.erase(from, count);
    return true;
}

bool isControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

int findFrom(std::string_view pattern, std::string_view text, int start) {
    const int pos = fastPos(text, pattern, start);
    return pos > 0 ? pos : -1;
}

int replaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
    return fastReplace(text, pattern, replacement, false);
}

int replaceAllNoCase(std::string& text, std::string_view pattern, std::string_view replacement) {
    return fastReplace(text, pattern, replacement, true);
}

int removeAll(std::string& text, std::string_view pattern) {
    return replaceAllNoCase(text, pattern, {});
}

bool removeFirstSpan(std::string& text, std::string_view open, std::string_view close) {
    const int a = fastPosNoCase(text, open, 1);
    if (a < 1) return false;
    const int b = fastPosNoCase(text, close, a + 1);
    if (b < 1) return false;
    const std::size_t from = static_cast<std::size_t>(a) - 1;
    text.erase(from, static_cast<std::size_t>(b) - 1 + close.size() - from);
    return true;
}

bool cutSpan(std::string& text, std::string& piece, std::string_view open, std::string_view close) {
    return cutSpanWith(text, piece, open, close, true);
}

bool cutSpanCase(std::string& text, std::string& piece, std::string_view open, std::string_view close) {
    return cutSpanWith(text, piece, open, close, false);
}

bool cutInner(std::string& text, std::string& piece, std::string_view open, std::string_view close) {
    if (!cutSpan(text, piece, open, close)) return false;
    // The close was searched behind the open, so the piece holds both whole.
    piece = piece.substr(open.size(), piece.size() - open.size() - close.size());
    return true;
}

bool dropThrough(std::string& text, std::string_view marker) {
    const int pos = fastPosNoCase(text, marker, 1);
    if (pos < 1) return false;
    text.erase(0, static_cast<std::size_t>(pos) - 1 + marker.size());
    return true;
}

char rot13Char(char c) {
    if ((c >= 'A' && c <= 'M') || (c >= 'a' && c <= 'm')) return static_cast<char>(c + 13);
    if ((c >= 'N' && c <= 'Z') || (c >= 'n' && c <= 'z')) return static_cast<char>(c - 13);
    return c;
}

void rot13Text(std::string& text) {
    for (char& c : text) c = rot13Char(c);
}

void repairUtf8(std::string& text) {
    // Without regard to case on purpose: removing 0xC2 also removes 0xE2, the lead byte of the
    // three-byte quote sequences whose rests the table below maps.
    removeAll(text, "\xC2");
    for (const auto& r : kUtf8Repairs) replaceAll(text, r.from, r.to);
}

namespace {

// Every occurrence of from, left to right, replaced in place by to, which is no longer: what is
// written never overtakes what is still to be searched.
void replaceShorter(std::string& text, std::string_view from, std::string_view to) {
    std::size_t hit = text.find(from);
    if (hit == std::string::npos) return;
    char* const data = text.data();
    std::size_t out = hit, in = hit;
    while (hit != std::string::npos) {
        std::memmove(data + out, data + in, hit - in);
        out += hit - in;
        std::memcpy(data + out, to.data(), to.size());
        out += to.size();
        in = hit + from.size();
        hit = text.find(from, in);
    }
    std::memmove(data + out, data + in, text.size() - in);
    text.resize(out + text.size() - in);
}

constexpr bool everyEntityShrinks() {
    for (const Replacement& r : kEntities)
        if (r.to.size() > r.from.size()) return false;
    return true;
}
static_assert(everyEntityShrinks());

}  // namespace

void decodeEntities(std::string& text) {
    if (fastCharPos(text, '&') == 0) return;
    for (std::size_t i = 0; i < std::size(kEntities); ++i) {
        // No replacement produces "&", so once the named ones are done, no "&#" means nothing is left.
        if (i == kNamedEntities && text.find("&#") == std::string::npos) return;
        // In place: names and descriptions are short, a search table costs more than the search.
        replaceShorter(text, kEntities[i].from, kEntities[i].to);
    }
}

std::string toFileUrl(std::string_view path) {
    std::string p(path);
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    // An absolute Linux path brings its own leading slash; a drive path ("C:/...") needs the third one.
    return (!p.empty() && p.front() == '/' ? "file://" : "file:///") + p;
}

std::string waypointFromFileName(std::string_view path) {
    const std::size_t sep = path.find_last_of("\\/");
    const std::string name = upperCase(sep == std::string_view::npos ? path : path.substr(sep + 1));
    std::size_t n = 0;
    while (n < name.size() && ((name[n] >= '0' && name[n] <= '9') || (name[n] >= 'A' && name[n] <= 'Z'))) ++n;
    return name.substr(0, n);
}

std::string trimLeadingControl(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isControl(text[i])) ++i;
    return std::string(text.substr(i));
}

std::string_view trimControl(std::string_view text) {
    std::size_t a = 0, b = text.size();
    while (a < b && isControl(text[a])) ++a;
    while (b > a && isControl(text[b - 1])) --b;
    return text.substr(a, b - a);
}

std::string_view stripBlanks(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

std::string trimTrailingControl(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && isControl(text[n - 1])) --n;
    return std::string(text.substr(0, n));
}

}  // namespace vellora
