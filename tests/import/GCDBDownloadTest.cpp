// The country database download against the stand-in server (and, for a hostile archive, a small
// server of the test's own).
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <thread>

#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "import/GCDBReader.h"
#include "import/ZipWriter.h"
#include "net/LoadURL.h"
#include "sim/CacheDbFiles.h"
#include "sim/SimFixture.h"
#include "support/RecordingLoadWindow.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using sim::FaultKind;
using test::TestHome;

using test::RecordingLoadWindow;

class GCDBDownload : public ::vellora::test::SimSuite<GCDBDownload> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().applyTo(home.ctx());
        auto& s = home.ctx().settings;
        s.CacheDBPrimary = 3;
        s.UseZippedDB = true;
        s.ShowMessages = false;
        s.UseCacheDB.fill(0);
        hooks.loadWindow = &window;
        hooks.converted = [this](const std::string& name, const TfrmGCDBReader& r) {
            converted.push_back(name + " " + std::to_string(r.lastResult()) + " " +
                                std::to_string(r.counters().newRecords));
        };
    }

    // The country file of entry n (1-based) as the server has it.
    static std::string countryText(int n) { return sim::countryFileText(sim().world(), n - 1); }

    // Caches.bin as a local conversion of the text makes it in a fresh home.
    std::string convertedLocally(const std::vector<std::pair<std::string, std::string>>& files) {
        TestHome other;
        for (const auto& [name, text] : files) {
            other.dir.write(name, text);
            TfrmGCDBReader reader(other.ctx());
            reader.ConverteHTTP(other.workFile(name), other.workFile("Caches.bin"), false);
        }
        return other.dir.read("Caches.bin");
    }

    std::vector<std::string> paths() const {
        std::vector<std::string> p;
        for (const auto& r : sim().requestsTo("/cachedb/")) p.push_back(r.path);
        return p;
    }

    TestHome home;
    RecordingLoadWindow window;
    TCacheDBCommandHooks hooks;
    std::vector<std::string> converted;
};

TEST_F(GCDBDownload, PrimaryZippedIsFetchedExtractedConvertedAndIndexed) {
    int refreshed = 0;
    hooks.refreshStatusLine = [&] { ++refreshed; };
    TCacheDBCommands commands(home.ctx(), hooks);
    ASSERT_TRUE(commands.mnuReadCacheDBClick());

    EXPECT_EQ(paths(), std::vector<std::string>{"/cachedb/gc_germany.txt.zip"});
    EXPECT_EQ(sim().requests().back().userAgent, "Mozilla/6.0 (compatible; Indy Library)");
    EXPECT_EQ(window.opened, std::vector<std::string>{"Lade Cache-DB|Die Cache-Datenbank wird vom Internet "
                                                      "geladen...|abort"});
    EXPECT_FALSE(window.isOpen);
    ASSERT_EQ(window.protocol.size(), 2u);
    EXPECT_EQ(window.protocol[0].rfind("Ladevorgang gestartet um ", 0), 0u);
    EXPECT_TRUE(home.dir.exists("db.tmp.zip"));
    EXPECT_EQ(home.dir.read("gc_germany.txt"), countryText(3));
    const std::string db = home.dir.read("Caches.bin");
    EXPECT_EQ(db, convertedLocally({{"gc_germany.txt", countryText(3)}}));
    EXPECT_GT(db.size(), 296u * 5);
    EXPECT_EQ(home.dir.read("Caches.idx").size(), db.size() / 296 * 24);
    // The stand-in's own account of what the conversion of each cache's line gives.
    const auto caches = sim().world().cachesInCountry(2);
    ASSERT_EQ(db.size(), caches.size() * 296);
    for (std::size_t k = 0; k < caches.size(); ++k) {
        EXPECT_EQ(decodeCacheRec(db.data() + k * 296), sim().world().convertedRecord(caches[k])) << k;
    }
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(converted.size(), 1u);
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(GCDBDownload, PrimaryPlainIsCopiedFromDbTmp) {
    home.ctx().settings.UseZippedDB = false;
    TCacheDBCommands commands(home.ctx(), hooks);
    ASSERT_TRUE(commands.mnuReadCacheDBClick());
    EXPECT_EQ(paths(), std::vector<std::string>{"/cachedb/gc_germany.txt"});
    EXPECT_EQ(home.dir.read("db.tmp"), countryText(3));
    EXPECT_EQ(home.dir.read("gc_germany.txt"), countryText(3));
    EXPECT_FALSE(home.dir.exists("gc_germany.txt.part"));
    EXPECT_EQ(home.dir.read("Caches.bin"), convertedLocally({{"gc_germany.txt", countryText(3)}}));
}

TEST_F(GCDBDownload, SecondCountryIsMergedAndTheNearestCacheOffered) {
    home.ctx().settings.CacheDBPrimary = 1;
    TCacheDBCommands(home.ctx(), hooks).mnuReadCacheDBClick();
    const std::string austria = home.dir.read("Caches.bin");
    ASSERT_FALSE(austria.empty());
    home.ctx().settings.CacheDBPrimary = 3;
    home.host.answerNext(MsgResult::No);
    TCacheDBCommands(home.ctx(), hooks).mnuReadCacheDBClick();
    const std::string both = home.dir.read("Caches.bin");
    EXPECT_EQ(both,
              convertedLocally({{"gc_austria.txt", countryText(1)}, {"gc_germany.txt", countryText(3)}}));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Confirmation);
    const int added = static_cast<int>((both.size() - austria.size()) / 296);
    EXPECT_EQ(home.host.messages[0].text.rfind("Es wurden " + std::to_string(added) + " neue Caches", 0), 0u);
    EXPECT_TRUE(converted.back().ends_with(" " + std::to_string(added))) << converted.back();

    // The same file again: nothing new, no question.
    TCacheDBCommands(home.ctx(), hooks).mnuReadCacheDBClick();
    EXPECT_EQ(home.dir.read("Caches.bin"), both);
    EXPECT_EQ(home.host.messages.size(), 1u);
}

TEST_F(GCDBDownload, FailedDownloadStopsBeforeTheConversion) {
    sim().addFault("/cachedb/gc_germany.txt.zip", FaultKind::NotFound, 1);
    TCacheDBCommands commands(home.ctx(), hooks);
    EXPECT_FALSE(commands.mnuReadCacheDBClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text.rfind(
                  "Folgende Ladeoperation vom Internet ist fehlgeschlagen:\r\nQuelle: " +
                      home.ctx().settings.CacheDBUrl + "gc_germany.txt.zip",
                  0),
              0u);
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
    EXPECT_TRUE(converted.empty());
}

// An archive that cannot be extracted is a failure with its reason: the country file left by an
// earlier download is not converted in its place.
TEST_F(GCDBDownload, AnArchiveThatCannotBeExtractedConvertsNothing) {
    home.dir.write("gc_germany.txt", countryText(3));
    sim().addFault("/cachedb/gc_germany.txt.zip", FaultKind::Empty, 1);
    TCacheDBCommands commands(home.ctx(), hooks);
    EXPECT_FALSE(commands.mnuReadCacheDBClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_NE(home.host.messages[0].text.find("kann nicht entpackt werden"), std::string::npos);
    EXPECT_NE(home.host.messages[0].text.find("kein ZIP-Archiv"), std::string::npos)
        << home.host.messages[0].text;
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
    EXPECT_TRUE(converted.empty());
}

TEST_F(GCDBDownload, AbortDuringThePrimaryDownloadConvertsNothing) {
    sim().addFault("/cachedb/gc_germany.txt.zip", FaultKind::Slow, 1, 3000);
    home.host.abortAtPoll(1);
    TCacheDBCommands commands(home.ctx(), hooks);
    EXPECT_FALSE(commands.mnuReadCacheDBClick());
    EXPECT_TRUE(home.host.messages.empty());  // an abort is no failure to report
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
}

TEST_F(GCDBDownload, AdditionalDatabasesAreFetchedThenConverted) {
    auto& s = home.ctx().settings;
    s.ShowMessages = true;
    for (int n : {1, 2, 3}) s.UseCacheDB[static_cast<std::size_t>(n - 1)] = 1;  // 3 is the primary
    TCacheDBCommands commands(home.ctx(), hooks);
    EXPECT_EQ(commands.mnuReadAdditionalCacheDBsClick(), 2);
    EXPECT_EQ(paths(),
              (std::vector<std::string>{"/cachedb/gc_austria.txt.zip", "/cachedb/gc_switzerland.txt.zip"}));
    for (const std::string& o : window.opened) EXPECT_EQ(o.substr(o.rfind('|')), "|-");
    EXPECT_EQ(home.dir.read("Caches.bin"),
              convertedLocally({{"gc_austria.txt", countryText(1)}, {"gc_switzerland.txt", countryText(2)}}));
    const auto infos = home.host.textsOf(MsgKind::Information);
    ASSERT_FALSE(infos.empty());
    const int swiss = static_cast<int>(home.dir.read("Caches.bin").size() / 296) -
                      static_cast<int>(convertedLocally({{"gc_austria.txt", countryText(1)}}).size() / 296);
    EXPECT_EQ(infos.back(),
              "Folgende neuen Caches wurden in die Datenbank geladen: \r\ngc_austria.txt: 0 Caches\r\n"
              "gc_switzerland.txt: " +
                  std::to_string(swiss) + " Caches");
}

TEST_F(GCDBDownload, AFailedAdditionalDownloadEndsTheFetchingButConvertsWhatIsThere) {
    auto& s = home.ctx().settings;
    for (int n : {1, 2, 4}) s.UseCacheDB[static_cast<std::size_t>(n - 1)] = 1;
    sim().addFault("/cachedb/gc_switzerland.txt.zip", FaultKind::ServerError, 1);
    TCacheDBCommands commands(home.ctx(), hooks);
    EXPECT_EQ(commands.mnuReadAdditionalCacheDBsClick(), 1);
    EXPECT_EQ(paths(),
              (std::vector<std::string>{"/cachedb/gc_austria.txt.zip", "/cachedb/gc_switzerland.txt.zip"}));
    // Every selected file is converted; the two never fetched are reported missing.
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].rfind("Folgende Ladeoperation", 0), 0u);
    EXPECT_EQ(errors[1].rfind("Cache-DB \"" + home.workFile("gc_switzerland.txt") + "\"", 0), 0u);
    EXPECT_EQ(errors[2].rfind("Cache-DB \"" + home.workFile("gc_france.txt") + "\"", 0), 0u);
    EXPECT_EQ(home.dir.read("Caches.bin"), convertedLocally({{"gc_austria.txt", countryText(1)}}));
}

TEST_F(GCDBDownload, FailedCopyShowsTheErrorAndStops) {
    home.ctx().settings.UseZippedDB = false;
    ASSERT_EQ(makeDirs(home.workFile("gc_germany.txt")), 0);  // the copy cannot replace a directory
    TCacheDBCommands commands(home.ctx(), hooks);
    EXPECT_FALSE(commands.mnuReadCacheDBClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text, "Fehler beim Erstellen der CacheDB:\r\n" +
                                              home.workFile("gc_germany.txt") + "\r\nFehlercode: 21");
    EXPECT_TRUE(converted.empty());

    // Among the additional databases a failed copy ends the whole command: nothing is converted.
    home.host.messages.clear();
    home.ctx().settings.UseCacheDB[0] = 1;
    home.ctx().settings.UseCacheDB[2] = 1;
    home.ctx().settings.CacheDBPrimary = 1;
    EXPECT_EQ(commands.mnuReadAdditionalCacheDBsClick(), 0);
    EXPECT_TRUE(converted.empty());
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
}

// A server that answers every request with one archive.
class ArchiveServer {
public:
    explicit ArchiveServer(std::string archive) : archive_(std::move(archive)) {
        svr_.Get(".*", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(archive_, "application/zip");
        });
        port_ = svr_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { svr_.listen_after_bind(); });
        while (!svr_.is_running()) std::this_thread::yield();
    }
    ~ArchiveServer() {
        svr_.stop();
        thread_.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    std::string archive_;
    httplib::Server svr_;
    std::thread thread_;
    int port_ = 0;
};

TEST(GCDBDownloadArchive, OnlyTheCountryFileIsTakenFromTheArchive) {
    TestHome home;
    const std::string line = "1 \"x\" 2005 06 07 49.6 10.85 \"Traditional Cache\" \"Small\" GC77 1 2 3\n";
    home.dir.write("WPList.txt", "GC1\r\n");
    home.dir.write("Caches.bin", "");  // an empty database: the new cache is merged
    ArchiveServer server(test::buildZip({
        {.name = "gc_germany.txt", .data = line, .method = 8},
        {.name = "Caches.bin", .data = std::string(296, 'X')},
        {.name = "WPList.txt", .data = "EVIL\r\n"},
        {.name = "sub/gc_germany.txt", .data = "nothing"},
    }));
    home.ctx().settings.CacheDBUrl = server.url();
    home.ctx().settings.CacheDBPrimary = 3;
    home.ctx().settings.UseZippedDB = true;
    home.host.answerNext(MsgResult::No);
    TCacheDBCommands commands(home.ctx());
    ASSERT_TRUE(commands.mnuReadCacheDBClick());
    EXPECT_EQ(home.dir.read("gc_germany.txt"), line);
    EXPECT_EQ(home.dir.read("WPList.txt"), "GC1\r\n");
    EXPECT_FALSE(home.dir.exists("sub/gc_germany.txt"));
    const std::string db = home.dir.read("Caches.bin");
    ASSERT_EQ(db.size(), 296u);
    EXPECT_EQ(decodeCacheRec(db.data()).Waypoint, "GC77");
}

}  // namespace
}  // namespace vellora
#endif
