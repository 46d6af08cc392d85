#include "import/GpxImport.h"

#include <gtest/gtest.h>

#include "core/DateUtil.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/HandBuiltRecords.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "import/GpxTestFiles.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::GpxCache;
using test::TestHome;

// A cache k * 1.1 km north of the home at 49.5 / 11.
GpxCache cacheAt(const std::string& waypoint, int k) {
    GpxCache c;
    c.waypoint = waypoint;
    c.lat = formatFixed(49.5 + 0.01 * k, 5);
    c.name = "Cache " + waypoint;
    return c;
}

class GpxImportTest : public ::testing::Test {
protected:
    GpxImportTest() {
        ctx().settings.HomeLat = 49.5;
        ctx().settings.HomeLong = 11.0;
        ctx().settings.ShowMessages = true;
    }
    RunContext& ctx() { return home.ctx(); }

    void writeGpx(const std::vector<GpxCache>& caches, const std::string& name = "pq.gpx") {
        home.dir.write(name, test::gpxFile(caches));
    }
    // The database holds these caches as the GPX would give them.
    void writeDatabase(const std::vector<GpxCache>& caches) {
        std::string db;
        for (const GpxCache& c : caches) {
            test::HandRec r;
            r.id = std::stoi(c.id);
            r.name = c.name + " by " + c.owner;
            r.hidden = encodeDate(2006, 11, 5);
            r.lat = std::stod(c.lat);
            r.lon = std::stod(c.lon);
            r.type = c.type;
            r.size = c.container;
            r.waypoint = c.waypoint;
            r.difficulty = c.difficulty;
            r.terrain = c.terrain;
            r.country = 79;
            db += test::handCacheRec(r);
        }
        home.dir.write("Caches.bin", db);
        ASSERT_EQ(RebuildIndex(ctx()), 0);
    }
    TfrmGPXImp& openOn(const std::string& name = "pq.gpx") {
        dialog.setFile(home.dir.file(name));
        dialog.open();
        return dialog;
    }
    std::vector<std::string> pendingLines() const {
        std::vector<std::string> lines;
        for (const auto& e : dialog.pending()) lines.push_back(e.line);
        return lines;
    }
    std::vector<std::string> databaseWaypoints() {
        std::vector<std::string> wps;
        const TCacheList list = LoadAllCaches(ctx());
        for (int i = 0; i < list.count(); ++i) wps.push_back(list.at(i).Waypoint);
        return wps;
    }

    TestHome home;
    TfrmGPXImp dialog{home.ctx()};
};

TEST_F(GpxImportTest, OpeningCountsLinesAndDefinitionsAndTakesTheTitle) {
    writeGpx({cacheAt("GC1", 0), cacheAt("GC2", 1)});
    openOn();
    EXPECT_EQ(dialog.caption(), "GPX-Import [Meine Abfrage]");
    EXPECT_EQ(dialog.fileInfo(),
              "Importdatei: " + home.dir.file("pq.gpx") + " (36 Zeilen, 2 Cachedefinitionen)");
    EXPECT_TRUE(dialog.startEnabled());
    EXPECT_FALSE(dialog.workEnabled());
    EXPECT_EQ(dialog.centreChoices(), std::vector<std::string>{"HOME"});
    EXPECT_FALSE(dialog.centreEnabled());
    EXPECT_EQ(dialog.options.Radius, "10");
}

TEST_F(GpxImportTest, BothPassesWithTheRadiusSearch) {
    // In the database: GC1 identical, GC2 changed inside the radius, GC3 on a page already saved.
    const GpxCache same = cacheAt("GC1", 0);
    GpxCache changedInDb = cacheAt("GC2", 1);
    writeDatabase({same, changedInDb});
    changedInDb.name = "Neuer Name";
    changedInDb.difficulty = "3";
    std::vector<GpxCache> caches = {same, changedInDb};
    for (int k = 0; k < 15; ++k) caches.push_back(cacheAt("GCA" + std::to_string(k), k));
    caches.push_back(cacheAt("GCFAR", 500));  // 550 km away
    GpxCache unnamed = cacheAt("", 0);
    caches.push_back(unnamed);
    writeGpx(caches);
    makeDirs(home.dir.file("sub"));
    home.dir.write("sub/gca3.html", "alt");
    home.dir.write("GCA4_converted.html", "konvertiert");
    home.dir.write("WPList.txt", "GCOLD\r\nGCA0\r\n");

    openOn();
    dialog.options.RadSrch = true;
    dialog.setRadiusText("20,5");
    EXPECT_EQ(dialog.options.Radius, "20.5");
    dialog.btnStartClick();
    EXPECT_EQ(dialog.outputLines().front(), "---------- Pass 1: GPX-Datei wird eingelesen ----------");
    EXPECT_EQ(dialog.outputLines()[1], "0 - GC1: Cache GC1 by Hans");
    EXPECT_EQ(dialog.outputLines()[2], "1 - GC2: Neuer Name by Hans");
    EXPECT_EQ(dialog.counterText(), "19 Cachedefinitionen gefunden, 1 unterschiedlich, 16 neu, 1 alt");
    ASSERT_EQ(dialog.pending().size(), 17u);
    EXPECT_EQ(pendingLines()[0], "GC2: Diff=Cachename, Difficulty");
    EXPECT_EQ(pendingLines()[1], "GCA0: Neu (05.11.2006)");
    EXPECT_TRUE(dialog.showingPending());
    EXPECT_FALSE(dialog.startEnabled());
    EXPECT_TRUE(dialog.workEnabled());

    dialog.btnWorkClick();
    EXPECT_FALSE(dialog.isOpen());
    EXPECT_EQ(dialog.runState(), RunState::ClosedAfterRun);
    EXPECT_EQ(dialog.inserted(), 16);
    EXPECT_EQ(dialog.corrected(), 1);

    // The database: GC2 updated in place, the new ones appended, the index rebuilt.
    auto wps = databaseWaypoints();
    ASSERT_EQ(wps.size(), 18u);
    EXPECT_EQ(wps[1], "GC2");
    TCacheRec rec;
    ASSERT_TRUE(FindCache(ctx(), "GC2", rec));
    EXPECT_EQ(rec.CacheName, "Neuer Name by Hans");
    EXPECT_EQ(rec.Difficulty, "3");
    ASSERT_TRUE(FindCache(ctx(), "GCFAR", rec));

    // Fifteen new caches within 20.5 km go to the top of the work list; the changed one does not.
    std::vector<std::string> expectedList;
    for (int k = 0; k < 15; ++k) expectedList.push_back("GCA" + std::to_string(k));
    expectedList.push_back("GCOLD");
    expectedList.push_back("GCA0");
    EXPECT_EQ(readListFile(home.dir.file("WPList.txt")), expectedList);

    // Pages for the collected caches, except where one is saved already (in a subdirectory too).
    EXPECT_TRUE(home.dir.exists("GCA0.html"));
    EXPECT_FALSE(home.dir.exists("GCA3.html"));
    EXPECT_TRUE(home.dir.exists("GCA4.html"));
    EXPECT_FALSE(home.dir.exists("GC2.html"));
    EXPECT_FALSE(home.dir.exists("GCFAR.html"));
    EXPECT_NE(home.dir.read("GCA0.html").find("<p>Beschreibung GCA0</p></span></BLOCKQUOTE>"),
              std::string::npos);

    const auto infos = home.host.textsOf(MsgKind::Information);
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0],
              "Datenbankupdate abgeschlossen.\r\n\r\n16 neue Caches wurden in die Datenbank eingef\xFCgt.\r\n"
              "1 Korrekturen wurden an vorhandenen Caches vorgenommen.");
    std::string report = "Es wurden 15 Caches in die Arbeitsliste eingef\xFCgt:\r\n\r\n";
    for (int k = 0; k < 10; ++k)
        report += "GCA" + std::to_string(k) + ": Cache GCA" + std::to_string(k) + " by Hans\r\n";
    report += "(Liste nach 10 Eintr\xE4gen abgschnitten)";
    EXPECT_EQ(infos[1], report);
}

TEST_F(GpxImportTest, RadiusAroundAnAdditionalHome) {
    ctx().settings.AddHomeTxt = {"Ferien"};
    ctx().settings.AddHomeLat = {"52.00000"};
    ctx().settings.AddHomeLon = {"13.00000"};
    writeDatabase({});
    GpxCache there = cacheAt("GCB1", 0);
    there.lat = "52.01";
    there.lon = "13";
    writeGpx({cacheAt("GCA1", 0), there});
    openOn();
    EXPECT_TRUE(dialog.centreEnabled());
    ASSERT_TRUE(dialog.setCentreByName("ferien"));
    EXPECT_EQ(dialog.centre(), 1);
    dialog.options.RadSrch = true;
    dialog.options.GetDescr = false;
    dialog.btnStartClick();
    dialog.btnWorkClick();
    EXPECT_EQ(readListFile(home.dir.file("WPList.txt")), std::vector<std::string>{"GCB1"});
    EXPECT_FALSE(home.dir.exists("GCB1.html"));
    EXPECT_EQ(home.host.textsOf(MsgKind::Information)[1],
              "Es wurden 1 Caches in die Arbeitsliste eingef\xFCgt:\r\n\r\nGCB1: Cache GCB1 by Hans\r\n");
}

TEST_F(GpxImportTest, NothingInTheRadiusIsSaidWhateverShowMessagesSays) {
    ctx().settings.ShowMessages = false;
    writeDatabase({});
    writeGpx({cacheAt("GCA1", 100)});
    openOn();
    dialog.options.RadSrch = true;
    dialog.btnStartClick();
    dialog.btnWorkClick();
    EXPECT_EQ(home.host.textsOf(MsgKind::Information),
              std::vector<std::string>{
                  "Die Radiussuche hat ergeben, dass keiner der eingef\xFCgten Caches im "
                  "angegebenen Radius um das gew\xE4hlte Home liegen.\r\nEs wurden keine Caches "
                  "in die Arbeitsliste eingef\xFCgt."});
    EXPECT_FALSE(home.dir.exists("WPList.txt"));
    EXPECT_EQ(databaseWaypoints(), std::vector<std::string>{"GCA1"});
}

TEST_F(GpxImportTest, WrongRadiusStopsPassTwo) {
    writeDatabase({});
    writeGpx({cacheAt("GCA1", 0)});
    for (const char* radius : {"", "0", "abc", "1.2.3", "-5"}) {
        TfrmGPXImp d(ctx());
        d.setFile(home.dir.file("pq.gpx"));
        d.open();
        d.options.RadSrch = true;
        d.btnStartClick();
        d.options.Radius = radius;
        d.btnWorkClick();
        EXPECT_TRUE(d.isOpen()) << radius;
        EXPECT_TRUE(d.workEnabled()) << radius;
        d.close();
    }
    EXPECT_EQ(home.host.textsOf(MsgKind::Error).size(), 5u);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error)[0], "Der eingegebene Radius ist falsch.");
    EXPECT_TRUE(databaseWaypoints().empty());
}

TEST_F(GpxImportTest, NothingNewClosesTheDialogWithoutRadiusSearch) {
    writeDatabase({cacheAt("GC1", 0)});
    writeGpx({cacheAt("GC1", 0)});
    openOn();
    dialog.btnStartClick();
    EXPECT_FALSE(dialog.isOpen());
    EXPECT_EQ(home.host.textsOf(MsgKind::Information),
              std::vector<std::string>{"Die GPX-Datei enthielt keine neuen Caches oder Updates."});
}

TEST_F(GpxImportTest, RemovedEntriesAreNotImportedAndInspectionShowsBothRecords) {
    GpxCache old = cacheAt("GC2", 0);
    writeDatabase({old});
    GpxCache changed = old;
    changed.terrain = "5";
    writeGpx({cacheAt("GCA1", 0), changed, cacheAt("GCA2", 0)});
    openOn();
    dialog.btnStartClick();
    ASSERT_EQ(dialog.pending().size(), 3u);
    const auto view = dialog.inspect(1);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->kind, TfrmGPXImp::Kind::Changed);
    EXPECT_EQ(view->imported.Terrain, "5");
    ASSERT_TRUE(view->existing);
    EXPECT_EQ(view->existing->Terrain, "1.5");
    EXPECT_FALSE(dialog.inspect(0)->existing);
    EXPECT_FALSE(dialog.inspect(7));
    dialog.removeEntry(0);
    dialog.btnWorkClick();
    EXPECT_EQ(databaseWaypoints(), (std::vector<std::string>{"GC2", "GCA2"}));
    TCacheRec rec;
    ASSERT_TRUE(FindCache(ctx(), "GC2", rec));
    EXPECT_EQ(rec.Terrain, "5");
}

// A name that is no waypoint would become a listing page's file name and a work-list line: it is
// refused with its reason, and the other caches of the file arrive as usual.
TEST_F(GpxImportTest, NamesThatAreNoWaypointsAreRefusedAndTheRestImported) {
    ctx().settings.OutDir = home.dir.file("a/out");
    makeDirs(ctx().outDirPath());
    writeGpx({cacheAt("../../x_escaped", 0), cacheAt("GC&#13;&#10;ZQ", 0), cacheAt("gc7", 0)});
    openOn();
    dialog.options.RadSrch = true;
    dialog.options.GetDescr = true;
    dialog.btnStartClick();
    EXPECT_EQ(
        dialog.refusedWaypoints(),
        (std::vector<std::string>{
            "Ung\xFCltiger Wegpunkt \"../../x_escaped\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt",
            "Ung\xFCltiger Wegpunkt \"GC\\x0D\\x0AZQ\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"}));
    const auto warnings = home.host.textsOf(MsgKind::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("2 Cachedefinitionen werden nicht importiert:\r\n", 0), 0u) << warnings[0];
    EXPECT_EQ(pendingLines(), std::vector<std::string>{"GC7: Neu (05.11.2006)"});
    dialog.btnWorkClick();
    EXPECT_EQ(databaseWaypoints(), std::vector<std::string>{"GC7"});
    EXPECT_EQ(home.dir.read("WPList.txt"), "GC7\r\n");
    EXPECT_TRUE(home.dir.exists("a/out/GC7.html"));
    EXPECT_FALSE(home.dir.exists("x_escaped.html"));
}

TEST_F(GpxImportTest, BadFileImportsNothing) {
    writeDatabase({});
    std::vector<GpxCache> caches = {cacheAt("GCA1", 0), cacheAt("GCA2", 0)};
    caches[1].lon = "east";
    writeGpx(caches);
    openOn();
    dialog.btnStartClick();
    EXPECT_TRUE(dialog.pending().empty());
    EXPECT_FALSE(dialog.workEnabled());
    ASSERT_EQ(home.host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_NE(home.host.textsOf(MsgKind::Error)[0].find("lon=\"east\""), std::string::npos);
    dialog.close();

    // An element closed by the wrong tag: no repair can tell what was meant.
    std::string text = test::gpxFile({cacheAt("GCA1", 0), cacheAt("GCA2", 0)});
    text.replace(text.rfind("</urlname>"), 10, "</name>");
    home.dir.write("broken.gpx", text);
    openOn("broken.gpx");
    dialog.btnStartClick();
    EXPECT_FALSE(dialog.workEnabled());
    EXPECT_NE(home.host.textsOf(MsgKind::Error).back().find("ist fehlerhaft"), std::string::npos);
    dialog.close();
    EXPECT_TRUE(databaseWaypoints().empty());
}

TEST_F(GpxImportTest, MissingDatabaseIsCreatedWithoutAWordAndDuplicatesAreWrittenOnce) {
    writeGpx({cacheAt("GCA1", 0), cacheAt("GCA1", 1), cacheAt("GCA2", 0)});
    openOn();
    dialog.btnStartClick();  // a new home has an empty database, no error
    EXPECT_TRUE(home.host.textsOf(MsgKind::Error).empty());
    EXPECT_TRUE(home.host.textsOf(MsgKind::Warning).empty());
    ASSERT_EQ(dialog.pending().size(), 3u);
    dialog.btnWorkClick();
    EXPECT_EQ(databaseWaypoints(), (std::vector<std::string>{"GCA1", "GCA2"}));
    EXPECT_EQ(dialog.inserted(), 2);
    TCacheRec rec;
    EXPECT_TRUE(FindCache(ctx(), "GCA2", rec));
}

TEST_F(GpxImportTest, OptionsAreKeptOnlyWhenAskedTo) {
    writeGpx({cacheAt("GCA1", 0)});
    IniFile& conf = ctx().programConf();
    openOn();
    dialog.options.RadSrch = true;
    dialog.options.Radius = "7.5";
    dialog.close();
    EXPECT_EQ(conf.readString(kProgramSection, "GPXImpSaveOpts", "?"), "0");
    EXPECT_EQ(conf.readString(kProgramSection, "GPXImpRadius", "none"), "none");

    openOn();
    dialog.options.SaveOpts = true;
    dialog.options.GetDescr = false;
    dialog.close();
    EXPECT_EQ(conf.readString(kProgramSection, "GPXImpRadius", "none"), "7.5");
    EXPECT_FALSE(conf.readBool(kProgramSection, "GPXImpGetDescr", true));
    EXPECT_TRUE(conf.readBool(kProgramSection, "GPXImpRadSrch", false));
    EXPECT_TRUE(conf.readBool(kProgramSection, "GPXImpKeepOld", false));

    // A new run reads them back.
    TfrmGPXImp fresh(ctx());
    fresh.setFile(home.dir.file("pq.gpx"));
    fresh.open();
    EXPECT_TRUE(fresh.options.SaveOpts);
    EXPECT_TRUE(fresh.options.RadSrch);
    EXPECT_FALSE(fresh.options.GetDescr);
    EXPECT_EQ(fresh.options.Radius, "7.5");
    fresh.close();

    // An empty radius takes the setting Radius with one decimal.
    conf.writeString(kProgramSection, "GPXImpRadius", "");
    ctx().settings.Radius = 12.34;
    TfrmGPXImp empty(ctx());
    empty.setFile(home.dir.file("pq.gpx"));
    empty.open();
    EXPECT_EQ(empty.options.Radius, "12.3");
}

}  // namespace
}  // namespace vellora
