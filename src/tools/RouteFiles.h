#pragma once
// Route files for the corridor search: overlay files (INI, section [Symbol ...]), cursor-coordinate
// files (.coo, one "d m s d m s" line per point) and MapSource route texts (tab-separated).
// Windows-1252. Route points are held as texts "X / Y" (longitude, latitude), the precision the
// search then works at.
#include <string>
#include <string_view>
#include <vector>

#include "tools/Projection.h"

namespace vellora {

class Host;

enum class RouteFormat { Overlay, CursorCoordinates, MapSource };

// "11.1235 / 48.2096": each value written with 4 decimals after rounding to 6 significant digits.
std::string routePointText(double x, double y);
// Reads a route point text back; false when it does not hold two numbers.
bool parseRoutePoint(std::string_view text, GeoPoint& point);

struct RouteFileResult {
    bool ok = false;                  // false: refused, the caller keeps its points
    std::vector<std::string> points;  // route point texts read
    int declaredPoints = -1;          // overlay files: their "Punkte"
};

// Reads one route file; errors are reported through the host.
RouteFileResult readOverlayRoute(Host& host, const std::string& path);
RouteFileResult readCursorRoute(Host& host, const std::string& path);
RouteFileResult readMapSourceRoute(Host& host, const std::string& path);

// One line of a cursor-coordinate file: six unsigned numbers (degrees, minutes, seconds of the
// longitude, then of the latitude). False when the line holds no point.
bool parseCursorLine(std::string_view line, double& x, double& y);

}  // namespace vellora
