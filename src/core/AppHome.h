#pragma once
// The application home: the program directory of a run, created at first start and seeded with
// the shipped data files.
#include <optional>
#include <string>
#include <vector>

namespace vellora {

// --home DIR, else $VELLORA_HOME, else $XDG_DATA_HOME/vellora, else ~/.local/share/vellora.
std::string resolveAppHome(const std::optional<std::string>& homeArgument);

// The directory of the running program, ending in "/"; "" when the system does not say.
std::string executableDir();

// The directory holding the shipped data files: $VELLORA_DATA_DIR, share/vellora beside the
// executable's bin/ (installed or unpacked anywhere), or the source tree's data/ (a build).
std::optional<std::string> findDataDir();

// Creates the home when missing and copies every shipped file it does not hold yet.
// Returns the names copied; throws std::runtime_error with a German text when the home cannot be made.
std::vector<std::string> prepareAppHome(const std::string& home, const std::optional<std::string>& dataDir);

// A path as the home stores it in its own files: relative to the home when it lies inside it ("."
// for the home itself), otherwise unchanged, so that a copied or moved home works on itself.
std::string homeRelativePath(const std::string& home, const std::string& path);
// A stored path made usable: a relative one is taken from the home; an absolute one stays.
std::string resolveHomePath(const std::string& home, const std::string& stored);

}  // namespace vellora
