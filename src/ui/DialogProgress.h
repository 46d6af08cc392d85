#pragma once
// A dialog's own progress display for the operation it runs: while the operation runs, the
// context's host is replaced by one that shows the progress in the dialog's bar (and text) instead
// of the wait window and passes everything else on to the program's host.
#include <QPointer>
#include <cstdint>

#include "core/Host.h"

class QLabel;
class QProgressBar;

namespace vellora {

class RunContext;

class DialogProgressHost : public Host {
public:
    // text may be nullptr: the dialog shows its own texts. keepFinalPosition: the bar shows where
    // the run ended (full after a complete run) instead of going back to 0.
    DialogProgressHost(Host& inner, QProgressBar* bar, QLabel* text = nullptr,
                       bool keepFinalPosition = false);

    Host& inner() const { return inner_; }

    MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) override;
    // The outermost progress goes to the dialog; one begun inside it (a database read, say) goes
    // to the program's host as usual, so that it does not disturb the dialog's range.
    void beginProgress(const std::string& text, std::int64_t max) override;
    void setProgress(std::int64_t position) override;
    void setProgressText(const std::string& text) override;
    // The bar goes back to 0 unless it keeps its final position.
    void endProgress() override;
    void processEvents() override;
    bool abortRequested() override;
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& chooser) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startDir) override;
    std::optional<Rgb> chooseColour(Rgb initial) override;
    bool openWithSystem(const std::string& pathOrUrl) override;
    void setClipboardText(const std::string& text) override;

private:
    Host& inner_;
    QPointer<QProgressBar> bar_;
    QPointer<QLabel> text_;
    int depth_ = 0;
    double scale_ = 1;
    bool keepFinalPosition_ = false;
};

// Puts a host into the context for one scope and restores the one before.
class ScopedHost {
public:
    ScopedHost(RunContext& ctx, Host& host);
    ~ScopedHost();
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

private:
    RunContext& ctx_;
    Host& previous_;
};

// A run starts without an abort left over from an earlier one (the program's host keeps its flag
// until it is cleared).
void clearHostAbort(Host& host);
// An abort button of a window whose operation polls the program's host (a stand-alone download).
void requestHostAbort(Host& host);

}  // namespace vellora
