#include "shell/OutputBrowser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

struct Recorder : OutputBrowser::Observer {
    void treeChanged() override { calls.push_back("tree"); }
    void listChanged() override { calls.push_back("list"); }
    void marksChanged() override { calls.push_back("marks"); }
    void busyChanged(bool busy, bool areaDisabled) override {
        calls.push_back(std::string(busy ? "busy" : "idle") + (areaDisabled ? " disabled" : ""));
    }
    std::vector<std::string> calls;
};

// An output directory "ausgabe" below a test home, a small cache database and the home at
// N 50 E 8. Waypoints name files; caches are added to the database only where a test says.
class OutputBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = home.ctx().settings;
        s.OutDir = home.dir.file("ausgabe");
        s.ShowMessages = true;
        s.Main_Col1Width = s.Main_Col2Width = s.Main_Col3Width = 0;
        ASSERT_EQ(makeDirs(s.OutDir), 0);
        home.dir.write("Caches.bin", "");
        browser.setObserver(&recorder);
        browser.setSelectedHome(50.0, 8.0);
    }

    void addCache(const std::string& wp, const std::string& name, const std::string& type, double lat,
                  double lon) {
        TCacheRec rec;
        rec.Waypoint = wp;
        rec.CacheName = name;
        rec.CacheType = type;
        rec.Lat = lat;
        rec.Lon = lon;
        ASSERT_TRUE(AppendCache(home.ctx(), rec));
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    }
    // A file below the output directory ("sub/GC1_converted.html").
    void put(const std::string& rel, const std::string& content = "x") {
        home.dir.write("ausgabe/" + rel, content);
    }
    bool has(const std::string& rel) const { return home.dir.exists("ausgabe/" + rel); }
    std::string out() { return home.ctx().outDirPath(); }

    Names waypoints() const {
        Names names;
        for (const auto& e : browser.entries()) names.push_back(e.waypoint);
        return names;
    }
    Names distances() const {
        Names d;
        for (const auto& e : browser.entries()) d.push_back(e.distance);
        return d;
    }
    void mark(const Names& wps) {
        for (std::size_t i = 0; i < browser.entries().size(); ++i) {
            const auto& w = browser.entries()[i].waypoint;
            browser.setMarked(static_cast<int>(i), std::find(wps.begin(), wps.end(), w) != wps.end());
        }
    }
    Names marked() const { return browser.markedWaypoints(); }
    int nodeOf(const std::string& caption) const {
        for (std::size_t i = 0; i < browser.nodes().size(); ++i) {
            if (browser.nodes()[i].caption == caption) return static_cast<int>(i);
        }
        return -1;
    }
    std::string lastInfo() const {
        const auto infos = home.host.textsOf(MsgKind::Information);
        return infos.empty() ? std::string() : infos.back();
    }

    test::TestHome home;
    OutputBrowser browser{home.ctx(), home.host};
    Recorder recorder;
};

TEST_F(OutputBrowserTest, ListsConvertedDescriptionsWithTypeIconNameAndDistance) {
    addCache("GC1234", "Alpha", "Traditional Cache", 50.1, 8.0);
    addCache("GC2000", "Beta", "multi-cache", 50.0, 8.0);
    addCache("GC3000", "Gamma", "Wherigo Cache", 90.0, 0.0);
    put("GC1234_converted.html");
    put("GC1234_map.gif");
    put("GC1234.html");
    put("GC2000_converted.html");
    put("GC3000_converted.html");
    put("GC9999_converted.html");
    put("XY1234_converted.html");
    put("index.html");
    browser.reloadTree();

    ASSERT_EQ(waypoints(), (Names{"GC1234", "GC2000", "GC3000", "GC9999"}));
    const auto& e = browser.entries();
    EXPECT_EQ(e[0].name, "Alpha");
    EXPECT_EQ(e[0].icon, 0);
    EXPECT_EQ(e[0].distance, "11,1");
    EXPECT_EQ(e[1].icon, 1);  // type compared without regard to case
    EXPECT_EQ(e[1].distance, "0,0");
    EXPECT_EQ(e[2].icon, 10);
    EXPECT_EQ(e[2].distance, "9999");  // from a pole the course is undefined
    EXPECT_EQ(e[3].name, "Cache nicht in DB gefunden");
    EXPECT_EQ(e[3].icon, 10);
    EXPECT_EQ(e[3].distance, "5611,6");  // measured from 0 N 0 E
    EXPECT_EQ(browser.listCaption(), "4 Konvertierte Cachebeschreibungen im gew\xE4hlten Verzeichnis");
}

TEST_F(OutputBrowserTest, TreeShowsOneLevelOfSubdirectoriesSortedWithoutRegardToCase) {
    put("zeta/GC1_converted.html");
    put("Alpha/deeper/GC2_converted.html");
    put("beta/x.txt");
    fs::create_directory_symlink(home.dir.path(), home.dir.file("ausgabe/link"));
    browser.reloadTree();

    Names captions;
    for (const auto& n : browser.nodes()) captions.push_back(n.caption);
    EXPECT_EQ(captions, (Names{"root", "Alpha", "beta", "zeta"}));  // the link is not part of the output
    EXPECT_EQ(browser.selectedNode(), 0);
    EXPECT_EQ(browser.selectedDir(), out());
    EXPECT_EQ(browser.treeHint(), "root=" + out());
    EXPECT_TRUE(browser.savedPagesToWorkListEnabled());

    recorder.calls.clear();
    browser.tvDirChange(nodeOf("zeta"));
    EXPECT_EQ(browser.selectedDir(), out() + "zeta/");
    EXPECT_EQ(waypoints(), (Names{"GC1"}));
    EXPECT_FALSE(browser.savedPagesToWorkListEnabled());
    EXPECT_EQ(recorder.calls, (Names{"tree", "list"}));
}

// Caches at N 50 E 8 + offsets: distances 11,1 / 9,5 / 11,1 / 55,6 km in directory order.
class OutputBrowserSortTest : public OutputBrowserTest {
protected:
    void SetUp() override {
        OutputBrowserTest::SetUp();
        addCache("GC1000", "delta", "Traditional Cache", 50.1, 8.0);
        addCache("GC2000", "Alpha", "Traditional Cache", 50.085, 8.0);
        addCache("GC3000", "charlie", "Traditional Cache", 50.1, 8.0);
        addCache("GC4000", "Bravo", "Traditional Cache", 50.5, 8.0);
        for (const char* w : {"GC1000", "GC2000", "GC3000", "GC4000"})
            put(std::string(w) + "_converted.html");
    }
};

TEST_F(OutputBrowserSortTest, SortsByColumnAndDirection) {
    struct Case {
        int column, direction;
        Names order;
    };
    const Case cases[] = {
        {0, 0, {"GC1000", "GC2000", "GC3000", "GC4000"}},
        {0, 1, {"GC4000", "GC3000", "GC2000", "GC1000"}},
        {1, 0, {"GC2000", "GC4000", "GC3000", "GC1000"}},  // names without regard to case
        {1, 1, {"GC1000", "GC3000", "GC4000", "GC2000"}},
        // Numerically (9,5 before 11,1, which a text comparison would not give); equal
        // distances keep the directory order in both directions.
        {2, 0, {"GC2000", "GC1000", "GC3000", "GC4000"}},
        {2, 1, {"GC4000", "GC1000", "GC3000", "GC2000"}},
    };
    browser.reloadTree();
    for (const auto& c : cases) {
        browser.setSort(c.column, c.direction);
        EXPECT_EQ(waypoints(), c.order) << "column " << c.column << " direction " << c.direction;
        EXPECT_EQ(browser.sortColumn(), c.column);
        EXPECT_EQ(browser.sortDirection(), c.direction);
    }
    EXPECT_EQ(distances(), (Names{"55,6", "11,1", "11,1", "9,5"}));
}

TEST_F(OutputBrowserSortTest, HeaderClicksToggleOnlyTheSameColumn) {
    browser.reloadTree();
    browser.setSort(2, 1);
    browser.lvColumnClick(2);  // the same column: toggles
    EXPECT_EQ(browser.sortDirection(), 0);
    browser.lvColumnClick(2);
    EXPECT_EQ(browser.sortDirection(), 1);
    browser.lvColumnClick(1);  // another column: ascending
    EXPECT_EQ(browser.sortColumn(), 1);
    EXPECT_EQ(browser.sortDirection(), 0);
    EXPECT_EQ(waypoints(), (Names{"GC2000", "GC4000", "GC3000", "GC1000"}));
    browser.setSort(7, 3);  // an implausible stored state
    EXPECT_EQ(browser.sortColumn(), 0);
    EXPECT_EQ(browser.sortDirection(), 0);
}

TEST_F(OutputBrowserSortTest, SortingKeepsMarksAndFocusWithTheirEntries) {
    browser.reloadTree();
    mark({"GC3000"});
    browser.setFocused(3);  // GC4000
    browser.setSort(2, 1);
    EXPECT_EQ(marked(), (Names{"GC3000"}));
    EXPECT_EQ(browser.entries()[static_cast<std::size_t>(browser.focused())].waypoint, "GC4000");
}

TEST_F(OutputBrowserSortTest, HomeChangeRebuildsDistances) {
    browser.reloadTree();
    browser.setSort(2, 0);
    browser.setSelectedHome(50.5, 8.0);
    EXPECT_EQ(waypoints(), (Names{"GC4000", "GC1000", "GC3000", "GC2000"}));
    EXPECT_EQ(browser.entries()[0].distance, "0,0");
}

TEST_F(OutputBrowserTest, ColumnWidthsComeFromTheStoredWidthsOrTheClientWidth) {
    browser.setListClientWidth(600);
    EXPECT_EQ(browser.columnWidths(), (std::array<int, 3>{73, 447, 60}));
    browser.setColumnWidths({80, 300, 70});
    EXPECT_EQ(browser.columnWidths(), (std::array<int, 3>{80, 300, 70}));
    EXPECT_EQ(home.ctx().settings.Main_Col2Width, 300);
}

TEST_F(OutputBrowserTest, MarkAllNoneInvert) {
    for (const char* w : {"GC1", "GC2", "GC3"}) put(std::string(w) + "_converted.html");
    browser.reloadTree();
    mark({"GC2"});
    browser.MarkInvertClick();
    EXPECT_EQ(marked(), (Names{"GC1", "GC3"}));
    browser.MarkAllClick();
    EXPECT_EQ(browser.markedCount(), 3);
    browser.MarkNoneClick();
    EXPECT_EQ(browser.markedCount(), 0);
    EXPECT_EQ(recorder.calls.back(), "marks");
}

TEST_F(OutputBrowserTest, MarksTheWorkListCachesByExactWaypoint) {
    for (const char* w : {"GC1", "GC2", "GC3", "gc4"}) put(std::string(w) + "_converted.html");
    home.dir.write("WPList.txt", "GC2\r\n\r\nXX1\r\ngc4\r\nGC1 \r\nGC3\r\n");
    browser.reloadTree();
    mark({"GC1"});
    browser.MarkWorkListClick();
    EXPECT_EQ(marked(), (Names{"GC2", "GC3", "gc4"}));
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(OutputBrowserTest, MissingWorkListIsAReadError) {
    put("GC1_converted.html");
    browser.reloadTree();
    mark({"GC1"});
    browser.MarkWorkListClick();
    EXPECT_EQ(browser.markedCount(), 0);
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Fehler beim Lesen der Datei " + home.ctx().workDirPath() + "WPList.txt", 0),
              0u);
}

TEST_F(OutputBrowserTest, MarksFoundAndIgnoredCaches) {
    for (const char* w : {"GC1", "GC2", "GC3", "GC4"}) put(std::string(w) + "_converted.html");
    std::vector<TFoundRec> finds(2);
    finds[0].Waypoint = "GC3";
    finds[1].Waypoint = "gc1";  // finds compare exactly
    ASSERT_EQ(writeFoundRecords(home.workFile("Finds.bin"), finds), 0);
    home.dir.write("WPignore.txt", "gc4\r\n");  // the ignore list without regard to case
    browser.reloadTree();
    mark({"GC2"});
    browser.MarkExcludeListClick();
    EXPECT_EQ(marked(), (Names{"GC3", "GC4"}));
    EXPECT_EQ(home.host.progressLog, (Names{"begin Cacheliste wird gelesen 2", "pos 1", "pos 2", "end"}));
    EXPECT_EQ(home.host.processEventsCalls, 2);
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(OutputBrowserTest, MissingFindsIsAReadErrorButTheIgnoreListStillCounts) {
    for (const char* w : {"GC1", "GC2"}) put(std::string(w) + "_converted.html");
    home.dir.write("WPignore.txt", "GC2\r\n");
    browser.reloadTree();
    browser.MarkExcludeListClick();
    EXPECT_EQ(marked(), (Names{"GC2"}));
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Fehler beim Lesen der Datei " + home.ctx().workDirPath() + "Finds.bin", 0),
              0u);
}

// One cache's files in the root, two in "Urlaub" and one unrelated file that shares a prefix.
class OutputBrowserFilesTest : public OutputBrowserTest {
protected:
    void SetUp() override {
        OutputBrowserTest::SetUp();
        for (const char* f : {"GC12.html", "GC12.meta", "GC12_converted.html", "GC12_map.gif", "GC12_i1.jpg",
                              "GC123_converted.html", "GC123_map.gif", "GC12_nodot", "GC5_converted.html"}) {
            put(f, std::string("content of ") + f);
        }
        put("Urlaub/GC7_converted.html");
        browser.reloadTree();
    }
};

TEST_F(OutputBrowserFilesTest, MovesTheMarkedCachesFilesOntoANode) {
    mark({"GC12", "GC5"});
    recorder.calls.clear();
    browser.moveMarkedTo(nodeOf("Urlaub"));

    for (const char* f : {"GC12.html", "GC12.meta", "GC12_converted.html", "GC12_map.gif", "GC12_i1.jpg"}) {
        EXPECT_FALSE(has(f)) << f;
        EXPECT_EQ(home.dir.read(std::string("ausgabe/Urlaub/") + f), std::string("content of ") + f);
    }
    EXPECT_TRUE(has("Urlaub/GC5_converted.html"));
    for (const char* f : {"GC123_converted.html", "GC123_map.gif", "GC12_nodot"}) EXPECT_TRUE(has(f)) << f;
    EXPECT_EQ(waypoints(), (Names{"GC123"}));
    EXPECT_EQ(home.host.progressLog, (Names{"begin Verschiebe Dateien... 2", "pos 1", "pos 2", "end"}));
    EXPECT_EQ(recorder.calls.front(), "busy disabled");
    EXPECT_EQ(lastInfo(), "5 Dateien aus 2 Caches erfolgreich von " + out() + " nach " + out() +
                              "Urlaub/ verschoben.");  // the meta file is not counted
}

TEST_F(OutputBrowserFilesTest, MovingOntoTheSelectedDirectoryIsRefused) {
    mark({"GC12"});
    browser.moveMarkedTo(0);
    EXPECT_EQ(
        home.host.textsOf(MsgKind::Error),
        (Names{"Caches k\xF6nnen nicht in das Verzeichnis verschoben werden, in dem sie bereits liegen."}));
    EXPECT_TRUE(has("GC12_converted.html"));
    EXPECT_TRUE(home.host.progressLog.empty());
}

TEST_F(OutputBrowserFilesTest, AFailedCopyLeavesTheFilesInPlace) {
    mark({"GC12"});
    const int target = nodeOf("Urlaub");
    fs::remove_all(home.dir.file("ausgabe/Urlaub"));  // gone after the tree was built
    browser.moveMarkedTo(target);
    EXPECT_TRUE(has("GC12_converted.html"));
    EXPECT_TRUE(has("GC12.meta"));
    EXPECT_EQ(lastInfo(),
              "0 Dateien aus 1 Caches erfolgreich von " + out() + " nach " + out() +
                  "Urlaub/ verschoben.\r\n\r\n4 Dateien konnten nicht verschoben werden und wurden im "
                  "urspr\xFCnglichen Verzeichnis belassen.");
}

TEST_F(OutputBrowserFilesTest, DeletesTheMarkedCachesFiles) {
    mark({"GC12"});
    home.host.answerNext(MsgResult::No);
    browser.DeleteMarkedClick();
    EXPECT_TRUE(has("GC12_converted.html"));

    home.host.answerNext(MsgResult::Yes);
    browser.DeleteMarkedClick();
    for (const char* f : {"GC12.html", "GC12.meta", "GC12_converted.html", "GC12_map.gif", "GC12_i1.jpg"}) {
        EXPECT_FALSE(has(f)) << f;
    }
    for (const char* f : {"GC123_converted.html", "GC123_map.gif", "GC12_nodot"}) EXPECT_TRUE(has(f)) << f;
    EXPECT_EQ(waypoints(), (Names{"GC123", "GC5"}));
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(home.host.messages[0].text,
              "Achtung! Alle Dateien zu den markierten Caches werden unwiderruflich gel\xF6scht!\r\n\r\n"
              "Markierte Caches wirklich l\xF6schen?");
    EXPECT_EQ(lastInfo(), "1 Cache gel\xF6scht (5 Dateien insgesamt)");

    mark({"GC123", "GC5"});
    home.host.answerNext(MsgResult::Yes);
    browser.DeleteMarkedClick();
    EXPECT_EQ(lastInfo(), "2 Caches gel\xF6scht (7 Dateien insgesamt)");
}

TEST_F(OutputBrowserFilesTest, WithoutShowMessagesNoSummaryAppears) {
    home.ctx().settings.ShowMessages = false;
    mark({"GC5"});
    home.host.answerNext(MsgResult::Yes);
    browser.DeleteMarkedClick();
    mark({"GC12"});
    browser.moveMarkedTo(nodeOf("Urlaub"));
    EXPECT_TRUE(home.host.textsOf(MsgKind::Information).empty());
    EXPECT_FALSE(has("GC5_converted.html"));
    EXPECT_TRUE(has("Urlaub/GC12_converted.html"));
}

TEST_F(OutputBrowserTest, CleanUpRemovesSavedPagesAndMetaFilesByTheirMasks) {
    struct Case {
        const char* file;
        bool removed;
    };
    const Case cases[] = {
        {"GC1234.html", true},    {"GC12345.htm", true}, {"gc1234.HTML", true},
        {"GC1A2B.meta", true},    {"other.meta", true},  {"GC1234_converted.html", false},
        {"GC123456.html", false}, {"GC123.html", false}, {"GC1234_map.gif", false},
        {"index.html", false},
    };
    for (const auto& c : cases) put(c.file);
    put("sub/GC9999.html");
    browser.reloadTree();
    home.host.answerNext(MsgResult::Yes);
    browser.gewhltesVerzeichnisaufrumen1Click();
    for (const auto& c : cases) EXPECT_EQ(has(c.file), !c.removed) << c.file;
    EXPECT_TRUE(has("sub/GC9999.html"));
    EXPECT_EQ(lastInfo(), "5 Dateien wurden aus dem Verzeichnis \r\n" + out() + "\r\ngel\xF6scht.");
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Confirmation);
    EXPECT_NE(home.host.messages[0].text.find("Soll das gew\xE4hlte Verzeichnis " + out() +
                                              " aufger\xE4umt werden?"),
              std::string::npos);
}

TEST_F(OutputBrowserTest, ErasesTheSelectedDirectory) {
    for (const char* f :
         {"sub/GC1_converted.html", "sub/GC1.html", "sub/index.html", "sub/notes.txt", "GC2.html"}) {
        put(f);
    }
    browser.reloadTree();
    browser.tvDirChange(nodeOf("sub"));
    home.host.answerNext(MsgResult::No);
    browser.EraseDirClick();
    EXPECT_TRUE(has("sub/GC1.html"));

    home.host.answerNext(MsgResult::Yes);
    browser.EraseDirClick();
    EXPECT_EQ(home.host.messages[1].text, "Achtung! Alle Caches im Verzeichnis\r\n\r\n" + out() +
                                              "sub/\r\n\r\nwerden unwiderruflich gel\xF6scht! Verzeichnis "
                                              "wirklich l\xF6schen?");
    EXPECT_FALSE(has("sub/GC1_converted.html"));
    EXPECT_FALSE(has("sub/GC1.html"));
    EXPECT_FALSE(has("sub/index.html"));
    EXPECT_TRUE(has("sub/notes.txt"));
    EXPECT_TRUE(has("GC2.html"));
    EXPECT_EQ(browser.selectedNode(), 0);  // the tree was reloaded
}

TEST_F(OutputBrowserTest, ErasesTheWholeOutputDirectoryOneLevelDeep) {
    for (const char* f : {"GC1.html", "index.html", "keep.txt", "a/GC2_converted.html", "b/GC3.html",
                          "b/keep.txt", "c/deeper/GC4.html"}) {
        put(f);
    }
    home.dir.write("elsewhere/GC5.html", "x");
    fs::create_directory_symlink(home.dir.file("elsewhere"), home.dir.file("ausgabe/link"));
    browser.reloadTree();
    home.host.answerNext(MsgResult::Yes);
    browser.EraseAllDirsClick();
    EXPECT_FALSE(has("GC1.html"));
    EXPECT_FALSE(has("index.html"));
    EXPECT_TRUE(has("keep.txt"));
    EXPECT_FALSE(fs::exists(home.dir.file("ausgabe/a")));  // emptied and removed
    EXPECT_FALSE(has("b/GC3.html"));
    EXPECT_TRUE(has("b/keep.txt"));
    EXPECT_TRUE(has("c/deeper/GC4.html"));  // deeper levels are not visited
    EXPECT_TRUE(home.dir.exists("elsewhere/GC5.html"));
    Names captions;
    for (const auto& n : browser.nodes()) captions.push_back(n.caption);
    EXPECT_EQ(captions, (Names{"root", "b", "c"}));
}

TEST_F(OutputBrowserTest, CreatesDirectoriesWithNamesOfTheKeyFilter) {
    for (char c : std::string("AZaz09 !-._\b")) EXPECT_TRUE(OutputBrowser::isDirNameKey(c)) << c;
    for (char c : std::string("\xE4\xDF/\\:*?\"<>|,;#")) EXPECT_FALSE(OutputBrowser::isDirNameKey(c)) << c;

    EXPECT_TRUE(browser.CreateNewDirClick("Urlaub 2006"));
    EXPECT_TRUE(fs::is_directory(out() + "Urlaub 2006"));
    EXPECT_GE(nodeOf("Urlaub 2006"), 1);
    EXPECT_TRUE(home.host.messages.empty());

    // Names the key filter could not have produced, a name standing for the output directory
    // itself or its parent, and an existing directory are refused with the error box.
    for (const char* name : {"", ".", "..", "a/b", "\xE4rger", "Urlaub 2006"}) {
        home.host.messages.clear();
        EXPECT_FALSE(browser.CreateNewDirClick(name)) << name;
        const auto errors = home.host.textsOf(MsgKind::Error);
        ASSERT_EQ(errors.size(), 1u) << name;
        EXPECT_EQ(errors[0].rfind("Fehler beim Anlegen des Verzeichnisses", 0), 0u);
    }
    EXPECT_FALSE(fs::exists(home.dir.file("ausgabe/a")));
}

TEST_F(OutputBrowserTest, IndexItemFollowsTheIndexFileAndItsAge) {
    put("GC1_converted.html");
    put("GC2_converted.html");
    browser.reloadTree();
    EXPECT_FALSE(browser.showIndexEnabled());

    put("index.html");
    const auto now = fs::last_write_time(home.dir.file("ausgabe/index.html"));
    fs::last_write_time(home.dir.file("ausgabe/GC1_converted.html"), now - std::chrono::hours(1));
    fs::last_write_time(home.dir.file("ausgabe/GC2_converted.html"), now - std::chrono::hours(2));
    browser.rebuildList();
    EXPECT_TRUE(browser.showIndexEnabled());
    EXPECT_STREQ(browser.showIndexCaption(), "Indexdatei anzeigen");

    fs::last_write_time(home.dir.file("ausgabe/GC2_converted.html"), now + std::chrono::seconds(1));
    browser.rebuildList();
    EXPECT_STREQ(browser.showIndexCaption(), "veraltete (!) Indexdatei anzeigen");

    browser.Indexdateianzeigen1Click();
    EXPECT_EQ(home.host.opened, (Names{out() + "index.html"}));
}

TEST_F(OutputBrowserTest, IndexOfThisDirectoryEnablesTheShowItem) {
    put("sub/GC1_converted.html");
    browser.reloadTree();
    browser.tvDirChange(nodeOf("sub"));
    EXPECT_FALSE(browser.createIndexEnabled());
    std::string handedOver;
    browser.actions().createIndex = [&](const std::string& dir) {
        handedOver = dir;
        home.dir.write("ausgabe/sub/index.html", "<html>");
    };
    EXPECT_TRUE(browser.createIndexEnabled());
    browser.CreateIndexFromDir();
    EXPECT_EQ(handedOver, out() + "sub/");
    EXPECT_TRUE(browser.showIndexEnabled());
    EXPECT_STREQ(browser.showIndexCaption(), "Indexdatei anzeigen");
}

TEST_F(OutputBrowserTest, OpensAndCopiesTheFocusedDescription) {
    put("GC1_converted.html");
    put("GC2_converted.html");
    browser.reloadTree();
    browser.ShowInBrowserClick();  // nothing focused or marked
    EXPECT_TRUE(home.host.opened.empty());
    browser.setFocused(1);
    browser.ShowInBrowserClick();
    browser.Dateipfadkopieren1Click();
    EXPECT_EQ(home.host.opened, (Names{out() + "GC2_converted.html"}));
    EXPECT_EQ(home.host.clipboard, out() + "GC2_converted.html");
}

TEST_F(OutputBrowserTest, SavedPagesIntoTheWorkList) {
    addCache("GC1234", "A", "Traditional Cache", 50, 8);
    addCache("GC2000", "B", "Traditional Cache", 50, 8);
    addCache("GC3000", "C", "Traditional Cache", 50, 8);
    for (const char* f :
         {"GC1234.html", "GC2000.html", "GC3000_converted.html", "GC4444.html", "GC2000.htm"}) {
        put(f);
    }
    put("sub/GC3000.html");
    home.dir.write("WPList.txt", "gc2000\r\nGC7777\r\n");
    browser.reloadTree();

    home.host.answerNext(MsgResult::Yes);  // keep the list
    browser.OriginalbeschreibungeninArbeitsliste1Click();
    EXPECT_EQ(home.dir.read("WPList.txt"), "gc2000\r\nGC7777\r\nGC1234\r\n");
    EXPECT_EQ(lastInfo(), "1 Wegpunkte wurden in die Arbeitsliste aufgenommen.");

    home.host.answerNext(MsgResult::No);  // start from an empty list
    browser.OriginalbeschreibungeninArbeitsliste1Click();
    EXPECT_EQ(home.dir.read("WPList.txt"), "GC1234\r\nGC2000\r\n");
    EXPECT_EQ(lastInfo(), "2 Wegpunkte wurden in die Arbeitsliste aufgenommen.");

    home.host.answerNext(MsgResult::Cancel);
    browser.OriginalbeschreibungeninArbeitsliste1Click();
    EXPECT_EQ(home.dir.read("WPList.txt"), "GC1234\r\nGC2000\r\n");

    browser.tvDirChange(nodeOf("sub"));  // only offered for the root
    browser.OriginalbeschreibungeninArbeitsliste1Click();
    home.host.expectScriptUsed();
}

TEST_F(OutputBrowserTest, ReloadMarkedHandsTheMarkedCachesToTheLoader) {
    for (const char* w : {"GC1", "GC2", "GC3"}) put(std::string(w) + "_converted.html");
    home.dir.write("WPList.txt", "gc1\r\nGC9\r\n");
    browser.reloadTree();
    EXPECT_FALSE(browser.reloadMarkedEnabled());
    std::vector<Names> loads;
    std::string listDuringLoad;
    browser.actions().reloadListings = [&](const Names& w) {
        loads.push_back(w);
        listDuringLoad = home.dir.read("WPList.txt");
    };
    ASSERT_TRUE(browser.reloadMarkedEnabled());
    mark({"GC1", "GC3"});

    home.host.answerNext(MsgResult::Cancel);
    browser.ReloadMarkedClick();
    EXPECT_TRUE(loads.empty());

    home.host.answerNext(MsgResult::No);
    browser.ReloadMarkedClick();
    EXPECT_EQ(home.dir.read("WPList.txt"), "gc1\r\nGC9\r\n");

    home.host.answerNext(MsgResult::Yes);
    browser.ReloadMarkedClick();
    EXPECT_EQ(listDuringLoad, "gc1\r\nGC9\r\n");  // written only after the loader closed
    EXPECT_EQ(home.dir.read("WPList.txt"), "gc1\r\nGC9\r\nGC3\r\n");
    EXPECT_EQ(loads, (std::vector<Names>{{"GC1", "GC3"}, {"GC1", "GC3"}}));
    EXPECT_EQ(home.host.messages[0].text,
              "2 Cachebeschreibungen werden erneut geladen.\r\n\r\nSollen die Wegpunkte dieser Caches der "
              "Arbeitsliste hinzugef\xFCgt werden, um nach dem erneuten Laden eine einfachere Erzeugung der "
              "konvertierten Beschreibungen zu erm\xF6glichen?");

    browser.MarkNoneClick();  // nothing marked: no question, no load
    browser.ReloadMarkedClick();
    EXPECT_EQ(loads.size(), 2u);
}

TEST_F(OutputBrowserTest, DetailsMapAndExportGoThroughTheirActions) {
    addCache("GC1", "Eins", "Traditional Cache", 50.25, 8.5);
    put("GC1_converted.html");
    put("GC2_converted.html");
    browser.reloadTree();
    std::vector<std::string> calls;
    browser.actions().showDetails = [&](const TCacheRec& rec, const std::string& dir) {
        calls.push_back("details " + rec.Waypoint + " " + dir);
    };
    browser.actions().showOnMap = [&](double lat, double lon) {
        calls.push_back("map " + std::to_string(lat) + " " + std::to_string(lon));
    };
    browser.actions().exportDirectory = [&](const std::string& path) {
        calls.push_back("export " + home.dir.read("dirlist.txt"));
        EXPECT_EQ(path, home.workFile("dirlist.txt"));
    };
    browser.lvDblClick(1);  // not in the database: nothing
    browser.lvDblClick(0);
    browser.mnuShowGoogleMapsClick();
    mark({"GC2"});
    browser.mnuShowGoogleMapsClick();
    mark({"GC1"});
    browser.mnuShowGoogleMapsClick();
    browser.setSort(0, 1);
    browser.CSVExportdiesesVerzeichnisses1Click();
    EXPECT_EQ(calls, (Names{"details GC1 " + out(), "map 50.250000 8.500000", "export GC2\r\nGC1\r\n"}));
    EXPECT_EQ(home.host.textsOf(MsgKind::Warning), (Names{"Bitte zuerst einen Cache markieren."}));
    EXPECT_EQ(home.host.textsOf(MsgKind::Error),
              (Names{"Zugeh\xF6riger Cache nicht in Datenbank gefunden."}));
}

TEST_F(OutputBrowserTest, EditorOnlyForASubdirectory) {
    put("GC1_converted.html");
    put("sub/GC2_converted.html");
    std::vector<std::string> edits;
    browser.actions().editLongDescription = [&](const std::string& dir, const std::string& w) {
        edits.push_back(dir + w);
    };
    browser.reloadTree();
    browser.setFocused(0);
    EXPECT_FALSE(browser.editLongDescrEnabled());
    browser.EditLongDescrClick();
    browser.tvDirChange(nodeOf("sub"));
    EXPECT_TRUE(browser.editLongDescrEnabled());
    browser.EditLongDescrClick();  // nothing selected
    browser.setFocused(0);
    browser.EditLongDescrClick();
    EXPECT_EQ(edits, (Names{out() + "sub/GC2"}));
}

}  // namespace
}  // namespace vellora
