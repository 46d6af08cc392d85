// The waypoint rule and the safe join of a directory and a name: whatever the bytes, a waypoint
// that passes is 2 to 16 of A-Z and 0-9, a refusal shows the value without control bytes, and a
// name that joins stays directly inside its directory.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzHome.h"
#include "core/SafePath.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"

using namespace vellora;

namespace {

void require(bool holds) {
    if (!holds) std::abort();
}

bool codeChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void checkRule(std::string_view text) {
    const WaypointCheck check = checkWaypoint(text);
    if (check.ok()) {
        const std::string& w = check.waypoint;
        require(w.size() >= kWaypointMinLength && w.size() <= kWaypointMaxLength);
        require(w == upperAscii(text));
        for (char c : w) require(codeChar(c));
        require(normalWaypoint(text) == w);
        // A waypoint names files of the output directory and nothing else.
        for (const char* suffix : {".html", ".meta", "_converted.html"}) {
            require(isSafeFileName(w + suffix));
            require(isCachePageName(w + suffix));
        }
        require(!isCachePageName(w + "_i1.jpg"));
    } else {
        require(check.waypoint.empty() && !normalWaypoint(text));
        // The message is one line of bounded length, whatever the value held.
        require(check.problem.size() < 300);
        for (char c : check.problem) require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
    const std::string shown = escapedValue(text);
    for (char c : shown) require(c >= 0x20 && c < 0x7F);
}

void checkJoin(std::string_view name) {
    const auto joined = safeJoin("/out/", name);
    require(joined.has_value() == isSafeFileName(name));
    if (!joined) return;
    const std::filesystem::path p = std::filesystem::path(*joined).lexically_normal();
    require(p.parent_path() == "/out");
    require(p.filename().string() == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    checkRule(text);
    checkJoin(text);
    return 0;
}
