// A saved listing page through the field extractor: every span field cut out and cleaned, the image
// entries, the travel bugs, the additional waypoints and the log block.
#include "FuzzHome.h"
#include "listing/Parse.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ListingSite site("http://127.0.0.1:8080", "http://127.0.0.1:8080/img");
    const std::string page = joinPageLines(fuzz::asText(data, size));
    LogCounters counters{};
    SpanFieldReader fields(page);
    std::string id, content;
    while (fields.next(id, content)) {
        if (!cleanField(id, content, site, counters)) continue;
        if (id == "IMAGES") {
            std::string url, title, description;
            while (getImageEntry(content, url, title, description, site.imageHost())) {
            }
        }
        if (id == "CACHELOGS") finishLogBlock(content);
    }
    getTravelBugs(page);
    getAdditionalWaypoints(page);
    std::string text = page, tag;
    for (int i = 0; i < 64 && cutFirstTag(text, tag); ++i) {
    }
    parseListingDate(fuzz::asText(data, std::min<std::size_t>(size, 64)), 39059.0);
    return 0;
}
