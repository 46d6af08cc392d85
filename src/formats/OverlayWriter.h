#pragma once
// The overlay file of the Top50 map program: one bitmap symbol per cache, optionally one label
// symbol with the waypoint, then the symbol count.
#include <string_view>

#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

struct OverlayOptions {
    bool labels = true;
    int colour = 2, size = 2;  // indexes of the colour and size choices
};

// "Col=" and "Size=" values for the colour and size choices, and the bitmaps.
int overlayColourValue(int index);
int overlaySizeValue(int index);
const char* overlayBitmap(std::string_view cacheType);

void writeOverlay(const RunContext& ctx, const OverlayOptions& opts, const TCacheList& list, TextOut& out);

}  // namespace vellora
