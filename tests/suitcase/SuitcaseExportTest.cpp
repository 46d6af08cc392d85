// The export, read back by the independent reader, and suitcases of the independent writer read by the
// import.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/HandBuiltRecords.h"
#include "suitcase/IndependentSuitcase.h"
#include "suitcase/Suitcase.h"
#include "suitcase/SuitcaseFixture.h"

namespace vellora::test {
namespace {

void allExports(SuitcaseOptions& o, bool on) {
    o.ExpCacheDB = o.ExpWorklist = o.ExpFinds = o.ExpIgnore = o.ExpNotes = o.ExpDescr = on;
}

TEST(SuitcaseExport, NothingChosenGivesSixZeroCountsAndNoSummary) {
    Installation a;
    Installation::put(a.work("Caches.bin"), handCacheRec("GC1"));
    Installation::put(a.out("GC1.html"), "page");
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    allExports(dialog.opts, false);
    const std::string file = a.home.dir.file("Carry.vellora");
    ASSERT_TRUE(dialog.exportTo(file));
    EXPECT_EQ(Installation::get(file), std::string(24, '\0'));
    EXPECT_TRUE(a.host().messages.empty());
}

class ExportLayout : public ::testing::Test {
protected:
    void SetUp() override {
        db = handCacheRec("GC2") + handCacheRec("GC1");
        Installation::put(a.work("Caches.bin"), db + "partial");
        Installation::put(a.work("WPList.txt"), "GC1\r\nGC1234567890123\r\n");
        find = indep::findRecord("GC1", "05.06.2006", "Name");
        Installation::put(a.work("Finds.bin"), find);
        Installation::put(a.work("WPignore.txt"), "GC9\n");
        Installation::put(a.work("Persinfo.txt"), "[GC1]\nZ0=hello\n");
        // Root: a page with a map and two images (one missing), one with a meta file of 7 lines.
        Installation::put(a.out("GC100.html"), "<html>100</html>");
        Installation::put(a.out("GC100.meta"),
                          "0#C:\\x\\GC100_i0.jpg\r\n0#t\r\n0#d\r\n1#GC100_i1.png\r\n1#\r\n1#\r\n");
        Installation::put(a.out("GC100_map.png"), "MAP");
        Installation::put(a.out("GC100_osm.png"), "OSM100");  // the classic map wins
        Installation::put(a.out("GC100_i0.jpg"), "JPG0");
        Installation::put(a.out("GC400.html"), "400");
        Installation::put(a.out("GC400.meta"), "1\n2\n3\n4\n5\n6\n7\n");
        Installation::put(a.out("GC400_osm.png"), "OSM400");
        // Never carried.
        Installation::put(a.out("GC100_converted.html"), "conv");
        Installation::put(a.out("index.html"), "idx");
        Installation::put(a.out("XY1.html"), "xy");
        Installation::put(a.out(".hidden/GC300.html"), "hidden");
        // A subdirectory.
        Installation::put(a.out("sub/GC200.html"), "200");
        Installation::put(a.out("sub/GC200.meta"), "0#GC200_i0.gif\n0#\n0#\n");
        Installation::put(a.out("sub/GC200_i0.gif"), "GIF");
        Installation::put(a.out("sub/GC200_map.gif"), "SUBMAP");
        setFileTime(a.out("GC100.html"), 1165000000);
        setFileTime(a.out("sub/GC200.html"), 1165100000);
    }
    indep::Suitcase exported(bool subdirs) {
        TfrmSuitcase dialog(a.ctx());
        dialog.open();
        allExports(dialog.opts, true);
        dialog.opts.ExpDescrSubdir = subdirs;
        const std::string file = a.home.dir.file("Carry.vellora");
        EXPECT_TRUE(dialog.exportTo(file));
        summary = dialog.exportSummary();
        auto s = indep::read(Installation::get(file));
        EXPECT_TRUE(s.has_value());
        return s.value_or(indep::Suitcase{});
    }
    Installation a;
    std::string db, find, summary;
};

TEST_F(ExportLayout, EverySectionAsTheFormatSays) {
    const indep::Suitcase s = exported(true);
    ASSERT_EQ(s.db.size(), 2u);
    EXPECT_EQ(s.db[0] + s.db[1], db);
    EXPECT_EQ(s.work, (std::vector<std::string>{"GC1", "GC1234567890"}));
    EXPECT_EQ(s.finds, std::vector<std::string>{find});
    EXPECT_EQ(s.ignore, std::vector<std::string>{"GC9"});
    EXPECT_EQ(s.notes, "[GC1]\r\nZ0=hello\r\n");

    ASSERT_EQ(s.blocks.size(), 3u);
    const indep::Block& b100 = s.blocks[0];
    EXPECT_EQ(b100.waypoint, "GC100");
    EXPECT_EQ(b100.subdir, "");
    EXPECT_DOUBLE_EQ(b100.time, localDate(1165000000));
    EXPECT_EQ(b100.page, "<html>100</html>");
    EXPECT_EQ(b100.meta, Installation::get(a.out("GC100.meta")));
    EXPECT_EQ(b100.mapName, "GC100_map.png");
    EXPECT_EQ(b100.map, "MAP");
    ASSERT_EQ(b100.images.size(), 2u);
    EXPECT_EQ(b100.images[0].name, "GC100_i0.jpg");
    EXPECT_EQ(b100.images[0].data, "JPG0");
    EXPECT_EQ(b100.images[1].name, "GC100_i1.png");
    EXPECT_EQ(b100.images[1].data, "");  // missing file: size 0

    const indep::Block& b400 = s.blocks[1];
    EXPECT_EQ(b400.waypoint, "GC400");
    EXPECT_EQ(b400.mapName, "GC400_osm.png");
    EXPECT_EQ(b400.map, "OSM400");
    EXPECT_TRUE(b400.images.empty());  // 7 meta lines: no images

    const indep::Block& b200 = s.blocks[2];
    EXPECT_EQ(b200.waypoint, "GC200");
    EXPECT_EQ(b200.subdir, "sub");
    EXPECT_DOUBLE_EQ(b200.time, localDate(1165100000));
    EXPECT_EQ(b200.mapName, "sub\\GC200_map.gif");
    EXPECT_EQ(b200.map, "SUBMAP");
    ASSERT_EQ(b200.images.size(), 1u);
    EXPECT_EQ(b200.images[0].name, "sub\\GC200_i0.gif");
    EXPECT_EQ(b200.images[0].data, "GIF");

    EXPECT_EQ(
        summary,
        "2 Datens\xE4tze aus Cache-Datenbank\r\n2 Arbeitslisten-Eintr\xE4ge\r\n1 Fundlisten-Eintr\xE4ge\r\n"
        "1 Ignorelisten-Eintr\xE4ge\r\n17 Zeichen aus pers\xF6nlichen Cachenotizen\r\n"
        "3 Cachebeschreibungen mit insgesamt 3 Cache-Images\r\n");
    ASSERT_EQ(a.host().messages.size(), 1u);
    EXPECT_EQ(a.host().messages[0].text,
              "Folgende Daten wurden in die Aktenkofferdatei \xFC"
              "bertragen:\r\n\r\n" +
                  summary);
}

TEST_F(ExportLayout, WithoutSubdirectoriesOnlyTheOutputDirectory) {
    const indep::Suitcase s = exported(false);
    ASSERT_EQ(s.blocks.size(), 2u);
    EXPECT_EQ(s.blocks[0].waypoint, "GC100");
    EXPECT_EQ(s.blocks[1].waypoint, "GC400");
}

TEST(SuitcaseExport, MissingOutputDirectoryGivesNoDescriptionsButTheSummaryLine) {
    Installation a;
    a.ctx().settings.OutDir = a.home.dir.path() + "/nowhere";
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    allExports(dialog.opts, false);
    dialog.opts.ExpDescr = true;
    const std::string file = a.home.dir.file("x.vellora");
    ASSERT_TRUE(dialog.exportTo(file));
    EXPECT_EQ(Installation::get(file), std::string(24, '\0'));
    EXPECT_EQ(dialog.exportSummary(), "0 Cachebeschreibungen mit insgesamt 0 Cache-Images\r\n");
}

TEST(SuitcaseExport, ChooserCancelWritesNothing) {
    Installation a;
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    a.host().answerNextSave(std::nullopt);
    dialog.btnSaveClick();
    ASSERT_EQ(a.host().dialogs.size(), 1u);
    EXPECT_EQ(a.host().dialogs[0].title, "Aktenkofferdatei sichern");
    EXPECT_EQ(a.host().dialogs[0].defaultName, "Carry.vellora");
    EXPECT_FALSE(fileExists(a.work("Carry.vellora")));
}

// A suitcase of the independent writer, imported into an empty installation.
TEST(SuitcaseImport, IndependentSuitcaseIsReadCorrectly) {
    Installation b;
    indep::Suitcase s;
    s.db = {handCacheRec("GC2"), handCacheRec("GC1")};
    s.work = {"GC1", "GC5"};
    s.finds = {indep::findRecord("GC1", "01.02.2006", "Eins")};
    s.ignore = {"GC7"};
    s.notes = "[GC1]\r\nZ0=note\r\n";
    indep::Block blk;
    blk.waypoint = "GC2";
    blk.time = localDate(1165000000);
    blk.subdir = "far";
    blk.page = "<p>2</p>";
    blk.meta = "0#GC2_i0.jpg\r\n0#\r\n0#\r\n";
    blk.mapName = "far\\GC2_map.png";
    blk.map = "M";
    blk.images = {{"far\\GC2_i0.jpg", "I0"}, {"far\\GC2_i1.jpg", ""}};
    s.blocks = {blk};
    const std::string file = b.home.dir.file("in.vellora");
    Installation::put(file, indep::write(s));

    TfrmSuitcase dialog(b.ctx());
    dialog.open();
    ASSERT_TRUE(dialog.loadFrom(file));
    EXPECT_EQ(dialog.sectionTexts(SuitcaseSection::Database),
              (std::vector<std::string>{"Die lokale Cache-Datenbank enth\xE4lt 0 Eintr\xE4ge.",
                                        "Die Datenbank im Aktenkoffer enth\xE4lt 2 Eintr\xE4ge."}));
    EXPECT_EQ(dialog.sectionTexts(SuitcaseSection::Notes),
              std::vector<std::string>{"Der Aktenkoffer enth\xE4lt 2 Zeilen Notizen."});
    EXPECT_EQ(dialog.sectionTexts(SuitcaseSection::Descriptions),
              std::vector<std::string>{"Der Aktenkoffer enth\xE4lt 1 Cachebeschreibungen."});
    dialog.btnCommitClick();

    EXPECT_EQ(Installation::get(b.work("Caches.bin")), s.db[1] + s.db[0]);  // waypoint order
    EXPECT_EQ(Installation::get(b.work("WPnew.txt")), "GC1\r\nGC2\r\n");
    EXPECT_EQ(Installation::get(b.work("WPList.txt")), "GC1\r\nGC5\r\nGC2\r\n");
    EXPECT_EQ(Installation::get(b.work("Finds.bin")), s.finds[0]);
    EXPECT_EQ(Installation::get(b.work("WPignore.txt")), "GC7\r\n");
    EXPECT_EQ(Installation::get(b.work("Persinfo.txt")), "[GC1]\r\nZ0=note\r\n");
    EXPECT_EQ(Installation::get(b.out("GC2.html")), "<p>2</p>");
    EXPECT_EQ(Installation::get(b.out("GC2.meta")), blk.meta);
    EXPECT_EQ(Installation::get(b.out("GC2_map.png")), "M");
    EXPECT_EQ(Installation::get(b.out("GC2_i0.jpg")), "I0");
    EXPECT_FALSE(fileExists(b.out("GC2_i1.jpg")));
    EXPECT_FALSE(dirExists(b.out("far")));
    EXPECT_EQ(dialog.report(),
              "Folgende \xC4nderungen wurden auf dieser Vellora-Instanz durchgef\xFChrt:\r\n\r\n"
              "Arbeitsliste: 2 neue Eintr\xE4ge, 0 waren bereits vorhanden\r\n"
              "Ignoreliste: 1 neue Eintr\xE4ge, 0 waren bereits vorhanden\r\n"
              "Cache-Datenbank: 2 neue Eintr\xE4ge, 0 ge\xE4nderte Eintr\xE4ge, 0 Datens\xE4tze verworfen\r\n"
              "Eigene Funde: 1 neue Eintr\xE4ge, 0 aktualisierte Eintr\xE4ge.\r\n"
              "Cache-Beschreibungen: 1 neue, 0 ersetzte, 0 verworfene Beschreibungen.\r\n");
    EXPECT_EQ(dialog.summary(), std::vector<std::string>{"GC2: Cache GC2"});
    EXPECT_TRUE(dialog.generatorRequested());
}

}  // namespace
}  // namespace vellora::test
