#include <string>

#include "cli/Commands.h"
#include "core/StrUnit.h"

namespace vellora {
namespace {

int runRot13(CliEnv& env, const CliCall& call) {
    std::string text = call.text();
    rot13Text(text);
    env.print(text);
    return 0;
}

}  // namespace

std::vector<CliCommand> rot13Commands() {
    return {
        {.words = "rot13",
         .arguments = {{"TEXT", ArgCount::Text}},
         .summary = "Ver- oder entschl\xFCsselt einen Text mit ROT13 (auch in mehreren W\xF6rtern).",
         .run = runRot13,
         .readOnly = true},
    };
}

}  // namespace vellora
