#include "import/GpxAdditionalWaypoints.h"

#include <cmath>

#include "core/Cp1252.h"
#include "core/FileUtil.h"
#include "core/HtmlClean.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "formats/GpxReader.h"

namespace vellora {
namespace {

constexpr const char* kSuffix = "-WPTS.GPX";
constexpr const char* kCell = "<td valign=\"top\" align=\"left\">";

bool endsWithText(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Text of the file for a cell of the page: escaped, line breaks kept.
std::string cellText(const std::string& text) {
    std::string cell = htmlEscape(text);
    replaceAll(cell, "\r\n", "<br>");
    replaceAll(cell, "\n", "<br>");
    replaceAll(cell, "\r", "<br>");
    return cell;
}

}  // namespace

std::string additionalWaypointKey(const std::string& code) {
    return code.size() > 2 ? upperCase(code.substr(2)) : std::string();
}

std::string additionalWaypointsFile(const std::string& gpxPath) {
    const std::string name = upperCase(extractFileName(gpxPath));
    if (!endsWithText(name, ".GPX") || endsWithText(name, kSuffix)) return {};
    const std::string wanted = name.substr(0, name.size() - 4) + kSuffix;
    const std::string dir = extractFilePath(gpxPath);
    for (const std::string& file : listFiles(dir.empty() ? "." : dir, "*")) {
        if (upperCase(file) == wanted) return joinPath(dir.empty() ? "." : dir, file);
    }
    return {};
}

AdditionalWaypoints readAdditionalWaypoints(const std::string& path) {
    AdditionalWaypoints result;
    readGpxFile(path, [&](const GpxWaypoint& wpt) {
        const auto lat = parseDouble(wpt.latText), lon = parseDouble(wpt.lonText);
        const std::string key = additionalWaypointKey(wpt.name);
        if (!lat || !lon || !std::isfinite(*lat) || !std::isfinite(*lon) || std::fabs(*lat) > 90 ||
            std::fabs(*lon) > 180 || key.empty())
            return true;
        AdditionalWaypoint w;
        w.code = wpt.name;
        w.name = !wpt.desc.empty() ? wpt.desc : wpt.hasUrlname ? wpt.urlname : wpt.linkText;
        w.type = wpt.gpxType;
        if (const std::size_t bar = w.type.find('|'); bar != std::string::npos) w.type.erase(0, bar + 1);
        w.comment = wpt.cmt;
        w.lat = *lat;
        w.lon = *lon;
        result[key].push_back(std::move(w));
        return true;
    });
    return result;
}

std::string additionalWaypointsTable(const std::vector<AdditionalWaypoint>& waypoints) {
    std::string table =
        "<p><strong>Additional Waypoints</strong></p>\r\n<table border=\"0\" width=\"100%\" "
        "class=\"Table\">\r\n"
        "<tr><th>&nbsp;</th><th>&nbsp;</th><th>Prefix</th><th>Lookup</th><th>Name</th><th>Coordinate</th></"
        "tr>";
    for (const AdditionalWaypoint& w : waypoints) {
        std::string name = cellText(w.name);
        if (!w.type.empty()) name += " (" + cellText(w.type) + ")";
        table += "\r\n<tr bgcolor=\"#eeeeee\">" + std::string(kCell) + "</td>" + kCell + "</td>" + kCell +
                 cellText(w.code.substr(0, 2)) + "</td>" + kCell + cellText(w.code) + "</td>" + kCell + name +
                 "</td>" + kCell + utf8FromCp1252(FormatLatLonPadded(w.lat, w.lon)) + "</td></tr>";
        if (!w.comment.empty())
            table += "\r\n<tr bgcolor=\"#FFFFFF\">" + std::string(kCell) +
                     "</td><td colspan=\"6\">Note: " + cellText(w.comment) + "</td></tr>";
    }
    return table + "\r\n</table>";
}

}  // namespace vellora
