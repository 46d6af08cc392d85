#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace vellora {

// Runs vellora-cli with the given arguments (without the program name, in UTF-8).
// Returns the exit code: 0 success, 1 failure or nothing found, 2 usage error.
int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace vellora
