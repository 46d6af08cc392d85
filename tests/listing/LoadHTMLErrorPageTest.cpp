// What the listing loader makes of answers that are no listing: the site's error page for an
// unknown waypoint, pages without the waypoint field, failed transfers - each a load error with
// its reason in the protocol and no file left behind.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "listing/LoadHTML.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

constexpr const char* kListingPath = "/seek/cache_details.aspx";

class LoadHTMLErrorPage : public test::SimSuite<LoadHTMLErrorPage> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().applyTo(home.ctx());
        std::string db;
        for (int i = 0; i < 3; ++i) db += encodeCacheRec(sim().world().record(i));
        home.dir.write("Caches.bin", db);
    }
    std::vector<std::string> run(const std::vector<std::string>& waypoints, TfrmLoadHTML& window) {
        std::string list;
        for (const auto& w : waypoints) list += w + "\r\n";
        home.dir.write("WPList.txt", list);
        window.options.Images = false;
        window.options.LoadMap = false;
        window.open();
        window.btnLoadClick();
        return window.protocolLines();
    }
    static bool hasStarting(const std::vector<std::string>& lines, const std::string& start) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    }
    bool outExists(const std::string& name) { return fileExists(home.ctx().outDirPath() + name); }

    test::TestHome home;
};

TEST_F(LoadHTMLErrorPage, UnknownWaypointIsALoadErrorAndLeavesNoFile) {
    const std::string known = sim().world().waypoint(1);
    const std::string unknown = "GCZZZZZ";
    ASSERT_FALSE(sim().world().find(unknown));
    TfrmLoadHTML window(home.ctx());
    const auto lines = run({unknown, known}, window);
    EXPECT_EQ(window.statistics().errors, 1);
    EXPECT_EQ(window.statistics().loaded, 1);
    EXPECT_TRUE(window.errorFlag());
    EXPECT_FALSE(outExists(unknown + ".html"));
    EXPECT_TRUE(outExists(known + ".html"));
    EXPECT_TRUE(hasStarting(
        lines, "Fehler beim Laden von " + unknown + ": Die Website hat ihre Fehlerseite geliefert"));
    EXPECT_FALSE(hasStarting(lines, "Fehler beim Laden von " + known));
    EXPECT_EQ(lines[lines.size() - 2], "Der Ladevorgang wurde abgeschlossen.");
}

TEST_F(LoadHTMLErrorPage, EveryLoadErrorLineNamesTheReason) {
    const std::string w = sim().world().waypoint(1);
    struct Case {
        sim::FaultKind fault;
        const char* reasonPart;
    };
    const Case cases[] = {
        {sim::FaultKind::NotFound, "404"},
        {sim::FaultKind::ServerError, "500"},
        {sim::FaultKind::Empty, "leere Seite"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(sim::faultKindName(c.fault));
        sim().clearFaults();
        sim::FaultRule rule;
        rule.path = kListingPath;
        rule.kind = c.fault;
        sim().server().addFault(rule);
        TfrmLoadHTML window(home.ctx());
        const auto lines = run({w}, window);
        EXPECT_EQ(window.statistics().errors, 1);
        EXPECT_FALSE(outExists(w + ".html"));
        const std::string start = "Fehler beim Laden von " + w + ": ";
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
        ASSERT_NE(line, lines.end());
        EXPECT_NE(line->find(c.reasonPart), std::string::npos) << *line;
    }
}

TEST_F(LoadHTMLErrorPage, AbortedRunDoesNotSayItWasCompleted) {
    TfrmLoadHTML window(home.ctx());
    std::vector<std::string> waypoints;
    for (int i = 0; i < 3; ++i) waypoints.push_back(sim().world().waypoint(i));
    window.onProtocolLine = [&](const std::string& line) {
        if (line.rfind("Lade " + waypoints[0] + " (", 0) == 0) {
            home.host.answerNext(MsgResult::Yes);
            window.btnAbortClick();
        }
    };
    const auto lines = run(waypoints, window);
    EXPECT_TRUE(window.aborted());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Der Ladevorgang wurde abgeschlossen."), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Der Ladevorgang wurde abgebrochen."), 1);
}

TEST(ListingPageProblem, ErrorPagesAndPagesWithoutTheWaypointField) {
    struct Case {
        const char* page;
        const char* problemStart;  // empty: a listing
    };
    const Case cases[] = {
        {"<html><head><title>Cache Details</title></head><body><span id=\"WaypointName\">GC1</span>", ""},
        {"<html><head><title>x</title></head><body><SPAN ID='waypointname'>GC1</SPAN>", ""},
        {"<html><head><title>Error</title></head><body><h2>Sorry, an error has occurred.</h2>",
         "Die Website hat ihre Fehlerseite geliefert"},
        {"<html><head><title>Server Error</title></head><body><span id=\"WaypointName\"></span>",
         "Die Website hat ihre Fehlerseite geliefert"},
        {"<html><head><title>Log in</title></head><body>Please log in.</body></html>",
         "Die Seite ist keine Cachebeschreibung"},
        {"", "Die Seite ist keine Cachebeschreibung"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        const std::string problem = listingPageProblem(c.page);
        if (!*c.problemStart) {
            EXPECT_EQ(problem, "");
        } else {
            EXPECT_EQ(problem.rfind(c.problemStart, 0), 0u) << problem;
        }
    }
}

}  // namespace
}  // namespace vellora
#endif
