// Caches.bin and Caches.idx as a start finds them: the recovery check, the format check, the index
// and look-ups of waypoints that may or may not be there.
#include <cstring>

#include "FuzzHome.h"
#include "core/GCDBParse.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    // The first two bytes say how much of the rest is Caches.bin (in whole records and a tail).
    if (size < 2) return 0;
    const std::size_t binSize = std::min<std::size_t>(size - 2, (std::size_t{data[0]} << 8 | data[1]) * 37u);
    const std::string_view rest = fuzz::asText(data + 2, size - 2);
    home.put("Caches.bin", rest.substr(0, binSize));
    home.put("Caches.idx", rest.substr(binSize));
    RunContext& ctx = home.ctx();
    RecoverCacheDB(ctx);
    CheckCacheDB(ctx);
    LoadIndex(ctx);
    cacheRecordCount(ctx);
    TCacheRec rec;
    for (const char* waypoint : {"GC1A2B3", "GCFUZZ", "GC", ""}) FindCache(ctx, waypoint, rec);
    home.clean();
    return 0;
}
