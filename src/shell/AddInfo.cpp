#include "shell/AddInfo.h"

#include "core/FileUtil.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/PersInfo.h"
#include "core/RunContext.h"

namespace vellora {

TfrmAddInfo::TfrmAddInfo(RunContext& ctx, std::string waypoint) : ctx_(ctx), waypoint_(std::move(waypoint)) {}

std::string TfrmAddInfo::configPath() const {
    return ctx_.workDirPath() + "vellora.conf";
}

void TfrmAddInfo::onOpen() {
    lines_ = ReadNote(ctx_, waypoint_);
    if (fileExists(configPath())) {
        IniFile conf(configPath());
        lineBreak_ = conf.readBool(kAddInfoSection, "LineBreak", true);
    }
}

bool TfrmAddInfo::save(const std::vector<std::string>& lines) {
    try {
        WriteNote(ctx_, waypoint_, lines);
        lines_ = ReadNote(ctx_, waypoint_);
        IniFile conf(configPath());
        conf.writeBool(kAddInfoSection, "Linebreak", lineBreak_);
    } catch (const IniWriteError& e) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, e.what());
        return false;
    }
    return true;
}

bool TfrmAddInfo::erase() {
    try {
        EraseNote(ctx_, waypoint_);
    } catch (const IniWriteError& e) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, e.what());
        return false;
    }
    lines_.clear();
    return true;
}

std::vector<std::string> splitEditorLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    // A final line break adds no empty line, as in the list files.
    const char last = text.back();
    if (last != '\r' && last != '\n') lines.push_back(line);
    return lines;
}

}  // namespace vellora
