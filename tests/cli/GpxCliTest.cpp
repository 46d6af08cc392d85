#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "import/GpxTestFiles.h"
#include "import/ZipWriter.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliRunner;
using test::GpxCache;
using test::textLines;

GpxCache cacheAt(const std::string& waypoint, const std::string& lat) {
    GpxCache c;
    c.waypoint = waypoint;
    c.lat = lat;
    c.name = "Cache " + waypoint;
    return c;
}

class GpxCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cli.run({"init"}).code, 0);
        ASSERT_EQ(cli.run({"config", "set", "Program", "HomeLat", "49.5"}).code, 0);
        ASSERT_EQ(cli.run({"config", "set", "Program", "HomeLong", "11"}).code, 0);
        dir.write("Caches.bin", "");
    }
    test::TempDir dir;
    CliRunner cli{dir.path()};
};

TEST_F(GpxCli, ImportRunsBothPassesWithTheGivenOptions) {
    dir.write("pq.gpx", test::gpxFile({cacheAt("GCA1", "49.51"), cacheAt("GCA2", "50.5")}));
    const auto r = cli.run({"gpx", "import", dir.file("pq.gpx"), "--radius", "5", "--extract"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto lines = textLines(r.out);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "GPX-Import [Meine Abfrage]");
    EXPECT_EQ(lines[2], "---------- Pass 1: GPX-Datei wird eingelesen ----------");
    EXPECT_EQ(lines[3], "2 - GCA1: Cache GCA1 by Hans");
    EXPECT_EQ(lines[5], "2 Cachedefinitionen gefunden, 0 unterschiedlich, 2 neu, 0 alt");
    EXPECT_NE(r.out.find("2 neue Caches wurden in die Datenbank eingef\xC3\xBCgt."), std::string::npos);
    EXPECT_NE(r.out.find("Es wurden 1 Caches in die Arbeitsliste eingef\xC3\xBCgt:"), std::string::npos);
    EXPECT_EQ(readListFile(dir.file("WPList.txt")), std::vector<std::string>{"GCA1"});
    EXPECT_TRUE(dir.exists("GCA1.html"));
    EXPECT_EQ(cli.run({"db", "count"}).out, "2\n");

    EXPECT_EQ(cli.run({"gpx", "import", dir.file("pq.gpx"), "--center", "Nirgendwo"}).code, 2);
    EXPECT_EQ(cli.run({"gpx", "import"}).code, 2);
}

TEST_F(GpxCli, DropImportsGpxAndArchiveMembersButNoWaypointFiles) {
    dir.write("a.gpx", test::gpxFile({cacheAt("GCA1", "49.51")}));
    dir.write("a-wpts.gpx", test::gpxFile({cacheAt("GCW1", "49.51")}));
    const std::string name = "vellora-gpx-cli-" + std::to_string(::getpid());
    dir.write("b.zip", test::buildZip({{name + ".gpx", test::gpxFile({cacheAt("GCB1", "49.52")})},
                                       {name + "-wpts.gpx", test::gpxFile({cacheAt("GCW2", "49.51")})},
                                       {"readme.txt", "x"}}));
    const auto r = cli.run(
        {"drop", dir.file("a.gpx"), dir.file("a-wpts.gpx"), dir.file("b.zip"), dir.file("notes.txt")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(cli.run({"db", "count"}).out, "2\n");
    EXPECT_EQ(cli.run({"db", "find", "GCB1"}).code, 0);
    EXPECT_NE(cli.run({"db", "find", "GCW2"}).code, 0);
    EXPECT_NE(cli.run({"db", "find", "GCW1"}).code, 0);
    const std::string tmp = std::filesystem::temp_directory_path().string();
    removeFile(joinPath(tmp, name + ".gpx"));
    removeFile(joinPath(tmp, name + "-wpts.gpx"));
}

}  // namespace
}  // namespace vellora
