#include <istream>
#include <iterator>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "core/Cp1252.h"
#include "core/RunContext.h"
#include "listing/Editor.h"
#include "listing/Index.h"

namespace vellora {

namespace {

// The directory of --dir, or nothing; an empty one is refused.
std::optional<std::string> dirOption(const CliCall& call) {
    auto dir = call.value("--dir");
    if (dir && dir->empty()) throw UsageError("--dir ohne Verzeichnis");
    return dir;
}

std::string crLfToLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

int runIndex(CliEnv& env, const CliCall& call) {
    TfrmIndex dialog(env.ctx);
    dialog.open(dirOption(call));
    if (!dialog.btnOKClick()) {
        dialog.close();
        return 1;
    }
    env.print(dialog.options.fileName);
    return 0;
}

int runEditLong(CliEnv& env, const CliCall& call) {
    const auto dir = dirOption(call);
    // The waypoint becomes part of a file name.
    const std::string waypoint = waypointArgument(call.argument(0));
    TfrmEditor editor(env.ctx);
    if (!editor.Edit(dir ? *dir : env.ctx.outDirPath(), waypoint)) return 1;
    if (!call.has("--set")) {
        // Raw, so that printing and setting again gives the file back unchanged.
        env.out << utf8FromCp1252(crLfToLf(editor.editablePart()));
        return 0;
    }
    const std::string input{std::istreambuf_iterator<char>(env.in), std::istreambuf_iterator<char>()};
    editor.text = cp1252FromUtf8(input);
    return editor.btnSaveClick() ? 0 : 1;
}

}  // namespace

std::vector<CliCommand> indexEditCommands() {
    const CliOption dir{
        .name = "--dir",
        .kind = OptionKind::Value,
        .valueName = "DIR",
        .help = "das Verzeichnis der konvertierten Beschreibungen statt des Ausgabeverzeichnisses"};
    return {
        {.words = "index",
         .options = {dir},
         .summary = "Erzeugt die Indexseite der konvertierten Cachebeschreibungen und nennt ihre Datei.",
         .run = runIndex},
        {.words = "edit-long",
         .arguments = {{"WAYPOINT"}},
         .options = {dir,
                     {.name = "--set",
                      .help =
                          "den bearbeitbaren Teil durch die Standardeingabe ersetzen, statt ihn auszugeben"}},
         .summary = "Gibt den bearbeitbaren Teil einer konvertierten Beschreibung aus oder ersetzt ihn.",
         .run = runEditLong},
    };
}

}  // namespace vellora
