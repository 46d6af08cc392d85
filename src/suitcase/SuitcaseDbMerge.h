#pragma once
// The database merge of the suitcase import over files: both sides are read twice in bounded
// memory, once for their keys and once, in merge order, for the records written. The rules are
// those of mergeDatabase (SuitcaseMerge.h), and so is the result, byte for byte.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileIO.h"

namespace vellora {

// count whole records from offset in an open file.
struct RecordRun {
    int fd = -1;
    std::uint64_t offset = 0;
    std::int64_t count = 0;
};

// The keys of a run in merge order: upper-cased waypoints, equal ones in file order.
class MergeKeys {
public:
    // Reads the run's waypoints; accept (when given) leaves out the records it refuses.
    // 0 or the errno of a failed read.
    int read(const RecordRun& run, const std::function<bool(std::string_view waypoint)>& accept = {});
    std::size_t size() const { return keys_.size(); }
    // The record number in the run of the i-th key in merge order.
    std::uint32_t record(std::size_t i) const { return keys_[i].record; }
    // <0, 0, >0 as key i of this compares with key j of other.
    int compare(std::size_t i, const MergeKeys& other, std::size_t j) const;

private:
    // The zero-padded text as two big-endian words: their order is the byte order of the text.
    struct Key {
        std::uint64_t high, low;
        std::uint32_t len, record;
    };
    std::vector<Key> keys_;
};

struct DbMergeCounts {
    int added = 0, changed = 0, discarded = 0;
};

// What the merge will do, without reading a record.
DbMergeCounts planDatabaseMerge(const MergeKeys& local, const MergeKeys& incoming, bool takeIncoming);

// Where writing the merge failed: an errno, and the run that could not be read (none: writing).
struct DbMergeIo {
    int code = 0;
    const RecordRun* unreadable = nullptr;
};

// Writes the merged records in key order to out and collects the waypoints of the records new to
// local. progress gets the number of records handled so far.
DbMergeIo writeDatabaseMerge(const RecordRun& local, const MergeKeys& localKeys, const RecordRun& incoming,
                             const MergeKeys& incomingKeys, bool takeIncoming, AtomicFileWriter& out,
                             std::vector<std::string>& newWaypoints,
                             const std::function<void(std::int64_t)>& progress = {});

}  // namespace vellora
