#pragma once
// Caches.idx from the waypoints of Caches.bin in record order. Callers that write the records
// themselves hand each waypoint over as they go, so the index costs no second read of the file.
//
// Memory stays the same whatever the number of records: the keys are sorted in runs of a fixed
// size, each full run goes to an unnamed scratch file in the working directory, and write() merges
// the runs into the index. Where no scratch file can be made, the keys stay in memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileIO.h"

namespace vellora {

class RunContext;

class CacheIndexBuilder {
public:
    // 3 MiB of keys.
    static constexpr std::size_t kDefaultRunKeys = std::size_t{1} << 17;

    // spillDir: where the scratch file of the runs goes; runKeys: keys sorted in memory at a time.
    explicit CacheIndexBuilder(std::string spillDir, std::size_t runKeys = kDefaultRunKeys);

    // The waypoint of the next record (numbered from 0 in the order of the calls).
    void add(std::string_view waypoint);
    std::int32_t records() const { return next_; }
    // Runs that went to the scratch file so far.
    std::size_t spilledRuns() const { return runs_.size(); }

    // Writes Caches.idx of the working directory and starts over. 0 on success; -3 Caches.idx
    // cannot be created, -4 write error (also of the scratch file), as RebuildIndex.
    int write(RunContext& ctx);

    // The index is sorted by the texts key + record number without regard to case, which orders
    // equal keys by the number as text ("10" before "9"); the index file has always been in this
    // order. The upper-case table maps capitals to themselves, so byte order of the upper-cased
    // key is its order without regard to case; held as two big-endian words, it is their order.
    struct Item {
        std::uint64_t head, tail;
        std::int32_t recordNo;
    };

private:
    struct Run {
        std::uint64_t first;  // item position in the scratch file
        std::uint64_t count;
    };

    void spill();
    // The pairs of all runs in order into out: 0 or errno.
    int mergeInto(AtomicFileWriter& out);
    void reset();

    std::string spillDir_;
    std::size_t runKeys_;
    std::vector<Item> items_;
    std::vector<Run> runs_;
    UniqueFd scratch_;
    bool spillFailed_ = false;
    std::int32_t next_ = 0;
};

}  // namespace vellora
