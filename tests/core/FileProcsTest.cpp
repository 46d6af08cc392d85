#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/FileProcs.h"
#include "core/FoundList.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using Lines = std::vector<std::string>;
using test::TempDir;
using test::TestHome;

TEST(ListFiles, FileNames) {
    EXPECT_STREQ(kWorkListFileName, "WPList.txt");
    EXPECT_STREQ(kIgnoreListFileName, "WPignore.txt");
    EXPECT_STREQ(kClipboardListFileName, "WPclipboard.txt");
    EXPECT_STREQ(kArchivedListFileName, "WParchived.txt");
    EXPECT_STREQ(kFoundFileName, "Finds.bin");
    EXPECT_STREQ(kNotesFileName, "Persinfo.txt");
    EXPECT_STREQ(kBuddiesFileName, "Buddies.txt");
    EXPECT_STREQ(kDefaultNewWPFileName, "WPnew.txt");
}

TEST(ListFiles, WaypointListsKeepWaypointsAndNameTheRest) {
    TempDir dir;
    dir.write("WPList.txt", "GC1\r\n gc2 \r\n\r\n../../x\r\nGC3\rGC4\r\nGC-5\nGC6\x01\r\n");
    Lines refused;
    int error = -1;
    EXPECT_EQ(readWaypointListFile(dir.file("WPList.txt"), &refused, &error), (Lines{"GC1", "GC2", "GC6"}));
    EXPECT_EQ(error, 0);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0],
              "Ung\xFCltiger Wegpunkt \"../../x\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt");
    EXPECT_EQ(refused[1],
              "Ung\xFCltiger Wegpunkt \"GC3\\x0DGC4\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt");
    EXPECT_EQ(readWaypointListFile(dir.file("missing.txt"), nullptr, &error), Lines{});
    EXPECT_EQ(error, ENOENT);
}

TEST(ListFiles, ReadsCrLfAndLfAlike) {
    struct Case {
        std::string content;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"GC1\r\nGC2\r\n", {"GC1", "GC2"}},
        {"GC1\nGC2\n", {"GC1", "GC2"}},
        {"GC1\r\nGC2", {"GC1", "GC2"}},
        {"GC1\nGC2\r\n", {"GC1", "GC2"}},
        {"GC1\r\n\r\nGC3\r\n", {"GC1", "", "GC3"}},
        {"\r\n", {""}},
        {" GC1 \r\n", {" GC1 "}},
        {"M\xFC"
         "ller\r\n",
         {"M\xFC"
          "ller"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        dir.write("WPList.txt", c.content);
        int err = -1;
        EXPECT_EQ(readListFile(dir.file("WPList.txt"), &err), c.lines) << c.content;
        EXPECT_EQ(err, 0);
    }
}

TEST(ListFiles, MissingFileIsAnEmptyList) {
    TempDir dir;
    int err = 0;
    EXPECT_TRUE(readListFile(dir.file("WPignore.txt"), &err).empty());
    EXPECT_EQ(err, ENOENT);
}

TEST(ListFiles, WritesCrLfWholeAndReadsBack) {
    TempDir dir;
    dir.write("WPList.txt", "OLD1\r\nOLD2\r\nOLD3\r\nOLD4\r\n");
    const Lines lines = {"GC1A2B3", "",
                         "Gr\xF6"
                         "\xDF"
                         "e"};
    ASSERT_EQ(writeListFile(dir.file("WPList.txt"), lines), 0);
    EXPECT_EQ(dir.read("WPList.txt"),
              "GC1A2B3\r\n\r\nGr\xF6\xDF"
              "e\r\n");
    EXPECT_EQ(readListFile(dir.file("WPList.txt")), lines);

    ASSERT_EQ(writeListFile(dir.file("WPList.txt"), {}), 0);
    EXPECT_EQ(dir.read("WPList.txt"), "");
}

TEST(ArchivedList, LoaderAndCollectorReadings) {
    struct Case {
        std::string line, afterFirst, afterLast;
    };
    const Case cases[] = {
        {"2006-12-01;GC1A2B3", "GC1A2B3", "GC1A2B3"},
        {"GC1234", "GC1234", "GC1234"},
        {"x;y;GC1234", "y;GC1234", "GC1234"},
        {";GC1", "GC1", "GC1"},
        {"GC1;", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(archivedWaypointAfterFirst(c.line), c.afterFirst) << c.line;
        EXPECT_EQ(archivedWaypointAfterLast(c.line), c.afterLast) << c.line;
    }

    TempDir dir;
    dir.write("WParchived.txt", "2006-12-01;GC1A2B3\r\nGC77\nx;y;GC1234\r\n");
    const std::string path = dir.file("WParchived.txt");
    EXPECT_EQ(readArchivedWaypoints(path, ArchivedReading::AfterFirstSemicolon),
              (Lines{"GC1A2B3", "GC77", "y;GC1234"}));
    EXPECT_EQ(readArchivedWaypoints(path, ArchivedReading::AfterLastSemicolon),
              (Lines{"GC1A2B3", "GC77", "GC1234"}));
    int err = 0;
    EXPECT_TRUE(
        readArchivedWaypoints(dir.file("none.txt"), ArchivedReading::AfterLastSemicolon, &err).empty());
    EXPECT_EQ(err, ENOENT);
}

class FoundWaypoints : public ::testing::Test {
protected:
    void writeFinds(const Lines& waypoints, std::size_t extraBytes = 0) {
        std::string bytes;
        for (const auto& wp : waypoints) {
            TFoundRec r;
            r.Waypoint = wp;
            r.FoundDate = "08.12.2006";
            encodeFoundRec(r, bytes);
        }
        bytes.append(extraBytes, 'x');
        home.dir.write("Finds.bin", bytes);
    }
    TestHome home;
    Lines list{"stale"};
};

TEST_F(FoundWaypoints, TwoRecordsInFileOrder) {
    writeFinds({"GCZZZ", "GCAAA"});
    ASSERT_EQ(home.dir.read("Finds.bin").size(), 880u);
    EXPECT_EQ(LoadFoundWaypoints(home.ctx(), list), 0);
    EXPECT_EQ(list, (Lines{"GCZZZ", "GCAAA"}));
}

TEST_F(FoundWaypoints, StopsAtTheLastCompleteRecord) {
    writeFinds({"GC1", "GC2"}, 120);
    ASSERT_EQ(home.dir.read("Finds.bin").size(), 1000u);
    EXPECT_EQ(LoadFoundWaypoints(home.ctx().workDirPath(), list), 0);
    EXPECT_EQ(list, (Lines{"GC1", "GC2"}));
}

TEST_F(FoundWaypoints, MissingFileClearsTheListSilently) {
    EXPECT_EQ(LoadFoundWaypoints(home.ctx(), list), ENOENT);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(home.host.messages.empty());
}

}  // namespace
}  // namespace vellora
