#pragma once
// "Batch (Laden / Konvertieren / Index erzeugen)": loads the listings of the work list, generates
// the converted descriptions and writes the index page, one step dialog after the other, each in
// its unattended mode. A repeating 500 ms timer drives the steps; the timer itself belongs to the
// view, which starts and stops it when the observer says so. Every step dialog is modal: a stage
// returns from runUnattended only when its dialog has closed.
#include <memory>

namespace vellora {

class Host;
class RunContext;
class TCreateDescr;
class TfrmIndex;

// One step dialog as the batch sees it.
class BatchStage {
public:
    virtual ~BatchStage() = default;
    // Opens the dialog in batch mode (it starts its action by itself and closes when it has
    // ended) and returns when it has closed.
    virtual void runUnattended() = 0;
    // 0 not run, 1 running, 2 closed after running.
    virtual int runState() const = 0;
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

// The index page dialog driven without a view: batch mode on, opened for the output directory,
// its start timer run at once.
class IndexBatchStage : public BatchStage {
public:
    explicit IndexBatchStage(TfrmIndex& dialog) : dialog_(dialog) {}
    void runUnattended() override;
    int runState() const override;
    void resetRunState() override;

private:
    TfrmIndex& dialog_;
};

// The description generator driven without a view: opened with its saved options and the
// current choice (work list, or every cache of the output directory), run unattended, closed.
class GeneratorBatchStage : public BatchStage {
public:
    explicit GeneratorBatchStage(TCreateDescr& dialog) : dialog_(dialog) {}
    void runUnattended() override;
    int runState() const override;
    void resetRunState() override;

private:
    TCreateDescr& dialog_;
};

}  // namespace vellora
