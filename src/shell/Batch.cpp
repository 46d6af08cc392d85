#include "shell/Batch.h"

#include "core/Global.h"
#include "core/Host.h"
#include "core/RunContext.h"

namespace vellora {

TBatch::TBatch(RunContext& ctx, Host& host, Stages stages, Observer& observer)
    : ctx_(ctx), host_(host), stages_(stages), observer_(observer) {}

void TBatch::setTimer(bool on) {
    if (timerRunning_ == on) return;
    timerRunning_ = on;
    observer_.setTimerRunning(on);
}

void TBatch::runStage(BatchStage& stage) {
    stageOpen_ = true;
    stage.runUnattended();
    stageOpen_ = false;
}

void TBatch::mnuBatchClick() {
    if (running()) return;
    debugInfo(ctx_, "frmMain.mnuBatchClick", "Batch started");
    step_ = AboutToLoad;
    setTimer(true);
    observer_.reloadTree();
}

void TBatch::BatchTimerTimer() {
    // The timer is stopped before each modal dialog opens, so no tick arrives while one is open;
    // a tick that was already queued is dropped here.
    if (stageOpen_ || !timerRunning_) return;
    switch (step_) {
        case AboutToLoad:
            setTimer(false);
            step_ = Loading;
            runStage(*stages_.loader);
            if (stages_.loader->endedWithError()) {
                step_ = Finished;
                debugError(ctx_, "frmMain.BatchTimerTimer", "Batch stopped after a failed load");
                if (ctx_.settings.ShowMessages) host_.message(MsgKind::Error, MsgButtons::Ok, kErrorText);
                return;
            }
            setTimer(true);
            break;
        case Loading:
            if (stages_.loader->runState() != RunState::ClosedAfterRun) return;
            setTimer(false);
            stages_.loader->resetRunState();
            step_ = Generating;
            runStage(*stages_.generator);
            setTimer(true);
            break;
        case Generating:
            if (stages_.generator->runState() != RunState::ClosedAfterRun) return;
            setTimer(false);
            stages_.generator->resetRunState();
            step_ = Indexing;
            runStage(*stages_.index);
            setTimer(true);
            break;
        case Indexing:
            if (stages_.index->runState() != RunState::ClosedAfterRun) return;
            setTimer(false);
            step_ = Finished;
            debugInfo(ctx_, "frmMain.BatchTimerTimer", "Batch finished");
            if (ctx_.settings.ShowMessages) host_.message(MsgKind::Information, MsgButtons::Ok, kDoneText);
            break;
        default:
            break;
    }
}

void TBatch::runGeneratorOnly() {
    if (running()) return;
    step_ = Generating;
    runStage(*stages_.generator);
}

void DialogBatchStage::runUnattended() {
    model_.setUnattended(true);
    model_.open();
    // A model that closes itself on opening (an empty list) has nothing to run.
    if (model_.isOpen()) {
        if (showView_)
            showView_(model_);
        else
            model_.startUnattended();
    }
    if (model_.isOpen()) model_.close();
    model_.setUnattended(false);
}

}  // namespace vellora
