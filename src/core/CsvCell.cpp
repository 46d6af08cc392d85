#include "core/CsvCell.h"

namespace vellora {

bool isPlainNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    bool digit = false, point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

std::string csvCell(std::string_view value, char separator, bool alwaysQuoted) {
    std::string cell;
    cell.reserve(value.size() + 3);
    const bool formulaStart =
        !value.empty() && std::string_view("=+-@\t\r").find(value.front()) != std::string_view::npos;
    if (formulaStart && !isPlainNumber(value)) cell += '\'';
    bool quoted = alwaysQuoted;
    for (const char c : value) {
        if (c == '"') cell += '"';
        quoted = quoted || c == separator || c == '"' || c == '\r' || c == '\n';
        cell += c;
    }
    return quoted ? '"' + cell + '"' : cell;
}

std::string plainField(std::string_view value, char separator, char replacement) {
    std::string field(value);
    for (char& c : field) {
        if (c == separator)
            c = replacement;
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return field;
}

}  // namespace vellora
