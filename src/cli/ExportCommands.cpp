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

int formatByName(const std::string& name) {
    static constexpr std::pair<const char*, int> kNames[] = {
        {"ovl", kFormatOverlay},       {"loc", kFormatLoc}, {"csv", kFormatCsv},
        {"realmaps", kFormatRealMaps}, {"ozi", kFormatOzi}, {"gpx", kFormatGpx},
        {"xml", kFormatXmlTemplate},
    };
    for (const auto& [n, f] : kNames) {
        if (name == n) return f;
    }
    throw UsageError("--format " + name + ": unbekanntes Format");
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

int runDbCsv(CliEnv& env, const CliCall& call) {
    const std::string& file = call.argument(0);
    DbCsvExportModel dialog(env.ctx);
    dialog.open();
    dialog.exportTo(file);
    return fileExists(file) ? 0 : 1;
}

int runExport(CliEnv& env, const CliCall& call) {
    const std::string format = *call.value("--format");
    const std::string templateName = call.value("--template").value_or("");
    const std::string source = *call.value("--source");
    const std::string output = *call.value("-o");
    if (format.empty() || source.empty() || output.empty()) throw UsageError("leerer Wert");
    const bool utf8Names = call.has("--utf8-names");
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
        throw UsageError("--source " + source + ": unbekannte Quelle");
    if (!templateName.empty() && !dialog.chooseTemplateByName(templateName)) {
        env.host.message(MsgKind::Error, MsgButtons::Ok, "XML-Vorlage nicht gefunden: " + templateName);
        return 1;
    }
    if (!dialog.exportTo(output)) return 1;
    env.print(std::to_string(dialog.lastOutcome().count) + " Datens\xE4tze geschrieben.");
    return dialog.lastOutcome().error == 0 ? 0 : 1;
}

int runMapView(CliEnv& env, const CliCall& call) {
    const std::string source = *call.value("--source");
    int size = 0;
    if (const auto v = call.value("--size")) {
        if (v->size() != 1 || (*v)[0] < '0' || (*v)[0] > '2')
            throw UsageError("--size " + *v + ": 0, 1 oder 2");
        size = (*v)[0] - '0';
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
        throw UsageError("--source " + source + ": unbekannte Quelle");
    }
    dialog.sizeChoice = size;
    dialog.open();
    const int shown = showCaches(env.ctx, dialog.source, dialog.sizeChoice);
    dialog.close();
    if (shown < 0) return 1;
    env.print(std::to_string(shown) + " Caches");
    return 0;
}

}  // namespace

std::vector<CliCommand> exportCommands() {
    return {
        {.words = "export",
         .options =
             {{.name = "--format",
               .kind = OptionKind::Value,
               .valueName = "gpx|loc|csv|ovl|realmaps|ozi|xml",
               .help = "das Format der Datei",
               .required = true},
              {.name = "--template",
               .kind = OptionKind::Value,
               .valueName = "NAME",
               .help = "die XML-Vorlage (Format xml)"},
              {.name = "--utf8-names",
               .kind = OptionKind::Switch,
               .help = "Namen in UTF-8 (f\xFCr aktuelle GPS-Ger\xE4te), Formate gpx und loc"},
              {.name = "--source",
               .kind = OptionKind::Value,
               .valueName = "work|finds|db|dir:PATH",
               .help =
                   "Arbeitsliste, Fundliste, Cache-Datenbank oder die Beschreibungen eines Verzeichnisses",
               .required = true},
              {.name = "-o",
               .kind = OptionKind::Value,
               .valueName = "FILE",
               .help = "die Datei, die geschrieben wird",
               .required = true,
               .alias = "--output"}},
         .summary = "Schreibt eine Liste von Caches in eine Datei f\xFCr GPS-Ger\xE4te und Karten.",
         .run = runExport},
        {.words = "export db-csv",
         .arguments = {{"FILE"}},
         .summary = "Schreibt die ganze Cache-Datenbank als CSV-Datei.",
         .run = runDbCsv},
        {.words = "mapview",
         .options = {{.name = "--source",
                      .kind = OptionKind::Value,
                      .valueName = "work|finds|dir:PATH",
                      .help = "Arbeitsliste, Fundliste oder die Beschreibungen eines Verzeichnisses",
                      .required = true},
                     {.name = "--size",
                      .kind = OptionKind::Value,
                      .valueName = "0|1|2",
                      .help = "die Gr\xF6\xDF"
                              "e der Karte"}},
         .summary = "Zeigt Caches auf einer Karte im Browser.",
         .run = runMapView},
    };
}

}  // namespace vellora
