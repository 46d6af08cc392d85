#include "cli/CliEnv.h"

#include <istream>
#include <ostream>

#include "core/Cp1252.h"
#include "core/Waypoint.h"

namespace vellora {

void CliEnv::print(std::string_view cp1252Line) const {
    out << utf8FromCp1252(cp1252Line) << '\n';
}

std::vector<std::string> CliEnv::readInputLines() const {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(cp1252FromUtf8(line));
    }
    return lines;
}

std::string waypointArgument(std::string_view arg) {
    WaypointCheck check = checkWaypoint(arg);
    if (!check.ok()) throw UsageError(check.problem);
    return std::move(check.waypoint);
}

}  // namespace vellora
