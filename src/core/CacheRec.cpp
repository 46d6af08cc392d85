#include "core/CacheRec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "core/DateUtil.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

// Field offsets in the cache record.
constexpr std::size_t kOffCacheID = 0;
constexpr std::size_t kOffCacheName = 4;
constexpr std::size_t kOffHiddenDate = 128;
constexpr std::size_t kOffLat = 136;
constexpr std::size_t kOffLon = 144;
constexpr std::size_t kOffCacheType = 152;
constexpr std::size_t kOffCacheSize = 173;
constexpr std::size_t kOffWaypoint = 194;
constexpr std::size_t kOffDifficulty = 211;
constexpr std::size_t kOffTerrain = 215;
constexpr std::size_t kOffCountryID = 220;
constexpr std::size_t kOffHomeDist = 224;
constexpr std::size_t kOffValid = 228;
constexpr std::size_t kOffReserve = 229;

// Positions inside Reserve (record byte = 229 + position).
constexpr std::size_t kResRecordNo = 1;    // bytes 230..233
constexpr std::size_t kResFoundDate = 10;  // bytes 239..246

constexpr std::size_t kIdxOffRecordNo = 20;

void putU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t getU32(const unsigned char* p) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

void putU64(unsigned char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint64_t getU64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

void putI32(unsigned char* p, std::int32_t v) {
    putU32(p, static_cast<std::uint32_t>(v));
}
std::int32_t getI32(const unsigned char* p) {
    return static_cast<std::int32_t>(getU32(p));
}
void putDouble(unsigned char* p, double v) {
    putU64(p, std::bit_cast<std::uint64_t>(v));
}
double getDouble(const unsigned char* p) {
    return std::bit_cast<double>(getU64(p));
}
void putFloat(unsigned char* p, float v) {
    putU32(p, std::bit_cast<std::uint32_t>(v));
}
float getFloat(const unsigned char* p) {
    return std::bit_cast<float>(getU32(p));
}

// Length byte, the text cut to max, zeros up to max. The caller's buffer is zeroed already.
void putString(unsigned char* p, std::string_view text, std::size_t max) {
    const std::size_t n = std::min(text.size(), max);
    p[0] = static_cast<unsigned char>(n);
    std::memcpy(p + 1, text.data(), n);
}

std::string getString(const unsigned char* p, std::size_t max) {
    const std::size_t n = std::min<std::size_t>(p[0], max);
    return std::string(reinterpret_cast<const char*>(p + 1), n);
}

}  // namespace

std::int32_t TCacheRec::recordNo() const {
    return getI32(Reserve.data() + kResRecordNo);
}
void TCacheRec::setRecordNo(std::int32_t n) {
    putI32(Reserve.data() + kResRecordNo, n);
}
double TCacheRec::foundDate() const {
    return getDouble(Reserve.data() + kResFoundDate);
}
void TCacheRec::setFoundDate(double date) {
    putDouble(Reserve.data() + kResFoundDate, date);
}
void TCacheRec::clearReserveScratch() {
    std::fill(Reserve.begin() + 1, Reserve.end(), std::uint8_t{0});
}

bool isPositionOnGlobe(double lat, double lon) {
    // Written so that NaN fails every comparison.
    return lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180;
}

const char* cacheRecFault(const TCacheRec& rec) {
    if (!isPositionOnGlobe(rec.Lat, rec.Lon))
        return "Koordinaten au\xDF"
               "erhalb des g\xFC"
               "ltigen Bereichs";
    if (rec.HiddenDate != 0 && !isRepresentableDate(rec.HiddenDate))
        return "Versteckdatum ung\xFC"
               "ltig";
    return nullptr;
}

void encodeCacheRec(const TCacheRec& rec, char* out) {
    auto* p = reinterpret_cast<unsigned char*>(out);
    std::memset(p, 0, kCacheRecSize);
    putI32(p + kOffCacheID, rec.CacheID);
    putString(p + kOffCacheName, rec.CacheName, TCacheRec::kCacheNameMax);
    putDouble(p + kOffHiddenDate, rec.HiddenDate);
    putDouble(p + kOffLat, rec.Lat);
    putDouble(p + kOffLon, rec.Lon);
    putString(p + kOffCacheType, rec.CacheType, TCacheRec::kCacheTypeMax);
    putString(p + kOffCacheSize, rec.CacheSize, TCacheRec::kCacheSizeMax);
    putString(p + kOffWaypoint, rec.Waypoint, TCacheRec::kWaypointMax);
    putString(p + kOffDifficulty, rec.Difficulty, TCacheRec::kRatingMax);
    putString(p + kOffTerrain, rec.Terrain, TCacheRec::kRatingMax);
    putI32(p + kOffCountryID, rec.CountryID);
    putFloat(p + kOffHomeDist, rec.HomeDist);
    p[kOffValid] = rec.Valid;
    std::memcpy(p + kOffReserve, rec.Reserve.data(), rec.Reserve.size());
}

std::string encodeCacheRec(const TCacheRec& rec) {
    std::string out(kCacheRecSize, '\0');
    encodeCacheRec(rec, out.data());
    return out;
}

TCacheRec decodeCacheRec(const char* in) {
    const auto* p = reinterpret_cast<const unsigned char*>(in);
    TCacheRec rec;
    rec.CacheID = getI32(p + kOffCacheID);
    rec.CacheName = getString(p + kOffCacheName, TCacheRec::kCacheNameMax);
    rec.HiddenDate = getDouble(p + kOffHiddenDate);
    rec.Lat = getDouble(p + kOffLat);
    rec.Lon = getDouble(p + kOffLon);
    rec.CacheType = getString(p + kOffCacheType, TCacheRec::kCacheTypeMax);
    rec.CacheSize = getString(p + kOffCacheSize, TCacheRec::kCacheSizeMax);
    rec.Waypoint = getString(p + kOffWaypoint, TCacheRec::kWaypointMax);
    rec.Difficulty = getString(p + kOffDifficulty, TCacheRec::kRatingMax);
    rec.Terrain = getString(p + kOffTerrain, TCacheRec::kRatingMax);
    rec.CountryID = getI32(p + kOffCountryID);
    rec.HomeDist = getFloat(p + kOffHomeDist);
    rec.Valid = p[kOffValid];
    std::memcpy(rec.Reserve.data(), p + kOffReserve, rec.Reserve.size());
    return rec;
}

std::string_view cacheRecWaypoint(const char* in) {
    const std::size_t n =
        std::min<std::size_t>(static_cast<unsigned char>(in[kOffWaypoint]), TCacheRec::kWaypointMax);
    return std::string_view(in + kOffWaypoint + 1, n);
}

void encodeIdxRec(const TIdxRec& rec, char* out) {
    encodeIdxRec(rec.key, rec.recordNo, out);
}

void encodeIdxRec(std::string_view key, std::int32_t recordNo, char* out) {
    auto* p = reinterpret_cast<unsigned char*>(out);
    std::memset(p, 0, kIdxRecSize);
    putString(p, key, TCacheRec::kWaypointMax);
    putI32(p + kIdxOffRecordNo, recordNo);
}

TIdxRec decodeIdxRec(const char* in) {
    const auto* p = reinterpret_cast<const unsigned char*>(in);
    return TIdxRec{getString(p, TCacheRec::kWaypointMax), getI32(p + kIdxOffRecordNo)};
}

int TCacheList::add(const TCacheRec& rec) {
    entries_.push_back(Entry{rec.Waypoint, TCacheClass{rec}});
    return count() - 1;
}

int TCacheList::add(TCacheRec&& rec) {
    std::string key = rec.Waypoint;
    entries_.push_back(Entry{std::move(key), TCacheClass{std::move(rec)}});
    return count() - 1;
}

const TCacheList::Entry& TCacheList::checked(int pos) const {
    if (pos < 0 || pos >= count()) throw std::out_of_range("TCacheList: position " + std::to_string(pos));
    return entries_[static_cast<std::size_t>(pos)];
}

const TCacheRec& TCacheList::at(int pos) const {
    return checked(pos).obj.rec;
}

void TCacheList::replace(int pos, const TCacheRec& rec) {
    checked(pos);
    entries_[static_cast<std::size_t>(pos)].obj.rec = rec;
}

const std::string& TCacheList::key(int pos) const {
    return checked(pos).key;
}

int TCacheList::indexOf(std::string_view key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (equalsNoCase(entries_[i].key, key)) return static_cast<int>(i);
    }
    return -1;
}

void TCacheList::remove(int pos) {
    if (pos < 0 || pos >= count()) return;
    entries_.erase(entries_.begin() + pos);
}

int CacheTypeCode(std::string_view typeText) {
    // The position in this table is the code; the type of code 8 is cut to 20 characters.
    static constexpr std::string_view kTypes[] = {
        "TRADITIONAL CACHE", "MULTI-CACHE",   "VIRTUAL CACHE",      "LETTERBOX HYBRID",     "EVENT CACHE",
        "WEBCAM CACHE",      "UNKNOWN CACHE", "LOCATIONLESS CACHE", "CACHE IN TRASH OUT E", "EARTHCACHE",
    };
    const std::string upper = upperCase(typeText);
    for (std::size_t i = 0; i < std::size(kTypes); ++i) {
        if (upper == kTypes[i]) return static_cast<int>(i);
    }
    return static_cast<int>(std::size(kTypes));
}

}  // namespace vellora
