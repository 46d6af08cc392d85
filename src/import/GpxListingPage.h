#pragma once
// The listing page written for one cache of a GPX file: an imitation of a saved listing page, close
// enough for the listing field extractor, cut from the cache's own lines of the file. The values
// stay as the file has them (UTF-8, which the page declares); the page is fixed byte for byte.
#include <optional>
#include <string>
#include <vector>

namespace vellora {

class RunContext;

// Lines with their leading bytes of code 32 or less removed, as the page writer reads them.
std::vector<std::string> gpxTrimmedLines(const std::string& text);

// The page for waypoint, or nothing when its lines cannot be found. listingSite and imageHost are
// scheme and host without trailing "/".
std::optional<std::string> gpxListingPageText(const std::vector<std::string>& trimmedLines,
                                              const std::string& waypoint, const std::string& listingSite,
                                              const std::string& imageHost);

// Writes OutDirPath + waypoint + ".html". Reports nothing; false when no page was written.
bool WriteGpxListingPage(const RunContext& ctx, const std::vector<std::string>& trimmedLines,
                         const std::string& waypoint);

}  // namespace vellora
