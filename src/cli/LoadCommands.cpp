// load [--maps-only]: one run of the listing loader over the work list with the options the window
// would load. The protocol lines go to standard output as they come, then the statistics; messages
// go through the console host.
#include <string>

#include "cli/Commands.h"
#include "listing/LoadHTML.h"

namespace vellora {

namespace {

int runLoad(CliEnv& env, const CliCall& call) {
    const bool mapsOnly = call.has("--maps-only");

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

}  // namespace

std::vector<CliCommand> loadCommands() {
    return {
        {.words = "load",
         .options = {{.name = "--maps-only", .help = "nur die Karten laden, nicht die Beschreibungen"}},
         .summary = "L\xE4"
                    "dt die Cachebeschreibungen der Arbeitsliste aus dem Internet.",
         .run = runLoad},
    };
}

}  // namespace vellora
