// A result page of the own-finds list as the finds loader reads it.
#include "FuzzHome.h"
#include "import/LoadFinds.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    TfrmLoadFinds loader(home.ctx());
    loader.parsePage(std::string(fuzz::asText(data, size)));
    return 0;
}
