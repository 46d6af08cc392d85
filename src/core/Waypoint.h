#pragma once
// The one rule for a waypoint that comes from outside (a file, a page, a suitcase, the command line):
// after upper-casing it is 2 to 16 characters of A-Z and 0-9. A waypoint names files in the output
// directory and lines of the list files, so nothing else may pass.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

inline constexpr std::size_t kWaypointMinLength = 2;
inline constexpr std::size_t kWaypointMaxLength = 16;

struct WaypointCheck {
    std::string waypoint;  // the upper-cased waypoint when it passed
    std::string problem;   // else the German reason, naming the value escaped
    bool ok() const { return problem.empty(); }
};

WaypointCheck checkWaypoint(std::string_view text);

// The upper-cased waypoint, or nothing when the rule refuses it.
std::optional<std::string> normalWaypoint(std::string_view text);

// The value as a message shows it: printable ASCII as is, every other byte as \xNN, a backslash
// and a quote escaped, at most maxShown bytes of the value followed by "...".
std::string escapedValue(std::string_view text, std::size_t maxShown = 40);

// The warning about refused waypoints of one source (a file): how many, the first reasons.
std::string refusedWaypointsText(std::string_view source, const std::vector<std::string>& problems);

// Whether name is the listing page, meta file or converted description of some cache
// (W.html, W.htm, W.meta, W_converted.html), compared without regard to case.
bool isCachePageName(std::string_view name);

}  // namespace vellora
