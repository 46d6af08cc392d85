#pragma once
// Cache records and databases for tests: one plausible record that each suite adjusts to what it
// looks at, and the database file made of records.
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"

namespace vellora::test {

// A regular traditional cache in Germany, hidden on 1 June 2005.
inline TCacheRec sampleCache(std::string waypoint, double lat = 49.6, double lon = 10.8) {
    TCacheRec r;
    r.CacheID = 4711;
    r.CacheName = "Cache " + waypoint;
    r.Waypoint = std::move(waypoint);
    r.Lat = lat;
    r.Lon = lon;
    r.CacheType = "Traditional Cache";
    r.CacheSize = "Regular";
    r.Difficulty = "1.5";
    r.Terrain = "2";
    r.CountryID = 79;
    r.HiddenDate = encodeDate(2005, 6, 1);
    return r;
}

// The bytes of a database file holding the records in this order.
inline std::string encodeDatabase(const std::vector<TCacheRec>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += encodeCacheRec(r);
    return bytes;
}

}  // namespace vellora::test
