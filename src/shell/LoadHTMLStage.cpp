#include "shell/LoadHTMLStage.h"

#include <utility>

#include "listing/LoadHTML.h"

namespace vellora {

DialogBatchStage loaderBatchStage(TfrmLoadHTML& window, DialogBatchStage::ShowView showView) {
    return DialogBatchStage(window, std::move(showView), [&window] { return window.errorFlag(); });
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
