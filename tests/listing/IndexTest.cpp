#include "listing/Index.h"

#include <gtest/gtest.h>

#include <regex>

#include "core/DateUtil.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

struct CacheEntry {
    std::string waypoint, name;
    double lat = 50, lon = 10;
    double hidden = 0;
    std::string type = "Traditional Cache", size = "Regular", difficulty = "1.5", terrain = "2";
};

// 1/60 degree of latitude, so that the coordinate texts stay readable: N 50° 5.000 and so on.
constexpr double kMinute = 1.0 / 60.0;

class IndexPage : public ::testing::Test {
protected:
    IndexPage() {
        ctx().settings.HomeLat = 50;
        ctx().settings.HomeLong = 10;
    }

    RunContext& ctx() { return home.ctx(); }
    std::string dir() { return ctx().outDirPath(); }

    // Caches.bin built through the database API.
    void makeDb(const std::vector<CacheEntry>& caches) {
        home.dir.write("Caches.bin", "");
        for (const CacheEntry& c : caches) {
            TCacheRec r;
            r.Waypoint = c.waypoint;
            r.CacheName = c.name;
            r.Lat = c.lat;
            r.Lon = c.lon;
            r.HiddenDate = c.hidden;
            r.CacheType = c.type;
            r.CacheSize = c.size;
            r.Difficulty = c.difficulty;
            r.Terrain = c.terrain;
            ASSERT_TRUE(AppendCache(ctx(), r));
        }
        ASSERT_EQ(RebuildIndex(ctx()), 0);
    }
    void converted(std::initializer_list<const char*> waypoints, const std::string& sub = "") {
        for (const char* w : waypoints) {
            const std::string path = dir() + sub + w + "_converted.html";
            ASSERT_EQ(writeFileAtomic(path, "<html></html>\r\n"), 0);
        }
    }
    // The waypoints of the table rows (or of the list entries), in page order.
    static std::vector<std::string> linkedWaypoints(const std::string& page) {
        static const std::regex kRow(
            R"(<td><a href="\./([^"]+)_converted\.html" target="_cache">\1</a></td>)");
        static const std::regex kEntry(R"(<a href="\./([^"]+)_converted\.html" target="_cache">\1</a>: )");
        std::vector<std::string> out;
        for (const std::regex* re : {&kRow, &kEntry}) {
            for (auto it = std::sregex_iterator(page.begin(), page.end(), *re); it != std::sregex_iterator();
                 ++it)
                out.push_back((*it)[1]);
        }
        return out;
    }
    IndexPageInput input(std::vector<std::string> waypoints) {
        IndexPageInput in;
        in.dir = dir();
        in.waypoints = std::move(waypoints);
        in.homeName = "HOME";
        in.homeLat = 50;
        in.homeLon = 10;
        return in;
    }

    test::TestHome home;
};

TEST_F(IndexPage, TableVariantByteForByte) {
    makeDb({{"GC1", "Alte M\xFChle", 50 + 5 * kMinute, 10, encodeDate(2006, 5, 17), "Traditional Cache", "",
             "0.0", "0.0"},
            {"GC2",
             "Br\xFC"
             "cke <neu>",
             50, 10, encodeDate(2005, 3, 1), "Multi-cache", "Regular", "2.5", "1.5"}});
    const std::string page = BuildIndexPage(ctx(), input({"GC1", "GC2", "GC3"}), IndexOptions{});
    EXPECT_EQ(page,
              "<html>\r\n"
              "<head>\r\n"
              "<title>Index der konvertierten Beschreibungen</title>\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
              "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self'; "
              "style-src 'self' 'unsafe-inline'; base-uri 'none'; form-action 'none'\">\r\n"
              "<style type=\"text/css\">\r\n"
              "<!--\r\n"
              "  body { color:black; font-family:\"Arial\"; font-size:12px }\r\n"
              "  p { color:black; font-family:\"Arial\"; font-size:12px }\r\n"
              "  td { color:black; font-family:\"Arial\"; font-size:12px }\r\n"
              "  h1 { color:black; font-family:\"Arial\"; font-weight:normal; font-size:16px }\r\n"
              "-->\r\n"
              "</style>\r\n"
              "</head>\r\n"
              "<body bgcolor=\"#FFFFFF\">\r\n"
              "<H1>Index der konvertierten Cachebeschreibungen</H1>\r\n"
              "<p>Folgende konvertierte Cachebeschreibungen stehen zur Verf\xFCgung:</p>\r\n"
              "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr bgcolor=\"#F0F0F0\">\r\n"
              "<td>Waypoint</td>\r\n"
              "<td>Cache-Name</td>\r\n"
              "<td>Versteckt am</td>\r\n"
              "<td>Koordinaten</td>\r\n"
              "<td>Home-Entf.</td>\r\n"
              "<td>Cachetyp</td>\r\n"
              "<td>Cachegr&ouml;&szlig;e</td>\r\n"
              "<td>Diff./Terrain</td>\r\n"
              "</tr>\r\n"
              // Sorted by distance: GC2 lies on the home itself.
              "<tr>\r\n"
              "<td><a href=\"./GC2_converted.html\" target=\"_cache\">GC2</a></td>\r\n"
              "<td><a href=\"./GC2_converted.html\" target=\"_cache\">Br\xFC"
              "cke &lt;neu&gt;</a></td>\r\n"
              "<td>01.03.2005</td>\r\n"
              "<td>N 50\xB0 0.000 E 010\xB0 0.000</td>\r\n"
              "<td>0.0km N</td>\r\n"
              "<td>Multi-cache</td>\r\n"
              "<td>Regular</td>\r\n"
              "<td>2.5 / 1.5</td>\r\n"
              "</tr>\r\n"
              "<tr>\r\n"
              "<td><a href=\"./GC1_converted.html\" target=\"_cache\">GC1</a></td>\r\n"
              "<td><a href=\"./GC1_converted.html\" target=\"_cache\">Alte M\xFChle</a></td>\r\n"
              "<td>17.05.2006</td>\r\n"
              "<td>N 50\xB0 5.000 E 010\xB0 0.000</td>\r\n"
              "<td>9.3km N</td>\r\n"
              "<td>Traditional Cache</td>\r\n"
              "<td>?</td>\r\n"
              "<td>0 / 0</td>\r\n"
              "</tr>\r\n"
              "</table>\r\n"
              "</body></html>\r\n");
}

TEST_F(IndexPage, PocketPCVariantKeepsDirectoryOrderAndNamesUnknownCaches) {
    makeDb({{"GC1", "Eins", 51}, {"GC2", "Zwei", 50}});
    IndexOptions o;
    o.pocketPC = true;
    const std::string page = BuildIndexPage(ctx(), input({"GC2", "GCX", "GC1"}), o);
    EXPECT_EQ(page,
              "<html>\r\n<head>\r\n<title>Index der konvertierten Beschreibungen</title>\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
              "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self'; "
              "style-src 'self' 'unsafe-inline'; base-uri 'none'; form-action 'none'\">\r\n"
              "</head><body bgcolor=\"#FFFFFF\">\r\n"
              "<H1>Index der konvertierten Cachebeschreibungen</H1>\r\n"
              "<p>Folgende konvertierte Cachebeschreibungen stehen zur Verf\xFCgung:</p>\r\n"
              "<p>\r\n"
              "<a href=\"./GC2_converted.html\" target=\"_cache\">GC2</a>: Zwei<br>\r\n"
              "<a href=\"./GCX_converted.html\" target=\"_cache\">GCX</a>: unbekannt<br>\r\n"
              "<a href=\"./GC1_converted.html\" target=\"_cache\">GC1</a>: Eins<br>\r\n"
              "</p>\r\n"
              "</body></html>\r\n");
}

TEST_F(IndexPage, ColumnsSwitchedOffLeaveHeaderAndCellsOut) {
    makeDb({{"GC1", "Eins", 50, 10, encodeDate(2006, 1, 1), "Letterbox Hybrid", "Micro", "3", "4"}});
    IndexOptions o;
    o.colName = o.colCoord = o.colDistance = o.colSize = false;
    const std::string page = BuildIndexPage(ctx(), input({"GC1"}), o);
    const std::string table = page.substr(page.find("<table"));
    EXPECT_EQ(table,
              "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr bgcolor=\"#F0F0F0\">\r\n"
              "<td>Waypoint</td>\r\n<td>Versteckt am</td>\r\n<td>Cachetyp</td>\r\n<td>Diff./Terrain</td>\r\n"
              "</tr>\r\n<tr>\r\n<td><a href=\"./GC1_converted.html\" target=\"_cache\">GC1</a></td>\r\n"
              "<td>01.01.2006</td>\r\n<td>Letterbox Hybrid</td>\r\n<td>3 / 4</td>\r\n</tr>\r\n</table>\r\n"
              "</body></html>\r\n");
}

// Every sort column, ascending and descending, over rows whose text order differs from the
// numeric one and with ties that must keep the directory order.
TEST_F(IndexPage, SortRules) {
    const double km = 1.0 / 111.19492664455873;  // degrees of latitude per kilometre on the sphere
    makeDb({
        {"GC5", "beta", 50 + 100 * km, 10, encodeDate(2006, 1, 15) + 0.9, "Virtual Cache", "small", "2", "2"},
        {"GC3", "Alpha", 50 + 9.5 * km, 10, encodeDate(2007, 6, 1), "multi-cache", "Large", "1.5", "1"},
        {"GC4", "Gamma", 50 + 10.2 * km, 10, encodeDate(2006, 1, 15) + 0.1, "Traditional Cache", "", "1",
         "5"},
        {"gc1", "delta", 50 + 10.2 * km, 10, encodeDate(2006, 1, 15) + 0.5, "Event Cache", "Micro", "5", "1"},
    });
    const std::vector<std::string> dirOrder = {"GC5", "GC3", "GC4", "gc1"};
    struct Case {
        IndexSort sort;
        std::vector<std::string> ascending;
    };
    const Case cases[] = {
        {IndexSort::Waypoint, {"gc1", "GC3", "GC4", "GC5"}},
        // 15.01.2006 three times (stable), then 01.06.2007: not the order of the texts.
        {IndexSort::HiddenDate, {"GC5", "GC4", "gc1", "GC3"}},
        // 9.5 before 10.2 (twice, stable) before 100: not the order of the texts.
        {IndexSort::Distance, {"GC3", "GC4", "gc1", "GC5"}},
        {IndexSort::Name, {"GC3", "GC5", "gc1", "GC4"}},
        {IndexSort::Type, {"gc1", "GC3", "GC4", "GC5"}},
        {IndexSort::DifficultyTerrain, {"GC4", "GC3", "GC5", "gc1"}},
        {IndexSort::Size, {"GC4", "GC3", "gc1", "GC5"}},
        {IndexSort::Coordinates, {"GC3", "GC4", "gc1", "GC5"}},
    };
    for (const Case& c : cases) {
        IndexOptions o;
        o.sortOrder = static_cast<int>(c.sort);
        EXPECT_EQ(linkedWaypoints(BuildIndexPage(ctx(), input(dirOrder), o)), c.ascending)
            << "sort " << o.sortOrder;
        o.ascDesc = 1;
        std::vector<std::string> descending(c.ascending.rbegin(), c.ascending.rend());
        EXPECT_EQ(linkedWaypoints(BuildIndexPage(ctx(), input(dirOrder), o)), descending)
            << "sort " << o.sortOrder << " descending";
    }
}

TEST_F(IndexPage, DistanceSortWithoutDistanceColumnStillMeasuresFromTheHome) {
    // From the point 0, 0 GC2 would come first; from the home (50, 10) GC1 is the nearer one.
    makeDb({{"GC1", "Ost", 50, 11},
            {"GC2",
             "S\xFC"
             "d",
             49, 10}});
    IndexOptions o;
    o.colDistance = false;
    EXPECT_EQ(linkedWaypoints(BuildIndexPage(ctx(), input({"GC2", "GC1"}), o)),
              (std::vector<std::string>{"GC1", "GC2"}));
}

TEST_F(IndexPage, AdditionalHomeNamesColumnAndNote) {
    makeDb({{"GC1", "Eins", 48, 11}});
    IndexPageInput in = input({"GC1"});
    in.additionalHome = true;
    in.homeName = "Ferienhaus";
    in.homeLat = 48 + 6 * kMinute;
    in.homeLon = 11;
    const std::string page = BuildIndexPage(ctx(), in, IndexOptions{});
    EXPECT_NE(
        page.find("</p>\r\n<p><b>Hinweis:</b> Die angegebene Cache-Entfernung bezieht sich auf Ferienhaus "
                  "(N 48\xB0 6.000 E 011\xB0 0.000)</p>\r\n<table"),
        std::string::npos);
    EXPECT_NE(page.find("<td>Entf. von Ferienhaus</td>\r\n"), std::string::npos);
    EXPECT_NE(page.find("<td>11.1km S</td>\r\n"), std::string::npos);

    // Without the distance column the note has nothing to explain.
    IndexOptions o;
    o.colDistance = false;
    EXPECT_EQ(BuildIndexPage(ctx(), in, o).find("Cache-Entfernung"), std::string::npos);
}

TEST_F(IndexPage, WaypointFromFileNameKeepsTheLinkToItsFile) {
    converted({"GC1", "GC2_alt"});
    ASSERT_EQ(writeFileAtomic(dir() + "gc3_CONVERTED.HTML", "x"), 0);
    ASSERT_EQ(writeFileAtomic(dir() + "GC4.html", "x"), 0);
    ASSERT_EQ(writeFileAtomic(dir() + "XY5_converted.html", "x"), 0);
    EXPECT_EQ(ConvertedWaypoints(dir()), (std::vector<std::string>{"GC1", "GC2_alt", "gc3"}));
}

// The dialog ------------------------------------------------------------------------------

class IndexDialog : public IndexPage {
protected:
    IniFile& conf() { return ctx().programConf(); }
    std::string readIndex() { return home.dir.read("index.html"); }
};

TEST_F(IndexDialog, WorkListOnlyGivesOneLinkAndTheNoteInBothVariants) {
    makeDb({{"GC1", "Eins"}, {"GC2", "Zwei"}});
    converted({"GC1", "GC2"});
    home.dir.write("WPList.txt", "gc2\r\n");
    for (const bool ppc : {false, true}) {
        TfrmIndex dlg(ctx());
        dlg.open();
        dlg.options.addWhich = 0;
        dlg.options.pocketPC = ppc;
        ASSERT_TRUE(dlg.btnOKClick());
        const std::string page = readIndex();
        EXPECT_EQ(linkedWaypoints(page), std::vector<std::string>{"GC2"}) << ppc;
        EXPECT_NE(
            page.find(
                "<p><b>Hinweis:</b> Die Liste enth\xE4lt lediglich die Caches, die beim Erzeugen in der "
                "Arbeitsliste enthalten waren.</p>\r\n"),
            std::string::npos);
    }
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(IndexDialog, UnreadableWorkListIsReportedAndLeavesEveryCacheOut) {
    makeDb({{"GC1", "Eins"}});
    converted({"GC1"});
    TfrmIndex dlg(ctx());
    dlg.open();
    dlg.options.addWhich = 0;
    ASSERT_TRUE(dlg.btnOKClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(
        home.host.messages[0].text.rfind(
            "Fehler beim Lesen der Datei " + home.workFile("WPList.txt") + "\r\n\r\nFehlercode: 2\r\n", 0),
        0u);
    EXPECT_TRUE(linkedWaypoints(readIndex()).empty());
}

TEST_F(IndexDialog, OpeningTextsWritingOpeningTheBrowserAndRunState) {
    makeDb({{"GC1", "Eins"}});
    converted({"GC1", "GC2"});
    TfrmIndex dlg(ctx());
    EXPECT_EQ(dlg.runState(), RunState::NotRun);
    dlg.open();
    EXPECT_EQ(dlg.countText(), "Das Ausgabeverzeichnis enth\xE4lt 2 konvertierte Cachebeschreibungen.");
    EXPECT_EQ(dlg.indexDateText(), "Eine Indexdatei ist bislang nicht vorhanden.");
    EXPECT_EQ(dlg.options.fileName, dir() + "index.html");
    EXPECT_TRUE(dlg.okEnabled());
    EXPECT_FALSE(dlg.homeEnabled());
    ASSERT_TRUE(dlg.btnOKClick());
    EXPECT_FALSE(dlg.isOpen());
    EXPECT_EQ(dlg.runState(), RunState::ClosedAfterRun);
    EXPECT_EQ(home.host.opened, std::vector<std::string>{"file://" + dir() + "index.html"});
    // GC2 is not in the database: no row.
    EXPECT_EQ(linkedWaypoints(readIndex()), std::vector<std::string>{"GC1"});

    dlg.open();
    EXPECT_TRUE(
        std::regex_match(dlg.indexDateText(),
                         std::regex("Letztes \xC4nderungsdatum der Indexdatei: "
                                    "[0-3][0-9]\\. [01][0-9]\\. [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
        << dlg.indexDateText();
}

TEST_F(IndexDialog, NoConvertedDescriptions) {
    TfrmIndex dlg(ctx());
    dlg.open();
    EXPECT_EQ(home.host.textsOf(MsgKind::Warning),
              std::vector<std::string>{"Das Ausgabeverzeichnis \"" + dir() +
                                       "\" enth\xE4lt keine konvertierten Cachebeschreibungen!"});
    EXPECT_FALSE(dlg.okEnabled());
    EXPECT_FALSE(dlg.showImmediateEnabled());
    EXPECT_FALSE(dlg.btnOKClick());
    EXPECT_FALSE(home.dir.exists("index.html"));

    // Unattended: no warning, and the dialog closes so that the batch goes on.
    TfrmIndex batch(ctx());
    batch.setUnattended(true);
    batch.open();
    batch.startUnattended();
    EXPECT_FALSE(batch.isOpen());
    EXPECT_EQ(batch.runState(), RunState::ClosedAfterRun);
    EXPECT_EQ(home.host.messages.size(), 1u);
    EXPECT_FALSE(home.dir.exists("index.html"));
}

TEST_F(IndexDialog, IndexOutsideTheDirectoryAsksFirst) {
    makeDb({{"GC1", "Eins"}});
    converted({"GC1"});
    ASSERT_EQ(makeDirs(dir() + "woanders"), 0);
    const std::string outside = dir() + "woanders/index.html";
    TfrmIndex dlg(ctx());
    dlg.open();
    home.host.answerNextSave(outside);
    dlg.btnChooseFileClick();
    ASSERT_EQ(home.host.dialogs.size(), 1u);
    EXPECT_EQ(home.host.dialogs[0].filters.size(), 2u);
    EXPECT_EQ(home.host.dialogs[0].filters[0].name, "HTML-Datei");
    EXPECT_EQ(home.host.dialogs[0].filters[0].patterns, "*.html");
    EXPECT_EQ(home.host.dialogs[0].filters[1].name, "Alle Dateien");
    EXPECT_EQ(dlg.options.fileName, outside);

    home.host.answerNext(MsgResult::No);
    EXPECT_FALSE(dlg.btnOKClick());
    EXPECT_TRUE(dlg.isOpen());
    EXPECT_FALSE(fileExists(outside));
    const test::RecordedMessage& q = home.host.messages.back();
    EXPECT_EQ(q.kind, MsgKind::Warning);
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(
        q.text,
        "Die Indexdatei soll in einem Verzeichnis abgelegt werden, das nicht gleich dem Ausgabeverzeichnis "
        "\"" +
            dir() +
            "\" ist. Da die Indexdatei mit relativen Links arbeitet, wird ein Anklicken eines Links in der "
            "erzeugten Indexdatei zu einer Fehlermeldung f\xFChren, wenn die erzeugte Indexdatei nicht zuvor "
            "in "
            "das aktuelle Ausgabeverzeichnis verschoben wird.\r\n\r\nEmpfehlung: Die Indexdatei sollte im "
            "Ausgabeverzeichnis angelegt werden.\r\n\r\nSoll die Indexdatei trotzdem im angegebenen "
            "Verzeichnis "
            "erstellt werden?");

    home.host.answerNext(MsgResult::Yes);
    EXPECT_TRUE(dlg.btnOKClick());
    EXPECT_TRUE(fileExists(outside));

    home.host.expectScriptUsed();
}

TEST_F(IndexDialog, WriteErrorIsReportedAndTheDialogStaysOpen) {
    makeDb({{"GC1", "Eins"}});
    converted({"GC1"});
    ASSERT_EQ(makeDirs(dir() + "index.html/blocker"), 0);  // a directory where the file should go
    TfrmIndex dlg(ctx());
    dlg.open();
    EXPECT_FALSE(dlg.btnOKClick());
    EXPECT_TRUE(dlg.isOpen());
    EXPECT_EQ(dlg.runState(), RunState::Running);
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(
        errors[0].rfind("Fehler beim Schreiben der Datei " + dir() + "index.html\r\n\r\nFehlercode: ", 0),
        0u);
    EXPECT_TRUE(home.host.opened.empty());
    dlg.close();
    EXPECT_EQ(dlg.runState(), RunState::ClosedAfterRun);
}

TEST_F(IndexDialog, OptionsAreLoadedAndStoredOnlyWhenChosen) {
    makeDb({{"GC1", "Eins"}});
    converted({"GC1"});
    {
        // Without IdxSaveOpts the stored keys are ignored and only IdxSaveOpts is written.
        conf().writeBool(kProgramSection, "IdxPPC", true);
        TfrmIndex dlg(ctx());
        dlg.open();
        EXPECT_FALSE(dlg.options.pocketPC);
        dlg.options.colName = false;
        dlg.close();
        EXPECT_TRUE(conf().valueExists(kProgramSection, "IdxSaveOpts"));
        EXPECT_FALSE(conf().readBool(kProgramSection, "IdxSaveOpts", true));
        EXPECT_FALSE(conf().valueExists(kProgramSection, "IdxOOName"));

        // The controls keep their state between openings of the same dialog.
        dlg.open();
        EXPECT_FALSE(dlg.options.colName);
    }
    {
        TfrmIndex dlg(ctx());
        dlg.open();
        IndexOptions& o = dlg.options;
        o.saveOpts = true;
        o.pocketPC = true;
        o.colHidden = false;
        o.colDT = false;
        o.showImmediate = false;
        o.sortOrder = 6;
        o.ascDesc = 1;
        o.addWhich = 0;
        o.fileName = dir() + "liste.html";
        dlg.close();
        for (const char* key : {"IdxSaveOpts", "IdxPPC", "IdxOOName", "IdxOOHidden", "IdxOOCoord",
                                "IdxOODistance", "IdxOOType", "IdxOOSize", "IdxOODT", "IdxShowImmediate",
                                "IdxSortOrder", "IdxAscDesc", "IdxAddWhich", "IdxHome", "IdxFilename"})
            EXPECT_TRUE(conf().valueExists(kProgramSection, key)) << key;
    }
    home.restart();
    ctx().settings.AddHomeTxt = {"Ferienhaus"};
    ctx().settings.AddHomeLat = {"48.00000"};
    ctx().settings.AddHomeLon = {"11.00000"};
    conf().writeInteger(kProgramSection, "IdxHome", 1);
    TfrmIndex dlg(ctx());
    dlg.open();
    const IndexOptions& o = dlg.options;
    EXPECT_TRUE(o.saveOpts);
    EXPECT_TRUE(o.pocketPC);
    EXPECT_TRUE(o.colName);
    EXPECT_FALSE(o.colHidden);
    EXPECT_FALSE(o.colDT);
    EXPECT_FALSE(o.showImmediate);
    EXPECT_EQ(o.sortOrder, 6);
    EXPECT_EQ(o.ascDesc, 1);
    EXPECT_EQ(o.addWhich, 0);
    EXPECT_EQ(o.home, 1);
    EXPECT_TRUE(dlg.homeEnabled());
    EXPECT_EQ(dlg.homeItems(), (std::vector<std::string>{"HOME", "Ferienhaus"}));
    EXPECT_EQ(o.fileName, dir() + "liste.html");

    // A stored choice outside its list falls back to the built-in default.
    conf().writeInteger(kProgramSection, "IdxSortOrder", 8);
    conf().writeInteger(kProgramSection, "IdxHome", 2);
    dlg.open();
    EXPECT_EQ(dlg.options.sortOrder, 3);
    EXPECT_EQ(dlg.options.home, 0);
}

TEST_F(IndexDialog, HandedOverDirectoryTakesAllItsCachesAndItsOwnIndexFile) {
    makeDb({{"GC1", "Eins"}, {"GC2", "Zwei"}});
    converted({"GC1"});
    ASSERT_EQ(makeDirs(dir() + "Tour"), 0);
    converted({"GC2"}, "Tour/");
    home.dir.write("WPList.txt", "GC1\r\n");
    conf().writeBool(kProgramSection, "IdxSaveOpts", true);
    conf().writeInteger(kProgramSection, "IdxAddWhich", 0);
    conf().writeString(kProgramSection, "IdxFilename", dir() + "index.html");

    TfrmIndex dlg(ctx());
    dlg.open(dir() + "Tour");
    EXPECT_EQ(dlg.directory(), dir() + "Tour/");
    EXPECT_FALSE(dlg.addWhichEnabled());
    EXPECT_EQ(dlg.options.addWhich, 1);
    EXPECT_EQ(dlg.options.fileName, dir() + "Tour/index.html");
    ASSERT_TRUE(dlg.btnOKClick());
    const std::string page = home.dir.read("Tour/index.html");
    EXPECT_EQ(linkedWaypoints(page), std::vector<std::string>{"GC2"});
    EXPECT_EQ(page.find("Arbeitsliste"), std::string::npos);
    EXPECT_FALSE(home.dir.exists("index.html"));
    // The output directory's choices stay as they were stored.
    EXPECT_EQ(conf().readInteger(kProgramSection, "IdxAddWhich", -1), 0);
    EXPECT_EQ(conf().readString(kProgramSection, "IdxFilename", ""), dir() + "index.html");
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(IndexDialog, BatchRunWritesWithTheStoredOptionsAndCloses) {
    makeDb({{"GC1", "Eins"}});
    converted({"GC1"});
    conf().writeBool(kProgramSection, "IdxSaveOpts", true);
    conf().writeBool(kProgramSection, "IdxPPC", true);
    conf().writeBool(kProgramSection, "IdxShowImmediate", false);
    TfrmIndex dlg(ctx());
    dlg.setUnattended(true);
    dlg.open();
    dlg.startUnattended();
    EXPECT_EQ(dlg.runState(), RunState::ClosedAfterRun);
    EXPECT_NE(readIndex().find("GC1</a>: Eins<br>"), std::string::npos);
    EXPECT_TRUE(home.host.opened.empty());
    dlg.resetRunState();
    EXPECT_EQ(dlg.runState(), RunState::NotRun);
}

}  // namespace
}  // namespace vellora
