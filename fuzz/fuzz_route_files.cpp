// A route file of each kind the route search reads (overlay, cursor list, map-source export), and
// its lines as single route points.
#include "FuzzHome.h"
#include "core/FileProcs.h"
#include "tools/RouteFiles.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    if (size == 0) return 0;
    const std::string_view text = fuzz::asText(data + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            readOverlayRoute(home.ctx().host(), home.put("fuzz.ovl", text));
            break;
        case 1:
            readCursorRoute(home.ctx().host(), home.put("fuzz.txt", text));
            break;
        default:
            readMapSourceRoute(home.ctx().host(), home.put("fuzz.gdb", text));
            break;
    }
    GeoPoint point;
    double x = 0, y = 0;
    for (const std::string& line : splitListLines(text)) {
        parseRoutePoint(line, point);
        parseCursorLine(line, x, y);
    }
    home.clean();
    return 0;
}
