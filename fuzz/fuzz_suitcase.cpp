// A suitcase file: its sections read and every description block checked, then loaded as the
// dialog loads it.
#include "FuzzHome.h"
#include "suitcase/Suitcase.h"
#include "suitcase/SuitcaseFormat.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    const std::string path = home.put("fuzz.suitcase", fuzz::asText(data, size));
    SuitcaseReader reader;
    SuitcaseContent content;
    if (reader.open(path) == 0) readSuitcase(reader, content);
    TfrmSuitcase dialog(home.ctx());
    dialog.loadFrom(path);
    home.clean();
    return 0;
}
