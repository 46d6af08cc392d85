#pragma once
// The cache database: Caches.bin (one TCacheRec per cache) and its sorted index Caches.idx in
// the working directory. Every operation opens and closes the files itself; the only state kept
// between operations is the index list ctx.cacheIndex.
#include <cstdint>
#include <string_view>

#include "core/CacheRec.h"

namespace vellora {

class RunContext;

// Looks a waypoint up (without regard to case), through the index list when there is one, else
// by reading the file. Found: rec is the record with its number also in Reserve bytes 230 to 233.
// Not found: rec is all zero and recordNo -1.
bool FindCache(RunContext& ctx, std::string_view waypoint, TCacheRec& rec, std::int32_t& recordNo);
bool FindCache(RunContext& ctx, std::string_view waypoint, TCacheRec& rec);

// Appends the record unless its waypoint is found. Caches.bin must exist. The index is not
// updated: callers rebuild it when their batch is done.
// Records that may not be stored (cacheRecFault) are refused.
bool AppendCache(RunContext& ctx, const TCacheRec& rec);

// Overwrites the record with the same waypoint in place, or appends it. Reports failures.
bool UpdateCache(RunContext& ctx, const TCacheRec& rec);
// Writes rec over record recordNo of the open Caches.bin, or, for a negative recordNo, behind its
// last whole record, taking back a partial record when the write fails: 0 or errno.
int storeCacheRecord(int fd, const TCacheRec& rec, std::int32_t recordNo);

// All records in file order, showing the wait window. A failure to open or read is reported and
// the list keeps what was read; complete (when given) tells whether the whole file was read.
// An incomplete record at the end of the file is not a record and ends the reading quietly.
// progressText: the text of the wait window.
TCacheList LoadAllCaches(RunContext& ctx, bool* complete = nullptr,
                         const char* progressText = "Cache-DB wird gelesen");
inline void FreeAllCaches(TCacheList& list) {
    list.clear();
}

// Removes every record whose waypoint equals the given text (with case) and rebuilds the index.
// Returns the number of records removed, or -1 when the database could not be read (reported by
// LoadAllCaches; the file is left as it was) or not be rewritten (not reported).
int DeleteCache(RunContext& ctx, std::string_view waypoint);

// Writes Caches.idx anew from Caches.bin and empties the index list. 0 on success; -1 Caches.bin
// cannot be opened, -2 read error, -3 Caches.idx cannot be created, -4 write error.
int RebuildIndex(RunContext& ctx);

// Fills the index list from Caches.idx (empty when there is none); of repeated keys the pair
// read last counts.
void LoadIndex(RunContext& ctx);

// Whether the first record of Caches.bin looks like one of this format. When the records behind it
// do not either (a file of an older format), asks whether to delete the file (and does so on yes);
// when they do, names the bad record and offers to drop it and every record that may not be stored
// (true after that repair). No file or no complete record: false, silently.
bool CheckCacheDB(RunContext& ctx);

// Run at every start before the database is used: removes temporary files that a killed run left
// in the working and the program directory and rebuilds Caches.idx when the working directory had
// any or when the index does not describe Caches.bin (its pair count, or a sample of pairs). True
// when the index was rebuilt.
bool RecoverCacheDB(RunContext& ctx);

// Number of complete records in Caches.bin; 0 when there is none.
std::int64_t cacheRecordCount(const RunContext& ctx);

}  // namespace vellora
