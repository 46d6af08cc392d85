#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileProcs.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"
#include "tools/Projection.h"

namespace vellora {
namespace {

using test::CliResult;
using test::textLines;

class ToolCli : public ::testing::Test {
protected:
    CliResult run(const std::vector<std::string>& words) { return test::CliRunner(root.path()).run(words); }
    test::TempDir root;
};

// Output is UTF-8: the degree sign arrives as C2 B0.
TEST_F(ToolCli, CalcAndUtm) {
    struct Case {
        std::vector<std::string> words;
        int code;
        const char* out;
    } cases[] = {
        {{"calc", "distance", "49.5", "10.75", "50.0916666667", "11.0466666667"},
         0,
         "Entfernung = 69.150 km in Richtung 17.82 Grad\n"},
        {{"calc", "project", "49.5", "10.75", "85.32", "193.25"},
         0,
         "N 48\xC2\xB0 45.169 E 10\xC2\xB0 28.996\n"},
        {{"calc", "project", "48", "11", "100", "0"}, 0, "N 48\xC2\xB0 53.959 E 11\xC2\xB0 0.000\n"},
        {{"calc", "project", "-33.5", "-70.25", "0", "45"}, 0, "S 33\xC2\xB0 30.000 W 70\xC2\xB0 15.000\n"},
        {{"calc", "distance", "90", "0", "49", "10"}, 1, "Ergebnis nicht definiert!\n"},
        {{"utm", "to", "49.5", "10.75"}, 0, "32 U 626710 5484512\n"},
        {{"utm", "to", "0", "3"}, 0, "31 N 500000 0\n"},
        {{"utm", "to", "78", "10"}, 0, "33 X 384085 8663320\n"},
        {{"utm", "from", "32", "U", "626710", "5484512"}, 0, "N 49\xC2\xB0 30.000 E 10\xC2\xB0 45.000\n"},
        {{"utm", "from", "32", "m", "500000", "5000000"}, 0, "S 45\xC2\xB0 9.209 E 9\xC2\xB0 0.000\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = run(c.words);
        EXPECT_EQ(r.code, c.code) << c.words[1] << " " << r.err;
        EXPECT_EQ(r.out, c.out) << c.words[1] << " " << c.words[2];
    }
}

TEST_F(ToolCli, BadArgumentsAreRefused) {
    EXPECT_EQ(run({"calc", "distance", "49.5", "x", "1", "2"}).code, 2);
    EXPECT_EQ(run({"calc", "sum"}).code, 2);
    EXPECT_EQ(run({"utm", "from", "32", "I", "1", "2"}).code, 2);
    const CliResult range = run({"utm", "to", "91", "0"});
    EXPECT_EQ(range.code, 1);
    EXPECT_NE(range.err.find("[-90 ; 90]"), std::string::npos);
    const CliResult zone = run({"utm", "from", "x", "U", "1", "2"});
    EXPECT_EQ(zone.code, 1);
    EXPECT_NE(zone.err.find("Zonenangabe"), std::string::npos);
    EXPECT_EQ(run({"route", "--format", "gpx", "a", "--width", "3"}).code, 2);
    EXPECT_EQ(run({"route", "--format", "coo", "a"}).code, 2);
}

// The work list keeps its entries unless --replace is given; a replaced list stays as its backup.
TEST_F(ToolCli, RoutePrintsTheResultsAndWritesTheWorkList) {
    std::string db;
    auto add = [&](const char* waypoint, const char* type, double km) {
        const GeoPoint p = *Project(49.5, 10.75, km, 0);
        TCacheRec rec;
        rec.Waypoint = waypoint;
        rec.CacheName = std::string("Name ") + waypoint;
        rec.CacheType = type;
        rec.Lat = p.lat;
        rec.Lon = p.lon;
        db += encodeCacheRec(rec);
    };
    add("GCONE", "Traditional Cache", 1);
    add("GCTWO", "Multi-Cache", 2);
    add("GCFAR", "Traditional Cache", 30);
    root.write("Caches.bin", db);
    root.write("a.coo", "10 45 0 49 30 0\n");
    root.write("b.coo", "10 45 0 49 36 0\n");
    root.write("WPList.txt", "GCOLD\r\n");

    CliResult r = run({"route", "--format", "coo", root.file("a.coo"), root.file("b.coo"), "--width", "3"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto lines = textLines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("GCONE (1.00 km / ", 0), 0u);
    EXPECT_EQ(lines[2], "Entlang der Route wurden 2 Caches gefunden.");
    EXPECT_EQ(readListFile(root.file("WPList.txt")), (std::vector<std::string>{"GCOLD", "GCONE", "GCTWO"}));

    EXPECT_FALSE(root.exists("WPList.txt.bk"));

    r = run({"route", "--format", "coo", root.file("a.coo"), root.file("b.coo"), "--width", "3", "--filter",
             "Multi", "--replace"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(readListFile(root.file("WPList.txt")), std::vector<std::string>{"GCTWO"});
    EXPECT_EQ(readListFile(root.file("WPList.txt.bk")),
              (std::vector<std::string>{"GCOLD", "GCONE", "GCTWO"}));

    r = run({"route", "--format", "coo", root.file("a.coo"), "--width", "3"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(readListFile(root.file("WPList.txt")), std::vector<std::string>{"GCTWO"});

    // Nothing within the corridor: the work list stays.
    root.write("far.coo", "0 0 0 0 0 0\n0 1 0 0 0 0\n");
    r = run({"route", "--format", "coo", root.file("far.coo"), "--width", "3"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Entlang der Route wurden 0 Caches gefunden.\n");
    EXPECT_EQ(readListFile(root.file("WPList.txt")), std::vector<std::string>{"GCTWO"});

    root.write("bad.txt", "Grid\tUTM\r\n");
    r = run({"route", "--format", "mapsource", root.file("bad.txt"), "--width", "3"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Nicht erlaubtes Koordinatenformat"), std::string::npos);
}

}  // namespace
}  // namespace vellora
