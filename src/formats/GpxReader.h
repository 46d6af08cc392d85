#pragma once
// Streaming reader of GPX 1.0 / 1.1 files with the listing site's cache extension (1.0, 1.0.1),
// on expat: values are read as XML defines them (entities, character references, CDATA, any
// namespace prefix), one waypoint at a time, so memory does not grow with the file. Values are
// handed over as UTF-8; each waypoint also carries its byte range in the file, from which the
// listing pages are cut. Damage that real files carry is mended on the way in (core/XmlRepair),
// and a file cut off gives the waypoints before the cut.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/XmlRepair.h"

namespace vellora {

struct GpxWaypoint {
    std::string latText, lonText;  // the attributes as written
    bool hasName = false;
    std::string name, time, urlname;
    bool hasUrlname = false;
    std::string linkText;            // GPX 1.1: <link><text>, where 1.0 has <urlname>
    std::string desc, cmt, gpxType;  // what an additional waypoint tells of itself
    // hasPlacedBy: the cache names an owner (an empty placed_by names none).
    bool hasCache = false, hasCacheId = false, hasPlacedBy = false, hasDifficulty = false, hasTerrain = false;
    std::string cacheId, cacheName, placedBy, type, container, difficulty, terrain, country;
    // Byte range of the element in the file: from its "<" to behind its end tag.
    std::uint64_t begin = 0, end = 0;
};

struct GpxReadResult {
    bool ok = true;         // false: the file could not be read or is not well-formed
    bool stopped = false;   // the callback asked to stop
    int errorCode = 0;      // errno of a failed read
    std::string errorText;  // what went wrong and where ("Zeile 12, Spalte 4: ..."), Windows-1252
    std::uint64_t errorLine = 0;
    std::string errorMessage;  // the parser's own words, without the place
    std::uint64_t bytesRead = 0;
    // The file ends inside its root element; ok stays true, errorText says where. A waypoint begun
    // before the cut is lost (its name, when it was read).
    bool truncated = false, lostWaypoint = false;
    std::string lostName;
    std::uint64_t repairs = 0;
    std::vector<std::string> repairsDescribed;  // the first repairs, "Zeile 12: ..."
    XmlRepair::Encoding encoding = XmlRepair::Encoding::Unknown;
};

// Calls onWaypoint for every wpt element in file order; returning false stops the reading.
GpxReadResult readGpxFile(const std::string& path, const std::function<bool(const GpxWaypoint&)>& onWaypoint);
// Every piece of character content inside an element named "name" (any case, without a prefix),
// wherever it stands: how the work list takes waypoint codes from any GPX file. Pieces are UTF-8.
GpxReadResult readGpxNames(const std::string& path, const std::function<void(std::string_view)>& onName);
// readGpxFile over text in memory (tests).
GpxReadResult readGpxText(const std::string& text, const std::function<bool(const GpxWaypoint&)>& onWaypoint);
// The bytes [begin, end) of a file, mended as readGpxFile mended them; empty when unreadable.
std::string readGpxElement(int fd, std::uint64_t begin, std::uint64_t end, XmlRepair::Encoding encoding);

}  // namespace vellora
