#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/Koord.h"
#include "core/NumberText.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

class GeoCliTest : public ::testing::Test {
protected:
    test::CliResult run(std::vector<std::string> words) {
        std::vector<std::string> args = {"--home", dir.path(), "geo"};
        args.insert(args.end(), words.begin(), words.end());
        return vellora::test::CliRunner::runRaw(args);
    }

    test::TempDir dir;
};

// Output is UTF-8: the degree sign arrives as C2 B0.
TEST_F(GeoCliTest, FormatPrintsPlainAndPaddedLines) {
    struct Case {
        const char* lat;
        const char* lon;
        const char* expected;
    };
    const Case cases[] = {
        {"-33.5", "-70.25",
         "S 33\xC2\xB0 30.000 W 070\xC2\xB0 15.000\n"
         "S 33\xC2\xB0 30.000 W 070\xC2\xB0 15.000\n"},
        {"49.0833333", "8.5",
         "N 49\xC2\xB0 5.000 E 008\xC2\xB0 30.000\n"
         "N 49\xC2\xB0 05.000 E 008\xC2\xB0 30.000\n"},
        {"+49.999999", "0",
         "N 50\xC2\xB0 0.000 E 000\xC2\xB0 0.000\n"
         "N 50\xC2\xB0 00.000 E 000\xC2\xB0 00.000\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lat);
        const test::CliResult r = run({"format", c.lat, c.lon});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, c.expected);
    }
}

TEST_F(GeoCliTest, DistancePrintsCompassTextAndNumbers) {
    const test::CliResult same = run({"distance", "49.5", "10.75", "49.5", "10.75"});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "0.0km N\ndistance=0.001 bearing=0\n");

    const test::CliResult south = run({"distance", "49.6", "10.75", "49.5", "10.75"});
    EXPECT_EQ(south.code, 0) << south.err;
    const std::string km = formatShortest(DistanceBearing(49.6, 10.75, 49.5, 10.75).distanceKm);
    EXPECT_EQ(km.substr(0, 6), "11.119");
    EXPECT_EQ(south.out, "11.1km S\ndistance=" + km + " bearing=180\n");

    const test::CliResult sw = run({"distance", "49.6", "10.85", "49.5", "10.75"});
    EXPECT_EQ(sw.code, 0) << sw.err;
    EXPECT_EQ(sw.out.substr(0, sw.out.find('\n')), "13.3km SSW");
    EXPECT_NE(sw.out.find(" bearing=213.01"), std::string::npos) << sw.out;
}

TEST_F(GeoCliTest, UndefinedCourseFailsWithQuestionMark) {
    const test::CliResult r = run({"distance", "90", "0", "80", "10"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "?\n");
}

TEST_F(GeoCliTest, MalformedArgumentsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"format", "49.5"},
        {"format", "49.5", "10.75", "1"},
        {"format", "49,5", "10.75"},  // only "." is a decimal point
        {"format", "49.5", "abc"},
        {"format", "nan", "10.75"},
        {"format", "91", "10.75"},
        {"format", "49.5", "-180.5"},
        {"distance", "49.5", "10.75", "49.5"},
        {"distance", "49.5", "10.75", "49.5", "inf"},
    };
    for (const auto& words : cases) {
        SCOPED_TRACE(::testing::PrintToString(words));
        const test::CliResult r = run(words);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Aufruf"), std::string::npos);
    }
}

}  // namespace
}  // namespace vellora
