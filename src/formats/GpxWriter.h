#pragma once
// The GPX list export: the settings' XML and gpx start lines, metadata with the bounds, the home
// points, then one user-editable waypoint template per cache.
#include <string>

#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

// The initial waypoint template of the GPX format (WPtpl.txt).
std::string defaultGpxWaypointTemplate();

struct GpxWriteOptions {
    bool homes = true;     // the primary home as a waypoint
    bool allHomes = true;  // ... and every additional home
    std::string waypointTemplate = defaultGpxWaypointTemplate();
    bool utf8Names = false;  // names whole (in a UTF-8 file as UTF-8), else in their ASCII form
};

void writeGpx(const RunContext& ctx, const GpxWriteOptions& opts, const TCacheList& list, TextOut& out);

}  // namespace vellora
