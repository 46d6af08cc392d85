// A ZIP archive (stored, shrunk, imploded, deflated members) listed and extracted into the home.
#include "FuzzHome.h"
#include "import/Unzip.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzz::FuzzHome::instance();
    const std::string archive = home.put("fuzz.zip", fuzz::asText(data, size));
    ListMembers(archive);
    TUnzipReport report;
    // Small limits: a member inflating past them must be refused, not written.
    ExtractMembers(archive, home.workFile("out/"), "*", report, std::uint64_t{8} << 20, 16);
    home.clean();
    return 0;
}
