#pragma once
// The text overlay of Psion RealMaps: latitude, longitude and a text per line, tab-separated.
#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

// info: 0 the name, 1 the waypoint, 2 both.
void writeRealMaps(int info, const TCacheList& list, TextOut& out);

}  // namespace vellora
