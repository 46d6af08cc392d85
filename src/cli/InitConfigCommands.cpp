#include "cli/Commands.h"
#include "core/Settings.h"
#include "shell/Startup.h"

namespace vellora {

int runInitCommand(CliEnv& env, const Args& args) {
    requireArgs(args, 0, 0, "init");
    // A home made here is used like one the desktop program's first start made.
    if (!env.ctx.configExisted) {
        proposeFirstStartSwitches(env.ctx.settings);
        saveSettings(env.ctx);
    }
    env.print(env.ctx.programDir());
    return 0;
}

int runConfigCommand(CliEnv& env, const Args& args) {
    constexpr const char* usage = "config get SECTION KEY | config set SECTION KEY VALUE";
    if (args.empty()) throw UsageError(usage);
    IniFile& ini = env.ctx.programConf();
    if (args[0] == "get") {
        requireArgs(args, 3, 3, usage);
        if (!ini.valueExists(args[1], args[2])) return 1;
        env.print(ini.readString(args[1], args[2], ""));
        return 0;
    }
    if (args[0] == "set") {
        requireArgs(args, 4, 4, usage);
        ini.writeString(args[1], args[2], args[3]);
        return 0;
    }
    throw UsageError(usage);
}

}  // namespace vellora
