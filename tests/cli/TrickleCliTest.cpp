// A server that answers without a length and then trickles 20 bytes a second: the minimum rate
// ends `load` and `db download` with its German reason instead of holding them for hours. The
// window is shortened through the home's configuration; its default is checked in SettingsTest.
#include <gtest/gtest.h>

#include <chrono>

#include "core/CacheRec.h"
#include "core/IniFile.h"
#include "core/Services.h"
#include "core/Settings.h"
#include "support/CliRunner.h"
#include "support/HostileServer.h"
#include "support/TestHome.h"

namespace vellora::test {
namespace {

constexpr const char* kReason =
    "Zeit\xC3\xBC"
    "berschreitung: der Server hat 2 Sekunden lang weniger als 1024 Bytes pro Sekunde gesendet";

class TrickleCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cli.run({"init"}).code, 0);
        const std::string base = server.url(HostileServer::Behaviour::TrickleUnsized);
        ServiceAddresses a;
        for (std::string* address :
             {&a.listingSite, &a.imageHost, &a.multiMap, &a.mapPoint, &a.stadtplandienst, &a.mapQuest,
              &a.archiveList, &a.versionFile, &a.mapView})
            *address = base;
        a.cacheDbServer = base + "/cachedb/";
        IniFile conf(root.file("vellora.conf"));
        IniFile::Batch batch(conf);
        writeServiceAddresses(conf, a);
        conf.writeString(kProgramSection, "CacheDBUrl", a.cacheDbServer);
        conf.writeString(kProgramSection, "TransferMinRateSeconds", "2");
    }

    // Runs the command and checks that it failed with the reason well within a minute.
    void expectEndedByTheRate(const std::vector<std::string>& words) {
        const auto start = std::chrono::steady_clock::now();
        const CliResult r = cli.run(words);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
        EXPECT_EQ(r.code, 1);
        EXPECT_NE((r.out + r.err).find(kReason), std::string::npos) << r.out << r.err;
    }

    HostileServer server;
    TempDir root;
    CliRunner cli{root.path()};
};

TEST_F(TrickleCli, LoadEndsAtTheMinimumRate) {
    TCacheRec r;
    r.Waypoint = "GC1234";
    r.CacheName = "Langsam";
    r.Lat = 49.5;
    r.Lon = 10.8;
    r.CacheType = "Traditional Cache";
    r.CacheSize = "Micro";
    root.write("Caches.bin", encodeCacheRec(r));
    root.write("WPList.txt", "GC1234\r\n");
    expectEndedByTheRate({"load"});
    EXPECT_FALSE(root.exists("GC1234.html"));
}

TEST_F(TrickleCli, DatabaseDownloadEndsAtTheMinimumRate) {
    expectEndedByTheRate({"db", "download"});
    EXPECT_FALSE(root.exists("db.tmp.zip"));
    EXPECT_FALSE(root.exists("Caches.bin"));
}

}  // namespace
}  // namespace vellora::test
