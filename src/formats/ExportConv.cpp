#include "formats/ExportConv.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "core/AsciiFold.h"
#include "core/Cp1252.h"
#include "core/DateUtil.h"
#include "core/NumberText.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F (undefined bytes map to themselves).
constexpr std::array<std::uint16_t, 32> kHighControl = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint32_t codePoint(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kHighControl[c - 0x80] : c;
}

bool inCharset(unsigned char c, XmlCharset charset) {
    if (c < 0x80) return true;
    switch (charset) {
        case XmlCharset::Utf8:
            return false;
        case XmlCharset::Latin1:
            return c >= 0xA0;
        case XmlCharset::Cp1252:
            return codePoint(c) != c || c >= 0xA0;
    }
    return false;
}

void appendReference(std::string& out, unsigned char c) {
    out += "&#";
    out += std::to_string(codePoint(c));
    out += ';';
}

}  // namespace

std::string fixedCoord(double value, char sep) {
    return formatFixedSignificant(value, 10, 6, sep);
}

std::string asciiName(std::string_view name) {
    return asciiFold(name);
}

NameAndOwner splitOwner(std::string_view cacheName) {
    constexpr std::string_view kBy = " by ";
    const auto at = cacheName.rfind(kBy);
    if (at == std::string_view::npos) return {std::string(cacheName), {}};
    return {std::string(cacheName.substr(0, at)), std::string(cacheName.substr(at + kBy.size()))};
}

std::string isoDateTime(double value) {
    if (!isRepresentableDate(value)) return {};
    const DateParts p = decodeDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return text;
}

std::string compressedName(std::string_view name) {
    std::string out;
    for (const char ch : upperAscii(name)) {
        const auto c = static_cast<unsigned char>(ch);
        const char* spelled = nullptr;
        if (c == 0xE4 || c == 0xC4)
            spelled = "AE";
        else if (c == 0xF6 || c == 0xD6)
            spelled = "OE";
        else if (c == 0xFC || c == 0xDC)
            spelled = "UE";
        else if (c == 0xDF)
            spelled = "SS";
        const std::string piece = spelled ? std::string(spelled) : std::string(1, ch);
        for (const char p : piece) {
            if (p == ' ' || (p >= '0' && p <= '9') || (p >= 'A' && p <= 'Z')) {
                if (out.size() >= 30) return out;
                out += p;
            }
        }
    }
    return out;
}

char typeLetter(std::string_view cacheType) {
    const std::string t = upperCase(cacheType);
    if (t == "TRADITIONAL CACHE") return 'T';
    if (t == "MULTI-CACHE") return 'M';
    if (t == "UNKNOWN CACHE") return 'U';
    if (t == "WEBCAM CACHE") return 'W';
    if (t == "VIRTUAL CACHE") return 'V';
    if (t == "EVENT CACHE") return 'E';
    return 'O';
}

char sizeLetter(std::string_view cacheSize) {
    const std::string s = upperCase(cacheSize);
    if (s == "LARGE") return 'L';
    if (s == "REGULAR") return 'R';
    if (s == "SMALL") return 'S';
    if (s == "MICRO") return 'M';
    if (s == "VIRTUAL") return 'V';
    return 'U';
}

XmlCharset declaredCharset(std::string_view text) {
    const std::string upper = upperCase(text.substr(0, 400));
    const auto decl = upper.find("<?XML");
    if (decl == std::string::npos) return XmlCharset::Utf8;
    const auto end = upper.find("?>", decl);
    const auto enc = upper.find("ENCODING", decl);
    if (enc == std::string::npos || (end != std::string::npos && enc > end)) return XmlCharset::Utf8;
    const auto quote = upper.find_first_of("\"'", enc);
    if (quote == std::string::npos) return XmlCharset::Utf8;
    const auto close = upper.find(upper[quote], quote + 1);
    const std::string name = upper.substr(quote + 1, close == std::string::npos ? 0 : close - quote - 1);
    if (name == "ISO-8859-1" || name == "LATIN1" || name == "ISO_8859-1") return XmlCharset::Latin1;
    if (name == "WINDOWS-1252" || name == "CP1252") return XmlCharset::Cp1252;
    return XmlCharset::Utf8;
}

std::string xmlEscape(std::string_view value, XmlCharset charset) {
    std::string out;
    out.reserve(value.size() + 8);
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            default:
                break;
        }
        if (c < 32 || c == 127)
            out += ' ';
        else if (inCharset(c, charset))
            out += ch;
        else
            appendReference(out, c);
    }
    return out;
}

std::string xmlRecode(std::string_view text, XmlCharset charset) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (inCharset(c, charset))
            out += ch;
        else
            appendReference(out, c);
    }
    return out;
}

std::string xmlEscapeEncoded(std::string_view value, XmlCharset charset) {
    if (charset != XmlCharset::Utf8) return xmlEscape(value, charset);
    return utf8FromCp1252(xmlEscape(value, XmlCharset::Cp1252));
}

std::string cdataSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "]]>") == 0) {
            out += "]]]]><![CDATA[>";
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace vellora
