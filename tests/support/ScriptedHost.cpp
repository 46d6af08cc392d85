#include "support/ScriptedHost.h"

#include <gtest/gtest.h>

namespace vellora::test {

MsgResult ScriptedHost::message(MsgKind kind, MsgButtons buttons, const std::string& text) {
    MsgResult answer = buttons == MsgButtons::Cancel ? MsgResult::Cancel : MsgResult::Ok;
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo ||
        buttons == MsgButtons::YesNoCancel) {
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            answer = buttons == MsgButtons::YesNoCancel ? MsgResult::Cancel : MsgResult::No;
        } else {
            answer = answers_.front();
            answers_.pop_front();
        }
    }
    messages.push_back(RecordedMessage{kind, buttons, text, answer});
    return answer;
}

void ScriptedHost::beginProgress(const std::string& text, std::int64_t max) {
    progressVisible = true;
    progressLog.push_back("begin " + text + " " + std::to_string(max));
}

void ScriptedHost::setProgress(std::int64_t position) {
    progressLog.push_back("pos " + std::to_string(position));
}

void ScriptedHost::setProgressText(const std::string& text) {
    progressLog.push_back("text " + text);
}

void ScriptedHost::endProgress() {
    progressVisible = false;
    progressLog.push_back("end");
}

bool ScriptedHost::abortRequested() {
    ++polls_;
    return abortAtPoll_ > 0 && polls_ >= abortAtPoll_;
}

std::vector<std::string> ScriptedHost::chooseOpenFiles(const FileDialogOptions& chooser, bool) {
    dialogs.push_back(chooser);
    if (openAnswers_.empty()) {
        ADD_FAILURE() << "unexpected file chooser: " << chooser.title;
        return {};
    }
    auto files = std::move(openAnswers_.front());
    openAnswers_.pop_front();
    return files;
}

std::optional<std::string> ScriptedHost::chooseSaveFile(const FileDialogOptions& chooser) {
    dialogs.push_back(chooser);
    if (saveAnswers_.empty()) {
        ADD_FAILURE() << "unexpected save chooser: " << chooser.title;
        return std::nullopt;
    }
    auto file = std::move(saveAnswers_.front());
    saveAnswers_.pop_front();
    return file;
}

std::optional<std::string> ScriptedHost::chooseFolder(const std::string& title, const std::string& startDir) {
    dialogs.push_back(FileDialogOptions{title, {}, startDir, {}, {}});
    if (folderAnswers_.empty()) {
        ADD_FAILURE() << "unexpected folder chooser: " << title;
        return std::nullopt;
    }
    auto folder = std::move(folderAnswers_.front());
    folderAnswers_.pop_front();
    return folder;
}

std::optional<Rgb> ScriptedHost::chooseColour(Rgb) {
    if (colourAnswers_.empty()) {
        ADD_FAILURE() << "unexpected colour chooser";
        return std::nullopt;
    }
    auto c = colourAnswers_.front();
    colourAnswers_.pop_front();
    return c;
}

bool ScriptedHost::openWithSystem(const std::string& pathOrUrl) {
    opened.push_back(pathOrUrl);
    return true;
}

std::vector<std::string> ScriptedHost::textsOf(MsgKind kind) const {
    std::vector<std::string> texts;
    for (const auto& m : messages) {
        if (m.kind == kind) texts.push_back(m.text);
    }
    return texts;
}

void ScriptedHost::expectScriptUsed() const {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted answers were not asked for";
    EXPECT_TRUE(openAnswers_.empty() && saveAnswers_.empty() && folderAnswers_.empty() &&
                colourAnswers_.empty())
        << "scripted chooser answers were not asked for";
}

}  // namespace vellora::test
