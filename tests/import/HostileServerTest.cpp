// The country database download and the own-finds loader against a server that misbehaves on
// purpose: each run ends within the limits, says why, and leaves the user's files as they were.
#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "import/GCDBReader.h"
#include "import/LoadFinds.h"
#include "support/HostileCases.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::HostileCase;
using test::HostileServer;
using test::TestHome;

void shortenTransfers(TestHome& home) {
    home.ctx().httpLimits = test::shortHttpLimits();
    home.ctx().settings.TransferSecondsPerMB = 1;
}

TEST(HostileServerCacheDB, DownloadKeepsTheDatabaseAndTheCountryFile) {
    HostileServer server;
    TestHome home;
    shortenTransfers(home);
    auto& s = home.ctx().settings;
    s.CacheDBPrimary = 3;
    s.ShowMessages = false;
    s.UseCacheDB.fill(0);
    const std::string oldCountry = "GC1 old line of the earlier download\r\n";
    const std::string oldDatabase(296, 'd');
    for (const bool zipped : {true, false}) {
        s.UseZippedDB = zipped;
        for (const HostileCase& c : test::hostileCases(true)) {
            s.CacheDBUrl = server.url(c.behaviour, "/cachedb/");
            SCOPED_TRACE(s.CacheDBUrl + (zipped ? " zipped" : " plain"));
            for (const char* name : {"db.tmp", "db.tmp.zip", "Caches.idx"}) removeFile(home.workFile(name));
            home.dir.write("gc_germany.txt", oldCountry);
            home.dir.write("Caches.bin", oldDatabase);
            home.host.messages.clear();
            TCacheDBCommands commands(home.ctx());
            bool fetched = true;
            test::withinLimits([&] { fetched = commands.mnuReadCacheDBClick(); });

            if (c.fails) {
                EXPECT_FALSE(fetched);
                ASSERT_EQ(home.host.messages.size(), 1u);
                EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
                const std::string& text = home.host.messages[0].text;
                EXPECT_TRUE(isCaseMessage(c, test::transportMessageIn(text))) << text;
                EXPECT_FALSE(home.dir.exists(zipped ? "db.tmp.zip" : "db.tmp"));
                EXPECT_EQ(home.dir.read("gc_germany.txt"), oldCountry);
            } else if (zipped) {
                // The announced body arrives whole, but it is no archive.
                EXPECT_FALSE(fetched);
                ASSERT_EQ(home.host.messages.size(), 1u);
                EXPECT_EQ(
                    home.host.messages[0].text.rfind("Die geladene Cache-DB kann nicht entpackt werden:", 0),
                    0u)
                    << home.host.messages[0].text;
                EXPECT_EQ(home.dir.read("gc_germany.txt"), oldCountry);
            } else {
                // Plain: exactly the announced body is the new country file; its lines are no caches.
                EXPECT_TRUE(fetched);
                EXPECT_EQ(home.dir.read("gc_germany.txt"), HostileServer::kAnnouncedBody);
            }
            EXPECT_EQ(home.dir.read("Caches.bin"), oldDatabase);
            EXPECT_TRUE(listFiles(home.ctx().workDirPath(), "*.vtmp*").empty());
        }
    }
}

TEST(HostileServerFinds, FailedPageEndsTheRunWithItsReasonAndFindsBinUnchanged) {
    HostileServer server;
    TestHome home;
    shortenTransfers(home);
    home.ctx().settings.Username = "Tester";
    TFoundRec known;
    known.Waypoint = "GCLOCAL";
    known.FoundDate = "02.02.2002";
    known.CacheName = "Nur lokal";
    ASSERT_EQ(writeFoundRecords(home.workFile("Finds.bin"), {known}), 0);
    const std::string before = home.dir.read("Finds.bin");
    for (const HostileCase& c : test::hostileCases(false)) {
        home.ctx().services.listingSite = server.url(c.behaviour);
        SCOPED_TRACE(home.ctx().services.listingSite);
        home.host.messages.clear();
        TfrmLoadFinds dialog(home.ctx());
        test::withinLimits([&] { dialog.btnLoadClick(); });

        const auto& protocol = dialog.protocol();
        if (c.fails) {
            ASSERT_GE(protocol.size(), 3u);
            const std::string reason = protocol[protocol.size() - 2];
            ASSERT_EQ(reason.substr(9, 15), "Fehlermeldung: ") << reason;
            EXPECT_TRUE(isCaseMessage(c, reason.substr(24))) << reason;
            EXPECT_EQ(protocol.back().substr(9), "Fehler #-1 - Abbruch!");
            EXPECT_TRUE(dialog.cancelled());
            EXPECT_FALSE(dialog.merged());
        } else {
            // A page without the site's list: nothing to read, the merge keeps the old finds.
            EXPECT_EQ(dialog.state(), TfrmLoadFinds::State::Finished);
            EXPECT_EQ(dialog.newCount(), 0);
        }
        EXPECT_TRUE(dialog.closeEnabled());
        EXPECT_TRUE(home.host.messages.empty());
        EXPECT_EQ(home.dir.read("Finds.bin"), before);
    }
}

}  // namespace
}  // namespace vellora
