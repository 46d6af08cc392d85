#include "tools/RouteFiles.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/NumberText.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string trimmed(std::string_view s) {
    return trimTrailingControl(trimLeadingControl(s));
}

// The run of digits and "." at pos (advanced past it).
std::string numberAt(std::string_view s, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < s.size() && (isDigit(s[pos]) || s[pos] == '.')) ++pos;
    return std::string(s.substr(start, pos - start));
}

bool beginsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && compareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

std::vector<std::string> splitTabs(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.emplace_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

std::string readError(const std::string& path) {
    return "Fehler beim Lesen der Datei " + path;
}

struct NamedPoint {
    std::string x, y;
};

// A decimal-degree position "N48.20958 E011.58242" (hemisphere letters included).
bool mapSourceDecimal(std::string pos, NamedPoint& p) {
    const bool south = !pos.empty() && (pos[0] == 'S' || pos[0] == 's');
    pos.erase(0, 1);
    const std::size_t blank = pos.find(' ');
    if (blank == std::string::npos) return false;
    std::string y = pos.substr(0, blank);
    std::string x = pos.substr(blank + 1);
    // The file's own hemisphere letter of the longitude; "E" is dropped, "W" makes it negative.
    bool west = false;
    if (!x.empty() && (x[0] == 'W' || x[0] == 'w')) {
        west = true;
        x.erase(0, 1);
    }
    removeAll(x, "E");
    removeAll(y, "E");
    x = x.substr(0, 8);
    if (south) y = "-" + y;
    if (west) x = "-" + x;
    p = {x, y};
    return true;
}

// A degrees-and-minutes position "N48 12.575 E011 34.945" (one character after the degrees).
bool mapSourceDegMin(std::string_view pos, NamedPoint& p) {
    if (pos.empty()) return false;
    const bool south = pos[0] == 'S' || pos[0] == 's';
    pos.remove_prefix(1);
    std::size_t i = 0;
    const std::string yDeg = numberAt(pos, i);
    if (i < pos.size()) ++i;  // the degree sign (one character); a line may end before it
    while (i < pos.size() && pos[i] == ' ') ++i;
    const std::string yMin = numberAt(pos, i);
    bool west = false;
    while (i < pos.size() && !isDigit(pos[i])) {
        if (pos[i] == 'W' || pos[i] == 'w') west = true;
        ++i;
    }
    const std::string xDeg = numberAt(pos, i);
    if (i < pos.size()) ++i;
    const std::string xMin = i < pos.size() ? trimmed(pos.substr(i)) : std::string();
    const auto yd = parseDouble(yDeg), ym = parseDouble(yMin), xd = parseDouble(xDeg), xm = parseDouble(xMin);
    if (!yd || !ym || !xd || !xm) return false;
    double y = *yd + *ym / 60.0, x = *xd + *xm / 60.0;
    if (south) y = -y;
    if (west) x = -x;
    p = {formatFixedSignificant(x, 6, 4), formatFixedSignificant(y, 6, 4)};
    return true;
}

}  // namespace

std::string routePointText(double x, double y) {
    return formatFixedSignificant(x, 6, 4) + " / " + formatFixedSignificant(y, 6, 4);
}

bool parseRoutePoint(std::string_view text, GeoPoint& point) {
    const std::size_t sep = text.find(" / ");
    if (sep == std::string_view::npos) return false;
    const auto x = parseDouble(text.substr(0, sep));
    const auto y = parseDouble(text.substr(sep + 3));
    if (!x || !y) return false;
    point = {*y, *x};
    return true;
}

RouteFileResult readOverlayRoute(Host& host, const std::string& path) {
    RouteFileResult r;
    int code = 0;
    if (!readFile(path, &code)) {
        showErrorCode(host, code, readError(path));
        return r;
    }
    IniFile ini(path);
    std::string section;
    for (const std::string& name : ini.sectionNames()) {
        if (beginsWithNoCase(name, "SYMBOL")) {
            section = name;
            break;
        }
    }
    if (section.empty()) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "In der gew\xE4hlten Datei wurde keine Sektion [Symbol ...] gefunden.");
        return r;
    }
    const std::int32_t count = ini.readInteger(section, "Punkte", -1);
    if (count < 0) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "In der gew\xE4hlten Datei wurde in Sektion \"" + section +
                         "\" keine g\xFCltige Angabe der Wegpunktmenge (Punkte=x) gefunden.");
        return r;
    }
    if (count < 2) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Die gew\xE4hlte Datei enth\xE4lt weniger als 2 g\xFCltige Wegpunkte.");
        return r;
    }
    // The section is read once and only the points it holds are visited: "Punkte" may claim
    // millions. Of a key given twice the first counts, as a look-up of that key would find it.
    std::map<std::int32_t, std::pair<std::optional<std::string>, std::optional<std::string>>> coords;
    for (auto& [key, value] : ini.readSection(section)) {
        const bool isX = beginsWithNoCase(key, "XKoord");
        if (!isX && !beginsWithNoCase(key, "YKoord")) continue;
        const std::string_view digits = std::string_view(key).substr(6);
        const auto n = parseInt32(digits);
        if (!n || *n < 0 || *n >= count || std::to_string(*n) != digits) continue;
        auto& slot = isX ? coords[*n].first : coords[*n].second;
        if (!slot) slot = std::move(value);
    }
    for (const auto& [n, xy] : coords) {
        const auto x = parseDouble(xy.first.value_or("1000"));
        const auto y = parseDouble(xy.second.value_or("1000"));
        // An unreadable value counts like a missing one.
        if (!x || !y || *x >= 1000 || *y >= 1000) continue;
        r.points.push_back(routePointText(*x, *y));
    }
    r.declaredPoints = count;
    r.ok = true;
    return r;
}

bool parseCursorLine(std::string_view line, double& x, double& y) {
    const std::string t = trimmed(line);
    if (t.empty() || !isDigit(t[0])) return false;
    double v[6];
    std::size_t pos = 0;
    for (int k = 0; k < 6; ++k) {
        while (pos < t.size() && !isDigit(t[pos])) ++pos;
        const auto n = parseDouble(numberAt(t, pos));
        if (!n) return false;
        v[k] = *n;
    }
    x = v[0] + v[1] / 60.0 + v[2] / 3600.0;
    y = v[3] + v[4] / 60.0 + v[5] / 3600.0;
    return true;
}

RouteFileResult readCursorRoute(Host& host, const std::string& path) {
    RouteFileResult r;
    int code = 0;
    const auto text = readFile(path, &code);
    if (!text) {
        showErrorCode(host, code, readError(path));
        return r;
    }
    for (const std::string& line : splitListLines(*text)) {
        if (line.empty() || line[0] == '#') continue;
        double x = 0, y = 0;
        if (parseCursorLine(line, x, y)) r.points.push_back(routePointText(x, y));
    }
    r.ok = true;
    return r;
}

RouteFileResult readMapSourceRoute(Host& host, const std::string& path) {
    RouteFileResult r;
    int code = 0;
    const auto text = readFile(path, &code);
    if (!text) {
        showErrorCode(host, code, readError(path));
        return r;
    }
    const std::vector<std::string> lines = splitListLines(*text);
    const std::string first = lines.empty() ? std::string() : lines.front();
    // Files saved as UTF-8 carry the degree sign as two bytes.
    const bool decimal = first.find("hddd.ddddd\xB0") != std::string::npos ||
                         first.find("hddd.ddddd\xC2\xB0") != std::string::npos;
    const bool degMin = first.find("hddd\xB0mm.mmm") != std::string::npos ||
                        first.find("hddd\xC2\xB0mm.mmm") != std::string::npos;
    if (!decimal && !degMin) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Nicht erlaubtes Koordinatenformat in der Eingabedatei:\r\n\r\n\"" + first + "\"" +
                         "\r\n\r\n" + "Erlaubte Formate: hddd.ddddd\xB0 oder hddd\xB0mm.mmm'");
        return r;
    }
    std::map<std::string, NamedPoint> named;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (beginsWithNoCase(line, "WAYPOINT")) {
            const std::vector<std::string> f = splitTabs(line);
            if (f.size() < 5) continue;
            NamedPoint p;
            if (!(decimal ? mapSourceDecimal(f[4], p) : mapSourceDegMin(f[4], p))) continue;
            named.emplace(f[1], p);  // the first definition of a name counts
        } else if (beginsWithNoCase(line, "ROUTE WAYPOINT")) {
            if (line.size() <= 15) continue;
            const std::string rest = line.substr(15);
            const std::string name = rest.substr(0, rest.find('\t'));
            const auto it = named.find(name);
            if (it != named.end()) r.points.push_back(it->second.x + " / " + it->second.y);
        }
    }
    r.ok = true;
    return r;
}

}  // namespace vellora
