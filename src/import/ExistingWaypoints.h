#pragma once
// The waypoints of a cache database as it stands, for lookups without regard to case whatever the
// state of Caches.idx: a table of open addressing of the index keys, about 23 bytes a record. A
// lookup is a cache miss or two whatever the table's size; records are taken a block at a time and
// the slots of the records ahead are fetched early, so that the misses overlap.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace vellora {

class CacheIndexBuilder;

// The index key of a waypoint (upper case, padded with blanks) as two words.
struct WaypointKey {
    std::uint64_t head = 0, tail = 0;
    bool operator==(const WaypointKey&) const = default;
    bool empty() const { return head == 0 && tail == 0; }
};

// Zeroed memory for a large table of random access, on huge pages where the system grants them:
// that spares most of the address translation misses of the lookups.
template <typename T>
class LargeTable {
public:
    static_assert(std::is_trivially_copyable_v<T>);
    LargeTable() = default;
    LargeTable(const LargeTable&) = delete;
    LargeTable& operator=(const LargeTable&) = delete;
    ~LargeTable() { std::free(data_); }

    void assignZero(std::size_t count) {
        constexpr std::size_t kHugePage = std::size_t{2} << 20;
        const std::size_t bytes = (count * sizeof(T) + kHugePage - 1) / kHugePage * kHugePage;
        T* const fresh = static_cast<T*>(std::aligned_alloc(kHugePage, bytes));
        if (!fresh) throw std::bad_alloc();
        std::free(data_);
        data_ = fresh;
        ::madvise(data_, bytes, MADV_HUGEPAGE);
        std::memset(static_cast<void*>(data_), 0, count * sizeof(T));
        size_ = count;
    }
    std::size_t size() const { return size_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    void swap(LargeTable& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
    }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

// The waypoints of the database as it stands, for lookups without regard to case, whatever the
// state of Caches.idx: a table of open addressing of the keys, about 23 bytes a record. A lookup
// is a cache miss or two whatever the table's size; records are taken a block at a time and the
// slots of the records ahead are fetched early, so that the misses overlap.
class ExistingWaypoints {
public:
    // Receives the records as they are read, a block at a time.
    using RecordsSink = std::function<void(const char* records, std::size_t count)>;

    // 0, or the errno of opening or reading the database. index (when given) gets every waypoint
    // in record order, copy (when given) every record.
    int load(const std::string& path, CacheIndexBuilder* index, const RecordsSink& copy);
    // found[i]: whether the database holds the waypoint of record i of count records from first.
    void lookUp(const char* first, std::size_t count, std::vector<char>& found);

private:
    static constexpr std::size_t kLookAhead = 16;

    void locate(const char* first, std::size_t count);
    std::size_t next(std::size_t slot) const { return slot + 1 == slots_.size() ? 0 : slot + 1; }
    std::size_t slotOf(const WaypointKey& key) const;
    bool contains(const WaypointKey& key, std::size_t slot) const;
    void insert(const WaypointKey& key, std::size_t slot);
    void grow();

    LargeTable<WaypointKey> slots_;
    std::size_t used_ = 0;
    bool hasEmptyKey_ = false;
    std::vector<WaypointKey> keys_;  // of the block at hand
    std::vector<std::size_t> slotsOf_;
};

}  // namespace vellora
