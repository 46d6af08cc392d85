#include "import/DbFromListings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

#include "core/DateUtil.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/HandBuiltRecords.h"
#include "support/TestHome.h"

#if __has_include("sim/SitePages.h")
#include "sim/SitePages.h"
#include "sim/World.h"
#define VELLORA_HAVE_SIM 1
#endif

namespace vellora {
namespace {

using test::TestHome;

struct Page {
    std::string waypoint = "GC1234";
    std::string name = "Gro&szlig;er &amp; Stein";
    std::string owner = "by <a href=\"/profile/?u=hans\">Hans</a> [<a href=\"/x\">view other caches</a>]";
    std::string latLon = "<b>N 49&#176; 12.345 E 010&#176; 58.123</b>";
    std::string type = "This is a <a href=\"/about/cache_types.aspx\">Multi-cache</a> cache.";
    std::string size = "<td class=\"Charcoal_Header\">Size:</td><td width=\"80\">&nbsp;Regular&nbsp;</td>";
    std::string difficulty = "1.5";
    std::string terrain = "2";
    std::string location = "In Germany";
    std::string hidden = "5/3/2006";
    char waypointQuote = '"';

    std::string html() const {
        std::string latLonText = latLon;
        // Pages carry the degree sign itself.
        for (std::size_t p; (p = latLonText.find("&#176;")) != std::string::npos;)
            latLonText.replace(p, 6, "\xB0");
        const std::string q(1, waypointQuote);
        return "<html><head><title>" + waypoint +
               "</title></head>\n<body>\n"
               "<span id=\"CacheName\">" +
               name +
               "</span><br>\n"
               "<span id=\"CacheOwner\">" +
               owner +
               "</span>\n"
               "Hidden: <span id=\"DateHidden\">" +
               hidden +
               "</span>\n"
               "<span id=\"Difficulty\"><img src=\"/images/stars/x.gif\" alt=\"" +
               difficulty +
               " out of 5\"></span>\n"
               "<span id=\"Terrain\"><img src=\"/images/stars/y.gif\" alt=\"" +
               terrain +
               " out of 5\"></span>\n"
               "<table><tr>" +
               size +
               "</tr></table>\n"
               "<span id=" +
               q + "WaypointName" + q + ">" + waypoint +
               "</span>\n"
               "<span id=\"lnkDetails\">" +
               type +
               "</span>\n"
               "<span id=\"LatLon\">" +
               latLonText +
               "</span>\n"
               "<span id=\"Location\">" +
               location +
               "</span>\n"
               "</body></html>\n";
    }
};

TEST(ReadListingCoordinates, Table) {
    struct Case {
        const char* text;
        double lat, lon;
    };
    const Case cases[] = {
        {"N 49\xB0 12.345 E 010\xB0 58.123", 49.20575, 10.968717},
        {"S 33\xB0 52.000 W 151\xB0 12.500", -33.866667, -151.208333},
        {"N 00\xB0 30.000 E 000\xB0 30.000", 0.5, 0.5},
        {"N49\xB0"
         "12.345W010\xB0"
         "58.123",
         49.20575, -10.968717},
        {"N 49\xB0 E 10\xB0", 49, 10},
        {"N \xB0 30 E \xB0 15", 0.5, 0.25},
        {"N 49 12.345 E 010 58.123", 0, 0},                   // no degree signs
        {"N 49\xB0 12.345", 0, 0},                            // no E or W
        {"N 49\xB0 12.3.45 E 010\xB0 58.123", 0, 10.968717},  // unreadable minutes
        {"(N) 49\xB0 12.345, E 010\xB0 58.123 ;", 49.20575, 10.968717},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        double lat = -1, lon = -1;
        ReadListingCoordinates(c.text, lat, lon);
        EXPECT_NEAR(lat, c.lat, 5e-7) << c.text;
        EXPECT_NEAR(lon, c.lon, 5e-7) << c.text;
    }
}

TEST(SameCacheData, ComparesTheListedFields) {
    TCacheRec a;
    a.CacheName = "Am Bach";
    a.Lat = 49.5;
    a.Lon = 10.75;
    a.HiddenDate = encodeDate(2006, 5, 3);
    a.CacheType = "Multi-cache";
    a.CacheSize = "Regular";
    a.Difficulty = "1.5";
    a.Terrain = "2";
    a.CountryID = 79;
    struct Case {
        const char* what;
        void (*change)(TCacheRec&);
        bool same;
    };
    const Case cases[] = {
        {"identical", [](TCacheRec&) {}, true},
        {"name in other case", [](TCacheRec& r) { r.CacheName = "AM BACH"; }, true},
        {"latitude 0.00001 off", [](TCacheRec& r) { r.Lat += 0.00001; }, true},
        {"longitude 0.0000167 off", [](TCacheRec& r) { r.Lon -= 0.0000166; }, true},
        {"latitude 0.00002 off", [](TCacheRec& r) { r.Lat += 0.00002; }, false},
        {"type in other case", [](TCacheRec& r) { r.CacheType = "MULTI-CACHE"; }, true},
        {"size differs", [](TCacheRec& r) { r.CacheSize = "Small"; }, false},
        {"difficulty 1,5", [](TCacheRec& r) { r.Difficulty = "1,5"; }, false},
        {"terrain differs", [](TCacheRec& r) { r.Terrain = "2.5"; }, false},
        {"date differs", [](TCacheRec& r) { r.HiddenDate += 1; }, false},
        {"country differs", [](TCacheRec& r) { r.CountryID = 20; }, false},
        {"other fields are not compared",
         [](TCacheRec& r) {
             r.CacheID = 5;
             r.HomeDist = 3;
             r.Valid = 1;
             r.Waypoint = "GCX";
         },
         true},
    };
    for (const Case& c : cases) {
        TCacheRec b = a;
        c.change(b);
        EXPECT_EQ(SameCacheData(b, a), c.same) << c.what;
    }
}

class SavedListings : public ::testing::Test {
protected:
    void writePage(const std::string& name, const Page& page) { home.dir.write(name, page.html()); }
    std::string dbPath() { return home.workFile("Caches.bin"); }

    TestHome home;
};

TEST_F(SavedListings, ReadsEveryFieldOfAPage) {
    writePage("GC1234.htm", Page{});
    const TCacheRec r = ReadSavedListing(home.ctx(), home.workFile("GC1234"));
    EXPECT_EQ(r.Waypoint, "GC1234");
    EXPECT_EQ(r.CacheName, "Gro&szlig;er & Stein by Hans ");
    EXPECT_NEAR(r.Lat, 49.20575, 5e-7);
    EXPECT_NEAR(r.Lon, 10.968717, 5e-7);
    EXPECT_EQ(r.CacheType, "Multi-cache");
    EXPECT_EQ(r.CacheSize, "Regular");
    EXPECT_EQ(r.Difficulty, "1.5");
    EXPECT_EQ(r.Terrain, "2");
    EXPECT_EQ(r.CountryID, 79);
    EXPECT_EQ(r.HiddenDate, encodeDate(2006, 5, 3));
    EXPECT_EQ(r.CacheID, 0);
    EXPECT_EQ(r.HomeDist, 0);
    EXPECT_EQ(r.Valid, 0);
}

TEST_F(SavedListings, PageVariants) {
    struct Case {
        const char* what;
        void (*change)(Page&);
        void (*check)(const TCacheRec&);
    };
    const Case cases[] = {
        {"waypoint in single quotes",
         [](Page& p) {
             p.waypointQuote = '\'';
             p.waypoint = "gc1234567890abcd";
         },
         [](const TCacheRec& r) { EXPECT_EQ(r.Waypoint, "GC1234567890ABCD"); }},
        {"waypoint longer than 16 is refused, not cut", [](Page& p) { p.waypoint = "GC12345678901234567"; },
         [](const TCacheRec& r) { EXPECT_EQ(r, TCacheRec{}); }},
        {"waypoint that climbs out is refused", [](Page& p) { p.waypoint = "../template"; },
         [](const TCacheRec& r) { EXPECT_EQ(r, TCacheRec{}); }},
        {"no waypoint span", [](Page& p) { p.waypointQuote = '`'; },
         [](const TCacheRec& r) { EXPECT_EQ(r, TCacheRec{}); }},
        {"saved without login",
         [](Page& p) { p.latLon = "<a href=\"/login\">You must be logged in</a> to see coordinates"; },
         [](const TCacheRec& r) { EXPECT_EQ(r, TCacheRec{}); }},
        {"southern and western hemisphere",
         [](Page& p) { p.latLon = "S 12&#176; 30.000 W 077&#176; 01.800"; },
         [](const TCacheRec& r) {
             EXPECT_NEAR(r.Lat, -12.5, 5e-7);
             EXPECT_NEAR(r.Lon, -77.03, 5e-7);
         }},
        {"date with two-digit month", [](Page& p) { p.hidden = "12/24/2005"; },
         [](const TCacheRec& r) { EXPECT_EQ(r.HiddenDate, encodeDate(2005, 12, 24)); }},
        {"unreadable date", [](Page& p) { p.hidden = "24.12.2005"; },
         [](const TCacheRec& r) { EXPECT_EQ(r.HiddenDate, 0); }},
        {"impossible date", [](Page& p) { p.hidden = "2/30/2005"; },
         [](const TCacheRec& r) { EXPECT_EQ(r.HiddenDate, 0); }},
        {"unknown country", [](Page& p) { p.location = "In Atlantis"; },
         [](const TCacheRec& r) { EXPECT_EQ(r.CountryID, 0); }},
        {"type without the phrase", [](Page& p) { p.type = "<b>Traditional Cache</b>"; },
         [](const TCacheRec& r) { EXPECT_EQ(r.CacheType, "Traditional Cache"); }},
        {"long type is cut", [](Page& p) { p.type = "This is a Cache In Trash Out Event cache."; },
         [](const TCacheRec& r) { EXPECT_EQ(r.CacheType, "Cache In Trash Out E"); }},
        {"no size table", [](Page& p) { p.size = "<td>Regular</td>"; },
         [](const TCacheRec& r) { EXPECT_EQ(r.CacheSize, ""); }},
        {"UTF-8 name and owner",
         [](Page& p) {
             p.name = "B\xC3\xA4renh\xC3\xB6hle";
             p.owner = "by M\xC3\xBCller";
         },
         [](const TCacheRec& r) {
             EXPECT_EQ(r.CacheName,
                       "B\xE4renh\xF6hle by M\xFC"
                       "ller");
         }},
        {"long name is cut after the owner is added",
         [](Page& p) {
             p.name = std::string(118, 'n');
             p.owner = "by Ann";
         },
         [](const TCacheRec& r) { EXPECT_EQ(r.CacheName, std::string(118, 'n') + " b"); }},
        {"no rating text", [](Page& p) { p.difficulty = ""; },
         [](const TCacheRec& r) { EXPECT_EQ(r.Difficulty, ""); }},
    };
    for (const Case& c : cases) {
        Page page;
        c.change(page);
        writePage("GC1234.html", page);
        SCOPED_TRACE(c.what);
        c.check(ReadSavedListing(home.ctx(), home.workFile("GC1234")));
    }
}

TEST_F(SavedListings, HtmlIsPreferredToHtmAndNamesMayDifferInCase) {
    Page htm, html;
    htm.name = "from htm";
    html.name = "from html";
    writePage("gc77.htm", htm);
    EXPECT_EQ(ReadSavedListing(home.ctx(), home.workFile("GC77")).CacheName.substr(0, 8), "from htm");
    writePage("GC77.HTML", html);
    EXPECT_EQ(ReadSavedListing(home.ctx(), home.workFile("GC77")).CacheName.substr(0, 9), "from html");
    EXPECT_EQ(ReadSavedListing(home.ctx(), home.workFile("GC78")), TCacheRec{});
}

TEST_F(SavedListings, RunAddsNewCachesAndKeepsAProtocol) {
    Page a;
    Page b;
    b.waypoint = "GC5678";
    b.name = "Zweiter";
    Page loggedOut;
    loggedOut.latLon = "logged in only";
    writePage("GC1234.htm", a);
    writePage("GC1234_converted.html", a);
    writePage("gc1234_old.htm", a);
    writePage("GCBAD.html", loggedOut);
    writePage("XY1.html", a);
    writePage("gc5678.html", b);
    home.dir.write("notes.txt", "x");
    // GC5678 is in the database already; the work list knows GC1234 in lower case.
    home.dir.write("Caches.bin", test::handCacheRec("GC5678"));
    home.dir.write("WPList.txt", "GC0001\r\ngc5678\r\n");
    ASSERT_EQ(RebuildIndex(home.ctx()), 0);

    TfrmDbFromListings dialog(home.ctx());
    int refreshed = 0;
    dialog.onDatabaseChanged = [&] { ++refreshed; };
    dialog.btnStartClick();
    EXPECT_EQ(dialog.protocol(), (std::vector<std::string>{
                                     "GC1234",
                                     "GCBAD",
                                     "GC5678",
                                     "GC1234: Gro&szlig;er & Stein by Hans  (Neu)",
                                     "GCBAD: Fehler beim Extrahieren der Daten",
                                     "GC5678: bereits vorhanden, wird \xFC"
                                     "bersprungen",
                                     "Fertig. 1 neu, 1 \xFC"
                                     "bersprungen, 0 ge\xE4ndert.",
                                 }));
    EXPECT_EQ(dialog.newCount(), 1);
    EXPECT_EQ(dialog.skippedCount(), 1);
    EXPECT_EQ(dialog.changedCount(), 0);
    EXPECT_FALSE(dialog.startEnabled());
    EXPECT_TRUE(dialog.closeEnabled());
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(home.host.messages.empty());

    const std::string db = home.dir.read("Caches.bin");
    ASSERT_EQ(db.size(), 2u * 296);
    EXPECT_EQ(decodeCacheRec(db.data() + 296), ReadSavedListing(home.ctx(), home.workFile("GC1234")));
    EXPECT_EQ(home.dir.read("Caches.idx").size(), 2u * 24);
    EXPECT_TRUE(home.ctx().cacheIndex.empty());
    EXPECT_EQ(home.dir.read("WPList.txt"), "GC0001\r\ngc5678\r\nGC1234\r\n");
}

TEST_F(SavedListings, WorkListOptionOffLeavesTheListAlone) {
    writePage("GC1234.htm", Page{});
    home.dir.write("WPList.txt", "GC0001\r\n");
    TfrmDbFromListings dialog(home.ctx());
    dialog.addToWorkList = false;
    dialog.btnStartClick();
    EXPECT_EQ(dialog.newCount(), 1);
    EXPECT_EQ(home.dir.read("WPList.txt"), "GC0001\r\n");
    // The database did not exist: the run starts it.
    EXPECT_EQ(home.dir.read("Caches.bin").size(), 296u);
}

TEST_F(SavedListings, UpdateReplacesChangedRecordsInPlace) {
    Page same, changed;
    changed.waypoint = "GC2";
    same.waypoint = "GC1";
    writePage("GC1.html", same);
    writePage("GC2.html", changed);
    TCacheRec r1 = ReadSavedListing(home.ctx(), home.workFile("GC1"));
    TCacheRec r2 = ReadSavedListing(home.ctx(), home.workFile("GC2"));
    r1.Lat += 0.00001;  // within the coordinates' precision
    r1.CacheID = 777;
    r2.CacheName = "Old name";
    home.dir.write("Caches.bin", test::handCacheRec("GC0") + encodeCacheRec(r2) + encodeCacheRec(r1));
    ASSERT_EQ(RebuildIndex(home.ctx()), 0);

    TfrmDbFromListings dialog(home.ctx());
    dialog.existing = TfrmDbFromListings::Existing::Update;
    dialog.addToWorkList = false;
    dialog.btnStartClick();
    EXPECT_EQ(dialog.protocol().at(2), "GC1: vorhanden mit gleichen Daten");
    EXPECT_EQ(dialog.protocol().at(3), "GC2: vorhanden mit anderen Daten -> Update");
    EXPECT_EQ(dialog.skippedCount(), 1);
    EXPECT_EQ(dialog.changedCount(), 1);
    const std::string db = home.dir.read("Caches.bin");
    ASSERT_EQ(db.size(), 3u * 296);
    EXPECT_EQ(decodeCacheRec(db.data() + 296), ReadSavedListing(home.ctx(), home.workFile("GC2")));
    EXPECT_EQ(decodeCacheRec(db.data() + 2 * 296).CacheID, 777);  // the skipped record is untouched
}

TEST_F(SavedListings, OtherDirectoryAndItsChooser) {
    TfrmDbFromListings dialog(home.ctx());
    home.host.answerNextFolder(home.dir.file("pages"));
    dialog.btnBrowseClick();
    ASSERT_EQ(home.host.dialogs.size(), 1u);
    EXPECT_EQ(home.host.dialogs[0].title, "Bitte Verzeichnis ausw\xE4hlen");
    EXPECT_EQ(home.host.dialogs[0].startDir, home.ctx().programDirPath());
    EXPECT_EQ(dialog.directory, TfrmDbFromListings::Directory::Other);
    EXPECT_EQ(dialog.otherDirectory, home.dir.file("pages"));

    ASSERT_EQ(makeDirs(home.dir.file("pages")), 0);
    home.dir.write("pages/GC1234.html", Page{}.html());
    dialog.btnStartClick();
    EXPECT_EQ(dialog.newCount(), 1);

    home.host.answerNextFolder(std::nullopt);
    dialog.btnBrowseClick();
    EXPECT_EQ(home.host.dialogs[1].startDir, home.dir.file("pages"));
    EXPECT_EQ(dialog.otherDirectory, home.dir.file("pages"));
}

TEST_F(SavedListings, NoDirectoryAndNoPages) {
    TfrmDbFromListings dialog(home.ctx());
    dialog.directory = TfrmDbFromListings::Directory::Other;
    dialog.btnStartClick();
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text, "Kein Suchverzeichnis festgelegt.");
    EXPECT_TRUE(dialog.startEnabled());

    dialog.directory = TfrmDbFromListings::Directory::Output;
    dialog.btnStartClick();
    ASSERT_EQ(home.host.messages.size(), 2u);
    EXPECT_EQ(home.host.messages[1].kind, MsgKind::Information);
    EXPECT_EQ(home.host.messages[1].text, "Keine Cachebeschreibungen im angegebenen Verzeichnis gefunden.");
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
}

#ifdef VELLORA_HAVE_SIM
// Pages of the stand-in listing site: the fields both layouts share are read as the site wrote them.
TEST_F(SavedListings, PagesOfTheStandInSite) {
    sim::WorldParams params;
    params.seed = 3;
    params.caches = 60;
    params.today = encodeDate(2006, 12, 8);
    const sim::World world(params);
    const sim::SiteAddresses site{"http://127.0.0.1:1", "http://127.0.0.1:1/img"};
    int compared = 0;
    for (int i = 0; i < world.size(); ++i) {
        const std::string page = sim::renderListingPage(world, i, site, false, false);
        if (page.find("<span id=\"LatLon\">") == std::string::npos) continue;  // spans in single quotes
        home.dir.write(world.waypoint(i) + ".html", page);
        const TCacheRec r = ReadSavedListing(home.ctx(), home.workFile(world.waypoint(i)));
        SCOPED_TRACE(world.waypoint(i));
        EXPECT_EQ(r.Waypoint, world.waypoint(i));
        EXPECT_NEAR(r.Lat, world.lat(i), 0.0000084);
        EXPECT_NEAR(r.Lon, world.lon(i), 0.0000084);
        EXPECT_EQ(r.Difficulty, world.difficultyText(i));
        EXPECT_EQ(r.Terrain, world.terrainText(i));
        EXPECT_EQ(r.HiddenDate, world.hiddenDate(i));
        ++compared;
    }
    EXPECT_GT(compared, 20);
}
#endif

}  // namespace

// A page whose position is off the globe (or not a number at all) is reported and never stored,
// so that one page cannot make the whole database look invalid.
TEST_F(SavedListings, PositionsOffTheGlobeAreRefused) {
    Page good;
    good.waypoint = "GC2";
    writePage("GC2.html", good);
    const std::string hugeDegrees(400, '9');
    const struct {
        const char* waypoint;
        std::string latLon;
    } cases[] = {
        {"GC1", "<b>N 95&#176; 00.000 E 010&#176; 58.123</b>"},
        {"GC3", "<b>N " + hugeDegrees + "&#176; 00.000 E 010&#176; 58.123</b>"},
        {"GC4", "<b>N 49&#176; 00.000 W 181&#176; 00.000</b>"},
    };
    for (const auto& c : cases) {
        Page bad;
        bad.waypoint = c.waypoint;
        bad.latLon = c.latLon;
        writePage(std::string(c.waypoint) + ".html", bad);
    }
    TfrmDbFromListings dialog(home.ctx());
    dialog.existing = TfrmDbFromListings::Existing::Update;
    dialog.addToWorkList = false;
    dialog.btnStartClick();
    const std::string fault =
        "Koordinaten au\xDF"
        "erhalb des g\xFCltigen Bereichs";
    const auto& protocol = dialog.protocol();
    for (const char* wp : {"GC1", "GC3", "GC4"})
        EXPECT_NE(std::find(protocol.begin(), protocol.end(), std::string(wp) + ": " + fault), protocol.end())
            << wp;
    EXPECT_EQ(dialog.newCount(), 1);
    const std::string db = home.dir.read("Caches.bin");
    ASSERT_EQ(db.size(), 296u);
    EXPECT_EQ(decodeCacheRec(db.data()).Waypoint, "GC2");
    EXPECT_TRUE(CheckCacheDB(home.ctx()));
}

}  // namespace vellora
