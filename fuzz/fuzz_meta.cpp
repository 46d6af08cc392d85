// The image list of a cache (W.meta, written by the loader or carried over by the suitcase) as the
// description generator reads it, with the image files it names measured.
#include "FuzzHome.h"
#include "listing/CreateDescr.h"
#include "listing/ImageSize.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    // Before the first NUL: the .meta file; after it: an image it may name (GCFUZZ_i1.jpg).
    const auto [meta, image] = fuzz::splitAtNul(fuzz::asText(data, size));
    home.put("GCFUZZ.html", "<span id=\"CacheName\">Fuzz</span>\r\n");
    home.put("GCFUZZ.meta", meta);
    home.put("GCFUZZ_i1.jpg", image);
    imageSizeOfData(image);
    TCreateDescr generator(home.ctx());
    generator.options.CacheImages = true;
    if (generator.loadTemplate()) {
        generator.prepareRun();
        generator.convertCache("GCFUZZ");
    }
    home.clean();
    return 0;
}
