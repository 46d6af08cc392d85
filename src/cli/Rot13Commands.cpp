#include "cli/Commands.h"

namespace vellora {

int runRot13Command(CliEnv&, const Args&) { throw UsageError("not available yet"); }

}  // namespace vellora
