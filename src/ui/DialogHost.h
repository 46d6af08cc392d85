#pragma once
// The host a dialog puts in place of the program's host while its operation runs: progress goes to
// the dialog's own display instead of the wait window, the dialog's abort button sets a flag of its
// own, and pending Qt events run at every progress step (the host replaced may be one that does not
// run them). Everything else goes on to the host it replaced. While the busy cursor is up, message
// boxes show the normal one.
#include <cstdint>
#include <functional>
#include <string>

#include "core/Host.h"

namespace vellora {

class RunContext;

// Where a dialog shows the progress of its operation.
struct ProgressSink {
    std::function<void(const std::string& text, std::int64_t max)> begin;
    std::function<void(std::int64_t position)> position;
    std::function<void(const std::string& text)> text;
    std::function<void()> end;
};

class DialogHost : public Host {
public:
    // Takes the place of ctx's host until destroyed (hosts put in place later must be gone by then).
    // Without a sink, progress goes on to the host replaced. Clears the Qt host's abort flag, so
    // that an abort of an earlier run does not stop this one, and clears it again when it goes
    // after an abort of its own.
    explicit DialogHost(RunContext& ctx, ProgressSink sink = {});
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
    void runQtEvents();

    RunContext& ctx_;
    Host& inner_;
    ProgressSink sink_;
    bool abort_ = false;
    bool innerRunsQt_ = false;
};

}  // namespace vellora
