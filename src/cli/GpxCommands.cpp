// gpx import / drop: the GPX import with both passes run one after the other, and files handled
// as the main window handles dropped files. Pass-1 lines, counters and the closing report go to
// standard output; messages through the console host.
#include <filesystem>
#include <string>

#include "cli/Commands.h"
#include "import/GpxImport.h"
#include "shell/DropHandler.h"

namespace vellora {
namespace {

struct Overrides {
    std::optional<std::string> radius, centre;
    bool extract = false, keepOld = false;
};

// Both passes with the options as the dialog loads them and the given overrides; 0 when the file
// could be imported.
int importGpx(CliEnv& env, const std::string& file, const Overrides& given) {
    TfrmGPXImp dialog(env.ctx);
    dialog.setFile(file);
    dialog.open();
    if (given.radius) {
        dialog.options.RadSrch = true;
        dialog.setRadiusText(*given.radius);
    }
    if (given.centre && !dialog.setCentreByName(*given.centre)) {
        dialog.close();
        throw UsageError("unbekanntes Home: " + *given.centre);
    }
    if (given.extract) dialog.options.GetDescr = true;
    if (given.keepOld) dialog.options.KeepOld = true;
    env.print(dialog.caption());
    env.print(dialog.fileInfo());
    if (!dialog.startEnabled()) {
        dialog.close();
        return 1;
    }
    dialog.btnStartClick();
    for (const std::string& line : dialog.outputLines()) env.print(line);
    env.print(dialog.counterText());
    if (!dialog.isOpen()) return 0;
    if (!dialog.workEnabled()) {
        dialog.close();
        return 1;
    }
    dialog.btnWorkClick();
    if (dialog.isOpen()) {  // the radius was refused
        dialog.close();
        return 1;
    }
    for (const std::string& text : dialog.report()) env.print(text);
    return 0;
}

int runImport(CliEnv& env, const CliCall& call) {
    Overrides given;
    given.radius = call.value("--radius");
    given.centre = call.value("--center");
    given.extract = call.has("--extract");
    given.keepOld = call.has("--keep-old");
    return importGpx(env, call.argument(0), given);
}

int runDrop(CliEnv& env, const CliCall& call) {
    int result = 0;
    DropHooks hooks;
    hooks.importGpx = [&](const std::string& path) {
        if (importGpx(env, path, Overrides()) != 0) result = 1;
    };
    std::error_code ec;
    const std::string temp = std::filesystem::temp_directory_path(ec).string();
    processDroppedFiles(call.arguments(), ec ? std::string("/tmp") : temp, hooks);
    return result;
}

}  // namespace

std::vector<CliCommand> gpxCommands() {
    return {
        {.words = "gpx import",
         .arguments = {{"FILE"}},
         .options = {{.name = "--radius",
                      .kind = OptionKind::Value,
                      .valueName = "KM",
                      .help = "nur Caches in diesem Umkreis sammeln"},
                     {.name = "--center",
                      .kind = OptionKind::Value,
                      .valueName = "HOME|NAME",
                      .help = "die Mitte des Umkreises: das Home oder ein weiteres Home"},
                     {.name = "--extract", .help = "die Beschreibungen der Caches im Umkreis extrahieren"},
                     {.name = "--keep-old", .help = "bereits vorhandene Beschreibungen behalten"}},
         .summary = "F\xFCllt die Cache-Datenbank aus einer GPX-Datei.",
         .run = runImport},
        {.words = "drop",
         .arguments = {{"FILE", ArgCount::OneOrMore}},
         .summary = "Behandelt Dateien wie auf das Hauptfenster gezogene Dateien.",
         .run = runDrop},
    };
}

}  // namespace vellora
