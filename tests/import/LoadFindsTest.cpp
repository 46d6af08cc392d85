// The own-finds dialog: the page reader on hand-made rows, and whole runs against the stand-in's
// finds pages with their paging, the stop date, cancel, failures and the merge into Finds.bin.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "import/LoadFinds.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using sim::FaultKind;
using test::TestHome;

const std::string kTime = "21:04:05 ";  // the frozen clock of test homes

std::vector<TFoundRec> readFinds(const std::string& path) {
    std::vector<TFoundRec> records;
    readFoundRecords(path, records);
    return records;
}

TFoundRec foundRec(const std::string& waypoint, const std::string& date, const std::string& name = "",
                   double lat = 0, double lon = 0, const std::string& type = "") {
    TFoundRec r;
    r.Waypoint = waypoint;
    r.FoundDate = date;
    r.CacheName = name;
    r.Lat = lat;
    r.Lon = lon;
    r.CacheType = type;
    return r;
}

// A result page as the site writes it, with the given total and rows (waypoint text, date text).
std::string resultPage(const std::string& total,
                       const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string page = "<html><body><table><tr><td class=\"paging\">Total Records: <b>" + total +
                       "</b> - Page: <b>1</b> of <b>1</b></td></tr>\r\n";
    for (const auto& [wp, date] : rows)
        page +=
            "<tr><td><a href=\"http://site/seek/cache_details.aspx?guid=ab12\">Name &amp; more</a> by Owner"
            "<br><font size=\"1\">(" +
            wp + ")<br>Germany</font></td>\r\n<td valign=\"top\" nowrap>" + date + "</td>\r\n</tr>\r\n";
    return page + "</table></body></html>\r\n";
}

std::vector<std::string> loadedOf(const TfrmLoadFinds& dialog) {
    std::vector<std::string> out;
    for (int i = 0; i < dialog.loadedFinds().count(); ++i) {
        const TFoundRec r = dialog.loadedFinds().get(i);
        out.push_back(r.Waypoint + " " + r.FoundDate);
    }
    return out;
}

TEST(LoadFindsText, UserNameIsSentAsTheSiteReadsIt) {
    struct Case {
        std::string name, encoded;
    } const cases[] = {
        {"Fr\xE4nki und Co", "Fr%C3%A4nki+und+Co"},
        {"K\xF6nig M\xFCller", "K%C3%B6nig+M%C3%BCller"},
        {"Tester 41", "Tester+41"},
        // Characters that would change the address's meaning name the user all the same.
        {"A&B #1+%", "A%26B+%231%2B%25"},
        {"Stra\xDF"
         "e",
         "Stra%C3%9Fe"},
    };
    for (const auto& c : cases) EXPECT_EQ(TfrmLoadFinds::encodeUserName(c.name), c.encoded) << c.name;
}

TEST(LoadFindsText, RowsGiveWaypointAndDate) {
    TestHome home;
    TfrmLoadFinds dialog(home.ctx());
    ASSERT_TRUE(dialog.parsePage(resultPage("7", {
                                                     {"GC1A2B", "Today"},
                                                     {"GC12345", "Yesterday"},
                                                     {"GCZZZZZZ", "3 days ago"},
                                                     {"GC1", "5 Nov 06"},
                                                     {"GCABCD", "x days ago"},
                                                     {"GCBCDE", "whenever"},
                                                     {"GC2B3C", " 12 Dec 05 "},
                                                 })));
    EXPECT_EQ(dialog.totalRecords(), 7);
    EXPECT_EQ(dialog.totalPages(), 1);
    // A five-character code is kept whole; "whenever" reads as tomorrow, the site's mark of an
    // unreadable date; a "days ago" without a number is left out.
    EXPECT_EQ(loadedOf(dialog),
              (std::vector<std::string>{"GC1A2B 08.12.2006", "GC12345 07.12.2006", "GCZZZZZZ 05.12.2006",
                                        "GC1 05.11.2006", "GCBCDE 09.12.2006", "GC2B3C 12.12.2005"}));
    EXPECT_EQ(dialog.protocol(),
              (std::vector<std::string>{kTime + "Found-Datens\xE4tze: 7", kTime + "Seiten gesamt: 1",
                                        kTime + "Fehlerhaftes Datumsformat: x days ago"}));
}

TEST(LoadFindsText, TotalGivesThePageCount) {
    TestHome home;
    struct Case {
        std::string total;
        int records, pages;
    } const cases[] = {{"41", 41, 3}, {"40", 40, 2}, {"20", 20, 1},
                       {"1", 1, 1},   {"0", 0, 0},   {"<B>60</B>", 60, 3}};
    for (const auto& c : cases) {
        TfrmLoadFinds dialog(home.ctx());
        ASSERT_TRUE(dialog.parsePage(resultPage(c.total, {})));
        EXPECT_EQ(dialog.totalRecords(), c.records) << c.total;
        EXPECT_EQ(dialog.totalPages(), c.pages) << c.total;
    }
}

TEST(LoadFindsText, PageWithoutTotalYieldsNothingAndABadTotalIsAnError) {
    TestHome home;
    {
        TfrmLoadFinds dialog(home.ctx());
        std::string page = resultPage("3", {{"GC1A2B", "Today"}});
        page.replace(page.find("Total Records"), 13, "Sum");
        ASSERT_TRUE(dialog.parsePage(page));
        EXPECT_EQ(dialog.loadedFinds().count(), 0);
        EXPECT_EQ(dialog.totalPages(), 0);
        EXPECT_TRUE(dialog.protocol().empty());
    }
    {
        TfrmLoadFinds dialog(home.ctx());
        EXPECT_FALSE(dialog.parsePage(resultPage("4x", {{"GC1A2B", "Today"}})));
        EXPECT_EQ(dialog.loadedFinds().count(), 0);
        EXPECT_EQ(home.host.textsOf(MsgKind::Error),
                  (std::vector<std::string>{"'4x' ist kein g\xFCltiger Integerwert"}));
    }
}

TEST(LoadFindsText, EarliestDayIsTakenTheDayBeforeStopsTheReading) {
    TestHome home;
    TfrmLoadFinds dialog(home.ctx());
    EXPECT_EQ(formatDate(dialog.earliestDate), "08.11.2006");  // today - 30 days
    EXPECT_TRUE(dialog.loadComplete);
    dialog.loadComplete = false;
    dialog.earliestDate = encodeDate(2006, 12, 6) + 0.75;  // the time of day does not count
    ASSERT_TRUE(dialog.parsePage(resultPage(
        "5",
        {{"GCAAAA", "Today"}, {"GCBBBB", "2 days ago"}, {"GCCCCC", "3 days ago"}, {"GCDDDD", "Today"}})));
    EXPECT_EQ(loadedOf(dialog), (std::vector<std::string>{"GCAAAA 08.12.2006", "GCBBBB 06.12.2006"}));
    EXPECT_TRUE(dialog.stopReached());
    EXPECT_EQ(dialog.protocol().back(), kTime + "Minimaldatum erreicht, Ladevorgang wird beendet.");
}

TEST(LoadFindsText, SameWaypointTwiceMergesTheFirstAndAddsTheSecond) {
    TestHome home;
    ASSERT_EQ(writeFoundRecords(home.workFile("Finds.bin"),
                                {foundRec("GCAAAA", "01.01.2001", "Local name", 48.1, 11.5, "Multi-cache")}),
              0);
    TfrmLoadFinds dialog(home.ctx());
    ASSERT_TRUE(dialog.parsePage(resultPage("2", {{"GCAAAA", "Today"}, {"GCAAAA", "3 days ago"}})));
    dialog.mergeIntoFindsFile();
    // No database: the merged record keeps its own data and takes only the date.
    EXPECT_EQ(readFinds(home.workFile("Finds.bin")),
              (std::vector<TFoundRec>{
                  foundRec("GCAAAA", "08.12.2006", "Local name", 48.1, 11.5, "Multi-cache"),
                  foundRec("GCAAAA", "05.12.2006", TfrmLoadFinds::kNotInDatabase),
              }));
    EXPECT_EQ(dialog.oldCount(), 1);
    EXPECT_EQ(dialog.newCount(), 1);
    ASSERT_GE(dialog.protocol().size(), 7u);
    const std::vector<std::string> tail(dialog.protocol().end() - 7, dialog.protocol().end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        kTime + "---------- Alte Liste: ----------",
                        kTime + "GCAAAA: Local name",
                        kTime + "---------- Hinzu kommen: ----------",
                        kTime + "GCAAAA: *** nicht in Datenbank gefunden ***",
                        kTime + "-------------------------------------------------",
                        kTime + "Bereits vorhanden waren 1 Finds",
                        kTime + "Neu gefunden wurden 1 Finds",
                    }));
}

TEST(LoadFindsText, UnreadableFindsFileIsNotRewritten) {
    TestHome home;
    ASSERT_EQ(::mkdir(home.workFile("Finds.bin").c_str(), 0755), 0);
    TfrmLoadFinds dialog(home.ctx());
    ASSERT_TRUE(dialog.parsePage(resultPage("1", {{"GCAAAA", "Today"}})));
    dialog.mergeIntoFindsFile();
    EXPECT_FALSE(dialog.merged());
    EXPECT_TRUE(dirExists(home.workFile("Finds.bin")));
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Fehler beim Lesen der Datei " + home.workFile("Finds.bin"), 0), 0u);
}

// ---- runs against the stand-in server ----

class LoadFinds : public ::vellora::test::SimSuite<LoadFinds> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().applyTo(home.ctx());
    }

    // The dialog with a timer that the test fires by hand.
    std::unique_ptr<TfrmLoadFinds> dialogFor(const std::string& user) {
        home.ctx().settings.Username = user;
        auto d = std::make_unique<TfrmLoadFinds>(home.ctx());
        d->startTimer = [this](int ms, std::function<void()> fire) {
            pauses.push_back(ms);
            pending = std::move(fire);
        };
        return d;
    }
    // Fires the timers until none is pending; beforeFire(n) runs before the n-th.
    void runTimers(const std::function<void(int)>& beforeFire = {}) {
        for (int n = 1; pending; ++n) {
            auto fire = std::move(pending);
            pending = nullptr;
            if (beforeFire) beforeFire(n);
            fire();
        }
    }

    // The finds of a user as the site lists them: waypoint and date.
    static std::vector<std::string> siteFinds(const std::string& user) {
        std::vector<std::string> out;
        for (const auto& f : sim().world().finds(user))
            out.push_back(sim().world().waypoint(f.cache) + " " + formatDate(f.date));
        return out;
    }

    // Caches.bin with the world's caches of even number, indexed.
    void writeDatabase(const std::function<void(int, TCacheRec&)>& adjust = {}) {
        std::string data;
        for (int i = 0; i < sim().world().size(); i += 2) {
            TCacheRec r = sim().world().record(i);
            if (adjust) adjust(i, r);
            data += encodeCacheRec(r);
        }
        home.dir.write("Caches.bin", data);
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    }
    static bool inDatabase(int cache) { return cache % 2 == 0; }

    TestHome home;
    std::vector<int> pauses;
    std::function<void()> pending;
};

TEST_F(LoadFinds, PagesAreLoadedASecondApartUntilTheLastOne) {
    struct Case {
        std::string user;
        int pages;
    } const cases[] = {{"Eule 41", 3}, {"Eule 40", 2}, {"Eule 20", 1}, {"Eule 0", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.user);
        sim().clearRequests();
        pauses.clear();
        removeFile(home.workFile("Finds.bin"));
        auto dialog = dialogFor(c.user);
        dialog->btnLoadClick();
        // One page ends the run at once; with more, the next one waits for the timer.
        EXPECT_EQ(dialog->state(),
                  c.pages > 1 ? TfrmLoadFinds::State::Loading : TfrmLoadFinds::State::Finished);
        runTimers();
        EXPECT_EQ(pauses, std::vector<int>(static_cast<std::size_t>(c.pages - 1), 1000));
        EXPECT_EQ(dialog->pageNumber(), c.pages);
        EXPECT_EQ(sim().requestsTo("/seek/nearest.aspx").size(), static_cast<std::size_t>(c.pages));
        EXPECT_EQ(loadedOf(*dialog), siteFinds(c.user));
        EXPECT_TRUE(dialog->merged());
        EXPECT_EQ(readFinds(home.workFile("Finds.bin")).size(), siteFinds(c.user).size());
        // Finished: only the close button is left.
        EXPECT_EQ(dialog->state(), TfrmLoadFinds::State::Finished);
        EXPECT_FALSE(dialog->loadEnabled());
        EXPECT_FALSE(dialog->cancelEnabled());
        EXPECT_FALSE(dialog->optionsEnabled());
        EXPECT_TRUE(dialog->closeEnabled());
    }
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(LoadFinds, NewFindsAreNamedFromTheDatabaseWithTheProtocol) {
    writeDatabase();
    auto dialog = dialogFor("Tester 41");
    dialog->btnLoadClick();
    runTimers();

    const sim::World& w = sim().world();
    std::vector<TFoundRec> expected;
    std::vector<std::string> protocol = {kTime + "Lade Seite #1",
                                         kTime + "Found-Datens\xE4tze: 41",
                                         kTime + "Seiten gesamt: 3",
                                         kTime + "Lade Seite #2",
                                         kTime + "Lade Seite #3",
                                         kTime + "Fertig.",
                                         kTime + "---------- Alte Liste: ----------",
                                         kTime + "---------- Hinzu kommen: ----------"};
    for (const auto& f : w.finds("Tester 41")) {
        TFoundRec r = foundRec(w.waypoint(f.cache), formatDate(f.date), TfrmLoadFinds::kNotInDatabase);
        if (inDatabase(f.cache)) {
            const TCacheRec c = w.record(f.cache);
            r = foundRec(r.Waypoint, r.FoundDate, c.CacheName.substr(0, 80), c.Lat, c.Lon, c.CacheType);
        }
        protocol.push_back(kTime + r.Waypoint + ": " + r.CacheName);
        expected.push_back(r);
    }
    protocol.push_back(kTime + "-------------------------------------------------");
    protocol.push_back(kTime + "Bereits vorhanden waren 0 Finds");
    protocol.push_back(kTime + "Neu gefunden wurden 41 Finds");
    EXPECT_EQ(readFinds(home.workFile("Finds.bin")), expected);
    EXPECT_EQ(dialog->protocol(), protocol);
    EXPECT_EQ(dialog->newCount(), 41);
}

TEST_F(LoadFinds, KnownFindsTakeTheSiteDateAndTheDatabaseData) {
    const sim::World& w = sim().world();
    const auto finds = w.finds("Tester 45");
    // Two finds the file holds already: one of a cache in the database, with a long name there, and
    // one whose cache the database lacks; and one the site does not list.
    int known = -1, unknown = -1;
    for (int k = 0; k < static_cast<int>(finds.size()) && (known < 0 || unknown < 0); ++k)
        (inDatabase(finds[static_cast<std::size_t>(k)].cache) ? known : unknown) = k;
    ASSERT_GE(known, 0);
    ASSERT_GE(unknown, 0);
    const int knownCache = finds[static_cast<std::size_t>(known)].cache;
    const std::string longName(100, 'N');
    writeDatabase([&](int i, TCacheRec& r) {
        if (i == knownCache) r.CacheName = longName;
    });
    const std::string knownWp = w.waypoint(knownCache);
    const std::string unknownWp = w.waypoint(finds[static_cast<std::size_t>(unknown)].cache);
    ASSERT_EQ(writeFoundRecords(home.workFile("Finds.bin"),
                                {foundRec("GCLOCAL", "02.02.2002", "Nur lokal", 1, 2, "Virtual Cache"),
                                 foundRec(knownWp, "01.01.2001", "Alt", 3, 4, "Letterbox Hybrid"),
                                 foundRec(unknownWp, "01.01.2001", "Alt 2", 5, 6, "Event Cache")}),
              0);

    auto dialog = dialogFor("Tester 45");
    dialog->btnLoadClick();
    runTimers();

    const TCacheRec db = w.record(knownCache);
    const auto records = readFinds(home.workFile("Finds.bin"));
    ASSERT_EQ(records.size(), 3u + 43u);
    EXPECT_EQ(records[0], foundRec("GCLOCAL", "02.02.2002", "Nur lokal", 1, 2, "Virtual Cache"));
    EXPECT_EQ(records[1], foundRec(knownWp, formatDate(finds[static_cast<std::size_t>(known)].date),
                                   std::string(80, 'N'), db.Lat, db.Lon, db.CacheType));
    EXPECT_EQ(records[2], foundRec(unknownWp, formatDate(finds[static_cast<std::size_t>(unknown)].date),
                                   "Alt 2", 5, 6, "Event Cache"));
    for (std::size_t k = 3; k < records.size(); ++k) {
        EXPECT_NE(records[k].Waypoint, knownWp);
        EXPECT_NE(records[k].Waypoint, unknownWp);
    }
    const auto& p = dialog->protocol();
    EXPECT_EQ(p[p.size() - 2], kTime + "Bereits vorhanden waren 3 Finds");
    EXPECT_EQ(p.back(), kTime + "Neu gefunden wurden 43 Finds");
    EXPECT_NE(std::find(p.begin(), p.end(), kTime + knownWp + ": " + std::string(80, 'N')), p.end());
}

TEST_F(LoadFinds, StopDateEndsTheLoadingAndTheMergeRuns) {
    const std::string user = "Tester 60";
    const auto finds = sim().world().finds(user);
    const TDateTime earliest = finds[25].date;
    std::size_t firstBefore = 0;
    while (firstBefore < finds.size() && finds[firstBefore].date >= earliest) ++firstBefore;
    ASSERT_LT(firstBefore, finds.size());

    auto dialog = dialogFor(user);
    dialog->loadComplete = false;
    dialog->earliestDate = earliest;
    dialog->btnLoadClick();
    runTimers();

    const auto all = siteFinds(user);
    EXPECT_EQ(loadedOf(*dialog), std::vector<std::string>(all.begin(), all.begin() + firstBefore));
    EXPECT_EQ(sim().requestsTo("/seek/nearest.aspx").size(), firstBefore / 20 + 1);
    EXPECT_TRUE(dialog->stopReached());
    EXPECT_TRUE(dialog->merged());
    EXPECT_EQ(readFinds(home.workFile("Finds.bin")).size(), firstBefore);
    const auto& p = dialog->protocol();
    EXPECT_NE(std::find(p.begin(), p.end(), kTime + "Minimaldatum erreicht, Ladevorgang wird beendet."),
              p.end());
}

TEST_F(LoadFinds, CancelAfterPageTwoLeavesFindsBinUnchanged) {
    ASSERT_EQ(writeFoundRecords(home.workFile("Finds.bin"), {foundRec("GCLOCAL", "02.02.2002", "Nur lokal")}),
              0);
    const std::string before = home.dir.read("Finds.bin");
    auto dialog = dialogFor("Tester 100");
    dialog->btnLoadClick();
    runTimers([&](int n) {
        if (n == 2) {
            dialog->btnCancelClick();
            EXPECT_EQ(dialog->state(), TfrmLoadFinds::State::Idle);
            EXPECT_TRUE(dialog->loadEnabled());
            EXPECT_TRUE(dialog->optionsEnabled());
            EXPECT_TRUE(dialog->closeEnabled());
        }
    });
    EXPECT_EQ(dialog->totalPages(), 5);
    EXPECT_EQ(sim().requestsTo("/seek/nearest.aspx").size(), 2u);
    EXPECT_EQ(home.dir.read("Finds.bin"), before);
    EXPECT_FALSE(dialog->merged());
    const auto& p = dialog->protocol();
    EXPECT_EQ(p.back(), kTime + "*** Abbruch durch Benutzer ***");
    EXPECT_EQ(std::find(p.begin(), p.end(), kTime + "Fertig."), p.end());

    // A new start after the cancel runs from the first page again.
    dialog->btnLoadClick();
    runTimers();
    EXPECT_TRUE(dialog->merged());
    EXPECT_EQ(readFinds(home.workFile("Finds.bin")).size(), 101u);
}

TEST_F(LoadFinds, FailedRequestEndsTheRunWithoutMerging) {
    struct Case {
        const char* what;
        int failAtPage;
        FaultKind kind;
        std::string line;
    } const cases[] = {
        {"first page", 1, FaultKind::ServerError, "Fehler #-1 - Abbruch!"},
        {"posted page", 2, FaultKind::ServerError, "Fehler #-3 - Abbruch!"},
        {"cut answer", 3, FaultKind::Close, "Fehler #-3 - Abbruch!"},
    };
    ASSERT_EQ(writeFoundRecords(home.workFile("Finds.bin"), {foundRec("GCLOCAL", "02.02.2002", "Nur lokal")}),
              0);
    const std::string before = home.dir.read("Finds.bin");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim().clearRequests();
        sim().clearFaults();
        if (c.failAtPage == 1) sim().addFault("/seek/nearest.aspx", c.kind, 1);
        auto dialog = dialogFor("Tester 80");
        dialog->btnLoadClick();
        runTimers([&](int n) {
            if (n + 1 == c.failAtPage) sim().addFault("/seek/nearest.aspx", c.kind, 1);
        });
        EXPECT_EQ(dialog->pageNumber(), c.failAtPage);
        EXPECT_EQ(dialog->protocol().back(), kTime + c.line);
        EXPECT_TRUE(dialog->cancelled());
        EXPECT_FALSE(dialog->merged());
        EXPECT_TRUE(dialog->closeEnabled());
        EXPECT_EQ(home.dir.read("Finds.bin"), before);
    }
}

TEST_F(LoadFinds, UserNameWithBlankAndUmlautReachesTheSite) {
    const std::string user = "Fr\xE4nki und Co 41";
    auto dialog = dialogFor(user);
    dialog->btnLoadClick();
    runTimers();
    const auto requests = sim().requestsTo("/seek/nearest.aspx");
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& r : requests) EXPECT_EQ(r.query, "ul=Fr%C3%A4nki+und+Co+41&submit4=Find");
    EXPECT_EQ(loadedOf(*dialog), siteFinds(user));
}

TEST_F(LoadFinds, DebugModeKeepsThePagesAndTheLoaderAlwaysLogs) {
    auto dialog = dialogFor("Eule 25");
    dialog->btnLoadClick();
    runTimers();
    EXPECT_FALSE(home.dir.exists("finds1.html"));
    const std::string quietLog = home.dir.read("debug.log");
    EXPECT_NE(quietLog.find("INF: TListLoader.GetFirstPage: loaded successfully"), std::string::npos);
    EXPECT_EQ(quietLog.find("frmLoadFinds"), std::string::npos);

    home.ctx().debugMode = true;
    removeFile(home.workFile("Finds.bin"));
    dialog = dialogFor("Eule 25");
    dialog->btnLoadClick();
    std::string firstPage = dialog->loader().pageText();
    runTimers();
    EXPECT_EQ(home.dir.read("finds1.html"), firstPage);
    EXPECT_EQ(home.dir.read("finds2.html"), dialog->loader().pageText());
    const std::string log = home.dir.read("debug.log");
    EXPECT_NE(log.find("INF: frmLoadFinds.LoadOnePage: Saving finds-page as: finds2.html"),
              std::string::npos);

    sim().addFault("/seek/nearest.aspx", FaultKind::NotFound, 1);
    removeFile(home.workFile("Finds.bin"));
    dialog = dialogFor("Eule 25");
    dialog->btnLoadClick();
    EXPECT_NE(home.dir.read("debug.log").find("ERR: frmLoadFinds.LoadOnePage: Error loading page #1"),
              std::string::npos);
}

TEST_F(LoadFinds, WithoutAViewTimerThePauseIsWaitedAndTheHostCanCancel) {
    home.ctx().settings.Username = "Eule 25";
    {
        TfrmLoadFinds dialog(home.ctx());
        dialog.btnLoadClick();
        EXPECT_EQ(dialog.state(), TfrmLoadFinds::State::Finished);
        EXPECT_EQ(loadedOf(dialog), siteFinds("Eule 25"));
        EXPECT_GT(home.host.processEventsCalls, 0);
    }
    sim().clearRequests();
    removeFile(home.workFile("Finds.bin"));
    home.host.abortAtPoll(1);
    TfrmLoadFinds dialog(home.ctx());
    dialog.btnLoadClick();
    EXPECT_EQ(sim().requestsTo("/seek/nearest.aspx").size(), 1u);
    EXPECT_TRUE(dialog.cancelled());
    EXPECT_FALSE(home.dir.exists("Finds.bin"));
    EXPECT_EQ(dialog.protocol().back(), kTime + "*** Abbruch durch Benutzer ***");
}

TEST_F(LoadFinds, ProxySettingSendsThePagesThroughTheProxy) {
    home.ctx().settings.UseProxy = true;
    home.ctx().settings.ProxyServer = "http://127.0.0.1:" + std::to_string(sim().server().port());
    auto dialog = dialogFor("Eule 30");
    dialog->btnLoadClick();
    runTimers();
    EXPECT_TRUE(dialog->merged());
    const auto requests = sim().requestsTo("/seek/nearest.aspx");
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& r : requests) EXPECT_TRUE(r.absoluteForm);
}

}  // namespace
}  // namespace vellora
#endif
