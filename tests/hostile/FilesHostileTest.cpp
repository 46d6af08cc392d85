// Hostile stored files: every file of a reader's corpus folder, and a valid file of each format cut
// at many lengths, go through the reader. It may refuse with a message or read what it can; it
// never crashes, and what the user already has stays as it was.
#include <gtest/gtest.h>

#include <cmath>

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/IniFile.h"
#include "core/PersInfo.h"
#include "core/Settings.h"
#include "hostile/HostileCorpus.h"
#include "import/GpxImport.h"
#include "import/GpxTestFiles.h"
#include "listing/CreateDescr.h"
#include "support/CacheRecords.h"
#include "support/TestHome.h"
#include "tools/RouteFiles.h"
#include "worklist/WPCol.h"

namespace vellora::test {
namespace {

TCacheRec cache(const std::string& waypoint, double lat) {
    TCacheRec rec = sampleCache(waypoint, lat, 11.0);
    rec.CacheName = "Name " + waypoint;
    return rec;
}

// A database of GC1, GC2, GC3 in a fresh home.
std::string threeRecords() {
    return encodeDatabase({cache("GC1", 49.1), cache("GC2", 49.2), cache("GC3", 49.3)});
}

// Every reader of the database over the home's files, answering No to every question so that
// nothing is deleted or repaired behind the test's back.
void readDatabase(TestHome& home) {
    for (int i = 0; i < 8; ++i) home.host.answerNext(MsgResult::No);
    RecoverCacheDB(home.ctx());
    CheckCacheDB(home.ctx());
    LoadIndex(home.ctx());
    TCacheRec rec;
    std::int32_t no = 0;
    for (const char* wp : {"GC1", "GC2", "GC3", "GCX", ""}) {
        if (FindCache(home.ctx(), wp, rec, no)) {
            EXPECT_EQ(rec.Waypoint, wp);
        }
    }
    bool complete = false;
    const TCacheList all = LoadAllCaches(home.ctx(), &complete);
    EXPECT_LE(static_cast<std::int64_t>(all.count()), cacheRecordCount(home.ctx()));
}

TEST(HostileFiles, CacheDatabaseKeepsItsRecordsWhateverTheFilesHold) {
    for (const std::string& file : corpusFiles("cachesbin")) {
        SCOPED_TRACE(baseName(file));
        TestHome home;
        const std::string bytes = fileBytes(file);
        home.dir.write("Caches.bin", bytes);
        readDatabase(home);
        EXPECT_EQ(home.dir.read("Caches.bin"), bytes);
    }
    // A sound Caches.bin with a hostile index: the index is rebuilt, every record is found again.
    for (const std::string& file : corpusFiles("cachesidx")) {
        SCOPED_TRACE(baseName(file));
        TestHome home;
        home.dir.write("Caches.bin", threeRecords());
        home.dir.write("Caches.idx", fileBytes(file));
        readDatabase(home);
        EXPECT_EQ(home.dir.read("Caches.bin"), threeRecords());
        TCacheRec rec;
        for (const char* wp : {"GC1", "GC2", "GC3"}) EXPECT_TRUE(FindCache(home.ctx(), wp, rec)) << wp;
    }
}

TEST(HostileFiles, TruncatedDatabaseReadsItsWholeRecords) {
    const std::string whole = threeRecords();
    TestHome home;
    for (std::size_t cut : cutLengths(whole.size(), 24)) {
        SCOPED_TRACE(cut);
        home.dir.write("Caches.bin", whole.substr(0, cut));
        ::remove(home.workFile("Caches.idx").c_str());
        home.ctx().cacheIndex.clear();
        readDatabase(home);
        bool complete = false;
        EXPECT_EQ(static_cast<std::size_t>(LoadAllCaches(home.ctx(), &complete).count()),
                  cut / kCacheRecSize);
        EXPECT_EQ(home.dir.read("Caches.bin"), whole.substr(0, cut));
    }
    // An index cut anywhere is noticed and rebuilt.
    for (std::size_t cut : cutLengths(3 * kIdxRecSize, 72)) {
        SCOPED_TRACE("index cut at " + std::to_string(cut));
        home.dir.write("Caches.bin", whole);
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
        const std::string idx = home.dir.read("Caches.idx");
        home.dir.write("Caches.idx", idx.substr(0, cut));
        home.ctx().cacheIndex.clear();
        RecoverCacheDB(home.ctx());
        LoadIndex(home.ctx());
        TCacheRec rec;
        for (const char* wp : {"GC1", "GC2", "GC3"}) EXPECT_TRUE(FindCache(home.ctx(), wp, rec)) << wp;
    }
}

TEST(HostileFiles, FindsFileGivesItsWholeRecords) {
    std::string whole;
    for (const char* wp : {"GC1", "GC2", "GC3"}) {
        TFoundRec rec;
        rec.Waypoint = wp;
        rec.FoundDate = "05.11.2006";
        rec.CacheName = std::string("Name \x80\x9D ") + wp;
        encodeFoundRec(rec, whole);
    }
    TempDir dir;
    for (std::size_t cut : cutLengths(whole.size(), 40)) {
        SCOPED_TRACE(cut);
        dir.write("Finds.bin", whole.substr(0, cut));
        std::vector<TFoundRec> records;
        EXPECT_EQ(readFoundRecords(dir.file("Finds.bin"), records), 0);
        EXPECT_EQ(records.size(), cut / TFoundRec::kSize);
    }
    for (const std::string& file : corpusFiles("finds")) {
        SCOPED_TRACE(baseName(file));
        TFoundList list;
        readFoundList(file, list);
        std::vector<TFoundRec> records;
        readFoundRecords(file, records);
        EXPECT_LE(records.size() * TFoundRec::kSize, fileBytes(file).size());
        // What was read can be written and read back as it is.
        dir.write("copy.bin", "");
        ASSERT_EQ(writeFoundRecords(dir.file("copy.bin"), records), 0);
        std::vector<TFoundRec> again;
        readFoundRecords(dir.file("copy.bin"), again);
        ASSERT_EQ(again.size(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(again[i].Waypoint, records[i].Waypoint);
    }
}

TEST(HostileFiles, ListsReadEveryLineInAnyBytes) {
    TempDir dir;
    const std::string whole = "GC1\r\nGC2 Kommentar\r\n\xFCGC3\nGC4\rGC5";
    std::vector<std::string> files = corpusFiles("list");
    for (std::size_t cut : cutLengths(whole.size())) {
        dir.write("cut" + std::to_string(cut) + ".txt", whole.substr(0, cut));
        files.push_back(dir.file("cut" + std::to_string(cut) + ".txt"));
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(baseName(file));
        int error = 0;
        const std::vector<std::string> lines = readListFile(file, &error);
        EXPECT_EQ(error, 0);
        std::size_t bytes = 0;
        for (const std::string& line : lines) bytes += line.size();
        EXPECT_LE(bytes, fileBytes(file).size());
        for (WPFileFormat format : {WPFileFormat::Text, WPFileFormat::Gpx, WPFileFormat::Loc}) {
            std::vector<std::string> candidates;
            std::string parserError;
            const int rc = readWaypointCandidates(file, format, candidates, &parserError);
            if (rc == -1) {
                EXPECT_FALSE(parserError.empty());
            }
            for (const std::string& wp : candidates) EXPECT_EQ(wp.rfind("GC", 0), 0u) << wp;
        }
        readArchivedWaypoints(file, ArchivedReading::AfterFirstSemicolon);
    }
}

// vellora.conf and CacheDB.conf (the country table) through the start-up of a new run.
TEST(HostileFiles, ConfigurationFilesStartTheProgram) {
    std::vector<std::pair<std::string, std::string>> confs, countries;
    for (const std::string& file : corpusFiles("ini")) confs.emplace_back(baseName(file), fileBytes(file));
    for (const std::string& file : corpusFiles("country"))
        countries.emplace_back(baseName(file), fileBytes(file));
    const std::string conf =
        "[Program]\r\nWorkDir=/tmp\r\nListWidth=600\r\nHomeLat=48.5\r\n[Suitcase]\r\nX=1\r\n";
    for (std::size_t cut : cutLengths(conf.size())) confs.emplace_back("cut conf", conf.substr(0, cut));
    {
        TestHome shipped;
        const std::string table = shipped.dir.read("CacheDB.conf");
        for (std::size_t cut : cutLengths(table.size(), 48))
            countries.emplace_back("cut CacheDB.conf", table.substr(0, cut));
    }
    for (const auto& [name, bytes] : confs) {
        SCOPED_TRACE(name);
        TestHome home(TestHome::Start::None);
        home.dir.write("vellora.conf", bytes);
        home.restart(TestHome::Start::Loaded);
        IniFile ini(home.dir.file("vellora.conf"));
        for (const std::string& section : ini.sectionNames())
            for (const std::string& key : ini.keyNames(section)) {
                ini.readString(section, key, "");
                ini.readInteger(section, key, 0);
                ini.readFloat(section, key, 0);
                ini.readBool(section, key, false);
            }
        EXPECT_TRUE(std::isfinite(home.ctx().settings.HomeLat));
        EXPECT_TRUE(std::isfinite(home.ctx().settings.HomeLong));
    }
    for (const auto& [name, bytes] : countries) {
        SCOPED_TRACE(name);
        TestHome home(TestHome::Start::None);
        home.dir.write("CacheDB.conf", bytes);
        home.restart(TestHome::Start::Loaded);
        const CountryTable& table = home.ctx().countries;
        EXPECT_LE(table.count(), CountryTable::kMaxEntries);
        for (const TCountryEntry& e : table.entries) {
            EXPECT_LE(e.DB_Filename.size(), 20u);
            EXPECT_LE(e.DB_CName.size(), 14u);
            EXPECT_LE(e.DB_CNameDE.size(), 25u);
        }
        countryNameByID(table, 79);
        countryIDByName(table, "Germany");
    }
}

TEST(HostileFiles, NotesAreReadAndKeptWhateverTheyHold) {
    const std::string whole = "[GC1]\r\nZ0=erste\r\nZ1=zweite \x80\r\n[GC2]\r\nZ0=x\r\n";
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const std::string& file : corpusFiles("persinfo"))
        inputs.emplace_back(baseName(file), fileBytes(file));
    for (std::size_t cut : cutLengths(whole.size())) inputs.emplace_back("cut", whole.substr(0, cut));
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        TempDir dir;
        dir.write("Persinfo.txt", bytes);
        const std::string work = dir.path() + "/";
        for (const char* wp : {"GC1", "GC2", "GCX"}) {
            const std::vector<std::string> lines = ReadNote(work, wp);
            EXPECT_LE(lines.size(), bytes.size());
            HasNote(work, wp);
        }
        // Writing another cache's note keeps the note of GC1 as it was read.
        const std::vector<std::string> gc1 = ReadNote(work, "GC1");
        WriteNote(work, "GCNEW", {"neu"});
        EXPECT_EQ(ReadNote(work, "GC1"), gc1);
        EXPECT_EQ(ReadNote(work, "GCNEW"), std::vector<std::string>{"neu"});
    }
}

TEST(HostileFiles, RouteFilesAreReadOrRefusedWithAMessage) {
    using Reader = RouteFileResult (*)(Host&, const std::string&);
    const std::pair<const char*, Reader> readers[] = {
        {"route-overlay", readOverlayRoute},
        {"route-cursor", readCursorRoute},
        {"route-mapsource", readMapSourceRoute},
    };
    const std::string samples[] = {
        "[Symbol 1]\r\nPunkte=3\r\nXKoord0=11.1\r\nYKoord0=48.5\r\nXKoord1=11.2\r\nYKoord1=48.6\r\n"
        "XKoord2=11.3\r\nYKoord2=48.7\r\n",
        "11 34 56.7 48 12 34.5\r\n12 0 0 49 30 0\r\n13 0 0 50 0 0\r\n",
        "Grid\tLat/Lon hddd.ddddd\xB0\r\nWaypoint\tA\t\t\tN48.20958 E011.58242\t\r\n"
        "Waypoint\tB\t\t\tN49.50000 E010.75000\t\r\nRoute Waypoint\tA\t\r\nRoute Waypoint\tB\t\r\n",
    };
    TempDir dir;
    for (std::size_t r = 0; r < 3; ++r) {
        std::vector<std::pair<std::string, std::string>> inputs;
        for (const std::string& file : corpusFiles(readers[r].first))
            inputs.emplace_back(baseName(file), fileBytes(file));
        for (std::size_t cut : cutLengths(samples[r].size(), 64))
            inputs.emplace_back("cut", samples[r].substr(0, cut));
        for (const auto& [name, bytes] : inputs) {
            SCOPED_TRACE(std::string(readers[r].first) + " " + name);
            ScriptedHost host;
            dir.write("route", bytes);
            const RouteFileResult result = readers[r].second(host, dir.file("route"));
            if (!result.ok) {
                EXPECT_FALSE(host.textsOf(MsgKind::Error).empty());
            }
            GeoPoint point;
            for (const std::string& text : result.points) {
                ASSERT_TRUE(parseRoutePoint(text, point)) << text;
                EXPECT_TRUE(std::isfinite(point.lat) && std::isfinite(point.lon)) << text;
            }
        }
    }
}

// The image list beside a saved page, read by the description generator.
TEST(HostileFiles, ImageListsOfSavedPages) {
    const std::string whole = "1#GC1_i1.jpg\r\n1#Titel\r\n1#Text\r\n2#GC1_i2.jpg\r\n2#T2\r\n2#D2\r\n";
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const std::string& file : corpusFiles("meta")) inputs.emplace_back(baseName(file), fileBytes(file));
    for (std::size_t cut : cutLengths(whole.size())) inputs.emplace_back("cut", whole.substr(0, cut));
    TestHome home;
    home.dir.write("Caches.bin", "");
    ASSERT_TRUE(AppendCache(home.ctx(), cache("GC1", 49.1)));
    ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    home.dir.write("GC1.html", "<span id=\"CacheName\">Weiher</span>");
    TCreateDescr model(home.ctx());
    model.prepareRun();
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        home.dir.write("GC1.meta", bytes);
        model.convertListing("GC1");
        EXPECT_LE(model.fields().Images.size(), 100u);
        model.buildImageBlock(true);
        model.buildImageBlock(false);
    }
}

// A GPX file imported into a database that already holds a cache: either refused with a message or
// read; the cache that was there stays, and every page written lies in the output directory.
TEST(HostileFiles, GpxImportKeepsTheDatabase) {
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const std::string& file : corpusFiles("gpx")) inputs.emplace_back(baseName(file), fileBytes(file));
    GpxCache c;
    c.name = "Weiher \xC3\xA4\xE2\x82\xAC";
    const std::string sample = gpxFile({c});
    for (std::size_t cut : cutLengths(sample.size(), 32)) inputs.emplace_back("cut", sample.substr(0, cut));
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        TestHome home;
        home.ctx().settings.OutDir = home.dir.path() + "/out";
        makeDirs(home.ctx().outDirPath());
        home.dir.write("Caches.bin", encodeCacheRec(cache("GCOLD", 48.0)));
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
        home.dir.write("in.gpx", bytes);
        const Tree before = treeOf(home.dir.path());
        for (int i = 0; i < 4; ++i) home.host.answerNext(MsgResult::No);
        TfrmGPXImp dialog(home.ctx());
        dialog.options.RadSrch = true;
        dialog.options.Radius = "100000";
        dialog.setFile(home.dir.file("in.gpx"));
        dialog.open();
        dialog.btnStartClick();
        if (dialog.workEnabled()) dialog.btnWorkClick();
        dialog.close();
        TCacheRec rec;
        EXPECT_TRUE(FindCache(home.ctx(), "GCOLD", rec));
        EXPECT_EQ(rec.CacheName, "Name GCOLD");
        for (const auto& [rel, content] : treeOf(home.dir.path())) {
            if (before.count(rel) || rel.rfind("out/", 0) == 0) continue;
            const bool databaseOrLists = rel == "Caches.bin" || rel == "Caches.idx" ||
                                         rel.rfind("WP", 0) == 0 || rel == "vellora.conf" ||
                                         rel.rfind("debug", 0) == 0;
            EXPECT_TRUE(databaseOrLists) << rel;
        }
        for (const auto& [rel, content] : treeOf(home.ctx().outDirPath()))
            EXPECT_EQ(rel.find('/'), std::string::npos) << rel;
    }
}

}  // namespace
}  // namespace vellora::test
