#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "core/StrUnit.h"

namespace vellora {
namespace {

std::string toChars(double value, std::chars_format fmt, int precision, bool usePrecision) {
    char buf[400];
    auto res = usePrecision ? std::to_chars(buf, buf + sizeof buf, value, fmt, precision)
                            : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace

std::string twoDigits(int value) {
    if (value < 0 || value > 99) return std::to_string(value);
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string formatShortest(double value) {
    if (value == 0) return "0";  // also turns -0 into "0"
    return toChars(value, std::chars_format::general, 0, false);
}

std::string formatFloat15(double value) {
    if (value == 0) return "0";
    std::string s = toChars(value, std::chars_format::general, 15, true);
    return s;
}

std::string formatFixed(double value, int decimals, char sep) {
    std::string s = toChars(value, std::chars_format::fixed, decimals, true);
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    if (sep != '.') {
        for (char& c : s) {
            if (c == '.') c = sep;
        }
    }
    return s;
}

std::string formatFixedSignificant(double value, int significant, int decimals, char sep) {
    double rounded = value;
    if (value != 0 && std::isfinite(value)) {
        const std::string g = toChars(value, std::chars_format::scientific, significant - 1, true);
        std::from_chars(g.data(), g.data() + g.size(), rounded);
    }
    return formatFixed(rounded, decimals, sep);
}

std::optional<double> parseDouble(std::string_view text, char sep) {
    text = stripBlanks(text);
    if (text.empty()) return std::nullopt;
    std::string buf(text);
    for (char& c : buf) {
        if (c == sep) {
            c = '.';
        } else if (c == '.' && sep != '.') {
            return std::nullopt;
        }
    }
    const char* first = buf.data();
    if (*first == '+') ++first;
    double v = 0;
    auto res = std::from_chars(first, buf.data() + buf.size(), v);
    if (res.ec != std::errc() || res.ptr != buf.data() + buf.size()) return std::nullopt;
    return v;
}

std::optional<std::int64_t> parseInt(std::string_view text) {
    text = stripBlanks(text);
    if (text.empty()) return std::nullopt;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t v = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    const auto s = static_cast<std::int64_t>(v);
    return negative ? -s : s;
}

std::optional<std::int32_t> parseInt32(std::string_view text) {
    auto v = parseInt(text);
    if (!v) return std::nullopt;
    // Hexadecimal texts may spell a negative 32-bit value ("0xFFFFFFFF" is -1).
    if (*v >= 0 && *v <= 0xFFFFFFFFLL && *v > std::numeric_limits<std::int32_t>::max()) {
        const bool hex = text.find_first_of("xX") != std::string_view::npos;
        if (!hex) return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*v));
    }
    if (*v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

}  // namespace vellora
