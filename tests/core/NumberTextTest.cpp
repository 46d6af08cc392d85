#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace vellora;

namespace {

TEST(NumberText, ShortestAndFifteenDigitForms) {
    struct Case {
        double v;
        const char* shortest;
        const char* fifteen;
    } cases[] = {
        {49.5, "49.5", "49.5"},
        {15, "15", "15"},
        {0.1, "0.1", "0.1"},
        {-0.0, "0", "0"},
        {1.0 / 3, "0.3333333333333333", "0.333333333333333"},
        {10.75, "10.75", "10.75"},
        {-70.25, "-70.25", "-70.25"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatShortest(c.v), c.shortest);
        EXPECT_EQ(formatFloat15(c.v), c.fifteen);
    }
}

TEST(NumberText, FixedFormsUseTheGivenSeparator) {
    EXPECT_EQ(formatFixed(13.345, 1), "13.3");
    EXPECT_EQ(formatFixed(13.36, 1, ','), "13,4");
    EXPECT_EQ(formatFixed(-0.04, 1), "0.0");
    EXPECT_EQ(formatFixedSignificant(49.5, 8, 5), "49.50000");
    EXPECT_EQ(formatFixedSignificant(123.456789, 8, 5), "123.45679");
    EXPECT_EQ(formatFixedSignificant(-8.123456789, 8, 5), "-8.12346");
}

TEST(NumberText, ParsingIsStrictAndLocaleFree) {
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // must not matter
    EXPECT_EQ(parseDouble("49.5"), 49.5);
    EXPECT_EQ(parseDouble(" -10.75 "), -10.75);
    EXPECT_EQ(parseDouble("+3"), 3.0);
    EXPECT_EQ(parseDouble("49,5", ','), 49.5);
    EXPECT_FALSE(parseDouble("49.5", ','));
    EXPECT_FALSE(parseDouble("49,5"));
    EXPECT_FALSE(parseDouble(""));
    EXPECT_FALSE(parseDouble("12abc"));
    EXPECT_EQ(parseInt("0x1F"), 31);
    EXPECT_EQ(parseInt("0X1f"), 31);
    EXPECT_EQ(parseInt("-42"), -42);
    EXPECT_FALSE(parseInt("0x"));
    EXPECT_FALSE(parseInt("4 2"));
    EXPECT_EQ(parseInt32("0xFFFFFFFF"), -1);
    EXPECT_FALSE(parseInt32("4294967295"));
    std::setlocale(LC_NUMERIC, "C");
}

TEST(NumberText, RoundingTiesToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(720.5), 720);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
}

}  // namespace
