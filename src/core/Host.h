#pragma once
// The only way operations reach the user and the desktop. The GUI implements it with Qt, the
// command-line tool with the console, the tests with a scripted host. All texts are Windows-1252.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellora {

enum class MsgKind { Warning, Error, Information, Confirmation };
// YesNoDefaultNo: for questions whose Yes discards work (deletes, replaces, drops edits), so that
// Enter or a hasty Escape-then-Enter keeps it.
enum class MsgButtons { Ok, YesNo, YesNoCancel, Cancel, YesNoDefaultNo };
enum class MsgResult { Ok, Yes, No, Cancel };

// The caption the message box shows for a kind ("Warnung", "Fehler", ...).
const char* captionOf(MsgKind kind);

struct FileFilter {
    std::string name;      // "HTML-Dateien"
    std::string patterns;  // "*.htm;*.html"
};

struct FileDialogOptions {
    std::string title;
    std::vector<FileFilter> filters;
    std::string startDir;
    std::string defaultName;       // save dialogs: the proposed file name
    std::string defaultExtension;  // save dialogs: appended when the name has none
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

class Host {
public:
    virtual ~Host() = default;

    // A modal message box; returns the button pressed.
    virtual MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) = 0;

    // The wait window "Bitte warten..." or a dialog's progress display: text, range 0..max, position.
    virtual void beginProgress(const std::string& text, std::int64_t max) = 0;
    virtual void setProgress(std::int64_t position) = 0;
    virtual void setProgressText(const std::string& text) = 0;
    virtual void endProgress() = 0;

    // Lets pending user input (an abort button, say) be handled during a long operation.
    virtual void processEvents() = 0;
    // Whether the user asked to stop the running operation; loops test it between items.
    virtual bool abortRequested() = 0;

    virtual std::vector<std::string> chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) = 0;
    // Asks before overwriting an existing file.
    virtual std::optional<std::string> chooseSaveFile(const FileDialogOptions& chooser) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& title,
                                                    const std::string& startDir) = 0;
    virtual std::optional<Rgb> chooseColour(Rgb initial) = 0;

    // Opens a file or an address with the system's default application.
    virtual bool openWithSystem(const std::string& pathOrUrl) = 0;
    virtual void setClipboardText(const std::string& text) = 0;
};

}  // namespace vellora
