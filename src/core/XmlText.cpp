#include "core/XmlText.h"

#include "core/Cp1252.h"

#include <cstdint>

namespace vellora {
namespace {

// The character of a reference body ("amp", "#228", "#xE4"); 0 when it is none.
std::uint32_t referenced(std::string_view body) {
    if (body == "lt") return '<';
    if (body == "gt") return '>';
    if (body == "amp") return '&';
    if (body == "quot") return '"';
    if (body == "apos") return '\'';
    if (body.empty() || body[0] != '#') return 0;
    const std::uint32_t value = characterReferenceCode(body).value_or(0);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value > 0x10FFFF || surrogate ? 0 : value;
}

}  // namespace

std::optional<std::uint32_t> characterReferenceCode(std::string_view ref) {
    const bool hex = ref.size() > 1 && ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char d : digits) {
        int v = -1;
        if (d >= '0' && d <= '9') v = d - '0';
        if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
        if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
        if (v < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
    }
    return value;
}

std::string decodeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t special = text.find_first_of("&<", i);
        out.append(text.substr(i, special == std::string_view::npos ? std::string_view::npos : special - i));
        if (special == std::string_view::npos) break;
        i = special;
        if (text.substr(i, 9) == "<![CDATA[") {
            const std::size_t close = text.find("]]>", i + 9);
            out.append(
                text.substr(i + 9, close == std::string_view::npos ? std::string_view::npos : close - i - 9));
            i = close == std::string_view::npos ? text.size() : close + 3;
            continue;
        }
        const std::size_t semi = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        const std::uint32_t c = semi == std::string_view::npos || semi - i > 10
                                    ? 0
                                    : referenced(text.substr(i + 1, semi - i - 1));
        if (c == 0) {
            out += text[i++];
            continue;
        }
        appendUtf8(out, c);
        i = semi + 1;
    }
    return out;
}

}  // namespace vellora
