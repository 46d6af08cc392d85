#pragma once
// The own-finds record of Finds.bin and the in-memory found list.
// Finds.bin: 440-byte records, little-endian, no header, Windows-1252 text in length-prefixed
// strings. The file is only ever rewritten whole from a complete list, never patched in place.
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

struct TFoundRec {
    static constexpr std::size_t kSize = 440;
    // Field offsets and the maximum text lengths of the string fields.
    static constexpr std::size_t kLatOffset = 0, kLonOffset = 8;
    static constexpr std::size_t kWaypointOffset = 16, kWaypointMax = 16;
    static constexpr std::size_t kCacheNameOffset = 33, kCacheNameMax = 120;
    static constexpr std::size_t kCacheTypeOffset = 154, kCacheTypeMax = 20;
    static constexpr std::size_t kFoundDateOffset = 175, kFoundDateMax = 10;

    double Lat = 0;
    double Lon = 0;
    std::string Waypoint;   // the key; empty marks a consumed list entry
    std::string CacheName;  // at most 120 characters
    std::string CacheType;  // at most 20 characters
    std::string FoundDate;  // "dd.MM.yyyy"

    bool operator==(const TFoundRec&) const = default;
};

using FoundRecBytes = std::array<unsigned char, TFoundRec::kSize>;

// Texts longer than their field are cut; unused bytes are zero.
FoundRecBytes encodeFoundRec(const TFoundRec& rec);
void encodeFoundRec(const TFoundRec& rec, std::string& appendTo);
// bytes must hold at least kSize bytes. A length byte beyond the field's maximum is taken as the maximum.
TFoundRec decodeFoundRec(std::string_view bytes);

class TFoundClass {
public:
    explicit TFoundClass(const TFoundRec& rec) : Rec(rec) {}
    TFoundRec Rec;
};

// Text keys (the record's waypoint when added), each owning one TFoundClass; unsorted, in the
// order of adding. Positions are 0-based.
class TFoundList {
public:
    TFoundList() = default;
    TFoundList(TFoundList&&) = default;
    TFoundList& operator=(TFoundList&&) = default;
    TFoundList(const TFoundList&) = delete;
    TFoundList& operator=(const TFoundList&) = delete;

    int count() const { return static_cast<int>(entries_.size()); }
    bool empty() const { return entries_.empty(); }

    // Adds a copy of the record under its waypoint; returns its position.
    int add(const TFoundRec& rec);
    // A copy of the record at pos; an all-empty record for a position outside the list.
    TFoundRec get(int pos) const;
    // The key text at pos (unchanged by consume); empty outside the list.
    const std::string& key(int pos) const;
    // The object at pos, or nullptr outside the list.
    TFoundClass* object(int pos);
    const TFoundClass* object(int pos) const;

    // Empties the record's Waypoint; the key stays. Positions outside the list are ignored.
    void consume(int pos);
    bool isConsumed(int pos) const;
    // Removes and frees the entry; positions outside the list are ignored.
    void deleteAt(int pos);
    void clear() { entries_.clear(); }

    // First position whose key equals the text without regard to case, else -1.
    int indexOf(std::string_view key) const;

private:
    struct Entry {
        std::string key;
        std::unique_ptr<TFoundClass> object;
    };
    bool valid(int pos) const { return pos >= 0 && pos < count(); }

    std::vector<Entry> entries_;
};

// Reads the records of a Finds.bin file in file order into records (replacing its content).
// A trailing partial record is ignored. Returns 0, or the errno that ended the reading
// (ENOENT for a missing file); the records read until then stay.
int readFoundRecords(const std::string& path, std::vector<TFoundRec>& records);
// The same into a list (cleared first), each record under its waypoint.
int readFoundList(const std::string& path, TFoundList& list);

// Rewrites the whole file through a temporary file; returns 0 or errno (the old file stays whole).
int writeFoundRecords(const std::string& path, const std::vector<TFoundRec>& records);
// Writes the list's records in list order, leaving out consumed entries.
int writeFoundList(const std::string& path, const TFoundList& list);

}  // namespace vellora
