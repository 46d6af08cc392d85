#include <gtest/gtest.h>

#include <sstream>

#include "core/FileUtil.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

#if __has_include("sim/SimFixture.h")
#include "sim/SimFixture.h"
#define VELLORA_HAVE_SIM 1
#endif

using vellora::test::CliResult;
using vellora::test::TempDir;

namespace {

std::string line(int id, const std::string& wp, const std::string& ratings = "1 2 3") {
    return std::to_string(id) + " \"Cache " + wp +
           "\" 2005 06 07 49.6 10.85 \"Traditional Cache\" \"Small\" " + wp + " " + ratings + "\n";
}

class CliDbImport : public ::testing::Test {
protected:
    CliResult run(std::vector<std::string> words) {
        std::vector<std::string> args = {"--home", root.path()};
        args.insert(args.end(), words.begin(), words.end());
        return vellora::test::CliRunner::runRaw(args);
    }
    void SetUp() override { ASSERT_EQ(run({"init"}).code, 0); }

    TempDir root;
};

TEST_F(CliDbImport, ConvertThePrimaryFile) {
    root.write("gc_germany.txt", line(1, "GC1") + line(2, "GC2", "1") + "# note\n" + line(3, "GC3"));
    const CliResult r = run({"db", "convert"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "gc_germany.txt: 2 konvertiert, 1 unvollst\xC3\xA4ndig, 1 fehlerhaft, 0 neu\n");
    EXPECT_EQ(root.read("Caches.bin").size(), 3u * 296);
    EXPECT_EQ(root.read("Caches.idx").size(), 3u * 24);

    // Again: a merge that finds nothing new, and asks nothing.
    const CliResult again = run({"db", "convert"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "gc_germany.txt: 2 konvertiert, 1 unvollst\xC3\xA4ndig, 1 fehlerhaft, 0 neu\n");
    EXPECT_EQ(root.read("Caches.bin").size(), 3u * 296);
}

// A conversion into an existing database merges through Caches.bin.tmp; the console run removes it.
TEST_F(CliDbImport, MergeLeavesNoTemporaryFile) {
    root.write("gc_germany.txt", line(1, "GC1"));
    ASSERT_EQ(run({"db", "convert"}).code, 0);
    root.write("gc_germany.txt", line(1, "GC1") + line(2, "GC2"));
    const CliResult r = run({"db", "convert"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(root.read("Caches.bin").size(), 2u * 296);
    EXPECT_FALSE(root.exists("Caches.bin.tmp"));
}

TEST_F(CliDbImport, ConvertWithoutTheFileFails) {
    const CliResult r = run({"db", "convert"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("nicht gefunden"), std::string::npos) << r.err;
    EXPECT_FALSE(root.exists("Caches.bin"));
}

TEST_F(CliDbImport, ConvertAdditionalFiles) {
    EXPECT_EQ(run({"db", "convert", "--additional"}).code, 1);  // none selected
    ASSERT_EQ(run({"config", "set", "Program", "UseCacheDB1", "1"}).code, 0);
    ASSERT_EQ(run({"config", "set", "Program", "UseCacheDB2", "1"}).code, 0);
    root.write("gc_austria.txt", line(1, "GC1"));
    root.write("gc_switzerland.txt", line(2, "GC2") + line(1, "GC1"));
    const CliResult r = run({"db", "convert", "--additional"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "gc_austria.txt: 1 konvertiert, 0 unvollst\xC3\xA4ndig, 0 fehlerhaft, 0 neu\n"
              "gc_switzerland.txt: 2 konvertiert, 0 unvollst\xC3\xA4ndig, 0 fehlerhaft, 1 neu\n");
    EXPECT_EQ(root.read("Caches.bin").size(), 2u * 296);
}

TEST_F(CliDbImport, FromListings) {
    ASSERT_EQ(vellora::makeDirs(root.file("pages")), 0);
    root.write("pages/GC1234.html",
               "<span id=\"CacheName\">Am Bach</span><span id=\"WaypointName\">GC1234</span>"
               "<span id=\"LatLon\">N 49\xB0 12.345 E 010\xB0 58.123</span>");
    root.write("WPList.txt", "GC0001\r\n");
    const CliResult r = run({"db", "from-listings", root.file("pages"), "--update", "--no-worklist"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "GC1234\nGC1234: Am Bach (Neu)\nFertig. 1 neu, 0 \xC3\xBC"
              "bersprungen, 0 ge\xC3\xA4ndert.\n");
    EXPECT_EQ(root.read("WPList.txt"), "GC0001\r\n");
    EXPECT_EQ(root.read("Caches.bin").size(), 296u);

    // The output directory (the home) holds no pages.
    const CliResult none = run({"db", "from-listings"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("Keine Cachebeschreibungen"), std::string::npos) << none.err;
}

TEST_F(CliDbImport, UsageErrors) {
    EXPECT_EQ(run({"db", "convert", "--bogus"}).code, 2);
    EXPECT_EQ(run({"db", "download", "extra"}).code, 2);
    EXPECT_EQ(run({"db", "from-listings", "a", "b"}).code, 2);
}

#ifdef VELLORA_HAVE_SIM
TEST_F(CliDbImport, DownloadThePrimaryDatabase) {
    vellora::sim::SimFixture sim;
    sim.writeHome(root.path());
    const CliResult r = run({"--no", "db", "download"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Lade Cache-DB\nLadevorgang gestartet um ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\ngc_germany.txt: "), std::string::npos) << r.out;
    EXPECT_EQ(root.read("Caches.bin").size(), sim.world().cachesInCountry(2).size() * 296);
    EXPECT_EQ(sim.requestsTo("/cachedb/").size(), 1u);

    // A second download merges into the database; neither leaves a download or merge file.
    const CliResult again = run({"--no", "db", "download"});
    EXPECT_EQ(again.code, 0) << again.err;
    for (const char* name : {"Caches.bin.tmp", "db.tmp.zip", "db.tmp"})
        EXPECT_FALSE(root.exists(name)) << name;

    sim.addFault("/cachedb/", vellora::sim::FaultKind::ServerError);
    const CliResult failed = run({"db", "download"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_FALSE(root.exists("Caches.bin.tmp"));
    EXPECT_NE(failed.err.find("Folgende Ladeoperation vom Internet ist fehlgeschlagen"), std::string::npos);
}
#endif

}  // namespace
