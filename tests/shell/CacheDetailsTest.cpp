#include "shell/CacheDetails.h"

#include <gtest/gtest.h>

#include "core/PersInfo.h"
#include "shell/AddInfo.h"
#include "shell/ShellFixtures.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

TEST(CacheDetailsTexts, Ratings) {
    struct Case {
        const char* rating;
        const char* text;
        int bar;
    } cases[] = {{"1.5", "1,5", 27}, {"3", "3,0", 54}, {"5", "5,0", 90},  {"0.0", "0,0", 0},
                 {"", "", 0},        {"x", "x,0", 0},  {"4.5", "4,5", 81}};
    for (const auto& c : cases) {
        EXPECT_EQ(ratingText(c.rating), c.text) << c.rating;
        EXPECT_EQ(ratingBarWidth(c.rating), c.bar) << c.rating;
    }
}

TEST(CacheDetailsTexts, LongGermanDates) {
    EXPECT_EQ(longGermanDate(encodeDate(2006, 12, 24)), "24. Dezember 2006");
    EXPECT_EQ(longGermanDate(encodeDate(2007, 3, 5)), "05. M\xE4rz 2007");
}

class CacheDetails : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().clock = [] { return encodeDateTime({2006, 12, 26, 12, 0, 0}); };
        home.ctx().settings.HomeLat = 49.6;
        home.ctx().settings.HomeLong = 10.85;
        dlg.record = test::cacheRecord("GC1ABC", 49.5, 10.75);
    }
    test::TestHome home;
    TfrmCacheDetails dlg{home.ctx()};
};

TEST_F(CacheDetails, ShowsTheRecord) {
    dlg.record.CountryID = 79;
    dlg.record.HiddenDate = encodeDate(2006, 12, 1);
    dlg.foundDate = "24.12.2006";
    dlg.open();
    EXPECT_TRUE(dlg.foundLineVisible());
    EXPECT_EQ(dlg.foundLineText(), "Du hast diesen Cache gefunden");
    EXPECT_TRUE(dlg.foundDateVisible());
    EXPECT_EQ(dlg.foundDateText(), "am 24. Dezember 2006 (vor 2 Tagen)");
    EXPECT_EQ(dlg.typePicture(), 0);
    EXPECT_EQ(dlg.cacheIdText(), "4711");
    EXPECT_EQ(dlg.difficultyText(), "1,5");
    EXPECT_EQ(dlg.difficultyBar(), 27);
    EXPECT_EQ(dlg.terrainText(), "2,0");
    EXPECT_EQ(dlg.terrainBar(), 36);
    EXPECT_EQ(dlg.hiddenText(), "01. Dezember 2006 (vor 25 Tagen)");
    EXPECT_EQ(dlg.coordinatesText(), "N 49\xB0 30.000 E 010\xB0 45.000");
    EXPECT_EQ(dlg.distanceText(), "Entfernung von den Heimkoordinaten: 13,255 km in Richtung 213,0 \xB0");
    EXPECT_EQ(dlg.countryText(), "Deutschland");
    EXPECT_FALSE(dlg.showButtonVisible());
    EXPECT_EQ(dlg.notesButton(), TfrmCacheDetails::NotesButton::NoNote);
}

TEST_F(CacheDetails, FoundLines) {
    struct Case {
        const char* found;
        const char* caption;
        bool lineVisible, dateVisible;
        const char* line;
        const char* date;
    } cases[] = {
        {"", "", false, false, "Du hast diesen Cache gefunden", ""},
        {"31.02.2006", "", true, true, "Du hast diesen Cache gefunden", ""},
        {"24.12.2006", "Neuer Cache", true, false, "Neuer Cache", ""},
    };
    for (const auto& c : cases) {
        dlg.foundDate = c.found;
        dlg.captionText = c.caption;
        dlg.open();
        EXPECT_EQ(dlg.foundLineVisible(), c.lineVisible) << c.found;
        EXPECT_EQ(dlg.foundDateVisible(), c.dateVisible) << c.found;
        EXPECT_EQ(dlg.foundLineText(), c.line);
        EXPECT_EQ(dlg.foundDateText(), c.date);
    }
}

TEST_F(CacheDetails, UnknownPositionAndType) {
    dlg.record.Lat = 95;
    dlg.record.CacheType = "Cache In Trash Out Event";
    dlg.open();
    EXPECT_EQ(dlg.coordinatesText(), "unbekannt");
    EXPECT_EQ(dlg.typePicture(), -1);
    dlg.record.CacheType = "earthcache";
    dlg.open();
    EXPECT_EQ(dlg.typePicture(), 9);
}

TEST_F(CacheDetails, ShowButtonFindsTheDescriptionInASubdirectory) {
    home.dir.write("tour/GC1ABC_converted.html", "<html>");
    dlg.open();
    ASSERT_TRUE(dlg.showButtonVisible());
    EXPECT_EQ(dlg.convertedPath(), home.dir.file("tour/GC1ABC_converted.html"));
    dlg.showClick();
    ASSERT_EQ(home.host.opened.size(), 1u);
    EXPECT_EQ(home.host.opened[0], dlg.convertedPath());

    home.dir.write("gc1abc_converted.html", "<html>");  // the output directory itself comes first
    dlg.open();
    EXPECT_EQ(dlg.convertedPath(), home.dir.file("gc1abc_converted.html"));

    dlg.directory = home.dir.file("elsewhere");
    dlg.open();
    EXPECT_FALSE(dlg.showButtonVisible());
}

TEST_F(CacheDetails, NotesButtonFollowsTheNote) {
    dlg.open();
    EXPECT_EQ(dlg.notesButton(), TfrmCacheDetails::NotesButton::NoNote);
    TfrmAddInfo notes(home.ctx(), "GC1ABC");
    notes.open();
    ASSERT_TRUE(notes.save({"Stift mitnehmen"}));
    dlg.notesChanged();
    EXPECT_EQ(dlg.notesButton(), TfrmCacheDetails::NotesButton::NotePresent);
    ASSERT_TRUE(notes.save({}));  // an empty note removes the section
    dlg.notesChanged();
    EXPECT_EQ(dlg.notesButton(), TfrmCacheDetails::NotesButton::NoNote);
    dlg.notesAllowed = false;
    dlg.open();
    EXPECT_EQ(dlg.notesButton(), TfrmCacheDetails::NotesButton::Hidden);
}

TEST_F(CacheDetails, ResultsOfKeysAndButtons) {
    dlg.open();
    EXPECT_TRUE(dlg.keyPressed(TfrmCacheDetails::Key::Delete, false));
    EXPECT_EQ(dlg.result(), TfrmCacheDetails::Result::Closed);  // no remove button: Del just closes
    dlg.removeButtonVisible = true;
    dlg.open();
    EXPECT_FALSE(dlg.keyPressed(TfrmCacheDetails::Key::Delete, true));
    EXPECT_TRUE(dlg.keyPressed(TfrmCacheDetails::Key::Delete, false));
    EXPECT_EQ(dlg.result(), TfrmCacheDetails::Result::Remove);
    dlg.keepClick();
    EXPECT_EQ(dlg.result(), TfrmCacheDetails::Result::Keep);
    EXPECT_TRUE(dlg.keyPressed(TfrmCacheDetails::Key::Other, false));
    EXPECT_EQ(dlg.result(), TfrmCacheDetails::Result::Closed);
}

TEST_F(CacheDetails, ComparisonMarksDifferingPairs) {
    TCacheRec other = dlg.record;
    other.CacheName = "cache gc1abc";  // case only: same
    other.Lat += 0.0009;
    EXPECT_FALSE(dlg.compareWith(other).name);
    EXPECT_FALSE(dlg.compareWith(other).coordinates);
    other.Lon += 0.002;
    other.Terrain = "2.0";
    other.CountryID = 1;
    const auto d = dlg.compareWith(other);
    EXPECT_TRUE(d.coordinates);
    EXPECT_TRUE(d.terrain);
    EXPECT_TRUE(d.country);
    EXPECT_FALSE(d.difficulty);
    EXPECT_FALSE(d.cacheId);
    EXPECT_FALSE(d.hidden);
}

}  // namespace
}  // namespace vellora
