#include "shell/Batch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "listing/CreateDescr.h"
#include "listing/Index.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using Log = std::vector<std::string>;

struct Timer : TBatch::Observer {
    explicit Timer(Log& events) : log(events) {}
    void setTimerRunning(bool on) override {
        running = on;
        log.push_back(on ? "timer on" : "timer off");
    }
    void reloadTree() override { log.push_back("reload tree"); }
    Log& log;
    bool running = false;
};

// A step dialog: opening it logs whether the timer was stopped; it closes as run unless told to
// leave another state behind.
struct FakeStage : BatchStage {
    FakeStage(std::string stageName, Log& events, const Timer& batchTimer)
        : name(std::move(stageName)), log(events), timer(batchTimer) {}
    void runUnattended() override {
        log.push_back("open " + name + (timer.running ? " (timer running!)" : ""));
        state = stateAfterClose;
    }
    RunState runState() const override { return state; }
    void resetRunState() override {
        log.push_back("reset " + name);
        state = RunState::NotRun;
    }
    bool endedWithError() const override { return error; }

    std::string name;
    Log& log;
    const Timer& timer;
    RunState state = RunState::NotRun;
    RunState stateAfterClose = RunState::ClosedAfterRun;
    bool error = false;
};

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override { home.ctx().settings.ShowMessages = true; }
    // Ticks until the batch stops or n ticks have passed.
    static void tickUntilStopped(TBatch& b) {
        for (int i = 0; i < 20 && b.timerRunning(); ++i) b.BatchTimerTimer();
    }
    void tickUntilStopped() { tickUntilStopped(batch); }

    test::TestHome home;
    Log log;
    Timer timer{log};
    FakeStage loader{"loader", log, timer}, generator{"generator", log, timer}, index{"index", log, timer};
    TBatch batch{home.ctx(), home.host, {&loader, &generator, &index}, timer};
};

TEST_F(BatchTest, RunsLoaderGeneratorAndIndexOneAfterTheOther) {
    batch.mnuBatchClick();
    EXPECT_EQ(batch.step(), TBatch::AboutToLoad);
    tickUntilStopped();
    EXPECT_EQ(log, (Log{"timer on", "reload tree", "timer off", "open loader", "timer on", "timer off",
                        "reset loader", "open generator", "timer on", "timer off", "reset generator",
                        "open index", "timer on", "timer off"}));
    EXPECT_EQ(batch.step(), TBatch::Finished);
    EXPECT_FALSE(batch.timerRunning());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Information);
    EXPECT_EQ(home.host.messages[0].text, "Batchverarbeitung abgeschlossen.");

    log.clear();
    batch.BatchTimerTimer();  // a late tick does nothing
    EXPECT_TRUE(log.empty());
}

TEST_F(BatchTest, WithoutShowMessagesEndsSilently) {
    home.ctx().settings.ShowMessages = false;
    batch.mnuBatchClick();
    tickUntilStopped();
    EXPECT_EQ(batch.step(), TBatch::Finished);
    EXPECT_TRUE(home.host.messages.empty());
}

// While a step dialog is open its timer is stopped; a start or a queued tick from inside the
// dialog changes nothing.
struct ReentrantStage : FakeStage {
    using FakeStage::FakeStage;
    void runUnattended() override {
        batch->mnuBatchClick();
        batch->BatchTimerTimer();
        FakeStage::runUnattended();
    }
    TBatch* batch = nullptr;
};

TEST_F(BatchTest, StartingWhileRunningDoesNothing) {
    batch.mnuBatchClick();
    batch.mnuBatchClick();
    EXPECT_EQ(log, (Log{"timer on", "reload tree"}));

    ReentrantStage reentrant{"generator", log, timer};
    TBatch second{home.ctx(), home.host, {&loader, &reentrant, &index}, timer};
    reentrant.batch = &second;
    second.mnuBatchClick();
    second.BatchTimerTimer();
    log.clear();
    second.BatchTimerTimer();
    EXPECT_EQ(log, (Log{"timer off", "reset loader", "open generator", "timer on"}));
    EXPECT_EQ(second.step(), TBatch::Generating);
}

TEST_F(BatchTest, WaitsForEachDialogToReportItsClose) {
    loader.stateAfterClose = RunState::Running;
    batch.mnuBatchClick();
    batch.BatchTimerTimer();
    batch.BatchTimerTimer();
    batch.BatchTimerTimer();
    EXPECT_EQ(batch.step(), TBatch::Loading);
    EXPECT_TRUE(batch.timerRunning());
    loader.state = RunState::ClosedAfterRun;
    batch.BatchTimerTimer();
    EXPECT_EQ(batch.step(), TBatch::Generating);
    EXPECT_EQ(loader.state, RunState::NotRun);
}

TEST_F(BatchTest, ALoadErrorEndsTheBatchAfterTheLoaderClosed) {
    for (bool show : {true, false}) {
        SCOPED_TRACE(show);
        home.ctx().settings.ShowMessages = show;
        home.host.messages.clear();
        log.clear();
        loader.error = true;
        batch.mnuBatchClick();
        tickUntilStopped();
        EXPECT_EQ(log, (Log{"timer on", "reload tree", "timer off", "open loader"}));
        EXPECT_EQ(batch.step(), TBatch::Finished);
        EXPECT_FALSE(batch.timerRunning());
        if (show) {
            EXPECT_EQ(home.host.textsOf(MsgKind::Error), (Log{"Batchverarbeitung mit Fehlern beendet."}));
        } else {
            EXPECT_TRUE(home.host.messages.empty());
        }
    }
}

TEST_F(BatchTest, GeneratorAloneAfterTheSuitcase) {
    batch.runGeneratorOnly();
    EXPECT_EQ(log, (Log{"open generator"}));
    EXPECT_EQ(batch.step(), TBatch::Generating);
    EXPECT_FALSE(batch.timerRunning());
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(BatchTest, TheIndexStageWritesTheIndexPageUnattended) {
    home.ctx().settings.OutDir = home.dir.file("ausgabe");
    home.dir.write("Caches.bin", "");
    for (const char* w : {"GC1234", "GC5678"}) {
        TCacheRec rec;
        rec.Waypoint = w;
        rec.CacheName = "Cache";
        ASSERT_TRUE(AppendCache(home.ctx(), rec));
        home.dir.write(std::string("ausgabe/") + w + "_converted.html", "<html></html>");
    }
    TfrmIndex dialog(home.ctx());
    dialog.options.showImmediate = false;
    DialogBatchStage indexStage(dialog);
    TBatch real{home.ctx(), home.host, {&loader, &generator, &indexStage}, timer};
    real.mnuBatchClick();
    tickUntilStopped(real);
    EXPECT_EQ(real.step(), TBatch::Finished);
    EXPECT_FALSE(dialog.isOpen());
    EXPECT_EQ(dialog.runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(dialog.unattended());
    const std::string page = home.dir.read("ausgabe/index.html");
    EXPECT_NE(page.find("GC1234_converted.html"), std::string::npos);
    EXPECT_NE(page.find("GC5678_converted.html"), std::string::npos);
    EXPECT_EQ(home.host.textsOf(MsgKind::Information), (Log{"Batchverarbeitung abgeschlossen."}));
}

// A fake loader that "saved" one listing page; the real generator and index dialogs run unattended.
TEST_F(BatchTest, GeneratorAndIndexStagesTurnTheSavedPageIntoADescriptionAndAnIndex) {
    const std::string page =
        readFile((std::filesystem::path(VELLORA_TEST_SOURCE_DIR) / "listing/fixtures/GC1A2B3.html").string())
            .value_or("");
    ASSERT_FALSE(page.empty());
    home.ctx().settings.OutDir = home.dir.file("ausgabe");
    home.dir.write("ausgabe/GC1A2B3.html", page);
    home.dir.write("WPList.txt", "GC1A2B3\r\n");
    home.dir.write("Caches.bin", "");
    TCacheRec rec;
    rec.Waypoint = "GC1A2B3";
    rec.CacheName = "Fixture";
    rec.Lat = 50.1;
    rec.Lon = 8.1;
    ASSERT_TRUE(AppendCache(home.ctx(), rec));

    TCreateDescr generatorDialog(home.ctx());
    DialogBatchStage generatorStage(generatorDialog);
    TfrmIndex indexDialog(home.ctx());
    indexDialog.options.showImmediate = false;
    DialogBatchStage indexStage(indexDialog);
    TBatch real{home.ctx(), home.host, {&loader, &generatorStage, &indexStage}, timer};
    real.mnuBatchClick();
    tickUntilStopped(real);

    EXPECT_EQ(real.step(), TBatch::Finished);
    EXPECT_EQ(generatorDialog.runState(), RunState::NotRun);  // reset by the batch
    EXPECT_EQ(generatorDialog.convertedCount(), 1);
    EXPECT_TRUE(home.dir.exists("ausgabe/GC1A2B3_converted.html"));
    EXPECT_NE(home.dir.read("ausgabe/index.html").find("GC1A2B3_converted.html"), std::string::npos);
    EXPECT_EQ(home.host.textsOf(MsgKind::Information), (Log{"Batchverarbeitung abgeschlossen."}));
}

}  // namespace
}  // namespace vellora
