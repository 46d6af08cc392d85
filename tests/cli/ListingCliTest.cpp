#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliResult;

std::string fixturePath(const std::string& name) {
    return (std::filesystem::path(VELLORA_TEST_SOURCE_DIR) / "listing" / "fixtures" / name).string();
}

class ListingCli : public ::testing::Test {
protected:
    CliResult run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", root.path()});
        return vellora::test::CliRunner::runRaw(args);
    }
    void addCaches(const std::vector<std::string>& waypoints) {
        std::string bin;
        for (const auto& w : waypoints) {
            TCacheRec rec;
            rec.Waypoint = w;
            rec.CacheName = w;
            rec.Lat = 48.1;
            rec.Lon = 11.5;
            bin += encodeCacheRec(rec);
        }
        root.write("Caches.bin", bin);
    }
    void copyFixture(const std::string& name) { root.write(name, readFile(fixturePath(name)).value_or("")); }

    test::TempDir root;
};

TEST_F(ListingCli, ExtractPrintsFieldsCountersBugsAndWaypoints) {
    root.write("page.html",
               "<span id=\"CacheName\">M\xFChle</span><span id=\"LargeMap\">x</span>"
               "<span id='DateHidden'>02/30/2006</span><span id=\"ShortDescription\"><P>a\r\nb</P></span>"
               "<span id=\"CacheLogs\"><img src=\"https://www.vellora-listings.example/images/icon_sad.gif\">"
               "X</span>\r\n");
    const CliResult r = run({"extract", root.file("page.html")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "=== CACHENAME\nM\xC3\xBChle\n=== DATEHIDDEN\nunbekannt\n=== SHORTDESCRIPTION\na\nb\n=== CACHELOGS\n"
        "<!-- [[LOG]] -->:-(&nbsp;X\n=== LOGCOUNTERS\nLOGANZ_FOUND=0\nLOGANZ_REVIEWNOTE=0\nLOGANZ_NOTE=0\n"
        "LOGANZ_DNF=1\nLOGANZ_DISABLED=0\nLOGANZ_ENABLED=0\nLOGANZ_WILLATTEND=0\nLOGANZ_ATTENDED=0\n"
        "LOGANZ_NEEDSMAINTENANCE=0\nLOGANZ_MAINTAINED=0\n=== TRAVELBUGS\n=== ADDITIONALWAYPOINTS\n");
}

TEST_F(ListingCli, ExtractOfTheSitePageFixture) {
    const CliResult r = run({"extract", fixturePath("GC1A2B3.html")});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* expected :
         {"=== HINTS\nUnter Stein [Gerr] Nicht im Wasser\n", "=== LNKDETAILS\n7 Beobachter\n",
          "LOGANZ_FOUND=3\n", "LOGANZ_NEEDSMAINTENANCE=1\n",
          "=== TRAVELBUGS\nMomentane(r) Travelbug(s) im Cache: &quot;Rennschnecke&quot;; &quot;Blauer "
          "Bus&quot;\n",
          "=== ADDITIONALWAYPOINTS\n<table style=\"float: left;"})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
}

TEST_F(ListingCli, ExtractFailures) {
    EXPECT_EQ(run({"extract"}).code, 2);
    EXPECT_EQ(run({"extract", "a", "b"}).code, 2);
    EXPECT_EQ(run({"extract", root.file("missing.html")}).code, 1);
    root.write("plain.html", "<html>nothing</html>");
    const CliResult r = run({"extract", root.file("plain.html")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("=== LOGCOUNTERS\n"), std::string::npos);
}

TEST_F(ListingCli, GenerateOverTheWorkList) {
    addCaches({"GC1A2B3"});
    copyFixture("GC1A2B3.html");
    root.write("WPList.txt", "GC1A2B3\r\nGCMISSING\r\n");
    const CliResult r = run({"generate"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Die Arbeitsliste enth\xC3\xA4lt 2 Wegpunkte.\nKonvertiert: 1\n\xC3\x9C"
              "bersprungen: 1\n");
    const std::string converted = root.read("GC1A2B3_converted.html");
    EXPECT_NE(converted.find("<h1>Alte M\xFChle &amp; Steg</h1>"), std::string::npos);
    // The external-content warning goes through the host.
    EXPECT_NE(r.err.find("GC1A2B3(1/1)"), std::string::npos) << r.err;
}

TEST_F(ListingCli, GenerateOverTheOutputDirectoryWithStoredOptions) {
    addCaches({"GC1A2B3", "GCGPX01"});
    copyFixture("GC1A2B3.html");
    copyFixture("GCGPX01.html");
    ASSERT_EQ(run({"config", "set", "Program", "CrDescSaveOpts", "1"}).code, 0);
    ASSERT_EQ(run({"config", "set", "Program", "CrDescTemplateFile", fixturePath("placeholders.html")}).code,
              0);
    ASSERT_EQ(run({"config", "set", "Program", "CrDescMaxLogs", "1"}).code, 0);
    const CliResult r = run({"generate", "--outdir"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Das Ausgabeverzeichnis enth\xC3\xA4lt 2 Cachebeschreibungen.\nKonvertiert: 2\n\xC3\x9C"
              "bersprungen: 0\n");
    EXPECT_NE(
        root.read("GCGPX01_converted.html").find("[LOGLIMITATIONS]Die Ausgabe der Logs wurde auf maximal 1 "),
        std::string::npos);
}

TEST_F(ListingCli, GenerateFailures) {
    EXPECT_EQ(run({"generate", "--bogus"}).code, 2);
    EXPECT_EQ(run({"generate", "--outdir", "x"}).code, 2);
    CliResult r = run({"generate"});  // no work list
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Die Arbeitsliste enth\xC3\xA4lt keine Waypoints."), std::string::npos) << r.err;

    root.write("WPList.txt", "GC1\r\n");
    ASSERT_EQ(run({"config", "set", "Program", "Template", root.file("none.html")}).code, 0);
    r = run({"generate"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Templatedatei nicht gefunden:"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vellora
