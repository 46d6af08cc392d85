#include "shell/MainWindow.h"

#include <gtest/gtest.h>

#include <set>

#include "core/FileUtil.h"
#include "core/Settings.h"
#include "shell/ShellFixtures.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::cacheDatabase;
using test::cacheRecord;

TEST(CommandTable, HandlersAreUniqueAndToolbarItemsHavePictures) {
    std::set<std::string> handlers;
    for (const auto& c : kCommands) {
        EXPECT_TRUE(handlers.insert(c.handler).second) << c.handler;
        EXPECT_EQ(c.toolbar, c.icon != nullptr) << c.handler;
        EXPECT_EQ(&commandInfo(c.id), &c);
        bool knownMenu = false;
        for (const char* m : kMenus) knownMenu = knownMenu || std::string(m) == c.menu;
        EXPECT_TRUE(knownMenu) << c.menu;
    }
}

TEST(CommandTable, GroupsStartWhereTheMenusAndTheToolbarHaveTheirSeparators) {
    std::set<Cmd> menuStarts, toolbarEnds;
    for (const auto& c : kCommands) {
        if (c.menuGroupStart) menuStarts.insert(c.id);
        if (c.toolbarGroupEnd) toolbarEnds.insert(c.id);
        // A toolbar group can only end at a button.
        if (c.toolbarGroupEnd) {
            EXPECT_TRUE(c.toolbar) << c.handler;
        }
    }
    EXPECT_EQ(menuStarts, (std::set<Cmd>{Cmd::Export, Cmd::Beenden, Cmd::ImportGPX, Cmd::Distance,
                                         Cmd::RouteCaches, Cmd::CheckForUpdate}));
    EXPECT_EQ(toolbarEnds, (std::set<Cmd>{Cmd::Suitcase, Cmd::UpdateMainWindow, Cmd::EditCache, Cmd::LoadHTML,
                                          Cmd::IndexPage}));
}

TEST(CommandTable, ACommandRunsItsHandlerAndWithoutOneStaysDisabled) {
    int runs = 0;
    CommandTable table{{Cmd::Rot13, [&runs] { ++runs; }}, {Cmd::About, nullptr}};
    EXPECT_TRUE(table.enabled(Cmd::Rot13));
    EXPECT_TRUE(table.run(Cmd::Rot13));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(table.enabled(Cmd::About));  // an empty handler counts as none
    EXPECT_FALSE(table.run(Cmd::About));
    EXPECT_FALSE(table.run(Cmd::Utm));
    table.add(Cmd::Utm, [&runs] { runs += 10; });
    EXPECT_TRUE(table.run(Cmd::Utm));
    EXPECT_EQ(runs, 11);
}

TEST(QuickInfoFilter, PastedTextKeepsWhatTypedKeysWouldInsert) {
    EXPECT_EQ(QuickInfo::filterText("gc1a2b"), "GC1A2B");
    EXPECT_EQ(QuickInfo::filterText(" GC-1A 2B\t\r\n"), "GC1A2B");
    EXPECT_EQ(QuickInfo::filterText("\b\xE4x"), "X");  // backspace and letters beyond ASCII are dropped
    EXPECT_EQ(QuickInfo::filterText(""), "");
}

class MainWindowModel : public ::testing::Test {
protected:
    test::TestHome home;
    RunContext& ctx = home.ctx();
};

TEST_F(MainWindowModel, StatusLineWithoutFiles) {
    EXPECT_EQ(statusLineText(ctx), "Keine Cache-DB gefunden. Keine Archivliste gefunden.");
}

TEST_F(MainWindowModel, StatusLineNamesDatesAndCounts) {
    home.dir.write("Caches.bin", cacheDatabase({cacheRecord("GC1"), cacheRecord("GC2"), cacheRecord("GC3")}) +
                                     "partial record");
    home.dir.write("WParchived.txt", "2006-12-01;GC1A2B3\r\nGC99\r\n");
    ASSERT_TRUE(
        test::setFileModified(home.workFile("Caches.bin"), encodeDateTime({2006, 11, 30, 23, 59, 0})));
    ASSERT_TRUE(
        test::setFileModified(home.workFile("WParchived.txt"), encodeDateTime({2006, 12, 2, 0, 1, 0})));
    EXPECT_EQ(
        statusLineText(ctx),
        "Stand der Cache-DB: 30.11.2006, 3 Eintr\xE4ge. Stand der Archivliste: 02.12.2006, 2 Eintr\xE4ge.");
}

class HomeSelectorTest : public MainWindowModel {
protected:
    void SetUp() override {
        ctx.settings.HomeLat = 49.5;
        ctx.settings.HomeLong = 10.75;
        ctx.settings.AddHomeLat = {"51.00000", "-33.50000"};
        ctx.settings.AddHomeLon = {"7.50000", "-70.25000"};
        ctx.settings.AddHomeTxt = {"Urlaub", "Chile"};
        selector.evaluate();
    }
    HomeSelector selector{ctx};
};

TEST_F(HomeSelectorTest, PrimaryHomeAtStart) {
    EXPECT_EQ(selector.position(), 0);
    EXPECT_EQ(selector.label(), "HOME (prim\xE4r)");
    EXPECT_TRUE(selector.labelIsPrimary());
    EXPECT_EQ(selector.coordText(), "N 49\xB0 30.000 E 010\xB0 45.000");
}

TEST_F(HomeSelectorTest, AdditionalHomesInListOrder) {
    EXPECT_TRUE(selector.click(2));
    EXPECT_EQ(selector.label(), "Chile");
    EXPECT_FALSE(selector.labelIsPrimary());
    EXPECT_DOUBLE_EQ(selector.lat(), -33.5);
    EXPECT_DOUBLE_EQ(selector.lon(), -70.25);
    EXPECT_EQ(selector.coordText(), "S 33\xB0 30.000 W 070\xB0 15.000");
}

TEST_F(HomeSelectorTest, ClicksBeyondTheEndsStayOnTheLastHome) {
    ASSERT_TRUE(selector.click(2));
    EXPECT_FALSE(selector.click(3));
    EXPECT_EQ(selector.position(), 2);
    EXPECT_EQ(selector.label(), "Chile");
    EXPECT_FALSE(selector.click(-1));
    EXPECT_EQ(selector.position(), 0);
}

TEST_F(HomeSelectorTest, DoubleClickReturnsToPrimary) {
    ASSERT_TRUE(selector.click(1));
    selector.labelDoubleClick();
    EXPECT_EQ(selector.position(), 0);
    EXPECT_DOUBLE_EQ(selector.lat(), 49.5);
}

TEST_F(HomeSelectorTest, EvaluateAfterARemovedHomeTakesTheLastOne) {
    ASSERT_TRUE(selector.click(2));
    ctx.settings.AddHomeLat.pop_back();
    ctx.settings.AddHomeLon.pop_back();
    ctx.settings.AddHomeTxt.pop_back();
    selector.evaluate();
    EXPECT_EQ(selector.position(), 1);
    EXPECT_EQ(selector.label(), "Urlaub");
    EXPECT_DOUBLE_EQ(selector.lat(), 51.0);
}

TEST(QuickInfoKeys, FilterTable) {
    struct Case {
        char typed;
        QuickInfo::Key key;
        char out;
    } cases[] = {
        {'a', QuickInfo::Key::Take, 'A'},   {'z', QuickInfo::Key::Take, 'Z'},
        {'G', QuickInfo::Key::Take, 'G'},   {'7', QuickInfo::Key::Take, '7'},
        {'\b', QuickInfo::Key::Take, '\b'}, {'\r', QuickInfo::Key::Lookup, 0},
        {'-', QuickInfo::Key::Drop, 0},     {' ', QuickInfo::Key::Drop, 0},
        {'\xE4', QuickInfo::Key::Drop, 0},
    };
    for (const auto& c : cases) {
        char out = 0;
        EXPECT_EQ(QuickInfo::filterKey(c.typed, out), c.key) << int(c.typed);
        if (c.key == QuickInfo::Key::Take) {
            EXPECT_EQ(out, c.out);
        }
    }
}

TEST_F(MainWindowModel, QuickInfoShowsAFoundCache) {
    TCacheRec rec = cacheRecord("GC12AB", 49.0833333, 8.5);
    rec.Difficulty = "";
    rec.Terrain = "2";
    home.dir.write("Caches.bin", cacheDatabase({cacheRecord("GC1"), rec}));
    QuickInfo info(ctx);
    info.lookup("gc12ab");
    EXPECT_EQ(info.nameLine(), "Cache GC12AB");
    EXPECT_EQ(info.typeLine(), "Traditional Cache Regular (?/2)");
    EXPECT_EQ(info.coordLine(), "N 49\xB0 5.000 E 008\xB0 30.000");
    EXPECT_TRUE(info.mapButtonVisible());
    ASSERT_TRUE(info.record());
    EXPECT_EQ(info.record()->Waypoint, "GC12AB");

    info.lookup("gc404");
    EXPECT_EQ(info.nameLine(), "Cache mit Waypoint GC404! nicht in der Datenbank gefunden.");
    EXPECT_EQ(info.typeLine(), "");
    EXPECT_EQ(info.coordLine(), "");
    EXPECT_FALSE(info.mapButtonVisible());
}

TEST(QuickInfoText, TypeWithoutTypeHasNoLeadingBlank) {
    TCacheRec rec;
    rec.CacheSize = "Micro";
    rec.Difficulty = "3";
    EXPECT_EQ(QuickInfo::typeText(rec), "Micro (3/?)");
}

TEST_F(MainWindowModel, DebugSwitchWritesItsLines) {
    EXPECT_TRUE(toggleDebugMode(ctx));
    EXPECT_FALSE(toggleDebugMode(ctx));
    EXPECT_FALSE(ctx.debugMode);
    const std::string log = home.dir.read("debug.log");
    const std::string stamp = "08-12-06 21:04:05 ";
    EXPECT_EQ(log, stamp + "-------------------------\r\n" + stamp + "Debug mode switched to ON\r\n" + stamp +
                       "Vellora version is: V5.0.1\r\n" + stamp + "Vellora version date is: 13.12.2006\r\n" +
                       stamp + "Debug mode switched to OFF\r\n");
}

TEST_F(MainWindowModel, RestoredGeometryKeepsDesignedSizeBelowTheMinimum) {
    const WindowGeometry designed{10, 20, 900, 650};
    ctx.settings.Main_Left = 5;
    ctx.settings.Main_Top = 6;
    ctx.settings.Main_Width = 400;
    ctx.settings.Main_Height = 401;
    EXPECT_EQ(restoredGeometry(ctx, designed), designed);  // Main_MemWinSize off
    ctx.settings.Main_MemWinSize = true;
    EXPECT_EQ(restoredGeometry(ctx, designed), (WindowGeometry{5, 6, 900, 401}));
    ctx.settings.Main_Width = 501;
    ctx.settings.Main_Height = 400;
    EXPECT_EQ(restoredGeometry(ctx, designed), (WindowGeometry{5, 6, 501, 650}));
}

TEST(DialogPlacement, CentredAndClampedAtZero) {
    EXPECT_EQ(centredPosition({100, 50, 800, 600}, 400, 300), (std::pair{300, 200}));
    EXPECT_EQ(centredPosition({0, 0, 300, 200}, 500, 400), (std::pair{0, 0}));
}

TEST_F(MainWindowModel, ClosingAndDestructionKeepStateAndRemoveTemporaryFiles) {
    for (const char* name : kTemporaryFiles) home.dir.write(name, "x");
    home.dir.write("Caches.bin", "keep");
    saveWindowState(ctx, ListState{2, 1, {70, 300, 55}}, WindowGeometry{11, 12, 1000, 700});
    finishMainWindow(ctx, WindowGeometry{11, 12, 1000, 700});
    for (const char* name : kTemporaryFiles) EXPECT_FALSE(home.dir.exists(name)) << name;
    EXPECT_TRUE(home.dir.exists("Caches.bin"));

    IniFile& ini = ctx.programConf();
    EXPECT_EQ(ini.readInteger("Program", "Main_ColumnToSort", -1), 2);
    EXPECT_EQ(ini.readInteger("Program", "Main_SortDir", -1), 1);
    EXPECT_EQ(ini.readInteger("Program", "Main_Width", -1), 1000);
    EXPECT_EQ(ini.readInteger("Program", "Main_Col2Width", -1), 300);
    EXPECT_EQ(ini.readInteger("MainForm", "PosX", -1), 11);
    EXPECT_EQ(ini.readInteger("MainForm", "Height", -1), 700);
}

TEST_F(MainWindowModel, FindsNeedAUserName) {
    int settingsOpened = 0;
    home.host.answerNext(MsgResult::No);
    EXPECT_FALSE(ensureUsernameForFinds(ctx, [&] { ++settingsOpened; }));
    EXPECT_EQ(settingsOpened, 0);

    home.host.answerNext(MsgResult::Yes);
    EXPECT_FALSE(ensureUsernameForFinds(ctx, [&] { ++settingsOpened; }));
    EXPECT_EQ(settingsOpened, 1);

    home.host.answerNext(MsgResult::Yes);
    EXPECT_TRUE(ensureUsernameForFinds(ctx, [&] { ctx.settings.Username = "harlof"; }));
    EXPECT_TRUE(ensureUsernameForFinds(ctx, nullptr));  // no question once the name is there
    EXPECT_EQ(home.host.messages.size(), 3u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
}

}  // namespace
}  // namespace vellora
