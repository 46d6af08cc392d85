#pragma once
// The synthetic world behind the stand-in servers: N caches derived from a seed, spread over the
// countries of CacheDB.conf and dense around the default home. Each cache is held as a compact
// 24-byte record; names, owners, descriptions, logs, images and the rest are derived on demand
// from the cache's own seed, so a world of a million caches stays small and every page is the
// same for the same seed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/Global.h"
#include "core/HtmlClean.h"
#include "core/NumberText.h"
#include "sim/ImageCodec.h"

namespace vellora::sim {

enum class CacheKind : std::uint8_t {
    Traditional,
    Multi,
    Virtual,
    Letterbox,
    Event,
    Webcam,
    Unknown,
    Locationless,
    Cito,
    Earthcache,
    MegaEvent,  // a type outside the program's table (code 10)
};
inline constexpr int kCacheKindCount = 11;

enum class SizeKind : std::uint8_t { Micro, Small, Regular, Large, Virtual, NotChosen, Other };

// The type text as the listing site spells it ("Cache In Trash Out Event" in full).
const char* cacheTypeText(CacheKind kind);
const char* sizeText(SizeKind size);
bool isEventKind(CacheKind kind);

// Log types, one per icon of the listing page's log block.
enum class LogType : std::uint8_t {
    Found,              // icon_smile.gif
    WebcamPhoto,        // icon_camera.gif
    ReviewerNote,       // big_smile.gif
    Note,               // icon_note.gif
    DidNotFind,         // icon_sad.gif
    Publish,            // icon_greenlight.gif
    Archive,            // icon_redlight.gif
    Disable,            // icon_disabled.gif
    Enable,             // icon_enabled.gif
    WillAttend,         // icon_rsvp.gif
    Attended,           // icon_attended.gif
    NeedsMaintenance,   // icon_needsmaint.gif
    Maintenance,        // icon_maint.gif
    UpdateCoordinates,  // coord_update.gif
};
inline constexpr int kLogTypeCount = 14;

const char* logIconFile(LogType type);
// The log type as a pocket query names it ("Found it", "Didn't find it", ...).
const char* logTypeText(LogType type);
// Icons written only in the second form (with the icons folder and the align attribute).
bool logIconSecondFormOnly(LogType type);

struct WorldParams {
    std::uint64_t seed = 1;
    int caches = 2000;
    // The site's "today": relative dates of the finds list, past and coming events.
    TDateTime today = encodeDate(2006, 12, 8);
    double homeLat = 49.5, homeLon = 10.75;
    // CacheDB.conf; empty means the shipped data file.
    std::string countriesPath;
};

// Flags of a cache record.
enum CacheFlag : std::uint8_t {
    kArchived = 1,
    kDisabled = 2,
    kDbNoRatings = 4,  // its country-file line lacks difficulty and terrain
    kDbNoTerrain = 8,  // its country-file line lacks the terrain
    kDbLongLine = 16,  // its country-file line is padded beyond 512 characters
    kDbTabs = 32,      // its country-file line separates some fields with TABs
};

struct CacheCore {
    std::uint32_t id = 0;
    std::int32_t latE6 = 0, lonE6 = 0;  // micro-degrees
    std::uint16_t hiddenDay = 0;        // days since kWorldEpoch
    std::uint8_t kind = 0, size = 0;
    std::uint8_t diff2 = 2, terr2 = 2;  // rating times two, 2 to 10
    std::uint8_t country = 0;           // 0-based entry of the country table
    std::uint8_t flags = 0;
    std::uint16_t archiveDay = 0;  // archived caches: days since kWorldEpoch
};
static_assert(sizeof(CacheCore) <= 24);

struct LogEntry {
    LogType type = LogType::Found;
    TDateTime date = 0;
    std::string finder;
    int finderFinds = 0;
    std::uint32_t logId = 0;
    std::string text;  // HTML with <br>, Windows-1252 with some UTF-8 sequences
    int iconForm = 1;  // 1 or 2
    char quote = '"';
    bool upperTag = false;
};

struct TravelBug {
    std::string name;
    std::string guid;
};

struct AdditionalWaypoint {
    std::string prefix, lookup, typeText, name, note;
    bool hasCoords = true;
    double lat = 0, lon = 0;
};

struct CacheImage {
    std::string file;  // name on the image host below "/cache/", with its extension
    std::string title, description;
    int width = 0, height = 0;
    ImageFormat format = ImageFormat::Jpeg;
    bool onMouse = false;  // the entry carries a mouse-over preview link before the image link
};

struct CacheDetails {
    std::string name;
    std::string owner, ownerGuid, region;
    std::string shortDescription;  // HTML, may hold nested spans
    // HTML; "{BASE}" and "{IMGHOST}" stand for the listing site's and the image host's addresses.
    std::string longDescription;
    std::string hint;            // plain, with bracketed parts
    std::vector<LogEntry> logs;  // newest first
    std::vector<TravelBug> bugs;
    std::vector<AdditionalWaypoint> waypoints;
    std::vector<CacheImage> images;
    int watchers = 0, visits = 0;
    bool utf8Text = false;    // the page writes umlauts of the name and texts as UTF-8
    bool utf8Degree = false;  // the page writes the degree sign as UTF-8
    char spanQuote = '"';     // quote of the plain span IDs
};

// A cache image or a picture from "another server", as its address names it.
struct ImageInfo {
    int width = 0, height = 0;
    ImageFormat format = ImageFormat::Jpeg;
    std::uint64_t seed = 0;
};

struct Find {
    int cache = 0;
    TDateTime date = 0;
};

class World {
public:
    static constexpr int kWorldEpochYear = 2000, kWorldEpochMonth = 5, kWorldEpochDay = 1;

    // Throws std::runtime_error when the country table cannot be read.
    explicit World(WorldParams params);

    const WorldParams& params() const { return params_; }
    const CountryTable& countries() const { return countries_; }
    int size() const { return static_cast<int>(cores_.size()); }
    const CacheCore& core(int i) const { return cores_[static_cast<std::size_t>(i)]; }
    TDateTime today() const { return params_.today; }

    std::string waypoint(int i) const;
    // Index of the cache with this waypoint (any case), if the world holds it.
    std::optional<int> find(std::string_view waypoint) const;

    CacheKind kind(int i) const { return static_cast<CacheKind>(core(i).kind); }
    SizeKind sizeKind(int i) const { return static_cast<SizeKind>(core(i).size); }
    double lat(int i) const { return core(i).latE6 / 1e6; }
    double lon(int i) const { return core(i).lonE6 / 1e6; }
    TDateTime hiddenDate(int i) const;
    TDateTime archiveDate(int i) const;
    bool archived(int i) const { return (core(i).flags & kArchived) != 0; }
    bool disabled(int i) const { return (core(i).flags & kDisabled) != 0; }
    // "1", "1.5" ... "5"
    std::string difficultyText(int i) const;
    std::string terrainText(int i) const;
    const TCountryEntry& country(int i) const;

    // The cache's name (Windows-1252, may exceed 120 characters).
    std::string name(int i) const;
    std::string owner(int i) const;
    CacheDetails details(int i) const;

    // The cache as a record of Caches.bin (name cut to 120, home distance from the world's home).
    TCacheRec record(int i) const;
    // What converting the cache's country-file line gives: as record(), but "0.0" for ratings the
    // line leaves out.
    TCacheRec convertedRecord(int i) const;

    // Indices of the caches of one country entry (0-based), in world order.
    std::vector<int> cachesInCountry(int entry) const;
    // Indices of the archived caches, in world order.
    std::vector<int> archivedCaches() const;

    // The finds of a user of the listing site, newest first. A name ending in digits has that
    // many finds (at most the world's size and kMaxFinds); any other name a number derived from it.
    static constexpr int kMaxFinds = 5000;
    std::vector<Find> finds(std::string_view userName) const;

    // Sizes of the images named by image-host and remote addresses; nothing for unknown names.
    std::optional<ImageInfo> cacheImage(std::string_view file) const;
    std::optional<ImageInfo> remoteImage(std::string_view file) const;
    // File name of the k-th remote picture of a cache ("{id}-{k}-{check}.jpg").
    std::string remoteImageFile(int i, int k) const;

    // The guid the site's links name a cache by; its first eight hex digits are the cache id.
    std::string cacheGuid(int i) const;

    // Session and form values the map services hand out (the same for every request).
    std::string mapSessionId() const;

private:
    std::uint64_t cacheSeed(int i, std::uint64_t stream) const;
    CacheImage makeImage(int i, int n) const;

    WorldParams params_;
    CountryTable countries_;
    std::vector<CacheCore> cores_;
};

// "GC" + the site's code of a numeric cache id: hexadecimal below 65536, otherwise base 31.
std::string waypointFromId(std::uint32_t id);
std::optional<std::uint32_t> idFromWaypoint(std::string_view waypoint);

// Replaces the characters whose UTF-8 form the program's repair understands (umlauts but "\xC4",
// sharp s, typographic quotes) by their UTF-8 bytes; other characters stay Windows-1252.
std::string toRepairableUtf8(std::string_view cp1252);

// Micro-degrees as decimal degrees without trailing zeros ("49.5", "-0.000001"); read back as
// a double this gives exactly value / 1e6.
std::string decimalDegrees(std::int32_t microDegrees);

// Text helpers shared by the renderers.
using vellora::htmlEscape;  // & < > ", as the program writes it
std::string hexText(std::uint64_t value, int digits);
std::string guidText(std::uint64_t a, std::uint64_t b);

}  // namespace vellora::sim
