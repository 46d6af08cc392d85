#include "core/AsciiFold.h"

#include <array>

namespace vellora {
namespace {

// Bytes 0x80 to 0xFF; undefined bytes, the soft hyphen and signs without a plain form have none.
constexpr std::array<std::string_view, 128> kHigh = {
    // 0x80
    "EUR",
    "",
    ",",
    "f",
    "\"",
    "...",
    "",
    "",
    "^",
    "%",
    "S",
    "<",
    "OE",
    "",
    "Z",
    "",
    // 0x90
    "",
    "'",
    "'",
    "\"",
    "\"",
    "*",
    "-",
    "-",
    "~",
    "TM",
    "s",
    ">",
    "oe",
    "",
    "z",
    "Y",
    // 0xA0
    " ",
    "!",
    "c",
    "",
    "",
    "",
    "|",
    "",
    "",
    "(c)",
    "a",
    "\"",
    "",
    "",
    "(R)",
    "",
    // 0xB0
    "",
    "",
    "2",
    "3",
    "'",
    "u",
    "",
    ".",
    "",
    "1",
    "o",
    "\"",
    "1/4",
    "1/2",
    "3/4",
    "?",
    // 0xC0
    "A",
    "A",
    "A",
    "A",
    "Ae",
    "A",
    "AE",
    "C",
    "E",
    "E",
    "E",
    "E",
    "I",
    "I",
    "I",
    "I",
    // 0xD0
    "D",
    "N",
    "O",
    "O",
    "O",
    "O",
    "Oe",
    "x",
    "O",
    "U",
    "U",
    "U",
    "Ue",
    "Y",
    "Th",
    "ss",
    // 0xE0
    "a",
    "a",
    "a",
    "a",
    "ae",
    "a",
    "ae",
    "c",
    "e",
    "e",
    "e",
    "e",
    "i",
    "i",
    "i",
    "i",
    // 0xF0
    "d",
    "n",
    "o",
    "o",
    "o",
    "o",
    "oe",
    "/",
    "o",
    "u",
    "u",
    "u",
    "ue",
    "y",
    "th",
    "y",
};

}  // namespace

std::string_view asciiForm(unsigned char c) {
    if (c >= 0x80) return kHigh[c - 0x80];
    if (c < 32) return {};
    static constexpr std::array<char, 96> kPlain = [] {
        std::array<char, 96> a{};
        for (int i = 0; i < 96; ++i) a[static_cast<std::size_t>(i)] = static_cast<char>(32 + i);
        return a;
    }();
    return {&kPlain[c - 32], 1};
}

std::string asciiFold(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (const char ch : cp1252) out += asciiForm(static_cast<unsigned char>(ch));
    return out;
}

}  // namespace vellora
