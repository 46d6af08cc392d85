#pragma once
// The output of the list writers: Windows-1252 text with CR LF line ends, built in memory in
// large pieces (the whole database goes through here), and the small text helpers they share.
#include <string>
#include <string_view>

namespace vellora {

inline constexpr const char* kCrLf = "\r\n";

class TextOut {
public:
    explicit TextOut(std::string& text) : text_(text) {}
    TextOut& operator<<(std::string_view s) {
        text_ += s;
        return *this;
    }
    TextOut& operator<<(char c) {
        text_ += c;
        return *this;
    }
    void line(std::string_view s) {
        text_ += s;
        text_ += kCrLf;
    }

private:
    std::string& text_;
};

// Every occurrence of a template placeholder, exact case.
void replaceEach(std::string& text, std::string_view placeholder, std::string_view value);
std::string withoutChars(std::string text, std::string_view chars);
std::string replaceFirst(std::string text, char from, char to);
std::string replaceEvery(std::string text, char from, char to);

}  // namespace vellora
