#include "core/DateUtil.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vellora;

namespace {

TEST(DateUtil, DayCountsFromTheEpoch) {
    EXPECT_EQ(encodeDate(1899, 12, 30), 0);
    EXPECT_EQ(encodeDate(1900, 1, 1), 2);
    EXPECT_EQ(encodeDate(2006, 12, 8), 39059);
    EXPECT_EQ(encodeDate(1899, 12, 29), -1);
    EXPECT_EQ(formatDate(39059), "08.12.2006");
    EXPECT_EQ(formatDate(encodeDate(2000, 2, 29)), "29.02.2000");
}

TEST(DateUtil, ParsesOnlyValidDates) {
    EXPECT_EQ(parseDate("08.12.2006"), 39059);
    EXPECT_EQ(parseDate("8.12.2006"), 39059);
    EXPECT_FALSE(parseDate("29.02.2006"));
    EXPECT_FALSE(parseDate("32.01.2006"));
    EXPECT_FALSE(parseDate("08.12."));
    EXPECT_FALSE(parseDate("08/12/2006"));
    EXPECT_FALSE(parseDate(""));
}

// Every fourth year has a 29 February, except whole centuries that 400 does not divide.
TEST(DateUtil, LeapDaysFollowTheCenturyRule) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"29.02.2004", true},  {"29.02.2000", true},  {"29.02.1600", true},  {"29.02.2400", true},
        {"29.02.1900", false}, {"29.02.2100", false}, {"29.02.1800", false}, {"29.02.2006", false},
        {"28.02.1900", true},  {"01.03.1900", true},  {"30.02.2000", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseDate(c.text);
        EXPECT_EQ(parsed.has_value(), c.valid);
        // An accepted date is the day it names, not one the day count rolled over to.
        if (parsed) {
            EXPECT_EQ(formatDate(*parsed), c.text);
        }
    }
    // Day counts across 1900 (no leap day) and 2000 (a leap day).
    EXPECT_EQ(encodeDate(1900, 3, 1) - encodeDate(1900, 2, 28), 1);
    EXPECT_EQ(encodeDate(2000, 3, 1) - encodeDate(2000, 2, 28), 2);
}

TEST(DateUtil, LogStampIsDayMonthTwoDigitYear) {
    const TDateTime t = encodeDateTime(DateParts{2006, 12, 8, 21, 4, 5});
    EXPECT_EQ(formatLogStamp(t), "08-12-06 21:04:05");
    EXPECT_EQ(formatDateTime(t), "08.12.2006 21:04:05");
    const DateParts p = decodeDateTime(t);
    EXPECT_EQ(p.hour * 3600 + p.minute * 60 + p.second, 21 * 3600 + 4 * 60 + 5);
}

TEST(DateUtil, TimeJustBeforeMidnightRoundsIntoTheNextDay) {
    const TDateTime t = encodeDate(2006, 12, 8) + 0.9999999;
    EXPECT_EQ(formatDateTime(t), "09.12.2006 00:00:00");
}

// Values that are no date (from a damaged record) show as nothing instead of overflowing.
TEST(DateUtil, ValuesOutsideTheDateRangeShowAsEmpty) {
    const double cases[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            1e300,
                            -1e300,
                            3e6,
                            -7e5};
    for (const double v : cases) {
        EXPECT_FALSE(isRepresentableDate(v)) << v;
        EXPECT_EQ(formatDate(v), "") << v;
        EXPECT_EQ(formatDateTime(v), "") << v;
        const DateParts p = decodeDateTime(v);
        EXPECT_EQ(p.year, 1899) << v;
    }
    EXPECT_TRUE(isRepresentableDate(encodeDate(1, 1, 1)));
    EXPECT_TRUE(isRepresentableDate(encodeDate(9999, 12, 31) + 0.5));
    EXPECT_EQ(formatDate(encodeDate(9999, 12, 31)), "31.12.9999");
    EXPECT_EQ(formatDate(encodeDate(1, 1, 1)), "01.01.0001");
}

}  // namespace
