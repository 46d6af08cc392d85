#include "core/Waypoint.h"

#include "core/UpperCase.h"

#include <algorithm>

namespace vellora {

namespace {

bool codeChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string escapedValue(std::string_view text, std::size_t maxShown) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < maxShown; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\\' || b == '"') {
            out += '\\';
            out += char(b);
        } else if (b >= 0x20 && b < 0x7F) {
            out += char(b);
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    if (text.size() > maxShown) out += "...";
    return out;
}

WaypointCheck checkWaypoint(std::string_view text) {
    WaypointCheck result;
    std::string upper = upperAscii(text);
    const char* reason = nullptr;
    if (upper.empty())
        reason = "leer";
    else if (!std::all_of(upper.begin(), upper.end(), codeChar))
        reason = "nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt";
    else if (upper.size() < kWaypointMinLength)
        reason = "zu kurz (mindestens 2 Zeichen)";
    else if (upper.size() > kWaypointMaxLength)
        reason =
            "zu lang (h\xF6"
            "chstens 16 Zeichen)";
    if (reason)
        result.problem = "Ung\xFCltiger Wegpunkt \"" + escapedValue(text) + "\": " + reason;
    else
        result.waypoint = std::move(upper);
    return result;
}

std::optional<std::string> normalWaypoint(std::string_view text) {
    WaypointCheck check = checkWaypoint(text);
    if (!check.ok()) return std::nullopt;
    return std::move(check.waypoint);
}

std::string refusedWaypointsText(std::string_view source, const std::vector<std::string>& problems) {
    constexpr std::size_t kShown = 10;
    std::string text = std::string(source) + ": " + std::to_string(problems.size()) +
                       " Eintr\xE4ge wurden als ung\xFCltige Wegpunkte \xFC"
                       "bergangen:";
    for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) text += "\r\n" + problems[i];
    if (problems.size() > kShown) text += "\r\n...";
    return text;
}

bool isCachePageName(std::string_view name) {
    for (std::string_view suffix : {"_converted.html", ".html", ".htm", ".meta"}) {
        if (!endsWithNoCase(name, suffix)) continue;
        const std::string_view stem = name.substr(0, name.size() - suffix.size());
        if (!stem.empty() &&
            std::all_of(stem.begin(), stem.end(), [](char c) { return codeChar(upperChar(c)); }))
            return true;
    }
    return false;
}

}  // namespace vellora
