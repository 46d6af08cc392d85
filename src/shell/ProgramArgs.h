#pragma once
// The desktop program's command line, read before the window system is touched, so that
// `vellora --help` and `vellora --version` work without a display.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vellora {

inline constexpr const char* kProgramUsage =
    "Aufruf: vellora [--home VERZEICHNIS] [--help] [--version] [DATEI...]";

struct ProgramArgs {
    std::optional<std::string> home;  // the path's bytes as given
    // Files named after the options (GPX, ZIP): handled as if dropped on the window.
    std::vector<std::string> files;
    // Set when the program ends at once: 0 after --help or --version, 2 after a usage error.
    std::optional<int> exitCode;
};

// args without the program name. --help prints the usage and --version the version to `out`; a
// usage error names the problem and prints the usage to `err`.
ProgramArgs parseProgramArgs(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vellora
