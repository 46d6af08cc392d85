#pragma once
// Map images of the listing loader: for a loaded cache a map around its coordinates from one of five
// map services (MultiMap, MapPoint, Stadtplandienst, MapQuest, OpenStreetMap), saved beside the
// listing page in the output directory. The OpenStreetMap map is composed here from tiles
// (listing/OsmMap) fetched through the tile cache in the home. Every request goes through getBinaryToFile in
// its quiet form; three services answer with an intermediate HTML page from which the image address is
// scraped, using the scratch files "map.tmp", "sid.tmp", "sdmap.tmp" and "mqmap.tmp" of the working
// directory. Texts are Windows-1252; coordinates in addresses always use ".".
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

class RunContext;
class THttpClient;
class TLoadWindowView;

enum TMapKind {
    kMapMultiMap = 0,
    kMapMapPoint = 1,
    kMapStadtplandienst = 2,
    kMapMapQuest = 3,
    kMapOpenStreetMap = 4
};
inline constexpr int kMapKindCount = 5;

// One map kind as the loader window's box "Landkarte der Cachebeschreibung" offers it.
struct TMapKindInfo {
    const char* name;
    std::span<const char* const> scales;  // "Zoomfaktor:"
    int defaultScale;
    std::span<const char* const> sizes;  // "Kartengröße:"; empty when the kind has no size choice
    int defaultSize;
};

// The kind's entry; kinds outside 0..4 are clamped.
const TMapKindInfo& mapKindInfo(int kind);
// Clamps a scale or size index into the kind's lists (0 when the kind has no sizes).
int clampMapScale(int kind, int scaleIndex);
int clampMapSize(int kind, int sizeIndex);

// Request values per scale or size index (indices are clamped).
std::string_view multiMapScaleValue(int scaleIndex);
std::string_view mapPointAltitude(int scaleIndex);
std::string_view mapPointSize(int sizeIndex);
std::string_view stadtplanGrid(int scaleIndex);
// Stadtplandienst scales above index 8 are aerial photographs, stored as ".jpg" tiles.
bool stadtplanAerialScale(int scaleIndex);
// The size "klein (400x400)" asks for 2x2 tiles; the other sizes for the service's 3x3.
int stadtplanMaxTiles(int sizeIndex);
// OpenStreetMap: the tile zoom of a scale index and the image size of a size index.
int osmZoom(int scaleIndex);
struct TMapPixels {
    int width, height;
};
TMapPixels osmImageSize(int sizeIndex);
// The file size limit for one tile.
inline constexpr std::uint64_t kMaxTileBytes = 4u << 20;

inline constexpr const char* kMapScratchFile = "map.tmp";
inline constexpr const char* kSidScratchFile = "sid.tmp";
inline constexpr const char* kStadtplanScratchFile = "sdmap.tmp";
inline constexpr const char* kMapQuestScratchFile = "mqmap.tmp";

// A coordinate as request parameters carry it: the shortest decimal text with ".", and that text
// cut to its first eight characters.
std::string mapCoordText(double value);
std::string mapCoordCut8(double value);
// The host part of a service address for the protocol ("http://" or "https://" dropped).
std::string serviceHostText(std::string_view address);

// The request addresses. host is the service's configured address (scheme and host, maybe a path).
std::string multiMapPageUrl(std::string_view host, double lat, double lon, int scaleIndex);
std::string mapPointUrl(std::string_view host, double lat, double lon, int scaleIndex, int sizeIndex);
std::string stadtplanHomeUrl(std::string_view host);
std::string stadtplanMapUrl(std::string_view host, std::string_view sessionId, double lat, double lon,
                            int scaleIndex, int sizeIndex);
std::string mapQuestOverviewUrl(std::string_view host, double lat, double lon);

struct TMapQuestForm {
    std::optional<std::string> sessionId, mapUrl, hdnMapUrl;
    bool complete() const { return sessionId && mapUrl && hdnMapUrl; }
};
std::string mapQuestZoomUrl(std::string_view host, double lat, double lon, std::string_view zoom,
                            const TMapQuestForm& form);

// The scraping rules, each over the lines of the intermediate page.
// MultiMap: the image address from the line with `<input name="multimap"`, if there is one.
std::optional<std::string> multiMapImageUrl(const std::vector<std::string>& lines);
// Stadtplandienst: the letters and digits behind the first "sid=" (case-sensitive); empty if none.
std::string stadtplanSessionId(const std::vector<std::string>& lines);
// Stadtplandienst: the tile addresses (service address + "/" + "mappaint.asp..." up to the next
// apostrophe, "amp;" removed), at most maxTiles, in page order.
std::vector<std::string> stadtplanTileUrls(const std::vector<std::string>& lines, std::string_view host,
                                           int maxTiles);
// MapQuest: the fields "sessionid", "mapurl" and "hdnmapurl" of the form "frmMapsResult".
TMapQuestForm readMapQuestForm(const std::vector<std::string>& lines);
// MapQuest: from the first "http" to the end of the last line that holds one, trailing blanks
// and control characters removed; empty when no line holds "http".
std::string mapQuestImageUrl(const std::vector<std::string>& lines);

// The map loading of one loader window. The Stadtplandienst session identifier is kept from the
// first cache that needs it until newSession() (each opening of the window).
class TMapImages {
public:
    TMapImages(RunContext& ctx, THttpClient& client, TLoadWindowView& view);

    void newSession() { sessionId_.clear(); }
    const std::string& sessionId() const { return sessionId_; }

    // Writes the map files of the waypoint with the kind's scale and the size index; a cache that is
    // not in the database gets no map, only a debug line.
    void getCacheMapToFile(const std::string& waypoint, int kind, int scaleIndex, int sizeIndex);

    void loadMultiMap(const std::string& waypoint, double lat, double lon, int scaleIndex);
    void loadMapPoint(const std::string& waypoint, double lat, double lon, int scaleIndex, int sizeIndex);
    void loadStadtplan(const std::string& waypoint, double lat, double lon, int scaleIndex, int sizeIndex);
    void loadMapQuest(const std::string& waypoint, double lat, double lon, int scaleIndex);
    void loadOpenStreetMap(const std::string& waypoint, double lat, double lon, int scaleIndex,
                           int sizeIndex);

private:
    // getBinaryToFile in its quiet form; false after a failure it has already reported.
    bool fetch(const std::string& url, const std::string& destination);
    // The lines of a scratch file just fetched; nothing when it exists but cannot be read.
    // A failed fetch left no file: its content counts as empty.
    std::optional<std::vector<std::string>> scratchLines(const std::string& path, bool fetched);
    void protocol(const std::string& line);

    // The tile server's client: its own user agent and at most two connections.
    THttpClient& tileClient();

    RunContext& ctx_;
    THttpClient& client_;
    TLoadWindowView& view_;
    std::string sessionId_;
    std::unique_ptr<THttpClient> tileClient_;
};

}  // namespace vellora
