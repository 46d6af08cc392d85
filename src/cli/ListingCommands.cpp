#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/Commands.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "listing/CreateDescr.h"
#include "listing/Parse.h"

namespace vellora {

namespace {

void printLines(const CliEnv& env, std::string_view text) {
    for (const auto& line : splitListLines(text)) env.print(line);
}

int runExtract(CliEnv& env, const CliCall& call) {
    const std::string& file = call.argument(0);
    if (file.empty()) throw UsageError("FILE ist leer");
    const auto raw = readFile(file);
    if (!raw) throw std::runtime_error("Kann Datei " + file + " nicht lesen.");
    std::string page = joinPageLines(*raw);
    const std::string travelBugs = getTravelBugs(page);
    const std::string waypoints = getAdditionalWaypoints(page);

    const ListingSite site(env.ctx.services);
    LogCounters counters{};
    int accepted = 0;
    std::string id, content;
    SpanFieldReader fields(page);
    while (fields.next(id, content)) {
        if (!cleanField(id, content, site, counters)) continue;
        ++accepted;
        env.print("=== " + id);
        printLines(env, content);
    }
    env.print("=== LOGCOUNTERS");
    for (int c = 0; c < kLogCounterCount; ++c) {
        const auto k = static_cast<std::size_t>(c);
        env.print(std::string(kLogCounterNames[k]) + "=" + std::to_string(counters[k]));
    }
    env.print("=== TRAVELBUGS");
    printLines(env, travelBugs);
    env.print("=== ADDITIONALWAYPOINTS");
    printLines(env, waypoints);
    return accepted > 0 ? 0 : 1;
}

int runGenerate(CliEnv& env, const CliCall& call) {
    TCreateDescr dialog(env.ctx);
    dialog.choice = call.has("--outdir") ? 1 : 0;
    dialog.open();
    env.print(dialog.headline());
    if (dialog.cacheList().empty()) {
        dialog.close();
        return 1;
    }
    dialog.btnStartClick();
    dialog.close();
    env.print("Konvertiert: " + std::to_string(dialog.convertedCount()));
    env.print(
        "\xDC"
        "bersprungen: " +
        std::to_string(dialog.skippedCount()));
    return dialog.runFailed() ? 1 : 0;
}

}  // namespace

std::vector<CliCommand> listingCommands() {
    return {
        {.words = "extract",
         .arguments = {{"FILE"}},
         .summary = "Zeigt die Felder, die das Programm aus einer gespeicherten Cacheseite liest.",
         .run = runExtract,
         .readOnly = true},
        {.words = "generate",
         .options = {{.name = "--outdir",
                      .help = "die Caches des Ausgabeverzeichnisses statt der Arbeitsliste"}},
         .summary = "Erzeugt die Cachebeschreibungen der Arbeitsliste.",
         .run = runGenerate},
    };
}

}  // namespace vellora
