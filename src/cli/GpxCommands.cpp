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

constexpr const char* kGpxUsage =
    "gpx import FILE [--radius KM] [--center HOME|NAME] [--extract] [--keep-old]";
constexpr const char* kDropUsage = "drop FILE...";

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

}  // namespace

int runGpxCommand(CliEnv& env, const Args& args) {
    if (args.size() < 2 || args[0] != "import") throw UsageError(kGpxUsage);
    Overrides given;
    std::string file;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--radius" || a == "--center") && i + 1 < args.size()) {
            (a == "--radius" ? given.radius : given.centre) = args[++i];
        } else if (a == "--extract") {
            given.extract = true;
        } else if (a == "--keep-old") {
            given.keepOld = true;
        } else if (file.empty() && a.rfind("--", 0) != 0) {
            file = a;
        } else {
            throw UsageError(kGpxUsage);
        }
    }
    if (file.empty()) throw UsageError(kGpxUsage);
    return importGpx(env, file, given);
}

int runDropCommand(CliEnv& env, const Args& args) {
    if (args.empty()) throw UsageError(kDropUsage);
    int result = 0;
    DropHooks hooks;
    hooks.importGpx = [&](const std::string& path) {
        if (importGpx(env, path, Overrides()) != 0) result = 1;
    };
    std::error_code ec;
    const std::string temp = std::filesystem::temp_directory_path(ec).string();
    processDroppedFiles(args, ec ? std::string("/tmp") : temp, hooks);
    return result;
}

}  // namespace vellora
