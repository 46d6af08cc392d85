#include <gtest/gtest.h>

#include <cmath>

#include "core/DateUtil.h"
#include "formats/GpxReader.h"
#include "import/GpxImport.h"
#include "import/GpxListingPage.h"
#include "import/GpxTestFiles.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::GpxCache;
using test::TestHome;

struct Read {
    GpxReadResult result;
    std::vector<TCacheRec> records;
    std::vector<GpxWaypoint> waypoints;
    std::string badCoordinates;
};

Read readAll(RunContext& ctx, const std::string& text) {
    Read r;
    r.result = readGpxText(text, [&](const GpxWaypoint& w) {
        r.waypoints.push_back(w);
        TCacheRec rec;
        if (!gpxCacheRecord(ctx, w, rec, r.badCoordinates)) return false;
        r.records.push_back(rec);
        return true;
    });
    return r;
}

// ---- values of the database record ----

TEST(GpxRecord, ValuesAreReadAsXmlDefinesThem) {
    TestHome home;
    GpxCache c;
    c.waypoint = "GC1ABC";
    c.name =
        "Caf&#xE9; &amp;amp; <![CDATA[<Kuchen>]]> \xD0\x9F\xD1\x80\xD0\xB8 \xE2\x80\x9E"
        "Eck\xE2\x80\x9C";
    c.owner = "J\xC3\xB6rg &amp; Co";
    c.type = "Geocache|Multi-cache";
    c.container = "Not chosen";
    c.country = "germany";
    c.id = "12345";
    const Read r = readAll(home.ctx(), test::gpxFile({c}));
    ASSERT_TRUE(r.result.ok) << r.result.errorText;
    ASSERT_EQ(r.records.size(), 1u);
    const TCacheRec& rec = r.records[0];
    EXPECT_EQ(rec.Waypoint, "GC1ABC");
    // UTF-8 decoded into Windows-1252; Cyrillic has no place there.
    EXPECT_EQ(rec.CacheName,
              "Caf\xE9 & <Kuchen> ??? \x84"
              "Eck\x93 by J\xF6rg & Co");
    EXPECT_EQ(rec.CacheID, 12345);
    EXPECT_EQ(rec.HiddenDate, encodeDate(2006, 11, 5));
    EXPECT_EQ(rec.Lat, 49.5);
    EXPECT_EQ(rec.Lon, 11.0);
    EXPECT_EQ(rec.CacheType, "Multi-cache");
    EXPECT_EQ(rec.CacheSize, "");
    EXPECT_EQ(rec.Difficulty, "2");
    EXPECT_EQ(rec.Terrain, "1.5");
    EXPECT_EQ(rec.CountryID, 79);
    EXPECT_EQ(rec.Valid, 1);
}

// GPX 1.1 with the extension 1.0.1 under <extensions> and another prefix, a byte-order mark, LF
// line ends, elements of other extensions with the same local names, and nested names that must
// not be taken for the cache's.
TEST(GpxRecord, Gpx11WithExtensionsOtherPrefixesAndForeignElements) {
    TestHome home;
    const std::string text =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:x=\"urn:other\">\n"
        "<metadata><name>Meta</name></metadata>\n"
        "<wpt lat=\" 48.25\" lon=\"-8.125\" x:flag=\"1\">\n"
        "  <x:name>falsch</x:name>\n"
        "  <time>2010-02-28T08:00:00Z</time>\n"
        "  <name>GC2XYZ</name>\n"
        "  <link href=\"http://example.test/\"><text>Br&#252;cke</text></link>\n"
        "  <extensions>\n"
        "    <x:cache><x:name>auch falsch</x:name></x:cache>\n"
        "    <gs:cache id=\"x12\" xmlns:gs=\"http://www.groundspeak.com/cache/1/0/1\">\n"
        "      <gs:name>Br&#252;cke</gs:name>\n"
        "      <gs:placed_by>Eva</gs:placed_by>\n"
        "      <gs:type>Unknown Cache</gs:type>\n"
        "      <gs:container>Other</gs:container>\n"
        "      <gs:terrain>4.5</gs:terrain>\n"
        "      <gs:country>Nirgendwo</gs:country>\n"
        "      <gs:travelbugs><gs:travelbug><gs:name>Bug</gs:name><gs:type>Traditional Cache</gs:type>"
        "</gs:travelbug></gs:travelbugs>\n"
        "    </gs:cache>\n"
        "  </extensions>\n"
        "</wpt>\n"
        "<wpt lat=\"1\" lon=\"2\"><sym>ohne Namen</sym></wpt>\n"
        "</gpx>\n";
    const Read r = readAll(home.ctx(), text);
    ASSERT_TRUE(r.result.ok) << r.result.errorText;
    ASSERT_EQ(r.records.size(), 2u);
    const TCacheRec& rec = r.records[0];
    EXPECT_EQ(rec.Waypoint, "GC2XYZ");
    EXPECT_EQ(rec.CacheName,
              "Br\xFC"
              "cke by Eva");
    EXPECT_EQ(rec.CacheID, -1);  // not an integer
    EXPECT_EQ(rec.HiddenDate, encodeDate(2010, 2, 28));
    EXPECT_EQ(rec.Lat, 48.25);
    EXPECT_EQ(rec.Lon, -8.125);
    EXPECT_EQ(rec.CacheType, "Unknown Cache");
    EXPECT_EQ(rec.CacheSize, "");
    EXPECT_EQ(rec.Difficulty, "0.0");  // missing
    EXPECT_EQ(rec.Terrain, "4.5");
    EXPECT_EQ(rec.CountryID, 0);
    // The element carries its own bytes.
    EXPECT_EQ(text.substr(r.waypoints[0].begin, 4), "<wpt");
    EXPECT_EQ(text.substr(r.waypoints[0].end - 6, 6), "</wpt>");
    // A waypoint without a name has an empty one (counted, not imported).
    EXPECT_EQ(r.records[1].Waypoint, "");
}

TEST(GpxRecord, CutsLongTextsAndRefusesBadDates) {
    TestHome home;
    struct Case {
        std::string time;
        TDateTime expected;
    } cases[] = {
        {"2006-11-05", encodeDate(2006, 11, 5)},
        {"2006-02-30T00:00:00", 0},
        {"0000-01-01T00:00:00", 0},
        {"06-11-05", 0},
        {"", 0},
        {"2006-1x-05", 0},
    };
    for (const Case& c : cases) {
        GpxCache g;
        g.time = c.time;
        g.name = std::string(150, 'n');
        g.container =
            "Sehr sehr gro\xC3\x9F und noch gr\xC3\xB6\xC3\x9F"
            "er";
        g.difficulty = "1.25";
        const Read r = readAll(home.ctx(), test::gpxFile({g}));
        ASSERT_EQ(r.records.size(), 1u) << c.time;
        EXPECT_EQ(r.records[0].HiddenDate, c.expected) << c.time;
        EXPECT_EQ(r.records[0].CacheName.size(), 120u);
        EXPECT_EQ(r.records[0].CacheSize, "Sehr sehr gro\xDF und n");
        EXPECT_EQ(r.records[0].Difficulty, "1.2");
    }
}

TEST(GpxRecord, CoordinatesOffTheGlobeOrNotNumbersStopTheReading) {
    TestHome home;
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "11"}, {"91", "11"}, {"-90.5", "0"}, {"45", "180.01"}, {"nan", "1"},
        {"1", "inf"},  {"", "1"},    {"49,5", "11"}, {"1e400", "1"},
    };
    for (const auto& [lat, lon] : cases) {
        GpxCache bad;
        bad.lat = lat;
        bad.lon = lon;
        bad.waypoint = "GC2";
        GpxCache good;
        good.waypoint = "GC3";
        const Read r = readAll(home.ctx(), test::gpxFile({GpxCache(), bad, good}));
        EXPECT_TRUE(r.result.stopped) << lat << " " << lon;
        EXPECT_EQ(r.records.size(), 1u) << lat << " " << lon;
        EXPECT_NE(r.badCoordinates.find("lat=\"" + lat + "\""), std::string::npos) << r.badCoordinates;
    }
    for (const auto& [lat, lon] :
         {std::pair<std::string, std::string>{"90", "-180"}, {"-90", "180"}, {"0", "0"}}) {
        GpxCache edge;
        edge.lat = lat;
        edge.lon = lon;
        EXPECT_EQ(readAll(home.ctx(), test::gpxFile({edge})).records.size(), 1u) << lat << " " << lon;
    }
}

TEST(GpxRecord, MalformedFileIsAnErrorWithItsPlace) {
    TestHome home;
    std::string text = test::gpxFile({GpxCache(), GpxCache()});
    text.replace(text.rfind("</urlname>"), 10, "</urlnam>");
    const Read r = readAll(home.ctx(), text);
    EXPECT_FALSE(r.result.ok);
    EXPECT_EQ(r.records.size(), 1u);
    EXPECT_NE(r.result.errorText.find("Zeile "), std::string::npos);
}

TEST(GpxRecord, WindowsEncodedFileIsReadToo) {
    TestHome home;
    std::string text = test::gpxFile({GpxCache()});
    text.replace(text.find("utf-8"), 5, "windows-1252");
    text.replace(text.find("<urlname>Weiher"), 15, "<urlname>W\xE4her \x93x\x94");
    const Read r = readAll(home.ctx(), text);
    ASSERT_EQ(r.records.size(), 1u) << r.result.errorText;
    EXPECT_EQ(r.records[0].CacheName, "W\xE4her \x93x\x94 by Hans");
}

// ---- comparison with the database ----

TEST(CompareWithDatabase, DifferenceTexts) {
    TCacheRec base;
    base.CacheID = 7;
    base.CacheName = "Am Weiher by Hans";
    base.HiddenDate = 39000;
    base.Lat = 49.5;
    base.Lon = 11.0;
    base.CacheType = "Traditional Cache";
    base.CacheSize = "Small";
    base.Waypoint = "GC1";
    base.Difficulty = "2.0";
    base.Terrain = "1.5";
    base.CountryID = 79;
    struct Case {
        const char* what;
        void (*change)(TCacheRec&);
        CompareResult result;
        std::string diff;
    } cases[] = {
        {"same", [](TCacheRec&) {}, CompareResult::Identical, ""},
        {"case of texts",
         [](TCacheRec& r) {
             r.CacheName = "AM WEIHER BY HANS";
             r.CacheType = "TRADITIONAL CACHE";
             r.CacheSize = "small";
         },
         CompareResult::Identical, ""},
        {"0.0005 degrees",
         [](TCacheRec& r) {
             r.Lat += 0.0005;
             r.Lon -= 0.0005;
         },
         CompareResult::Identical, ""},
        {"0.002 degrees",
         [](TCacheRec& r) {
             r.Lat += 0.002;
             r.Lon -= 0.002;
         },
         CompareResult::Changed, "Breitengrad, L\xE4ngengrad"},
        {"difficulty 2 against 2.0", [](TCacheRec& r) { r.Difficulty = "2"; }, CompareResult::Changed,
         "Difficulty"},
        {"id and name",
         [](TCacheRec& r) {
             r.CacheID = -1;
             r.CacheName = "Anders";
         },
         CompareResult::Changed, "Cache-ID , Cachename"},
        {"all",
         [](TCacheRec& r) {
             r.CacheID = 8;
             r.CacheName = "x";
             r.HiddenDate += 0.5;
             r.Lat = 0;
             r.Lon = 0;
             r.CacheType = "Multi-cache";
             r.CacheSize = "";
             r.Difficulty = "1";
             r.Terrain = "1";
             r.CountryID = 0;
         },
         CompareResult::Changed,
         "Cache-ID , Cachename, Versteckdatum, Breitengrad, L\xE4ngengrad, Cachetyp, Cachegr\xF6\xDF"
         "e, Difficulty, "
         "Terrain, L\xE4nder-ID"},
    };
    for (const Case& c : cases) {
        TCacheRec rec = base;
        c.change(rec);
        rec.HomeDist = 99;  // never compared
        std::string diff = "old";
        EXPECT_EQ(CompareWithDatabase(rec, &base, diff), c.result) << c.what;
        EXPECT_EQ(diff, c.diff) << c.what;
    }
    std::string diff;
    EXPECT_EQ(CompareWithDatabase(base, nullptr, diff), CompareResult::New);
    TCacheRec noName = base;
    noName.Waypoint.clear();
    EXPECT_EQ(CompareWithDatabase(noName, &base, diff), CompareResult::NoWaypoint);
}

// ---- listing pages ----

const std::string kSite = "http://site.test";
const std::string kImg = "http://img.test";

std::string pageGpx() {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
           "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">\r\n"
           "  <name>PQ</name>\r\n"
           "  <wpt lat=\"49.5\" lon=\"11.25\">\r\n"
           "    <time>2006-11-05T00:00:00</time>\r\n"
           "    <name>GC1ABC</name>\r\n"
           "    <urlname>Am &amp; Weiher</urlname>\r\n"
           "    <groundspeak:cache id=\"123\" xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0\">\r\n"
           "      <groundspeak:name>Am &amp; Weiher</groundspeak:name>\r\n"
           "      <groundspeak:placed_by>J\xC3\xB6rg</groundspeak:placed_by>\r\n"
           "      <groundspeak:type>Multi-cache</groundspeak:type>\r\n"
           "      <groundspeak:container>Small</groundspeak:container>\r\n"
           "      <groundspeak:difficulty>2</groundspeak:difficulty>\r\n"
           "      <groundspeak:terrain>1.5</groundspeak:terrain>\r\n"
           "      <groundspeak:country>Germany</groundspeak:country>\r\n"
           "      <groundspeak:short_description html=\"False\">Kurz\r\n"
           "      zweite Zeile</groundspeak:short_description>\r\n"
           "      <groundspeak:long_description html=\"True\">&lt;p&gt;Lang&lt;/p&gt;\r\n"
           "&lt;B&gt;fett&lt;/B&gt;  </groundspeak:long_description>\r\n"
           "      <groundspeak:encoded_hints>Unter dem Stein</groundspeak:encoded_hints>\r\n"
           "      <groundspeak:logs>\r\n"
           "        <groundspeak:log id=\"1\">\r\n"
           "          <groundspeak:date>2006-11-05T19:00:00</groundspeak:date>\r\n"
           "          <groundspeak:type>Found it</groundspeak:type>\r\n"
           "          <groundspeak:finder id=\"7\">Hans</groundspeak:finder>\r\n"
           "          <groundspeak:text encoded=\"False\">TFTC\r\n"
           "Danke</groundspeak:text>\r\n"
           "        </groundspeak:log>\r\n"
           "        <groundspeak:log id=\"2\">\r\n"
           "          <groundspeak:date>2006-10-01T19:00:00</groundspeak:date>\r\n"
           "          <groundspeak:type>Write note</groundspeak:type>\r\n"
           "          <groundspeak:text encoded=\"False\">ohne Finder</groundspeak:text>\r\n"
           "        </groundspeak:log>\r\n"
           "        <groundspeak:log id=\"3\">\r\n"
           "          <groundspeak:date>2006-13-01T19:00:00</groundspeak:date>\r\n"
           "          <groundspeak:type>Didn't find it</groundspeak:type>\r\n"
           "          <groundspeak:finder id=\"8\">Eva</groundspeak:finder>\r\n"
           "          <groundspeak:text encoded=\"False\">Nix</groundspeak:text>\r\n"
           "        </groundspeak:log>\r\n"
           "      </groundspeak:logs>\r\n"
           "    </groundspeak:cache>\r\n"
           "  </wpt>\r\n"
           "</gpx>\r\n";
}

const std::string kNotice =
    "<BLOCKQUOTE><span id=\"LongDescription\"><table border=\"1\" width=\"100%\"><tr><td><center><strong>*** "
    "ACHTUNG ***</strong></center></td></tr><tr><td><p>Diese Beschreibung wurde aus einer GPX-Datei "
    "(PocketQuery) geladen. Sie ist deshalb m&ouml;glicherweise nicht vollst&auml;ndig. Fehlende Elemente "
    "k&ouml;nnen sein:</p><ul><li>Koordinaten im UTM-Format</li><li>Anzahl Besuche</li><li>Logeintr&auml;ge, "
    "falls diese 5 &uuml;bersteigen</li><li>S&auml;mtliche Cache-Images</li></ul><p>Vor der Cachesuche wird "
    "empfohlen, die Originalbeschreibung anzusehen!</p></td></tr></table><br>\r\n";

std::string pageHead(const std::string& title, const std::string& name, const std::string& owner) {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
           "<html><HEAD>\r\n"
           "  <title>" +
           title +
           "</title>\r\n"
           "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r\n"
           "</head>\r\n"
           "<body>\r\n"
           "<span id=\"CacheName\">" +
           name +
           "</span>\r\n"
           "<span id=\"CacheOwner\"><b><font size=\"2\">by " +
           owner + " [<A HREF=\"http://site.test/profile/?guid=abc\">profile</A>]</font></b></span>\r\n";
}

std::string logRow(const std::string& icon, const std::string& date, const std::string& finder,
                   const std::string& text) {
    return "    <tr>\r\n"
           "      <td VALIGN='TOP' ALIGN='LEFT'>\r\n"
           "<font face='Verdana' size='2'><STRONG>\r\n"
           "<IMG SRC=\"http://img.test/images/icons/" +
           icon + "\">&nbsp;" + date +
           " by <A NAME=\"0000000\"><A HREF=\"../profile/?guid=00000000-0000-0000-0000-000000000000\">" +
           finder + "</A></strong> (1 found)<br>\r\n\r\n" + text +
           "\r\n<br>\r\n</font>\r\n      </td>\r\n    </tr>\r\n";
}

TEST(GpxListingPage, WholePageByteForByte) {
    const auto page = gpxListingPageText(gpxTrimmedLines(pageGpx()), "GC1ABC", kSite, kImg);
    ASSERT_TRUE(page);
    const std::string expected =
        pageHead("(GC1ABC) Am &amp; Weiher", "Am &amp; Weiher", "J\xC3\xB6rg") +
        "<span id=\"Location\">In Germany</span>\r\n"
        "<span id=\"DateHidden\">11/05/2006</span>\r\n"
        "<span id=\"WaypointName\">GC1ABC</span>\r\n"
        "<span id=\"Difficulty\"><IMG SRC=\"http://img.test/images/stars/stars1.gif\" alt=\"2 out of 5\" "
        "title=\"2 out of 5\"></span>\r\n"
        "<span id=\"Terrain\"><IMG SRC=\"http://img.test/images/stars/stars1.gif\" alt=\"1.5 out of 5\" "
        "title=\"1.5 out of 5\"></span>\r\n"
        "<span id=\"ShortDescription\">Kurz<br>\r\nzweite Zeile</span>\r\n" +
        kNotice + "<p>Lang</p>\r\n<B>fett</B></span></BLOCKQUOTE>\r\n" +
        "<span id=\"Hints\">Hagre qrz Fgrva</span>\r\n"
        "<span id=\"CacheLogs\">\r\n"
        "  <table WIDTH=\"90%\" border=\"0\" cellpadding=\"5\" cellspacing=\"5\" BGCOLOR=\"#EEEEEE\">\r\n" +
        logRow("icon_smile.gif", "November 05, 2006", "Hans", "TFTC<BR>Danke") +
        logRow("icon_sad.gif", "??? 01, 2006", "Eva", "Nix") +
        "  </table>\r\n"
        "</span>\r\n"
        "</body>\r\n"
        "</HTML>\r\n";
    EXPECT_EQ(*page, expected);
}

TEST(GpxListingPage, CacheWithoutDescriptionsHintsOrLogs) {
    std::string gpx = test::gpxFile({GpxCache()});
    const std::size_t from = gpx.find("      <groundspeak:long_description");
    gpx.erase(from, gpx.find("    </groundspeak:cache>") - from);
    const auto page = gpxListingPageText(gpxTrimmedLines(gpx), "GC1000", kSite, kImg);
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, pageHead("(GC1000) Weiher", "Weiher", "Hans") +
                         "<span id=\"Location\">In Germany</span>\r\n"
                         "<span id=\"DateHidden\">11/05/2006</span>\r\n"
                         "<span id=\"WaypointName\">GC1000</span>\r\n"
                         "<span id=\"Difficulty\"><IMG SRC=\"http://img.test/images/stars/stars1.gif\" "
                         "alt=\"2 out of 5\" title=\"2 out of 5\"></span>\r\n"
                         "<span id=\"Terrain\"><IMG SRC=\"http://img.test/images/stars/stars1.gif\" "
                         "alt=\"1.5 out of 5\" title=\"1.5 out of 5\"></span>\r\n"
                         "</body>\r\n</HTML>\r\n");
}

TEST(GpxListingPage, NoPageWhenTheCacheLinesAreNotFound) {
    // Name split over two lines.
    std::string split = pageGpx();
    split.replace(split.find("<name>GC1ABC</name>"), 19, "<name>GC1ABC\r\n</name>");
    EXPECT_FALSE(gpxListingPageText(gpxTrimmedLines(split), "GC1ABC", kSite, kImg));
    // Another waypoint.
    EXPECT_FALSE(gpxListingPageText(gpxTrimmedLines(pageGpx()), "GC9999", kSite, kImg));
    // No <wpt line above the name.
    std::string noWpt = pageGpx();
    noWpt.replace(noWpt.find("<wpt"), 4, "<rte");
    EXPECT_FALSE(gpxListingPageText(gpxTrimmedLines(noWpt), "GC1ABC", kSite, kImg));
    // The name on the very first line.
    EXPECT_FALSE(gpxListingPageText({"<name>GC1ABC</name>", "</wpt>"}, "GC1ABC", kSite, kImg));
}

TEST(GpxListingPage, LongDescriptionWithoutHtmlGetsBreaks) {
    std::string gpx = pageGpx();
    gpx.replace(gpx.find("<groundspeak:long_description html=\"True\">"), 42,
                "<groundspeak:long_description html=\"False\">");
    const auto page = gpxListingPageText(gpxTrimmedLines(gpx), "GC1ABC", kSite, kImg);
    ASSERT_TRUE(page);
    EXPECT_NE(page->find(kNotice +
                         "&lt;p&gt;Lang&lt;/p&gt;<br>\r\n&lt;B&gt;fett&lt;/B&gt;</span></BLOCKQUOTE>\r\n"),
              std::string::npos);
}

TEST(GpxListingPage, TrimmedLinesAcceptEveryLineEnd) {
    EXPECT_EQ(gpxTrimmedLines("  a\r\n\tb\nc\r d\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(gpxTrimmedLines("x\r\n\r\ny"), (std::vector<std::string>{"x", "", "y"}));
}

}  // namespace
}  // namespace vellora
