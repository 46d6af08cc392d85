#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "support/TestHome.h"
#include "tools/RouteSearch.h"

namespace vellora {
namespace {

class RouteSearch : public ::testing::Test {
protected:
    RouteSearch() {
        home.ctx().settings.HomeLat = 49.5;
        home.ctx().settings.HomeLong = 10.75;
    }

    // A cache km away from (49.5, 10.75) in the given direction.
    void addCache(const std::string& waypoint, double km, double bearing,
                  const std::string& type = "Traditional Cache", const std::string& name = "") {
        const GeoPoint p = *Project(49.5, 10.75, km, bearing);
        TCacheRec rec;
        rec.Waypoint = waypoint;
        rec.CacheName = name.empty() ? "Cache " + waypoint : name;
        rec.CacheType = type;
        rec.Lat = p.lat;
        rec.Lon = p.lon;
        db += encodeCacheRec(rec);
    }
    void writeDb() {
        ASSERT_EQ(writeFileAtomic(home.workFile("Caches.bin"), db), 0);
        RebuildIndex(home.ctx());
    }
    // A route file of points east of home, km along.
    std::string cooRoute(const std::string& name, const std::vector<double>& kmEast) {
        std::string text;
        for (double km : kmEast) {
            const GeoPoint p = *Project(49.5, 10.75, km, 90);
            auto dms = [](double v) {
                const int d = static_cast<int>(v);
                const int m = static_cast<int>((v - d) * 60);
                return std::to_string(d) + " " + std::to_string(m) + " " +
                       std::to_string((v - d - m / 60.0) * 3600);
            };
            text += dms(p.lon) + " " + dms(p.lat) + "\r\n";
        }
        home.dir.write(name, text);
        return home.dir.file(name);
    }
    std::vector<std::string> waypoints() const {
        std::vector<std::string> out;
        for (const auto& r : model.results()) out.push_back(RouteSearchModel::resultWaypoint(r));
        return out;
    }

    test::TestHome home;
    std::string db;
    RouteTypeFilter filter;
    RouteSearchModel model{home.ctx(), filter};
};

TEST_F(RouteSearch, OpensWithTheCacheIndexAndAnEmptyForm) {
    for (int i = 0; i < 250; ++i) addCache("GC" + std::to_string(1000 + i), 50, i);
    writeDb();
    model.open();
    EXPECT_EQ(model.cacheIndex().size(), 250u);
    EXPECT_EQ(model.cacheIndex()[7].waypoint, "GC1007");
    EXPECT_EQ(model.cacheIndex()[7].recordNo, 7);
    EXPECT_EQ(model.sourceText(), "Quelle [keine Datei gew\xE4hlt]");
    EXPECT_EQ(model.pointCountText(), "0 Punkte in Quelldatei");
    EXPECT_EQ(model.actionText(), "Warten auf Benutzereingabe");
    EXPECT_EQ(home.host.progressLog.front(), "begin Cacheliste wird gelesen 250");
    EXPECT_EQ(home.host.progressLog[1], "pos 100");
    EXPECT_FALSE(model.canCalculate());
}

TEST_F(RouteSearch, WithoutADatabaseItOpensEmptyAfterAnError) {
    model.open();
    EXPECT_TRUE(model.cacheIndex().empty());
    ASSERT_EQ(home.host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error)[0].rfind(
                  "Fehler beim Lesen der Datei " + home.workFile("Caches.bin"), 0),
              0u);
}

TEST_F(RouteSearch, CalculationIsOfferedForTwoPointsAndAWidthAbove01) {
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    ASSERT_TRUE(model.loadRoute(cooRoute("a.coo", {0})));
    EXPECT_FALSE(model.canCalculate());
    EXPECT_EQ(model.pointCountText(), "1 Punkte in Quelldatei:");
    ASSERT_TRUE(model.loadRoute(cooRoute("b.coo", {5, 6})));
    EXPECT_EQ(model.routePoints().size(), 3u);
    EXPECT_EQ(model.pointCountText(), "2 Punkte in Quelldatei:");
    struct Case {
        const char* width;
        bool enabled;
    } cases[] = {{"0.1", false}, {"0.11", true}, {"3.0", true}, {"", false}, {"3..0", false}, {"-5", false}};
    for (const Case& c : cases) {
        model.widthText = c.width;
        EXPECT_EQ(model.canCalculate(), c.enabled) << c.width;
    }
    model.widthText = "drei";
    EXPECT_EQ(model.width(), -1);

    // An overlay file replaces the points the cursor files gave.
    home.dir.write("r.ovl",
                   "[Symbol 1]\r\nPunkte=3\r\nXKoord0=10\r\nYKoord0=49\r\nXKoord1=11\r\nYKoord1=49\r\n"
                   "XKoord2=12\r\nYKoord2=49\r\n");
    model.format = RouteFormat::Overlay;
    ASSERT_TRUE(model.loadRoute(home.dir.file("r.ovl")));
    EXPECT_EQ(model.routePoints(),
              (std::vector<std::string>{"10.0000 / 49.0000", "11.0000 / 49.0000", "12.0000 / 49.0000"}));
    EXPECT_EQ(model.sourceText(), "Quelle [" + home.dir.file("r.ovl") + "]");
    EXPECT_EQ(model.pointCountText(), "3 Punkte in Quelldatei:");
    // A refused file keeps the points.
    home.dir.write("bad.ovl", "[Symbol 1]\r\nPunkte=1\r\n");
    EXPECT_FALSE(model.loadRoute(home.dir.file("bad.ovl")));
    EXPECT_EQ(model.routePoints().size(), 3u);
    EXPECT_EQ(model.pointCountText(), "3 Punkte in Quelldatei:");
}

TEST_F(RouteSearch, FindsCachesAlongTheRouteWithTheirDistances) {
    addCache("GCFAR", 20, 0);
    addCache("GCB", 6.2, 95, "Multi-Cache", "Burgblick");  // near the samples of the first leg
    addCache("GCA", 0.5, 300);                             // at the start
    addCache("GCEND", 13.2, 90);                           // within W of the route's end, which is no sample
    addCache("GCSOUTH", 1, 180);                           // also at the start, later in the database
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 10, 10, 10.5}));
    model.calculate();
    EXPECT_EQ(waypoints(), (std::vector<std::string>{"GCA", "GCSOUTH", "GCB"}));
    EXPECT_EQ(model.results()[0].substr(0, 26), "GCA (0.50 km / 0.50 km) Ca");
    EXPECT_NE(model.results()[2].find(" km) Burgblick"), std::string::npos);
    EXPECT_EQ(model.actionText(), "Warten auf Benutzereingabe");
}

TEST_F(RouteSearch, ResultTextsAndTheFilter) {
    addCache("GC1234", 0.85, 0, "Traditional Cache", "Burgblick");
    addCache("GCMYST", 1.0, 90, "Unknown Cache");
    addCache("GCODD", 1.2, 90, "Unbekannt");
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 0}));  // two identical points: one sample
    model.calculate();
    ASSERT_EQ(model.results().size(), 3u);
    EXPECT_EQ(model.results()[0], "GC1234 (0.85 km / 0.85 km) Burgblick");
    EXPECT_EQ(model.actionText(), "Warten auf Benutzereingabe");

    filter.types[0] = true;  // Traditional only
    model.filterDialogClosed(true);
    model.calculate();
    EXPECT_EQ(waypoints(), std::vector<std::string>{"GC1234"});
    model.filterDialogClosed(false);
    model.calculate();
    EXPECT_EQ(model.results().size(), 3u);

    // Without a distance from home (the course from a pole is undefined) the text has one distance.
    home.ctx().settings.HomeLat = 90;
    model.calculate();
    EXPECT_EQ(model.results()[1], "GCMYST (1.00 km) Cache GCMYST");
}

TEST_F(RouteSearch, AFilteredCacheIsNotFoundAtALaterLegEither) {
    addCache("GCMYST", 5, 90, "Unknown Cache");
    addCache("GCTRAD", 5.5, 90, "Traditional Cache");
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 6, 0}));  // there and back
    filter.types[0] = true;
    model.filterDialogClosed(true);
    model.calculate();
    EXPECT_EQ(waypoints(), std::vector<std::string>{"GCTRAD"});
}

TEST_F(RouteSearch, AbortKeepsWhatWasFound) {
    for (int i = 0; i < 5; ++i) addCache("GC" + std::to_string(i), 2.0 * i, 90);
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 10}));
    home.host.abortAtPoll(3);
    model.calculate();
    EXPECT_EQ(model.results().size(), 2u);
    EXPECT_EQ(model.countText(), "Die Berechnung wurde nach 2 Caches abgebrochen.");
    EXPECT_EQ(model.actionText(), "Warten auf Benutzereingabe");
    EXPECT_TRUE(model.canPrune());
}

TEST_F(RouteSearch, PruningAndTransfer) {
    for (const char* w : {"GCA", "GCB", "GCC", "GCD"}) addCache(w, 0.1, 0);
    writeDb();
    TFoundRec found;
    found.Waypoint = "gcb";
    std::string finds;
    encodeFoundRec(found, finds);
    ASSERT_EQ(writeFileAtomic(home.workFile("Finds.bin"), finds), 0);
    ASSERT_EQ(writeListFile(home.workFile("WPList.txt"), {"GCOLD", "GCC"}), 0);
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 1}));
    model.calculate();
    ASSERT_EQ(waypoints(), (std::vector<std::string>{"GCA", "GCB", "GCC", "GCD"}));

    model.removeFinds();
    EXPECT_EQ(waypoints(), (std::vector<std::string>{"GCA", "GCC", "GCD"}));
    model.removeResult(0);
    EXPECT_EQ(model.countText(), "Entlang der Route wurden 2 Caches gefunden.");
    EXPECT_FALSE(model.resultDetails(5));
    EXPECT_EQ(model.resultDetails(0)->Waypoint, "GCC");
    model.removeWaypoints({"gcd"});
    EXPECT_EQ(waypoints(), std::vector<std::string>{"GCC"});

    ASSERT_TRUE(model.keepWorkList);
    EXPECT_TRUE(model.transfer());
    EXPECT_TRUE(model.transferred());
    EXPECT_FALSE(model.isOpen());
    EXPECT_EQ(readListFile(home.workFile("WPList.txt")), (std::vector<std::string>{"GCOLD", "GCC", "GCC"}));

    model.open();
    EXPECT_TRUE(model.keepWorkList);
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 1}));
    model.calculate();
    model.keepWorkList = false;
    EXPECT_TRUE(model.transfer());
    EXPECT_EQ(readListFile(home.workFile("WPList.txt")),
              (std::vector<std::string>{"GCA", "GCB", "GCC", "GCD"}));

    // Without results nothing is written.
    model.open();
    model.keepWorkList = false;
    EXPECT_FALSE(model.transfer());
    EXPECT_TRUE(model.isOpen());
    EXPECT_EQ(readListFile(home.workFile("WPList.txt")),
              (std::vector<std::string>{"GCA", "GCB", "GCC", "GCD"}));
}

TEST_F(RouteSearch, RemovingFindsWithoutAFindsFileSaysSo) {
    addCache("GCA", 0.1, 0);
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 1}));
    model.calculate();
    model.removeFinds();
    EXPECT_EQ(waypoints(), std::vector<std::string>{"GCA"});
    ASSERT_EQ(home.host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error)[0].rfind(
                  "Fehler beim Lesen der Datei " + home.workFile("Finds.bin"), 0),
              0u);
}

TEST_F(RouteSearch, DetailsOfACacheNoLongerInTheDatabase) {
    addCache("GCA", 0.1, 0);
    writeDb();
    model.open();
    model.format = RouteFormat::CursorCoordinates;
    model.loadRoute(cooRoute("r.coo", {0, 1}));
    model.calculate();
    ASSERT_EQ(writeFileAtomic(home.workFile("Caches.bin"), ""), 0);
    RebuildIndex(home.ctx());
    EXPECT_FALSE(model.resultDetails(0));
    EXPECT_EQ(
        home.host.textsOf(MsgKind::Error),
        std::vector<std::string>{"Cache nicht in der Datenbank gefunden!\r\n(Cache liegt vermutlich in einem "
                                 "anderen Land oder wurde mittlerweile archiviert.)"});
}

}  // namespace
}  // namespace vellora
