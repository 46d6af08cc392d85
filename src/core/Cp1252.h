#pragma once
// Conversion between the program's Windows-1252 byte strings and UTF-8.
// Used only at the boundaries (console, Qt); everything inside stays Windows-1252.
#include <string>
#include <string_view>

namespace vellora {

std::string utf8FromCp1252(std::string_view text);
// One code point (below 0x110000) appended as UTF-8.
void appendUtf8(std::string& out, char32_t cp);

// Characters Windows-1252 cannot hold become '?'; malformed UTF-8 bytes are taken as Windows-1252.
std::string cp1252FromUtf8(std::string_view text);

// For HTML: characters Windows-1252 cannot hold become numeric character references ("&#1078;"),
// a leading byte-order mark is dropped; malformed UTF-8 bytes are taken as Windows-1252.
std::string cp1252FromUtf8Html(std::string_view text);

// Whether an HTML page declares UTF-8 ("charset=utf-8", with or without quotes) before its body.
bool htmlDeclaresUtf8(std::string_view page);

}  // namespace vellora
