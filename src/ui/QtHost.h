#pragma once
// The host interface on Qt: German message boxes, the wait window "Bitte warten...", the file,
// folder and colour choosers, opening with the system and the clipboard.
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include "core/Host.h"

class QDialog;
class QLabel;
class QProgressBar;

namespace vellora {

class QtHost : public Host {
public:
    QtHost() = default;
    ~QtHost() override;

    // The window message boxes, choosers and the wait window are centred over.
    void setWindow(QWidget* window) { window_ = window; }
    QWidget* window() const { return window_; }

    MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) override;

    void beginProgress(const std::string& text, std::int64_t max) override;
    void setProgress(std::int64_t position) override;
    void setProgressText(const std::string& text) override;
    void endProgress() override;

    void processEvents() override;
    bool abortRequested() override { return abort_; }
    // Abort buttons of running dialogs set the flag; a dialog clears it when it starts its work.
    void requestAbort() { abort_ = true; }
    void clearAbort() { abort_ = false; }

    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& chooser) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startDir) override;
    std::optional<Rgb> chooseColour(Rgb initial) override;

    bool openWithSystem(const std::string& pathOrUrl) override;
    void setClipboardText(const std::string& text) override;

    // The wait window while it is shown (for tests).
    QDialog* waitWindow() const { return wait_; }
    QLabel* waitText() const { return waitText_; }
    QProgressBar* waitBar() const { return waitBar_; }

private:
    QPointer<QWidget> window_;
    QPointer<QDialog> wait_;
    QLabel* waitText_ = nullptr;
    QProgressBar* waitBar_ = nullptr;
    double scale_ = 1;
    bool abort_ = false;
};

// "GPX-Dateien (*.gpx);;Alle Dateien (*)" from the program's filters.
QString qtFilterString(const std::vector<FileFilter>& filters);

inline constexpr const char* kWaitCaption = "Bitte warten...";

}  // namespace vellora
