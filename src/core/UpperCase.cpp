#include "core/UpperCase.h"

namespace vellora {
namespace {

std::array<unsigned char, 256> buildTable() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
    for (int b = 'a'; b <= 'z'; ++b) t[b] = static_cast<unsigned char>(b - 32);
    // Accented small letters à..þ (without the division sign) to their capitals.
    for (int b = 0xE0; b <= 0xFE; ++b) {
        if (b != 0xF7) t[b] = static_cast<unsigned char>(b - 32);
    }
    t[0x9A] = 0x8A;  // š Š
    t[0x9C] = 0x8C;  // œ Œ
    t[0x9E] = 0x8E;  // ž Ž
    t[0xFF] = 0x9F;  // ÿ Ÿ
    return t;
}

}  // namespace

const std::array<unsigned char, 256>& upperTable() {
    static const std::array<unsigned char, 256> table = buildTable();
    return table;
}

std::string upperCase(std::string_view text) {
    const auto& t = upperTable();
    std::string out(text);
    for (char& c : out) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
    return out;
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
}

bool endsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && equalsNoCase(text.substr(text.size() - tail.size()), tail);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto& t = upperTable();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (t[static_cast<unsigned char>(a[i])] != t[static_cast<unsigned char>(b[i])]) return false;
    }
    return true;
}

int compareNoCase(std::string_view a, std::string_view b) {
    const auto& t = upperTable();
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = t[static_cast<unsigned char>(a[i])];
        const int cb = t[static_cast<unsigned char>(b[i])];
        if (ca != cb) return ca - cb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace vellora
