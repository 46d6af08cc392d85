#include "shell/ProgramArgs.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vellora {
namespace {

// The desktop program's arguments are read before any window exists: help and version end the
// program with their text on standard output, usage errors with the reason on standard error.
TEST(ProgramArgs, HelpVersionHomeAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::optional<int> exit;
        std::optional<std::string> home;
        const char* outPart;
        const char* errPart;
    };
    const Case cases[] = {
        {{}, std::nullopt, std::nullopt, "", ""},
        {{"--home", "/tmp/h\xC3\xA4"}, std::nullopt, "/tmp/h\xC3\xA4", "", ""},
        {{"--home=/tmp/x"}, std::nullopt, "/tmp/x", "", ""},
        {{"--help"}, 0, std::nullopt, "Aufruf: vellora [--home VERZEICHNIS]", ""},
        {{"-h"}, 0, std::nullopt, "--version", ""},
        {{"--home", "/tmp/x", "--version"}, 0, std::nullopt, "vellora V", ""},
        {{"--home"}, 2, std::nullopt, "", "--home ohne Verzeichnis\nAufruf: vellora"},
        {{"--home="}, 2, std::nullopt, "", "--home ohne Verzeichnis"},
        {{"--bunt"}, 2, std::nullopt, "", "Unbekanntes Argument: --bunt\nAufruf: vellora"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args[0]);
        std::ostringstream out, err;
        const ProgramArgs parsed = parseProgramArgs(c.args, out, err);
        EXPECT_EQ(parsed.exitCode, c.exit);
        if (!c.exit) {
            EXPECT_EQ(parsed.home, c.home);
        }
        EXPECT_NE(out.str().find(c.outPart), std::string::npos) << out.str();
        EXPECT_NE(err.str().find(c.errPart), std::string::npos) << err.str();
        if (!*c.outPart) {
            EXPECT_EQ(out.str(), "");
        }
        if (!*c.errPart) {
            EXPECT_EQ(err.str(), "");
        }
    }
}

}  // namespace
}  // namespace vellora
