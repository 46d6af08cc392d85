// The HTTP fetch service against a server that misbehaves on purpose: every transfer ends within
// its limits, with a German message, and leaves no file that looks complete.
#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "net/LoadURL.h"
#include "support/HostileCases.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::HostileCase;
using test::HostileServer;
using Kind = EHttpError::Kind;

Kind kindOf(const HostileCase& c) {
    return c.tooLong ? Kind::TooLong : c.status ? Kind::Status : Kind::Transport;
}

// Into memory: by GET with the loader window's client (which follows redirects) and the URL
// loader's (which does not), and by the result-list loader's form POST.
TEST(HostileServerLoadURL, EveryRequestEndsWithItsMessage) {
    HostileServer server;
    test::ScriptedHost host;
    enum class Request { LoaderGet, UrlLoaderGet, UrlLoaderPost };
    for (const Request r : {Request::LoaderGet, Request::UrlLoaderGet, Request::UrlLoaderPost}) {
        const bool follow = r == Request::LoaderGet;
        THttpClient client(host, follow ? kLoaderClient : kUrlLoaderClient);
        client.limits = test::shortHttpLimits();
        for (const HostileCase& c : test::hostileCases(follow)) {
            const std::string url = server.url(c.behaviour, "/page.html");
            SCOPED_TRACE(url + " request " + std::to_string(static_cast<int>(r)));
            test::withinLimits([&] {
                try {
                    const std::string body = r == Request::UrlLoaderPost
                                                 ? client.postForm(url, "__EVENTTARGET=x")
                                                 : client.getText(url);
                    EXPECT_FALSE(c.fails) << "no error";
                    EXPECT_EQ(body, HostileServer::kAnnouncedBody);
                } catch (const EHttpError& e) {
                    ASSERT_TRUE(c.fails) << e.what();
                    EXPECT_EQ(e.kind(), kindOf(c));
                    EXPECT_TRUE(isCaseMessage(c, e.what())) << e.what();
                }
            });
        }
    }
}

// A download into a file: the message on the host names the cause; a failed download leaves
// neither the destination nor a temporary file, a good one exactly the announced body.
TEST(HostileServerLoadURL, GetBinaryToFileLeavesNoPartialFile) {
    HostileServer server;
    test::TestHome home;
    home.ctx().settings.TransferSecondsPerMB = 1;
    THttpClient client(home.host, kLoaderClient);
    client.limits = test::shortHttpLimits();
    const std::string dir = home.dir.file("out");
    ASSERT_EQ(makeDirs(dir), 0);
    const std::string dest = dir + "/db.tmp.zip";
    for (const HostileCase& c : test::hostileCases(true)) {
        const std::string url = server.url(c.behaviour, "/gc_germany.txt.zip");
        SCOPED_TRACE(url);
        home.dir.write("out/db.tmp.zip", "an older download");
        home.host.messages.clear();
        bool ok = false;
        test::withinLimits([&] { ok = getBinaryToFile(home.ctx(), client, url, dest, true, nullptr); });
        if (!c.fails) {
            EXPECT_TRUE(ok);
            EXPECT_TRUE(home.host.messages.empty());
            EXPECT_EQ(readFile(dest), std::string(HostileServer::kAnnouncedBody));
        } else {
            EXPECT_FALSE(ok);
            ASSERT_EQ(home.host.messages.size(), 1u);
            EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
            const std::string& text = home.host.messages[0].text;
            EXPECT_TRUE(isCaseMessage(c, test::transportMessageIn(text))) << text;
            EXPECT_FALSE(fileExists(dest));
        }
        EXPECT_EQ(listFiles(dir, "*").size(), c.fails ? 0u : 1u);
    }
}

// The overall time follows the length the server announces, not the client's size limit: a
// trickled megabyte does not get the hour a 64 MiB answer would.
TEST(HostileServerLoadURL, AnAnnouncedLengthSetsTheOverallTime) {
    HostileServer server;
    test::ScriptedHost host;
    THttpClient client(host, kLoaderClient);
    client.limits = test::shortHttpLimits();
    client.limits.maxTextBytes = 64u << 20;
    client.limits.minTotalSeconds = 2;
    test::withinLimits([&] {
        try {
            client.getText(server.url(HostileServer::Behaviour::Trickle));
            ADD_FAILURE() << "no error";
        } catch (const EHttpError& e) {
            EXPECT_STREQ(e.what(),
                         "Zeit\xFC"
                         "berschreitung: die \xDC"
                         "bertragung dauerte l\xE4nger als 2 Sekunden");
        }
    });
}

// A server that never takes the connection: the connect time-out ends the request.
TEST(HostileServerLoadURL, AnUnansweredConnectionEndsAtTheConnectTimeOut) {
    test::FullListener listener;
    if (!listener.holding()) GTEST_SKIP() << "the system answers every connection request here";
    test::ScriptedHost host;
    THttpClient client(host, kLoaderClient);
    client.limits = test::shortHttpLimits();
    client.limits.connectTimeoutSeconds = 1;
    test::withinLimits([&] {
        try {
            client.getText(listener.url());
            ADD_FAILURE() << "no error";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.kind(), EHttpError::Kind::Transport);
            EXPECT_STREQ(e.what(),
                         "Zeit\xFC"
                         "berschreitung: keine Verbindung zum Server innerhalb von 1 Sekunden");
        }
    });
}

}  // namespace
}  // namespace vellora
