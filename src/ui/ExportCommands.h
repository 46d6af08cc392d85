#pragma once
// The main window's export commands and what the output directory browser asks of them: the
// list export (also in directory mode), "Caches in GoogleMaps zeigen", one cache on the map
// service and the database CSV export. The models live as long as the window, so that their
// choices last for the run.
#include <QObject>
#include <functional>
#include <string>

#include "export/ListExport.h"
#include "export/MapView.h"
#include "shell/OutputBrowser.h"

class QWidget;

namespace vellora {

class RunContext;

class ExportCommands : public QObject {
    Q_OBJECT
public:
    // Wires the browser's export and one-cache map actions to these commands.
    ExportCommands(RunContext& ctx, QWidget* window, OutputBrowser& browser);

    // Export1Click
    void exportList();
    // The browser's "Caches dieses Verzeichnisses exportieren" with its directory list file.
    void exportDirectory(const std::string& dirListPath);
    // CachesinGoogleMapszeigen1Click
    void showCachesOnMap();
    // The browser's "in GoogleMaps zeigen" for one position.
    void showOneCache(double lat, double lon);
    // "CSV-Export der Cache-Datenbank"
    void exportDatabaseCsv();

private:
    RunContext& ctx_;
    QWidget* window_;
    OutputBrowser& browser_;
    ListExportModel list_;
    MapViewModel map_;
    ShowOneCacheModel one_;
};

}  // namespace vellora
