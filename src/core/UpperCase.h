#pragma once
// The single-byte upper-case mapping of Windows-1252. Every comparison "without regard to case"
// goes through this one table, so that for example "â" and "Â" fold together.
#include <array>
#include <string>
#include <string_view>

namespace vellora {

const std::array<unsigned char, 256>& upperTable();

inline unsigned char upperByte(unsigned char b) {
    return upperTable()[b];
}
inline char upperChar(char c) {
    return static_cast<char>(upperTable()[static_cast<unsigned char>(c)]);
}

std::string upperCase(std::string_view text);
// Maps only a-z, as plain upper-casing before an ASCII search does.
std::string upperAscii(std::string_view text);

bool equalsNoCase(std::string_view a, std::string_view b);
bool endsWithNoCase(std::string_view text, std::string_view tail);
// <0, 0, >0 like strcmp, comparing the upper-case forms byte by byte.
int compareNoCase(std::string_view a, std::string_view b);

struct LessNoCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return compareNoCase(a, b) < 0; }
};

}  // namespace vellora
