#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>

#include "support/CliRunner.h"
#include "support/TestHome.h"

using vellora::test::CliResult;
using vellora::test::TempDir;

namespace {

CliResult run(const std::vector<std::string>& args, const std::string& input = "") {
    return vellora::test::CliRunner::runRaw(args, input);
}

TEST(CliInit, CreatesAndSeedsTheHome) {
    TempDir root;
    const std::string home = root.file("h");
    const CliResult r = run({"--home", home, "init"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, home + "\n");
    EXPECT_TRUE(root.exists("h/CacheDB.conf"));
    EXPECT_TRUE(root.exists("h/vellora.conf"));
}

TEST(CliConfig, GetAndSetInUtf8) {
    TempDir root;
    const std::string home = root.path();
    EXPECT_EQ(run({"--home", home, "config", "set", "Program", "Username", "J\xC3\xBCrgen"}).code, 0);
    EXPECT_NE(root.read("vellora.conf").find("Username=J\xFCrgen\r\n"), std::string::npos);
    const CliResult get = run({"--home", home, "config", "get", "program", "USERNAME"});
    EXPECT_EQ(get.code, 0);
    EXPECT_EQ(get.out, "J\xC3\xBCrgen\n");
    EXPECT_EQ(run({"--home", home, "config", "get", "Program", "NoSuchKey"}).code, 1);
}

TEST(CliUsage, ErrorsExitWithTwo) {
    TempDir root;
    const std::vector<std::vector<std::string>> bad = {
        {"--home", root.path()},
        {"--home", root.path(), "nosuchcommand"},
        {"--home", root.path(), "config", "get", "OnlySection"},
        {"--home", root.path(), "init", "extra"},
    };
    for (const auto& args : bad) EXPECT_EQ(run(args).code, 2) << args.back();
}

}  // namespace

// A relative home is made absolute, so that the same home works from any directory; the paths
// inside it are stored relative to it.
TEST(CliInit, RelativeHomeIsStoredAbsolute) {
    TempDir root;
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(root.path().c_str()), 0);
    const CliResult r = run({"--home", "t3/h", "init"});
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, root.file("t3/h") + "\n");
    const std::string conf = root.read("t3/h/vellora.conf");
    EXPECT_NE(conf.find("WorkDir=.\r\n"), std::string::npos) << conf;
    EXPECT_NE(conf.find("OutDir=.\r\n"), std::string::npos) << conf;
}
