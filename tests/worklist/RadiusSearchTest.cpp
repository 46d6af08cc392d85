#include <gtest/gtest.h>

#include <functional>

#include "core/FoundList.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "worklist/CacheFilter.h"
#include "worklist/WPCol.h"
#include "worklist/WorkListFixture.h"

namespace vellora::test {
namespace {

using Vec = std::vector<std::string>;

TEST(RadiusField, KeysAndText) {
    EXPECT_EQ(filterRadiusKey(','), '.');
    EXPECT_EQ(filterRadiusKey('7'), '7');
    EXPECT_EQ(filterRadiusKey('\b'), '\b');
    EXPECT_EQ(filterRadiusKey('a'), 0);
    EXPECT_EQ(filterRadiusKey('-'), 0);
    std::string typed;
    for (char c : std::string("2,5")) typed += filterRadiusKey(c);
    EXPECT_EQ(typed, "2.5");
    EXPECT_DOUBLE_EQ(parseRadiusText("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(parseRadiusText(""), -1);
    EXPECT_DOUBLE_EQ(parseRadiusText("1.2.3"), -1);
}

class RadiusSearch : public WorkListTest {
protected:
    // Caches north of home, n km away.
    static TCacheRec north(const std::string& wp, double km) {
        return wlCache(wp, kHomeLat + km / 111.19492664455873, kHomeLon);
    }

    Vec search(const std::string& radius = "10") {
        c.radiusText = radius;
        c.radiusSearch();
        return waypoints(c, c.currentList());
    }
    void open() { c.open(); }

    TWPCollector c{home.ctx()};
};

TEST_F(RadiusSearch, RadiusBoundaryAndOrder) {
    TCacheRec edge = north("GCEDGE", 0);
    edge.Lat = kHomeLat + 10 / 111.19492664455873;
    writeDb({north("GCFAR", 10.2), north("GCB", 3), edge, wlCache("GCZERO", 0, 0), north("GCA", 1)});
    open();
    // The radius is exactly the collector's own distance of the edge cache.
    const auto exact = DistanceBearing(kHomeLat, kHomeLon, edge.Lat, edge.Lon);
    EXPECT_EQ(search(formatShortest(exact.distanceKm)), (Vec{"GCB", "GCEDGE", "GCA"}));
    EXPECT_TRUE(c.modified());
    // Twice: nothing more.
    EXPECT_EQ(c.radiusSearch(), 0);
}

TEST_F(RadiusSearch, WrongRadiusChangesNothing) {
    writeDb({north("GCA", 1)});
    open();
    for (const char* text : {"0", "", "-3", "abc"}) {
        c.radiusText = text;
        EXPECT_EQ(c.radiusSearch(), -1) << text;
    }
    EXPECT_EQ(home.host.textsOf(MsgKind::Error).size(), 4u);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error)[0], "Der eingegebene Radius ist falsch.");
    EXPECT_TRUE(c.list(kWorkList).empty());
    EXPECT_FALSE(c.modified());
}

TEST_F(RadiusSearch, Filters) {
    struct Case {
        const char* name;
        std::function<void(TCacheFilterOptions&)> set;
        Vec expected;
    };
    TCacheRec march1 = north("GCMAR1", 1), feb28 = north("GCFEB28", 1);
    march1.HiddenDate = encodeDate(2006, 3, 1);
    feb28.HiddenDate = encodeDate(2006, 2, 28);
    TCacheRec multi = north("GCMULTI", 1), odd = north("GCODD", 1);
    multi.CacheType = "multi-cache";
    odd.CacheType = "Wherigo";
    TCacheRec evToday = north("GCEVT", 1), evYesterday = north("GCEVY", 1),
              citoYesterday = north("GCCITO", 1);
    evToday.CacheType = evYesterday.CacheType = "Event Cache";
    citoYesterday.CacheType = "Cache In Trash Out E";
    evToday.HiddenDate = encodeDate(2006, 12, 8);
    evYesterday.HiddenDate = citoYesterday.HiddenDate = encodeDate(2006, 12, 7);
    TCacheRec micro = north("GCMICRO", 1), small = north("GCSMALL", 1);
    micro.CacheSize = "Micro";
    small.CacheSize = "Small";
    const std::vector<TCacheRec> db = {march1,      feb28,         multi, odd,  evToday,
                                       evYesterday, citoYesterday, micro, small};
    writeDb(db);

    const Vec all = {"GCMAR1", "GCFEB28", "GCMULTI", "GCODD",  "GCEVT",
                     "GCEVY",  "GCCITO",  "GCMICRO", "GCSMALL"};
    const std::vector<Case> cases = {
        {"all off",
         [](TCacheFilterOptions& f) {
             f = {};
             f.SkipArchived = f.SkipOldEvents = false;
         },
         all},
        {"date",
         [](TCacheFilterOptions& f) {
             f = {};
             f.SkipOldEvents = false;
             f.FilterCacheDate = true;
             f.FilterDate = encodeDate(2006, 3, 1);
         },
         {"GCMAR1", "GCEVT", "GCEVY", "GCCITO"}},
        {"types none",
         [](TCacheFilterOptions& f) {
             f = {};
             f.FilterCacheType = true;
         },
         {}},
        {"multi only",
         [](TCacheFilterOptions& f) {
             f = {};
             f.FilterCacheType = true;
             f.FilterCTypes[1] = true;
         },
         {"GCMULTI"}},
        {"traditional (unknown types never)",
         [](TCacheFilterOptions& f) {
             f = {};
             f.SkipOldEvents = false;
             f.FilterCacheType = true;
             f.FilterCTypes[0] = true;
         },
         {"GCMAR1", "GCFEB28", "GCMICRO", "GCSMALL"}},
        {"old events",
         [](TCacheFilterOptions& f) { f = {}; },
         {"GCMAR1", "GCFEB28", "GCMULTI", "GCODD", "GCEVT", "GCCITO", "GCMICRO", "GCSMALL"}},
        {"micros",
         [](TCacheFilterOptions& f) {
             f = {};
             f.SkipOldEvents = false;
             f.SkipMicros = true;
         },
         {"GCMAR1", "GCFEB28", "GCMULTI", "GCODD", "GCEVT", "GCEVY", "GCCITO", "GCSMALL"}},
    };
    open();
    for (const Case& k : cases) {
        c.removeAll();
        k.set(c.options.filter);
        EXPECT_EQ(search(), k.expected) << k.name;
    }
}

TEST_F(RadiusSearch, FindsIgnoresAndArchivedApplyToTheWorkListOnly) {
    writeDb({north("GCFOUND", 1), north("GCIGN", 2), north("GCARCH", 3), north("GCNEW", 4)});
    home.dir.write("WPignore.txt", "GCIGN\r\n");
    home.dir.write("WParchived.txt", "x;GCARCH\r\n");
    ASSERT_EQ(writeFoundRecords(work("Finds.bin"), {TFoundRec{0, 0, "GCFOUND", "", "", "01.01.2006"}}), 0);
    open();
    EXPECT_EQ(search(), (Vec{"GCNEW"}));
    c.selectList(kClipboardList);
    EXPECT_EQ(search(), (Vec{"GCFOUND", "GCIGN", "GCNEW"}));
    c.removeAll();
    c.options.filter.SkipArchived = false;
    EXPECT_EQ(search(), (Vec{"GCFOUND", "GCIGN", "GCARCH", "GCNEW"}));
}

TEST_F(RadiusSearch, SearchesAroundTheChosenCentre) {
    home.ctx().settings.AddHomeLat = {"50.60000"};
    home.ctx().settings.AddHomeLon = {"10.80000"};
    home.ctx().settings.AddHomeTxt = {"Urlaub"};
    writeDb({north("GCHOME", 1), north("GCAWAY", 111.19492664455873)});
    open();
    c.setCentreIndex(1);
    EXPECT_EQ(search("5"), (Vec{"GCAWAY"}));
    c.setCentreManual(kHomeLat, kHomeLon);
    EXPECT_EQ(search("5"), (Vec{"GCAWAY", "GCHOME"}));
}

}  // namespace
}  // namespace vellora::test
