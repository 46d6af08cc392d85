#include "shell/LoadHTMLStage.h"

#include "listing/LoadHTML.h"

namespace vellora {

void LoadHTMLBatchStage::runUnattended() {
    window_.setAutoLoad(true);
    window_.FormShow();
    // After an empty list the window closes by itself without a run.
    window_.AutoLoadTimer();
    if (!window_.closed()) window_.close();
    window_.setAutoLoad(false);
}

int LoadHTMLBatchStage::runState() const {
    return window_.runState();
}

void LoadHTMLBatchStage::resetRunState() {
    window_.resetRunState();
}

bool LoadHTMLBatchStage::endedWithError() const {
    return window_.errorFlag();
}

void LoadHTMLDownloadWindow::open(const std::string& task, const std::string& content, bool abortVisible) {
    window_.showDownload(task, content, abortVisible);
}

void LoadHTMLDownloadWindow::close() {
    window_.close();
}

TLoadWindowView& LoadHTMLDownloadWindow::view() {
    return window_;
}

}  // namespace vellora
