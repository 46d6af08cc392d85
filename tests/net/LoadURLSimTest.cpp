// The HTTP fetch service against the stand-in server, also in its proxy role.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "net/LoadURL.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using sim::FaultKind;

class LoadURLSim : public ::vellora::test::SimSuite<LoadURLSim> {
protected:
    void SetUp() override { SimSuite::SetUp(); }
    test::TestHome home;
};

TEST_F(LoadURLSim, UrlLoaderWindowFetchesTheVersionFile) {
    TfrmLoadURL window(home.host);
    window.setURL(sim().services().versionFile);
    window.setDestination(home.workFile("velloraversion.txt"));
    EXPECT_EQ(window.execute(), 2);
    EXPECT_EQ(window.lines(), (std::vector<std::string>{"V5.0.1", "13.12.2006"}));
    EXPECT_EQ(readFile(home.workFile("velloraversion.txt")), "V5.0.1\r\n13.12.2006\r\n");
    ASSERT_EQ(sim().requests().size(), 1u);
    EXPECT_EQ(sim().requests()[0].userAgent, "Mozilla/3.0 (compatible; Indy Library)");
}

TEST_F(LoadURLSim, EveryRequestGoesThroughTheConfiguredProxy) {
    THttpClient client(home.host, kLoaderClient);
    home.ctx().settings.UseProxy = true;
    home.ctx().settings.ProxyServer = "http://127.0.0.1:" + std::to_string(sim().server().port());
    initializeHTTP(home.ctx(), client);
    const std::string url = "http://downloads.vellora.invalid/velloraversion.txt";
    EXPECT_EQ(client.getText(url), "V5.0.1\r\n13.12.2006\r\n");
    EXPECT_TRUE(getBinaryToFile(home.ctx(), client, url, home.workFile("v.txt"), true, nullptr));
    const auto requests = sim().requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& r : requests) {
        EXPECT_TRUE(r.absoluteForm);
        EXPECT_EQ(r.host, "downloads.vellora.invalid");
        EXPECT_EQ(r.userAgent, "Mozilla/6.0 (compatible; Indy Library)");
    }
}

TEST_F(LoadURLSim, ServerFaultsBecomeErrors) {
    const std::string url = sim().services().versionFile;
    struct Case {
        FaultKind fault;
        EHttpError::Kind kind;
    };
    for (const Case& c : {Case{FaultKind::ServerError, EHttpError::Kind::Status},
                          {FaultKind::NotFound, EHttpError::Kind::Status},
                          {FaultKind::Close, EHttpError::Kind::Transport}}) {
        SCOPED_TRACE(sim::faultKindName(c.fault));
        sim().clearFaults();
        sim().addFault("/velloraversion.txt", c.fault);
        THttpClient client(home.host, kLoaderClient);
        try {
            client.getText(url);
            ADD_FAILURE() << "no error";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.what();
        }
    }
    // A slow answer (30 s) ends at the user's abort.
    sim().clearFaults();
    sim().addFault("/velloraversion.txt", FaultKind::Delay, -1, 30000);
    THttpClient client(home.host, kLoaderClient);
    home.host.abortAtPoll(4);
    client.setAbortCheck([this] { return home.host.abortRequested(); });
    try {
        client.getText(url);
        ADD_FAILURE() << "not aborted";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.kind(), EHttpError::Kind::Aborted);
    }
}

}  // namespace
}  // namespace vellora
#endif
