#pragma once
// The listing page written for one cache of a GPX file: an imitation of a saved listing page, close
// enough for the listing field extractor, cut from the cache's own element of the file. The values
// stay as the file has them (UTF-8, which the page declares), the descriptions are shown as the
// owner wrote them; the page is fixed byte for byte.
#include <optional>
#include <string>
#include <vector>

namespace vellora {

class RunContext;

// Lines with their leading bytes of code 32 or less removed, as the page writer reads them.
std::vector<std::string> gpxTrimmedLines(const std::string& text);

// The trimmed lines of one wpt element (its bytes from "<wpt" to behind "</wpt>") whatever the
// file's line layout: the lines the element has when written one element a line.
std::vector<std::string> gpxElementLines(const std::string& element);

// The page for waypoint, or nothing when its lines cannot be found. listingSite and imageHost are
// scheme and host without trailing "/". additionalWaypoints: the table of the cache's additional
// waypoints (GpxAdditionalWaypoints), put in behind the ratings, or empty.
std::optional<std::string> gpxListingPageText(const std::vector<std::string>& trimmedLines,
                                              const std::string& waypoint, const std::string& listingSite,
                                              const std::string& imageHost,
                                              const std::string& additionalWaypoints = {});

// Writes OutDirPath + waypoint + ".html". Reports nothing; false when no page was written.
bool WriteGpxListingPage(const RunContext& ctx, const std::vector<std::string>& trimmedLines,
                         const std::string& waypoint, const std::string& additionalWaypoints = {});

}  // namespace vellora
