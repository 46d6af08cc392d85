#include "import/EditCache.h"

#include <gtest/gtest.h>

#include "core/CoordInput.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/HandBuiltRecords.h"
#include "core/Koord.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::TestHome;

TCacheRec sample(std::string waypoint = "GC4711") {
    TCacheRec r;
    r.CacheID = 4711;
    r.CacheName = "Am Bach";
    r.Waypoint = std::move(waypoint);
    r.CacheType = "multi-cache";
    r.CacheSize = "Small";
    r.Difficulty = "2,5";
    r.Terrain = "0.0";
    r.CountryID = 20;
    r.Lat = 49.6;
    r.Lon = 10.85;
    r.HiddenDate = encodeDate(2004, 8, 15);
    r.Valid = 0;
    r.setRecordNo(99);
    r.Reserve[0] = 7;
    return r;
}

class EditCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().settings.CacheDBPrimary = 3;
        writeDb({test::handCacheRec("GC0001"), encodeCacheRec(sample())});
    }
    void writeDb(const std::vector<std::string>& records) {
        std::string db;
        for (const auto& r : records) db += r;
        home.dir.write("Caches.bin", db);
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    }
    std::string db() { return home.dir.read("Caches.bin"); }
    TCacheRec at(int n) { return decodeCacheRec(db().data() + n * 296); }
    // Fills a new cache that passes every check.
    void fillNew(const std::string& waypoint) {
        editor.btnNewClick();
        editor.setName("Neuer Cache");
        editor.setWaypoint(waypoint);
        editor.btnCoordClick([](TCoordInput& in) {
            in.setBoxText(CoordBox::LatDecimal, "49.6");
            in.setBoxText(CoordBox::LonDecimal, "10.85");
            return in.accept();
        });
    }

    TestHome home;
    TfrmEditCache editor{home.ctx()};
};

TEST_F(EditCacheTest, OpensOnTheEmptyForm) {
    editor.open(TCacheRec{}, true);
    EXPECT_TRUE(editor.searchMode());
    EXPECT_EQ(editor.countryIndex(), 2);
    EXPECT_EQ(editor.countryChoices().at(2), "Deutschland");
    EXPECT_EQ(editor.typeIndex(), 0);
    EXPECT_EQ(editor.sizeIndex(), 0);
    EXPECT_EQ(kEditCacheSizes[0], std::string());
    EXPECT_EQ(editor.idText(), "n/a");
    EXPECT_EQ(editor.name(), "");
    EXPECT_EQ(editor.waypoint(), "");
    EXPECT_EQ(editor.coordText(), "");
    EXPECT_EQ(editor.hiddenDate(), encodeDate(2000, 1, 1));
    EXPECT_FALSE(editor.eraseEnabled());
}

TEST_F(EditCacheTest, SearchShowsTheRecord) {
    editor.open(TCacheRec{}, true);
    editor.setSearchWaypoint("gc4711");
    editor.btnSearchClick();
    EXPECT_EQ(editor.name(), "Am Bach");
    EXPECT_EQ(editor.idText(), "4711");
    EXPECT_EQ(editor.typeIndex(), 1);  // "Multi-cache", found without regard to case
    EXPECT_EQ(editor.sizeIndex(), 2);
    EXPECT_EQ(editor.waypoint(), "GC4711");
    EXPECT_EQ(editor.difficultyIndex(), 4);  // "2,5" shows as "2.5"
    EXPECT_EQ(editor.record().Difficulty, "2.5");
    EXPECT_EQ(editor.terrainIndex(), TfrmEditCache::kNone);  // "0.0" is no choice
    EXPECT_EQ(editor.countryIndex(), 0);                     // Österreich
    EXPECT_EQ(editor.coordText(), FormatLatLon(49.6, 10.85));
    EXPECT_EQ(editor.hiddenDate(), encodeDate(2004, 8, 15));
    EXPECT_TRUE(editor.eraseEnabled());
    EXPECT_TRUE(home.host.messages.empty());

    editor.setSearchWaypoint("GC9999");
    editor.btnSearchClick();
    EXPECT_FALSE(editor.eraseEnabled());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text,
              "Ein Cache mit dem angegebenen Waypoint ist in der Datenbank nicht verzeichnet.");
}

TEST_F(EditCacheTest, SavingAShownRecordWarnsOfTheMissingTerrainAndUpdatesInPlace) {
    home.ctx().settings.ShowMessages = true;
    editor.open(TCacheRec{}, true);
    editor.setSearchWaypoint("GC4711");
    editor.btnSearchClick();
    home.host.answerNext(MsgResult::Yes);
    ASSERT_TRUE(editor.btnCommitClick());
    ASSERT_EQ(home.host.messages.size(), 2u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(home.host.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(
        home.host.messages[0].text,
        "Warnung! Folgende Cachedaten wurden nicht vollst\xE4ndig ausgef\xFCllt:\r\n\r\n\r\nTerrain-Angabe "
        "fehlt\r\n\r\nSoll der Cache trotzdem gespeichert werden?");
    EXPECT_EQ(home.host.messages[1].text, "Cachebeschreibung wurde in der Datenbank ge\xE4ndert.");

    ASSERT_EQ(db().size(), 2u * 296);
    const TCacheRec saved = at(1);
    EXPECT_EQ(saved.CacheID, 4711);
    EXPECT_EQ(saved.CacheType, "Multi-cache");
    EXPECT_EQ(saved.Difficulty, "2.5");
    EXPECT_EQ(saved.Terrain, "");
    EXPECT_EQ(saved.CountryID, 20);
    EXPECT_EQ(saved.Valid, 1);
    EXPECT_FLOAT_EQ(saved.HomeDist, static_cast<float>(DistanceBearing(49.5, 10.75, 49.6, 10.85).distanceKm));
    EXPECT_EQ(saved.recordNo(), 0);  // scratch bytes cleared
    EXPECT_EQ(saved.Reserve[0], 7);  // the length byte of the reserve stays
    // The form is empty again.
    EXPECT_EQ(editor.name(), "");
    EXPECT_FALSE(editor.eraseEnabled());
}

TEST_F(EditCacheTest, ErrorsAreListedInOrderAndNothingIsSaved) {
    editor.open(TCacheRec{}, true);
    editor.setTypeIndex(TfrmEditCache::kNone);
    const std::string before = db();
    EXPECT_FALSE(editor.btnCommitClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text,
              "Der Cache kann nicht gespeichert werden, da die Cachedaten folgende(n) Fehler enthalten: "
              "\r\nCachename fehlt\r\nKoordinatenangaben fehlen\r\nCachetyp fehlt\r\nWaypoint fehlt\r\n\r\n"
              "Bitte Daten korrekt ausf\xFCllen / erg\xE4ngen und erneut speichern.");
    EXPECT_EQ(db(), before);
}

TEST_F(EditCacheTest, ACacheOnTheEquatorCannotBeSaved) {
    fillNew("GC5");
    editor.btnCoordClick([](TCoordInput& in) {
        in.setBoxText(CoordBox::LatDecimal, "0");
        return in.accept();
    });
    EXPECT_EQ(editor.latitude(), 0);
    EXPECT_FALSE(editor.btnCommitClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_NE(home.host.messages[0].text.find("\r\nKoordinatenangaben fehlen\r\n\r\n"), std::string::npos);
}

// A position off the globe, or a hidden date the program cannot show, is an error like a missing one.
TEST_F(EditCacheTest, PositionsOffTheGlobeAndUnshowableDatesCannotBeSaved) {
    const std::string before = home.dir.exists("Caches.bin") ? home.dir.read("Caches.bin") : std::string();
    const struct {
        double lat, lon, hidden;
        const char* error;
    } cases[] = {{95, 8, 39000,
                  "\r\nKoordinaten au\xDF"
                  "erhalb des g\xFCltigen Bereichs\r\n"},
                 {49, 181, 39000,
                  "\r\nKoordinaten au\xDF"
                  "erhalb des g\xFCltigen Bereichs\r\n"},
                 {49, 8, 1e300, "\r\nVersteckdatum ung\xFCltig\r\n"}};
    for (const auto& c : cases) {
        // A record as a damaged database or another program could hand to the editor.
        TCacheRec rec;
        rec.Waypoint = "GC6";
        rec.CacheName = "Neuer Cache";
        rec.CacheType = "Traditional Cache";
        rec.CacheSize = "Regular";
        rec.Difficulty = rec.Terrain = "1";
        rec.Lat = c.lat;
        rec.Lon = c.lon;
        rec.HiddenDate = c.hidden;
        TfrmEditCache fixed(home.ctx());
        fixed.open(rec, false);
        home.host.messages.clear();
        EXPECT_FALSE(fixed.btnCommitClick());
        ASSERT_EQ(home.host.messages.size(), 1u);
        EXPECT_NE(home.host.messages[0].text.find(c.error), std::string::npos) << home.host.messages[0].text;
    }
    EXPECT_EQ(home.dir.exists("Caches.bin") ? home.dir.read("Caches.bin") : std::string(), before);
}

TEST_F(EditCacheTest, WarningsAnsweredNoSaveNothing) {
    fillNew("GC5");
    editor.setSizeIndex(0);
    editor.setDifficultyIndex(TfrmEditCache::kNone);
    editor.setTerrainIndex(TfrmEditCache::kNone);
    const std::string before = db();
    home.host.answerNext(MsgResult::No);
    EXPECT_FALSE(editor.btnCommitClick());
    EXPECT_EQ(
        home.host.messages.back().text,
        "Warnung! Folgende Cachedaten wurden nicht vollst\xE4ndig ausgef\xFCllt:\r\n\r\n\r\nCachegr\xF6\xDF"
        "e fehlt\r\nDifficulty-Angabe fehlt\r\nTerrain-Angabe fehlt\r\n\r\nSoll der Cache trotzdem "
        "gespeichert werden?");
    EXPECT_EQ(db(), before);
    EXPECT_EQ(editor.name(), "Neuer Cache");  // the form keeps the input
}

TEST_F(EditCacheTest, NewCacheIsAppendedWithTheDefaultsOfNew) {
    home.ctx().settings.ShowMessages = true;
    editor.open(TCacheRec{}, true);
    editor.setSearchWaypoint("GC4711");
    editor.btnSearchClick();  // a loaded record must not lend its ID to the new one
    fillNew("gc777");
    EXPECT_EQ(editor.waypoint(), "GC777");
    EXPECT_EQ(editor.idText(), "n/a");
    EXPECT_EQ(editor.hiddenDate(), encodeDate(2006, 12, 8));
    ASSERT_TRUE(editor.btnCommitClick());
    EXPECT_EQ(home.host.messages.back().text, "Cache wurde der Datenbank hinzugef\xFCgt.");
    ASSERT_EQ(db().size(), 3u * 296);
    const TCacheRec r = at(2);
    EXPECT_EQ(r.CacheID, 0);
    EXPECT_EQ(r.CacheName, "Neuer Cache");
    EXPECT_EQ(r.Waypoint, "GC777");
    EXPECT_EQ(r.CacheType, "Traditional Cache");
    EXPECT_EQ(r.CacheSize, "Regular");
    EXPECT_EQ(r.Difficulty, "1");
    EXPECT_EQ(r.Terrain, "1");
    EXPECT_EQ(r.CountryID, 79);
    EXPECT_EQ(r.HiddenDate, encodeDate(2006, 12, 8));
    EXPECT_DOUBLE_EQ(r.Lat, 49.6);
    EXPECT_DOUBLE_EQ(r.Lon, 10.85);
    // The index was rebuilt: the new cache is found through it.
    LoadIndex(home.ctx());
    EXPECT_EQ(home.ctx().cacheIndex.entries.size(), 3u);
}

TEST_F(EditCacheTest, NewCacheWithAKnownWaypointOverwritesThatRecord) {
    fillNew("gc0001");
    ASSERT_TRUE(editor.btnCommitClick());
    ASSERT_EQ(db().size(), 2u * 296);
    EXPECT_EQ(at(0).CacheName, "Neuer Cache");
}

TEST_F(EditCacheTest, FixedModeKeepsTheWaypointAndClosesAfterSaving) {
    TCacheRec handed;
    handed.Waypoint = "GC55";
    handed.CacheID = 555;
    const TCacheRec result = EditCache(home.ctx(), handed, false, [&](TfrmEditCache& e) {
        EXPECT_FALSE(e.searchMode());
        EXPECT_EQ(e.searchWaypoint(), "GC55");
        e.setWaypoint("GC99");
        e.setSearchWaypoint("GC99");
        EXPECT_EQ(e.waypoint(), "GC55");
        EXPECT_EQ(e.searchWaypoint(), "GC55");
        e.btnNewClick();
        EXPECT_EQ(e.waypoint(), "GC55");
        EXPECT_EQ(e.idText(), "555");
        e.setName("Von Hand");
        e.btnCoordClick([](TCoordInput& in) {
            in.setBoxText(CoordBox::LatDecimal, "48.1");
            in.setBoxText(CoordBox::LonDecimal, "11.5");
            in.setLonHemisphere(1);
            return in.accept();
        });
        EXPECT_EQ(e.coordText(), FormatLatLon(48.1, -11.5));
        ASSERT_TRUE(e.btnCommitClick());
        EXPECT_FALSE(e.isOpen());
    });
    EXPECT_EQ(result.Waypoint, "GC55");
    EXPECT_EQ(result.CacheName, "Von Hand");
    EXPECT_DOUBLE_EQ(result.Lon, -11.5);
    EXPECT_EQ(result.Valid, 1);
    EXPECT_EQ(result.CacheID, 555);
    EXPECT_EQ(at(2), result);
}

TEST_F(EditCacheTest, EraseDeletesTheStoredSpellingAfterAsking) {
    writeDb({test::handCacheRec("GC0001"), test::handCacheRec("gc77")});
    editor.open(TCacheRec{}, true);
    editor.setSearchWaypoint("GC77");
    editor.btnSearchClick();
    home.host.answerNext(MsgResult::No);
    EXPECT_FALSE(editor.btnEraseClick());
    EXPECT_EQ(db().size(), 2u * 296);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(home.host.messages[0].text,
              "Warnung! Durch diese Aktion wird der Cache: \r\n\"Cache gc77\" (gc77)\r\naus der Datenbank "
              "entfernt. Wirklich l\xF6schen?");

    home.host.answerNext(MsgResult::Yes);
    EXPECT_TRUE(editor.btnEraseClick());
    EXPECT_EQ(db(), test::handCacheRec("GC0001"));
    EXPECT_EQ(editor.searchWaypoint(), "");
    EXPECT_EQ(editor.waypoint(), "");
    EXPECT_FALSE(editor.eraseEnabled());
    TCacheRec r;
    EXPECT_FALSE(FindCache(home.ctx(), "GC77", r));
}

TEST_F(EditCacheTest, CountryWithoutEntrySavesMinusOne) {
    TCacheRec r = sample();
    r.CountryID = 998;
    writeDb({encodeCacheRec(r)});
    editor.open(TCacheRec{}, true);
    editor.setSearchWaypoint("GC4711");
    editor.btnSearchClick();
    EXPECT_EQ(editor.countryIndex(), TfrmEditCache::kNone);
    editor.setTerrainIndex(1);
    ASSERT_TRUE(editor.btnCommitClick());
    EXPECT_EQ(at(0).CountryID, -1);
}

TEST_F(EditCacheTest, MissingDatabaseIsReported) {
    ::unlink(home.workFile("Caches.bin").c_str());
    fillNew("GC5");
    EXPECT_FALSE(editor.btnCommitClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(
        home.host.messages[0].text.rfind("Kann Datei " + home.workFile("Caches.bin") + " nicht lesen.", 0),
        0u);
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
    EXPECT_EQ(editor.name(), "Neuer Cache");
}

TEST_F(EditCacheTest, CancelledCoordinateInputChangesNothing) {
    editor.open(sample(), true);
    EXPECT_FALSE(editor.btnCoordClick([](TCoordInput& in) {
        in.setLatHemisphere(1);
        return false;
    }));
    EXPECT_DOUBLE_EQ(editor.latitude(), 49.6);
    EXPECT_TRUE(editor.btnCoordClick([](TCoordInput& in) {
        in.setLatHemisphere(1);
        return in.accept();
    }));
    EXPECT_DOUBLE_EQ(editor.latitude(), -49.6);
}

}  // namespace
}  // namespace vellora
