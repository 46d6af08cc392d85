// suitcase export / import: the suitcase dialog without its window. Options not given on the
// command line are those the dialog loads; the command does not store them.
#include <string>
#include <string_view>

#include "cli/Commands.h"
#include "core/FileProcs.h"
#include "listing/CreateDescr.h"
#include "suitcase/Suitcase.h"

namespace vellora {
namespace {

int choice(const char* option, const std::string& value, int max) {
    if (value.size() != 1 || value[0] < '0' || value[0] > '0' + max)
        throw UsageError(std::string(option) + " " + value + ": 0 bis " + std::to_string(max) + " erwartet");
    return value[0] - '0';
}

void setSections(SuitcaseOptions& o, std::string_view list) {
    o.ExpCacheDB = o.ExpWorklist = o.ExpFinds = o.ExpIgnore = o.ExpNotes = o.ExpDescr = false;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view word = list.substr(0, comma);
        if (word == "db")
            o.ExpCacheDB = true;
        else if (word == "worklist")
            o.ExpWorklist = true;
        else if (word == "finds")
            o.ExpFinds = true;
        else if (word == "ignore")
            o.ExpIgnore = true;
        else if (word == "notes")
            o.ExpNotes = true;
        else if (word == "descr")
            o.ExpDescr = true;
        else if (!word.empty())
            throw UsageError("--sections: unbekannter Abschnitt " + std::string(word));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
}

int exportTo(CliEnv& env, TfrmSuitcase& dialog, const CliCall& call) {
    const auto sections = call.value("--sections");
    const bool subdirs = call.has("--subdirs");
    if (sections) setSections(dialog.opts, *sections);
    if (sections || subdirs)
        dialog.opts.ExpDescrSubdir = subdirs || (!sections && dialog.opts.ExpDescrSubdir);
    const bool ok = dialog.exportTo(call.argument(0));
    for (const auto& line : splitListLines(dialog.exportSummary())) env.print(line);
    return ok ? 0 : 1;
}

int importFrom(CliEnv& env, TfrmSuitcase& dialog, const CliCall& call) {
    SuitcaseOptions& o = dialog.opts;
    if (const auto v = call.value("--db")) {
        if (*v != "update" && *v != "keep") throw UsageError("--db " + *v + ": update oder keep erwartet");
        o.ImpDB = *v == "update" ? 0 : 1;
    }
    if (const auto v = call.value("--finds")) o.DoubleFinds = choice("--finds", *v, 2);
    if (const auto v = call.value("--notes")) {
        o.DoubleNotes = choice("--notes", *v, 3);
        if (o.DoubleNotes == 2) throw UsageError("--notes 2: nur im Fenster");
    }
    if (const auto v = call.value("--descr")) o.DoubleCache = choice("--descr", *v, 2);
    if (call.has("--no-worklist-adjust")) o.InsertWorkList = false;
    const bool summary = call.has("--summary");
    const bool generate = !call.has("--no-generate");
    // Editing a combined note needs a window; on the console both notes are kept side by side.
    if (o.DoubleNotes == 2) o.DoubleNotes = 1;
    o.ShowCacheSummary = summary;
    dialog.showSummary = [&env](const std::string& heading, const std::vector<std::string>& lines) {
        env.print(heading);
        for (const auto& line : lines) env.print(line);
    };
    if (!dialog.loadFrom(call.argument(0))) return 1;
    for (int s = 0; s < kSuitcaseSectionCount; ++s) {
        for (const auto& line : dialog.sectionTexts(static_cast<SuitcaseSection>(s))) env.print(line);
    }
    dialog.btnCommitClick();
    for (const auto& line : splitListLines(dialog.report())) env.print(line);
    if (dialog.descriptionError()) return 1;
    if (generate && dialog.generatorRequested()) {
        TCreateDescr generator(env.ctx);
        generator.choice = 1;
        generator.open();
        generator.btnStartClick();
        generator.close();  // a run that ended closed the dialog already
        env.print("Konvertiert: " + std::to_string(generator.convertedCount()));
    }
    return 0;
}

// The dialog opened with its stored options, which the command does not store back.
int withDialog(CliEnv& env, const CliCall& call, int (*run)(CliEnv&, TfrmSuitcase&, const CliCall&)) {
    TfrmSuitcase dialog(env.ctx);
    dialog.open();
    dialog.saveSettings = false;
    int code = 0;
    try {
        code = run(env, dialog, call);
    } catch (...) {
        dialog.close();
        throw;
    }
    dialog.close();
    return code;
}

int runExport(CliEnv& env, const CliCall& call) {
    return withDialog(env, call, exportTo);
}

int runImport(CliEnv& env, const CliCall& call) {
    return withDialog(env, call, importFrom);
}

}  // namespace

std::vector<CliCommand> suitcaseCommands() {
    const auto choice = [](std::string_view name, std::string_view values, std::string_view help) {
        return CliOption{.name = name, .kind = OptionKind::Value, .valueName = values, .help = help};
    };
    return {
        {.words = "suitcase export",
         .arguments = {{"FILE"}},
         .options = {choice("--sections", "db,worklist,finds,ignore,notes,descr", "nur diese Abschnitte"),
                     {.name = "--subdirs", .help = "die Beschreibungen mit ihren Unterverzeichnissen"}},
         .summary = "Schreibt einen Aktenkoffer f\xFCr den Datenabgleich mit einem anderen PC.",
         .run = runExport},
        {.words = "suitcase import",
         .arguments = {{"FILE"}},
         .options = {choice("--db", "update|keep", "vorhandene Caches der Datenbank erneuern oder behalten"),
                     choice("--finds", "0|1|2",
                            "doppelte Funde: 0 aus dem Koffer, 1 der sp\xE4tere, 2 der eigene"),
                     choice("--notes", "0|1|3", "doppelte Notizen: 0 aus dem Koffer, 1 beide, 3 die eigene"),
                     choice("--descr", "0|1|2",
                            "doppelte Beschreibungen: 0 ersetzen, 1 ersetzen, wenn neuer, 2 die eigene"),
                     {.name = "--no-worklist-adjust", .help = "die Arbeitsliste nicht anpassen"},
                     {.name = "--summary", .help = "eine Zusammenfassung je Cache zeigen"},
                     {.name = "--no-generate", .help = "die Beschreibungen danach nicht erzeugen"}},
         .summary = "Liest einen Aktenkoffer und gleicht seine Daten mit denen dieses PCs ab.",
         .run = runImport},
    };
}

}  // namespace vellora
