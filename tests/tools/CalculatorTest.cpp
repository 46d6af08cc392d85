#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "support/TestHome.h"
#include "tools/Calculator.h"
#include "tools/Projection.h"

namespace vellora {
namespace {

TEST(Projection, FollowsTheGreatCircleAndNormalisesTheBearing) {
    const auto east = Project(48, 11, 100, 90);
    ASSERT_TRUE(east);
    EXPECT_NEAR(east->lat, 47.992162, 1e-6);
    EXPECT_NEAR(east->lon, 12.343879, 1e-6);

    const auto same = Project(49.5, 10.75, 0, 123);
    ASSERT_TRUE(same);
    // The law of cosines leaves about 0.1 m of rounding; the texts show 0.001 minute.
    EXPECT_NEAR(same->lat, 49.5, 1e-5);
    EXPECT_NEAR(same->lon, 10.75, 1e-5);
    EXPECT_EQ(projectionResultText(49.5, 10.75, 0, 123)[1], "E 10\xB0 45.000");

    struct Case {
        double bearing, equivalent;
    } cases[] = {{450, 90}, {-90, 270}, {720.5, 0.5}, {-350, 10}};
    for (const Case& c : cases) {
        const auto a = Project(49.5, 10.75, 50, c.bearing);
        const auto b = Project(49.5, 10.75, 50, c.equivalent);
        ASSERT_TRUE(a && b) << c.bearing;
        EXPECT_NEAR(a->lat, b->lat, 1e-9) << c.bearing;
        EXPECT_NEAR(a->lon, b->lon, 1e-9) << c.bearing;
    }
}

// Due north and south the longitude step's cosine comes out just above 1 by rounding; the
// point lies on the start's meridian all the same.
TEST(Projection, DueNorthAndSouthStayOnTheMeridian) {
    for (double lat : {-60.0, -1.0, 0.0, 12.34, 49.5, 80.0}) {
        for (double km : {0.5, 2.1213203, 85.32, 1000.0}) {
            for (double bearing : {0.0, 180.0, 360.0}) {
                const auto p = Project(lat, 10.75, km, bearing);
                ASSERT_TRUE(p) << lat << " " << km << " " << bearing;
                EXPECT_NEAR(p->lon, 10.75, 1e-5);
                const double expected = lat + (bearing == 180.0 ? -1 : 1) * km / kEarthRadiusKm * 180.0 / kPi;
                EXPECT_NEAR(p->lat, expected, 1e-7);
            }
        }
    }
}

// South of the equator and for long steps the projected point lies at the requested distance
// and initial bearing.
TEST(Projection, LandsAtTheRequestedDistanceAnywhere) {
    struct Case {
        double lat, lon, km, bearing;
    } cases[] = {{-33.9, 18.4, 500, 45}, {-33.9, 18.4, 500, 300}, {-0.5, -70, 2000, 135}, {10, 0, 12000, 80},
                 {60, 170, 3000, 95},    {49.5, 10.75, 9000, 10}, {-75, 100, 1500, 200}};
    for (const Case& c : cases) {
        const auto p = Project(c.lat, c.lon, c.km, c.bearing);
        ASSERT_TRUE(p);
        const DistanceBearingResult back = DistanceBearing(c.lat, c.lon, p->lat, normalizedLongitude(p->lon));
        ASSERT_TRUE(back.ok);
        EXPECT_NEAR(back.distanceKm, c.km, 1e-6 * c.km) << c.lat << " " << c.bearing;
        EXPECT_NEAR(back.bearing, c.bearing, 1e-6) << c.lat << " " << c.bearing;
    }
}

class Calculator : public ::testing::Test {
protected:
    test::TestHome home;
    CalculatorModel model{home.ctx()};
};

TEST_F(Calculator, InitialValuesGiveTheDocumentedResults) {
    model.open();
    EXPECT_EQ(model.distanceResult(), "Entfernung = 69.150 km in Richtung 17.82 Grad");
    EXPECT_EQ(model.projectionResult()[0], "N 48\xB0 45.169");
    EXPECT_EQ(model.projectionResult()[1], "E 10\xB0 28.996");
}

TEST_F(Calculator, InputErrorsShowTheirTexts) {
    struct Case {
        const char* what;
        std::function<void(CalculatorModel&)> edit;
        const char* distance;  // nullptr: unchanged result
        const char* projection;
    } cases[] = {
        {"start lat", [](CalculatorModel& m) { m.distStartLat.minutes = ""; },
         "Fehler bei Startkoordinate Breite", nullptr},
        {"start lon", [](CalculatorModel& m) { m.distStartLon.degrees = "x"; },
         "Fehler bei Startkoordinate L\xE4nge", nullptr},
        {"target lat", [](CalculatorModel& m) { m.distTargetLat.degrees = ""; },
         "Fehler bei Zielkoordinate Breite", nullptr},
        {"target lon", [](CalculatorModel& m) { m.distTargetLon.minutes = "."; },
         "Fehler bei Zielkoordinate L\xE4nge", nullptr},
        {"first error wins",
         [](CalculatorModel& m) {
             m.distTargetLon.minutes = "";
             m.distStartLon.minutes = "";
         },
         "Fehler bei Startkoordinate L\xE4nge", nullptr},
        {"distance", [](CalculatorModel& m) { m.projDistance = ""; }, nullptr, "Fehler bei Entfernung"},
        {"bearing", [](CalculatorModel& m) { m.projBearing = "1.2.3"; }, nullptr,
         "Fehler bei Richtungswinkel"},
        {"distance before latitude",
         [](CalculatorModel& m) {
             m.projDistance = "";
             m.projStartLat.degrees = "";
         },
         nullptr, "Fehler bei Entfernung"},
        {"proj lat", [](CalculatorModel& m) { m.projStartLat.degrees = ""; }, nullptr, "Fehler bei Breite"},
        {"proj lon", [](CalculatorModel& m) { m.projStartLon.minutes = ""; }, nullptr, "Fehler bei L\xE4nge"},
    };
    for (const Case& c : cases) {
        CalculatorModel m(home.ctx());
        m.open();
        const std::string distanceBefore = m.distanceResult();
        c.edit(m);
        m.inputChanged();
        EXPECT_EQ(m.distanceResult(), c.distance ? c.distance : distanceBefore) << c.what;
        if (c.projection) {
            EXPECT_EQ(m.projectionResult()[0], c.projection) << c.what;
            EXPECT_EQ(m.projectionResult()[1], "") << c.what;
        } else {
            EXPECT_EQ(m.projectionResult()[1], "E 10\xB0 28.996") << c.what;
        }
    }
}

TEST_F(Calculator, HemispheresNegateAndOpeningResetsThemButNotTheNumbers) {
    model.open();
    model.projStartLat.hemisphere = 1;
    model.projDistance = "0";
    model.distStartLat.degrees = "91";  // no range check
    model.inputChanged();
    EXPECT_EQ(model.projectionResult()[0], "S 49\xB0 30.000");
    EXPECT_NE(model.distanceResult().find("Entfernung = "), std::string::npos);
    model.close();
    model.open();
    EXPECT_EQ(model.projStartLat.hemisphere, 0);
    EXPECT_EQ(model.projDistance, "0");
    EXPECT_EQ(model.projectionResult()[0], "N 49\xB0 30.000");
}

TEST_F(Calculator, BearingShowsFourSignificantDigits) {
    EXPECT_EQ(distanceResultText(49.5, 10.75, 49.5, 10.75), "Entfernung = 0.001 km in Richtung 0.00 Grad");
    // 193.2547 rounds to 193.3 first.
    const auto p = Project(49.5, 10.75, 85.32, 193.2547);
    ASSERT_TRUE(p);
    EXPECT_NE(distanceResultText(49.5, 10.75, p->lat, p->lon).find("in Richtung 193.30 Grad"),
              std::string::npos);
}

TEST_F(Calculator, ProjectionOverTheDateLineShowsTheLongitudeReached) {
    const auto lines = projectionResultText(0, 179.5, 111.19492664455873, 90);
    EXPECT_EQ(lines[1], "W 179\xB0 30.000");
}

TEST_F(Calculator, KeysAreFiltered) {
    using K = CalculatorModel::FieldKind;
    EXPECT_EQ(CalculatorModel::filterKey(K::Decimal, ','), '.');
    EXPECT_EQ(CalculatorModel::filterKey(K::Decimal, '7'), '7');
    EXPECT_FALSE(CalculatorModel::filterKey(K::Decimal, 'a'));
    EXPECT_FALSE(CalculatorModel::filterKey(K::ProjectionDegrees, '.'));
    EXPECT_FALSE(CalculatorModel::filterKey(K::ProjectionDegrees, ','));
    EXPECT_EQ(CalculatorModel::filterKey(K::ProjectionDegrees, '\b'), '\b');
    EXPECT_EQ(CalculatorModel::filterKey(K::Degrees, ','), '.');
}

TEST_F(Calculator, TakesACachesCoordinatesKeepingTheHemispheres) {
    TCacheRec rec;
    rec.Waypoint = "GC1ABC";
    rec.CacheName = "Burgblick";
    rec.Lat = -33.5;
    rec.Lon = 151.2125;
    writeFileAtomic(home.workFile("Caches.bin"), encodeCacheRec(rec));
    RebuildIndex(home.ctx());
    model.open();
    EXPECT_TRUE(model.takeCacheCoordinates(CalculatorModel::Group::DistanceTarget, "gc1abc"));
    EXPECT_EQ(model.distTargetLat.degrees, "33");
    EXPECT_EQ(model.distTargetLat.minutes, "30.000");
    EXPECT_EQ(model.distTargetLat.hemisphere, 0);
    EXPECT_EQ(model.distTargetLon.degrees, "151");
    EXPECT_EQ(model.distTargetLon.minutes, "12.750");
    EXPECT_FALSE(model.takeCacheCoordinates(CalculatorModel::Group::ProjectionStart, "GC9999"));
    EXPECT_EQ(model.projStartLat.degrees, "49");
}

}  // namespace
}  // namespace vellora
