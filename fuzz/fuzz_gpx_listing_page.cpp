// The listing page built from a waypoint's lines of a GPX file.
#include "FuzzHome.h"
#include "import/GpxListingPage.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = gpxTrimmedLines(std::string(fuzz::asText(data, size)));
    for (const char* waypoint : {"GC1A2B3", "GCFUZZ", ""})
        gpxListingPageText(lines, waypoint, "http://127.0.0.1:8080", "http://127.0.0.1:8080/img");
    return 0;
}
