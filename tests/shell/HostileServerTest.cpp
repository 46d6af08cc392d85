// The update check against a server that misbehaves on purpose: it ends within the limits with the
// download's reason and its own message, and never reads a version from a broken answer.
#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "shell/UpdateCheck.h"
#include "support/HostileCases.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::HostileCase;
using test::HostileServer;

TEST(HostileServerUpdateCheck, EveryBrokenAnswerEndsWithTheReason) {
    HostileServer server;
    test::TestHome home;
    home.ctx().httpLimits = test::shortHttpLimits();
    home.ctx().settings.TransferSecondsPerMB = 1;
    const std::string cannotCheck =
        "Die Updateverf\xFCgbarkeit konnte leider nicht \xFC"
        "berpr\xFC"
        "ft werden.";
    for (const HostileCase& c : test::hostileCases(true)) {
        home.ctx().settings.UpdateURL = server.url(c.behaviour, "/velloraversion.txt");
        SCOPED_TRACE(home.ctx().settings.UpdateURL);
        home.dir.write("velloraversion.txt", "V5.0.1\r\n13.12.2006\r\n");
        home.host.messages.clear();
        UpdateCheckResult result = UpdateCheckResult::Current;
        test::withinLimits([&] { result = CheckForUpdate(home.ctx()); });

        const auto& messages = home.host.messages;
        if (c.fails) {
            EXPECT_EQ(result, UpdateCheckResult::Failed);
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_TRUE(isCaseMessage(c, test::transportMessageIn(messages[0].text))) << messages[0].text;
            EXPECT_EQ(messages[1].kind, MsgKind::Error);
            EXPECT_EQ(messages[1].text, cannotCheck);
            // The earlier version file is not taken for this check's answer.
            EXPECT_FALSE(home.dir.exists("velloraversion.txt"));
        } else {
            // Exactly the announced lines count; the lines the server sent beyond them do not.
            EXPECT_EQ(result, UpdateCheckResult::Outdated);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].text.find("Aktuell verf\xFCgbare Version: V5.0.2 vom 05.01.2007"),
                      std::string::npos)
                << messages[0].text;
            EXPECT_EQ(home.dir.read("velloraversion.txt"), HostileServer::kAnnouncedBody);
        }
        EXPECT_TRUE(listFiles(home.ctx().workDirPath(), "*.vtmp*").empty());
    }
}

}  // namespace
}  // namespace vellora
