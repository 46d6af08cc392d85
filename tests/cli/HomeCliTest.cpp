// A home as a whole: made by init as the first start makes it, copied and used on its own, and
// left alone by commands that only read.
#include <gtest/gtest.h>

#include <filesystem>

#include "hostile/HostileCorpus.h"
#include "import/GpxTestFiles.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliRunner;
using test::GpxCache;

GpxCache cacheAt(const std::string& waypoint, const std::string& lat) {
    GpxCache c;
    c.waypoint = waypoint;
    c.lat = lat;
    return c;
}

std::string confValue(const std::string& conf, const std::string& key) {
    const auto at = conf.find("\r\n" + key + "=");
    if (at == std::string::npos) return "<missing>";
    const auto start = at + key.size() + 3;
    return conf.substr(start, conf.find("\r\n", start) - start);
}

TEST(CliHome, InitSetsWhatTheFirstStartSets) {
    test::TempDir root;
    ASSERT_EQ(CliRunner(root.path()).run({"init"}).code, 0);
    const std::string conf = root.read("vellora.conf");
    EXPECT_EQ(confValue(conf, "ShowMessages"), "1") << conf;
    EXPECT_EQ(confValue(conf, "ShowTooltips"), "1") << conf;
    // A second init on a configured home keeps the user's choice.
    ASSERT_EQ(CliRunner(root.path()).run({"config", "set", "Program", "ShowMessages", "0"}).code, 0);
    ASSERT_EQ(CliRunner(root.path()).run({"init"}).code, 0);
    EXPECT_EQ(confValue(root.read("vellora.conf"), "ShowMessages"), "0");
}

TEST(CliHome, PathsInsideTheHomeAreStoredRelative) {
    test::TempDir root;
    const std::string home = root.file("h");
    const CliRunner cli(home);
    ASSERT_EQ(cli.run({"init"}).code, 0);
    std::string conf = root.read("h/vellora.conf");
    EXPECT_EQ(confValue(conf, "WorkDir"), ".");
    EXPECT_EQ(confValue(conf, "OutDir"), ".");
    EXPECT_EQ(confValue(conf, "Template"), "template.html");
    // An absolute path into the home, as older homes store it, still works.
    std::filesystem::create_directories(home + "/ausgabe");
    ASSERT_EQ(cli.run({"config", "set", "Program", "OutDir", home + "/ausgabe"}).code, 0);
    root.write("h/Caches.bin", "");
    root.write("h/pq.gpx", test::gpxFile({cacheAt("GCA1", "49.5")}));
    ASSERT_EQ(cli.run({"gpx", "import", home + "/pq.gpx", "--radius", "50", "--extract"}).code, 0);
    EXPECT_TRUE(root.exists("h/ausgabe/GCA1.html"));
}

// The whole outing's files, with their modification times, so a rewrite with the same bytes shows.
std::map<std::string, std::string> stampedTree(const std::string& root) {
    auto tree = test::treeOf(root);
    for (auto& [name, content] : tree) {
        std::error_code ec;
        const auto time = std::filesystem::last_write_time(root + "/" + name, ec);
        content += "@" + std::to_string(time.time_since_epoch().count());
    }
    return tree;
}

class CopiedHome : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(original.run({"init"}).code, 0);
        ASSERT_EQ(original.run({"config", "set", "Program", "HomeLat", "49.5"}).code, 0);
        ASSERT_EQ(original.run({"config", "set", "Program", "HomeLong", "11"}).code, 0);
        root.write("h/Caches.bin", "");
        root.write("pq1.gpx", test::gpxFile({cacheAt("GCA1", "49.51")}));
        root.write("pq2.gpx", test::gpxFile({cacheAt("GCB2", "49.52"), cacheAt("GCA1", "49.53")}));
        ASSERT_EQ(original.run({"gpx", "import", root.file("pq1.gpx"), "--radius", "5", "--extract"}).code,
                  0);
    }
    test::TempDir root;
    CliRunner original{root.file("h")};
    CliRunner copy{root.file("copy")};
};

TEST_F(CopiedHome, WorksOnItselfAndLeavesTheOriginalAlone) {
    std::filesystem::copy(root.file("h"), root.file("copy"), std::filesystem::copy_options::recursive);
    const auto before = stampedTree(root.file("h"));
    ASSERT_EQ(copy.run({"gpx", "import", root.file("pq2.gpx"), "--radius", "5", "--extract"}).code, 0);
    ASSERT_EQ(copy.run({"worklist", "add", "GCZZ9"}).code, 0);
    ASSERT_EQ(copy.run({"notes", "set", "GCA1"}, "Notiz\n").code, 0);
    ASSERT_EQ(copy.run({"generate"}).code, 0);
    ASSERT_EQ(copy.run({"index"}).code, 0);
    EXPECT_EQ(stampedTree(root.file("h")), before);
    EXPECT_EQ(copy.run({"db", "count"}).out, "2\n");
    EXPECT_TRUE(root.exists("copy/GCB2.html"));
    EXPECT_TRUE(root.exists("copy/GCA1_converted.html"));
    EXPECT_EQ(original.run({"db", "count"}).out, "1\n");
}

TEST_F(CopiedHome, QueriesChangeNoFile) {
    ASSERT_EQ(original.run({"notes", "set", "GCA1"}, "Notiz\n").code, 0);
    const auto before = stampedTree(root.file("h"));
    const std::vector<std::vector<std::string>> queries = {
        {"db", "list"},
        {"db", "count"},
        {"db", "find", "GCA1"},
        {"worklist", "show"},
        {"config", "get", "Program", "WorkDir"},
        {"notes", "get", "GCA1"},
        {"namesearch", "Weiher"},
        {"geo", "distance", "49", "11", "50", "12"},
    };
    for (const auto& query : queries) {
        const auto r = original.run(query);
        EXPECT_EQ(r.code, 0) << query[0] << " " << query[1] << ": " << r.err;
        EXPECT_EQ(stampedTree(root.file("h")), before) << query[0] << " " << query[1];
    }
}

}  // namespace
}  // namespace vellora
