// The listing page built from a waypoint's lines of a GPX file, and from its element laid out one
// element a line.
#include "FuzzHome.h"
#include "import/GpxListingPage.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::asText(data, size));
    for (const std::vector<std::string>& lines : {gpxTrimmedLines(text), gpxElementLines(text)}) {
        for (const char* waypoint : {"GC1A2B3", "GCFUZZ", ""})
            gpxListingPageText(lines, waypoint, "http://127.0.0.1:8080", "http://127.0.0.1:8080/img",
                               "<table></table>");
    }
    return 0;
}
