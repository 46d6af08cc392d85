// Pocket queries as they arrive: damaged files, descriptions in HTML, any line layout, plain
// waypoints among the caches and the additional waypoints of the "-wpts" file. The fixtures in
// fixtures/pq are one pocket query of three caches, each variant with one defect.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "core/Cp1252.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Settings.h"
#include "import/GpxImport.h"
#include "import/GpxListingPage.h"
#include "import/GpxTestFiles.h"
#include "import/PocketQueryHome.h"
#include "listing/CreateDescr.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::pqFixture;
using test::PqHome;

// The pocket query without line breaks or indentation between its elements, as some tools write it.
std::string onOneLine(const std::string& gpx) {
    return std::regex_replace(gpx, std::regex(">[ \t\r\n]+<"), "><");
}

TEST(PocketQuery, DefectiveFilesImportEveryWholeCache) {
    const std::vector<std::string> all = {"GC1A001", "GC1A002", "GC1A003"};
    struct Case {
        const char* file;
        std::vector<std::string> imported;
        std::string secondName;           // GC1A002's record
        std::string secondPageText;       // on its page
        std::vector<std::string> report;  // in the warning, in this order; empty: no warning
    };
    const Case cases[] = {
        {"whole.gpx", all, "M\xFChlbach-Runde by Franz", "M\xC3\xBChlbach-Runde", {}},
        {"control-character.gpx",
         all,
         "M\xFChlbach-Runde by Franz",
         "Schoene Runde,  der Hund",
         {"1 fehlerhafte Stellen", "Zeile 85: Steuerzeichen 0x0B durch Leerzeichen ersetzt"}},
        {"bare-ampersand.gpx",
         all,
         "Tom & Jerry by Franz",
         "<title>(GC1A002) Tom &amp; Jerry</title>",
         {"3 fehlerhafte Stellen", "Zeile 57: \"&\" ohne g\xFCltige Referenz als Zeichen gelesen",
          "Zeile 59: \"&\"", "Zeile 63: \"&\""}},
        {"latin1-in-utf8.gpx",
         all,
         "M\xFChlbach-Runde by Franz",
         "<title>(GC1A002) M\xC3\xBChlbach-Runde</title>",
         {"3 fehlerhafte Stellen", "Zeile 57: Byte 0xFC (kein UTF-8) als Windows-1252 gelesen",
          "Zeile 59: Byte 0xFC", "Zeile 63: Byte 0xFC"}},
        {"truncated.gpx",
         {"GC1A001", "GC1A002"},
         "M\xFChlbach-Runde by Franz",
         "Schoene Runde, der Hund",
         {"Die GPX-Datei ist abgeschnitten (Zeile ", "Die 2 vollst\xE4ndigen Cachedefinitionen davor",
          "die angefangene Cachedefinition GC1A003 ging verloren."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        PqHome pq;
        pq.import(c.file, pqFixture(c.file));
        EXPECT_EQ(pq.errors(), std::vector<std::string>{});
        // Pass 2 writes exactly what pass 1 listed.
        EXPECT_EQ(pq.listed, c.imported);
        EXPECT_EQ(pq.databaseWaypoints(), c.imported);
        TCacheRec rec;
        ASSERT_TRUE(FindCache(pq.ctx(), "GC1A002", rec));
        EXPECT_EQ(rec.CacheName, c.secondName);
        for (const std::string& wp : c.imported) EXPECT_TRUE(pq.home.dir.exists(wp + ".html")) << wp;
        EXPECT_FALSE(pq.home.dir.exists("GC1A003.html") && c.imported.size() == 2);
        const std::string page = pq.home.dir.read("GC1A002.html");
        EXPECT_NE(page.find(c.secondPageText), std::string::npos) << page;
        const std::string warning = pq.warnings();
        EXPECT_EQ(warning.empty(), c.report.empty()) << warning;
        std::size_t at = 0;
        for (const std::string& part : c.report) {
            at = warning.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << "\n" << warning;
            if (at == std::string::npos) break;
        }
        EXPECT_EQ(pq.dialog.repairReport(), warning);
    }
}

TEST(PocketQuery, WhatIsNoGpxOrCannotBeMendedStaysRefused) {
    const std::string whole = pqFixture("whole.gpx");
    std::string mismatched = whole;
    mismatched.replace(mismatched.find("</urlname>"), 10, "</url>");
    const std::pair<const char*, std::string> cases[] = {
        {"an HTML page cut off", "<html><body><p>Pocket Query & mehr"},
        {"an empty file", ""},
        {"an element closed by another", mismatched},
        {"a cut inside the root of something else", "<?xml version=\"1.0\"?><kml><wpt lat=\"1\" lon=\"2\">"},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        PqHome pq;
        pq.import("bad.gpx", bytes);
        ASSERT_EQ(pq.errors().size(), 1u);
        EXPECT_NE(pq.errors()[0].find("Aus dieser Datei kann nichts importiert werden"), std::string::npos);
        EXPECT_TRUE(pq.listed.empty());
        EXPECT_FALSE(pq.home.dir.exists("Caches.bin"));
    }
}

TEST(PocketQuery, PlainWaypointsAreCountedAsNoCacheAndNotStored) {
    std::string gpx = pqFixture("whole.gpx");
    const std::string home1 =
        "  <wpt lat=\"49.5\" lon=\"11\">\n    <name>HOME</name>\n    <sym>Residence</sym>\n  </wpt>\n"
        "  <wpt lat=\"49.49\" lon=\"11.04\">\n    <name>PK1A001</name>\n    <type>Waypoint|Parking "
        "Area</type>\n"
        "  </wpt>\n";
    gpx.insert(gpx.find("  <wpt"), home1);
    PqHome pq;
    pq.import("mixed.gpx", gpx);
    EXPECT_EQ(pq.dialog.noCacheCount(), 2);
    EXPECT_EQ(pq.dialog.counterText(),
              "5 Cachedefinitionen gefunden, 0 unterschiedlich, 3 neu, 0 alt, 2 kein Cache");
    EXPECT_EQ(pq.databaseWaypoints(), (std::vector<std::string>{"GC1A001", "GC1A002", "GC1A003"}));
    EXPECT_FALSE(pq.home.dir.exists("HOME.html"));
}

// The pages as today's line-based cut gives them for a file written one element a line.
std::string pageOfTheWholeFile(const std::string& gpx, const std::string& waypoint, const RunContext& ctx) {
    return gpxListingPageText(gpxTrimmedLines(gpx), waypoint, ctx.services.listingSite,
                              ctx.services.imageHost)
        .value_or("no page");
}

TEST(PocketQuery, PagesAreTheSameWhateverTheLineLayout) {
    const std::string gpx = pqFixture("whole.gpx");
    const std::string line = onOneLine(gpx);
    ASSERT_EQ(line.find('\n'), line.find("Spaziergang.\n") + 12);  // only text keeps its breaks
    PqHome lines, oneLine;
    lines.import("lines.gpx", gpx);
    oneLine.import("line.gpx", line);
    for (const std::string wp : {"GC1A001", "GC1A002", "GC1A003"}) {
        SCOPED_TRACE(wp);
        const std::string page = lines.home.dir.read(wp + ".html");
        EXPECT_EQ(page, pageOfTheWholeFile(gpx, wp, lines.ctx()));
        EXPECT_EQ(oneLine.home.dir.read(wp + ".html"), page);
    }
}

// Longer than the pieces the file is read in: the opening still finds the title and counts the
// one line that holds every cache.
TEST(PocketQuery, OneLineLongerThanAReadPieceOpensWithItsTitle) {
    std::vector<test::GpxCache> caches(6000);
    for (std::size_t k = 0; k < caches.size(); ++k) caches[k].waypoint = "GC" + std::to_string(100000 + k);
    const std::string line = onOneLine(test::gpxFile(caches, "Lange Zeile"));
    ASSERT_GT(line.size(), 3u << 20);
    PqHome pq;
    pq.home.dir.write("long.gpx", line);
    pq.dialog.setFile(pq.home.dir.file("long.gpx"));
    pq.dialog.open();
    EXPECT_EQ(pq.dialog.caption(), "GPX-Import [Lange Zeile]");
    EXPECT_EQ(pq.dialog.fileInfo(),
              "Importdatei: " + pq.home.dir.file("long.gpx") + " (1 Zeilen, 1 Cachedefinitionen)");
    pq.dialog.close();
}

TEST(PocketQuery, DescriptionsAreShownAsTheOwnerWroteThem) {
    PqHome pq;
    pq.import("whole.gpx", pqFixture("whole.gpx"));
    const std::string page = pq.home.dir.read("GC1A001.html");
    // HTML decoded once, completely: attributes, the owner's own references, "&".
    EXPECT_NE(
        page.find("<table bgcolor=\"#EEEEEE\" border=\"1\"><tr><td>Start&nbsp;&nbsp;am Parkplatz</td>"
                  "<td><b>Lang &amp; breit</b></td></tr></table>\r\n<p>Die Dose liegt <i>am Weiher</i>.</p>"),
        std::string::npos)
        << page;
    // Plain text escaped, its line break kept.
    EXPECT_NE(
        page.find("<span id=\"ShortDescription\">Ein kurzer Spaziergang.<br>\r\nAm Wasser entlang.</span>"),
        std::string::npos);
    const std::string plain = test::gpxFile({test::GpxCache()});
    std::string withPlain = plain;
    withPlain.replace(withPlain.find("html=\"True\""), 11, "html=\"False\"");
    withPlain.replace(withPlain.find("&lt;p&gt;Beschreibung"), 21, "a &lt; b &amp;amp; c\r\nZweite &#228;");
    pq.import("plain.gpx", withPlain);
    const std::string plainPage = pq.home.dir.read("GC1000.html");
    EXPECT_NE(plainPage.find("a &lt; b &amp;amp; c<br>\r\nZweite \xC3\xA4 GC1000&lt;/p&gt;"),
              std::string::npos)
        << plainPage;
}

// The converted description of a cache imported with its "-wpts" file.
TEST(PocketQuery, AdditionalWaypointsReachTheConvertedDescription) {
    PqHome pq;
    pq.home.dir.write("12345-WPTS.gpx", pqFixture("whole-wpts.gpx"));
    pq.import("12345.gpx", pqFixture("whole.gpx"));
    EXPECT_NE(pq.home.dir.read("GC1A001.html").find("Additional Waypoints"), std::string::npos);
    EXPECT_EQ(pq.home.dir.read("GC1A002.html").find("Additional Waypoints"), std::string::npos);

    TCreateDescr generator(pq.ctx());
    generator.prepareRun();
    ASSERT_TRUE(generator.loadTemplate());
    ASSERT_EQ(generator.convertCache("GC1A001"), 0);
    const std::string converted = pq.home.dir.read("GC1A001_converted.html");
    for (const std::string part :
         {"Zus&auml;tzliche Wegpunkte", "Parkplatz (P)", "N 49&deg; 29.910 E 011&deg; 02.880",
          "Note: Kostenlos &amp; schattig", "Station 1 (SOM)", "N 49&deg; 29.940 E 011&deg; 02.970",
          "Note: Z\xE4hle die Fenster: A"})
        EXPECT_NE(converted.find(part), std::string::npos) << part;
    EXPECT_EQ(converted.find("Fremder Parkplatz"), std::string::npos);
}

}  // namespace
}  // namespace vellora
