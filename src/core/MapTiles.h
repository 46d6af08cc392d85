#pragma once
// The tile server of the map-service view: key "MapTiles" of the section "Services" in the
// program's vellora.conf, an address with {z}, {x} and {y} in it. Without the key, the standard
// tiles of OpenStreetMap, whose attribution the page shows.
#include <string>
#include <string_view>

namespace vellora {

class IniFile;

inline constexpr std::string_view kMapTilesKey = "MapTiles";
inline constexpr std::string_view kDefaultMapTiles = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";

std::string loadMapTilesAddress(IniFile& programConf);
void writeMapTilesAddress(IniFile& programConf, const std::string& address);

}  // namespace vellora
