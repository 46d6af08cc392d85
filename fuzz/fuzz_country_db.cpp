// A country file of the cache-database server: cut into lines by the converter's line reader, each
// line parsed into a cache record.
#include "FuzzHome.h"
#include "import/GCDBReader.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFile file(fuzz::asText(data, size));
    TCacheDBLineReader reader(file.fd());
    std::string line;
    TCacheRec rec;
    while (reader.next(line) == TCacheDBLineReader::Status::Line) ParseCacheDBLine(line, rec);
    return 0;
}
