// load [--maps-only]: one run of the listing loader over the work list with the options the window
// would load. The protocol lines go to standard output as they come, then the statistics; messages
// go through the console host.
#include <string>

#include "cli/Commands.h"
#include "listing/LoadHTML.h"

namespace vellora {

namespace {
constexpr const char* kLoadUsage = "load [--maps-only]";
}  // namespace

int runLoadCommand(CliEnv& env, const Args& args) {
    requireArgs(args, 0, 1, kLoadUsage);
    if (args.size() == 1 && args[0] != "--maps-only") throw UsageError(kLoadUsage);
    const bool mapsOnly = args.size() == 1;

    TfrmLoadHTML window(env.ctx);
    window.onProtocolLine = [&env](const std::string& line) { env.print(line); };
    window.open();
    env.print(window.headline());
    if (window.closeRequested()) {
        window.close();
        return 1;
    }
    if (mapsOnly)
        window.btnLoadMapsOnlyClick();
    else
        window.btnLoadClick();
    window.close();
    for (const std::string& line : statisticsLines(window.statistics())) env.print(line);
    return window.errorFlag() || window.aborted() ? 1 : 0;
}

}  // namespace vellora
