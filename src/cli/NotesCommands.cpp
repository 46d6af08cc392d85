#include <string_view>

#include "cli/Commands.h"
#include "core/PersInfo.h"

namespace vellora {

namespace {

constexpr const char* kNotesUsage = "notes get WAYPOINT | notes set WAYPOINT | notes erase WAYPOINT";

}  // namespace

int runNotesCommand(CliEnv& env, const Args& args) {
    requireArgs(args, 2, 2, kNotesUsage);
    const std::string_view verb = args[0];
    // The waypoint names an INI section: brackets or line breaks would break the file's structure.
    const std::string waypoint = waypointArgument(args[1], kNotesUsage);
    if (verb == "get") {
        if (!HasNote(env.ctx, waypoint)) return 1;
        for (const auto& line : ReadNote(env.ctx, waypoint)) env.print(line);
        return 0;
    }
    if (verb == "set") {
        WriteNote(env.ctx, waypoint, env.readInputLines());
        return 0;
    }
    if (verb == "erase") {
        EraseNote(env.ctx, waypoint);
        return 0;
    }
    throw UsageError(kNotesUsage);
}

}  // namespace vellora
