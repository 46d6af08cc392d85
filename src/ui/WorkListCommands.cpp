#include "ui/WorkListCommands.h"

#include "listing/LoadHTML.h"
#include "ui/WorkListDialog.h"

namespace vellora {

std::function<void()> workListCommand(RunContext& ctx, QWidget* window, std::function<void()> refreshStatus) {
    return [&ctx, window, refreshStatus = std::move(refreshStatus)] {
        openWorkListEditor(ctx, window);
        if (refreshStatus) refreshStatus();
    };
}

void wireLoaderEditButton(TfrmLoadHTML& loader, RunContext& ctx, QWidget* window) {
    loader.editWorkList = [&ctx, window] { openWorkListEditor(ctx, window); };
}

}  // namespace vellora
