#pragma once
// What a command of vellora-cli gets: the run context, the console host and the streams.
// Arguments arrive converted to Windows-1252; print() converts back to UTF-8.
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ConsoleHost.h"
#include "core/RunContext.h"

namespace vellora {

// Thrown for a malformed command line; the tool prints the usage and exits with 2.
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

using Args = std::vector<std::string>;

// The upper-cased waypoint of an argument; throws the waypoint rule's reason when it refuses it.
std::string waypointArgument(std::string_view arg);

// Throws UsageError unless args has between min and max entries.
void requireArgs(const Args& args, std::size_t min, std::size_t max, const char* usage);

}  // namespace vellora
