#include <gtest/gtest.h>

#include <sstream>

#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliResult;

class NotesCli : public ::testing::Test {
protected:
    CliResult run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--home", root.path(), "notes"});
        return vellora::test::CliRunner::runRaw(args, input);
    }
    test::TempDir root;
};

TEST_F(NotesCli, RoundTripWithUmlautsInCp1252) {
    const CliResult set = run({"set", "GC1A2B3"},
                              "Gr\xC3\xBC\xC3\x9F"
                              "e\n\n  Dose unter Stein\r\n");
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(root.read("Persinfo.txt"),
              "[GC1A2B3]\r\nZ0=Gr\xFC\xDF"
              "e\r\nZ1=\r\nZ2=  Dose unter Stein\r\n");

    const CliResult get = run({"get", "gc1a2b3"});
    EXPECT_EQ(get.code, 0);
    EXPECT_EQ(get.out,
              "Gr\xC3\xBC\xC3\x9F"
              "e\n\nDose unter Stein\n");
}

TEST_F(NotesCli, MissingNoteEraseAndEmptyInput) {
    EXPECT_EQ(run({"get", "GC1"}).code, 1);
    ASSERT_EQ(run({"set", "GC1"}, "eins\n").code, 0);
    ASSERT_EQ(run({"set", "GC2"}, "zwei\n").code, 0);
    EXPECT_EQ(run({"erase", "GC1"}).code, 0);
    EXPECT_EQ(run({"get", "GC1"}).code, 1);
    EXPECT_EQ(run({"set", "GC2"}, "").code, 0);
    EXPECT_EQ(run({"get", "GC2"}).code, 1);
    EXPECT_EQ(root.read("Persinfo.txt"), "");
}

TEST_F(NotesCli, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {}, {"get"}, {"show", "GC1"}, {"get", "GC1", "GC2"}, {"get", ""}, {"set", "GC1]"}, {"get", "[GC1"},
    };
    for (const auto& args : bad) EXPECT_EQ(run(args).code, 2) << (args.empty() ? "" : args[0]);
}

}  // namespace
}  // namespace vellora
