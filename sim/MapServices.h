#pragma once
// The four stand-in map services: their intermediate pages (with the anchors the program's
// map loader scrapes) and their map images, drawn from the coordinates so that the same request
// gives the same bytes. serviceBase is scheme, host and path prefix of the service as the client
// addressed it.
#include <optional>
#include <string>
#include <string_view>

#include "sim/ImageCodec.h"

namespace vellora::sim {

enum class MapStyle { MultiMap, MapPoint, StreetTile, AerialTile, MapQuest };

// A map around (lat, lon); offsetX/offsetY place the canvas's top left corner relative to the
// map centre, so that tiles of one map fit together.
Canvas drawMap(double lat, double lon, double metersPerPixel, int width, int height, MapStyle style,
               int offsetX, int offsetY, bool marker);

class World;

// A slippy-map tile of the standard scheme: the street style, and the world's caches of the tile
// as dots with their waypoints written beside them (from zoom 13 on).
Canvas drawSlippyTile(const World& world, int zoom, int x, int y);

// MultiMap: the browse page with `<input name="multimap" ... src="...">`, and its image.
std::string multimapPage(double lat, double lon, std::string_view scale, const std::string& serviceBase);
inline constexpr int kMultimapWidth = 500, kMultimapHeight = 310;

// Stadtplandienst: the home page carrying "sid=", the map page with its "mappaint.asp" tiles.
std::string stadtplanHomePage(const std::string& sessionId);
std::string stadtplanMapPage(double lat, double lon, std::string_view grid, int tilesPerSide,
                             const std::string& sessionId);
std::string stadtplanExpiredPage();
bool stadtplanAerial(std::string_view grid);
// Metres per pixel of a grid name ("dedatlas60", "aero20"); nothing for unknown names.
std::optional<double> stadtplanScale(std::string_view grid);
inline constexpr int kTileSize = 200;

// MapQuest: the result page with the form "frmMapsResult" and its three fields, the answer of
// zoomMap.do naming the image address.
struct MapQuestFields {
    std::string sessionId, mapUrl, hdnMapUrl;
};
MapQuestFields mapQuestFields(std::uint64_t worldSeed, std::int32_t latE6, std::int32_t lonE6);
std::string mapQuestResultPage(double lat, double lon, const MapQuestFields& fields);
std::string mapQuestZoomAnswer(const std::string& imageUrl);
inline constexpr int kMapQuestWidth = 444, kMapQuestHeight = 340;

// The page behind the map links of converted descriptions and the map-service view.
std::string mapViewPage(double lat, double lon, const std::string& imageUrl);

}  // namespace vellora::sim
