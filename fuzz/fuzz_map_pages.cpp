// The pages of the map services that the map loader scrapes for image and tile addresses.
#include "FuzzHome.h"
#include "core/FileProcs.h"
#include "listing/MapImages.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = splitListLines(fuzz::asText(data, size));
    multiMapImageUrl(lines);
    stadtplanSessionId(lines);
    stadtplanTileUrls(lines, "http://127.0.0.1:8080/stadtplan", 9);
    readMapQuestForm(lines);
    mapQuestImageUrl(lines);
    return 0;
}
