#include "cli/Commands.h"

namespace vellora {

int runGeoCommand(CliEnv&, const Args&) { throw UsageError("not available yet"); }

}  // namespace vellora
