// A pocket-query GPX file as the import's first pass reads it: every waypoint turned into a cache
// record and compared with itself as the database record.
#include "FuzzHome.h"
#include "import/GpxImport.h"
#include "import/GpxReader.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    readGpxText(std::string(fuzz::asText(data, size)), [&home](const GpxWaypoint& wpt) {
        TCacheRec rec;
        std::string error, diff;
        if (gpxCacheRecord(home.ctx(), wpt, rec, error)) {
            CompareWithDatabase(rec, nullptr, diff);
            CompareWithDatabase(rec, &rec, diff);
        }
        return true;
    });
    return 0;
}
