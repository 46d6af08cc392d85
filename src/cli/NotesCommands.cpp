#include "cli/Commands.h"

namespace vellora {

int runNotesCommand(CliEnv&, const Args&) { throw UsageError("not available yet"); }

}  // namespace vellora
