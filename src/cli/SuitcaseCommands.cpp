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

constexpr const char* kUsage =
    "suitcase export FILE [--sections db,worklist,finds,ignore,notes,descr] [--subdirs] | "
    "suitcase import FILE [--db update|keep] [--finds 0|1|2] [--notes 0|1|3] [--descr 0|1|2] "
    "[--no-worklist-adjust] [--summary] [--no-generate]";

int choice(const std::string& value, int max) {
    if (value.size() != 1 || value[0] < '0' || value[0] > '0' + max) throw UsageError(kUsage);
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
            throw UsageError(kUsage);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
}

int runExport(CliEnv& env, TfrmSuitcase& dialog, const Args& args) {
    bool sections = false, subdirs = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--sections" && i + 1 < args.size()) {
            setSections(dialog.opts, args[++i]);
            sections = true;
        } else if (args[i] == "--subdirs") {
            subdirs = true;
        } else {
            throw UsageError(kUsage);
        }
    }
    if (sections || subdirs)
        dialog.opts.ExpDescrSubdir = subdirs || (!sections && dialog.opts.ExpDescrSubdir);
    const bool ok = dialog.exportTo(args[1]);
    for (const auto& line : splitListLines(dialog.exportSummary())) env.print(line);
    return ok ? 0 : 1;
}

int runImport(CliEnv& env, TfrmSuitcase& dialog, const Args& args) {
    SuitcaseOptions& o = dialog.opts;
    bool summary = false, generate = true;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--db" && hasValue) {
            const std::string& v = args[++i];
            if (v != "update" && v != "keep") throw UsageError(kUsage);
            o.ImpDB = v == "update" ? 0 : 1;
        } else if (a == "--finds" && hasValue) {
            o.DoubleFinds = choice(args[++i], 2);
        } else if (a == "--notes" && hasValue) {
            o.DoubleNotes = choice(args[++i], 3);
            if (o.DoubleNotes == 2) throw UsageError(kUsage);
        } else if (a == "--descr" && hasValue) {
            o.DoubleCache = choice(args[++i], 2);
        } else if (a == "--no-worklist-adjust") {
            o.InsertWorkList = false;
        } else if (a == "--summary") {
            summary = true;
        } else if (a == "--no-generate") {
            generate = false;
        } else {
            throw UsageError(kUsage);
        }
    }
    // Editing a combined note needs a window; on the console both notes are kept side by side.
    if (o.DoubleNotes == 2) o.DoubleNotes = 1;
    o.ShowCacheSummary = summary;
    dialog.showSummary = [&env](const std::string& heading, const std::vector<std::string>& lines) {
        env.print(heading);
        for (const auto& line : lines) env.print(line);
    };
    if (!dialog.loadFrom(args[1])) return 1;
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

}  // namespace

int runSuitcaseCommand(CliEnv& env, const Args& args) {
    if (args.size() < 2) throw UsageError(kUsage);
    TfrmSuitcase dialog(env.ctx);
    dialog.open();
    dialog.saveSettings = false;
    int code = 0;
    try {
        if (args[0] == "export")
            code = runExport(env, dialog, args);
        else if (args[0] == "import")
            code = runImport(env, dialog, args);
        else
            throw UsageError(kUsage);
    } catch (...) {
        dialog.close();
        throw;
    }
    dialog.close();
    return code;
}

}  // namespace vellora
