#include "core/GCDBParse.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "HandBuiltRecords.h"
#include "core/DateUtil.h"
#include "core/FileUtil.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::handCacheRec;
using test::handIdxRec;
using test::HandRec;

class CacheDb : public ::testing::Test {
protected:
    RunContext& ctx() { return home.ctx(); }
    std::string binPath() { return home.workFile("Caches.bin"); }
    // Caches.bin made of records that carry just these waypoints, in this order.
    void writeBin(const std::vector<std::string>& waypoints, std::string_view tail = {}) {
        std::string bytes;
        for (const auto& wp : waypoints) bytes += handCacheRec(wp);
        bytes += tail;
        home.dir.write("Caches.bin", bytes);
    }
    std::string readBin() { return home.dir.read("Caches.bin"); }
    std::string record(int n) { return readBin().substr(static_cast<std::size_t>(n) * 296, 296); }
    static TCacheRec recWith(std::string waypoint, std::string name) {
        TCacheRec r;
        r.Waypoint = std::move(waypoint);
        r.CacheName = std::move(name);
        r.Lat = 50;
        r.Lon = 7;
        return r;
    }

    test::TestHome home;
};

TEST_F(CacheDb, FindsLowerCaseWaypointThroughTheIndex) {
    writeBin({"GC1000", "GC1234", "GC9"});
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    EXPECT_TRUE(ctx().cacheIndex.empty());  // reloaded lazily by the next lookup

    TCacheRec rec;
    std::int32_t n = -5;
    ASSERT_TRUE(FindCache(ctx(), "gc1234", rec, n));
    EXPECT_EQ(ctx().cacheIndex.entries.size(), 3u);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(rec.Waypoint, "GC1234");
    EXPECT_EQ(rec.CacheName, "Cache GC1234");
    EXPECT_EQ(rec.recordNo(), 1);
    EXPECT_EQ(encodeCacheRec(rec).substr(230, 4), std::string("\x01\0\0\0", 4));
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(CacheDb, SearchesTheFileWithoutAnIndex) {
    writeBin({"GC1000", "GC1234", "gc77"});
    for (const bool emptyIndexFile : {false, true}) {
        if (emptyIndexFile) home.dir.write("Caches.idx", "");
        TCacheRec rec;
        std::int32_t n = -5;
        ASSERT_TRUE(FindCache(ctx(), "gc1234", rec, n));
        EXPECT_EQ(n, 1);
        EXPECT_EQ(rec.recordNo(), 1);
        EXPECT_TRUE(ctx().cacheIndex.empty());
        // The file search compares with the upper-cased waypoint exactly.
        EXPECT_FALSE(FindCache(ctx(), "gc77", rec));
    }
}

TEST_F(CacheDb, NotFoundGivesAnAllZeroRecord) {
    writeBin({"GC1", "GC2"});
    for (const bool withIndex : {false, true}) {
        if (withIndex) {
            ASSERT_EQ(RebuildIndex(ctx()), 0);
        }
        TCacheRec rec = recWith("GCJUNK", "junk");
        rec.setRecordNo(77);
        std::int32_t n = 5;
        EXPECT_FALSE(FindCache(ctx(), "GC3", rec, n));
        EXPECT_EQ(rec, TCacheRec{});
        EXPECT_EQ(encodeCacheRec(rec), std::string(296, '\0'));
        EXPECT_EQ(n, -1);
    }
    home.dir.write("Caches.bin", "");
    TCacheRec rec = recWith("GCJUNK", "junk");
    EXPECT_FALSE(FindCache(ctx(), "GC1", rec));  // the index points past the end
    EXPECT_EQ(rec, TCacheRec{});
}

// Keys: upper case, padded to 16, a 16-character key without padding; equal keys ordered by the
// record number as text, so 10 comes before 9.
TEST_F(CacheDb, IndexFileMatchesTheFormatByteForByte) {
    writeBin({"GC2", "gcabcdefghijklmn", "GC10", "GCABCDEFGHIJKLM", "GC1", "GCZZ", "GC1A", "GC100", "GC11",
              "GCDUP", "GCDUP", "GC"});
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    const std::string expected = handIdxRec("GC              ", 11) + handIdxRec("GC1             ", 4) +
                                 handIdxRec("GC10            ", 2) + handIdxRec("GC100           ", 7) +
                                 handIdxRec("GC11            ", 8) + handIdxRec("GC1A            ", 6) +
                                 handIdxRec("GC2             ", 0) + handIdxRec("GCABCDEFGHIJKLM ", 3) +
                                 handIdxRec("GCABCDEFGHIJKLMN", 1) + handIdxRec("GCDUP           ", 10) +
                                 handIdxRec("GCDUP           ", 9) + handIdxRec("GCZZ            ", 5);
    EXPECT_EQ(home.dir.read("Caches.idx"), expected);

    TCacheRec rec;
    std::int32_t n = 0;
    ASSERT_TRUE(FindCache(ctx(), "GCABCDEFGHIJKLMN", rec, n));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(rec.Waypoint, "gcabcdefghijklmn");
    // Of the two GCDUP pairs the one read last (record 9) wins.
    ASSERT_TRUE(FindCache(ctx(), "gcdup", rec, n));
    EXPECT_EQ(n, 9);
    EXPECT_EQ(ctx().cacheIndex.entries.size(), 11u);
}

TEST_F(CacheDb, RepeatedIndexKeyTakesThePairReadLast) {
    HandRec a;
    a.waypoint = "GC5";
    a.id = 100;
    HandRec b = a;
    b.id = 200;
    home.dir.write("Caches.bin", handCacheRec(a) + handCacheRec(b));
    const struct {
        std::string idx;
        std::int32_t id;
    } cases[] = {
        {handIdxRec("GC5             ", 0) + handIdxRec("GC5             ", 1), 200},
        {handIdxRec("GC5             ", 1) + handIdxRec("GC5             ", 0), 100},
        // Out of order on disk: still found, and still the pair read last.
        {handIdxRec("GC9             ", 0) + handIdxRec("GC5             ", 1) +
             handIdxRec("GC5             ", 0),
         100},
    };
    for (const auto& c : cases) {
        home.dir.write("Caches.idx", c.idx);
        LoadIndex(ctx());
        TCacheRec rec;
        ASSERT_TRUE(FindCache(ctx(), "GC5", rec));
        EXPECT_EQ(rec.CacheID, c.id);
    }
}

TEST_F(CacheDb, DeleteRemovesEveryRecordOfTheWaypoint) {
    writeBin({"GC1", "GCDUP", "GC2", "GCDUP", "GC3"});
    const std::string before = readBin();
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    TCacheRec rec;
    ASSERT_TRUE(FindCache(ctx(), "GCDUP", rec));

    EXPECT_EQ(DeleteCache(ctx(), "gcdup"), 0);  // compared with case
    EXPECT_EQ(readBin(), before);

    EXPECT_EQ(DeleteCache(ctx(), "GCDUP"), 2);
    EXPECT_EQ(readBin(), handCacheRec("GC1") + handCacheRec("GC2") + handCacheRec("GC3"));
    EXPECT_FALSE(FindCache(ctx(), "GCDUP", rec));
    std::int32_t n = 0;
    ASSERT_TRUE(FindCache(ctx(), "GC3", rec, n));  // the index was rebuilt
    EXPECT_EQ(n, 2);
    EXPECT_EQ(home.dir.read("Caches.idx").size(), 3 * 24u);
    EXPECT_EQ(listFiles(home.dir.path(), "Caches.*"), (std::vector<std::string>{"Caches.bin", "Caches.idx"}));
}

TEST_F(CacheDb, DeleteLeavesTheFilesAloneWhenTheDatabaseCannotBeRead) {
    home.dir.write("Caches.idx", handIdxRec("GC1             ", 0));
    EXPECT_EQ(DeleteCache(ctx(), "GC1"), -1);  // no Caches.bin
    EXPECT_FALSE(fileExists(binPath()));
    ASSERT_EQ(makeDirs(binPath()), 0);  // opens, but every read fails
    EXPECT_EQ(DeleteCache(ctx(), "GC1"), -1);
    EXPECT_TRUE(dirExists(binPath()));
    EXPECT_EQ(home.dir.read("Caches.idx"), handIdxRec("GC1             ", 0));
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 2u);
    for (const auto& e : errors)
        EXPECT_EQ(e.rfind("Fehler beim Lesen der Datei " + binPath() + "\r\n", 0), 0u) << e;
}

TEST_F(CacheDb, AppendWritesOnlyNewWaypoints) {
    writeBin({"GC1", "GC2"});
    const std::string before = readBin();
    EXPECT_FALSE(AppendCache(ctx(), recWith("gc2", "other")));
    EXPECT_EQ(readBin(), before);

    const TCacheRec added = recWith("GC3", "new");
    EXPECT_TRUE(AppendCache(ctx(), added));
    EXPECT_EQ(readBin(), before + encodeCacheRec(added));
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(CacheDb, AppendNeedsAnExistingDatabase) {
    EXPECT_FALSE(AppendCache(ctx(), recWith("GC1", "x")));
    EXPECT_FALSE(fileExists(binPath()));
}

TEST_F(CacheDb, AppendedRecordsNeedARebuildToBeFoundThroughTheIndex) {
    writeBin({"GC1"});
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    TCacheRec rec;
    ASSERT_TRUE(FindCache(ctx(), "GC1", rec));
    ASSERT_TRUE(AppendCache(ctx(), recWith("GC2", "two")));
    EXPECT_FALSE(FindCache(ctx(), "GC2", rec));
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    EXPECT_TRUE(FindCache(ctx(), "GC2", rec));
}

TEST_F(CacheDb, IncompleteTailIsNoRecord) {
    writeBin({"GC1", "GC2"}, std::string(100, '\x5A'));
    EXPECT_EQ(cacheRecordCount(ctx()), 2);
    bool complete = false;
    const TCacheList list = LoadAllCaches(ctx(), &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(home.host.messages.empty());
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    EXPECT_EQ(home.dir.read("Caches.idx").size(), 2 * 24u);

    // A new record goes behind the last complete one, not behind the stray bytes.
    const TCacheRec added = recWith("GC3", "three");
    ASSERT_TRUE(AppendCache(ctx(), added));
    EXPECT_EQ(readBin(), handCacheRec("GC1") + handCacheRec("GC2") + encodeCacheRec(added));
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    TCacheRec rec;
    std::int32_t n = 0;
    ASSERT_TRUE(FindCache(ctx(), "GC3", rec, n));
    EXPECT_EQ(n, 2);
}

TEST_F(CacheDb, UpdateOverwritesInPlaceOrAppends) {
    writeBin({"GC1", "GC2", "GC3"});
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    TCacheRec changed = recWith("gc2", "changed");
    ASSERT_TRUE(UpdateCache(ctx(), changed));
    EXPECT_EQ(readBin(), handCacheRec("GC1") + encodeCacheRec(changed) + handCacheRec("GC3"));

    const TCacheRec added = recWith("GC4", "four");
    ASSERT_TRUE(UpdateCache(ctx(), added));
    EXPECT_EQ(readBin().size(), 4 * 296u);
    EXPECT_EQ(record(3), encodeCacheRec(added));
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(CacheDb, UpdateReportsAMissingDatabase) {
    EXPECT_FALSE(UpdateCache(ctx(), recWith("GC1", "x")));
    EXPECT_FALSE(fileExists(binPath()));
    ASSERT_EQ(home.host.messages.size(), 1u);
    const auto& m = home.host.messages[0];
    EXPECT_EQ(m.kind, MsgKind::Error);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(
        m.text.rfind("Kann Datei " + ctx().workDirPath() + "Caches.bin nicht lesen.\r\n\r\nFehlercode: 2\r\n",
                     0),
        0u)
        << m.text;
}

// Caches.bin changed behind the index (say a rebuild failed after a deletion): a pair that no
// longer points at its waypoint must neither find nor let an update overwrite another cache.
TEST_F(CacheDb, IndexThatNoLongerFitsTheFileIsNotTrusted) {
    writeBin({"GC1", "GC2", "GC3"});
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    TCacheRec rec;
    ASSERT_TRUE(FindCache(ctx(), "GC1", rec));
    writeBin({"GC2", "GC3"});

    std::int32_t n = 0;
    ASSERT_TRUE(FindCache(ctx(), "GC2", rec, n));
    EXPECT_EQ(rec.Waypoint, "GC2");
    EXPECT_EQ(n, 0);
    ASSERT_TRUE(FindCache(ctx(), "GC3", rec, n));  // its pair points past the end
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(FindCache(ctx(), "GC1", rec));

    const TCacheRec changed = recWith("GC2", "changed");
    ASSERT_TRUE(UpdateCache(ctx(), changed));
    EXPECT_EQ(readBin(), encodeCacheRec(changed) + handCacheRec("GC3"));
}

// The start-up check rebuilds an index that does not fit; it writes to the debug log only in
// debug mode.
TEST_F(CacheDb, StartUpIndexRebuildLogsOnlyInDebugMode) {
    writeBin({"GC1", "GC2"});
    ASSERT_TRUE(RecoverCacheDB(ctx()));
    EXPECT_EQ(home.dir.read("Caches.idx").size(), 2 * 24u);
    EXPECT_FALSE(home.dir.exists("debug.log"));
    EXPECT_FALSE(RecoverCacheDB(ctx()));

    writeBin({"GC1", "GC2", "GC3"});
    ctx().debugMode = true;
    ASSERT_TRUE(RecoverCacheDB(ctx()));
    EXPECT_NE(home.dir.read("debug.log").find("Caches.idx wird neu erstellt."), std::string::npos);
}

TEST_F(CacheDb, LoadAllReadsInFileOrderWithTheWaitWindow) {
    std::vector<std::string> wps;
    for (int i = 0; i < 250; ++i) wps.push_back("GC" + std::to_string(1000 - i));
    writeBin(wps);
    bool complete = false;
    const TCacheList list = LoadAllCaches(ctx(), &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(list.count(), 250);
    for (int i = 0; i < 250; ++i) {
        EXPECT_EQ(list.key(i), wps[static_cast<std::size_t>(i)]);
        EXPECT_EQ(list.at(i).Waypoint, wps[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(home.host.progressLog,
              (std::vector<std::string>{"begin Cache-DB wird gelesen 250", "pos 100", "pos 200", "end"}));
    EXPECT_EQ(home.host.processEventsCalls, 2);
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(CacheDb, LoadAllReportsFailures) {
    bool complete = true;
    EXPECT_TRUE(LoadAllCaches(ctx(), &complete).empty());
    EXPECT_FALSE(complete);
    EXPECT_TRUE(home.host.progressLog.empty());

    ASSERT_EQ(makeDirs(binPath()), 0);
    complete = true;
    EXPECT_TRUE(LoadAllCaches(ctx(), &complete).empty());
    EXPECT_FALSE(complete);
    EXPECT_FALSE(home.host.progressVisible);

    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("Fehler beim Lesen der Datei " + binPath() + "\r\n\r\nFehlercode: 2\r\n", 0),
              0u);
    EXPECT_EQ(errors[1].rfind("Fehler beim Lesen der Datei " + binPath() + "\r\n\r\nFehlercode: 21\r\n", 0),
              0u);
}

TEST_F(CacheDb, RebuildIndexResultCodes) {
    // -1: no Caches.bin; the index file and the index list stay as they were.
    writeBin({"GC1"});
    ASSERT_EQ(RebuildIndex(ctx()), 0);
    const std::string idx = home.dir.read("Caches.idx");
    LoadIndex(ctx());
    ASSERT_EQ(removeFile(binPath()), 0);
    EXPECT_EQ(RebuildIndex(ctx()), -1);
    EXPECT_EQ(home.dir.read("Caches.idx"), idx);
    EXPECT_EQ(ctx().cacheIndex.entries.size(), 1u);

    // -2: Caches.bin opens but cannot be read.
    ASSERT_EQ(makeDirs(binPath()), 0);
    EXPECT_EQ(RebuildIndex(ctx()), -2);
    EXPECT_EQ(home.dir.read("Caches.idx"), idx);
    ASSERT_EQ(::rmdir(binPath().c_str()), 0);

    // -3: Caches.idx cannot be created (a directory is in the way); the old one is not harmed.
    writeBin({"GC1", "GC2"});
    ASSERT_EQ(removeFile(home.workFile("Caches.idx")), 0);
    ASSERT_EQ(makeDirs(home.workFile("Caches.idx/x")), 0);
    EXPECT_EQ(RebuildIndex(ctx()), -3);
    EXPECT_EQ(listFiles(home.dir.path(), "Caches.*"), std::vector<std::string>{"Caches.bin"});
    ASSERT_EQ(::rmdir(home.workFile("Caches.idx/x").c_str()), 0);
    ASSERT_EQ(::rmdir(home.workFile("Caches.idx").c_str()), 0);

    // An empty database gives an empty index, and lookups search the (empty) file.
    home.dir.write("Caches.bin", "");
    EXPECT_EQ(RebuildIndex(ctx()), 0);
    EXPECT_EQ(home.dir.read("Caches.idx"), "");
    TCacheRec rec;
    EXPECT_FALSE(FindCache(ctx(), "GC1", rec));
}

TEST_F(CacheDb, CheckAcceptsPlausibleFirstRecords) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double lat, lon;
        std::int32_t country;
        const char* waypoint;
        bool plausible;
    } cases[] = {
        {49.5, 8.25, 79, "GC1234", true},  {0, 0, 79, "GC1234", false},
        {49.5, 8.25, 79, "OC1234", false}, {49.5, 8.25, 999, "GC1234", false},
        {49.5, 8.25, 998, "gc12ab", true}, {-90, -180, -1, "GC1", true},
        {90, 180, 0, "Gc", true},          {90.001, 8, 79, "GC1", false},
        {49, -180.5, 79, "GC1", false},    {0, 1e-9, 79, "GC1", true},
        {nan, 8, 79, "GC1", false},        {49, 8, 79, "G", false},
    };
    const std::string question =
        "Die Cache-Datenbank Caches.bin ist nicht g\xFCltig. Vermutlich handelt es sich um eine "
        "Cache-Datenbank, "
        "die mit einer fr\xFCheren Version des Vellora (Version kleiner 2.0) erstellt wurde.\r\n\r\nEine "
        "neue "
        "Version der Datenbank kann im Men\xFC \"Datei\" mit den Funktionen \"Prim\xE4re Cache-DB laden und "
        "konvertieren\" oder \"Lokale prim\xE4re Cache-DB konvertieren\" erzeugt werden.\r\n\r\nSoll die "
        "veraltete Version der vorliegenden Caches.bin gel\xF6scht werden?";
    for (const auto& c : cases) {
        HandRec r;
        r.lat = c.lat;
        r.lon = c.lon;
        r.country = c.country;
        r.waypoint = c.waypoint;
        home.dir.write("Caches.bin", handCacheRec(r) + handCacheRec("OC9"));
        home.host.messages.clear();
        if (!c.plausible) home.host.answerNext(MsgResult::No);
        EXPECT_EQ(CheckCacheDB(ctx()), c.plausible) << c.waypoint << " " << c.lat << " " << c.lon;
        if (!c.plausible) {
            ASSERT_EQ(home.host.messages.size(), 1u);
            EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
            EXPECT_EQ(home.host.messages[0].buttons, MsgButtons::YesNoDefaultNo);  // Enter drops nothing
            EXPECT_EQ(home.host.messages[0].text, question);
        } else {
            EXPECT_TRUE(home.host.messages.empty());
        }
        EXPECT_TRUE(fileExists(binPath()));
    }
}

TEST_F(CacheDb, CheckDeletesAnImplausibleFileOnYes) {
    writeBin({"OC1234"});
    home.host.answerNext(MsgResult::Yes);
    EXPECT_FALSE(CheckCacheDB(ctx()));
    EXPECT_FALSE(fileExists(binPath()));
    home.host.expectScriptUsed();
}

TEST_F(CacheDb, CheckIsSilentWithoutACompleteFirstRecord) {
    EXPECT_FALSE(CheckCacheDB(ctx()));
    home.dir.write("Caches.bin", handCacheRec("GC1").substr(0, 295));
    EXPECT_FALSE(CheckCacheDB(ctx()));
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_TRUE(fileExists(binPath()));
}

// One bad record in front of good ones is named and dropped on request; the database stays.
TEST_F(CacheDb, CheckOffersToDropOneBadRecordInsteadOfDeleting) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const double lat : {95.0, inf, -inf}) {
        HandRec bad;
        bad.waypoint = "GC1BAD";
        bad.lat = lat;
        bad.lon = 8;
        bad.country = 79;
        HandRec badDate;
        badDate.waypoint = "GC2BAD";
        badDate.lat = 49;
        badDate.lon = 8;
        badDate.hidden = 1e300;
        const std::string file =
            handCacheRec(bad) + handCacheRec("GC1") + handCacheRec(badDate) + handCacheRec("GC2");
        home.dir.write("Caches.bin", file);
        home.host.messages.clear();
        home.host.answerNext(MsgResult::No);
        EXPECT_FALSE(CheckCacheDB(ctx()));
        EXPECT_EQ(readBin(), file);
        ASSERT_EQ(home.host.messages.size(), 1u);
        EXPECT_NE(home.host.messages[0].text.find("\"GC1BAD\""), std::string::npos);
        EXPECT_EQ(home.host.messages[0].text.find("gel\xF6scht werden"), std::string::npos);

        home.host.answerNext(MsgResult::Yes);
        EXPECT_TRUE(CheckCacheDB(ctx())) << lat;
        EXPECT_EQ(readBin(), handCacheRec("GC1") + handCacheRec("GC2"));
        TCacheRec found;
        EXPECT_TRUE(FindCache(ctx(), "GC2", found));
        EXPECT_EQ(found.recordNo(), 1);
        home.host.expectScriptUsed();
    }
}

// Records that could not be shown are never stored, whichever path makes them.
TEST_F(CacheDb, AppendAndUpdateRefuseRecordsOffTheGlobe) {
    writeBin({"GC1"});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double lat, lon, hidden;
    } cases[] = {{95, 8, 0},   {-90.5, 8, 0}, {49, 180.01, 0}, {inf, 8, 0},
                 {49, nan, 0}, {49, 8, nan},  {49, 8, 1e300},  {49, 8, -1e7}};
    for (const auto& c : cases) {
        TCacheRec r = recWith("GC9", "Bad");
        r.Lat = c.lat;
        r.Lon = c.lon;
        r.HiddenDate = c.hidden;
        EXPECT_NE(cacheRecFault(r), nullptr) << c.lat << " " << c.lon << " " << c.hidden;
        EXPECT_FALSE(AppendCache(ctx(), r));
        EXPECT_FALSE(UpdateCache(ctx(), r));
        r.Waypoint = "GC1";
        EXPECT_FALSE(UpdateCache(ctx(), r));
        EXPECT_EQ(readBin(), handCacheRec("GC1"));
    }
    TCacheRec good = recWith("GC9", "Good");
    good.Lat = -90;
    good.Lon = 180;
    good.HiddenDate = encodeDate(9999, 12, 31);
    EXPECT_EQ(cacheRecFault(good), nullptr);
    EXPECT_TRUE(AppendCache(ctx(), good));
}

}  // namespace
}  // namespace vellora
