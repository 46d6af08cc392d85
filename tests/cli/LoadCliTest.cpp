// vellora-cli load: one run of the listing loader over the work list against the stand-in server.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "sim/SimFixture.h"
#include "support/CliRunner.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliResult;

class CliLoad : public test::SimSuite<CliLoad> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        ASSERT_EQ(run({"init"}).code, 0);
        sim().writeHome(root.path());
        std::string db;
        for (int i = 0; i < 10; ++i) db += encodeCacheRec(sim().world().record(i));
        root.write("Caches.bin", db);
    }
    CliResult run(std::vector<std::string> words) {
        std::vector<std::string> args = {"--home", root.path()};
        args.insert(args.end(), words.begin(), words.end());
        return vellora::test::CliRunner::runRaw(args);
    }
    static std::string wp(int i) { return sim().world().waypoint(i); }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        std::istringstream s(text);
        for (std::string l; std::getline(s, l);) result.push_back(l);
        return result;
    }
    static int listingRequests() {
        return static_cast<int>(sim().requestsTo("/seek/cache_details.aspx").size());
    }

    test::TempDir root;
};

TEST_F(CliLoad, LoadsTheWorkListAndPrintsProtocolAndStatistics) {
    root.write("WPList.txt", wp(1) + "\r\n" + wp(2) + "\r\n" + wp(3) + "\r\n");
    root.write(wp(3) + ".html", "alt\r\n");
    const CliResult r = run({"load"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_GE(out.size(), 10u);
    EXPECT_EQ(out[0], "Die Arbeitsliste enth\xC3\xA4lt 3 Waypoints.");
    EXPECT_EQ(out[1].rfind("Ladevorgang gestartet um ", 0), 0u);
    EXPECT_NE(r.out.find("\n\xC3\xBC"
                         "berspringe " +
                         wp(3) + " (bereits vorhanden)\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nLade " + wp(1) + " ("), std::string::npos);
    EXPECT_NE(r.out.find("\nLade Karte (Expedia/MapPoint)...\n"), std::string::npos);
    const std::vector<std::string> statistics(out.end() - 7, out.end());
    EXPECT_EQ(statistics,
              (std::vector<std::string>{"Caches geladen: 2", "Fehler beim Laden aufgetreten: 0",
                                        "Caches \xC3\xBC"
                                        "bersprungen, davon: 1",
                                        "  bereits vorhanden: 1", "  bereits gefunden (Fundliste): 0",
                                        "  ignoriert (Ignore-Liste): 0", "  archiviert (Archivliste): 0"}));
    EXPECT_EQ(listingRequests(), 2);
    EXPECT_TRUE(fileExists(root.file(wp(1) + ".html")));
    EXPECT_TRUE(fileExists(root.file(wp(2) + "_mappoint.gif")));
}

TEST_F(CliLoad, MapsOnlyFetchesNoListings) {
    root.write("WPList.txt", wp(1) + "\r\n" + wp(2) + "\r\n");
    const CliResult r = run({"load", "--maps-only"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(wp(2) + ": Lade nur Landkarte!\n"), std::string::npos);
    EXPECT_EQ(listingRequests(), 0);
    EXPECT_TRUE(fileExists(root.file(wp(1) + "_mappoint.gif")));
    EXPECT_FALSE(fileExists(root.file(wp(1) + ".html")));
}

TEST_F(CliLoad, FailuresAndUsage) {
    EXPECT_EQ(run({"load", "--all"}).code, 2);
    EXPECT_EQ(run({"load", "--maps-only", "x"}).code, 2);

    root.write("WPList.txt", "");
    const CliResult empty = run({"load"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("Die Arbeitsliste enth\xC3\xA4lt keine Waypoints, deren Caches"),
              std::string::npos);
    EXPECT_EQ(listingRequests(), 0);

    root.write("WPList.txt", wp(1) + "\r\n" + wp(2) + "\r\n");
    sim().addFault("/seek/cache_details.aspx", sim::FaultKind::ServerError, 1);
    const CliResult failed = run({"load"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.out.find("\nFehler beim Laden von " + wp(1) + ": "), std::string::npos);
    EXPECT_NE(failed.out.find("\nCaches geladen: 1\nFehler beim Laden aufgetreten: 1\n"), std::string::npos);
}

}  // namespace
}  // namespace vellora
#endif
