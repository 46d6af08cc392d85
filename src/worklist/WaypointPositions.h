#pragma once
// Positions of waypoints in a snapshot, found without regard to case: the positions sorted by their
// waypoints, 4 bytes an entry, a fraction of what a hash map of strings costs at a million records.
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
    // Of repeated waypoints the one at the later position counts. The snapshot must outlive this.
    void assign(const CacheSnapshot& list);
    void clear();
    // The position of the waypoint, or -1.
    int find(std::string_view waypoint) const;
    // The snapshot's record at pos, added after every position already there, under waypoint.
    void add(std::string_view waypoint, int pos);

private:
    using Key = std::array<char, TCacheRec::kWaypointMax>;
    struct Entry {
        Key key;
        std::int32_t pos;
    };
    // Upper case, padded with NUL; false for a waypoint longer than a key or holding a NUL.
    static bool keyOf(std::string_view waypoint, Key& key);

    Key keyAt(std::int32_t pos) const;

    const CacheSnapshot* list_ = nullptr;
    std::vector<std::int32_t> order_;                     // by key, then position
    std::unordered_map<std::string, int> longWaypoints_;  // upper case; the waypoints no key holds
};

}  // namespace vellora
