#pragma once
// The main window's GPX import: "Datenbank aus GPX-Datei befüllen" with its file chooser, and the
// GPX files of a drop (or of the command line) opened in the same dialog, one after the other.
#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace vellora {

class GpxImportDialog;
class RunContext;

class GpxCommands : public QObject {
    Q_OBJECT
public:
    // window: the main window, which the dialog is centred over and which owns this object.
    GpxCommands(RunContext& ctx, QWidget* window, std::function<void()> refreshStatusLine);

    // mnuImportGPX: a file chooser in the working directory, then the import.
    void importGpx();
    // The import on one file (a chosen or dropped one).
    void importFile(const std::string& path);
    // Dropped paths as the main window handles them: GPX files, ZIP archives with GPX members.
    void filesDropped(const std::vector<std::string>& paths);

    GpxImportDialog* dialog() const { return dialog_; }

private:
    RunContext& ctx_;
    QWidget* window_;
    std::function<void()> refreshStatusLine_;
    GpxImportDialog* dialog_ = nullptr;  // created once per run, a child of the window
};

}  // namespace vellora
