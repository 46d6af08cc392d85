#pragma once
// The additional waypoints of a pocket query (parking, stages, trailheads): its "-wpts" file, read
// as the caches are, and the table of them that a listing page of the site carries, so that the
// converted description lists them.
#include <string>
#include <unordered_map>
#include <vector>

namespace vellora {

struct AdditionalWaypoint {
    std::string code, name, type, comment;  // UTF-8, as the file has them
    double lat = 0, lon = 0;
};

// By the code of their cache without its two-letter prefix, upper case.
using AdditionalWaypoints = std::unordered_map<std::string, std::vector<AdditionalWaypoint>>;

// The key of a code: what follows its two-letter prefix, upper case ("PK1A2B3" and "GC1A2B3" give
// "1A2B3").
std::string additionalWaypointKey(const std::string& code);

// The "-wpts" file beside a pocket query ("123.gpx": "123-wpts.gpx", any case); empty when there is
// none or the file is one itself.
std::string additionalWaypointsFile(const std::string& gpxPath);

// The waypoints of a "-wpts" file; those without a code or valid coordinates are left out.
AdditionalWaypoints readAdditionalWaypoints(const std::string& path);

// The "Additional Waypoints" heading and table of a listing page (UTF-8, CR LF between lines).
std::string additionalWaypointsTable(const std::vector<AdditionalWaypoint>& waypoints);

}  // namespace vellora
