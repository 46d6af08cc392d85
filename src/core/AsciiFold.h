#pragma once
// Text for devices that show ASCII only: every Windows-1252 character as its ASCII form, from one
// table. German umlauts and "ß" are spelled out ("ae", "ss"), other letters keep their base letter
// ("é" e, "ø" o, "œ" oe), typographic quotes and dashes become their ASCII forms; control
// characters and signs without an ASCII form are dropped.
#include <string>
#include <string_view>

namespace vellora {

// The ASCII form of one Windows-1252 byte; empty when it has none.
std::string_view asciiForm(unsigned char c);
std::string asciiFold(std::string_view cp1252);

}  // namespace vellora
