#pragma once
// "Batch (Laden / Konvertieren / Index erzeugen)": loads the listings of the work list, generates
// the converted descriptions and writes the index page, one step dialog after the other, each in
// its unattended mode. A repeating 500 ms timer drives the steps; the timer itself belongs to the
// view, which starts and stops it when the observer says so. Every step dialog is modal: a stage
// returns from runUnattended only when its dialog has closed.
#include <functional>
#include <memory>
#include <utility>

#include "core/DialogModel.h"

namespace vellora {

class Host;
class RunContext;

// One step dialog as the batch sees it.
class BatchStage {
public:
    virtual ~BatchStage() = default;
    // Opens the dialog in batch mode (it starts its action by itself and closes when it has
    // ended) and returns when it has closed.
    virtual void runUnattended() = 0;
    virtual RunState runState() const = 0;
    virtual void resetRunState() = 0;
    // The listing loader: whether the load ended with an error (an HTTP failure, or a work list
    // without loadable waypoints).
    virtual bool endedWithError() const { return false; }
};

class TBatch {
public:
    static constexpr int kIntervalMs = 500;
    static constexpr const char* kErrorText = "Batchverarbeitung mit Fehlern beendet.";
    static constexpr const char* kDoneText = "Batchverarbeitung abgeschlossen.";

    enum Step { AboutToLoad = 0, Loading = 1, Generating = 2, Indexing = 3, Finished = 4 };

    class Observer {
    public:
        virtual ~Observer() = default;
        // Start or stop the repeating timer that calls BatchTimerTimer.
        virtual void setTimerRunning(bool running) = 0;
        // The output directory tree is to be reloaded (at the start of a batch).
        virtual void reloadTree() {}
    };

    struct Stages {
        BatchStage* loader = nullptr;
        BatchStage* generator = nullptr;
        BatchStage* index = nullptr;
    };

    TBatch(RunContext& ctx, Host& host, Stages stages, Observer& observer);

    // The menu command: starts a batch unless one is running.
    void mnuBatchClick();
    // One tick of the timer.
    void BatchTimerTimer();
    // The suitcase follow-up: the generator alone, in batch mode, without the timer (so no index
    // page follows). The caller presets the generator's choice before.
    void runGeneratorOnly();

    int step() const { return step_; }
    bool timerRunning() const { return timerRunning_; }
    // Whether a batch is under way (timer running or a step dialog open).
    bool running() const { return timerRunning_ || stageOpen_; }

private:
    void setTimer(bool on);
    void runStage(BatchStage& stage);

    RunContext& ctx_;
    Host& host_;
    Stages stages_;
    Observer& observer_;
    int step_ = Finished;
    bool timerRunning_ = false;
    bool stageOpen_ = false;
};

// A step dialog's model as a batch stage: unattended on, opened, its view shown modally (the
// view's start timer runs the model), closed if it is still open, unattended off. Without a view
// the model's unattended run starts at once.
class DialogBatchStage : public BatchStage {
public:
    using ShowView = std::function<void(DialogModel&)>;
    explicit DialogBatchStage(DialogModel& model, ShowView showView = {},
                              std::function<bool()> endedWithError = {})
        : model_(model), showView_(std::move(showView)), endedWithError_(std::move(endedWithError)) {}
    void runUnattended() override;
    RunState runState() const override { return model_.runState(); }
    void resetRunState() override { model_.resetRunState(); }
    bool endedWithError() const override { return endedWithError_ && endedWithError_(); }

private:
    DialogModel& model_;
    ShowView showView_;
    std::function<bool()> endedWithError_;
};

}  // namespace vellora
