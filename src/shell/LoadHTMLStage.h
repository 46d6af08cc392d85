#pragma once
// The listing loader window as the batch and the cache database download use it.
#include "import/GCDBReader.h"
#include "shell/Batch.h"

namespace vellora {

class TfrmLoadHTML;

// The loader as the batch's first step: the batch stops when its run ended with an error (an HTTP
// failure, or a work list without loadable waypoints).
DialogBatchStage loaderBatchStage(TfrmLoadHTML& window, DialogBatchStage::ShowView showView = {});

// The quiet loader instance as the download window of the cache database (and of other stand-alone
// downloads): protocol shown, options hidden. Its abort is the host's, which the download polls.
class LoadHTMLDownloadWindow : public TCacheDBLoadWindow {
public:
    explicit LoadHTMLDownloadWindow(TfrmLoadHTML& quietWindow) : window_(quietWindow) {}
    void open(const std::string& task, const std::string& content, bool abortVisible) override;
    void close() override;
    TLoadWindowView& view() override;

private:
    TfrmLoadHTML& window_;
};

}  // namespace vellora
