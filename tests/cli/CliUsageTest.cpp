// What vellora-cli says when a command fails or is called wrongly: the reason on standard error,
// the usage of that one command, nothing created; help and version; db list for scripts.
#include <gtest/gtest.h>

#include <cerrno>

#include "core/FileUtil.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliResult;
using test::CliRunner;
using test::TempDir;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliUsage, UsageErrorsNameTheProblemShowOneUsageAndCreateNothing) {
    TempDir parent;
    const std::string home = parent.path() + "/neu";
    struct Case {
        std::vector<std::string> words;
        const char* problem;
        const char* usage;
    };
    const Case cases[] = {
        {{"db", "help"}, "Unbekannter Befehl: db help", "Aufruf: vellora-cli db find WAYPOINT"},
        {{"db"}, "db: Unterbefehl fehlt", "Aufruf: vellora-cli db count"},
        {{"zip", "extract", "a.zip"},
         "zip extract: DIR fehlt",
         "Aufruf: vellora-cli zip extract ARCHIVE DIR [MASK]"},
        {{"geo", "distance", "1", "2"}, "geo distance: LAT2 fehlt", "Aufruf: vellora-cli geo distance"},
        {{"load", "--all"}, "load: Unbekannte Option: --all", "Aufruf: vellora-cli load [--maps-only]"},
        {{"notes", "get", "GC1", "GC2"},
         "notes get: Zu viele Argumente",
         "Aufruf: vellora-cli notes get WAYPOINT"},
        {{"db", "list", "--fields"}, "db list: --fields: Wert fehlt", "Aufruf: vellora-cli db list"},
        {{"bunt"}, "Unbekannter Befehl: bunt", "Befehle:"},
        // Commands with options in any order are checked by the same table.
        {{"gpx", "import", "--extract"}, "gpx import: FILE fehlt", "Aufruf: vellora-cli gpx import FILE"},
        {{"export", "--format", "gpx", "-o", "x"},
         "export: --source fehlt",
         "Aufruf: vellora-cli export --format"},
        {{"worklist", "move", "GC1"}, "worklist move: --to fehlt", "Aufruf: vellora-cli worklist move"},
        {{"route", "a.ovl", "--format", "ovl", "--widht", "3"},
         "route: Unbekannte Option: --widht",
         "Aufruf: vellora-cli route FILE..."},
        {{"db", "list", "--near", "49.6,10.85"},
         "db list: --near und --radius nur zusammen",
         "Aufruf: vellora-cli db list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        const CliResult r = CliRunner(home).run(c.words);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(contains(r.err, c.problem)) << r.err;
        EXPECT_TRUE(contains(r.err, c.usage)) << r.err;
        EXPECT_FALSE(dirExists(home));
    }
    // A single command's usage, not the whole list.
    const CliResult zip = CliRunner(home).run({"zip", "extract"});
    EXPECT_FALSE(contains(zip.err, "db find"));

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--home"}, std::vector<std::string>{"--home="}}) {
        const CliResult r = CliRunner::runRaw(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(contains(r.err, "--home ohne Verzeichnis")) << r.err;
        EXPECT_FALSE(contains(r.err, "Unbekannter Befehl"));
    }
}

// A value the command itself refuses gets the same form of message, once the home is there.
TEST(CliUsage, RefusedValuesNameTheCommandAndShowItsUsage) {
    TempDir home;
    struct Case {
        std::vector<std::string> words;
        const char* problem;
        const char* usage;
    };
    const Case refused[] = {
        {{"geo", "distance", "x", "1", "2", "3"},
         "geo distance: LAT1 ist keine Zahl",
         "Aufruf: vellora-cli geo distance LAT1 LON1 LAT2 LON2"},
        {{"index", "--dir="}, "index: --dir ohne Verzeichnis", "Aufruf: vellora-cli index [--dir DIR]"},
        {{"mapview", "--source", "work", "--size", "5"}, "mapview: --size 5", "Aufruf: vellora-cli mapview"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.problem);
        const CliResult r = CliRunner(home.path()).run(c.words);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(contains(r.err, c.problem)) << r.err;
        EXPECT_TRUE(contains(r.err, c.usage)) << r.err;
    }
}

TEST(CliUsage, HelpAndVersion) {
    TempDir parent;
    const std::string home = parent.path() + "/neu";
    const CliResult all = CliRunner(home).run({"help"});
    EXPECT_EQ(all.code, 0);
    EXPECT_TRUE(contains(all.out, "Aufruf: vellora-cli"));
    EXPECT_TRUE(contains(all.out, "db list [--fields F,...] [--near LAT,LON --radius KM]"));
    const CliResult zip = CliRunner(home).run({"help", "zip"});
    EXPECT_EQ(zip.code, 0);
    // The usage lines of that one command, then each described.
    EXPECT_EQ(zip.out,
              "Aufruf: vellora-cli zip list ARCHIVE\n"
              "Aufruf: vellora-cli zip extract ARCHIVE DIR [MASK]\n"
              "  zip list ARCHIVE\n"
              "      Listet die Dateien eines ZIP-Archivs: Name, Methode, Gr\xC3\xB6\xC3\x9F"
              "en und CRC.\n"
              "  zip extract ARCHIVE DIR [MASK]\n"
              "      Entpackt die Dateien eines ZIP-Archivs (alle oder die zur Maske passenden) in ein "
              "Verzeichnis.\n");
    const CliResult version = CliRunner::runRaw({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("vellora-cli V", 0), 0u) << version.out;
    EXPECT_FALSE(dirExists(home));
}

TEST(CliUsage, FailingZipCommandsSayWhy) {
    TempDir home;
    const std::string missing = home.path() + "/gibt-es-nicht.zip";
    const std::string reason = systemErrorText(ENOENT);
    const CliResult list = CliRunner(home.path()).run({"zip", "list", missing});
    EXPECT_EQ(list.code, 1);
    EXPECT_EQ(list.out, "");
    EXPECT_TRUE(contains(list.err, missing)) << list.err;
    EXPECT_TRUE(contains(list.err, reason)) << list.err;
    const CliResult extract = CliRunner(home.path()).run({"zip", "extract", missing, home.path() + "/ziel"});
    EXPECT_EQ(extract.code, 1);
    EXPECT_EQ(extract.out, "-14\n");  // the result code stays on standard output for scripts
    EXPECT_TRUE(contains(extract.err, reason)) << extract.err;
    home.write("kein.zip", "Dies ist kein Archiv.");
    const CliResult notZip = CliRunner(home.path()).run({"zip", "list", home.path() + "/kein.zip"});
    EXPECT_EQ(notZip.code, 1);
    EXPECT_TRUE(contains(notZip.err, "kein ZIP-Archiv")) << notZip.err;
}

TEST(CliUsage, DbListPrintsTabSeparatedRecordsNearestFirst) {
    TempDir home;
    const CliRunner cli(home.path());
    const char* records[] = {
        "Waypoint=GC1FERN\nCacheName=Fern\nLat=52.5\nLon=13.4\nCacheType=Traditional Cache\n",
        "Waypoint=GC2NAH\nCacheName=Gr\xC3\xBCne Mitte\nLat=49.61\nLon=10.86\nCacheType=Multi-cache\n",
        "Waypoint=GC3NAH\nCacheName=Daneben\nLat=49.65\nLon=10.85\nCacheType=Unknown Cache\n",
    };
    for (const char* r : records) ASSERT_EQ(cli.run({"db", "put"}, r).code, 0);

    const CliResult all = cli.run({"db", "list"});
    EXPECT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(test::textLines(all.out),
              (std::vector<std::string>{"GC1FERN\tFern\tTraditional Cache\t52.5\t13.4",
                                        "GC2NAH\tGr\xC3\xBCne Mitte\tMulti-cache\t49.61\t10.86",
                                        "GC3NAH\tDaneben\tUnknown Cache\t49.65\t10.85"}));

    const CliResult near =
        cli.run({"db", "list", "--fields", "Waypoint,Distance", "--near", "49.6,10.85", "--radius", "10"});
    EXPECT_EQ(near.code, 0) << near.err;
    const auto lines = test::textLines(near.out);
    ASSERT_EQ(lines.size(), 2u) << near.out;
    EXPECT_EQ(lines[0].rfind("GC2NAH\t1.", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("GC3NAH\t5.", 0), 0u) << lines[1];

    const CliResult badField = cli.run({"db", "list", "--fields", "Waypoint,Farbe"});
    EXPECT_EQ(badField.code, 1);
    EXPECT_TRUE(contains(badField.err, "Unbekanntes Feld: Farbe")) << badField.err;
    const CliResult alone = cli.run({"db", "list", "--near", "49.6,10.85"});
    EXPECT_EQ(alone.code, 2);
    EXPECT_TRUE(contains(alone.err, "--near und --radius nur zusammen")) << alone.err;
}

}  // namespace
}  // namespace vellora
