#include <string>

#include "cli/Commands.h"
#include "core/StrUnit.h"

namespace vellora {

int runRot13Command(CliEnv& env, const Args& args) {
    if (args.empty()) throw UsageError("rot13 TEXT");
    std::string text = args.front();
    for (std::size_t i = 1; i < args.size(); ++i) text += ' ' + args[i];
    rot13Text(text);
    env.print(text);
    return 0;
}

}  // namespace vellora
