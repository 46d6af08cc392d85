#include "sim/MapServices.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/MapFont.h"
#include "core/MapTiles.h"

#include "sim/Rng.h"
#include "sim/World.h"

namespace vellora::sim {
namespace {

constexpr const char* kEol = "\r\n";

struct Palette {
    Rgb land, forest, water, road, majorRoad;
};

Palette paletteOf(MapStyle style) {
    switch (style) {
        case MapStyle::MultiMap:
            return {{242, 236, 216}, {190, 220, 170}, {160, 200, 235}, {255, 255, 255}, {250, 200, 80}};
        case MapStyle::MapPoint:
            return {{238, 238, 224}, {176, 210, 160}, {150, 190, 230}, {255, 255, 240}, {230, 120, 60}};
        case MapStyle::StreetTile:
            return {{250, 246, 232}, {200, 228, 180}, {170, 205, 240}, {255, 255, 255}, {245, 215, 90}};
        case MapStyle::AerialTile:
            return {{120, 130, 80}, {50, 90, 40}, {40, 70, 90}, {170, 165, 150}, {190, 185, 170}};
        case MapStyle::MapQuest:
            return {{235, 230, 220}, {186, 214, 160}, {155, 195, 225}, {255, 255, 255}, {240, 160, 60}};
    }
    return paletteOf(MapStyle::MultiMap);
}

}  // namespace

Canvas drawMap(double lat, double lon, double metersPerPixel, int width, int height, MapStyle style,
               int offsetX, int offsetY, bool marker) {
    const Palette pal = paletteOf(style);
    Canvas c(width, height, pal.land);
    const double degPerPxLat = metersPerPixel / 111320.0;
    const double degPerPxLon = degPerPxLat / std::max(0.05, std::cos(lat * 3.14159265358979 / 180));
    // Features live on a world-anchored grid of about 60 pixels, so neighbouring tiles agree.
    const double cellLat = degPerPxLat * 60, cellLon = degPerPxLon * 60;
    const bool aerial = style == MapStyle::AerialTile;
    for (int y = 0; y < height; ++y) {
        const double plat = lat - (offsetY + y) * degPerPxLat;
        const double gy = plat / cellLat;
        const auto cy = static_cast<std::int64_t>(std::floor(gy));
        const double fy = gy - static_cast<double>(cy);
        for (int x = 0; x < width; ++x) {
            const double plon = lon + (offsetX + x) * degPerPxLon;
            const double gx = plon / cellLon;
            const auto cx = static_cast<std::int64_t>(std::floor(gx));
            const double fx = gx - static_cast<double>(cx);
            const std::uint64_t cell =
                mixHash(static_cast<std::uint64_t>(cx), static_cast<std::uint64_t>(cy));
            Rgb col = pal.land;
            if (cell % 5 == 0) col = pal.forest;
            if (cell % 13 == 0) col = pal.water;
            if (aerial) {
                const std::uint64_t grain = mixHash(static_cast<std::uint64_t>(std::floor(gx * 12)),
                                                    static_cast<std::uint64_t>(std::floor(gy * 12)), cell);
                const int v = static_cast<int>(grain % 40) - 20;
                col = {static_cast<std::uint8_t>(std::clamp(col.r + v, 0, 255)),
                       static_cast<std::uint8_t>(std::clamp(col.g + v, 0, 255)),
                       static_cast<std::uint8_t>(std::clamp(col.b + v / 2, 0, 255))};
            }
            const bool vRoad = fx < 0.06 && (mixHash(static_cast<std::uint64_t>(cx), 0x0A) & 1);
            const bool hRoad = fy < 0.06 && (mixHash(static_cast<std::uint64_t>(cy), 0x0B) & 1);
            if (vRoad || hRoad) {
                const bool major = (vRoad && (mixHash(static_cast<std::uint64_t>(cx), 0x0C) % 4 == 0)) ||
                                   (hRoad && (mixHash(static_cast<std::uint64_t>(cy), 0x0D) % 4 == 0));
                col = major ? pal.majorRoad : pal.road;
            }
            c.set(x, y, col);
        }
    }
    if (marker) {
        const int mx = -offsetX, my = -offsetY;
        const Rgb red{220, 20, 20};
        c.ring(mx, my, 9, red, 3);
        c.line(mx - 14, my, mx + 14, my, red, 2);
        c.line(mx, my - 14, mx, my + 14, red, 2);
    }
    return c;
}

Canvas drawSlippyTile(const World& world, int zoom, int x, int y) {
    const double n = std::ldexp(1.0, zoom);
    const double lon = (x + 0.5) / n * 360 - 180;
    const double lat =
        std::atan(std::sinh(std::numbers::pi * (1 - 2 * (y + 0.5) / n))) * 180 / std::numbers::pi;
    const double mpp = 156543.03392 * std::cos(lat * std::numbers::pi / 180) / n;
    Canvas c = drawMap(lat, lon, mpp, kMapTileSize, kMapTileSize, MapStyle::StreetTile, -kMapTileSize / 2,
                       -kMapTileSize / 2, false);
    if (zoom < 13) return c;
    const Rgb dot{30, 110, 40}, ink{50, 50, 50};
    // Labels reach into the tile from caches just outside it.
    const double margin = 80;
    for (int i = 0; i < world.size(); ++i) {
        const MapPixel p = mapPixelOf(world.lat(i), world.lon(i), zoom);
        const double px = p.x - x * double(kMapTileSize), py = p.y - y * double(kMapTileSize);
        if (px < -margin || py < -margin || px > kMapTileSize + margin || py > kMapTileSize + margin)
            continue;
        const int cx = static_cast<int>(std::floor(px)), cy = static_cast<int>(std::floor(py));
        c.disc(cx, cy, 3, dot);
        int tx = cx + 17;  // clear of a marker the client may draw on the cache
        for (const char ch : world.waypoint(i)) {
            if (const auto* glyph = mapFontGlyph(static_cast<unsigned char>(ch)))
                for (int col = 0; col < kMapFontWidth; ++col)
                    for (int row = 0; row < kMapFontHeight; ++row)
                        if ((*glyph)[static_cast<std::size_t>(col)] >> row & 1)
                            c.set(tx + col, cy - 4 + row, ink);
            tx += kMapFontAdvance;
        }
    }
    return c;
}

std::string multimapPage(double lat, double lon, std::string_view scale, const std::string& serviceBase) {
    const std::string image = serviceBase + "/map/image.cgi?lat=" +
                              decimalDegrees(static_cast<std::int32_t>(std::lround(lat * 1e6))) +
                              "&lon=" + decimalDegrees(static_cast<std::int32_t>(std::lround(lon * 1e6))) +
                              "&scale=" + std::string(scale);
    std::string o = "<html><head><title>Multimap.com - Interactive map</title></head>";
    o += kEol;
    o += "<body bgcolor=\"#ffffff\">";
    o += kEol;
    o += "<table width=\"520\"><tr><td><b>Map of " +
         decimalDegrees(static_cast<std::int32_t>(std::lround(lat * 1e6))) + ", " +
         decimalDegrees(static_cast<std::int32_t>(std::lround(lon * 1e6))) + " at 1:" + std::string(scale) +
         "</b></td></tr><tr><td>";
    o += kEol;
    o += "<form name=\"mapform\" action=\"browse.cgi\" method=\"get\">";
    o += kEol;
    o += "<input name=\"multimap\" type=\"image\" src=\"" + image +
         "\" width=\"500\" height=\"310\" border=\"0\" "
         "alt=\"Map\">";
    o += kEol;
    o += "</form></td></tr></table>";
    o += kEol;
    o += "</body></html>";
    o += kEol;
    return o;
}

std::string stadtplanHomePage(const std::string& sessionId) {
    std::string o = "<html><head><title>Stadtplandienst - Startseite</title></head><body>";
    o += kEol;
    o += "<h1>Stadtplandienst</h1>";
    o += kEol;
    o += "<p><a href=\"map.asp?sid=" + sessionId + "&amp;start.x=5\">Zur Karte</a></p>";
    o += kEol;
    o += "<form action=\"map.asp\" method=\"get\"><input type=\"hidden\" name=\"sid\" value=\"" + sessionId +
         "\"><input type=\"submit\" name=\"Abschicken\" value=\"GO\"></form>";
    o += kEol;
    o += "</body></html>";
    o += kEol;
    return o;
}

bool stadtplanAerial(std::string_view grid) {
    return grid.substr(0, 4) == "aero";
}

std::optional<double> stadtplanScale(std::string_view grid) {
    // The aerial 1 : 7.500 is the one grid named by its resolution rather than its scale.
    if (grid == "aero2m") return 7.5 * 0.12;
    std::string_view digits;
    double factor = 0;
    if (grid.substr(0, 8) == "dedatlas") {
        digits = grid.substr(8);
        factor = 0.28;
    } else if (grid.substr(0, 4) == "aero") {
        digits = grid.substr(4);
        factor = 0.12;
    } else {
        return std::nullopt;
    }
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    int v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v == 0) return std::nullopt;
    return v * factor;
}

std::string stadtplanMapPage(double lat, double lon, std::string_view grid, int tilesPerSide,
                             const std::string& sessionId) {
    const std::string la = decimalDegrees(static_cast<std::int32_t>(std::lround(lat * 1e6)));
    const std::string lo = decimalDegrees(static_cast<std::int32_t>(std::lround(lon * 1e6)));
    std::string o = "<html><head><title>Stadtplandienst - Karte</title></head><body>";
    o += kEol;
    o += "<p>Kartenausschnitt " + la + " / " + lo + " (" + std::string(grid) + ")</p>";
    o += kEol;
    o += "<table border='0' cellpadding='0' cellspacing='0'>";
    o += kEol;
    for (int ty = 0; ty < tilesPerSide; ++ty) {
        o += "<tr>";
        for (int tx = 0; tx < tilesPerSide; ++tx)
            o += "<td><img src='mappaint.asp?sid=" + sessionId + "&amp;grid=" + std::string(grid) +
                 "&amp;lat=" + la + "&amp;lon=" + lo + "&amp;tx=" + std::to_string(tx) +
                 "&amp;ty=" + std::to_string(ty) + "&amp;n=" + std::to_string(tilesPerSide) +
                 "' width='200' height='200' border='0'></td>";
        o += "</tr>";
        o += kEol;
    }
    o += "</table>";
    o += kEol;
    o += "</body></html>";
    o += kEol;
    return o;
}

std::string stadtplanExpiredPage() {
    return std::string(
               "<html><head><title>Stadtplandienst</title></head><body><p>Ihre Sitzung ist abgelaufen. "
               "Bitte beginnen Sie auf der Startseite.</p></body></html>") +
           kEol;
}

MapQuestFields mapQuestFields(std::uint64_t worldSeed, std::int32_t latE6, std::int32_t lonE6) {
    const std::uint64_t h = mixHash(worldSeed, static_cast<std::uint64_t>(static_cast<std::uint32_t>(latE6)),
                                    static_cast<std::uint64_t>(static_cast<std::uint32_t>(lonE6)));
    MapQuestFields f{"mqs", "m", "h"};
    f.sessionId += hexText(mixHash(worldSeed, 0x3A9), 10);
    f.mapUrl += hexText(h, 16);
    f.hdnMapUrl += hexText(h >> 5, 16);
    return f;
}

std::string mapQuestResultPage(double lat, double lon, const MapQuestFields& f) {
    const std::string la = decimalDegrees(static_cast<std::int32_t>(std::lround(lat * 1e6)));
    const std::string lo = decimalDegrees(static_cast<std::int32_t>(std::lround(lon * 1e6)));
    std::string o = "<html><head><title>MapQuest: Maps</title></head><body>";
    o += kEol;
    o += "<div id=\"header\"><form name=\"search\" action=\"latlong.do\"><input type=\"text\" "
         "name=\"txtSearch\" "
         "value=\"\"></form></div>";
    o += kEol;
    o += "<FORM\tname='frmMapsResult' method='get' action='zoomMap.do'>";
    o += kEol;
    o += "<input type=\"hidden\" name=\"sessionid\" value=\"" + f.sessionId + "\">";
    o += kEol;
    o += "<input type=\"hidden\" name=\"mapurl\" value=\"" + f.mapUrl + "\">";
    o += kEol;
    o += "<input type=\"hidden\" name=\"hdnMapURL\" value=\"" + f.hdnMapUrl + "\">";
    o += kEol;
    o += "<input type=\"text\" name=\"txtLatitude\" value=\"" + la + "\">";
    o += kEol;
    o += "<input type=\"text\" name=\"txtLongitude\" value=\"" + lo + "\">";
    o += kEol;
    o += "</FORM>";
    o += kEol;
    o += "</body></html>";
    o += kEol;
    return o;
}

std::string mapQuestZoomAnswer(const std::string& imageUrl) {
    return std::string("<!-- map image -->") + kEol + imageUrl + kEol;
}

std::string mapViewPage(double lat, double lon, const std::string& imageUrl) {
    const std::string la = decimalDegrees(static_cast<std::int32_t>(std::lround(lat * 1e6)));
    const std::string lo = decimalDegrees(static_cast<std::int32_t>(std::lround(lon * 1e6)));
    std::string o = "<html><head><title>Karte " + la + ", " + lo + "</title></head><body>";
    o += kEol;
    o += "<p>Karte bei " + la + ", " + lo + "</p><img src=\"" + imageUrl + "\" width=\"444\" height=\"340\">";
    o += kEol;
    o += "</body></html>";
    o += kEol;
    return o;
}

}  // namespace vellora::sim
