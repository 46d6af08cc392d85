// A list file of the working directory (WPList.txt, WPignore.txt, WParchived.txt...) as each of its
// readers takes it.
#include "FuzzHome.h"
#include "core/FileProcs.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    const std::string path = home.put(kWorkListFileName, fuzz::asText(data, size));
    readListFile(path);
    readArchivedWaypoints(path, ArchivedReading::AfterFirstSemicolon);
    readArchivedWaypoints(path, ArchivedReading::AfterLastSemicolon);
    home.clean();
    return 0;
}
