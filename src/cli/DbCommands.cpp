#include "cli/Commands.h"

namespace vellora {

int runDbCommand(CliEnv&, const Args&) { throw UsageError("not available yet"); }

}  // namespace vellora
