// OpenStreetMap map images: composing tiles around a cache, the PNG codec, the caching rules of tile
// answers and the tile cache in the home.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#include "core/FileUtil.h"
#include "core/MapFont.h"
#include "core/MapTiles.h"
#include "listing/OsmMap.h"
#include "listing/PngCodec.h"
#include "listing/TileCache.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// A tile that tells where it came from: red = x, green = y, blue = zoom (low bytes).
RgbColor tileColor(int zoom, int x, int y) {
    return {static_cast<std::uint8_t>(x & 0xFF), static_cast<std::uint8_t>(y & 0xFF),
            static_cast<std::uint8_t>(zoom)};
}

struct FakeTiles {
    std::set<std::tuple<int, int, int>> asked;
    std::set<std::tuple<int, int, int>> missing;
    TileSource source() {
        return [this](int z, int x, int y, std::string& error) -> std::optional<Raster> {
            asked.insert({z, x, y});
            if (missing.count({z, x, y})) {
                error = "HTTP/1.1 404 Not Found";
                return std::nullopt;
            }
            return Raster(kMapTileSize, kMapTileSize, tileColor(z, x, y));
        };
    }
};

TEST(OsmMap, TilesAroundTheCentreWithMarkerAndAttribution) {
    const double lat = 49.4521, lon = 11.0767;
    const int zoom = 15, w = 400, h = 300;
    FakeTiles fake;
    const OsmMapResult map = composeOsmMap(lat, lon, zoom, w, h, fake.source());
    ASSERT_TRUE(map.error.empty()) << map.error;
    ASSERT_EQ(map.image.width(), w);
    ASSERT_EQ(map.image.height(), h);

    // Every pixel away from marker and attribution comes from the tile that covers it in the scheme.
    const MapPixel c = mapPixelOf(lat, lon, zoom);
    const long long left = static_cast<long long>(c.x) - w / 2, top = static_cast<long long>(c.y) - h / 2;
    for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w / 4, h / 3}, {w - 1, h / 2}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        EXPECT_EQ(map.image.at(x, y), tileColor(zoom, static_cast<int>((left + x) / kMapTileSize),
                                                static_cast<int>((top + y) / kMapTileSize)));
    }
    // Exactly the tiles the picture covers were asked for.
    std::set<std::tuple<int, int, int>> covering;
    for (long long ty = top / kMapTileSize; ty <= (top + h - 1) / kMapTileSize; ++ty)
        for (long long tx = left / kMapTileSize; tx <= (left + w - 1) / kMapTileSize; ++tx)
            covering.insert({zoom, static_cast<int>(tx), static_cast<int>(ty)});
    EXPECT_EQ(fake.asked, covering);
    EXPECT_EQ(map.tiles, static_cast<int>(covering.size()));

    // The marker sits on the cache: its ring nine pixels around the centre, the centre itself free.
    EXPECT_EQ(map.image.at(w / 2 + 9, h / 2), kMapMarkerColor);
    EXPECT_EQ(map.image.at(w / 2, h / 2 - 9), kMapMarkerColor);
    EXPECT_NE(map.image.at(w / 2, h / 2), kMapMarkerColor);

    // The attribution in the bottom right corner: light box, dark text, as wide as the text.
    const int textWidth = mapFontTextWidth(std::string_view(kMapAttribution).size());
    int dark = 0, darkLeftOfBox = 0;
    for (int y = h - kMapFontHeight - 4; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RgbColor p = map.image.at(x, y);
            if (p.r < 80 && p.g < 80 && p.b < 80) (x >= w - textWidth - 6 ? dark : darkLeftOfBox)++;
        }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(darkLeftOfBox, 0);
    EXPECT_GT(map.image.at(w - 2, h - 1).r, 200);
}

TEST(OsmMap, MissingTileLeavesNoImageAndNamesTheTile) {
    FakeTiles fake;
    const MapPixel c = mapPixelOf(50.0, 8.0, 14);
    const int tx = static_cast<int>(c.x) / kMapTileSize, ty = static_cast<int>(c.y) / kMapTileSize;
    fake.missing.insert({14, tx, ty});
    const OsmMapResult map = composeOsmMap(50.0, 8.0, 14, 300, 220, fake.source());
    EXPECT_TRUE(map.image.empty());
    EXPECT_EQ(map.error, "Kartenkachel 14/" + std::to_string(tx) + "/" + std::to_string(ty) +
                             ": HTTP/1.1 404 Not Found");

    // A tile of the wrong size is as good as none.
    const OsmMapResult small = composeOsmMap(50.0, 8.0, 14, 300, 220, [](int, int, int, std::string&) {
        return std::optional<Raster>(Raster(64, 64));
    });
    EXPECT_TRUE(small.image.empty());
    EXPECT_NE(small.error.find("nicht 256 Pixel gro\xDF"), std::string::npos);
}

TEST(OsmMap, EdgesOfTheScheme) {
    // Across the date line the tiles wrap round; beyond the poles nothing is asked for.
    FakeTiles fake;
    const OsmMapResult east = composeOsmMap(0.0, 179.999, 12, 400, 300, fake.source());
    ASSERT_TRUE(east.error.empty());
    std::set<int> xs;
    for (const auto& [z, x, y] : fake.asked) xs.insert(x);
    EXPECT_TRUE(xs.count(0));
    EXPECT_TRUE(xs.count(4095));
    for (const int x : xs) EXPECT_LT(x, 4096);

    fake.asked.clear();
    const OsmMapResult north = composeOsmMap(89.0, 0.0, 12, 400, 300, fake.source());
    ASSERT_TRUE(north.error.empty());
    for (const auto& [z, x, y] : fake.asked) EXPECT_GE(y, 0);
    EXPECT_EQ(north.image.at(0, 0), (RgbColor{224, 224, 224}));
}

TEST(OsmMap, PngRoundTripAndRefusals) {
    Raster r(7, 3, {10, 20, 30});
    r.set(6, 2, {255, 0, 128});
    const std::string png = encodePng(r);
    ASSERT_EQ(png.rfind("\x89PNG", 0), 0u);
    const auto back = decodePng(png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width(), 7);
    EXPECT_EQ(back->height(), 3);
    EXPECT_EQ(back->bytes(), r.bytes());

    EXPECT_FALSE(decodePng(""));
    EXPECT_FALSE(decodePng("<html>Tile not available</html>"));
    EXPECT_FALSE(decodePng(png.substr(0, png.size() / 2)));
    // A header that claims a picture larger than any tile is refused before pixels are allocated.
    std::string huge = png;
    huge[16] = 0;
    huge[17] = 1;  // width 65536 + 7
    EXPECT_FALSE(decodePng(huge));
}

TEST(OsmMap, CacheLifetimeOfAnswers) {
    struct Case {
        const char *cacheControl, *expires, *date;
        std::optional<std::int64_t> seconds;
    };
    const Case cases[] = {
        {"max-age=604800", "", "", 604800},
        {"public, max-age=86400, stale-while-revalidate=3600", "", "", 86400},
        {"Max-Age=60", "Thu, 01 Jan 1970 00:00:00 GMT", "", 60},  // Cache-Control wins
        {"no-cache", "", "", 0},
        {"no-store, max-age=600", "", "", 0},
        {"max-age=", "", "", 0},
        {"", "Fri, 11 Dec 2026 08:00:00 GMT", "Fri, 11 Dec 2026 07:00:00 GMT", 3600},
        {"", "Fri, 11 Dec 2026 06:00:00 GMT", "Fri, 11 Dec 2026 07:00:00 GMT", 0},
        {"", "0", "Fri, 11 Dec 2026 07:00:00 GMT", 0},  // malformed: already expired
        {"", "", "Fri, 11 Dec 2026 07:00:00 GMT", std::nullopt},
        {"public", "", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cacheControl) + " | " + c.expires);
        EXPECT_EQ(cacheLifetimeSeconds(c.cacheControl, c.expires, c.date), c.seconds);
    }
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
    EXPECT_FALSE(parseHttpDate("Sun, 06 Foo 1994 08:49:37 GMT"));
    EXPECT_FALSE(parseHttpDate("yesterday"));
}

TEST(OsmMap, TileAddressesAndUserAgent) {
    EXPECT_EQ(mapTileUrl(kDefaultMapTiles, 15, 17283, 11103),
              "https://tile.openstreetmap.org/15/17283/11103.png");
    EXPECT_EQ(std::string(mapTileUserAgent()).rfind("Vellora/", 0), 0u);
    EXPECT_NE(std::string(mapTileUserAgent()).find('.'), std::string::npos);  // with its version
}

TEST(OsmMap, TileCacheInTheHome) {
    test::TestHome home;
    const std::string dir = home.ctx().programDirPath() + kTileCacheDirName;
    TMapTileCache cache(dir, 1000);
    const std::string a = "http://t/15/1/2.png", b = "http://t/15/1/3.png";
    EXPECT_FALSE(cache.fresh(a, 100));
    cache.store(a, std::string("PNG\n\0a", 6), 200);
    EXPECT_EQ(cache.fresh(a, 100), std::string("PNG\n\0a", 6));
    EXPECT_FALSE(cache.fresh(a, 200));  // expired
    EXPECT_FALSE(cache.fresh(b, 100));  // another address

    // A file of another address under this name (a hash collision, a stray file) is not taken.
    ASSERT_EQ(writeFileAtomic(cache.fileFor(b), a + "\n999\nX"), 0);
    EXPECT_FALSE(cache.fresh(b, 100));

    // Past the size limit the least recently written tiles go; the one just stored stays.
    TMapTileCache roomy(dir, 1 << 20), small(dir, 700);
    const auto base = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (int i = 0; i < 4; ++i) {
        roomy.store("http://t/" + std::to_string(i), std::string(300, 'x'), 500);
        std::filesystem::last_write_time(roomy.fileFor("http://t/" + std::to_string(i)),
                                         base + std::chrono::minutes(i));
    }
    small.store("http://t/4", std::string(300, 'x'), 500);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(small.fresh("http://t/" + std::to_string(i), 100).has_value(), i >= 3) << i;
    std::uint64_t total = 0;
    for (const auto& f : listFiles(dir, "*.tile")) total += fileSize(joinPath(dir, f)).value_or(0);
    EXPECT_LE(total, 700u);
}

}  // namespace
}  // namespace vellora
