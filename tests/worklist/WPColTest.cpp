#include <gtest/gtest.h>

#include <functional>

#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/IniFile.h"
#include "worklist/WPCol.h"
#include "worklist/WorkListFixture.h"

namespace vellora::test {
namespace {

using Vec = std::vector<std::string>;

class Collector : public WorkListTest {
protected:
    void SetUp() override {
        writeDb({wlCache("GC100"), wlCache("GC200", 49.7, 10.8, "\xC4pfel"),
                 wlCache("GC300", 49.65, 10.8, "Zebra"), wlCache("GC400", 49.61, 10.8, "Burg")});
    }
};

TEST_F(Collector, OpensListsFromTheirFiles) {
    home.dir.write("WPList.txt", "GC100\r\ngc100\r\nGCX9\r\n\r\nGC200\n");
    home.dir.write("WPclipboard.txt", "GC300\r\nGC300\r\n");
    home.dir.write("WPignore.txt", "GC400\r\n");
    home.dir.write("WParchived.txt", "x;y;GC1234\r\ngc5678\r\n2006-12-01;GC200\r\n");
    TFoundRec found{49.0, 8.0, "GC999", "Nicht in der DB", "Multi-cache", "03.04.2005"};
    TFoundRec bad{0, 0, "GC100", "", "", "kein Datum"};
    ASSERT_EQ(writeFoundRecords(work("Finds.bin"), {found, bad}), 0);

    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC100", "GCX9", "GC200"}));
    EXPECT_EQ(waypoints(c, kClipboardList), (Vec{"GC300", "GC300"}));
    EXPECT_EQ(waypoints(c, kIgnoreList), (Vec{"GC400"}));
    EXPECT_TRUE(c.isArchived("GC1234"));
    EXPECT_TRUE(c.isArchived("GC200"));
    EXPECT_FALSE(c.isArchived("gc5678"));
    EXPECT_FALSE(c.modified());
    EXPECT_EQ(c.headline(), "Arbeitsliste (3 Eintr\xE4ge)");

    // An unknown work-list line: name "?" and type "?", the invalid-coordinate row texts.
    const TCacheRec& unknown = c.list(kWorkList).at(1);
    EXPECT_EQ(unknown.CacheName, "?");
    EXPECT_EQ(unknown.CacheType, "?");
    Vec row;
    for (int col = 0; col < 9; ++col) row.push_back(c.cellText(1, col));
    EXPECT_EQ(row, (Vec{"GCX9", "?", "", "?", "?", "?", "0.0", "0.0", "?"}));
    EXPECT_EQ(c.cellText(0, 4), "N 49\xB0 36.000 E 010\xB0 48.000");
    EXPECT_EQ(c.cellText(2, 2), "11,1");
    EXPECT_EQ(c.cellText(0, 3), "01.06.2005");

    // Finds: from the database when it holds the cache, else from the record; bad dates read 1.1.1900.
    c.selectList(kFindsList);
    EXPECT_EQ(c.headline(), "Eigene Funde (2 Eintr\xE4ge)");
    EXPECT_EQ(c.cellText(0, 1), "Nicht in der DB");
    EXPECT_EQ(c.cellText(0, 9), "03.04.2005");
    EXPECT_EQ(c.cellText(1, 1), "Cache GC100");
    EXPECT_EQ(c.cellText(1, 9), "01.01.1900");
    EXPECT_FALSE(c.modified());
}

TEST_F(Collector, AddByWaypointRules) {
    home.dir.write("WPignore.txt", "GC400\r\n");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.addByWaypoint(" gc100 "), TWPCollector::AddResult::Added);
    EXPECT_TRUE(c.modified());
    EXPECT_EQ(c.addByWaypoint("GC100"), TWPCollector::AddResult::AlreadyThere);
    // Ignored caches stay off the work list but go onto the clipboard.
    EXPECT_EQ(c.addByWaypoint("GC400"), TWPCollector::AddResult::Refused);
    home.host.answerNext(MsgResult::No);
    EXPECT_EQ(c.addByWaypoint("GC77"), TWPCollector::AddResult::Declined);
    home.host.answerNext(MsgResult::Yes);
    EXPECT_EQ(c.addByWaypoint("GC77"), TWPCollector::AddResult::Added);
    EXPECT_EQ(home.host.textsOf(MsgKind::Warning),
              (Vec{TWPCollector::kUnknownWaypoint, TWPCollector::kUnknownWaypoint}));
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC100", "GC77"}));
    EXPECT_EQ(c.list(kWorkList).at(1).CacheName, "?");

    c.selectList(kClipboardList);
    EXPECT_EQ(c.addByWaypoint("GC400"), TWPCollector::AddResult::Added);
    c.selectList(kFindsList);
    c.findsDate = encodeDate(2006, 12, 1);
    EXPECT_EQ(c.addByWaypoint("GC200"), TWPCollector::AddResult::Added);
    EXPECT_EQ(c.cellText(0, 9), "01.12.2006");
}

TEST_F(Collector, AddingWhatTheListHoldsLeavesModifiedAlone) {
    home.dir.write("WPList.txt", "GC100\r\n");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.addByWaypoint("gc100"), TWPCollector::AddResult::AlreadyThere);
    EXPECT_FALSE(c.modified());
}

TEST_F(Collector, MovingKeepsOrSetsFoundDatesAndNeverDuplicates) {
    home.dir.write("WPList.txt", "GC100\r\nGC200\r\nGC300\r\n");
    TWPCollector c(home.ctx());
    c.open();
    c.findsDate = encodeDate(2006, 12, 5);
    EXPECT_EQ(c.moveRows({0}, kFindsList), 1);
    c.selectList(kFindsList);
    EXPECT_EQ(c.cellText(0, 9), "05.12.2006");
    // Back to the work list and into the finds list again: the date travels with the entry.
    c.findsDate = encodeDate(2006, 12, 7);
    EXPECT_EQ(c.moveRows({0}, kWorkList), 1);
    c.selectList(kWorkList);
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC200", "GC300", "GC100"}));
    EXPECT_EQ(c.moveRows({2}, kFindsList), 1);
    EXPECT_EQ(formatDate(c.list(kFindsList).at(0).foundDate()), "05.12.2006");

    // A target that holds the waypoint already: taken off here, not doubled there.
    c.selectList(kClipboardList);
    c.addByWaypoint("GC200");
    c.selectList(kWorkList);
    EXPECT_EQ(c.moveRows(allRows(c), kClipboardList), 2);
    EXPECT_TRUE(c.list(kWorkList).empty());
    EXPECT_EQ(waypoints(c, kClipboardList), (Vec{"GC200", "GC300"}));
    // The current list's own button refuses.
    c.selectList(kClipboardList);
    EXPECT_EQ(c.moveRows({0}, kClipboardList), 0);
    EXPECT_TRUE(c.modified());
}

TEST_F(Collector, RemoveOperations) {
    home.dir.write("WPList.txt", "GC100\r\nGC200\r\nGC300\r\nGC400\r\n");
    home.dir.write("WPignore.txt", "GC400\r\n");
    home.dir.write("WParchived.txt", "a;GC300\r\n");
    ASSERT_EQ(writeFoundRecords(work("Finds.bin"), {TFoundRec{0, 0, "GC100", "", "", "01.01.2006"}}), 0);
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_TRUE(c.removeFindsEnabled());
    EXPECT_EQ(c.removeFindsAndIgnores(), 2);
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC200", "GC300"}));
    EXPECT_EQ(c.removeArchived(), 1);
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC200"}));
    EXPECT_EQ(c.removeRows({0}), 1);
    EXPECT_TRUE(c.list(kWorkList).empty());
    c.selectList(kFindsList);
    EXPECT_FALSE(c.removeFindsEnabled());
    EXPECT_TRUE(c.takeFoundDateEnabled());
    EXPECT_EQ(c.removeFindsAndIgnores(), 0);
    EXPECT_EQ(c.removeAll(), 1);
    EXPECT_TRUE(c.list(kFindsList).empty());
}

TEST_F(Collector, TheMapWindowGetsRowsAndHandsBackRemovals) {
    home.dir.write("WPList.txt", "GC100\r\nGC200\r\nGC300\r\n");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.mapWaypoints({}), (Vec{"GC100", "GC200", "GC300"}));
    EXPECT_EQ(c.mapWaypoints({2, 0}), (Vec{"GC300", "GC100"}));
    EXPECT_EQ(c.removeWaypoints({}), 0);
    EXPECT_FALSE(c.modified());  // a map window confirmed without removals changes nothing
    EXPECT_EQ(c.removeWaypoints({"gc200", "GC999"}), 1);
    EXPECT_TRUE(c.modified());
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC100", "GC300"}));
}

// The menu's clean-ups count as changes even when nothing goes; a drop of no rows does not.
TEST_F(Collector, MenuRemovalsSetModifiedEvenWhenNothingGoes) {
    const std::function<void(TWPCollector&)> menuRemovals[] = {
        [](TWPCollector& c) { c.removeFindsAndIgnores(); },
        [](TWPCollector& c) { EXPECT_EQ(c.deleteMarkedRows({}), 0); },
    };
    for (const auto& remove : menuRemovals) {
        TWPCollector c(home.ctx());
        c.open();
        remove(c);
        EXPECT_TRUE(c.modified());
    }
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.removeRows({}), 0);
    EXPECT_FALSE(c.modified());
}

TEST_F(Collector, TakeOverFoundDateReplacesOnlyDatabaseCaches) {
    ASSERT_EQ(writeFoundRecords(work("Finds.bin"), {TFoundRec{1, 2, "GC100", "alt", "", "01.01.2006"},
                                                    TFoundRec{1, 2, "GC555", "fremd", "", "02.01.2006"}}),
              0);
    TWPCollector c(home.ctx());
    c.open();
    c.selectList(kFindsList);
    c.findsDate = encodeDate(2006, 11, 11);
    EXPECT_EQ(c.takeOverFoundDate({0, 1}), 1);
    EXPECT_EQ(c.cellText(0, 9), "11.11.2006");
    EXPECT_EQ(c.cellText(1, 9), "02.01.2006");
}

TEST_F(Collector, CorrectedCacheReplacesEveryCopyAndKeepsFoundDates) {
    home.dir.write("WPList.txt", "GC100\r\n");
    ASSERT_EQ(writeFoundRecords(work("Finds.bin"), {TFoundRec{0, 0, "GC100", "", "", "03.03.2003"}}), 0);
    TWPCollector c(home.ctx());
    c.open();
    TCacheRec edited = wlCache("GC100");
    edited.CacheName = "Neu";
    c.correctCacheData(edited);
    EXPECT_EQ(c.list(kWorkList).at(0).CacheName, "Neu");
    EXPECT_EQ(c.list(kFindsList).at(0).CacheName, "Neu");
    EXPECT_EQ(formatDate(c.list(kFindsList).at(0).foundDate()), "03.03.2003");
    EXPECT_EQ(c.findInDatabase("gc100")->CacheName, "Neu");
    EXPECT_FALSE(c.modified());
}

TEST_F(Collector, SortsByEveryKindOfColumn) {
    std::vector<TCacheRec> recs = {wlCache("GC1", 49.6 + 10.0 / 111.19, 10.8, "Zebra"),
                                   wlCache("GC2", 49.6 + 9.5 / 111.19, 10.8, "\xC4pfel"),
                                   wlCache("GC3", 0, 0, "Adler"), wlCache("GC4", 49.7, 10.8, "Af")};
    recs[0].HiddenDate = encodeDate(2004, 1, 2);
    recs[1].HiddenDate = encodeDate(2003, 12, 31);
    recs[3].HiddenDate = encodeDate(2004, 1, 1);
    writeDb(recs);
    home.dir.write("WPList.txt", "GC1\r\nGC2\r\nGC3\r\nGC4\r\n");
    TWPCollector c(home.ctx());
    c.open();
    c.sortBy(2);
    EXPECT_EQ(column(c, 2), (Vec{"", "9,5", "10,0", "11,1"}));
    c.sortBy(2);
    EXPECT_EQ(column(c, 2), (Vec{"11,1", "10,0", "9,5", ""}));
    c.sortBy(3);  // "?" reads as 0
    EXPECT_EQ(column(c, 3), (Vec{"?", "31.12.2003", "01.01.2004", "02.01.2004"}));
    c.sortBy(1);  // Äpfel reads as AEPFEL, between ADLER and AF
    EXPECT_EQ(column(c, 1), (Vec{"Adler", "\xC4pfel", "Af", "Zebra"}));
    EXPECT_FALSE(c.modified());
    // A move keeps the sort.
    c.moveRows({0}, kClipboardList);
    EXPECT_EQ(column(c, 1), (Vec{"\xC4pfel", "Af", "Zebra"}));
}

TEST_F(Collector, SaveWritesBackupsListsAndFinds) {
    home.dir.write("WPList.txt", "GC100\r\n");
    home.dir.write("WPclipboard.txt", "old\r\n");
    ASSERT_EQ(writeFoundRecords(work("Finds.bin"), {TFoundRec{0, 0, "GC300", "x", "", "01.01.2006"}}), 0);
    const std::string oldFinds = read("Finds.bin");
    TWPCollector c(home.ctx());
    c.open();
    c.addByWaypoint("GC200");
    c.addByWaypoint("GC200");
    c.selectList(kFindsList);
    c.removeAll();
    c.addByWaypoint("GC400");
    c.selectList(kClipboardList);
    c.removeAll();
    c.selectList(kWorkList);
    c.moveRows({0}, kFindsList);
    ASSERT_TRUE(c.save());
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(c.modified());

    EXPECT_EQ(read("WPList.txt.bk"), "GC100\r\n");
    EXPECT_EQ(read("WPclipboard.txt.bk"), "old\r\n");
    EXPECT_EQ(read("Finds.bin.bk"), oldFinds);
    EXPECT_FALSE(home.dir.exists("WPignore.txt.bk"));  // nothing to back up
    EXPECT_EQ(read("WPList.txt"), "GC200\r\n");
    EXPECT_EQ(read("WPignore.txt"), "");
    EXPECT_EQ(read("WPclipboard.txt"), "");
    std::vector<TFoundRec> finds;
    ASSERT_EQ(readFoundRecords(work("Finds.bin"), finds), 0);
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].Waypoint, "GC400");
    EXPECT_EQ(finds[0].FoundDate, "08.12.2006");  // the frozen today
    EXPECT_EQ(finds[0].CacheName, "Burg");
    EXPECT_DOUBLE_EQ(finds[0].Lat, 49.61);
    EXPECT_EQ(finds[1].Waypoint, "GC100");
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(Collector, FindsRecordsCutTheNameAt80) {
    writeDb({wlCache("GC100", 1, 1, std::string(100, 'n'))});
    TWPCollector c(home.ctx());
    c.open();
    c.selectList(kFindsList);
    c.addByWaypoint("GC100");
    ASSERT_TRUE(c.save());
    std::vector<TFoundRec> finds;
    ASSERT_EQ(readFoundRecords(work("Finds.bin"), finds), 0);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].CacheName, std::string(80, 'n'));
}

TEST_F(Collector, SavedDuplicatesCollapseWhenTheWorkListIsReadAgain) {
    home.dir.write("load.txt", "GC100\r\n");
    TWPCollector c(home.ctx());
    c.open();
    c.loadFromFiles(WPFileFormat::Text, {work("load.txt"), work("load.txt")});
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC100", "GC100"}));
    ASSERT_TRUE(c.save());
    EXPECT_EQ(read("WPList.txt"), "GC100\r\nGC100\r\n");
    TWPCollector again(home.ctx());
    again.open();
    EXPECT_EQ(waypoints(again, kWorkList), (Vec{"GC100"}));
}

TEST_F(Collector, AFailedWriteIsReportedAndKeepsTheChanges) {
    TWPCollector c(home.ctx());
    c.open();
    c.addByWaypoint("GC100");
    // A directory in the way of the ignore list.
    ASSERT_EQ(makeDirs(work("WPignore.txt")), 0);
    EXPECT_FALSE(c.save());
    EXPECT_EQ(home.host.textsOf(MsgKind::Error),
              (Vec{"Fehler beim Schreiben der Datei " + work("WPignore.txt")}));
    EXPECT_EQ(read("WPList.txt"), "GC100\r\n");  // the other files are written
    EXPECT_TRUE(c.isOpen());
    EXPECT_TRUE(c.modified());
}

TEST_F(Collector, CancelAsksOnlyWhenModified) {
    home.dir.write("WPList.txt", "GC100\r\n");
    {
        TWPCollector c(home.ctx());
        c.open();
        EXPECT_TRUE(c.cancel());
        EXPECT_TRUE(home.host.messages.empty());
    }
    TWPCollector c(home.ctx());
    c.open();
    c.moveRows({0}, kClipboardList);
    home.host.answerNext(MsgResult::No);
    EXPECT_FALSE(c.cancel());
    EXPECT_TRUE(c.isOpen());
    EXPECT_TRUE(c.list(kWorkList).empty());
    EXPECT_EQ(waypoints(c, kClipboardList), (Vec{"GC100"}));
    home.host.answerNext(MsgResult::Yes);
    EXPECT_TRUE(c.cancel());
    EXPECT_EQ(home.host.textsOf(MsgKind::Warning),
              (Vec{TWPCollector::kCancelWarning, TWPCollector::kCancelWarning}));
    // Discarding the edits is never the answer Enter gives.
    EXPECT_EQ(home.host.messages.back().buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_EQ(read("WPList.txt"), "GC100\r\n");
    EXPECT_FALSE(home.dir.exists("WPclipboard.txt"));
}

TEST_F(Collector, SettingsRoundTripThroughTheWorkingDirectoryFile) {
    {
        TWPCollector c(home.ctx());
        c.open();
        // The program's file is the working directory's here: its radius text counts.
        EXPECT_EQ(c.radiusText, "15");
        EXPECT_TRUE(c.options.IgnoreFinds);
        c.options.IgnoreFinds = false;
        c.options.ActivePage = 2;
        c.options.filter.FilterCTypes[9] = true;
        c.options.filter.SkipMicros = true;
        c.radiusText = "2.5";
        c.cancel();
    }
    IniFile conf(work("vellora.conf"));
    EXPECT_EQ(conf.readString("WPCollector", "FilterCTypeEarth", ""), "1");
    EXPECT_EQ(conf.readString("Program", "Radius", ""), "2.5");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_FALSE(c.options.IgnoreFinds);
    EXPECT_EQ(c.options.ActivePage, 2);
    EXPECT_TRUE(c.options.filter.SkipMicros);
    EXPECT_EQ(c.radiusText, "2.5");
    // Not stored: the filter date starts a week before today.
    EXPECT_EQ(formatDate(c.options.filter.FilterDate), "01.12.2006");
    c.saveSettings = false;
    c.options.ActivePage = 1;
    c.cancel();
    IniFile again(work("vellora.conf"));
    EXPECT_EQ(again.readInteger("WPCollector", "ActivePage", -1), 2);
}

TEST_F(Collector, ReferencePointAndCentreChoices) {
    home.ctx().settings.AddHomeLat = {"50.60000"};
    home.ctx().settings.AddHomeLon = {"10.80000"};
    home.ctx().settings.AddHomeTxt = {"Urlaub"};
    home.dir.write("WPList.txt", "GC100\r\n");
    TWPCollector c(home.ctx());
    c.open();
    EXPECT_EQ(c.homeChoices(), (Vec{"HOME", "Urlaub"}));
    EXPECT_EQ(c.cellText(0, 2), "0,0");
    c.setReferenceIndex(1);
    EXPECT_EQ(c.cellText(0, 2), "111,2");
    c.setReferenceIndex(7);  // beyond the choices: HOME
    EXPECT_EQ(c.cellText(0, 2), "0,0");
    c.setCentreIndex(1);
    EXPECT_EQ(c.centreText(), "N 50\xB0 36.000 E 010\xB0 48.000");
    c.setCentreManual(1.5, -2.25);
    EXPECT_EQ(c.centreText(), "N 01\xB0 30.000 W 002\xB0 15.000 (Koordinaten manuell gesetzt)");
    EXPECT_TRUE(c.setCentreFromRow(0));
    EXPECT_DOUBLE_EQ(c.centreLat(), kHomeLat);
    EXPECT_EQ(c.options.ActivePage, 1);
}

TEST_F(Collector, AMissingDatabaseIsReportedAndListsStillOpen) {
    home.dir.write("WPList.txt", "GC100\r\n");
    ASSERT_EQ(removeFile(work("Caches.bin")), 0);
    TWPCollector c(home.ctx());
    c.open();
    ASSERT_EQ(home.host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_EQ(
        home.host.textsOf(MsgKind::Error)[0].rfind("Fehler beim Lesen der Datei " + work("Caches.bin"), 0),
        0u);
    EXPECT_EQ(c.list(kWorkList).at(0).CacheName, "?");
}

}  // namespace
}  // namespace vellora::test
