#include "formats/TextOut.h"

#include "core/StrUnit.h"

namespace vellora {

void replaceEach(std::string& text, std::string_view placeholder, std::string_view value) {
    if (text.find(placeholder) != std::string::npos) replaceAll(text, placeholder, value);
}

std::string withoutChars(std::string text, std::string_view chars) {
    std::string out;
    for (const char c : text) {
        if (chars.find(c) == std::string_view::npos) out += c;
    }
    return out;
}

std::string replaceFirst(std::string text, char from, char to) {
    const auto pos = text.find(from);
    if (pos != std::string::npos) text[pos] = to;
    return text;
}

std::string replaceEvery(std::string text, char from, char to) {
    for (char& c : text) {
        if (c == from) c = to;
    }
    return text;
}

}  // namespace vellora
