// Finds.bin read as records, as the keyed list and as the found waypoints of the working directory.
#include "FuzzHome.h"
#include "core/FileProcs.h"
#include "core/FoundList.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    const std::string path = home.put(kFoundFileName, fuzz::asText(data, size));
    std::vector<TFoundRec> records;
    readFoundRecords(path, records);
    TFoundList list;
    readFoundList(path, list);
    std::vector<std::string> waypoints;
    LoadFoundWaypoints(home.ctx(), waypoints);
    home.clean();
    return 0;
}
