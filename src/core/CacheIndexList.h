#pragma once
// The in-memory index of the cache database: (key, record number) pairs sorted by key without
// regard to case. Empty at start, loaded lazily by the first lookup, emptied by every rebuild.
#include <cstdint>
#include <string>
#include <vector>

namespace vellora {

struct CacheIndexEntry {
    std::string key;  // the waypoint in upper case, padded with blanks to 16 characters
    std::int32_t recordNo = 0;
};

struct CacheIndexList {
    std::vector<CacheIndexEntry> entries;

    bool empty() const { return entries.empty(); }
    void clear() { entries.clear(); }
};

}  // namespace vellora
