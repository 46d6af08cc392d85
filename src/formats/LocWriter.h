#pragma once
// The LOC list export: one waypoint element per cache with its name, position and listing address.
#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

// utf8Names: a UTF-8 file with the names whole; else ISO-8859-1 with the names in their ASCII form.
void writeLoc(const RunContext& ctx, bool utf8Names, const TCacheList& list, TextOut& out);

}  // namespace vellora
