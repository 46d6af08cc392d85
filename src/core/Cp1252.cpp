#include "core/Cp1252.h"

#include <array>
#include <cstdint>

namespace vellora {
namespace {

// Code points of bytes 0x80..0x9F; the five undefined bytes map to the C1 control of the same value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePointOf(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
    return b;
}

bool byteFor(char32_t cp, char& byte) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        byte = static_cast<char>(cp);
        return true;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

char byteOf(char32_t cp) {
    char byte = '?';
    return byteFor(cp, byte) ? byte : '?';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is malformed.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    return len;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string cp1252FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = decodeUtf8(text, i, cp);
        if (len == 0) {
            out += static_cast<char>(b);
            ++i;
        } else {
            out += byteOf(cp);
            i += len;
        }
    }
    return out;
}

std::string cp1252FromUtf8Html(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        const std::size_t len = b < 0x80 ? 0 : decodeUtf8(text, i, cp);
        if (len == 0) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        char byte = 0;
        if (byteFor(cp, byte))
            out += byte;
        else
            out += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ";";
        i += len;
    }
    return out;
}

bool htmlDeclaresUtf8(std::string_view page) {
    std::string head;
    for (char c : page.substr(0, 4096)) head += lowerAscii(c);
    const std::size_t body = head.find("<body");
    if (body != std::string::npos) head.erase(body);
    for (std::size_t at = head.find("charset="); at != std::string::npos;
         at = head.find("charset=", at + 1)) {
        std::size_t v = at + 8;
        while (v < head.size() && (head[v] == '"' || head[v] == '\'' || head[v] == ' ')) ++v;
        if (head.compare(v, 5, "utf-8") == 0 || head.compare(v, 4, "utf8") == 0) return true;
    }
    return false;
}

}  // namespace vellora
