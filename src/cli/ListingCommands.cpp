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

constexpr const char* kExtractUsage = "extract FILE";
constexpr const char* kGenerateUsage = "generate [--outdir]";

void printLines(const CliEnv& env, std::string_view text) {
    for (const auto& line : splitListLines(text)) env.print(line);
}

}  // namespace

int runExtractCommand(CliEnv& env, const Args& args) {
    requireArgs(args, 1, 1, kExtractUsage);
    if (args[0].empty()) throw UsageError(kExtractUsage);
    const auto raw = readFile(args[0]);
    if (!raw) throw std::runtime_error("Kann Datei " + args[0] + " nicht lesen.");
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

int runGenerateCommand(CliEnv& env, const Args& args) {
    requireArgs(args, 0, 1, kGenerateUsage);
    if (args.size() == 1 && args[0] != "--outdir") throw UsageError(kGenerateUsage);
    TCreateDescr dialog(env.ctx);
    dialog.choice = args.empty() ? 0 : 1;
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

}  // namespace vellora
