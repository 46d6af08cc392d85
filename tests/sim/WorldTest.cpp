// The synthetic world: deterministic, dense around the home, every type and log kind present.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/Koord.h"
#include "core/UpperCase.h"
#include "sim/World.h"

namespace vellora::sim {
namespace {

World makeWorld(std::uint64_t seed, int caches) {
    WorldParams p;
    p.seed = seed;
    p.caches = caches;
    return World(p);
}

class WorldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { world_ = new World(makeWorld(11, 2000)); }
    static void TearDownTestSuite() {
        delete world_;
        world_ = nullptr;
    }
    static World* world_;
};
World* WorldTest::world_ = nullptr;

TEST(WorldCodes, WaypointCodesRoundTrip) {
    struct Case {
        std::uint32_t id;
        const char* wp;
    };
    // Hexadecimal below 65536, base 31 (without I, L, O, S, U) above.
    const Case cases[] = {{1, "GC1"},        {0x1234, "GC1234"}, {0xFFFF, "GCFFFF"},
                          {65536, "GCG000"}, {512400, "GCZZZZ"}, {512401, "GC10000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(waypointFromId(c.id), c.wp);
        EXPECT_EQ(idFromWaypoint(c.wp), c.id) << c.wp;
        EXPECT_EQ(idFromWaypoint(std::string("gc") + (c.wp + 2)), c.id);
    }
    for (const char* bad : {"", "GC", "OC1234", "GCI000", "GC0G000", "GC00FF", "XX12", "GC12345678901"})
        EXPECT_FALSE(idFromWaypoint(bad)) << bad;
}

TEST(WorldCodes, SameSeedSameWorldOtherSeedOtherWorld) {
    const World a = makeWorld(5, 300), b = makeWorld(5, 300), c = makeWorld(6, 300);
    int differ = 0;
    for (int i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a.record(i), b.record(i));
        const CacheDetails da = a.details(i), db = b.details(i);
        EXPECT_EQ(da.longDescription, db.longDescription);
        ASSERT_EQ(da.logs.size(), db.logs.size());
        for (std::size_t k = 0; k < da.logs.size(); ++k) EXPECT_EQ(da.logs[k].text, db.logs[k].text);
        if (!(a.record(i) == c.record(i))) ++differ;
    }
    EXPECT_GT(differ, 250);
}

TEST_F(WorldTest, LookupFindsEveryCacheAndNothingElse) {
    const World& w = *world_;
    std::set<std::string> seen;
    for (int i = 0; i < w.size(); ++i) {
        const std::string wp = w.waypoint(i);
        EXPECT_TRUE(seen.insert(wp).second) << wp;
        EXPECT_EQ(w.find(wp), i);
        EXPECT_EQ(w.find(std::string("gc") + wp.substr(2)), i);
        if (i > 0) {
            EXPECT_GT(w.core(i).id, w.core(i - 1).id);
        }
    }
    EXPECT_FALSE(w.find("GC1"));
    EXPECT_FALSE(w.find(waypointFromId(w.core(w.size() - 1).id + 1)));
}

TEST_F(WorldTest, CachesCrowdAroundTheHomeAndCoverTheCountries) {
    const World& w = *world_;
    int nearHome = 0;
    std::set<int> countries;
    for (int i = 0; i < w.size(); ++i) {
        const auto db = DistanceBearing(49.5, 10.75, w.lat(i), w.lon(i));
        if (db.distanceKm < 60) ++nearHome;
        countries.insert(w.core(i).country);
        EXPECT_EQ(w.record(i).CountryID, w.country(i).DB_CountryID);
    }
    EXPECT_GT(nearHome, w.size() / 4);
    EXPECT_GE(countries.size(), 20u);
}

TEST_F(WorldTest, EveryTypeSizeRatingAndLogKindOccurs) {
    const World& w = *world_;
    std::set<int> kinds, sizes, halves, logTypes;
    int longNames = 0, ampersands = 0, quotes = 0, umlauts = 0, archived = 0, pastEvents = 0, disabled = 0;
    int bugs = 0, waypoints = 0, images = 0, noLogs = 0;
    for (int i = 0; i < w.size(); ++i) {
        kinds.insert(static_cast<int>(w.kind(i)));
        sizes.insert(static_cast<int>(w.sizeKind(i)));
        halves.insert(w.core(i).diff2);
        const std::string name = w.name(i);
        if (name.size() > 120) ++longNames;
        if (name.find('&') != std::string::npos) ++ampersands;
        if (name.find('"') != std::string::npos) ++quotes;
        if (name.find_first_of("\xE4\xF6\xFC\xDF\xC4\xD6\xDC") != std::string::npos) ++umlauts;
        archived += w.archived(i);
        disabled += w.disabled(i);
        if (isEventKind(w.kind(i)) && w.hiddenDate(i) < w.today()) ++pastEvents;
        const CacheDetails d = w.details(i);
        for (const auto& log : d.logs) logTypes.insert(static_cast<int>(log.type));
        bugs += !d.bugs.empty();
        waypoints += !d.waypoints.empty();
        images += !d.images.empty();
        noLogs += d.logs.empty();
        for (std::size_t k = 1; k < d.logs.size(); ++k) EXPECT_GE(d.logs[k - 1].date, d.logs[k].date);
    }
    EXPECT_EQ(kinds.size(), static_cast<std::size_t>(kCacheKindCount));
    EXPECT_EQ(sizes.size(), 7u);
    EXPECT_EQ(halves.size(), 9u);
    EXPECT_EQ(logTypes.size(), static_cast<std::size_t>(kLogTypeCount));
    EXPECT_GT(longNames, 0);
    EXPECT_GT(ampersands, 0);
    EXPECT_GT(quotes, 0);
    EXPECT_GT(umlauts, 0);
    EXPECT_GT(archived, 0);
    EXPECT_GT(disabled, 0);
    EXPECT_GT(pastEvents, 0);
    EXPECT_GT(bugs, 0);
    EXPECT_GT(waypoints, 0);
    EXPECT_GT(images, 0);
    EXPECT_GT(noLogs, 0);
    EXPECT_STREQ(cacheTypeText(CacheKind::Cito), "Cache In Trash Out Event");
}

TEST_F(WorldTest, RecordsCutTextsAndCarryTheCountry) {
    const World& w = *world_;
    for (int i = 0; i < w.size(); ++i) {
        const TCacheRec r = w.record(i);
        EXPECT_LE(r.CacheName.size(), 120u);
        EXPECT_EQ(r.CacheName, w.name(i).substr(0, 120));
        EXPECT_LE(r.CacheType.size(), 20u);
        EXPECT_EQ(r.Valid, 1);
        if (w.kind(i) == CacheKind::Cito) {
            EXPECT_EQ(r.CacheType, "Cache In Trash Out E");
        }
        const TCacheRec conv = w.convertedRecord(i);
        if (w.core(i).flags & kDbNoRatings) {
            EXPECT_EQ(conv.Difficulty, "0.0");
            EXPECT_EQ(conv.Terrain, "0.0");
        } else if (w.core(i).flags & kDbNoTerrain) {
            EXPECT_EQ(conv.Difficulty, r.Difficulty);
            EXPECT_EQ(conv.Terrain, "0.0");
        } else {
            EXPECT_EQ(conv, r);
        }
    }
}

TEST_F(WorldTest, FindsFollowTheNameNewestFirst) {
    const World& w = *world_;
    EXPECT_EQ(w.finds("Tester 41").size(), 41u);
    EXPECT_EQ(w.finds("Tester 0").size(), 0u);
    EXPECT_EQ(w.finds("").size(), 0u);
    EXPECT_EQ(w.finds("Somebody 999999").size(), 2000u);  // capped at the world's size
    const auto a = w.finds("M\xFCller mit Hund"), b = w.finds("m\xFCLLER MIT HUND");
    ASSERT_EQ(a.size(), b.size());  // names compare without regard to case
    std::set<int> caches;
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(a[k].cache, b[k].cache);
        EXPECT_TRUE(caches.insert(a[k].cache).second);
        EXPECT_LE(a[k].date, w.today());
        if (k) {
            EXPECT_LE(a[k].date, a[k - 1].date);
        }
    }
}

TEST_F(WorldTest, ImageNamesAreCheckedAgainstTheWorld) {
    const World& w = *world_;
    int checked = 0;
    for (int i = 0; i < w.size() && checked < 50; ++i) {
        for (const auto& img : w.details(i).images) {
            const auto picture = w.cacheImage(img.file);
            ASSERT_TRUE(picture) << img.file;
            EXPECT_EQ(picture->width, img.width);
            EXPECT_EQ(picture->height, img.height);
            std::string forged = img.file;
            forged[16] = forged[16] == '0' ? '1' : '0';
            EXPECT_FALSE(w.cacheImage(forged));
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
    EXPECT_FALSE(w.cacheImage("nothing.jpg"));
}

}  // namespace
}  // namespace vellora::sim
