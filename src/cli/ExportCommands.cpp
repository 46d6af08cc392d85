#include <string>

#include "cli/Commands.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/RunContext.h"
#include "export/DbCsvExport.h"
#include "export/ListExport.h"
#include "export/MapView.h"

namespace vellora {

namespace {

constexpr const char* kExportUsage =
    "export --format gpx|loc|csv|ovl|realmaps|ozi|xml [--template NAME] [--utf8-names] --source "
    "work|finds|db|dir:PATH -o FILE"
    " | export db-csv FILE";
constexpr const char* kMapViewUsage = "mapview --source work|finds|dir:PATH [--size 0|1|2]";

int formatByName(const std::string& name) {
    static constexpr std::pair<const char*, int> kNames[] = {
        {"ovl", kFormatOverlay},       {"loc", kFormatLoc}, {"csv", kFormatCsv},
        {"realmaps", kFormatRealMaps}, {"ozi", kFormatOzi}, {"gpx", kFormatGpx},
        {"xml", kFormatXmlTemplate},
    };
    for (const auto& [n, f] : kNames) {
        if (name == n) return f;
    }
    throw UsageError(kExportUsage);
}

// The waypoints of the converted descriptions in a directory, as the output directory browser
// lists them, written to dirlist.txt; returns its path.
std::string writeDirList(CliEnv& env, const std::string& dir) {
    if (!dirExists(dir)) throw UsageError("Verzeichnis nicht gefunden: " + dir);
    std::vector<std::string> waypoints;
    for (std::string name : listFiles(dir, "GC*_converted.html")) {
        while (name.find('_') != std::string::npos) name.pop_back();
        waypoints.push_back(name);
    }
    const std::string path = env.ctx.workDirPath() + "dirlist.txt";
    if (int err = writeListFile(path, waypoints); err != 0) {
        showErrorCode(env.host, err, "Fehler beim Schreiben der Datei " + path);
        return {};
    }
    return path;
}

std::string valueOf(const Args& args, std::size_t& i, const char* usage) {
    if (i + 1 >= args.size()) throw UsageError(usage);
    return args[++i];
}

}  // namespace

int runExportCommand(CliEnv& env, const Args& args) {
    if (!args.empty() && args[0] == "db-csv") {
        requireArgs(args, 2, 2, kExportUsage);
        DbCsvExportModel dialog(env.ctx);
        dialog.open();
        dialog.exportTo(args[1]);
        return fileExists(args[1]) ? 0 : 1;
    }
    std::string format, templateName, source, output;
    bool utf8Names = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--format")
            format = valueOf(args, i, kExportUsage);
        else if (a == "--template")
            templateName = valueOf(args, i, kExportUsage);
        else if (a == "--utf8-names")
            utf8Names = true;
        else if (a == "--source")
            source = valueOf(args, i, kExportUsage);
        else if (a == "-o" || a == "--output")
            output = valueOf(args, i, kExportUsage);
        else
            throw UsageError(kExportUsage);
    }
    if (format.empty() || source.empty() || output.empty()) throw UsageError(kExportUsage);
    ListExportModel dialog(env.ctx);
    if (source.starts_with("dir:")) {
        const std::string list = writeDirList(env, source.substr(4));
        if (list.empty()) return 1;
        dialog.setDirListFile(list);
    }
    dialog.open();
    dialog.setFormat(formatByName(format));
    // The stored choice stays unless the command asks for UTF-8.
    if (utf8Names) dialog.opts().UTF8Names = true;
    if (source == "work")
        dialog.setSource(kSourceWorkList);
    else if (source == "finds")
        dialog.setSource(kSourceFinds);
    else if (source == "db")
        dialog.setSource(kSourceDatabase);
    else if (!source.starts_with("dir:"))
        throw UsageError(kExportUsage);
    if (!templateName.empty() && !dialog.chooseTemplateByName(templateName)) {
        env.host.message(MsgKind::Error, MsgButtons::Ok, "XML-Vorlage nicht gefunden: " + templateName);
        return 1;
    }
    if (!dialog.exportTo(output)) return 1;
    env.print(std::to_string(dialog.lastOutcome().count) + " Datens\xE4tze geschrieben.");
    return dialog.lastOutcome().error == 0 ? 0 : 1;
}

int runMapViewCommand(CliEnv& env, const Args& args) {
    std::string source;
    int size = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--source")
            source = valueOf(args, i, kMapViewUsage);
        else if (a == "--size") {
            const std::string v = valueOf(args, i, kMapViewUsage);
            if (v.size() != 1 || v[0] < '0' || v[0] > '2') throw UsageError(kMapViewUsage);
            size = v[0] - '0';
        } else {
            throw UsageError(kMapViewUsage);
        }
    }
    MapViewModel dialog(env.ctx);
    if (source == "work")
        dialog.source = kMapSourceWorkList;
    else if (source == "finds")
        dialog.source = kMapSourceFinds;
    else if (source.starts_with("dir:")) {
        if (writeDirList(env, source.substr(4)).empty()) return 1;
        dialog.source = kMapSourceDirectory;
    } else {
        throw UsageError(kMapViewUsage);
    }
    dialog.sizeChoice = size;
    dialog.open();
    const int shown = showCaches(env.ctx, dialog.source, dialog.sizeChoice);
    dialog.close();
    if (shown < 0) return 1;
    env.print(std::to_string(shown) + " Caches");
    return 0;
}

}  // namespace vellora
