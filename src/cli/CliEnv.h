#pragma once
// What a command of vellora-cli gets: the run context, the console host and the streams.
// Arguments arrive converted to Windows-1252; print() converts back to UTF-8.
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/ConsoleHost.h"
#include "core/RunContext.h"

namespace vellora {

// Thrown for a malformed command line; the tool prints the usage and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An argument the command refuses: the tool prints the reason before the usage and exits with 2.
class ArgumentError : public UsageError {
public:
    ArgumentError(std::string reason, const char* usage) : UsageError(usage), reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
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

// The upper-cased waypoint of an argument; an ArgumentError with the waypoint rule's reason when
// the rule refuses it.
std::string waypointArgument(std::string_view arg, const char* usage);

// Throws UsageError unless args has between min and max entries.
void requireArgs(const Args& args, std::size_t min, std::size_t max, const char* usage);

}  // namespace vellora
