#include <gtest/gtest.h>

#include <sstream>

#include "core/FileUtil.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

using vellora::fileExists;
using vellora::test::CliResult;
using vellora::test::TempDir;

namespace {

class CliDb : public ::testing::Test {
protected:
    CliResult db(std::vector<std::string> words, const std::string& input = "") {
        std::vector<std::string> args = {"--home", root.path()};
        args.insert(args.end(), words.begin(), words.end());
        return vellora::test::CliRunner::runRaw(args, input);
    }
    CliResult dbWith(std::string option, std::vector<std::string> words) {
        words.insert(words.begin(), std::move(option));
        return db(std::move(words));
    }
    bool binExists() const { return root.exists("Caches.bin"); }

    TempDir root;
};

TEST_F(CliDb, PutThenFindShowsEveryField) {
    const std::string input =
        "Waypoint=GC1A2B\n"
        "CacheName=Gro\xC3\x9F"
        "e Eiche\r\n"
        "RecordNo=55\n"
        "HiddenDate=8.12.2006\n"
        "Lat=49.123456\n"
        "Lon=-8.5\n"
        "\n"
        "CacheType=Multi-cache\n"
        "CacheSize=Micro\n"
        "Difficulty=1.5\n"
        "Terrain=2\n"
        "CountryID=79\n"
        "HomeDist=0.1\n"
        "Valid=1\n"
        "CacheID=4711\n";
    const CliResult put = db({"db", "put"}, input);
    ASSERT_EQ(put.code, 0) << put.err;
    EXPECT_EQ(root.read("Caches.bin").size(), 296u);
    EXPECT_EQ(root.read("Caches.idx").size(), 24u);

    const CliResult find = db({"db", "find", "gc1a2b"});
    EXPECT_EQ(find.code, 0) << find.err;
    EXPECT_EQ(find.out,
              "CacheID=4711\n"
              "CacheName=Gro\xC3\x9F"
              "e Eiche\n"
              "HiddenDate=08.12.2006\n"
              "Lat=49.123456\n"
              "Lon=-8.5\n"
              "CacheType=Multi-cache\n"
              "CacheSize=Micro\n"
              "Waypoint=GC1A2B\n"
              "Difficulty=1.5\n"
              "Terrain=2\n"
              "CountryID=79\n"
              "HomeDist=0.1\n"
              "Valid=1\n"
              "RecordNo=0\n");
}

TEST_F(CliDb, MissingFieldsAreZeroAndPutUpdatesInPlace) {
    ASSERT_EQ(db({"db", "put"}, "Waypoint=GC9\n").code, 0);
    ASSERT_EQ(db({"db", "put"}, "Waypoint=GC8\nCacheName=eight\n").code, 0);
    EXPECT_EQ(
        db({"db", "find", "GC9"}).out,
        "CacheID=0\nCacheName=\nHiddenDate=30.12.1899\nLat=0\nLon=0\nCacheType=\nCacheSize=\nWaypoint=GC9\n"
        "Difficulty=\nTerrain=\nCountryID=0\nHomeDist=0\nValid=0\nRecordNo=0\n");
    ASSERT_EQ(db({"db", "put"}, "Waypoint=GC9\nCacheName=nine\n").code, 0);
    EXPECT_EQ(db({"db", "count"}).out, "2\n");
    const std::string found = db({"db", "find", "GC9"}).out;
    EXPECT_NE(found.find("CacheName=nine\n"), std::string::npos) << found;
    EXPECT_NE(db({"db", "find", "GC8"}).out.find("RecordNo=1\n"), std::string::npos);
}

TEST_F(CliDb, PutRejectsBadInputAndWritesNothing) {
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"Waypoint=GC1\nFoo=1\n", "Unbekanntes Feld: Foo"},
        {"Waypoint=GC1\nLat=abc\n", "Lat: abc"},
        {"Waypoint=GC1\nLon=1,5\n", "Lon: 1,5"},
        {"Waypoint=GC1\nHiddenDate=31.02.2006\n", "HiddenDate"},
        {"Waypoint=GC1\nValid=256\n", "Valid"},
        {"Waypoint=GC1\nCacheID=12x\n", "CacheID"},
        {"Waypoint=GC1\nHomeDist=1e50\n", "HomeDist"},
        {"Waypoint=GC1\nDifficulty=1.25\n", "Difficulty"},
        {"Waypoint=GC12345678901234567\n", "Waypoint"},
        {"Waypoint=GC1\njust text\n", "Zeile ohne"},
        {"CacheName=no key\n", "Waypoint fehlt"},
    };
    for (const auto& c : cases) {
        const CliResult r = db({"db", "put"}, c.input);
        EXPECT_EQ(r.code, 1) << c.input;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(binExists()) << c.input;
    }
}

TEST_F(CliDb, FindCountDeleteAndRebuild) {
    EXPECT_EQ(db({"db", "count"}).out, "0\n");
    const CliResult noDb = db({"db", "rebuild-index"});
    EXPECT_EQ(noDb.code, 1);
    EXPECT_EQ(noDb.out, "-1\n");

    ASSERT_EQ(db({"db", "put"}, "Waypoint=GC1\n").code, 0);
    ASSERT_EQ(db({"db", "put"}, "Waypoint=GC2\n").code, 0);
    const CliResult missing = db({"db", "find", "GC3"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");

    EXPECT_EQ(db({"db", "delete", "GC1"}).code, 0);
    EXPECT_EQ(db({"db", "delete", "GC1"}).code, 1);
    EXPECT_EQ(db({"db", "count"}).out, "1\n");
    EXPECT_EQ(db({"db", "find", "GC1"}).code, 1);
    EXPECT_NE(db({"db", "find", "GC2"}).out.find("RecordNo=0\n"), std::string::npos);

    const CliResult rebuilt = db({"db", "rebuild-index"});
    EXPECT_EQ(rebuilt.code, 0);
    EXPECT_EQ(rebuilt.out, "0\n");
}

TEST_F(CliDb, CheckAsksBeforeDeleting) {
    EXPECT_EQ(db({"db", "check"}).code, 1);  // no database
    ASSERT_EQ(db({"db", "put"}, "Waypoint=GC1\nLat=49\nLon=8\n").code, 0);
    EXPECT_EQ(db({"db", "check"}).code, 0);

    ASSERT_EQ(db({"db", "delete", "GC1"}).code, 0);
    ASSERT_EQ(db({"db", "put"}, "Waypoint=OC1234\nLat=49\nLon=8\n").code, 0);
    const CliResult kept = db({"db", "check"});
    EXPECT_EQ(kept.code, 1);
    EXPECT_NE(kept.err.find("ist nicht g\xC3\xBCltig"), std::string::npos) << kept.err;
    EXPECT_TRUE(binExists());
    EXPECT_EQ(dbWith("--yes", {"db", "check"}).code, 1);
    EXPECT_FALSE(binExists());
}

// A working directory that is not there is named, not answered as an empty database.
TEST_F(CliDb, MissingWorkingDirectoryIsReported) {
    ASSERT_EQ(db({"config", "set", "Program", "WorkDir", root.file("gone")}).code, 0);
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"db", "count"}, {"db", "check"}, {"db", "find", "GC1"}}) {
        const CliResult r = db(words);
        EXPECT_EQ(r.code, 1) << words[1];
        EXPECT_EQ(r.out, "") << words[1];
        EXPECT_NE(r.err.find("Das Arbeitsverzeichnis " + root.file("gone") + "/ existiert nicht."),
                  std::string::npos)
            << r.err;
    }
}

// Coordinates off the globe are refused by every path that stores a record.
TEST_F(CliDb, PutRefusesPositionsOffTheGlobe) {
    const CliResult r = db({"db", "put"}, "Waypoint=GC1\nLat=95\nLon=8\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("GC1: Koordinaten au\xC3\x9F"
                         "erhalb des g\xC3\xBCltigen Bereichs"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(db({"db", "count"}).out, "0\n");
}

TEST_F(CliDb, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"db"},           {"db", "bogus"}, {"db", "find"}, {"db", "find", "GC1", "GC2"}, {"db", "count", "x"},
        {"db", "delete"},
    };
    for (const auto& words : bad) EXPECT_EQ(db(words).code, 2) << words.back();
}

}  // namespace
