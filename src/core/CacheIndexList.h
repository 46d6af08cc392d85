#pragma once
// The in-memory index of the cache database: (key, record number) pairs sorted by key without
// regard to case, each key once. Empty at start, loaded lazily by the first lookup, emptied by
// every rebuild.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/UpperCase.h"

namespace vellora {

struct CacheIndexEntry {
    std::string key;  // the waypoint in upper case, padded with blanks to 16 characters
    std::int32_t recordNo = 0;
};

struct CacheIndexList {
    std::vector<CacheIndexEntry> entries;  // sorted by key without regard to case, no repeated keys

    bool empty() const { return entries.empty(); }
    void clear() { entries.clear(); }

    // The record number stored under the key (compared without regard to case), by bisection.
    std::optional<std::int32_t> find(std::string_view key) const {
        const auto it = std::lower_bound(
            entries.begin(), entries.end(), key,
            [](const CacheIndexEntry& e, std::string_view k) { return compareNoCase(e.key, k) < 0; });
        if (it == entries.end() || compareNoCase(it->key, key) != 0) return std::nullopt;
        return it->recordNo;
    }
};

}  // namespace vellora
