#include "listing/OsmMap.h"

#include <cmath>

#include "core/MapFont.h"
#include "core/MapTiles.h"

namespace vellora {
namespace {

void drawMarker(Raster& r, int x, int y) {
    r.ring(x, y, 9, 3, kMapMarkerColor);
    r.line(x - 15, y, x - 6, y, 2, kMapMarkerColor);
    r.line(x + 6, y, x + 15, y, 2, kMapMarkerColor);
    r.line(x, y - 15, x, y - 6, 2, kMapMarkerColor);
    r.line(x, y + 6, x, y + 15, 2, kMapMarkerColor);
}

void drawAttribution(Raster& r) {
    const std::string_view text = kMapAttribution;
    const int w = mapFontTextWidth(text.size()) + 6, h = kMapFontHeight + 4;
    const int x = r.width() - w, y = r.height() - h;
    r.fillRect(x, y, w, h, {255, 255, 255}, 210);
    r.text(x + 3, y + 2, text, {40, 40, 40});
}

}  // namespace

OsmMapResult composeOsmMap(double lat, double lon, int zoom, int width, int height, const TileSource& tiles) {
    OsmMapResult result;
    const MapPixel centre = mapPixelOf(lat, lon, zoom);
    const auto left = static_cast<long long>(std::floor(centre.x)) - width / 2;
    const auto top = static_cast<long long>(std::floor(centre.y)) - height / 2;
    const long long count = 1LL << zoom;
    auto tileOf = [](long long pixel) {
        return pixel >= 0 ? pixel / kMapTileSize : -((-pixel + kMapTileSize - 1) / kMapTileSize);
    };
    Raster image(width, height, {224, 224, 224});
    for (long long ty = tileOf(top); ty <= tileOf(top + height - 1); ++ty) {
        if (ty < 0 || ty >= count) continue;  // beyond the scheme's edge stays grey
        for (long long tx = tileOf(left); tx <= tileOf(left + width - 1); ++tx) {
            const long long wrapped = ((tx % count) + count) % count;
            ++result.tiles;
            std::string error;
            const auto tile = tiles(zoom, static_cast<int>(wrapped), static_cast<int>(ty), error);
            if (tile && (tile->width() != kMapTileSize || tile->height() != kMapTileSize))
                error = "die Kachel ist nicht " + std::to_string(kMapTileSize) + " Pixel gro\xDF";
            if (!tile || !error.empty()) {
                result.error = "Kartenkachel " + std::to_string(zoom) + "/" + std::to_string(wrapped) + "/" +
                               std::to_string(ty) + ": " + error;
                return result;
            }
            image.paste(*tile, static_cast<int>(tx * kMapTileSize - left),
                        static_cast<int>(ty * kMapTileSize - top));
        }
    }
    drawMarker(image, static_cast<int>(std::floor(centre.x) - left),
               static_cast<int>(std::floor(centre.y) - top));
    drawAttribution(image);
    result.image = std::move(image);
    return result;
}

}  // namespace vellora
