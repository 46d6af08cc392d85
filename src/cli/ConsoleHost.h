#pragma once
// The host of the command-line tool: messages go to standard error as "kind: text", questions
// are answered by --yes or --no (by default with the answer that changes nothing).
#include <iosfwd>
#include <optional>

#include "core/Host.h"

namespace vellora {

class ConsoleHost : public Host {
public:
    enum class Answer { Default, Yes, No };

    ConsoleHost(std::ostream& err, Answer answer) : err_(err), answer_(answer) {}

    MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) override;
    void beginProgress(const std::string&, std::int64_t) override {}
    void setProgress(std::int64_t) override {}
    void setProgressText(const std::string&) override {}
    void endProgress() override {}
    void processEvents() override {}
    bool abortRequested() override;
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& chooser) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startDir) override;
    std::optional<Rgb> chooseColour(Rgb initial) override;
    bool openWithSystem(const std::string& pathOrUrl) override;
    void setClipboardText(const std::string& text) override;

    // Installs a SIGINT handler so that Ctrl-C asks a running operation to stop.
    static void installInterruptHandler();

private:
    void printLine(const std::string& cp1252Text);

    std::ostream& err_;
    Answer answer_;
};

}  // namespace vellora
