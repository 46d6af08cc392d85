#include <gtest/gtest.h>

#include <sstream>

#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliResult;

class IndexEditCli : public ::testing::Test {
protected:
    CliResult run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--home", home.dir.path()});
        return vellora::test::CliRunner::runRaw(args, input);
    }
    void addCache(const std::string& waypoint, const std::string& name) {
        if (!home.dir.exists("Caches.bin")) home.dir.write("Caches.bin", "");
        TCacheRec r;
        r.Waypoint = waypoint;
        r.CacheName = name;
        r.Lat = 49.6;
        r.Lon = 10.8;
        ASSERT_TRUE(AppendCache(home.ctx(), r));
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    }
    std::string dir() { return home.ctx().outDirPath(); }

    test::TestHome home;
};

TEST_F(IndexEditCli, IndexOfTheOutputDirectoryAndOfAGivenDirectory) {
    addCache("GC1", "M\xFChle");
    home.dir.write("GC1_converted.html", "x");
    const CliResult r = run({"index"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, dir() + "index.html\n");
    const std::string page = home.dir.read("index.html");
    EXPECT_NE(page.find("<td><a href=\"./GC1_converted.html\" target=\"_cache\">M\xFChle</a></td>\r\n"),
              std::string::npos);
    // "und danach anzeigen" is on by default; the console host only names the file.
    EXPECT_NE(r.err.find("file://" + dir() + "index.html"), std::string::npos);

    ASSERT_EQ(makeDirs(dir() + "Tour"), 0);
    home.dir.write("Tour/GC1_converted.html", "x");
    const CliResult sub = run({"index", "--dir", dir() + "Tour"});
    ASSERT_EQ(sub.code, 0) << sub.err;
    EXPECT_TRUE(home.dir.exists("Tour/index.html"));
}

TEST_F(IndexEditCli, IndexWithoutDescriptionsFails) {
    const CliResult r = run({"index"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("enth\xC3\xA4lt keine konvertierten Cachebeschreibungen!"), std::string::npos);
    EXPECT_FALSE(home.dir.exists("index.html"));
}

TEST_F(IndexEditCli, EditLongPrintsAndSetsTheEditablePart) {
    const std::string page =
        "<html>\r\n<!-- Langbeschreibung Start -->\r\n<P>Gr\xFC\xDF"
        "e<BR>\r\n<!-- Langbeschreibung Ende -->\r\n</html>\r\n";
    home.dir.write("GC1_converted.html", page);

    const CliResult get = run({"edit-long", "GC1"});
    ASSERT_EQ(get.code, 0) << get.err;
    EXPECT_EQ(get.out,
              "\n<P>Gr\xC3\xBC\xC3\x9F"
              "e<BR>\n");

    // Setting what was printed gives the file back unchanged.
    ASSERT_EQ(run({"edit-long", "GC1", "--set"}, get.out).code, 0);
    EXPECT_EQ(home.dir.read("GC1_converted.html"), page);

    const CliResult set = run({"edit-long", "--set", "GC1", "--dir", dir()}, "\n<P>K\xC3\xBCrzer</P>\n");
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(
        home.dir.read("GC1_converted.html"),
        "<html>\r\n<!-- Langbeschreibung Start -->\r\n<P>K\xFCrzer</P>\r\n<!-- Langbeschreibung Ende -->\r\n"
        "</html>\r\n");
}

TEST_F(IndexEditCli, EditLongFailuresAndUsage) {
    home.dir.write("GC1_converted.html", "<html>ohne Marker</html>\r\n");
    const CliResult noMarker = run({"edit-long", "GC1"});
    EXPECT_EQ(noMarker.code, 1);
    EXPECT_NE(noMarker.err.find("Mindestens einer der Formatierungs-Tags"), std::string::npos);
    EXPECT_EQ(run({"edit-long", "GC9"}).code, 1);

    const std::vector<std::vector<std::string>> bad = {
        {"edit-long"},        {"edit-long", "GC1", "GC2"},   {"edit-long", "../GC1"},
        {"edit-long", "a/b"}, {"edit-long", "GC1", "--dir"}, {"index", "GC1"},
        {"index", "--set"},   {"edit-long", ".."},
    };
    for (const auto& args : bad) EXPECT_EQ(run(args).code, 2) << args.back();
}

}  // namespace
}  // namespace vellora
