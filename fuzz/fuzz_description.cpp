// The description generator over a saved listing page: extraction, the removal options (chosen by
// the input's first byte) and the filled template written to the output directory.
#include "FuzzHome.h"
#include "listing/CreateDescr.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    if (size == 0) return 0;
    const unsigned choice = data[0];
    home.put("GCFUZZ.html", fuzz::asText(data + 1, size - 1));
    TCreateDescr generator(home.ctx());
    generator.options.RmAll = choice & 1;
    generator.options.RmImg = choice & 2;
    generator.options.RmHREF = choice & 4;
    generator.options.RmBody = choice & 8;
    generator.options.RmBGColor = choice & 16;
    generator.options.RmStyle = choice & 32;
    generator.options.Logs = choice & 64;
    generator.options.CacheImages = choice & 128;
    if (generator.loadTemplate()) {
        generator.prepareRun();
        generator.convertCache("GCFUZZ");
    }
    home.clean();
    return 0;
}
