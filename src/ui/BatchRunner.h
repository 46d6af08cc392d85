#pragma once
// The batch's repeating 500 ms timer on the user-interface thread, driving shell/Batch. The main
// window owns one, gives it the step dialogs (each opening its view modally, or driving its model
// unattended) and calls start() from "Batch (Laden / Konvertieren / Index erzeugen)".
#include <QObject>
#include <QTimer>
#include <functional>

#include "shell/Batch.h"

namespace vellora {

class BatchRunner : public QObject, private TBatch::Observer {
    Q_OBJECT
public:
    // reloadTree reloads the output directory tree of the main window.
    BatchRunner(RunContext& ctx, Host& host, TBatch::Stages stages, std::function<void()> reloadTree,
                QObject* parent = nullptr);

    void start() { batch_.mnuBatchClick(); }
    // The suitcase follow-up: the generator alone, without the timer.
    void runGeneratorOnly() { batch_.runGeneratorOnly(); }

    const TBatch& batch() const { return batch_; }
    const QTimer& timer() const { return timer_; }
    // What a timeout does; for tests, which need not wait for the timer.
    void tick() { batch_.BatchTimerTimer(); }

private:
    void setTimerRunning(bool running) override;
    void reloadTree() override;

    QTimer timer_;
    std::function<void()> reloadTree_;
    TBatch batch_;
};

}  // namespace vellora
