// Hostile waypoints (tests/hostile/corpus/waypoints: climbing, absolute, backslash, control
// characters, overlong, empty...) through every way a waypoint enters: GPX import with listing
// pages, the work-list files, a suitcase, a country file, saved listings, the list files, the
// command line and the cache editor. Each refuses the name, the other caches of the same input
// still arrive, and nothing outside the home's data files and its output directory changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "core/CacheRec.h"
#include "core/CoordInput.h"
#include "core/Cp1252.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/HandBuiltRecords.h"
#include "core/Koord.h"
#include "core/StrUnit.h"
#include "core/Waypoint.h"
#include "hostile/HostileCorpus.h"
#include "import/EditCache.h"
#include "import/GpxTestFiles.h"
#include "suitcase/IndependentSuitcase.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora::test {
namespace {

const char kRefused[] = "Ung\xC3\xBCltiger Wegpunkt";
const char kAbsoluteTarget[] = "/tmp/vellora_hostile_absolute";

// The name as XML character data in UTF-8; control characters as references (which XML 1.0
// allows only for tab, CR and LF, so a file with any other is refused as a whole).
std::string xmlText(const std::string& cp1252) {
    std::string out;
    for (char c : utf8FromCp1252(cp1252)) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else if (b < 0x20)
            out += "&#" + std::to_string(b) + ";";
        else
            out += c;
    }
    return out;
}

bool xmlCanCarry(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

std::string cut(const std::string& text, std::size_t n) {
    return text.substr(0, std::min(text.size(), n));
}

// Files of the home a run may write: the database, the lists, the settings, the notes and logs.
bool homeDataFile(const std::string& name) {
    return name.rfind("Caches.", 0) == 0 || name.rfind("Finds.bin", 0) == 0 || name.rfind("WP", 0) == 0 ||
           name == "vellora.conf" || name == "Persinfo.txt" || name.rfind("debug", 0) == 0;
}

// A file of the output directory that belongs to a cache: a waypoint, then "." or "_".
bool cacheFile(const std::string& name) {
    const std::size_t stem = name.find_first_of("._");
    return stem != std::string::npos && checkWaypoint(name.substr(0, stem)).ok();
}

// root/parent/home is the home (and working directory), home/out the output directory, so that
// names climbing one or two levels land in folders the test watches.
class HostileWaypoints : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(makeDirs(out()), 0);
        ASSERT_EQ(cli.run({"init"}).code, 0);
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"HomeLat", "49.5"},
                                         {"HomeLong", "11"},
                                         {"OutDir", out() + "/"},
                                         {"ShowMessages", "1"}})
            ASSERT_EQ(cli.run({"config", "set", "Program", key, value}).code, 0);
        root.write("parent/keep.txt", "nachbar");
        root.write("parent/home/Caches.bin", "");
        removeFile(kAbsoluteTarget);
        removeFile(std::string(kAbsoluteTarget) + ".html");
    }
    std::string home() const { return root.file("parent/home"); }
    std::string out() const { return root.file("parent/home/out"); }
    std::string homeFile(const std::string& name) const { return home() + "/" + name; }

    // A hash of every file below root that a run must leave as it was.
    using Hashes = std::map<std::string, std::size_t>;
    Hashes guarded() const {
        Hashes hashes;
        for (auto& [rel, content] : treeOf(root.path())) {
            const std::string inHome = "parent/home/";
            if (rel.rfind(inHome + "out/", 0) == 0) continue;
            if (rel.rfind(inHome, 0) == 0 && homeDataFile(rel.substr(inHome.size()))) continue;
            hashes[rel] = std::hash<std::string>{}(content);
        }
        return hashes;
    }
    // What a run may have written: the home's data files and cache files directly in out.
    // listsWritten: the run wrote the list files itself, so they hold waypoints only.
    void expectContained(const Hashes& before, const std::string& what, bool listsWritten = true) const {
        SCOPED_TRACE(what);
        EXPECT_EQ(guarded(), before);
        for (const auto& [rel, content] : treeOf(out())) {
            EXPECT_EQ(rel.find('/'), std::string::npos) << rel;
            EXPECT_TRUE(cacheFile(rel)) << rel;
        }
        EXPECT_FALSE(fileExists(kAbsoluteTarget));
        EXPECT_FALSE(fileExists(std::string(kAbsoluteTarget) + ".html"));
        for (const char* list : {"WPList.txt", "WPignore.txt", "WPclipboard.txt"}) {
            if (!listsWritten || !fileExists(homeFile(list))) continue;
            for (const std::string& line : readListFile(homeFile(list)))
                EXPECT_TRUE(checkWaypoint(line).ok()) << list << ": " << escapedValue(line);
        }
        const CliResult all = cli.run({"db", "list", "--fields", "Waypoint"});
        for (const std::string& line : textLines(all.out))
            EXPECT_TRUE(checkWaypoint(line).ok()) << "Caches.bin: " << escapedValue(line);
    }
    bool inDatabase(const std::string& waypoint) const { return cli.run({"db", "find", waypoint}).code == 0; }

    TempDir root;
    CliRunner cli{root.file("parent/home")};
};

GpxCache at(const std::string& waypoint) {
    GpxCache c;
    c.waypoint = waypoint;
    c.lat = "49.5001";
    c.name = "Cache";
    return c;
}

TEST_F(HostileWaypoints, GpxImportWithListingPages) {
    for (const std::string& file : corpusFiles("waypoints")) {
        SCOPED_TRACE(baseName(file));
        const std::string name = fileBytes(file);
        root.write("pq.gpx", gpxFile({at(xmlText(name)), at("GCGOOD1")}));
        const Hashes before = guarded();
        const CliResult r = cli.run({"gpx", "import", root.file("pq.gpx"), "--radius", "10", "--extract"});
        expectContained(before, "gpx import");
        if (!xmlCanCarry(name)) continue;  // the parser refuses the whole file
        EXPECT_TRUE(inDatabase("GCGOOD1")) << r.err;
        EXPECT_TRUE(fileExists(out() + "/GCGOOD1.html"));
        if (!name.empty()) {
            EXPECT_NE(r.err.find(kRefused), std::string::npos) << r.err;
        }
    }
}

TEST_F(HostileWaypoints, WorkListFiles) {
    for (const std::string& file : corpusFiles("waypoints")) {
        SCOPED_TRACE(baseName(file));
        const std::string name = fileBytes(file);
        for (const std::string& hostile : std::vector<std::string>{name, "GC" + name}) {
            root.write("w.gpx", gpxFile({at(xmlText(hostile)), at("GCGOOD2")}));
            root.write("w.loc", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><loc><waypoint><name id=\"" +
                                    xmlText(hostile) +
                                    "\">x</name></waypoint><waypoint><name id=\"GCGOOD2\">y" +
                                    "</name></waypoint></loc>");
            root.write("w.txt", hostile + "\r\nGCGOOD2\r\n");
            for (const char* format : {"gpx", "loc", "txt"}) {
                removeFile(homeFile("WPList.txt"));
                const Hashes before = guarded();
                const CliResult r =
                    cli.run({"worklist", "from-file", format, root.file(std::string("w.") + format)});
                expectContained(before, std::string("worklist from-file ") + format);
                // A line break in a text file makes lines of its own, which may well be waypoints.
                const bool oneLine = hostile.find_first_of("\r\n") == std::string::npos;
                if (std::string(format) == "txt" ? oneLine : xmlCanCarry(hostile)) {
                    EXPECT_EQ(readListFile(homeFile("WPList.txt")), std::vector<std::string>{"GCGOOD2"})
                        << r.err;
                }
            }
        }
    }
}

TEST_F(HostileWaypoints, Suitcase) {
    for (const std::string& file : corpusFiles("waypoints")) {
        SCOPED_TRACE(baseName(file));
        const std::string name = fileBytes(file);
        indep::Suitcase s;
        s.db = {handCacheRec(cut(name, 16)), handCacheRec("GCGOOD3")};
        s.work = {cut(name, 12), "GCGOOD3"};
        s.ignore = {cut(name, 12)};
        indep::Block bad;
        bad.waypoint = cut(name, 12);
        bad.page = "fremd";
        bad.meta = "0#x\r\n";
        bad.mapName = cut(name + "_map.png", 60);
        bad.map = "M";
        bad.images = {{cut(name + "_i0.jpg", 60), "I"}};
        indep::Block good;
        good.waypoint = "GCGOOD3";
        good.page = "seite";
        s.blocks = {bad, good};
        root.write("koffer.vellora", indep::write(s));
        removeFile(homeFile("WPList.txt"));
        const Hashes before = guarded();
        const CliResult r =
            cli.run({"suitcase", "import", root.file("koffer.vellora"), "--db", "update", "--no-generate"});
        EXPECT_EQ(r.code, 0) << r.err;
        expectContained(before, "suitcase import");
        EXPECT_TRUE(inDatabase("GCGOOD3"));
        const std::vector<std::string> work = readListFile(homeFile("WPList.txt"));
        EXPECT_NE(std::find(work.begin(), work.end(), "GCGOOD3"), work.end());
        EXPECT_TRUE(fileExists(out() + "/GCGOOD3.html"));
        // Cut to the suitcase's field width a long name can be a waypoint; its files are still refused.
        EXPECT_NE((r.out + r.err)
                      .find("zur\xC3\xBC"
                            "ckgewiesen"),
                  std::string::npos)
            << r.err;
        if (!checkWaypoint(cut(name, 12)).ok()) {
            EXPECT_NE((r.out + r.err).find(kRefused), std::string::npos) << r.err;
        }
    }
}

TEST_F(HostileWaypoints, CountryFile) {
    for (const std::string& file : corpusFiles("waypoints")) {
        SCOPED_TRACE(baseName(file));
        const std::string name = fileBytes(file);
        auto line = [](const std::string& wp) {
            return "1 \"Cache\" 2005 06 07 49.6 10.85 \"Traditional Cache\" \"Small\" " + wp + " 1 2 3\n";
        };
        root.write("parent/home/gc_germany.txt", line(name) + line("GCGOOD4"));
        const Hashes before = guarded();
        const CliResult r = cli.run({"db", "convert"});
        expectContained(before, "db convert");
        EXPECT_TRUE(inDatabase("GCGOOD4")) << r.err;
        removeFile(homeFile("gc_germany.txt"));
    }
}

TEST_F(HostileWaypoints, SavedListings) {
    for (const std::string& file : corpusFiles("waypoints")) {
        SCOPED_TRACE(baseName(file));
        const std::string name = fileBytes(file);
        auto page = [](const std::string& wp) {
            return "<span id=\"CacheName\">Am Bach</span><span id=\"WaypointName\">" + wp +
                   "</span><span id=\"LatLon\">N 49\xB0 12.345 E 010\xB0 58.123</span>";
        };
        root.write("parent/pages/GC1234.html", page(name));
        root.write("parent/pages/GCGOOD5.html", page("GCGOOD5"));
        const Hashes before = guarded();
        const CliResult r = cli.run({"db", "from-listings", root.file("parent/pages"), "--update"});
        expectContained(before, "db from-listings");
        EXPECT_TRUE(inDatabase("GCGOOD5")) << r.out << r.err;
        if (!trimControl(name).empty()) {
            EXPECT_NE((r.out + r.err).find(kRefused), std::string::npos) << r.out;
        }
    }
}

TEST_F(HostileWaypoints, ListFilesAndCommandLine) {
    for (const std::string& file : corpusFiles("waypoints")) {
        SCOPED_TRACE(baseName(file));
        const std::string name = fileBytes(file);
        root.write("parent/home/WPList.txt", "GCGOOD6\r\n" + name + "\r\n");
        root.write("parent/home/WPignore.txt", name + "\r\n");
        root.write("parent/home/WPclipboard.txt", name + "\r\n");
        Hashes before = guarded();
        cli.run({"generate"});
        cli.run({"index"});
        expectContained(before, "generate", false);
        root.write("parent/home/WPList.txt", "GCGOOD6\r\n" + name + "\r\n");
        before = guarded();
        const CliResult added = cli.run({"--yes", "worklist", "add", "GCGOOD7"});
        expectContained(before, "list files", false);
        // A line break in the name makes lines of their own, which may well be waypoints.
        std::vector<std::string> expected = {"GCGOOD6"};
        for (const std::string& line : splitListLines(name))
            if (auto waypoint = normalWaypoint(trimControl(line))) expected.push_back(*waypoint);
        expected.push_back("GCGOOD7");
        EXPECT_EQ(readListFile(homeFile("WPList.txt")), expected) << added.err;

        before = guarded();
        const std::vector<std::vector<std::string>> commands = {{"worklist", "add", name},
                                                                {"notes", "set", name},
                                                                {"edit-long", name},
                                                                {"db", "find", name},
                                                                {"db", "put"}};
        for (const auto& words : commands) {
            const CliResult r = cli.run(words, "Waypoint=" + name + "\nCacheName=x\nLat=49.5\nLon=11\n");
            if (words[0] != "worklist" && words[1] != "put") {
                EXPECT_NE(r.code, 0) << words[0];
                EXPECT_NE(r.err.find(kRefused), std::string::npos) << r.err;
            }
        }
        expectContained(before, "arguments", false);
    }
}

TEST(HostileWaypointsEditor, EveryNameIsRefusedWithItsReason) {
    for (const std::string& file : corpusFiles("waypoints")) {
        const std::string name = fileBytes(file);
        SCOPED_TRACE(baseName(file));
        TestHome home;
        TfrmEditCache editor(home.ctx());
        editor.open(TCacheRec{}, true);
        editor.btnNewClick();
        editor.setName("Neuer Cache");
        editor.setWaypoint(name);
        editor.btnCoordClick([](TCoordInput& in) {
            in.setBoxText(CoordBox::LatDecimal, "49.6");
            in.setBoxText(CoordBox::LonDecimal, "10.85");
            return in.accept();
        });
        home.host.messages.clear();
        EXPECT_FALSE(editor.btnCommitClick());
        ASSERT_FALSE(home.host.messages.empty());
        const std::string expected = name.empty() ? "Waypoint fehlt" : "Ung\xFCltiger Wegpunkt";
        EXPECT_NE(home.host.messages.front().text.find(expected), std::string::npos)
            << home.host.messages.front().text;
        EXPECT_EQ(cacheRecordCount(home.ctx()), 0);
        editor.close();
    }
}

}  // namespace
}  // namespace vellora::test
