#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/TestHome.h"
#include "tools/Utm.h"

namespace vellora {
namespace {

TEST(Utm, ZonesBandsAndTheDocumentedPoints) {
    struct Case {
        double lat, lon;
        int zone;
        char band;
    } cases[] = {
        {49.5, 10.75, 32, 'U'}, {0, 3, 31, 'N'},      {60, 5, 32, 'V'},    {60, 2.9, 31, 'V'},
        {56, 3, 32, 'V'},       {64, 5, 31, 'W'},     {78, 10, 33, 'X'},   {78, 8, 31, 'X'},
        {78, 21, 35, 'X'},      {78, 41.9, 37, 'X'},  {78, 42, 38, 'X'},   {84, 0, 31, 'X'},
        {85, 10, 32, 'Z'},      {-81, 10, 32, 'Z'},   {-80, 10, 32, 'C'},  {0, 180, 1, 'N'},
        {0, -180, 1, 'N'},      {-0.001, 0, 31, 'M'}, {71.99, 0, 31, 'W'}, {72, 0, 31, 'X'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utmZone(c.lat, c.lon), c.zone) << c.lat << " " << c.lon;
        EXPECT_EQ(utmBand(c.lat), c.band) << c.lat << " " << c.lon;
    }
    const UtmCoord u = LatLonToUtm(49.5, 10.75);
    EXPECT_EQ(std::lround(u.easting), 626710);
    EXPECT_EQ(std::lround(u.northing), 5484512);
    // The antimeridian lies at the western edge of zone 1 from either side.
    for (const double lon : {180.0, -180.0}) {
        const UtmCoord edge = LatLonToUtm(0, lon);
        EXPECT_EQ(edge.zone, 1) << lon;
        EXPECT_EQ(std::lround(edge.easting), 166021) << lon;
        EXPECT_NEAR(edge.northing, 0, 1e-6) << lon;
    }
    const UtmCoord equator = LatLonToUtm(0, 3);
    EXPECT_NEAR(equator.easting, 500000, 1e-6);
    EXPECT_NEAR(equator.northing, 0, 1e-6);
}

class UtmDialog : public ::testing::Test {
protected:
    UtmDialog() { model.open(); }
    test::TestHome home;
    UtmDialogModel model{home.ctx()};
};

TEST_F(UtmDialog, ConvertsBothWays) {
    EXPECT_EQ(model.band, 'U');
    EXPECT_EQ(model.zone, "");
    model.lat = {"49", "30.000", 0};
    model.lon = {"10", "45", 0};
    ASSERT_TRUE(model.toUtmClick());
    EXPECT_EQ(model.zone, "32");
    EXPECT_EQ(model.band, 'U');
    EXPECT_EQ(model.easting, "626710");
    EXPECT_EQ(model.northing, "5484512");

    model.lat = {};
    model.lon = {};
    ASSERT_TRUE(model.toLatLonClick());
    EXPECT_EQ(model.lat.degrees, "49");
    EXPECT_EQ(model.lat.minutes, "30.000");
    EXPECT_EQ(model.lon.degrees, "10");
    EXPECT_EQ(model.lon.minutes, "45.000");

    model.zone = "32";
    model.band = 'M';
    model.easting = "500000";
    model.northing = "5000000";
    ASSERT_TRUE(model.toLatLonClick());
    EXPECT_EQ(model.lat.hemisphere, 1);
    EXPECT_EQ(model.lat.degrees, "45");
    EXPECT_EQ(model.lat.minutes, "9.209");
    EXPECT_EQ(model.lon.hemisphere, 0);
    EXPECT_EQ(model.lon.degrees, "9");
    EXPECT_EQ(model.lon.minutes, "0.000");
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(UtmDialog, SouthAndWestComeBackWithTheirHemispheres) {
    model.lat = {"33", "52.000", 1};
    model.lon = {"70", "15.5", 1};
    ASSERT_TRUE(model.toUtmClick());
    EXPECT_EQ(model.zone, "19");
    EXPECT_EQ(model.band, 'H');
    model.lat = {};
    model.lon = {};
    ASSERT_TRUE(model.toLatLonClick());
    EXPECT_EQ(model.lat.hemisphere, 1);
    EXPECT_EQ(model.lat.degrees + " " + model.lat.minutes, "33 52.000");
    EXPECT_EQ(model.lon.hemisphere, 1);
    EXPECT_EQ(model.lon.degrees + " " + model.lon.minutes, "70 15.500");
}

TEST_F(UtmDialog, InputErrorsAreReportedAndKeepTheOtherFields) {
    struct Case {
        CoordFields lat, lon;
        const char* message;
    } cases[] = {
        {{"", "30", 0}, {"10", "0", 0}, "Falsche oder ung\xFCltige Breitenangabe."},
        {{"49", "3.0.0", 0}, {"10", "0", 0}, "Falsche oder ung\xFCltige Breitenangabe."},
        {{"49", "30", 0}, {"", "", 0}, "Falsche oder ung\xFCltige L\xE4ngenangabe."},
        {{"91", "", 0},
         {"10", "0", 0},
         "Die Breitenangabe liegt au\xDF"
         "erhalb des zul\xE4ssigen Bereichs [-90 ; 90]"},
        {{"89", "60.5", 1},
         {"10", "0", 0},
         "Die Breitenangabe liegt au\xDF"
         "erhalb des zul\xE4ssigen Bereichs [-90 ; 90]"},
        {{"0", "", 0},
         {"180", "0.1", 1},
         "Die L\xE4ngenangabe liegt au\xDF"
         "erhalb des zul\xE4ssigen Bereichs [-180 ; 180]"},
    };
    for (const Case& c : cases) {
        model.zone = "7";
        model.lat = c.lat;
        model.lon = c.lon;
        home.host.messages.clear();
        EXPECT_FALSE(model.toUtmClick());
        ASSERT_EQ(home.host.textsOf(MsgKind::Error), std::vector<std::string>{c.message});
        EXPECT_EQ(model.zone, "7");
    }
    model.lat = {"0", "", 0};
    model.lon = {"3", "", 0};
    EXPECT_TRUE(model.toUtmClick());
    EXPECT_EQ(model.lat.minutes, "0.000");
    EXPECT_EQ(model.easting, "500000");
    EXPECT_EQ(model.northing, "0");

    struct Back {
        const char* zone;
        const char* easting;
        const char* northing;
        const char* message;
    } backs[] = {{"", "500000", "0", "Falsche oder ung\xFCltige Zonenangabe."},
                 {"32", "", "0", "Falscher oder ung\xFCltiger Nord- oder Ostwert."},
                 {"32", "500000", "x", "Falscher oder ung\xFCltiger Nord- oder Ostwert."}};
    for (const Back& b : backs) {
        model.zone = b.zone;
        model.easting = b.easting;
        model.northing = b.northing;
        home.host.messages.clear();
        EXPECT_FALSE(model.toLatLonClick());
        EXPECT_EQ(home.host.textsOf(MsgKind::Error), std::vector<std::string>{b.message});
        EXPECT_EQ(model.lat.degrees, "0");
    }
}

TEST_F(UtmDialog, KeysAreFiltered) {
    using K = UtmDialogModel::FieldKind;
    EXPECT_EQ(UtmDialogModel::filterKey(K::Minutes, ','), '.');
    EXPECT_FALSE(UtmDialogModel::filterKey(K::Digits, 'a'));
    EXPECT_FALSE(UtmDialogModel::filterKey(K::Digits, '.'));
    EXPECT_FALSE(UtmDialogModel::filterKey(K::Degrees, ','));
    EXPECT_EQ(UtmDialogModel::filterKey(K::Digits, '5'), '5');
}

// PROJ's cs2cs as the independent implementation: every zone, from 80 S to 84 N, across the zone.
std::vector<std::pair<double, double>> cs2csProject(int zone,
                                                    const std::vector<std::pair<double, double>>& lonLat) {
    char input[] = "/tmp/vellora_utm_XXXXXX";
    const int fd = mkstemp(input);
    if (fd < 0) return {};
    std::string text;
    for (const auto& [lon, lat] : lonLat) text += std::to_string(lon) + " " + std::to_string(lat) + "\n";
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
    close(fd);
    const std::string cmd =
        "cs2cs -f %.4f +proj=longlat +datum=WGS84 +to +proj=utm +zone=" + std::to_string(zone) +
        " +datum=WGS84 " + input + " 2>/dev/null";
    std::vector<std::pair<double, double>> out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        double e = 0, n = 0, h = 0;
        while (std::fscanf(p, "%lf %lf %lf", &e, &n, &h) == 3) out.emplace_back(e, n);
        pclose(p);
    }
    std::remove(input);
    return out;
}

TEST(UtmAgainstProj, AgreesToTheMetreOverEveryZone) {
    if (std::system("command -v cs2cs >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "cs2cs (proj-bin) is not installed";
    int compared = 0;
    for (int zone = 1; zone <= 60; ++zone) {
        const double lon0 = zone * 6 - 183;
        std::vector<std::pair<double, double>> points;
        for (double lat = -80; lat <= 84; lat += 4.1)
            for (double dl : {-2.99, -1.5, 0.0, 0.7, 2.99})
                if (utmZone(lat, lon0 + dl) == zone) points.emplace_back(lon0 + dl, lat);
        // The exception zones reach farther from their central meridian.
        if (zone == 31) points.insert(points.end(), {{0.1, 73}, {8.9, 79}, {2.5, 60}});
        if (zone == 32) points.insert(points.end(), {{3.1, 57}, {11.9, 63.5}});
        if (zone == 33) points.insert(points.end(), {{9.1, 75}, {20.9, 83.9}});
        if (zone == 37) points.insert(points.end(), {{33.1, 72.5}, {41.9, 80}});
        const auto proj = cs2csProject(zone, points);
        ASSERT_EQ(proj.size(), points.size()) << "zone " << zone;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto [lon, lat] = points[i];
            const UtmCoord u = LatLonToUtm(lat, lon);
            ASSERT_EQ(u.zone, zone) << lat << " " << lon;
            const double northing = lat < 0 ? proj[i].second + 10000000.0 : proj[i].second;
            EXPECT_NEAR(u.easting, proj[i].first, 1.0) << "zone " << zone << " " << lat << " " << lon;
            EXPECT_NEAR(u.northing, northing, 1.0) << "zone " << zone << " " << lat << " " << lon;
            // And back, to well within a metre.
            double backLat = 0, backLon = 0;
            UtmToLatLon(u.zone, u.band, u.easting, u.northing, backLat, backLon);
            EXPECT_NEAR(backLat, lat, 1e-5) << "zone " << zone << " " << lat << " " << lon;
            EXPECT_NEAR(backLon, lon, 1e-5) << "zone " << zone << " " << lat << " " << lon;
            ++compared;
        }
    }
    EXPECT_GT(compared, 60 * 150);
}

}  // namespace
}  // namespace vellora
