#pragma once
// Caches.idx from the waypoints of Caches.bin in record order. Callers that write the records
// themselves hand each waypoint over as they go, so the index costs no second read of the file.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/CacheRec.h"

namespace vellora {

class RunContext;

class CacheIndexBuilder {
public:
    void reserve(std::size_t records) { items_.reserve(records); }
    // The waypoint of the next record (numbered from 0 in the order of the calls).
    void add(std::string_view waypoint);
    std::int32_t records() const { return next_; }

    // Writes Caches.idx of the working directory and empties the index list. 0 on success; -3
    // Caches.idx cannot be created, -4 write error (as RebuildIndex).
    int write(RunContext& ctx);

private:
    // Sorting the texts key + record number without regard to case orders equal keys by the
    // number as text ("10" before "9"); the index file has always been in this order.
    struct Item {
        // The upper-case table maps capitals to themselves, so byte order of the upper-cased text
        // is its order without regard to case.
        char text[TCacheRec::kWaypointMax + 11];
        std::uint8_t len;
        std::int32_t recordNo;
    };
    std::vector<Item> items_;
    std::int32_t next_ = 0;
};

}  // namespace vellora
