#pragma once
// The host a dialog puts in place of the program's host while its operation runs: progress goes to
// the dialog's own display instead of the wait window, the dialog's abort button sets a flag of its
// own, and pending Qt events run at every progress step (the host replaced may be one that does not
// run them). Everything else goes on to the host it replaced. While the busy cursor is up, message
// boxes show the normal one.
//
// Two ways to put it in place: for its whole life (a download window: DialogHost(ctx, sink)), or
// for each run of a dialog that lives longer (DialogHost(ctx, sink, DialogHost::PerRun) and a
// ScopedHost around the run).
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Host.h"

class QLabel;
class QProgressBar;

namespace vellora {

class RunContext;

// Where a dialog shows the progress of its operation.
struct ProgressSink {
    std::function<void(const std::string& text, std::int64_t max)> begin;
    std::function<void(std::int64_t position)> position;
    std::function<void(const std::string& text)> text;
    std::function<void()> end;
    // Only the outermost progress goes to the dialog; one begun inside it (a database read, say)
    // goes to the host replaced, so that it does not disturb the dialog's range.
    bool outermostOnly = false;
};

// A progress bar (and optionally a text line) as the sink: ranges beyond int are scaled, the bar
// goes back to 0 at the end unless it keeps its final position (full after a complete run);
// outermost progress only.
ProgressSink progressBarSink(QProgressBar* bar, QLabel* text = nullptr, bool keepFinalPosition = false);

class DialogHost : public Host {
public:
    enum Placement { WholeLife, PerRun };

    // WholeLife: takes the place of ctx's host until destroyed (hosts put in place later must be
    // gone by then) and clears the Qt host's abort flag, so that an abort of an earlier run does not
    // stop this one, and clears it again when it goes after an abort of its own. PerRun: the
    // caller puts it in place with ScopedHost. Without a sink, progress goes on to the host replaced.
    explicit DialogHost(RunContext& ctx, ProgressSink sink = {}, Placement placement = WholeLife);
    ~DialogHost() override;
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    // Also tells the hosts it replaced, so that an operation holding on to one of them stops too.
    void requestAbort();
    Host& replaced() const { return inner_; }

    MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) override;
    void beginProgress(const std::string& text, std::int64_t max) override;
    void setProgress(std::int64_t position) override;
    void setProgressText(const std::string& text) override;
    void endProgress() override;
    void processEvents() override;
    bool abortRequested() override { return abort_ || inner_.abortRequested(); }
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) override {
        return inner_.chooseOpenFiles(chooser, multiple);
    }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& chooser) override {
        return inner_.chooseSaveFile(chooser);
    }
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startDir) override {
        return inner_.chooseFolder(title, startDir);
    }
    std::optional<Rgb> chooseColour(Rgb initial) override { return inner_.chooseColour(initial); }
    bool openWithSystem(const std::string& pathOrUrl) override { return inner_.openWithSystem(pathOrUrl); }
    void setClipboardText(const std::string& text) override { inner_.setClipboardText(text); }

private:
    // Whether this progress call belongs to the dialog (not to a nested progress of the inner host).
    bool ownsProgress() const { return depth_ <= 1 || !sink_.outermostOnly; }
    void runQtEvents();

    RunContext& ctx_;
    Host& inner_;
    ProgressSink sink_;
    Placement placement_;
    int depth_ = 0;
    bool abort_ = false;
    bool innerRunsQt_ = false;
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
