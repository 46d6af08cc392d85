#include "listing/CreateDescr.h"
#include "listing/PngCodec.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <map>

#include "HostileListingPage.h"
#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/IniFile.h"
#include "core/PersInfo.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

const std::string kBase = "https://www.vellora-listings.example";
const std::string kImg = "https://img.vellora-listings.example";

std::string fixturePath(const std::string& name) {
    return (std::filesystem::path(VELLORA_TEST_SOURCE_DIR) / "listing" / "fixtures" / name).string();
}

std::string fixture(const std::string& name) {
    return readFile(fixturePath(name)).value_or("");
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}
std::string be16(int v) {
    return bytes({(v >> 8) & 0xFF, v & 0xFF});
}
std::string be32(int v) {
    return be16(v >> 16) + be16(v & 0xFFFF);
}
std::string pngOf(int w, int h) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) +
           bytes({8, 2, 0, 0, 0});
}
std::string jpegOf(int w, int h) {
    return bytes({0xFF, 0xD8, 0xFF, 0xC0}) + be16(11) + bytes({8}) + be16(h) + be16(w) +
           bytes({3, 1, 0x22, 0});
}
std::string gifOf(int w, int h) {
    return "GIF89a" + bytes({w & 0xFF, (w >> 8) & 0xFF, h & 0xFF, (h >> 8) & 0xFF, 0, 0, 0});
}

// The values of the placeholders fixture: "[NAME]value[/NAME]".
std::map<std::string, std::string> placeholderValues(const std::string& converted) {
    std::map<std::string, std::string> values;
    std::size_t at = 0;
    while ((at = converted.find('[', at)) != std::string::npos) {
        const std::size_t close = converted.find(']', at);
        const std::string name = converted.substr(at + 1, close - at - 1);
        const std::string end = "[/" + name + "]";
        const std::size_t stop = converted.find(end, close);
        if (name.empty() || name[0] == '/' || stop == std::string::npos ||
            name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789") != std::string::npos) {
            at = close;
            continue;
        }
        values[name] = converted.substr(close + 1, stop - close - 1);
        at = stop + end.size();
    }
    return values;
}

void setLocalMtime(const std::string& path, int y, int mo, int d, int h, int mi) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    utimbuf times{t, t};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

class CreateDescrTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx().settings.HomeLat = 48.0;
        ctx().settings.HomeLong = 11.0;
        home.dir.write("Caches.bin", "");
        addCache("GC1A2B3", 48.135383333, 11.576116667, "Multi-cache", "Regular");
        addCache("GCGPX01", 48.2, 11.1, "Traditional Cache", "");
        ASSERT_EQ(RebuildIndex(ctx()), 0);
    }

    RunContext& ctx() { return home.ctx(); }
    std::string out() const { return home.dir.path() + "/"; }

    void addCache(const std::string& w, double lat, double lon, const std::string& type,
                  const std::string& size) {
        TCacheRec rec;
        rec.Waypoint = w;
        rec.CacheName = "Name " + w;
        rec.Lat = lat;
        rec.Lon = lon;
        rec.CacheType = type;
        rec.CacheSize = size;
        ASSERT_TRUE(AppendCache(ctx(), rec));
    }

    // The site page fixture with its images, image list, map and page time.
    void placeSitePage() {
        home.dir.write("GC1A2B3.html", fixture("GC1A2B3.html"));
        setLocalMtime(out() + "GC1A2B3.html", 2006, 11, 5, 14, 30);
        home.dir.write("GC1A2B3_i1.jpg", jpegOf(1000, 750));
        home.dir.write("GC1A2B3_i2.png", pngOf(300, 400));
        home.dir.write("GC1A2B3.meta",
                       "1#" + out() + "GC1A2B3_i1.jpg\r\n1#Blick vom Turm\r\n1#Im Herbst\r\n" +
                           "2#C:\\Vellora\\ausgabe\\GC1A2B3_i2.png\r\n2#Dose\r\n2#Das Versteck\r\n");
        home.dir.write("GC1A2B3_map.gif", gifOf(444, 340));
    }

    TCreateDescr& model() {
        if (!model_) {
            model_ = std::make_unique<TCreateDescr>(ctx());
            model_->options.TemplateFile = fixturePath("placeholders.html");
        }
        return *model_;
    }

    // Converts one cache as a run does and returns the placeholder values of the output.
    std::map<std::string, std::string> convert(const std::string& w) {
        TCreateDescr& m = model();
        m.prepareRun();
        EXPECT_TRUE(m.loadTemplate());
        EXPECT_EQ(m.convertCache(w), 0);
        return placeholderValues(home.dir.read(w + "_converted.html"));
    }

    test::TestHome home;
    std::unique_ptr<TCreateDescr> model_;
};

// ---- every placeholder from the site page ----

TEST_F(CreateDescrTest, EveryPlaceholderOfTheSitePage) {
    placeSitePage();
    home.dir.write("Buddies.txt", "moni\r\n\r\nVUVA\r\n");
    WriteNote(ctx(), "GC1A2B3", {"Dose ist magnetisch", "Stift mitnehmen"});
    model().options.MaxLogs = "3";
    const auto v = convert("GC1A2B3");
    ASSERT_EQ(v.size(), 48u);

    const std::map<std::string, std::string> expected = {
        {"LOGLIMITATIONS", "Die Ausgabe der Logs wurde auf maximal 3 beschr\xE4nkt."},
        {"CACHENAME", "Alte M\xFChle &amp; Steg"},
        {"CACHEOWNER", "by Hans Huber "},
        {"LATLON", "N 48\xB0 8.123 E 011\xB0 34.567"},
        {"UTMFORMAT", "32U E 691234 N 5334567"},
        {"LOCATION", "In Bayern, Germany"},
        {"DATEHIDDEN", "05. 11. 2006"},
        {"WAYPOINTNAME", "GC1A2B3"},
        {"DIFFICULTY", "2.5"},
        {"TERRAIN", "3.5"},
        {"ERRORTEXT", "This cache is temporarily unavailable."},
        {"SHORTDESCRIPTION", "Eine kurze Runde an der M\xFChle."},
        {"LONGDESCRIPTION",
         "<!-- Langbeschreibung Start -->\r\n<P>Der Cache liegt <span >nahe</span> am Bach.<BR>\r\nZweite "
         "Zeile\r\n Link Text\r\n<table ><tbody><tr><td >Zelle</td></tr></tbody></table></span></BLOCKQUOTE>"
         "\r\n\r\n<P><!-- Langbeschreibung Ende -->"},
        {"CACHEMAPFILENAME", "./GC1A2B3_map.gif"},
        {"CACHEMAP",
         "<img style=\"float: left; margin-right: 10px; margin-bottom: 10px;\" "
         "src=\"./GC1A2B3_map.gif\"align=\"left\" "
         "border=\"0\" vspace=\"5\" hspace=\"5\"><!-- Mapquest -->"},
        {"CACHEMAPLINK",
         "<A "
         "HREF=\"http://www.mapquest.example/maps/"
         "map.adp?latlongtype=decimal&latitude=48.135&longitude=11.576"
         "&zoom=6&style=RARE&size=medium\" target=\"_blank\">Mapquest-Karte</A>"},
        {"CACHELOGS",
         "\r\n<P><B><!-- [[LOG]] -->:-)&nbsp;November 5 by Vuva </B>(12 found)</B><BR>\r\nSchnell "
         "gefunden.</B>"
         "<BR>\r\n</B><BR>\r\n</P>\r\n<P><B><!-- [[LOG]] -->:-(&nbsp;November 3 by Pechvogel </B>(3 "
         "found)</B>"
         "<BR>\r\nNichts gefunden.</B><BR>\r\n</B><BR>\r\n</P>\r\n<P><B><!-- [[LOG]] -->(N)&nbsp;October 30 "
         "by "
         "Hans Huber </B>(40 found)</B><BR>\r\nDose getauscht.</B><BR>\r\n</B><BR>\r\n</P>"},
        {"NUMVISITS", "12 Logged Visits "},
        {"CACHETYPE", "Multi-cache"},
        {"CACHESIZE", "Regular"},
        {"TRAVELBUGS",
         "Momentane(r) Travelbug(s) im Cache: &quot;Rennschnecke&quot;; &quot;Blauer Bus&quot;"},
        {"ANZ_WATCHERS", "7 Beobachter"},
        {"HOMEDISTANCE", "Entfernung von HOME: 45,4 km"},
        {"CREATIONDATETIME", "08. 12. 2006, 21:04"},
        {"CREATIONDATE", "08. 12. 2006"},
        {"ORIGCREATIONDATETIME", "05. 11. 2006, 14:30"},
        {"ORIGCREATIONDATE", "05. 11. 2006"},
        {"LOGANZ_FOUND", "3"},
        {"LOGANZ_REVIEWNOTE", "0"},
        {"LOGANZ_NOTE", "1"},
        {"LOGANZ_DNF", "1"},
        {"LOGANZ_DISABLED", "0"},
        {"LOGANZ_ENABLED", "0"},
        {"LOGANZ_WILLATTEND", "0"},
        {"LOGANZ_ATTENDED", "0"},
        {"LOGANZ_NEEDSMAINTENANCE", "1"},
        {"LOGANZ_MAINTAINED", "0"},
        {"FIRSTFOUNDLOG", "September 9, 2006 by Moni"},
        {"LATESTFOUNDLOG", "November 5 by Vuva"},
        {"BUDDYLIST", "moni, Vuva."},
        {"HINTS_ENCRYPTED", "Hagre Fgrva [Gerr] Avpug vz Jnffre"},
        {"HINTS", "Unter Stein [Tree] Nicht im Wasser"},
        {"ORIG_LINK_PF",
         "<a href=\"" + kBase +
             "/seek/cache_details.aspx?wp=GC1A2B3&Submit6=Find&pf=y&log=y\">Originalseite (PF)</a>"},
        {"ORIG_LINK",
         "<a href=\"" + kBase + "/seek/cache_details.aspx?wp=GC1A2B3&Submit6=Find&log=y\">Originalseite</a>"},
        {"ROT13_TABLE", "<!-- #ROT13_TABLE# -->"},
        {"NOTES", "<p><b>Pers&ouml;nliche Notizen:</b> Dose ist magnetisch<br>Stift mitnehmen</p>"},
        {"CACHEIMAGES",
         "<hr>\r\n<table border=\"1\" width=\"640\">\r\n  <tr>\r\n    <td>\r\n      <img "
         "src=\"./GC1A2B3_i1.jpg\" "
         "width=\"492\" height=\"369\"><BR>\r\n<strong>Blick vom Turm</strong><BR>\r\nIm Herbst\r\n    "
         "</td>\r\n"
         "    <td>\r\n      <img src=\"./GC1A2B3_i2.png\" width=\"147\" height=\"196\"><BR>\r\n<strong>Dose"
         "</strong><BR>\r\nDas Versteck\r\n    </td>\r\n  </tr>\r\n</table><br>\r\n<!-- #CACHEIMAGES# -->"},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(v.at(name), value) << name;
    EXPECT_TRUE(v.at("ADDITIONALWAYPOINTS").starts_with("<table style=\"float: left;"))
        << v.at("ADDITIONALWAYPOINTS");
    EXPECT_EQ(model().externalContent(), (std::vector<std::string>{"GC1A2B3(1/1)"}));

    // Written as CR LF lines, whatever the template used.
    const std::string written = home.dir.read("GC1A2B3_converted.html");
    for (std::size_t i = 0; i < written.size(); ++i)
        if (written[i] == '\n') {
            ASSERT_TRUE(i > 0 && written[i - 1] == '\r') << i;
        }
}

TEST_F(CreateDescrTest, GpxPageConvertsWithItsDescriptionHintLogsImagesAndMap) {
    home.dir.write("GCGPX01.html", fixture("GCGPX01.html"));
    home.dir.write("GCGPX01_i1.gif", gifOf(320, 240));
    home.dir.write("GCGPX01.meta", "1#" + out() + "GCGPX01_i1.gif\r\n1#Waldweg\r\n1#\r\n");
    home.dir.write("GCGPX01_multimap.gif", gifOf(500, 310));
    home.dir.write("Buddies.txt", "Vuva\r\n");
    model().options.MaxLogs = "2";
    const auto v = convert("GCGPX01");
    EXPECT_TRUE(v.at("LONGDESCRIPTION").find("Diese Beschreibung wurde aus einer GPX-Datei") !=
                std::string::npos);
    EXPECT_TRUE(v.at("LONGDESCRIPTION")
                    .ends_with("<P>Die Dose ist <b>gr\xFCn</b>.</p><!-- Langbeschreibung Ende -->"))
        << v.at("LONGDESCRIPTION");
    // The GPX writer encodes the bracketed part too, so it is not restored a second time.
    EXPECT_EQ(v.at("HINTS"), "Unter der Wurzel [Baum]");
    EXPECT_EQ(v.at("LOGANZ_FOUND"), "2");
    EXPECT_EQ(v.at("LOGANZ_DNF"), "1");
    EXPECT_EQ(v.at("LOGANZ_NOTE"), "1");
    EXPECT_EQ(v.at("LATESTFOUNDLOG"), "&nbsp;November 05, 2006 by Moni");
    EXPECT_EQ(v.at("FIRSTFOUNDLOG"), "&nbsp;April 02, 2005 by Vuva");
    EXPECT_EQ(v.at("BUDDYLIST"), "Vuva");
    EXPECT_EQ(v.at("LOGLIMITATIONS"), "Die Ausgabe der Logs wurde auf maximal 2 beschr\xE4nkt.");
    const std::string& logs = v.at("CACHELOGS");
    EXPECT_NE(logs.find("<B><!-- [[LOG]] -->:-)&nbsp;&nbsp;November 05, 2006 by Moni </B>(1 found)"),
              std::string::npos)
        << logs;
    EXPECT_NE(logs.find("<B><!-- [[LOG]] -->:-(&nbsp;&nbsp;October 28, 2006 by Pechvogel </B>(1 found)"),
              std::string::npos);
    EXPECT_EQ(logs.find("Peter Pan"), std::string::npos);
    EXPECT_TRUE(logs.ends_with("</P>"));
    EXPECT_EQ(v.at("DIFFICULTY"), "1.5");
    EXPECT_EQ(v.at("CACHESIZE"), "?");
    EXPECT_EQ(v.at("CACHEMAPFILENAME"), "");
    EXPECT_NE(v.at("CACHEMAP").find("src=\"./GCGPX01_multimap.gif\"align=\"left\""), std::string::npos);
    EXPECT_NE(v.at("CACHEIMAGES").find("<img src=\"./GCGPX01_i1.gif\" width=\"320\" height=\"240\">"),
              std::string::npos);
}

// The map file link names the classic map file, else the OpenStreetMap map.
TEST_F(CreateDescrTest, MapFileLinkFallsBackToTheOpenStreetMapMap) {
    home.dir.write("GCGPX01.html", fixture("GCGPX01.html"));
    home.dir.write("GCGPX01_osm.png", encodePng(Raster(40, 30)));
    EXPECT_EQ(convert("GCGPX01").at("CACHEMAPFILENAME"), "./GCGPX01_osm.png");
    home.dir.write("GCGPX01_map.gif", gifOf(40, 30));
    EXPECT_EQ(convert("GCGPX01").at("CACHEMAPFILENAME"), "./GCGPX01_map.gif");
}

// A page that declares UTF-8 is converted into Windows-1252; what that cannot hold becomes a
// character reference, so that the browser shows every character of the GPX file.
TEST_F(CreateDescrTest, Utf8PageKeepsEveryCharacter) {
    std::string page = fixture("GCGPX01.html");
    const auto replace = [&page](const std::string& from, const std::string& to) {
        const std::size_t at = page.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        page.replace(at, from.size(), to);
    };
    replace("\"CacheName\">Waldrand am Hang",
            "\"CacheName\">Caf\xC3\xA9 \xE2\x80\x9E"
            "Eck\xE2\x80\x9C \xD0\x9F\xD1\x80\xD0\xB8 \xF0\x9F\x98\x80");
    replace("<b>gr\xC3\xBCn</b>", "<b>gr\xC3\xBCn</b> \xC2\xAB\xC3\x82\xC2\xBB \xE2\x80\x94 \xD0\x81");
    replace(">Moni</A>", ">J\xC3\xBCrgen \xC5\x81</A>");
    home.dir.write("GCGPX01.html", page);
    const auto v = convert("GCGPX01");
    EXPECT_EQ(v.at("CACHENAME"),
              "Caf\xE9 \x84"
              "Eck\x93 &#1055;&#1088;&#1080; &#128512;");
    // A real "\xC2" stays: nothing is "repaired" in a page that was read right.
    EXPECT_TRUE(v.at("LONGDESCRIPTION")
                    .ends_with("<b>gr\xFCn</b> \xAB\xC2\xBB \x97 &#1025;.</p><!-- Langbeschreibung Ende -->"))
        << v.at("LONGDESCRIPTION");
    EXPECT_NE(v.at("CACHELOGS").find("November 05, 2006 by J\xFCrgen &#321; </B>"), std::string::npos)
        << v.at("CACHELOGS");
}

// ---- logs ----

std::string logPage(const std::vector<std::pair<std::string, std::string>>& logs) {
    std::string rows;
    int n = 0;
    for (const auto& [icon, finder] : logs) {
        ++n;
        rows += "<tr><td><font size=2><strong><img src=\"" + kBase + "/images/" + icon + "\">May " +
                std::to_string(n) + " by <A NAME=\"" + std::to_string(n) + "\"><a href=\"p\">" + finder +
                "</a></strong> (" + std::to_string(n) + " found)<br>Log " + std::to_string(n) +
                "<br></font></td></tr>\r\n";
    }
    return "<span id=\"WaypointName\">GCLOGS</span>\r\n<span id=\"CacheLogs\"><table>\r\n" + rows +
           "</table></span>\r\n";
}

TEST_F(CreateDescrTest, LogLimit) {
    const std::vector<std::pair<std::string, std::string>> three = {
        {"icon_smile.gif", "A"}, {"icon_note.gif", "B"}, {"icon_sad.gif", "C"}};
    auto four = three;
    four.push_back({"icon_smile.gif", "D"});
    struct Case {
        std::vector<std::pair<std::string, std::string>> logs;
        std::string limit;
        int kept;
        bool note;
    };
    const Case cases[] = {
        {three, "3", 3, false}, {four, "3", 3, true}, {four, "abc", 4, false}, {four, "0", 4, false},
        {four, "", 4, false},   {four, "1", 1, true}, {four, "-2", 4, false},
    };
    for (const Case& c : cases) {
        home.dir.write("GCLOGS.html", logPage(c.logs));
        model().options.MaxLogs = c.limit;
        model().options.BoldLogs = false;
        const auto v = convert("GCLOGS");
        const std::string& logs = v.at("CACHELOGS");
        int markers = 0;
        for (std::size_t at = logs.find("<!-- [[LOG]] -->"); at != std::string::npos;
             at = logs.find("<!-- [[LOG]] -->", at + 1))
            ++markers;
        EXPECT_EQ(markers, c.kept) << c.limit;
        EXPECT_TRUE(
            logs.ends_with(c.note ? "Log " + std::to_string(c.kept) + "</B><BR>\r\n</P>" : "</P>\r\n"))
            << c.limit << logs;
        EXPECT_EQ(v.at("LOGLIMITATIONS"),
                  c.note ? "Die Ausgabe der Logs wurde auf maximal " + c.limit + " beschr\xE4nkt." : "")
            << c.limit;
        // Found logs and counters look at all logs, before the limit.
        EXPECT_EQ(v.at("LOGANZ_FOUND"), c.logs.size() == 4 ? "2" : "1");
    }
}

TEST_F(CreateDescrTest, FoundLogsBuddiesAndBold) {
    home.dir.write("Buddies.txt", "bea\r\nAl\r\n");
    struct Case {
        std::vector<std::pair<std::string, std::string>> logs;
        std::string latest, first, buddies;
    };
    const Case cases[] = {
        {{{"icon_note.gif", "Al"}, {"icon_sad.gif", "Bea"}},
         "noch nicht gefunden",
         "noch nicht gefunden",
         "leider niemand :-("},
        {{{"icon_smile.gif", "Bea"}, {"icon_camera.gif", "Zed"}, {"icon_smile.gif", "bea"}},
         "May 1 by Bea",
         "May 3 by bea",
         "Bea"},
        {{{"icon_smile.gif", "Bea"}, {"icon_smile.gif", "Al"}}, "May 1 by Bea", "May 2 by Al", "Al, Bea."},
    };
    for (const Case& c : cases) {
        home.dir.write("GCLOGS.html", logPage(c.logs));
        const auto v = convert("GCLOGS");
        EXPECT_EQ(v.at("LATESTFOUNDLOG"), c.latest);
        EXPECT_EQ(v.at("FIRSTFOUNDLOG"), c.first);
        EXPECT_EQ(v.at("BUDDYLIST"), c.buddies);
    }

    home.dir.write("GCLOGS.html", logPage({{"icon_rsvp.gif", "Al"}}));
    model().options.BoldLogs = true;
    EXPECT_EQ(convert("GCLOGS").at("CACHELOGS"),
              "\r\n<P><B><!-- [[LOG]] -->[komme]&nbsp;May 1 by Al </B>(1 found)</B><BR>\r\nLog "
              "1</B><BR>\r\n</P>\r\n");
    model().options.BoldLogs = false;
    EXPECT_EQ(
        convert("GCLOGS").at("CACHELOGS"),
        "\r\n<P><!-- [[LOG]] -->[komme]&nbsp;May 1 by Al (1 found)</B><BR>\r\nLog 1</B><BR>\r\n</P>\r\n");
}

TEST_F(CreateDescrTest, BoldWithoutCountAndAtTheStart) {
    // A marker at the very start gets no bold; a log without a "(" behind it ends the bold pass.
    home.dir.write("GCLOGS.html", "<span id=\"CacheLogs\"><img src=\"" + kBase +
                                      "/images/icon_note.gif\">x by Al (2)<p>" + "<img src=\"" + kBase +
                                      "/images/icon_sad.gif\">y (3)<p><img src=\"" + kBase +
                                      "/images/icon_sad.gif\">no count at all</span>");
    EXPECT_EQ(
        convert("GCLOGS").at("CACHELOGS"),
        "<!-- [[LOG]] -->(N)&nbsp;x by Al (2)</B><BR>\r\n<B><!-- [[LOG]] -->:-(&nbsp;y </B>(3)</B><BR>\r\n"
        "<B><!-- [[LOG]] -->:-(&nbsp;no count at all");
}

TEST_F(CreateDescrTest, LogsSwitchedOffLeaveThePlaceholder) {
    home.dir.write("GCLOGS.html", logPage({{"icon_smile.gif", "A"}}));
    model().options.Logs = false;
    const auto v = convert("GCLOGS");
    EXPECT_EQ(v.at("CACHELOGS"), "<!-- #CACHELOGS# -->");
    EXPECT_EQ(v.at("LOGANZ_FOUND"), "1");
}

// ---- hints ----

TEST_F(CreateDescrTest, HintModes) {
    home.dir.write("GCHINT.html", "<span id=\"Hints\" class=\"displayMe\">Hagre Fgrva [Tree]<br></span>");
    model().options.Hints = 0;
    auto v = convert("GCHINT");
    EXPECT_EQ(v.at("HINTS"), "Unter Stein [Tree]");
    EXPECT_EQ(v.at("ROT13_TABLE"), "<!-- #ROT13_TABLE# -->");
    model().options.Hints = 1;
    v = convert("GCHINT");
    EXPECT_EQ(v.at("HINTS"), "Hagre Fgrva [Tree]");  // the site's own form
    EXPECT_EQ(v.at("HINTS_ENCRYPTED"), "Hagre Fgrva [Gerr]");
    EXPECT_EQ(
        v.at("ROT13_TABLE"),
        "<table border=\"1\"><tr><td colspan=\"13\"><pre>Rot13-Tabelle</pre></td></tr>\r\n<tr>"
        "<td><pre>A</pre></td><td><pre>B</pre></td><td><pre>C</pre></td><td><pre>D</pre></td>"
        "<td><pre>E</pre></td><td><pre>F</pre></td><td><pre>G</pre></td><td><pre>H</pre></td>"
        "<td><pre>I</pre></td><td><pre>J</pre></td><td><pre>K</pre></td><td><pre>L</pre></td>"
        "<td><pre>M</pre></td></tr>\r\n<tr><td><pre>N</pre></td><td><pre>O</pre></td><td><pre>P</pre></td>"
        "<td><pre>Q</pre></td><td><pre>R</pre></td><td><pre>S</pre></td><td><pre>T</pre></td>"
        "<td><pre>U</pre></td><td><pre>V</pre></td><td><pre>W</pre></td><td><pre>X</pre></td>"
        "<td><pre>Y</pre></td><td><pre>Z</pre></td></tr></table>");
    model().options.Hints = 2;
    EXPECT_EQ(convert("GCHINT").at("HINTS"), "[<font color=\"#FFFFFF\">Unter Stein [Tree]</font>]");

    model().options.Hints = 0;
    home.dir.write("GCHINT.html", "<span id=\"Hints\" class=\"displayMe\"><br></span>");
    EXPECT_EQ(convert("GCHINT").at("HINTS"), "n/a");
    home.dir.write("GCHINT.html", "<span id=\"CacheName\">Ohne</span>");
    v = convert("GCHINT");
    EXPECT_EQ(v.at("HINTS"), "Keine weiteren Hinweise verf&uuml;gbar.");
    // Not in the database: no coordinates, no map link, "?" for type and size, no distance.
    EXPECT_EQ(v.at("LATLON"), "");
    EXPECT_EQ(v.at("CACHEMAPLINK"), "");
    EXPECT_EQ(v.at("CACHETYPE"), "?");
    EXPECT_EQ(v.at("CACHESIZE"), "?");
    EXPECT_EQ(v.at("HOMEDISTANCE"), "<!-- #HOMEDISTANCE# -->");
    EXPECT_EQ(v.at("NOTES"), "<!-- #NOTES# -->");
}

TEST_F(CreateDescrTest, DistanceFromAnAdditionalHome) {
    ctx().settings.AddHomeLat = {"50.00000", "48.13538"};
    ctx().settings.AddHomeLon = {"8.00000", "11.57612"};
    ctx().settings.AddHomeTxt = {"Ferien",
                                 "B\xFC"
                                 "ro"};
    home.dir.write("GC1A2B3.html", "<span id=\"WaypointName\">GC1A2B3</span>");
    model().options.Home = 2;
    EXPECT_EQ(convert("GC1A2B3").at("HOMEDISTANCE"),
              "Entfernung von B\xFC"
              "ro: 0,0 km");
    model().options.Home = 1;
    EXPECT_EQ(convert("GC1A2B3").at("HOMEDISTANCE"), "Entfernung von Ferien: 332,9 km");
    model().options.Home = 7;  // no such home: the primary one
    EXPECT_EQ(convert("GC1A2B3").at("HOMEDISTANCE"), "Entfernung von HOME: 45,4 km");
}

// ---- removal options ----

TEST_F(CreateDescrTest, RemovalOptions) {
    const std::string d =
        "<BODY bgcolor=\"#fff\"><bgsound src=\"s.mid\"><P>a<br>b<img src=\"x.jpg\"><IMG SRC='y.gif'>"
        "<a href=\"u\">L</a><style>p{}</style><STYLE type=\"text/css\">q{}</STYLE><p style=\"color:red\">"
        "<font color=red>F</font><table background=\"t.jpg\" BGCOLOR=\"#000\"><tbody><tr><td>c</td></tr>"
        "</tbody></table>";
    struct Case {
        const char* name;
        void (*set)(TCrDescOptions&);
        std::string result;
        std::string external;
    };
    const Case cases[] = {
        {"Defaults", [](TCrDescOptions&) {},
         "<P>a<br>bL<p >F<table  ><tbody><tr><td>c</td></tr></tbody></table>", "GCX(2/1)"},
        {"Nothing",
         [](TCrDescOptions& o) {
             o.RmBody = o.RmBGColor = o.RmImg = o.RmTables = o.RmStyle = o.RmHREF = o.RmFont = false;
         },
         d, ""},
        {"ImagesOnly",
         [](TCrDescOptions& o) {
             o.RmBody = o.RmBGColor = o.RmTables = o.RmStyle = o.RmHREF = o.RmFont = false;
         },
         "<BODY bgcolor=\"#fff\"><bgsound src=\"s.mid\"><P>a<br>b<a href=\"u\">L</a><style>p{}</style><STYLE "
         "type=\"text/css\">q{}</STYLE><p style=\"color:red\"><font color=red>F</font><table "
         "background=\"t.jpg\" "
         "BGCOLOR=\"#000\"><tbody><tr><td>c</td></tr></tbody></table>",
         "GCX(2/0)"},
        {"Tables", [](TCrDescOptions& o) { o.RmTables = true; }, "<P>a<br>bL<p >Fc", "GCX(2/1)"},
        {"AllTagsButBreaks", [](TCrDescOptions& o) { o.RmAll = true; }, "<BR>a<BR>bLp{}q{}Fc", "GCX(2/1)"},
    };
    for (const Case& c : cases) {
        TCreateDescr m(ctx());
        c.set(m.options);
        std::string text = d;
        m.applyRemovalOptions(text, "GCX");
        EXPECT_EQ(text, c.result) << c.name;
        EXPECT_EQ(m.externalContent(),
                  c.external.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.external})
            << c.name;
    }
}

// ---- active content ----

// Every field of a page full of active content: with or without the removal options nothing of it
// reaches the description, its text does, and the warning counts what went (images/links/active).
TEST_F(CreateDescrTest, ActiveContentIsRemovedFromEveryFieldAndCounted) {
    home.dir.write("GCEVIL.html", test::hostileListingPage("http://127.0.0.1:9"));
    home.dir.write("WPList.txt", "GCEVIL\r\n");
    struct Case {
        const char* name;
        bool removals;
        std::string entry;
    };
    const Case cases[] = {{"cleaner alone", false, "GCEVIL(6/3/13)"},
                          {"with the removal options", true, "GCEVIL(4/3/13)"}};
    for (const Case& c : cases) {
        home.host.messages.clear();
        TCreateDescr m(ctx());
        m.options.TemplateFile = fixturePath("placeholders.html");
        TCrDescOptions& o = m.options;
        o.RmBody = o.RmBGColor = o.RmImg = o.RmStyle = o.RmHREF = o.RmFont = c.removals;
        m.open();
        m.btnStartClick();
        const std::string out = home.dir.read("GCEVIL_converted.html");
        std::string lower = out;
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        for (const char* gone : {"<script", "<iframe", "<object", "<embed", "<link", "<svg",
                                 "<meta http-equiv=\"refresh", "onclick", "onmouseover", "onerror", "onload",
                                 "javascript:", "srcset", "url(", "127.0.0.1", "aktiv-"})
            EXPECT_EQ(lower.find(gone), std::string::npos) << c.name << ": " << gone;
        for (const std::string& text : test::hostilePageTexts())
            EXPECT_NE(out.find(text), std::string::npos) << c.name << ": " << text;
        EXPECT_NE(out.find("<meta http-equiv=\"Content-Security-Policy\""), std::string::npos) << c.name;
        EXPECT_EQ(m.externalContent(), std::vector<std::string>{c.entry}) << c.name;
        ASSERT_EQ(home.host.messages.size(), 1u) << c.name;
        EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
        EXPECT_TRUE(home.host.messages[0].text.ends_with(
            "\r\n\r\n" + c.entry +
            "\r\n\r\n(Images/Links/aktive Inhalte: Skripte, Frames, Objekte, Formulare, Ereignis-Attribute)"))
            << home.host.messages[0].text;
    }
}

// ---- images ----

class ImageBlock : public CreateDescrTest {
protected:
    std::string block(const std::vector<std::pair<int, int>>& sizes, bool twoColumns) {
        std::string meta;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            const std::string file = "GCIMG_i" + n + ".jpg";
            if (sizes[i].first > 0) home.dir.write(file, jpegOf(sizes[i].first, sizes[i].second));
            meta += n + "#" + out() + file + "\r\n" + n + "#T" + n + "\r\n" + n + "#D" + n + "\r\n";
        }
        home.dir.write("GCIMG.html", "<span id=\"CacheName\">x</span>");
        home.dir.write("GCIMG.meta", meta);
        model().convertListing("GCIMG");
        return model().buildImageBlock(twoColumns);
    }
    static std::string cell(int n, int w, int h) {
        const std::string k = std::to_string(n);
        return "      <img src=\"./GCIMG_i" + k + ".jpg\" width=\"" + std::to_string(w) + "\" height=\"" +
               std::to_string(h) + "\"><BR>\r\n<strong>T" + k + "</strong><BR>\r\nD" + k;
    }
    static std::string single(int n, int w, int h) {
        return "<table border=\"1\" width=\"640\">\r\n  <tr>\r\n    <td>\r\n" + cell(n, w, h) +
               "</td>\r\n  </tr>\r\n</table>\r\n";
    }
    static std::string pair(int a, int wa, int ha, int b, int wb, int hb) {
        return "<table border=\"1\" width=\"640\">\r\n  <tr>\r\n    <td>\r\n" + cell(a, wa, ha) +
               "\r\n    </td>\r\n    <td>\r\n" + cell(b, wb, hb) +
               "\r\n    </td>\r\n  </tr>\r\n</table><br>\r\n";
    }
};

TEST_F(ImageBlock, FiveImagesInTwoColumns) {
    // Widest (800) alone at the end; the rest paired around the target (400+300+500+200)/2 = 700.
    const std::string b = block({{400, 300}, {800, 600}, {300, 200}, {500, 500}, {200, 100}}, true);
    EXPECT_EQ(
        b, "<hr>\r\n" + pair(4, 457, 457, 5, 182, 91) + pair(1, 365, 274, 3, 274, 182) + single(2, 640, 480));
}

TEST_F(ImageBlock, OneColumnScalesOnlyWideImages) {
    const std::string b = block({{1280, 960}, {640, 10}, {100, 50}}, false);
    EXPECT_EQ(b, "<hr>\r\n" + single(1, 640, 480) + single(2, 640, 10) + single(3, 100, 50));
}

TEST_F(ImageBlock, PairsNarrowerThanTheWidthAreScaledUp) {
    EXPECT_EQ(block({{100, 100}, {60, 30}}, true), "<hr>\r\n" + pair(1, 400, 400, 2, 240, 120));
}

TEST_F(ImageBlock, EqualWidthsTakeTheFirst) {
    // Odd count: the first of the widest stands alone; ties for the partner go to the first too.
    EXPECT_EQ(block({{300, 1}, {300, 2}, {300, 3}}, true),
              "<hr>\r\n" + pair(2, 320, 2, 3, 320, 3) + single(1, 300, 1));
}

TEST_F(ImageBlock, MissingImageFileGivesTheNotFoundNote) {
    EXPECT_EQ(block({{200, 100}, {0, 0}}, true), "<hr>\r\n<p>Cache-Images nicht gefunden.</p>\r\n");
}

TEST_F(ImageBlock, UnreadableImageCountsAs800By600) {
    home.dir.write("GCIMG_i1.jpg", "not an image");
    home.dir.write("GCIMG.html", "<span id=\"CacheName\">x</span>");
    home.dir.write("GCIMG.meta", "1#" + out() + "GCIMG_i1.jpg\r\n1#T1\r\n1#D1\r\n");
    model().convertListing("GCIMG");
    ASSERT_EQ(model().fields().Images.size(), 1u);
    EXPECT_EQ(model().fields().Images[0].width, 800);
    EXPECT_EQ(model().fields().Images[0].height, 600);
    EXPECT_EQ(model().buildImageBlock(false), "<hr>\r\n" + single(1, 640, 480));
}

// The loader names images relative to the home; they are read from this home, wherever it lies.
TEST_F(ImageBlock, PathsRelativeToTheHomeAreReadFromThisHome) {
    std::filesystem::create_directories(home.dir.file("bilder"));
    home.dir.write("bilder/GCIMG_i1.jpg", jpegOf(300, 200));
    home.dir.write("GCIMG.html", "<span id=\"CacheName\">x</span>");
    home.dir.write("GCIMG.meta", "1#bilder/GCIMG_i1.jpg\r\n1#T1\r\n1#D1\r\n");
    model().convertListing("GCIMG");
    ASSERT_EQ(model().fields().Images.size(), 1u);
    EXPECT_EQ(model().fields().Images[0].width, 300);
    EXPECT_EQ(model().fields().Images[0].height, 200);
}

TEST_F(ImageBlock, AtMostOneHundredImagesAndTheMaximumWidthSetting) {
    std::string meta;
    for (int i = 1; i <= 120; ++i) {
        const std::string n = std::to_string(i);
        meta += n + "#x.jpg\r\n" + n + "#t\r\n" + n + "#d\r\n";
    }
    home.dir.write("GCIMG.html", "x");
    home.dir.write("GCIMG.meta", meta);
    model().convertListing("GCIMG");
    EXPECT_EQ(model().fields().Images.size(), 100u);

    ctx().settings.HTMLMaxWidth = 500;
    EXPECT_EQ(block({{1000, 100}}, false),
              "<hr>\r\n<table border=\"1\" width=\"500\">\r\n  <tr>\r\n    <td>\r\n" + cell(1, 500, 50) +
                  "</td>\r\n  </tr>\r\n</table>\r\n");
}

// ---- map ----

TEST_F(CreateDescrTest, MapBlock) {
    const std::string start = "<img style=\"float: left; margin-right: 10px; margin-bottom: 10px;\" src=\"./";
    EXPECT_EQ(
        model().buildMapBlock("GCMAP"),
        "<table border=\"1\"><tr bgcolor=\"#E0E0E0\"><td><b>Keine Karte<br>geladen.</b></td></tr></table>"
        "<!-- Keine Karte -->");
    home.dir.write("GCMAP_multimap.gif", "g");
    home.dir.write("GCMAP_map.gif", "g");
    EXPECT_EQ(model().buildMapBlock("GCMAP"),
              start +
                  "GCMAP_multimap.gif\"align=\"left\" border=\"0\" vspace=\"5\" hspace=\"5\" width=\"500\" "
                  "height=\"310\"><!-- Multimap -->");
    model().options.Resize = 1;
    EXPECT_EQ(model().buildMapBlock("GCMAP"),
              start +
                  "GCMAP_multimap.gif\" width=\"335\" height=\"208\"align=\"left\" border=\"0\" vspace=\"5\" "
                  "hspace=\"5\" width=\"500\" height=\"310\"><!-- Multimap -->");
    model().options.MapOrder = {"MapQuest", "MultiMap", "MapPoint", "Stadtplandienst (Karte)",
                                "Stadtplandienst (Luftbild)"};
    model().options.Resize = 2;
    EXPECT_EQ(model().buildMapBlock("GCMAP"),
              start +
                  "GCMAP_map.gif\" width=\"332\" height=\"254\"align=\"left\" border=\"0\" vspace=\"5\" "
                  "hspace=\"5\"><!-- Mapquest -->");
    model().options.MapOrder = {"MapPoint", "Stadtplandienst (Luftbild)", "Stadtplandienst (Karte)",
                                "MapQuest", "MultiMap"};
    home.dir.write("gcmap_MAPPOINT.gif", "g");  // names compare without regard to case
    EXPECT_EQ(
        model().buildMapBlock("GCMAP"),
        start +
            "gcmap_MAPPOINT.gif\"align=\"left\" border=\"0\" vspace=\"5\" hspace=\"5\"><!-- Mappoint -->");

    // The OpenStreetMap map: its own size, scaled by the reduced sizes like the others.
    home.dir.write("GCMAP_osm.png", encodePng(Raster(400, 300)));
    model().options.MapOrder = {"OpenStreetMap", "MapPoint"};
    const struct {
        int resize;
        std::string size;
    } osm[] = {{0, ""}, {1, " width=\"266\" height=\"200\""}, {2, " width=\"200\" height=\"150\""}};
    for (const auto& c : osm) {
        model().options.Resize = c.resize;
        EXPECT_EQ(model().buildMapBlock("GCMAP"), start + "GCMAP_osm.png\"" + c.size +
                                                      " alt=\"Karte\" border=\"0\" vspace=\"5\" hspace=\"5\">"
                                                      "<!-- OpenStreetMap -->");
    }
}

TEST_F(CreateDescrTest, MapTiles) {
    for (int n = 1; n <= 4; ++n) home.dir.write("GCT_sdk" + std::to_string(n) + ".png", "p");
    model().options.MapOrder = {"Stadtplandienst (Luftbild)", "Stadtplandienst (Karte)", "MapQuest", "",
                                "bogus"};
    const auto tile = [](const std::string& edge, int n, const std::string& ext) {
        return "    <td width=\"" + edge + "\"><img border=\"0\" width=\"" + edge + "\" height=\"" + edge +
               "\" src=\"./GCT_sdk" + std::to_string(n) + ext + "\"></td>\r\n";
    };
    const std::string open =
        "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"float:left; margin-right: 10px; "
        "margin-bottom: 10px;\">\r\n";
    EXPECT_EQ(model().buildMapBlock("GCT"), open + "  <tr>\r\n" + tile("200", 1, ".png") +
                                                tile("200", 2, ".png") + "  </tr>\r\n  <tr>\r\n" +
                                                tile("200", 3, ".png") + tile("200", 4, ".png") +
                                                "  </tr>\r\n</table>\r\n<!-- Stadtplandienst -->");
    for (int n = 1; n <= 9; ++n) home.dir.write("GCT_sdk" + std::to_string(n) + ".jpg", "j");
    model().options.Resize = 1;
    std::string expected = open;
    for (int row = 0; row < 3; ++row) {
        expected += "  <tr>\r\n";
        for (int col = 0; col < 3; ++col) expected += tile("133", col + 3 * row + 1, ".jpg");
        expected += "  </tr>\r\n";
    }
    EXPECT_EQ(model().buildMapBlock("GCT"), expected + "</table>\r\n<!-- Stadtplandienst -->");
}

// ---- the run ----

TEST_F(CreateDescrTest, RunOverTheWorkList) {
    placeSitePage();
    home.dir.write("GCGPX01.html", fixture("GCGPX01.html"));
    home.dir.write("WPList.txt", "GC1A2B3\r\nGCNOPAGE\r\nGCGPX01\r\n../GC1A2B3\r\n");
    ctx().settings.ShowMessages = true;
    TCreateDescr& m = model();
    m.open();
    EXPECT_EQ(m.headline(), "Die Arbeitsliste enth\xE4lt 4 Wegpunkte.");
    m.btnStartClick();
    EXPECT_EQ(m.convertedCount(), 2);
    EXPECT_EQ(m.skippedCount(), 2);
    EXPECT_EQ(m.runState(), RunState::ClosedAfterRun);
    EXPECT_TRUE(m.closedWithOk());
    EXPECT_TRUE(home.dir.exists("GC1A2B3_converted.html"));
    EXPECT_TRUE(home.dir.exists("GCGPX01_converted.html"));
    EXPECT_EQ(home.host.progressLog,
              (std::vector<std::string>{
                  "begin  4", "pos 1", "text Erzeuge Beschreibung f\xFCr GC1A2B3 (Cache 1 von 4)", "pos 2",
                  "text \xDC"
                  "berspringe GCNOPAGE",
                  "pos 3", "text Erzeuge Beschreibung f\xFCr GCGPX01 (Cache 3 von 4)", "pos 4",
                  "text \xDC"
                  "berspringe ../GC1A2B3",
                  "text Fertig.", "end"}));
    ASSERT_EQ(home.host.messages.size(), 2u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Information);
    EXPECT_EQ(home.host.messages[0].text,
              "2 Cachebeschreibungen konvertiert,\r\n2 Caches \xFC"
              "bersprungen.");
    EXPECT_EQ(home.host.messages[1].kind, MsgKind::Warning);
    EXPECT_EQ(
        home.host.messages[1].text,
        "Achtung! Aus folgender/folgenden Cachebeschreibung(en) wurden auf externen Webservern liegende "
        "Images bzw. Links auf externe Server entfernt. Bitte vor der Suche die Cachebeschreibungen "
        "durchlesen:\r\n\r\nGC1A2B3(1/1)");
}

TEST_F(CreateDescrTest, KeepOldAndUnattendedRuns) {
    placeSitePage();
    home.dir.write("GC1A2B3_converted.html", "old");
    home.dir.write("WPList.txt", "GC1A2B3\r\n");
    ctx().settings.ShowMessages = true;
    TCreateDescr& m = model();
    m.options.KeepOld = true;
    m.open();
    EXPECT_EQ(m.headline(), "Die Arbeitsliste enth\xE4lt 1 Wegpunkt.");
    m.startUnattended();  // the batch: no summary and no warning
    EXPECT_EQ(home.dir.read("GC1A2B3_converted.html"), "old");
    EXPECT_EQ(m.skippedCount(), 1);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_EQ(m.runState(), RunState::ClosedAfterRun);

    m.resetRunState();
    m.options.KeepOld = false;
    m.open();
    m.startUnattended();
    EXPECT_NE(home.dir.read("GC1A2B3_converted.html"), "old");
    EXPECT_EQ(m.convertedCount(), 1);
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(CreateDescrTest, MissingTemplateStopsBeforeTheRun) {
    home.dir.write("WPList.txt", "GC1A2B3\r\n");
    TCreateDescr& m = model();
    m.options.TemplateFile = "";
    ctx().settings.Template = out() + "nothing.html";
    m.open();
    m.btnStartClick();
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text, "Templatedatei nicht gefunden:\r\n" + out() + "nothing.html");
    EXPECT_EQ(m.runState(), RunState::NotRun);
    EXPECT_FALSE(m.closedWithOk());
    // Unattended, the dialog closes all the same, so that a batch goes on.
    home.dir.write("nothing.html", "");
    m.startUnattended();
    EXPECT_EQ(home.host.messages.size(), 2u);
    EXPECT_EQ(m.runState(), RunState::ClosedAfterRun);
}

TEST_F(CreateDescrTest, EnablingRulesAndMapOrderMoves) {
    home.dir.write("WPList.txt", "GC1A2B3\r\n");
    TCreateDescr& m = model();
    m.open();
    EXPECT_TRUE(m.optionsEditable());
    m.options.Logs = false;
    m.options.CacheImages = false;
    m.options.RmAll = true;
    EXPECT_FALSE(m.maxLogsEnabled());
    EXPECT_FALSE(m.boldLogsEnabled());
    EXPECT_FALSE(m.imageKindEnabled());
    for (int i = 0; i < TCreateDescr::kRemovalAll; ++i) EXPECT_FALSE(m.removalEnabled(i)) << i;
    EXPECT_TRUE(m.removalEnabled(TCreateDescr::kRemovalAll));
    EXPECT_FALSE(m.homeEnabled());  // only HOME
    ctx().settings.AddHomeTxt = {"Arbeit"};
    EXPECT_EQ(m.homeItems(), (std::vector<std::string>{"HOME", "Arbeit"}));
    EXPECT_TRUE(m.homeEnabled());

    // The first row cannot move up, the last not down; the selection follows the moved service.
    EXPECT_EQ(m.mapRow(), 0);
    EXPECT_FALSE(m.mapUpEnabled());
    EXPECT_TRUE(m.mapDownEnabled());
    m.moveMap(-1);
    EXPECT_EQ(m.options.MapOrder[0], "MultiMap");
    m.moveMap(1);
    EXPECT_EQ(m.mapRow(), 1);
    EXPECT_EQ(m.options.MapOrder[0], "MapPoint");
    EXPECT_EQ(m.options.MapOrder[1], "MultiMap");
    m.selectMapRow(5);
    EXPECT_FALSE(m.mapDownEnabled());
    m.moveMap(1);
    EXPECT_EQ(m.options.MapOrder[5], "OpenStreetMap");
    m.selectMapRow(4);
    EXPECT_TRUE(m.mapDownEnabled());
    m.moveMap(1);
    EXPECT_EQ(m.options.MapOrder[4], "OpenStreetMap");
    EXPECT_EQ(m.options.MapOrder[5], "MapQuest");

    // During and after a run the options stay as they were, until the next opening.
    m.options.Logs = true;
    m.btnStartClick();
    EXPECT_FALSE(m.isOpen());
    EXPECT_FALSE(m.optionsEditable());
    EXPECT_FALSE(m.maxLogsEnabled());
    EXPECT_FALSE(m.mapUpEnabled());
    EXPECT_FALSE(m.startEnabled());
    m.open();
    EXPECT_TRUE(m.optionsEditable());
    EXPECT_EQ(m.mapRow(), 0);
}

TEST_F(CreateDescrTest, CacheLists) {
    TCreateDescr& m = model();
    m.open();  // no work list
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text, "Die Arbeitsliste enth\xE4lt keine Waypoints.");
    EXPECT_TRUE(m.cacheList().empty());

    home.host.messages.clear();
    m.setChoice(1);
    EXPECT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text, "Das Ausgabeverzeichnis enth\xE4lt keine Cachebeschreibungen.");

    home.host.messages.clear();
    for (const char* name : {"GC1A2B3.html", "gc1a2b3.HTML", "GC1A2B3_converted.html", "GCGPX01.html",
                             "GCUNKNOWN.html", "index.html", "GC1A2B3.meta"})
        home.dir.write(name, "x");
    m.setChoice(1);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_EQ(m.cacheList(), (std::vector<std::string>{"GC1A2B3", "GCGPX01"}));
    EXPECT_EQ(m.headline(), "Das Ausgabeverzeichnis enth\xE4lt 2 Cachebeschreibungen.");
}

TEST_F(CreateDescrTest, CancelPassesOverTheRest) {
    placeSitePage();
    home.dir.write("GCGPX01.html", fixture("GCGPX01.html"));
    home.dir.write("WPList.txt", "GC1A2B3\r\nGCGPX01\r\n");
    home.host.abortAtPoll(2);
    TCreateDescr& m = model();
    m.open();
    m.btnStartClick();
    EXPECT_EQ(m.convertedCount(), 1);
    EXPECT_EQ(m.skippedCount(), 0);
    EXPECT_FALSE(home.dir.exists("GCGPX01_converted.html"));
    EXPECT_EQ(m.runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(m.closedWithOk());

    // "Abbrechen" outside a run closes the dialog as well.
    TCreateDescr other(ctx());
    other.open();
    other.cancel();
    EXPECT_EQ(other.runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(other.closedWithOk());
}

TEST_F(CreateDescrTest, WriteFailureEndsTheRun) {
    placeSitePage();
    home.dir.write("GCGPX01.html", fixture("GCGPX01.html"));
    std::filesystem::create_directory(out() + "GC1A2B3_converted.html");  // cannot be replaced by a file
    home.dir.write("WPList.txt", "GC1A2B3\r\nGCGPX01\r\n");
    TCreateDescr& m = model();
    m.open();
    m.btnStartClick();
    ASSERT_FALSE(home.host.messages.empty());
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_TRUE(home.host.messages[0].text.starts_with("Fehler beim Schreiben der Datei " + out() +
                                                       "GC1A2B3_converted.html"));
    EXPECT_EQ(m.convertedCount(), 0);
    EXPECT_FALSE(home.dir.exists("GCGPX01_converted.html"));
    EXPECT_EQ(m.runState(), RunState::ClosedAfterRun);
}

// ---- options ----

TEST_F(CreateDescrTest, OptionsAreLoadedAndSavedOnlyWithTheSaveBox) {
    IniFile& conf = ctx().programConf();
    TCreateDescr& m = model();
    m.options.Hints = 2;
    m.options.MaxLogs = "5";
    m.open();  // no CrDescSaveOpts: the controls keep their state
    EXPECT_EQ(m.options.Hints, 2);
    m.close();
    EXPECT_TRUE(conf.valueExists(kProgramSection, "CrDescSaveOpts"));
    EXPECT_FALSE(conf.readBool(kProgramSection, "CrDescSaveOpts", true));
    EXPECT_FALSE(conf.valueExists(kProgramSection, "CrDescHints"));

    m.options.SaveOpts = true;
    m.options.MapOrder[0] = "MapQuest";
    m.options.MapOrder[4] = "MultiMap";
    m.open();  // reads CrDescSaveOpts = false again
    EXPECT_FALSE(m.options.SaveOpts);
    m.options.SaveOpts = true;
    m.close();
    EXPECT_EQ(conf.readInteger(kProgramSection, "CrDescHints", -1), 2);
    EXPECT_EQ(conf.readString(kProgramSection, "CrDescMaxLogs", ""), "5");
    EXPECT_EQ(conf.readString(kProgramSection, "CrMapOrder0", ""), "MapQuest");
    EXPECT_EQ(conf.readString(kProgramSection, "CrDescTemplateFile", "?"), fixturePath("placeholders.html"));

    TCreateDescr fresh(ctx());
    fresh.open();
    EXPECT_TRUE(fresh.options.SaveOpts);
    EXPECT_EQ(fresh.options.Hints, 2);
    EXPECT_EQ(fresh.options.MaxLogs, "5");
    EXPECT_EQ(fresh.options.MapOrder[0], "MapQuest");
    EXPECT_EQ(fresh.options.MapOrder[4], "MultiMap");
    EXPECT_EQ(fresh.templatePath(), fixturePath("placeholders.html"));

    // An empty first map key leaves the order as it is; missing keys keep the current values.
    conf.writeString(kProgramSection, "CrMapOrder0", "");
    conf.deleteKey(kProgramSection, "CrDescHints");
    TCreateDescr other(ctx());
    other.options.Hints = 1;
    other.open();
    EXPECT_EQ(other.options.MapOrder[0], "MultiMap");
    EXPECT_EQ(other.options.Hints, 1);
}

TEST_F(CreateDescrTest, ShippedTemplateUsesEveryPlaceholderAndTheEditorMarkers) {
    const auto text = readFile(ctx().settings.Template);
    ASSERT_TRUE(text.has_value()) << ctx().settings.Template;
    const auto names = placeholderValues(fixture("placeholders.html"));
    ASSERT_EQ(names.size(), 48u);
    for (const auto& [name, placeholder] : names) {
        const std::string ph = name == "LONGDESCRIPTION" ? "<!-- #LONGDESCRIPTION# -->" : placeholder;
        EXPECT_NE(text->find(ph), std::string::npos) << name;
    }
    const std::size_t start = text->find("<!-- Langbeschreibung Start -->");
    const std::size_t body = text->find("<!-- #LONGDESCRIPTION# -->");
    const std::size_t end = text->find("<!-- Langbeschreibung Ende -->");
    EXPECT_TRUE(start < body && body < end && end != std::string::npos);
    EXPECT_NE(text->find("charset=windows-1252"), std::string::npos);

    // And a run with it leaves no placeholder behind for a complete page.
    placeSitePage();
    home.dir.write("WPList.txt", "GC1A2B3\r\n");
    WriteNote(ctx(), "GC1A2B3", {"Notiz"});
    TCreateDescr m(ctx());
    m.options.Hints = 1;
    m.open();
    m.btnStartClick();
    const std::string converted = home.dir.read("GC1A2B3_converted.html");
    EXPECT_EQ(converted.find("<!-- #"), converted.find("<!-- #CACHEIMAGES# -->"));
    EXPECT_EQ(converted.find("<!-- #", converted.find("<!-- #CACHEIMAGES# -->") + 1), std::string::npos);
}

}  // namespace
}  // namespace vellora
