#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "worklist/WPCol.h"
#include "worklist/WorkListFixture.h"

namespace vellora::test {
namespace {

using Vec = std::vector<std::string>;

struct FileCase {
    const char* name;
    WPFileFormat format;
    std::string content;
    Vec expected;
    std::size_t refused = 0;  // names beginning with "GC" that are no waypoint
};

class WaypointFiles : public ::testing::TestWithParam<FileCase> {
protected:
    TempDir dir;
};

TEST_P(WaypointFiles, Candidates) {
    const FileCase& k = GetParam();
    dir.write("in", k.content);
    Vec out, refused;
    std::string error;
    EXPECT_EQ(readWaypointCandidates(dir.file("in"), k.format, out, &error, &refused), 0) << error;
    EXPECT_EQ(out, k.expected);
    EXPECT_EQ(refused.size(), k.refused);
    for (const auto& reason : refused) EXPECT_EQ(reason.rfind("Ung\xFCltiger Wegpunkt \"", 0), 0u) << reason;
}

const char kGpx10[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<gpx version=\"1.0\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/0\">\r\n"
    "<wpt lat=\"49.1\" lon=\"8.2\"><name>GC12AB</name><desc>Caf\xE9 &amp; Kuchen</desc></wpt>\r\n"
    "<wpt lat=\"49.2\" lon=\"8.3\"><name>gc7&#88;Y</name></wpt>\r\n"
    "<wpt lat=\"49.3\" lon=\"8.4\"><name>OC1234</name></wpt>\r\n"
    "<wpt lat=\"49.4\" lon=\"8.5\"><NAME><![CDATA[GC]]>9<![CDATA[9Z]]></NAME></wpt>\r\n"
    "</gpx>\r\n";

const char kGpx11Groundspeak[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\"\n"
    "  xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0/1\">\n"
    "<wpt lat=\"49.1\" lon=\"8.2\">\n"
    "  <name>\n    GC1X2Y\n  </name>\n"
    "  <groundspeak:cache id=\"1\"><groundspeak:name>GC Name der Cache &#x26; "
    "mehr</groundspeak:name></groundspeak:cache>\n"
    "</wpt>\n"
    "<wpt lat=\"1\" lon=\"2\"><name>GC&#xC4;&#xF6;1</name></wpt>\n"
    "<rte><rtept lat=\"1\" lon=\"2\"><name>GCRTE</name></rtept></rte>\n"
    "</gpx>\n";

const char kLoc[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<loc version=\"1.0\" src=\"Tovaro\">\r\n"
    "<waypoint><name id=\"GC1A2B\"><![CDATA[Stein & Bein by Hans]]></name><coord lat=\"49.1\" "
    "lon=\"8.2\"/></waypoint>\r\n"
    "<waypoint><name id=\"gc9&amp;9\">x</name></waypoint>\r\n"
    "<waypoint><name>ohne id</name></waypoint>\r\n"
    "</loc>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Formats, WaypointFiles,
    ::testing::Values(
        FileCase{"gpx10", WPFileFormat::Gpx, kGpx10, {"GC12AB", "GC7XY", "GC99Z"}},
        FileCase{"gpx11", WPFileFormat::Gpx, kGpx11Groundspeak, {"GC1X2Y", "GCRTE"}, 1},
        FileCase{
            "cp1252",
            WPFileFormat::Gpx,
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><gpx><wpt><name>gc\x80\xE4</name></wpt></gpx>",
            {},
            1},
        FileCase{"loc", WPFileFormat::Loc, kLoc, {"GC1A2B"}, 1},
        FileCase{"text",
                 WPFileFormat::Text,
                 "gc12ab;Cache name\r\nGC;x\r\nGC1\r\n  GC77 \r\nAB123\r\n",
                 {"GC12AB", "GC1", "GC77"}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(WaypointFilesErrors, BrokenXmlKeepsWhatCameBefore) {
    TempDir dir;
    dir.write("bad.gpx", "<gpx><wpt><name>GC111</name></wpt><wpt><name>GC222 &auml;</name></wpt></gpx>");
    Vec out;
    std::string error;
    EXPECT_EQ(readWaypointCandidates(dir.file("bad.gpx"), WPFileFormat::Gpx, out, &error), -1);
    EXPECT_EQ(out, (Vec{"GC111"}));
    EXPECT_NE(error.find("Zeile 1"), std::string::npos);
    EXPECT_GT(readWaypointCandidates(dir.file("missing.gpx"), WPFileFormat::Gpx, out), 0);
}

TEST(WaypointFilesErrors, LargeFileStreams) {
    TempDir dir;
    std::string gpx = "<gpx>";
    for (int i = 0; i < 20000; ++i)
        gpx +=
            "<wpt><name>GC" + std::to_string(i) + "</name><desc>" + std::string(50, 'x') + "</desc></wpt>\n";
    gpx += "</gpx>";
    dir.write("big.gpx", gpx);
    Vec out;
    EXPECT_EQ(readWaypointCandidates(dir.file("big.gpx"), WPFileFormat::Gpx, out), 0);
    ASSERT_EQ(out.size(), 20000u);
    EXPECT_EQ(out.back(), "GC19999");
}

class LoadFromFiles : public WorkListTest {};

TEST_F(LoadFromFiles, AppendsRecordsOrPlaceholdersUnderTheIgnoreRule) {
    std::string db;
    writeDb({wlCache("GC12AB"), wlCache("GCIGN")});
    home.dir.write("WPignore.txt", "GCIGN\r\n");
    home.dir.write("a.gpx", kGpx10);
    home.dir.write("b.txt", "GCIGN\r\ngc12ab\r\n");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.loadFromFiles(WPFileFormat::Gpx, {work("a.gpx")}), 3);
    EXPECT_EQ(c.loadFromFiles(WPFileFormat::Text, {work("b.txt")}), 1);
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC12AB", "GC7XY", "GC99Z", "GC12AB"}));
    EXPECT_EQ(c.list(kWorkList).at(0).CacheName, "Cache GC12AB");
    EXPECT_EQ(c.list(kWorkList).at(1).CacheName, "?");
    EXPECT_TRUE(c.modified());
}

TEST_F(LoadFromFiles, ChooserStartsWithTheFormatsFilter) {
    home.dir.write("a.loc", kLoc);
    TWPCollector c(home.ctx());
    c.open();
    c.options.ImportFormatIndex = 1;
    home.host.answerNextOpen({work("a.loc")});
    EXPECT_EQ(c.loadFromChosenFiles(), 1);  // gc9&9 is no waypoint
    EXPECT_EQ(home.host.textsOf(MsgKind::Warning).size(), 1u);
    ASSERT_EQ(home.host.dialogs.size(), 1u);
    EXPECT_EQ(home.host.dialogs[0].filters.at(0).patterns, "*.loc");
}

TEST_F(LoadFromFiles, BrokenFileIsReported) {
    home.dir.write("bad.gpx", "<gpx><name>GC1</name><name>");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.loadFromFiles(WPFileFormat::Gpx, {work("bad.gpx")}), 1);
    ASSERT_EQ(home.host.textsOf(MsgKind::Error).size(), 2u);  // the missing database, then the file
    EXPECT_EQ(home.host.textsOf(MsgKind::Error)[1].rfind("Fehler beim Lesen der Datei " + work("bad.gpx"), 0),
              0u);
}

}  // namespace
}  // namespace vellora::test
