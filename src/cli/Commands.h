#pragma once
// The commands of vellora-cli, each file's rows in the order "help" lists them.
#include <vector>

#include "cli/CliEnv.h"

namespace vellora {

std::vector<CliCommand> initConfigCommands();  // init, config
std::vector<CliCommand> dbCommands();          // db find ... db check
std::vector<CliCommand> dbImportCommands();    // db download, convert, from-listings
std::vector<CliCommand> geoCommands();         // geo
std::vector<CliCommand> notesCommands();       // notes
std::vector<CliCommand> rot13Commands();       // rot13
std::vector<CliCommand> zipCommands();         // zip
std::vector<CliCommand> listingCommands();     // extract, generate
std::vector<CliCommand> indexEditCommands();   // index, edit-long
std::vector<CliCommand> loadCommands();        // load
std::vector<CliCommand> netCommands();         // archive, update-check, finds
std::vector<CliCommand> exportCommands();      // export, mapview
std::vector<CliCommand> gpxCommands();         // gpx, drop
std::vector<CliCommand> workListCommands();    // worklist, namesearch
std::vector<CliCommand> suitcaseCommands();    // suitcase
std::vector<CliCommand> toolCommands();        // route, calc, utm
std::vector<CliCommand> bookletCommands();     // booklet

// Every command in "help" order.
const std::vector<CliCommand>& allCommands();

}  // namespace vellora
