#pragma once
// The cache record of Caches.bin (296 bytes) and the index record of Caches.idx (24 bytes), with
// the one codec every reader and writer uses. Little-endian; text is Windows-1252 in
// length-prefixed strings of a fixed maximum length; unused bytes are written as zero.
// Also the in-memory record list and the numeric cache-type codes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

inline constexpr std::size_t kCacheRecSize = 296;
inline constexpr std::size_t kIdxRecSize = 24;

struct TCacheRec {
    // Maximum text lengths; longer texts are cut when the record is encoded.
    static constexpr std::size_t kCacheNameMax = 120;
    static constexpr std::size_t kCacheTypeMax = 20;
    static constexpr std::size_t kCacheSizeMax = 20;
    static constexpr std::size_t kWaypointMax = 16;  // also the width of an index key
    static constexpr std::size_t kRatingMax = 3;

    std::int32_t CacheID = 0;
    std::string CacheName;
    double HiddenDate = 0;  // days since 30.12.1899
    double Lat = 0;
    double Lon = 0;
    std::string CacheType;
    std::string CacheSize;
    std::string Waypoint;
    std::string Difficulty;
    std::string Terrain;
    std::int32_t CountryID = 0;
    float HomeDist = 0;
    std::uint8_t Valid = 0;
    // Record bytes 229 to 292, kept raw: never text, bytes 230 on are scratch space.
    std::array<std::uint8_t, 64> Reserve{};

    // The record number a lookup leaves in bytes 230 to 233.
    std::int32_t recordNo() const;
    void setRecordNo(std::int32_t n);
    // The found date list editors keep in bytes 239 to 246 of their in-memory copies.
    double foundDate() const;
    void setFoundDate(double date);
    // Zeroes the scratch bytes 230 to 292 (done before a record edited by hand is stored).
    void clearReserveScratch();

    bool operator==(const TCacheRec&) const = default;
};

// A position on the globe: finite, latitude -90..90, longitude -180..180.
bool isPositionOnGlobe(double lat, double lon);
// Why a record must not be stored (a German text), or nullptr: a position off the globe or no
// number, a hidden date the program cannot show (0, the unknown date, is accepted).
const char* cacheRecFault(const TCacheRec& rec);

// Writes exactly kCacheRecSize bytes to out.
void encodeCacheRec(const TCacheRec& rec, char* out);
std::string encodeCacheRec(const TCacheRec& rec);
// Reads exactly kCacheRecSize bytes; a length byte above the field's maximum is taken as the maximum.
TCacheRec decodeCacheRec(const char* in);
// The Waypoint of an encoded record, without decoding the rest.
std::string_view cacheRecWaypoint(const char* in);

struct TIdxRec {
    std::string key;  // upper-case waypoint padded with blanks to 16 characters
    std::int32_t recordNo = 0;
    bool operator==(const TIdxRec&) const = default;
};

void encodeIdxRec(const TIdxRec& rec, char* out);
// The same from a key held elsewhere, for writers of many pairs.
void encodeIdxRec(std::string_view key, std::int32_t recordNo, char* out);
TIdxRec decodeIdxRec(const char* in);

struct TCacheClass {
    TCacheRec rec;
};

// Records keyed by their waypoint as stored, in the order of adding; owns its objects.
class TCacheList {
public:
    struct Entry {
        std::string key;
        TCacheClass obj;
    };

    // Adds a copy under rec.Waypoint; returns its position.
    int add(const TCacheRec& rec);
    int add(TCacheRec&& rec);
    // The record at a position (throws std::out_of_range outside the list).
    TCacheRec get(int pos) const { return at(pos); }
    const TCacheRec& at(int pos) const;
    // Replaces the record at a position; its key stays.
    void replace(int pos, const TCacheRec& rec);
    const std::string& key(int pos) const;
    // Key compared without regard to case.
    bool contains(std::string_view key) const { return indexOf(key) >= 0; }
    // First position of the key compared without regard to case, or -1.
    int indexOf(std::string_view key) const;
    // Frees the entry at a position; positions outside the list are ignored.
    void remove(int pos);
    void clear() { entries_.clear(); }
    void reserve(std::size_t n) { entries_.reserve(n); }

    int count() const { return static_cast<int>(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    const Entry& checked(int pos) const;
    std::vector<Entry> entries_;
};

// 0 to 9 for the known cache types (compared upper-cased), 10 for any other text.
int CacheTypeCode(std::string_view typeText);

}  // namespace vellora
