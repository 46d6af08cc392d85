#include "ui/BatchRunner.h"

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "support/TestHome.h"

namespace vellora {
namespace {

using Log = std::vector<std::string>;

struct Stage : BatchStage {
    Stage(std::string stageName, Log& events) : name(std::move(stageName)), log(events) {}
    void runUnattended() override {
        log.push_back("open " + name + (runner && runner->timer().isActive() ? " (timer active!)" : ""));
        state = RunState::ClosedAfterRun;
    }
    RunState runState() const override { return state; }
    void resetRunState() override { state = RunState::NotRun; }
    std::string name;
    Log& log;
    const BatchRunner* runner = nullptr;
    RunState state = RunState::NotRun;
};

class BatchRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().settings.ShowMessages = true;
        for (Stage* s : {&loader, &generator, &index}) s->runner = &runner;
    }
    test::TestHome home;
    Log log;
    Stage loader{"loader", log}, generator{"generator", log}, index{"index", log};
    BatchRunner runner{
        home.ctx(), home.host, {&loader, &generator, &index}, [this] { log.push_back("reload"); }};
};

TEST_F(BatchRunnerTest, TheTimerRunsBetweenTheStepDialogsOnly) {
    runner.start();
    EXPECT_TRUE(runner.timer().isActive());
    EXPECT_EQ(runner.timer().interval(), 500);
    for (int i = 0; i < 4; ++i) runner.tick();
    EXPECT_FALSE(runner.timer().isActive());
    EXPECT_EQ(log, (Log{"reload", "open loader", "open generator", "open index"}));
    EXPECT_EQ(runner.batch().step(), TBatch::Finished);
    EXPECT_EQ(home.host.textsOf(MsgKind::Information), (Log{"Batchverarbeitung abgeschlossen."}));
}

TEST_F(BatchRunnerTest, TheTimerDrivesABatchToItsEnd) {
    runner.start();
    EXPECT_TRUE(QTest::qWaitFor([this] { return runner.batch().step() == TBatch::Finished; }, 20000));
    EXPECT_EQ(log, (Log{"reload", "open loader", "open generator", "open index"}));
    EXPECT_FALSE(runner.timer().isActive());
}

}  // namespace
}  // namespace vellora
