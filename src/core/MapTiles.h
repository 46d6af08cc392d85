#pragma once
// The tile server of the map-service view and of the loader's OpenStreetMap maps: key "MapTiles" of
// the section "Services" in the program's vellora.conf, an address with {z}, {x} and {y} in it.
// Without the key, the standard tiles of OpenStreetMap, whose attribution every map shows.
// Also the rules the tile servers' usage policy asks for: who is asking, and how long a tile may be
// reused without asking again.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

class IniFile;

inline constexpr std::string_view kMapTilesKey = "MapTiles";
inline constexpr std::string_view kDefaultMapTiles = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
inline constexpr const char* kMapAttribution = "\xA9 OpenStreetMap-Mitwirkende";
inline constexpr int kMapTileSize = 256;
// The file of a cache's OpenStreetMap map beside its description: waypoint + suffix.
inline constexpr const char* kOsmMapSuffix = "_osm.png";

std::string loadMapTilesAddress(IniFile& programConf);
void writeMapTilesAddress(IniFile& programConf, const std::string& address);

// "Vellora/VERSION (...)": tile servers want to know the program behind a request.
const char* mapTileUserAgent();

// The address of one tile: {z}, {x} and {y} of the template replaced.
std::string mapTileUrl(std::string_view address, int zoom, int x, int y);

// The tile grid of the standard scheme: global pixel coordinates of a position at a zoom.
struct MapPixel {
    double x = 0, y = 0;
};
MapPixel mapPixelOf(double lat, double lon, int zoom);

// Seconds an answer may be reused, from its Cache-Control, Expires and Date headers (Cache-Control
// wins, "no-store"/"no-cache" forbid reuse); nothing when the answer says nothing about it.
std::optional<std::int64_t> cacheLifetimeSeconds(std::string_view cacheControl, std::string_view expires,
                                                 std::string_view date);
// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT") as seconds since 1970; nothing when malformed.
std::optional<std::int64_t> parseHttpDate(std::string_view text);

}  // namespace vellora
