#include <gtest/gtest.h>

#include "worklist/CacheSubSelector.h"
#include "worklist/NameSearch.h"
#include "worklist/WPCol.h"
#include "worklist/WorkListFixture.h"

namespace vellora::test {
namespace {

using Vec = std::vector<std::string>;

class NameSearchTest : public WorkListTest {
protected:
    void SetUp() override {
        writeDb({wlCache("GC1", kHomeLat, kHomeLon, "Burgblick"),
                 wlCache("GC12AB", kHomeLat, kHomeLon, "Wald"),
                 wlCache("GC3", kHomeLat, kHomeLon, "Alte BURG"),
                 wlCache("GC4", kHomeLat, kHomeLon, "M\xFChle")});
    }
    static Vec lines(const TNameSearch& s) {
        Vec out;
        for (int i = 0; i < s.count(); ++i) out.push_back(s.line(i));
        return out;
    }
};

TEST_F(NameSearchTest, FindsNamesAndWaypointsInDatabaseOrder) {
    TNameSearch s(home.ctx());
    s.open();
    EXPECT_EQ(s.countText(), "0 Caches markiert");
    s.searchText = "burg";
    EXPECT_EQ(s.search(), 2);
    EXPECT_EQ(lines(s), (Vec{"Burgblick [GC1]", "Alte BURG [GC3]"}));
    s.searchText = "gc12";
    s.search();
    EXPECT_EQ(lines(s), (Vec{"Wald [GC12AB]"}));
    s.searchText = "\xFChle";  // national letters are uppercased too
    s.search();
    EXPECT_EQ(lines(s), (Vec{"M\xFChle [GC4]"}));
    s.searchText = "kgc";  // spans the end of a name and its waypoint
    s.search();
    EXPECT_EQ(lines(s), (Vec{"Burgblick [GC1]"}));
}

TEST_F(NameSearchTest, TicksOneLineAndKeepsItAcrossSearches) {
    TNameSearch s(home.ctx());
    s.open();
    s.searchText = "burg";
    s.search();
    EXPECT_FALSE(s.acceptEnabled());
    s.toggle(0);
    s.toggle(1);
    EXPECT_FALSE(s.ticked(0));
    EXPECT_EQ(s.chosen(), (Vec{"GC3"}));
    EXPECT_EQ(s.countText(), "1 Caches markiert");
    s.searchText = "alte";
    s.search();
    EXPECT_TRUE(s.ticked(0));
    s.toggle(0);
    EXPECT_TRUE(s.chosen().empty());
    s.toggle(0);
    s.cancel();
    EXPECT_TRUE(s.chosen().empty());
    EXPECT_FALSE(s.isOpen());
}

TEST(SubSelector, LinesSortedTickedAndReadBack) {
    EXPECT_EQ(waypointOfHitLine("Weg (alt) (GC1X2Y)"), "GC1X2Y");
    EXPECT_EQ(waypointOfNameLine("Weg [alt] [gc1x-2y]"), "GC1X2Y");
    TCacheSubSelector s;
    s.setLines({"zebra (GC2)", "Adler (GC1)", "\xC4pfel (GC3)"});
    EXPECT_EQ(s.lines(), (Vec{"Adler (GC1)", "zebra (GC2)", "\xC4pfel (GC3)"}));
    EXPECT_EQ(s.tickedWaypoints(), (Vec{"GC1", "GC2", "GC3"}));
    s.markNone();
    EXPECT_TRUE(s.tickedWaypoints().empty());
    s.detailsClosed(1, false);
    EXPECT_EQ(s.tickedWaypoints(), (Vec{"GC2"}));
    s.markAll();
    s.detailsClosed(1, true);
    EXPECT_EQ(s.tickedWaypoints(), (Vec{"GC1", "GC3"}));
}

TEST_F(NameSearchTest, CollectorAddsChosenHits) {
    home.dir.write("WPList.txt", "GC1\r\n");
    TWPCollector c(home.ctx());
    c.open();
    c.nameText = "bu";
    EXPECT_FALSE(c.addByNameEnabled());
    c.nameText = "bur";
    EXPECT_EQ(c.nameSearchLines(c.nameText), (Vec{"Alte BURG (GC3)"}));
    // Declined selection adds nothing; unticking all adds nothing.
    c.selectHits = [](Vec&, std::vector<bool>&) { return false; };
    EXPECT_EQ(c.addByName(), 0);
    c.selectHits = [](Vec&, std::vector<bool>& ticked) {
        ticked.assign(ticked.size(), false);
        return true;
    };
    EXPECT_EQ(c.addByName(), 0);
    EXPECT_FALSE(c.modified());
    EXPECT_EQ(c.nameText, "bur");
    Vec shown;
    c.selectHits = [&shown](Vec& lines, std::vector<bool>&) {
        shown = lines;
        return true;
    };
    c.nameText = "a";
    EXPECT_EQ(c.addByName(), 0);
    c.nameText = "ald";
    EXPECT_EQ(c.addByName(), 1);
    EXPECT_EQ(shown, (Vec{"Wald (GC12AB)"}));
    EXPECT_EQ(c.nameText, "");
    // Without the preselection every hit is taken at once.
    c.options.PreselectMultiFinds = false;
    shown.clear();
    c.nameText = "L";
    c.nameText = "lte";
    EXPECT_EQ(c.addByName(), 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(waypoints(c, kWorkList), (Vec{"GC1", "GC12AB", "GC3"}));
}

}  // namespace
}  // namespace vellora::test
