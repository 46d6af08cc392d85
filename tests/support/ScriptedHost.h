#pragma once
// A host for tests: records every message and progress call, answers questions from a script and
// fails the running test on a question nobody scripted.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/Host.h"

namespace vellora::test {

struct RecordedMessage {
    MsgKind kind;
    MsgButtons buttons;
    std::string text;
    MsgResult answer;
};

class ScriptedHost : public Host {
public:
    // Answers for the next questions (messages with other buttons than OK alone), in order.
    void answerNext(MsgResult answer) { answers_.push_back(answer); }
    void answerNextOpen(std::vector<std::string> files) { openAnswers_.push_back(std::move(files)); }
    void answerNextSave(std::optional<std::string> file) { saveAnswers_.push_back(std::move(file)); }
    void answerNextFolder(std::optional<std::string> folder) { folderAnswers_.push_back(std::move(folder)); }
    void answerNextColour(std::optional<Rgb> colour) { colourAnswers_.push_back(colour); }
    // abortRequested() answers true from the n-th poll on (1 = the first poll).
    void abortAtPoll(int n) { abortAtPoll_ = n; }

    MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) override;
    void beginProgress(const std::string& text, std::int64_t max) override;
    void setProgress(std::int64_t position) override;
    void setProgressText(const std::string& text) override;
    void endProgress() override;
    void processEvents() override { ++processEventsCalls; }
    bool abortRequested() override;
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& chooser) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startDir) override;
    std::optional<Rgb> chooseColour(Rgb initial) override;
    bool openWithSystem(const std::string& pathOrUrl) override;
    void setClipboardText(const std::string& text) override { clipboard = text; }

    // Texts of the recorded messages of one kind.
    std::vector<std::string> textsOf(MsgKind kind) const;
    // Fails the test when scripted answers were left unused.
    void expectScriptUsed() const;

    std::vector<RecordedMessage> messages;
    std::vector<std::string> progressLog;    // "begin TEXT MAX", "pos N", "text TEXT", "end"
    std::vector<FileDialogOptions> dialogs;  // every chooser shown, with its title and filters
    std::vector<std::string> opened;
    std::string clipboard;
    int processEventsCalls = 0;
    bool progressVisible = false;

private:
    std::deque<MsgResult> answers_;
    std::deque<std::vector<std::string>> openAnswers_;
    std::deque<std::optional<std::string>> saveAnswers_;
    std::deque<std::optional<std::string>> folderAnswers_;
    std::deque<std::optional<Rgb>> colourAnswers_;
    int abortAtPoll_ = 0;
    int polls_ = 0;
};

}  // namespace vellora::test
