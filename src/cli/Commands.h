#pragma once
// The command groups of vellora-cli. Each takes the words after its own name.
#include "cli/CliEnv.h"

namespace vellora {

int runInitCommand(CliEnv& env, const Args& args);
int runConfigCommand(CliEnv& env, const Args& args);
int runDbCommand(CliEnv& env, const Args& args);
// db download / convert / from-listings (filling the database), reached through runDbCommand.
int runDbImportCommand(CliEnv& env, const Args& args);
int runGeoCommand(CliEnv& env, const Args& args);
int runNotesCommand(CliEnv& env, const Args& args);
int runRot13Command(CliEnv& env, const Args& args);
int runZipCommand(CliEnv& env, const Args& args);
int runExtractCommand(CliEnv& env, const Args& args);
int runGenerateCommand(CliEnv& env, const Args& args);
int runIndexCommand(CliEnv& env, const Args& args);
int runEditLongCommand(CliEnv& env, const Args& args);
int runLoadCommand(CliEnv& env, const Args& args);
int runArchiveCommand(CliEnv& env, const Args& args);
int runUpdateCheckCommand(CliEnv& env, const Args& args);
int runFindsCommand(CliEnv& env, const Args& args);
int runExportCommand(CliEnv& env, const Args& args);
int runMapViewCommand(CliEnv& env, const Args& args);
int runGpxCommand(CliEnv& env, const Args& args);
int runDropCommand(CliEnv& env, const Args& args);
// worklist ... and namesearch TEXT (WorkListCommands.cpp).
int runWorkListCommand(CliEnv& env, const Args& args);
int runNameSearchCommand(CliEnv& env, const Args& args);
int runSuitcaseCommand(CliEnv& env, const Args& args);
int runRouteCommand(CliEnv& env, const Args& args);
int runCalcCommand(CliEnv& env, const Args& args);
int runUtmCommand(CliEnv& env, const Args& args);

}  // namespace vellora
