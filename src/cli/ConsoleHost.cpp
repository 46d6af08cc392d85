#include "cli/ConsoleHost.h"

#include <csignal>
#include <ostream>

#include "core/Cp1252.h"
#include "net/LoadURL.h"

namespace vellora {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

std::string consoleText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return utf8FromCp1252(out);
}

}  // namespace

void ConsoleHost::installInterruptHandler() {
    std::signal(SIGINT, onInterrupt);
    // Transfers that no dialog watches end on Ctrl-C too; their partial files are removed.
    setTransferInterruptFlag(&interrupted);
}

void ConsoleHost::printLine(const std::string& cp1252Text) {
    err_ << consoleText(cp1252Text) << '\n';
}

MsgResult ConsoleHost::message(MsgKind kind, MsgButtons buttons, const std::string& text) {
    printLine(std::string(captionOf(kind)) + ": " + text);
    MsgResult result = MsgResult::Ok;
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::Cancel:
            return MsgResult::Cancel;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoDefaultNo:
            result = answer_ == Answer::Yes ? MsgResult::Yes : MsgResult::No;
            break;
        case MsgButtons::YesNoCancel:
            result = answer_ == Answer::Yes  ? MsgResult::Yes
                     : answer_ == Answer::No ? MsgResult::No
                                             : MsgResult::Cancel;
            break;
    }
    const char* said = result == MsgResult::Yes ? "Ja" : result == MsgResult::No ? "Nein" : "Abbrechen";
    err_ << "-> " << said << '\n';
    return result;
}

bool ConsoleHost::abortRequested() {
    return interrupted != 0;
}

std::vector<std::string> ConsoleHost::chooseOpenFiles(const FileDialogOptions&, bool) {
    return {};
}
std::optional<std::string> ConsoleHost::chooseSaveFile(const FileDialogOptions&) {
    return std::nullopt;
}
std::optional<std::string> ConsoleHost::chooseFolder(const std::string&, const std::string&) {
    return std::nullopt;
}
std::optional<Rgb> ConsoleHost::chooseColour(Rgb) {
    return std::nullopt;
}

bool ConsoleHost::openWithSystem(const std::string& pathOrUrl) {
    printLine(
        "\xD6"
        "ffnen: " +
        pathOrUrl);
    return false;
}

void ConsoleHost::setClipboardText(const std::string& text) {
    printLine("Zwischenablage: " + text);
}

}  // namespace vellora
