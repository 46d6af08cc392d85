#pragma once
// The merge rules of the suitcase import, apart from files: the database, the waypoint lists,
// the finds and the notes. Everything is Windows-1252.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FoundList.h"

namespace vellora {

// Appends the incoming entries that the list does not hold yet (compared without regard to case).
void mergeWaypointList(std::vector<std::string>& local, const std::vector<std::string>& incoming, int& added,
                       int& present);

struct DbMergeResult {
    std::string records;  // the merged Caches.bin, in waypoint order
    std::vector<std::string> newWaypoints;
    int added = 0, changed = 0, discarded = 0;
};

// The rules in memory; the import streams them over files (SuitcaseDbMerge.h) to the same bytes.
// local and incoming hold whole 296-byte records. takeIncoming: a cache in both lists takes the
// incoming record ("Lokale DB aktualisieren"), else the local one stays. Waypoints that differ only
// in case are the same cache, as everywhere else in the database. progress gets the number of
// records handled so far.
DbMergeResult mergeDatabase(std::string_view local, std::string_view incoming, bool takeIncoming,
                            const std::function<void(std::int64_t)>& progress = {});

enum class DoubleFindsRule { TakeIncoming = 0, TakeNewer = 1, KeepLocal = 2 };

// Merges the incoming finds into local (incoming records left over are appended). Returns false,
// leaving local as it was, when a date needed for TakeNewer is not a date.
bool mergeFinds(std::vector<TFoundRec>& local, const std::vector<TFoundRec>& incoming, DoubleFindsRule rule,
                int& added, int& updated);

enum class DoubleNotesRule { TakeIncoming = 0, Combine = 1, CombineAndEdit = 2, KeepLocal = 3 };

struct LocalNote {
    std::string waypoint;
    std::vector<std::string> lines;
};

inline constexpr const char* kLocalNotesMarker = "*** Lokal vorhandene Informationen: ***";
inline constexpr const char* kImportedNotesMarker = "*** Aus Aktenkoffer importierte Informationen: ***";

// The lines of the merged Persinfo.txt. edit (CombineAndEdit) gets the waypoint and the combined
// note and returns the note as the user left it.
std::vector<std::string> mergeNotes(
    const std::vector<LocalNote>& local, std::vector<std::string> incoming, DoubleNotesRule rule,
    const std::function<std::vector<std::string>(const std::string& waypoint,
                                                 const std::vector<std::string>& note)>& edit = {});

}  // namespace vellora
