#pragma once
// What a command of vellora-cli gets: the run context, the console host and the streams.
// Arguments arrive converted to Windows-1252; print() converts back to UTF-8.
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/ConsoleHost.h"
#include "core/RunContext.h"

namespace vellora {

// A command line the command refuses (a value it cannot take): the tool prints the command with
// the reason and the command's usage line, and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliEnv {
    RunContext& ctx;
    ConsoleHost& host;
    std::istream& in;
    std::ostream& out;

    void print(std::string_view cp1252Line) const;
    // Standard input as lines (LF or CR LF), converted to Windows-1252.
    std::vector<std::string> readInputLines() const;
};

// The upper-cased waypoint of an argument; a UsageError with the waypoint rule's reason when the
// rule refuses it.
std::string waypointArgument(std::string_view arg);

}  // namespace vellora
