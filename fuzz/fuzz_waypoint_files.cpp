// A waypoint file (GPX, LOC or text, chosen by the input's first byte) read for the waypoint
// candidates the work list collector adds.
#include "FuzzHome.h"
#include "worklist/WPCol.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    if (size == 0) return 0;
    const auto format = static_cast<WPFileFormat>(data[0] % 3);
    const std::string path = home.put("fuzz.wpt", fuzz::asText(data + 1, size - 1));
    std::vector<std::string> candidates;
    std::string error;
    readWaypointCandidates(path, format, candidates, &error);
    home.clean();
    return 0;
}
