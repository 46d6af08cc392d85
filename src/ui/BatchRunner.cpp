#include "ui/BatchRunner.h"

namespace vellora {

BatchRunner::BatchRunner(RunContext& ctx, Host& host, TBatch::Stages stages, std::function<void()> reloadTree,
                         QObject* parent)
    : QObject(parent), reloadTree_(std::move(reloadTree)), batch_(ctx, host, stages, *this) {
    timer_.setInterval(TBatch::kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { batch_.BatchTimerTimer(); });
}

void BatchRunner::setTimerRunning(bool running) {
    if (running) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void BatchRunner::reloadTree() {
    if (reloadTree_) reloadTree_();
}

}  // namespace vellora
