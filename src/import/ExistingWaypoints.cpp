#include "import/ExistingWaypoints.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/CacheIndexBuilder.h"
#include "core/CacheRec.h"
#include "core/CacheRecordReader.h"
#include "core/FileIO.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

WaypointKey keyOf(std::string_view waypoint) {
    char text[TCacheRec::kWaypointMax];
    std::memset(text, ' ', sizeof text);
    const std::size_t n = std::min(waypoint.size(), sizeof text);
    const auto& upper = upperTable();
    for (std::size_t i = 0; i < n; ++i)
        text[i] = static_cast<char>(upper[static_cast<unsigned char>(waypoint[i])]);
    WaypointKey key;
    std::memcpy(&key.head, text, sizeof key.head);
    std::memcpy(&key.tail, text + sizeof key.head, sizeof key.tail);
    return key;
}

}  // namespace

int ExistingWaypoints::load(const std::string& path, CacheIndexBuilder* index, const RecordsSink& copy) {
    int openError = 0;
    UniqueFd file = openFile(path, O_RDONLY, 0644, &openError);
    if (!file) return openError;
    struct stat st {};
    const std::size_t records =
        ::fstat(file.get(), &st) == 0 ? static_cast<std::size_t>(st.st_size) / kCacheRecSize : 0;
    slots_.assignZero(records + records * 3 / 7 + 16);
    CacheRecordReader stream(file.get());
    std::size_t count = 0;
    while (const char* first = stream.nextRecords(count)) {
        if (copy) copy(first, count);
        locate(first, count);
        for (std::size_t i = 0; i < count; ++i) {
            // A file that grew while read must not fill the table.
            if ((used_ + 1) * 10 > slots_.size() * 9) {
                grow();
                for (std::size_t j = i; j < count; ++j) slotsOf_[j] = slotOf(keys_[j]);
            }
            // Written out in the loop: GCC 12 takes a function holding only the hint for one
            // without effect and drops its calls.
            if (i + kLookAhead < count) __builtin_prefetch(slots_.data() + slotsOf_[i + kLookAhead]);
            insert(keys_[i], slotsOf_[i]);
            if (index) index->add(cacheRecWaypoint(first + i * kCacheRecSize));
        }
    }
    return stream.error();
}

void ExistingWaypoints::lookUp(const char* first, std::size_t count, std::vector<char>& found) {
    locate(first, count);
    found.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kLookAhead < count) __builtin_prefetch(slots_.data() + slotsOf_[i + kLookAhead]);
        found[i] = contains(keys_[i], slotsOf_[i]);
    }
}

// The keys of a block of records and their first slots.
void ExistingWaypoints::locate(const char* first, std::size_t count) {
    keys_.resize(count);
    slotsOf_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        keys_[i] = keyOf(cacheRecWaypoint(first + i * kCacheRecSize));
        slotsOf_[i] = slotOf(keys_[i]);
    }
    for (std::size_t i = 0; i < std::min(count, kLookAhead); ++i)
        __builtin_prefetch(slots_.data() + slotsOf_[i]);
}

std::size_t ExistingWaypoints::slotOf(const WaypointKey& key) const {
    std::uint64_t h = (key.head ^ (key.tail * 0xC2B2AE3D27D4EB4FULL)) * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    // The high half of the product spreads the hash over any table size.
    return static_cast<std::size_t>((static_cast<unsigned __int128>(h) * slots_.size()) >> 64);
}

bool ExistingWaypoints::contains(const WaypointKey& key, std::size_t slot) const {
    if (key.empty()) return hasEmptyKey_;
    for (;; slot = next(slot)) {
        if (slots_[slot] == key) return true;
        if (slots_[slot].empty()) return false;
    }
}

// An all-zero key marks a free slot, so the one waypoint that gives it is kept aside.
void ExistingWaypoints::insert(const WaypointKey& key, std::size_t slot) {
    if (key.empty()) {
        hasEmptyKey_ = true;
        return;
    }
    for (;; slot = next(slot)) {
        if (slots_[slot] == key) return;
        if (slots_[slot].empty()) {
            slots_[slot] = key;
            ++used_;
            return;
        }
    }
}

void ExistingWaypoints::grow() {
    LargeTable<WaypointKey> old;
    old.assignZero(slots_.size() * 2);
    old.swap(slots_);
    used_ = 0;
    for (std::size_t i = 0; i < old.size(); ++i)
        if (!old[i].empty()) insert(old[i], slotOf(old[i]));
}

}  // namespace vellora
