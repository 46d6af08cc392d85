// archive load, update-check and finds load through vellora-cli against the stand-in server.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include <sstream>

#include "core/Cp1252.h"
#include "core/DateUtil.h"
#include "core/FoundList.h"
#include "sim/SimFixture.h"
#include "support/CliRunner.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace {

using vellora::test::CliResult;
using vellora::test::TempDir;

vellora::sim::SimFixture::Options netWorld() {
    vellora::sim::SimFixture::Options o;
    o.caches = 200;
    return o;
}

class CliNet : public vellora::test::SimSuite<CliNet, netWorld> {
protected:
    CliResult run(std::vector<std::string> words) {
        std::vector<std::string> args = {"--home", root.path()};
        args.insert(args.end(), words.begin(), words.end());
        return vellora::test::CliRunner::runRaw(args);
    }
    void SetUp() override {
        SimSuite::SetUp();
        sim().server().setVersion("V5.0.1", "13.12.2006");
        ASSERT_EQ(run({"init"}).code, 0);
        sim().writeHome(root.path());
    }

    TempDir root;
};

TEST_F(CliNet, ArchiveLoad) {
    ASSERT_EQ(run({"config", "set", "Program", "ShowMessages", "1"}).code, 0);
    const std::size_t n = sim().world().archivedCaches().size();
    const CliResult r = run({"archive", "load"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find(std::to_string(n) + " Waypoints archivierter Caches geladen."), std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("Stand der Archivliste: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(", " + std::to_string(n) + " Eintr\xC3\xA4ge."), std::string::npos) << r.out;

    sim().addFault("/velloralist.php", vellora::sim::FaultKind::ServerError, 1);
    const CliResult failed = run({"archive", "load"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("EHttpError : "), std::string::npos) << failed.err;

    EXPECT_EQ(run({"archive"}).code, 2);
    EXPECT_EQ(run({"archive", "fetch"}).code, 2);
}

TEST_F(CliNet, UpdateCheck) {
    struct Case {
        std::string version, date;
        int code;
        std::string said;
    } const cases[] = {
        {"V5.0.1", "13.12.2006", 0, "auf dem aktuellen Stand"},
        {"V5.0.2", "05.01.2007", 0, "Aktuell verf\xC3\xBCgbare Version: V5.0.2 vom 05.01.2007"},
        {"V5.0.2", "13.12.2006", 0, "neuer als"},
    };
    for (const auto& c : cases) {
        sim().server().setVersion(c.version, c.date);
        const CliResult r = run({"update-check"});
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    sim().addFault("/velloraversion.txt", vellora::sim::FaultKind::NotFound, 1);
    const CliResult failed = run({"update-check"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("konnte leider nicht \xC3\xBC"
                              "berpr\xC3\xBC"
                              "ft werden."),
              std::string::npos)
        << failed.err;
    EXPECT_EQ(run({"update-check", "now"}).code, 2);
}

TEST_F(CliNet, FindsLoadMergesAndPrintsTheProtocol) {
    // Without a user name the command asks and, answered no, ends.
    const CliResult noName = run({"finds", "load"});
    EXPECT_EQ(noName.code, 1);
    EXPECT_NE(noName.err.find("Usernamen"), std::string::npos) << noName.err;
    EXPECT_TRUE(sim().requests().empty());

    const std::string user = "M\xFCller 25";
    ASSERT_EQ(run({"config", "set", "Program", "Username", vellora::utf8FromCp1252(user)}).code, 0);
    const CliResult r = run({"finds", "load"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(" Lade Seite #2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" Found-Datens\xC3\xA4tze: 25\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" Neu gefunden wurden 25 Finds\n"), std::string::npos) << r.out;
    std::vector<vellora::TFoundRec> records;
    ASSERT_EQ(vellora::readFoundRecords(root.file("Finds.bin"), records), 0);
    const auto finds = sim().world().finds(user);
    ASSERT_EQ(records.size(), finds.size());
    for (std::size_t k = 0; k < finds.size(); ++k)
        EXPECT_EQ(records[k].Waypoint, sim().world().waypoint(finds[k].cache));

    // With --since only the finds from that day on; the known ones are counted as such.
    const std::string since = vellora::formatDate(finds[3].date);
    std::size_t taken = 0;
    while (taken < finds.size() && finds[taken].date >= finds[3].date) ++taken;
    const CliResult again = run({"finds", "load", "--since", since});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find(" Minimaldatum erreicht, Ladevorgang wird beendet.\n"), std::string::npos)
        << again.out;
    EXPECT_NE(again.out.find(" Bereits vorhanden waren 25 Finds\n"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find(" Neu gefunden wurden 0 Finds\n"), std::string::npos) << again.out;
    EXPECT_LT(taken, 20u);
    EXPECT_EQ(sim().requestsTo("/seek/nearest.aspx").size(), 3u);

    EXPECT_EQ(run({"finds", "load", "--since", "31.02.2006"}).code, 2);
    EXPECT_EQ(run({"finds", "load", "--since"}).code, 2);
    EXPECT_EQ(run({"finds"}).code, 2);
}

TEST_F(CliNet, FindsLoadFailureLeavesTheFileAndFails) {
    ASSERT_EQ(run({"config", "set", "Program", "Username", "Eule 30"}).code, 0);
    sim().addFault("/seek/nearest.aspx", vellora::sim::FaultKind::ServerError, 1);
    const CliResult r = run({"finds", "load"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find(" Fehler #-1 - Abbruch!\n"), std::string::npos) << r.out;
    EXPECT_FALSE(root.exists("Finds.bin"));
}

}  // namespace
#endif
