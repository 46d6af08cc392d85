// db download / convert / from-listings: filling the cache database from country databases and
// from saved listing pages. Messages go through the console host; the protocol lines and a
// summary per converted file go to standard output.
#include <string>
#include <string_view>

#include "cli/Commands.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "import/DbFromListings.h"
#include "import/GCDBReader.h"
#include "net/LoadURL.h"
#include "shell/MainWindow.h"

namespace vellora {
namespace {

// The download window on the console: its protocol lines are printed.
class ConsoleLoadWindow : public TCacheDBLoadWindow, public TLoadWindowView {
public:
    explicit ConsoleLoadWindow(CliEnv& env) : env_(env) {}
    void open(const std::string& task, const std::string&, bool) override { env_.print(task); }
    void close() override {}
    TLoadWindowView& view() override { return *this; }
    void showProtocol() override {}
    void addProtocolLine(const std::string& line) override { env_.print(line); }
    void setSubTask(const std::string& text) override {
        if (!text.empty()) env_.print(text);
    }
    void showStatistics() override {}

private:
    CliEnv& env_;
};

struct ImportRun {
    explicit ImportRun(CliEnv& console) : env(console), window(console) {}

    TCacheDBCommandHooks hooks() {
        TCacheDBCommandHooks h;
        h.loadWindow = &window;
        h.showCacheDetails = [this](const TCacheRec& rec) {
            env.print(rec.Waypoint + " " + rec.CacheName);
            env.print(
                FormatLatLon(rec.Lat, rec.Lon) + " " +
                DistanceCompassText(env.ctx.settings.HomeLat, env.ctx.settings.HomeLong, rec.Lat, rec.Lon));
        };
        h.converted = [this](const std::string& fileName, const TfrmGCDBReader& reader) {
            const int r = reader.lastResult();
            if (r < 0) {
                failed = true;
                return;
            }
            const TConvertCounters& c = reader.counters();
            env.print(fileName + ": " + std::to_string(c.converted) + " konvertiert, " +
                      std::to_string(c.incomplete) + " unvollst\xE4ndig, " + std::to_string(c.malformed) +
                      " fehlerhaft, " + std::to_string(c.newRecords) + " neu");
            ++conversions;
        };
        return h;
    }

    CliEnv& env;
    ConsoleLoadWindow window;
    int conversions = 0;
    bool failed = false;
};

bool anyAdditionalSelected(const RunContext& ctx) {
    for (int n = 1; n <= ctx.countries.count() && n <= CountryTable::kMaxEntries; ++n) {
        if (ctx.settings.UseCacheDB[static_cast<std::size_t>(n - 1)] == 1 && n != ctx.settings.CacheDBPrimary)
            return true;
    }
    return false;
}

int noAdditional(CliEnv& env) {
    env.host.message(
        MsgKind::Error, MsgButtons::Ok,
        "Es sind keine weiteren Cache-DBs ausgew\xE4hlt (Datei / Grundeinstellungen / Cache-Datenbank).");
    return 1;
}

// The download's and the merge's temporary files ("Caches.bin.tmp", "db.tmp", "db.tmp.zip"): the
// desktop program removes them when it ends, a console run when its command ends.
class DatabaseTempRemoval {
public:
    explicit DatabaseTempRemoval(const RunContext& ctx) : dir_(ctx.workDirPath()) {}
    ~DatabaseTempRemoval() {
        for (const char* name : kTemporaryFiles)
            if (std::string_view(name) != "tmpdescr.html") removeFile(dir_ + name);
    }
    DatabaseTempRemoval(const DatabaseTempRemoval&) = delete;
    DatabaseTempRemoval& operator=(const DatabaseTempRemoval&) = delete;

private:
    std::string dir_;
};

int runDownload(CliEnv& env, const CliCall& call) {
    const DatabaseTempRemoval removal(env.ctx);
    ImportRun run(env);
    TCacheDBCommands commands(env.ctx, run.hooks());
    if (call.has("--additional")) {
        if (!anyAdditionalSelected(env.ctx)) return noAdditional(env);
        const int fetched = commands.mnuReadAdditionalCacheDBsClick();
        return fetched > 0 && run.conversions > 0 && !run.failed ? 0 : 1;
    }
    const bool ok = commands.mnuReadCacheDBClick();
    return ok && run.conversions > 0 && !run.failed ? 0 : 1;
}

int runConvert(CliEnv& env, const CliCall& call) {
    const DatabaseTempRemoval removal(env.ctx);
    ImportRun run(env);
    TCacheDBCommands commands(env.ctx, run.hooks());
    if (call.has("--additional")) {
        if (!anyAdditionalSelected(env.ctx)) return noAdditional(env);
        commands.convertAdditionalCacheDBsClick();
        return run.conversions > 0 && !run.failed ? 0 : 1;
    }
    const bool hadPrimary = env.ctx.settings.CacheDBPrimary != 0;
    commands.lokaleCacheDBkonvertieren1Click();
    // The program keeps the primary entry it chose with the settings it saves at its end.
    if (!hadPrimary && env.ctx.settings.CacheDBPrimary != 0) saveSettings(env.ctx);
    return run.conversions > 0 && !run.failed ? 0 : 1;
}

int runFromListings(CliEnv& env, const CliCall& call) {
    TfrmDbFromListings dialog(env.ctx);
    if (call.has("--update")) dialog.existing = TfrmDbFromListings::Existing::Update;
    if (call.has("--no-worklist")) dialog.addToWorkList = false;
    if (!call.arguments().empty()) {
        dialog.directory = TfrmDbFromListings::Directory::Other;
        dialog.otherDirectory = call.argument(0);
    }
    dialog.btnStartClick();
    for (const std::string& line : dialog.protocol()) env.print(line);
    // A run that got to its end is the one that leaves "Schließen" as the only button.
    return dialog.closeEnabled() && !dialog.startEnabled() ? 0 : 1;
}

}  // namespace

std::vector<CliCommand> dbImportCommands() {
    const CliOption additional{.name = "--additional",
                               .help = "die weiteren ausgew\xE4hlten Cache-DBs statt der prim\xE4ren"};
    return {
        {.words = "db download",
         .options = {additional},
         .summary = "L\xE4"
                    "dt die prim\xE4re Cache-DB (oder die weiteren) und konvertiert sie.",
         .run = runDownload},
        {.words = "db convert",
         .options = {additional},
         .summary = "Konvertiert die schon geladene prim\xE4re Cache-DB (oder die weiteren).",
         .run = runConvert},
        {.words = "db from-listings",
         .arguments = {{"DIR", ArgCount::Optional}},
         .options = {{.name = "--update", .help = "vorhandene Caches erneuern"},
                     {.name = "--no-worklist", .help = "die Caches nicht in die Arbeitsliste aufnehmen"}},
         .summary = "F\xFCllt die Datenbank aus gespeicherten Cachebeschreibungen (Vorgabe: das "
                    "Ausgabeverzeichnis).",
         .run = runFromListings},
    };
}

}  // namespace vellora
