#pragma once
// The listing loader window as the batch and the cache database download use it.
#include "import/GCDBReader.h"
#include "shell/Batch.h"

namespace vellora {

class TfrmLoadHTML;

// The loader as the batch's first step: opened in batch mode, it loads the work list by itself and
// closes; the batch then reads its run state and error flag.
class LoadHTMLBatchStage : public BatchStage {
public:
    explicit LoadHTMLBatchStage(TfrmLoadHTML& window) : window_(window) {}
    void runUnattended() override;
    int runState() const override;
    void resetRunState() override;
    bool endedWithError() const override;

private:
    TfrmLoadHTML& window_;
};

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
