// The listing loader as the batch's first stage and as the database download's window.
#include <gtest/gtest.h>

#include <string>

#include "core/FileUtil.h"
#include "listing/LoadHTML.h"
#include "shell/Batch.h"
#include "shell/LoadHTMLStage.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

class CountingStage : public BatchStage {
public:
    void runUnattended() override {
        ++runs;
        state = RunState::ClosedAfterRun;
    }
    RunState runState() const override { return state; }
    void resetRunState() override { state = RunState::NotRun; }
    int runs = 0;
    RunState state = RunState::NotRun;
};

class NoTimer : public TBatch::Observer {
public:
    void setTimerRunning(bool) override {}
};

TEST(LoadHTMLStage, EmptyWorkListStopsTheBatchAfterTheLoader) {
    test::TestHome home;
    home.dir.write("WPList.txt", "");
    home.ctx().settings.ShowMessages = true;
    TfrmLoadHTML window(home.ctx());
    DialogBatchStage loader = loaderBatchStage(window);
    CountingStage generator, index;
    NoTimer timer;
    TBatch batch(home.ctx(), home.host, {&loader, &generator, &index}, timer);
    batch.mnuBatchClick();
    batch.BatchTimerTimer();

    EXPECT_EQ(loader.runState(), RunState::ClosedAfterRun);
    EXPECT_TRUE(loader.endedWithError());
    EXPECT_TRUE(!window.isOpen());
    EXPECT_EQ(batch.step(), TBatch::Finished);
    EXPECT_EQ(generator.runs, 0);
    ASSERT_EQ(home.host.messages.size(), 2u);
    EXPECT_EQ(
        home.host.messages[0].text.rfind("Die Arbeitsliste enth\xE4lt keine Waypoints, deren Caches", 0), 0u);
    EXPECT_EQ(home.host.messages[1].text, TBatch::kErrorText);
}

TEST(LoadHTMLStage, RunWithoutFailureLetsTheBatchGoOn) {
    test::TestHome home;
    // Every page is present, so the run ends without a request.
    home.dir.write("WPList.txt", "GC1\r\nGC2\r\n");
    home.dir.write("GC1.html", "x");
    home.dir.write("gc2.html", "x");
    TfrmLoadHTML window(home.ctx());
    DialogBatchStage loader = loaderBatchStage(window);
    loader.runUnattended();
    EXPECT_EQ(loader.runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(loader.endedWithError());
    EXPECT_EQ(window.statistics().present, 2);
    EXPECT_FALSE(window.unattended());
    EXPECT_TRUE(home.host.messages.empty());
    loader.resetRunState();
    EXPECT_EQ(loader.runState(), RunState::NotRun);
}

TEST(LoadHTMLStage, DownloadWindowShowsTheProtocolOfAStandAloneDownload) {
    test::TestHome home;
    TfrmLoadHTML quiet(home.ctx(), true);
    LoadHTMLDownloadWindow window(quiet);
    window.open("Lade Cache-DB", "Die Cache-Datenbank wird vom Internet geladen...", true);
    EXPECT_TRUE(quiet.protocolVisible());
    EXPECT_FALSE(quiet.optionsVisible());
    EXPECT_EQ(quiet.contentText(), "Die Cache-Datenbank wird vom Internet geladen...");
    EXPECT_EQ(&window.view(), static_cast<TLoadWindowView*>(&quiet));

    // Nothing listens on port 1: the download fails at once and says so.
    const std::string target = home.workFile("db.tmp");
    EXPECT_FALSE(getBinaryToFile(home.ctx(), quiet.client(), "http://127.0.0.1:1/gc_germany.txt", target,
                                 false, &window.view()));
    window.close();
    EXPECT_TRUE(!quiet.isOpen());
    EXPECT_FALSE(fileExists(target));
    ASSERT_EQ(quiet.protocolLines().size(), 2u);
    EXPECT_EQ(quiet.protocolLines()[0], "Ladevorgang gestartet um 21.04.05");
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text.rfind("Folgende Ladeoperation vom Internet ist fehlgeschlagen:", 0),
              0u);
}

}  // namespace
}  // namespace vellora
