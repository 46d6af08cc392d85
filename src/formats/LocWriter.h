#pragma once
// The LOC list export: one waypoint element per cache with its name, position and listing address.
#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

void writeLoc(const RunContext& ctx, const TCacheList& list, TextOut& out);

}  // namespace vellora
