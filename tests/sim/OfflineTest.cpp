// Files written from a world without a server: the cache database, a pocket query, the country files.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/Koord.h"
#include "sim/CacheDbFiles.h"
#include "sim/Offline.h"
#include "support/TestHome.h"

namespace vellora::sim {
namespace {

World smallWorld(int caches) {
    WorldParams p;
    p.seed = 31;
    p.caches = caches;
    return World(p);
}

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80             ? 0
                      : (c & 0xE0) == 0xC0 ? 1
                      : (c & 0xF0) == 0xE0 ? 2
                      : (c & 0xF8) == 0xF0 ? 3
                                           : -1;
        if (n < 0 || i + n >= s.size() + (n == 0)) return false;
        for (int k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(n) + 1;
    }
    return true;
}

TEST(Offline, CacheDatabaseHoldsTheWorldWithASortedIndex) {
    const World w = smallWorld(700);
    vellora::test::TempDir dir;
    ASSERT_EQ(writeCacheDatabase(w, dir.path()), 0);
    const auto bin = readFile(dir.file("Caches.bin"));
    const auto idx = readFile(dir.file("Caches.idx"));
    ASSERT_TRUE(bin && idx);
    ASSERT_EQ(bin->size(), 700 * kCacheRecSize);
    ASSERT_EQ(idx->size(), 700 * kIdxRecSize);
    for (int i = 0; i < w.size(); ++i)
        EXPECT_EQ(decodeCacheRec(bin->data() + i * kCacheRecSize), w.record(i));
    std::string previous;
    for (int k = 0; k < w.size(); ++k) {
        const TIdxRec r = decodeIdxRec(idx->data() + k * kIdxRecSize);
        ASSERT_EQ(r.key.size(), 16u);
        EXPECT_LT(previous, r.key);
        previous = r.key;
        std::string wp = w.waypoint(r.recordNo);
        wp.resize(16, ' ');
        EXPECT_EQ(r.key, wp);
    }
}

TEST(Offline, PocketQueryTakesTheNearestCachesInUtf8) {
    const World w = smallWorld(400);
    const std::string base = "http://127.0.0.1:8080";
    const std::string all = pocketQueryText(w, 0, base);
    const std::string near = pocketQueryText(w, 50, base);
    EXPECT_TRUE(validUtf8(all));
    std::size_t wpts = 0;
    for (auto p = near.find("<wpt "); p != std::string::npos; p = near.find("<wpt ", p + 1)) ++wpts;
    EXPECT_EQ(wpts, 50u);

    // Each waypoint line stands alone, the caches come nearest first.
    double last = -1;
    int names = 0;
    std::size_t start = 0;
    while (start < near.size()) {
        const auto end = near.find("\r\n", start);
        std::string line = near.substr(start, end - start);
        start = end + 2;
        line.erase(0, line.find_first_not_of(' '));
        if (line.rfind("<name>GC", 0) != 0) continue;
        const auto idx = w.find(line.substr(6, line.find("</name>") - 6));
        ASSERT_TRUE(idx) << line;
        const double d = DistanceBearing(49.5, 10.75, w.lat(*idx), w.lon(*idx)).distanceKm;
        EXPECT_GE(d, last);
        last = d;
        ++names;
    }
    EXPECT_EQ(names, 50);

    bool cito = false;
    for (int i = 0; i < w.size(); ++i) cito |= w.kind(i) == CacheKind::Cito;
    ASSERT_TRUE(cito);
    EXPECT_NE(all.find("<groundspeak:type>Cache In Trash Out Event</groundspeak:type>"), std::string::npos);
    EXPECT_NE(all.find("<type>Geocache|Cache In Trash Out Event</type>"), std::string::npos);
    EXPECT_EQ(all.find("{BASE}"), std::string::npos);

    vellora::test::TempDir dir;
    ASSERT_EQ(writePocketQuery(w, dir.file("pq.gpx"), 50, base), 0);
    EXPECT_EQ(readFile(dir.file("pq.gpx")), near);
    // Nothing but the file itself: no temporary file stays behind.
    EXPECT_EQ(listFiles(dir.path() + "/"), std::vector<std::string>{"pq.gpx"});
}

TEST(Offline, CountryFilesAreWrittenWithTheirZips) {
    const World w = smallWorld(300);
    vellora::test::TempDir dir;
    ASSERT_EQ(writeCountryFiles(w, dir.path()), 0);
    for (const auto& e : w.countries().entries) {
        EXPECT_TRUE(dir.exists(e.DB_Filename)) << e.DB_Filename;
        EXPECT_TRUE(dir.exists(e.DB_Filename + ".zip")) << e.DB_Filename;
    }
    EXPECT_EQ(dir.read("gc_germany.txt"), countryFileText(w, 2));
}

}  // namespace
}  // namespace vellora::sim
