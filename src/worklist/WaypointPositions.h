#pragma once
// Positions of waypoints in a list of records, found without regard to case: a sorted array of
// 20 bytes an entry, a fraction of what a hash map of strings costs at a million records.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/CacheRec.h"
#include "worklist/CacheSnapshot.h"

namespace vellora {

class WaypointPositions {
public:
    // Of repeated waypoints the one at the later position counts.
    void assign(const CacheSnapshot& list);
    void clear();
    // The position of the waypoint, or -1.
    int find(std::string_view waypoint) const;
    // A waypoint the positions did not hold, now at pos (after every position already there).
    void add(std::string_view waypoint, int pos);

private:
    using Key = std::array<char, TCacheRec::kWaypointMax>;
    struct Entry {
        Key key;
        std::int32_t pos;
    };
    // Upper case, padded with NUL; false for a waypoint longer than a key or holding a NUL.
    static bool keyOf(std::string_view waypoint, Key& key);

    std::vector<Entry> entries_;                          // by key, then position
    std::unordered_map<std::string, int> longWaypoints_;  // upper case; the waypoints no key holds
};

}  // namespace vellora
