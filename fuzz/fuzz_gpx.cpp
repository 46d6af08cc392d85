// A pocket-query GPX file through the import's first pass ("1: Einlesen"): the file scanned for its
// title and counts, every waypoint read, turned into a cache record and compared with the database.
#include "FuzzHome.h"
#include "import/GpxImport.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    TfrmGPXImp dialog(home.ctx());
    dialog.setFile(home.put("fuzz.gpx", fuzz::asText(data, size)));
    dialog.open();
    dialog.btnStartClick();
    dialog.close();
    home.clean();
    return 0;
}
