#include "cli/Commands.h"
#include "core/PersInfo.h"

namespace vellora {
namespace {

// The waypoint names an INI section: brackets or line breaks would break the file's structure.
std::string noteWaypoint(const CliCall& call) {
    return waypointArgument(call.argument(0));
}

int runGet(CliEnv& env, const CliCall& call) {
    const std::string waypoint = noteWaypoint(call);
    if (!HasNote(env.ctx, waypoint)) return 1;
    for (const auto& line : ReadNote(env.ctx, waypoint)) env.print(line);
    return 0;
}

int runSet(CliEnv& env, const CliCall& call) {
    WriteNote(env.ctx, noteWaypoint(call), env.readInputLines());
    return 0;
}

int runErase(CliEnv& env, const CliCall& call) {
    EraseNote(env.ctx, noteWaypoint(call));
    return 0;
}

}  // namespace

std::vector<CliCommand> notesCommands() {
    return {
        {.words = "notes get",
         .arguments = {{"WAYPOINT"}},
         .summary = "Gibt die eigene Notiz zu einem Cache aus (Ende 1, wenn es keine gibt).",
         .run = runGet,
         .readOnly = true},
        {.words = "notes set",
         .arguments = {{"WAYPOINT"}},
         .summary = "Ersetzt die Notiz zu einem Cache durch die Zeilen der Standardeingabe.",
         .run = runSet},
        {.words = "notes erase",
         .arguments = {{"WAYPOINT"}},
         .summary = "L\xF6scht die Notiz zu einem Cache.",
         .run = runErase},
    };
}

}  // namespace vellora
