#include "shell/DropHandler.h"

#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "import/PocketQueryHome.h"
#include "import/ZipWriter.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using Paths = std::vector<std::string>;

class Drops : public ::testing::Test {
protected:
    Paths drop(Paths paths) {
        DropHooks hooks;
        hooks.importGpx = [this](const std::string& p) { imported.push_back(p); };
        hooks.refreshStatus = [this] { ++refreshed; };
        return processDroppedFiles(std::move(paths), temp.path(), hooks);
    }
    test::TempDir dir, temp;
    Paths imported;
    int refreshed = 0;
};

TEST_F(Drops, GpxFilesGoToTheImportWaypointFilesAndOthersDoNot) {
    drop(
        {dir.file("GC12345-wpts.gpx"), dir.file("GC12345.gpx"), dir.file("notes.txt"), dir.file("TOUR.GPX")});
    EXPECT_EQ(imported, (Paths{dir.file("GC12345.gpx"), dir.file("TOUR.GPX")}));
    EXPECT_EQ(refreshed, 2);
}

TEST_F(Drops, ArchivesGiveUpTheirGpxMembers) {
    dir.write("pq.zip", test::buildZip({{"123.gpx", "<gpx/>"},
                                        {"123-wpts.gpx", "<gpx/>"},
                                        {"readme.txt", "x"},
                                        {"sub/456.GPX", "<gpx/>"},
                                        {"../evil.gpx", "<gpx/>"}}));
    drop({dir.file("pq.zip"), dir.file("after.gpx")});
    const std::string t = temp.path() + "/";
    EXPECT_EQ(imported, (Paths{dir.file("after.gpx"), t + "123.gpx", t + "sub/456.GPX"}));
    EXPECT_FALSE(temp.exists("readme.txt"));
}

// The extracted members are read by the import while the drop is handled; afterwards the
// temporary folder holds nothing of the archive (waypoint files and member folders included).
TEST_F(Drops, ExtractedMembersAreRemovedAfterTheImport) {
    dir.write("pq.zip", test::buildZip({{"123.gpx", "<gpx>eins</gpx>"},
                                        {"123-wpts.gpx", "<gpx/>"},
                                        {"sub/deeper/456.gpx", "<gpx>zwei</gpx>"}}));
    temp.write("mine.gpx", "kept");
    std::vector<std::string> seen;
    DropHooks hooks;
    hooks.importGpx = [&](const std::string& p) { seen.push_back(readFile(p).value_or("missing")); };
    processDroppedFiles({dir.file("pq.zip")}, temp.path(), hooks);
    EXPECT_EQ(seen, (Paths{"<gpx>eins</gpx>", "<gpx>zwei</gpx>"}));
    for (const char* gone : {"123.gpx", "123-wpts.gpx", "sub/deeper/456.gpx", "sub/deeper", "sub"})
        EXPECT_FALSE(temp.exists(gone)) << gone;
    EXPECT_TRUE(temp.exists("mine.gpx"));
    EXPECT_TRUE(dir.exists("pq.zip"));
}

// A pocket query and its "-wpts" file in one archive: the additional waypoints reach the page.
TEST_F(Drops, ArchivedPocketQueryBringsItsAdditionalWaypoints) {
    dir.write("pq.zip", test::buildZip({{"12345.gpx", test::pqFixture("whole.gpx")},
                                        {"12345-wpts.gpx", test::pqFixture("whole-wpts.gpx")}}));
    test::PqHome pq;
    DropHooks hooks;
    hooks.importGpx = [&](const std::string& p) { pq.importFile(p); };
    processDroppedFiles({dir.file("pq.zip")}, temp.path(), hooks);
    EXPECT_EQ(pq.databaseWaypoints(), (Paths{"GC1A001", "GC1A002", "GC1A003"}));
    EXPECT_NE(pq.home.dir.read("GC1A001.html").find("<td valign=\"top\" align=\"left\">PK1A001</td>"),
              std::string::npos);
}

TEST_F(Drops, WithoutTheImportNothingHappens) {
    const Paths done = processDroppedFiles({dir.file("a.gpx")}, temp.path(), DropHooks{});
    EXPECT_TRUE(done.empty());
}

}  // namespace
}  // namespace vellora
