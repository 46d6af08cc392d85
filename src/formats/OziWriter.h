#pragma once
// The OziExplorer waypoint file (version 1.1): four header lines, then one line per cache with
// colours and symbol by type group.
#include <array>
#include <cstdint>
#include <string>

#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

// OziExplorer colours per type group (24-bit, red in the lowest byte); they last for the run.
struct OziColours {
    std::array<std::int32_t, 4> foreground = {8, 8, 8, 8};
    std::array<std::int32_t, 4> background = {32768, 33023, 16711680, 16777215};
};

// The switches carry the names of the export options they come from.
struct OziOptions {
    std::int32_t OziNumber = 0, OziDate = 0;
    std::string OziFontsize = "6", OziSymSize = "17";
    bool OziBold = false, OziSwap = false;
    std::array<std::string, 4> OziSym = {"1", "1", "1", "1"};
    OziColours colours;
};

void writeOzi(const RunContext& ctx, const OziOptions& opts, const TCacheList& list, TextOut& out);

}  // namespace vellora
