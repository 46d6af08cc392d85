#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestHome.h"
#include "tools/RouteFiles.h"

namespace vellora {
namespace {

class RouteFiles : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& content) {
        dir.write(name, content);
        return dir.file(name);
    }
    test::TempDir dir;
    test::ScriptedHost host;
};

TEST_F(RouteFiles, OverlayPassesOverPointsAtOrAbove1000) {
    const auto r =
        readOverlayRoute(host, file("a.ovl",
                                    "[Overlay]\r\nSymbole=1\r\n[Symbol 1]\r\nTyp=3\r\nPunkte=3\r\n"
                                    "XKoord0=11.123456\r\nYKoord0=48.5\r\nXKoord1=1000\r\nYKoord1=48.6\r\n"
                                    "XKoord2=11.3\r\nYKoord2=48.7\r\n[Symbol 2]\r\nPunkte=2\r\n"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.declaredPoints, 3);
    EXPECT_EQ(r.points, (std::vector<std::string>{"11.1235 / 48.5000", "11.3000 / 48.7000"}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(RouteFiles, OverlayPointsComeByNumberWhateverTheCountClaims) {
    // Points in number order, not file order; of a key given twice the first counts; "XKoord01" is
    // not point 1; and a count of two billion is read in the time the file takes.
    const auto r = readOverlayRoute(host, file("c.ovl",
                                               "[Symbol 1]\r\nPunkte=2000000000\r\n"
                                               "XKoord7=7\r\nYKoord7=7\r\nxkoord2=2\r\nYKOORD2=2\r\n"
                                               "XKoord2=9\r\nXKoord01=1\r\nYKoord1=1\r\n"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.declaredPoints, 2000000000);
    EXPECT_EQ(r.points, (std::vector<std::string>{"2.0000 / 2.0000", "7.0000 / 7.0000"}));
}

TEST_F(RouteFiles, OverlayRefusalsSayWhy) {
    struct Case {
        const char* content;
        const char* message;
    } cases[] = {
        {"[Overlay]\r\nSymbole=0\r\n",
         "In der gew\xE4hlten Datei wurde keine Sektion [Symbol ...] gefunden."},
        {"[SYMBOL 7]\r\nPunkte=zwei\r\n",
         "In der gew\xE4hlten Datei wurde in Sektion \"SYMBOL 7\" keine g\xFCltige Angabe der Wegpunktmenge "
         "(Punkte=x) gefunden."},
        {"[symbol 1]\r\nXKoord0=1\r\n",
         "In der gew\xE4hlten Datei wurde in Sektion \"symbol 1\" keine g\xFCltige Angabe der Wegpunktmenge "
         "(Punkte=x) gefunden."},
        {"[Symbol 1]\r\nPunkte=1\r\nXKoord0=1\r\nYKoord0=2\r\n",
         "Die gew\xE4hlte Datei enth\xE4lt weniger als 2 g\xFCltige Wegpunkte."},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        EXPECT_FALSE(readOverlayRoute(host, file("b.ovl", c.content)).ok);
        EXPECT_EQ(host.textsOf(MsgKind::Error), std::vector<std::string>{c.message});
    }
}

TEST_F(RouteFiles, CursorLinesGiveSixNumbers) {
    double x = 0, y = 0;
    ASSERT_TRUE(parseCursorLine("  11 34 56.7 48 12 34.5", x, y));
    EXPECT_NEAR(x, 11.582417, 1e-6);
    EXPECT_NEAR(y, 48.209583, 1e-6);
    EXPECT_EQ(routePointText(x, y), "11.5824 / 48.2096");
    ASSERT_TRUE(
        parseCursorLine("11\xB0"
                        "34'56.7\" E, 48\xB0 12' 34.5\" N",
                        x, y));
    EXPECT_NEAR(x, 11.582417, 1e-6);
    EXPECT_FALSE(parseCursorLine("E 11 34 56.7 48 12 34.5", x, y));
    EXPECT_FALSE(parseCursorLine("11 34 56.7 48 12", x, y));

    const auto r = readCursorRoute(host, file("a.coo",
                                              "# Kommentar\r\n\r\n11 34 56.7 48 12 34.5\r\nunsinn\r\n"
                                              "12 0 0 49 30 0\n"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.points, (std::vector<std::string>{"11.5824 / 48.2096", "12.0000 / 49.5000"}));

    EXPECT_FALSE(readCursorRoute(host, dir.file("fehlt.coo")).ok);
    ASSERT_EQ(host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_EQ(
        host.textsOf(MsgKind::Error)[0].rfind("Fehler beim Lesen der Datei " + dir.file("fehlt.coo"), 0), 0u);
}

TEST_F(RouteFiles, MapSourceRefusesAnUnknownCoordinateFormat) {
    EXPECT_FALSE(readMapSourceRoute(host, file("r.txt", "Grid\tUTM\r\nWaypoint\tA\t\t\t32U 1 2\r\n")).ok);
    EXPECT_EQ(host.textsOf(MsgKind::Error),
              std::vector<std::string>{
                  "Nicht erlaubtes Koordinatenformat in der Eingabedatei:\r\n\r\n\"Grid\tUTM\"\r\n\r\n"
                  "Erlaubte Formate: hddd.ddddd\xB0 oder hddd\xB0mm.mmm'"});
}

TEST_F(RouteFiles, MapSourceRoutesPointsByName) {
    const auto decimal = readMapSourceRoute(
        host, file("d.txt",
                   "Grid\tLat/Lon hddd.ddddd\xB0\r\nDatum\tWGS 84\r\n"
                   "Waypoint\tStart\t\t\tN48.20958 E011.58242\t\r\n"
                   "Waypoint\tZiel\t\t\tN49.50000 E010.75000\t\r\n"
                   "Waypoint\tStart\t\t\tN1.0 E2.0\t\r\n"
                   "Waypoint\tSued\t\t\tS33.90000 W070.25000\t\r\n"
                   "Waypoint\tKaputt\t\t\tN48.2\t\r\n"
                   "Route\tR1\r\n"
                   "Route Waypoint\tStart\t\r\nRoute Waypoint\tUnbekannt\t\r\nRoute Waypoint\tZiel\t\r\n"
                   "Route Waypoint\tSued\t\r\nRoute Waypoint\tKaputt\t\r\n"));
    ASSERT_TRUE(decimal.ok);
    EXPECT_EQ(decimal.points, (std::vector<std::string>{"011.5824 / 48.20958", "010.7500 / 49.50000",
                                                        "-070.2500 / -33.90000"}));

    const auto degMin = readMapSourceRoute(host, file("m.txt",
                                                      "Grid\tLat/Lon hddd\xB0mm.mmm'\r\n"
                                                      "Waypoint\tA\t\t\tN48\xB0 12.575 E011\xB0 34.945\t\r\n"
                                                      "Waypoint\tB\t\t\tS12 30.000 W070 15.000\t\r\n"
                                                      "Route Waypoint\tA\t\r\nRoute Waypoint\tB\t\r\n"
                                                      "Route Waypoint\tA\t\r\n"));
    ASSERT_TRUE(degMin.ok);
    EXPECT_EQ(degMin.points,
              (std::vector<std::string>{"11.5824 / 48.2096", "-70.2500 / -12.5000", "11.5824 / 48.2096"}));
    EXPECT_TRUE(host.messages.empty());

    // Positions that end where the degree sign would be are passed over, not read past their end.
    const auto cut = readMapSourceRoute(host, file("c.txt",
                                                   "Grid\tLat/Lon hddd\xB0mm.mmm'\r\n"
                                                   "Waypoint\tA\t\t\tN48\t\r\n"
                                                   "Waypoint\tB\t\t\tN48\xB0 12.5 E011\t\r\n"
                                                   "Route Waypoint\tA\t\r\nRoute Waypoint\tB\t\r\n"));
    EXPECT_TRUE(cut.points.empty());
}

}  // namespace
}  // namespace vellora
