#pragma once
// Headless Chromium on a local page, for the tests that look at a page as a user's browser shows it.
// Names resolve only as the resolver rules allow, so the page reaches no address by itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/FileUtil.h"

namespace vellora::test {

inline constexpr const char* kChromium = "/usr/bin/chromium";

inline std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Skips a test without the browser; in CI (CI=true) its absence fails it (scripts/test.sh installs it).
class HeadlessBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (fileExists(kChromium)) return;
        const char* ci = std::getenv("CI");
        if (ci && std::string(ci) == "true") FAIL() << "chromium is not installed";
        GTEST_SKIP() << "chromium is not installed (scripts/test.sh installs it)";
    }

    // Runs the browser on a local file with one action (--dump-dom, --screenshot=...), with its
    // profile and output in workDir; its standard output.
    static std::string browse(const std::string& workDir, const std::string& file, const std::string& action,
                              const std::string& resolverRules = "MAP * ~NOTFOUND") {
        const std::string out = workDir + "/browser.out";
        const std::string command =
            std::string("timeout 90 ") + kChromium +
            " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
            " --disable-background-networking --disable-component-update --disable-sync"
            " --disable-default-apps --disable-extensions --user-data-dir=" +
            shellQuoted(workDir + "/profile") + " --host-resolver-rules=" + shellQuoted(resolverRules) +
            " --virtual-time-budget=3000 --window-size=900,1400 " + action + " " +
            shellQuoted("file://" + file) + " >" + shellQuoted(out) + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return readFile(out).value_or("");
    }
};

}  // namespace vellora::test
