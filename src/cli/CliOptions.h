#pragma once
// One table row per vellora-cli command: its words, arguments and options. The same row parses
// the command line, gives the usage line shown with an error, and the command's part of "help".
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellora {

struct CliEnv;
class CliCall;
struct CliParse;

enum class ArgCount {
    One,
    Optional,
    OneOrMore,  // shown as "NAME..."
    Text,       // one or more words taken as one text, shown as "NAME"
};

struct CliArgument {
    std::string_view name = {};
    ArgCount count = ArgCount::One;
};

enum class OptionKind { Switch, Value };

struct CliOption {
    std::string_view name = {};  // "--radius"
    OptionKind kind = OptionKind::Switch;
    std::string_view valueName = {};  // "KM" for a value option
    std::string_view help = {};       // one line
    bool required = false;
    std::string_view alias = {};       // another spelling ("-o" for "--output")
    std::string_view pairedWith = {};  // given only together with this option, shown in one bracket
};

struct CliCommand {
    std::string_view words = {};  // "db list"
    std::vector<CliArgument> arguments = {};
    std::vector<CliOption> options = {};
    std::string_view summary = {};  // one line
    int (*run)(CliEnv&, const CliCall&) = nullptr;
    // Only reads: the configuration is started without being written.
    bool readOnly = false;
};

// A command line taken apart by its command's row: the arguments in their order and the options
// given (a repeated option keeps its last value).
class CliCall {
public:
    explicit CliCall(const CliCommand& command) : command_(&command) {}

    const CliCommand& command() const { return *command_; }
    const std::vector<std::string>& arguments() const { return arguments_; }
    const std::string& argument(std::size_t i) const { return arguments_.at(i); }
    // The arguments joined by single blanks (an argument of kind Text).
    std::string text() const;
    bool has(std::string_view option) const;
    std::optional<std::string> value(std::string_view option) const;

private:
    friend CliParse parseCommandLine(const CliCommand&, const std::vector<std::string>&);
    const CliCommand* command_;
    std::vector<std::string> arguments_;
    std::vector<std::pair<std::string, std::string>> options_;  // by the option's name
};

struct CliParse {
    std::optional<CliCall> call;
    std::string problem;  // when there is no call: what is wrong, in German
};

// The words after the command's own words: options anywhere ("--name VALUE" or "--name=VALUE"),
// the rest are arguments.
CliParse parseCommandLine(const CliCommand& command, const std::vector<std::string>& words);

// "db list [--fields F,...] [--near LAT,LON --radius KM]"
std::string usageLine(const CliCommand& command);
// The usage line, the summary and one line per option, for "help".
std::string helpText(const CliCommand& command);

}  // namespace vellora
