#include <gtest/gtest.h>

#include <string>

#include "core/SafePath.h"
#include "core/Waypoint.h"

using namespace vellora;
using namespace std::string_literals;

namespace {

TEST(WaypointRule, AcceptsCodesAfterUpperCasing) {
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"GC1234", "GC1234"},
        {"gc12ab", "GC12AB"},
        {"Gc", "GC"},
        {"OC0", "OC0"},
        {"GCABCDEFGHIJKLMN", "GCABCDEFGHIJKLMN"},  // 16
        {"0123456789", "0123456789"},
    };
    for (const auto& c : cases) {
        const WaypointCheck check = checkWaypoint(c.text);
        EXPECT_TRUE(check.ok()) << c.text << ": " << check.problem;
        EXPECT_EQ(check.waypoint, c.expected);
        EXPECT_EQ(normalWaypoint(c.text), c.expected);
    }
}

TEST(WaypointRule, RefusesWithReasonAndEscapedValue) {
    struct Case {
        std::string text, problem;
    };
    const Case cases[] = {
        {"", "Ung\xFCltiger Wegpunkt \"\": leer"},
        {"G", "Ung\xFCltiger Wegpunkt \"G\": zu kurz (mindestens 2 Zeichen)"},
        {"GCABCDEFGHIJKLMNO",
         "Ung\xFCltiger Wegpunkt \"GCABCDEFGHIJKLMNO\": zu lang (h\xF6"
         "chstens 16 Zeichen)"},
        {"../../x_escaped",
         "Ung\xFCltiger Wegpunkt \"../../x_escaped\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"..\\x", "Ung\xFCltiger Wegpunkt \"..\\\\x\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"GC\r\nZQ",
         "Ung\xFCltiger Wegpunkt \"GC\\x0D\\x0AZQ\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"GC\0ZQ"s, "Ung\xFCltiger Wegpunkt \"GC\\x00ZQ\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"GC12 ", "Ung\xFCltiger Wegpunkt \"GC12 \": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"GC\xE4\xC4",
         "Ung\xFCltiger Wegpunkt \"GC\\xE4\\xC4\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"GC-12", "Ung\xFCltiger Wegpunkt \"GC-12\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
        {"GC\"1", "Ung\xFCltiger Wegpunkt \"GC\\\"1\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"},
    };
    for (const auto& c : cases) {
        const WaypointCheck check = checkWaypoint(c.text);
        EXPECT_FALSE(check.ok()) << c.text;
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_TRUE(check.waypoint.empty());
        EXPECT_EQ(normalWaypoint(c.text), std::nullopt);
    }
}

TEST(WaypointRule, LongValueIsShownCut) {
    const std::string problem = checkWaypoint(std::string(5000, '/')).problem;
    EXPECT_EQ(problem, "Ung\xFCltiger Wegpunkt \"" + std::string(40, '/') +
                           "...\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt");
    EXPECT_EQ(escapedValue(std::string(10, '\n'), 3), "\\x0A\\x0A\\x0A...");
}

TEST(WaypointRule, CachePageNames) {
    for (const char* name :
         {"GC124.html", "gc124.HTM", "GC124.meta", "GC12_converted.html", "GC12_CONVERTED.HTML"})
        EXPECT_TRUE(isCachePageName(name)) << name;
    for (const char* name : {"GC12_i1.jpg", "GC12_map.gif", "GC12_mappoint.gif", "GC12.jpg", ".html",
                             "GC12_x.html", "GC12.GC13.html", "../GC12.html"})
        EXPECT_FALSE(isCachePageName(name)) << name;
}

TEST(SafePath, JoinsPlainNamesOnly) {
    EXPECT_EQ(safeJoin("/home/out/", "GC12.html"), "/home/out/GC12.html");
    EXPECT_EQ(safeJoin("/home/out", "GC12_i1.jpg"), "/home/out/GC12_i1.jpg");
    EXPECT_EQ(safeJoin("/home/out/", "..GC12"), "/home/out/..GC12");
    const std::string refused[] = {"",
                                   ".",
                                   "..",
                                   "../x",
                                   "../../x_escaped.html",
                                   "/tmp/n",
                                   "sub/name",
                                   "..\\x",
                                   "a\\b",
                                   "GC\r\nZQ.html",
                                   "GC\0"s,
                                   "GC\x7F",
                                   "GC\x1F.x",
                                   std::string(256, 'a')};
    for (const auto& name : refused) {
        EXPECT_FALSE(isSafeFileName(name)) << escapedValue(name);
        EXPECT_EQ(safeJoin("/home/out/", name), std::nullopt) << escapedValue(name);
    }
    EXPECT_EQ(safeJoin("", "GC12.html"), std::nullopt);
    EXPECT_TRUE(isSafeFileName(std::string(255, 'a')));
}

}  // namespace
