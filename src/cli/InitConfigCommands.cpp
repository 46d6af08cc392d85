#include "cli/Commands.h"
#include "core/Settings.h"
#include "shell/Startup.h"

namespace vellora {
namespace {

int runInit(CliEnv& env, const CliCall&) {
    // A home made here is used like one the desktop program's first start made.
    if (!env.ctx.configExisted) {
        proposeFirstStartSwitches(env.ctx.settings);
        saveSettings(env.ctx);
    }
    env.print(env.ctx.programDir());
    return 0;
}

int runConfigGet(CliEnv& env, const CliCall& call) {
    IniFile& ini = env.ctx.programConf();
    if (!ini.valueExists(call.argument(0), call.argument(1))) return 1;
    env.print(ini.readString(call.argument(0), call.argument(1), ""));
    return 0;
}

int runConfigSet(CliEnv& env, const CliCall& call) {
    env.ctx.programConf().writeString(call.argument(0), call.argument(1), call.argument(2));
    return 0;
}

}  // namespace

std::vector<CliCommand> initConfigCommands() {
    return {
        {.words = "init",
         .summary =
             "Legt das Home an, wie es der erste Start des Programms anlegt, und nennt sein Verzeichnis.",
         .run = runInit},
        {.words = "config get",
         .arguments = {{"SECTION"}, {"KEY"}},
         .summary = "Gibt einen Wert der Programmeinstellungen aus (Ende 1, wenn es ihn nicht gibt).",
         .run = runConfigGet,
         .readOnly = true},
        {.words = "config set",
         .arguments = {{"SECTION"}, {"KEY"}, {"VALUE"}},
         .summary = "Schreibt einen Wert in die Programmeinstellungen.",
         .run = runConfigSet},
    };
}

}  // namespace vellora
