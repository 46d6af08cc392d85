#pragma once
// A host that shows nothing and asks nobody: for benchmarks and tools that run operations
// without a user. Questions get the answer given at construction.
#include "core/Host.h"

namespace vellora {

class NullHost : public Host {
public:
    explicit NullHost(MsgResult answer = MsgResult::No) : answer_(answer) {}

    MsgResult message(MsgKind, MsgButtons buttons, const std::string&) override {
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (buttons == MsgButtons::Cancel) return MsgResult::Cancel;
        return answer_;
    }
    void beginProgress(const std::string&, std::int64_t) override {}
    void setProgress(std::int64_t) override {}
    void setProgressText(const std::string&) override {}
    void endProgress() override {}
    void processEvents() override {}
    bool abortRequested() override { return false; }
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions&, bool) override { return {}; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<Rgb> chooseColour(Rgb) override { return std::nullopt; }
    bool openWithSystem(const std::string&) override { return false; }
    void setClipboardText(const std::string&) override {}

private:
    MsgResult answer_;
};

}  // namespace vellora
