#include "ui/GpxCommands.h"

#include <QDir>
#include <QWidget>

#include "core/Host.h"
#include "core/RunContext.h"
#include "shell/DropHandler.h"
#include "ui/GpxImportDialog.h"
#include "ui/QtText.h"

namespace vellora {

GpxCommands::GpxCommands(RunContext& ctx, QWidget* window, std::function<void()> refreshStatusLine)
    : QObject(window), ctx_(ctx), window_(window), refreshStatusLine_(std::move(refreshStatusLine)) {}

void GpxCommands::importGpx() {
    FileDialogOptions chooser;
    chooser.filters = {
        {"GPX-Dateien (*.gpx)", "*.gpx"}, {"XML-Dateien (*.xml)", "*.xml"}, {"Alle Dateien (*.*)", "*.*"}};
    chooser.startDir = ctx_.workDirPath();
    const auto files = ctx_.host().chooseOpenFiles(chooser, false);
    if (files.empty()) return;
    importFile(files.front());
    if (refreshStatusLine_) refreshStatusLine_();
}

void GpxCommands::importFile(const std::string& path) {
    if (!dialog_) dialog_ = new GpxImportDialog(ctx_, window_);
    dialog_->runOn(path);
}

void GpxCommands::filesDropped(const std::vector<std::string>& paths) {
    DropHooks hooks;
    hooks.importGpx = [this](const std::string& path) { importFile(path); };
    hooks.refreshStatus = refreshStatusLine_;
    processDroppedFiles(paths, pathOf(QDir::tempPath()), hooks);
}

}  // namespace vellora
