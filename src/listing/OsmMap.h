#pragma once
// An OpenStreetMap map image: 256-pixel tiles of the standard scheme pasted around a position, the
// position marked and the attribution drawn in. Where the tiles come from is the caller's business
// (the loader: tile cache, then the tile server).
#include <functional>
#include <optional>
#include <string>

#include "listing/Raster.h"

namespace vellora {

// One tile, or nothing with error set to why not.
using TileSource = std::function<std::optional<Raster>(int zoom, int x, int y, std::string& error)>;

struct OsmMapResult {
    Raster image;       // empty when a tile was missing
    std::string error;  // the first tile's failure, with the tile named
    int tiles = 0;      // tiles asked for
};

inline constexpr RgbColor kMapMarkerColor{220, 20, 20};

OsmMapResult composeOsmMap(double lat, double lon, int zoom, int width, int height, const TileSource& tiles);

}  // namespace vellora
