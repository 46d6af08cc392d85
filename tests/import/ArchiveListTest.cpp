// "Archivliste laden" against the stand-in's archive service.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "import/ArchiveList.h"
#include "net/LoadURL.h"
#include "sim/CacheDbFiles.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using sim::FaultKind;
using test::TestHome;

sim::SimFixture::Options archiveListWorld() {
    sim::SimFixture::Options o;
    o.caches = 60;
    return o;
}

class ArchiveList : public ::vellora::test::SimSuite<ArchiveList, archiveListWorld> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().applyTo(home.ctx());
    }
    static std::string served() { return sim::archiveListText(sim().world()); }
    std::string archived() const { return home.dir.read("WParchived.txt"); }

    TestHome home;
};

TEST_F(ArchiveList, AnswerIsStoredLineByLineAndCounted) {
    const std::size_t expectedLines = sim().world().archivedCaches().size();
    ASSERT_GE(expectedLines, 1u);
    home.ctx().settings.ShowMessages = true;
    int refreshed = 0;
    TArchiveListHooks hooks;
    hooks.refreshStatusLine = [&] { ++refreshed; };
    EXPECT_EQ(GetArchiveList(home.ctx(), hooks), static_cast<int>(expectedLines));

    EXPECT_EQ(archived(), served());
    EXPECT_EQ(readListFile(home.workFile("WParchived.txt")).size(), expectedLines);
    EXPECT_EQ(home.host.textsOf(MsgKind::Information),
              (std::vector<std::string>{std::to_string(expectedLines) +
                                        " Waypoints archivierter Caches geladen."}));
    EXPECT_EQ(refreshed, 1);

    const auto requests = sim().requestsTo("/velloralist.php");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].userAgent, "Mozilla/3.0 (compatible; Indy Library)");
}

TEST_F(ArchiveList, TheFixedAddressIsUsedNotTheSetting) {
    home.ctx().settings.ArchiveUrl = sim().baseUrl() + "/nowhere.php";
    EXPECT_EQ(GetArchiveList(home.ctx()), static_cast<int>(sim().world().archivedCaches().size()));
    EXPECT_EQ(sim().requestsTo("/nowhere.php").size(), 0u);
}

TEST_F(ArchiveList, WithoutShowMessagesTheFetchIsSilent) {
    home.ctx().settings.ShowMessages = false;
    EXPECT_GT(GetArchiveList(home.ctx()), 0);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_EQ(archived(), served());
}

TEST_F(ArchiveList, FailedFetchKeepsTheOldListAndReportsNoWaypoints) {
    home.dir.write("WParchived.txt", "2006-01-01;GCOLD\r\n");
    home.ctx().settings.ShowMessages = true;
    for (const FaultKind kind : {FaultKind::ServerError, FaultKind::Close}) {
        home.host.messages.clear();
        sim().addFault("/velloralist.php", kind, 1);
        EXPECT_EQ(GetArchiveList(home.ctx()), -1);
        EXPECT_EQ(archived(), "2006-01-01;GCOLD\r\n");
        ASSERT_EQ(home.host.messages.size(), 2u);
        EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
        EXPECT_EQ(home.host.messages[0].text.rfind("EHttpError : ", 0), 0u) << home.host.messages[0].text;
        EXPECT_EQ(home.host.messages[1].text, "0 Waypoints archivierter Caches geladen.");
    }
}

TEST_F(ArchiveList, ProxySettingIsUsedAndAMalformedPortStopsTheFetch) {
    home.ctx().settings.UseProxy = true;
    home.ctx().settings.ProxyServer = "http://127.0.0.1:" + std::to_string(sim().server().port());
    EXPECT_GT(GetArchiveList(home.ctx()), 0);
    auto requests = sim().requestsTo("/velloralist.php");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].absoluteForm);

    sim().clearRequests();
    home.ctx().settings.ProxyServer = "127.0.0.1:port";
    EXPECT_EQ(GetArchiveList(home.ctx()), -1);
    EXPECT_TRUE(sim().requests().empty());
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("EConvertError : ", 0), 0u) << errors[0];
}

TEST_F(ArchiveList, TheWindowOfTheViewRunsTheFetch) {
    TArchiveListHooks hooks;
    std::vector<std::string> shown;
    hooks.showLoadWindow = [&](TfrmLoadURL& window) {
        window.show();
        shown.push_back(window.urlText() + " " + window.statusText());
        window.timerFired();
        EXPECT_TRUE(window.closed());
        return window.linesWritten();
    };
    EXPECT_EQ(GetArchiveList(home.ctx(), hooks), static_cast<int>(sim().world().archivedCaches().size()));
    EXPECT_EQ(shown, (std::vector<std::string>{sim().baseUrl() + "/velloralist.php Ready"}));
    EXPECT_EQ(archived(), served());
}

}  // namespace
}  // namespace vellora
#endif
