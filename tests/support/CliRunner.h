#pragma once
// Runs vellora-cli in-process on a test home: run({"db", "count"}) gives the exit code and what
// went to standard output and standard error.
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"

namespace vellora::test {

struct CliResult {
    int code = 0;
    std::string out, err;
};

// The lines of a text, without their line ends.
inline std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

class CliRunner {
public:
    explicit CliRunner(std::string home) : home_(std::move(home)) {}

    // Words after "--home HOME"; input is what the command reads from standard input.
    CliResult run(const std::vector<std::string>& words, const std::string& input = {}) const {
        std::vector<std::string> args = {"--home", home_};
        args.insert(args.end(), words.begin(), words.end());
        return runRaw(args, input);
    }
    // Exactly the given words, without a home.
    static CliResult runRaw(const std::vector<std::string>& args, const std::string& input = {}) {
        std::istringstream in(input);
        std::ostringstream out, err;
        const int code = runCli(args, in, out, err);
        return {code, out.str(), err.str()};
    }

private:
    std::string home_;
};

}  // namespace vellora::test
