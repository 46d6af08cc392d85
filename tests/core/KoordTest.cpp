#include "core/Koord.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vellora {
namespace {

TEST(SplitDegMin, Table) {
    struct Case {
        double value;
        const char* degrees;
        const char* minutes;
    };
    const Case cases[] = {
        {49.999999, "50", "0.000"},                             // rounded minutes reach 60 and carry
        {49.5, "49", "30.000"},     {8.0853333, "8", "5.120"},  // no leading zero on the minutes
        {0.0, "0", "0.000"},        {179.9999999, "180", "0.000"},
        {10.046875, "10", "2.812"},  // 2812.5 thousandths: tie goes to even
        {10.015625, "10", "0.938"},  // 937.5 thousandths: tie goes to even, upwards
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const DegMinText dm = SplitDegMin(c.value);
        EXPECT_EQ(dm.degrees, c.degrees);
        EXPECT_EQ(dm.minutes, c.minutes);
    }
}

TEST(SplitDMS, Table) {
    struct Case {
        double value;
        const char* degrees;
        const char* minutes;
        const char* seconds;
    };
    const Case cases[] = {
        {10.999999, "11", "0", "0"},  // seconds carry into minutes, minutes into degrees
        {49.5, "49", "30", "0"},     {8.0853333, "8", "5", "7"},
        {10.03125, "10", "1", "52"},  // 52.5 seconds: tie goes to even
        {0.0, "0", "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const DegMinSecText dms = SplitDMS(c.value);
        EXPECT_EQ(dms.degrees, c.degrees);
        EXPECT_EQ(dms.minutes, c.minutes);
        EXPECT_EQ(dms.seconds, c.seconds);
    }
}

TEST(FormatCoord, HemisphereLetterAndAbsoluteValue) {
    struct Case {
        int kind;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {kCoordLatitude, 49.5, "N 49\xB0 30.000"},      {kCoordLatitude, -0.5, "S 0\xB0 30.000"},
        {kCoordLongitude, -8.0853333, "W 8\xB0 5.120"}, {kCoordLongitude, 0.0, "E 0\xB0 0.000"},
        {kCoordLongitude, 10.75, "E 10\xB0 45.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatCoord(c.kind, c.value), c.expected);
    }
}

TEST(FormatLatLon, PlainAndPadded) {
    struct Case {
        double lat;
        double lon;
        const char* plain;
        const char* padded;
    };
    const Case cases[] = {
        {49.5, 10.75, "N 49\xB0 30.000 E 010\xB0 45.000", "N 49\xB0 30.000 E 010\xB0 45.000"},
        {49.0853333, 8.0083333, "N 49\xB0 5.120 E 008\xB0 0.500", "N 49\xB0 05.120 E 008\xB0 00.500"},
        {-33.5, -70.25, "S 33\xB0 30.000 W 070\xB0 15.000", "S 33\xB0 30.000 W 070\xB0 15.000"},
        {49.0833333, 8.5, "N 49\xB0 5.000 E 008\xB0 30.000", "N 49\xB0 05.000 E 008\xB0 30.000"},
        {5.0, 0.0, "N 05\xB0 0.000 E 000\xB0 0.000", "N 05\xB0 00.000 E 000\xB0 00.000"},
        {49.999999, 179.9999999, "N 50\xB0 0.000 E 180\xB0 0.000", "N 50\xB0 00.000 E 180\xB0 00.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(FormatLatLon(c.lat, c.lon), c.plain);
        EXPECT_EQ(FormatLatLonPadded(c.lat, c.lon), c.padded);
    }
}

TEST(FormatDegMinShort, Table) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {-8.5, "-8\xB0 30\xB4"},   {-0.25, "-0\xB0 15\xB4"},  // sign kept below one degree
        {49.9999, "50\xB0 0\xB4"},                            // 59.994 minutes round to 60 and carry
        {10.375, "10\xB0 22\xB4"},                            // 22.5 minutes: tie goes to even
        {10.125, "10\xB0 8\xB4"},                             // 7.5 minutes: tie goes to even, upwards
        {0.0, "0\xB0 0\xB4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatDegMinShort(c.value), c.expected);
    }
}

TEST(DistanceBearing, Table) {
    struct Case {
        double lat1, lon1, lat2, lon2;
        double km;
        double bearing;
    };
    const Case cases[] = {
        {49.6, 10.75, 49.5, 10.75, 11.1195, 180.0},  // same meridian, southwards
        {49.5, 10.75, 49.6, 10.75, 11.1195, 0.0},
        {49.6, 10.85, 49.5, 10.75, 13.2547, 213.0129},
        {49.5, 10.75, 49.6, 10.85, 13.2547, 32.9368},
        {-33.5, -70.25, -33.6, -70.25, 11.1195, 180.0},  // southern latitudes use 90 - lat as well
        {1.0, 0.0, -1.0, 0.0, 222.3899, 180.0},          // across the equator
        {0.0, 179.5, 0.0, -179.5, 111.1949, 90.0},       // across the 180th meridian, eastwards
        {0.0, -179.5, 0.0, 179.5, 111.1949, 270.0},
        {0.0, 0.0, 0.0, 120.0, 13343.3912, 90.0},  // more than a quarter of the circumference
        {-33.9, 18.4, 51.5, -0.1, 9666.5447, 348.5911},
        {49.5, 10.75, -33.5, 151.2, 16329.4275, 76.1946},
        {90.0, 0.0, 80.0, 0.0, 1111.9493, 180.0},  // from the pole along a meridian
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lat1 << "," << c.lon1 << " -> " << c.lat2 << "," << c.lon2);
        const DistanceBearingResult r = DistanceBearing(c.lat1, c.lon1, c.lat2, c.lon2);
        ASSERT_TRUE(r.ok);
        EXPECT_NEAR(r.distanceKm, c.km, 0.001);
        EXPECT_NEAR(r.bearing, c.bearing, 0.001);
    }
}

TEST(DistanceBearing, IdenticalPointsWithinAThousandthMinute) {
    const double justBelow = 0.99 / 60000.0;
    const double points[][4] = {
        {49.5, 10.75, 49.5, 10.75},
        {49.5, 10.75, 49.5 + justBelow, 10.75 - justBelow},
        {-90.0, 0.0, -90.0, 0.0},
    };
    for (const auto& p : points) {
        const DistanceBearingResult r = DistanceBearing(p[0], p[1], p[2], p[3]);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.distanceKm, 0.001);
        EXPECT_EQ(r.bearing, 0.0);
    }
}

TEST(DistanceBearing, UndefinedCourseFails) {
    const double points[][4] = {
        {90.0, 0.0, 80.0, 10.0},      // north pole: every direction is south
        {-90.0, 0.0, -80.0, 10.0},    // south pole: sin(c1) is rounding noise, not zero
        {10.0, 20.0, -10.0, -160.0},  // antipodes: every course leads there
        {49.5, 10.75, -49.5, -169.25}, {0.0, 0.0, 0.0, 180.0}, {NAN, 0.0, 49.5, 10.75},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(::testing::Message() << p[0] << "," << p[1] << " -> " << p[2] << "," << p[3]);
        EXPECT_FALSE(DistanceBearing(p[0], p[1], p[2], p[3]).ok);
    }
}

// Close points on nearly the same meridian push the bearing's arccos argument past 1 by rounding.
TEST(DistanceBearing, CloseNearMeridianPointsDoNotFail) {
    for (int i = 1; i <= 2000; ++i) {
        const double lat1 = 49.0 + i * 0.000137;
        const double dLat = (i % 2 ? 1 : -1) * (1.0 / 60000.0) * (1 + i % 7);
        const double dLon = 1e-9 * (i % 5 + 1);
        const DistanceBearingResult r = DistanceBearing(lat1, 10.75, lat1 + dLat, 10.75 + dLon);
        ASSERT_TRUE(r.ok) << i;
        EXPECT_TRUE(r.bearing >= 0.0 && r.bearing < 360.0) << i;
        // The law of cosines is ill-conditioned at 2 m, but the course stays roughly north or south.
        EXPECT_NEAR(std::fmod(r.bearing + 90.0, 180.0), 90.0, 5.0) << i;
    }
}

TEST(CompassPoint, SectorBoundariesAndFallback) {
    struct Case {
        double bearing;
        char sep;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, '.', "N"},            // k 22
        {11.4, '.', "N"},           // k 45.3 -> 45
        {11.5, '.', "NNE"},         // k 45.5 rounds to even 46
        {34.0, '.', "NNE"},         // k 90.5 rounds to even 90
        {34.25, '.', "NE"},         // k 91
        {90.0, '.', "E"},           // k 202.5 -> 202
        {180.0, '.', "S"},          // k 382.5 -> 382
        {213.0, '.', "SSW"},        // k 448.5 -> 448
        {270.0, '.', "W"},          // k 562.5 -> 562
        {349.0, '.', "NNW"},        // k 720.5 rounds to even 720
        {349.1, '.', "N"},          // k 720.7 -> 721
        {359.99, '.', "N"},         // k 742.48 -> 742
        {360.0, '.', "N"},          // k 742.5 -> 742
        {-10.75, '.', "N"},         // k 1
        {-11.0, '.', "-11.0\xB0"},  // k 0.5 rounds to even 0: outside the table
        {400.0, '.', "400.0\xB0"},  // k 822.5
        {-20.0, ',', "-20,0\xB0"},  // the fallback uses the decimal separator
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bearing);
        EXPECT_EQ(CompassPoint(c.bearing, c.sep), c.expected);
    }
}

TEST(DistanceCompassText, Table) {
    struct Case {
        double lat1, lon1, lat2, lon2;
        char sep;
        const char* expected;
    };
    const Case cases[] = {
        {49.5, 10.75, 49.5, 10.75, '.', "0.0km N"},
        {49.6, 10.75, 49.5, 10.75, '.', "11.1km S"},
        {49.6, 10.75, 49.5, 10.75, ',', "11,1km S"},
        {49.6, 10.85, 49.5, 10.75, '.', "13.3km SSW"},
        {49.5, 10.75, 49.6, 10.85, '.', "13.3km NNE"},
        {0.0, 0.0, 0.0, 120.0, '.', "13343.0km E"},  // five significant digits first
        {90.0, 0.0, 80.0, 10.0, '.', "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(DistanceCompassText(c.lat1, c.lon1, c.lat2, c.lon2, c.sep), c.expected);
    }
}

// From one point to many as DistanceBearing has it, to the bit, failures included: the
// conversion stores these distances in every record.
TEST(DistanceFrom, AgreesWithDistanceBearingToTheBit) {
    const double homes[][2] = {{49.5, 10.75}, {90.0, 0.0}, {-90.0, 0.0}, {0.0, 180.0}, {-33.9, 18.4}};
    std::vector<std::array<double, 2>> targets = {
        {49.5, 10.75},   {49.5 + 0.99 / 60000.0, 10.75},
        {49.6, 10.85},   {-49.5, -169.25},
        {0.0, 0.0},      {90.0, 0.0},
        {-90.0, 0.0},    {80.0, 10.0},
        {0.0, -180.0},   {NAN, 10.0},
        {49.5, NAN},     {49.6, 10.75},
        {-33.9, -161.6}, {33.9, -161.6},
        {49.5, 370.75},
    };
    for (int i = 0; i < 3000; ++i) targets.push_back({-90.0 + (i * 0.0617), -180.0 + i * 0.1237});
    for (const auto& home : homes) {
        const DistanceFrom from(home[0], home[1]);
        for (const auto& t : targets) {
            SCOPED_TRACE(::testing::Message() << home[0] << "," << home[1] << " -> " << t[0] << "," << t[1]);
            const DistanceBearingResult expected = DistanceBearing(home[0], home[1], t[0], t[1]);
            double km = -1;
            ASSERT_EQ(from.distanceKm(t[0], t[1], km), expected.ok);
            if (expected.ok) {
                ASSERT_EQ(std::bit_cast<std::uint64_t>(km),
                          std::bit_cast<std::uint64_t>(expected.distanceKm));
            }
        }
    }
}

}  // namespace
}  // namespace vellora
