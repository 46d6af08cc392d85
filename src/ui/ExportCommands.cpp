#include "ui/ExportCommands.h"

#include <QWidget>

#include "core/FileProcs.h"
#include "core/Global.h"
#include "core/RunContext.h"
#include "ui/DbCsvExportDialog.h"
#include "ui/DialogUtil.h"
#include "ui/ExportDialog.h"
#include "ui/MapViewDialogs.h"

namespace vellora {

ExportCommands::ExportCommands(RunContext& ctx, QWidget* window, OutputBrowser& browser)
    : QObject(window), ctx_(ctx), window_(window), browser_(browser), list_(ctx), map_(ctx), one_(ctx) {
    setObjectName(QStringLiteral("exportCommands"));
    browser_.actions().exportDirectory = [this](const std::string& path) { exportDirectory(path); };
    browser_.actions().showOnMap = [this](double lat, double lon) { showOneCache(lat, lon); };
}

void ExportCommands::exportList() {
    ExportDialog dialog(ctx_, list_, window_);
    execCentred(dialog, window_);
}

void ExportCommands::exportDirectory(const std::string& dirListPath) {
    list_.setDirListFile(dirListPath);
    exportList();
}

void ExportCommands::showCachesOnMap() {
    // The page can show the selected directory: its list goes to dirlist.txt first.
    const std::string path = ctx_.workDirPath() + "dirlist.txt";
    std::vector<std::string> waypoints;
    for (const auto& entry : browser_.entries()) waypoints.push_back(entry.waypoint);
    if (int err = writeListFile(path, waypoints); err != 0) {
        showErrorCode(ctx_.host(), err, "Fehler beim Schreiben der Datei " + path);
        return;
    }
    MapViewDialog dialog(map_, window_);
    execCentred(dialog, window_);
}

void ExportCommands::showOneCache(double lat, double lon) {
    one_.setPosition(lat, lon);
    ShowOneCacheDialog dialog(one_, window_);
    execCentred(dialog, window_);
}

void ExportCommands::exportDatabaseCsv() {
    DbCsvExportDialog dialog(ctx_, window_);
    execCentred(dialog, window_);
}

}  // namespace vellora
