#include <gtest/gtest.h>

#include <sstream>

#include "support/CliRunner.h"
#include "support/TestHome.h"

using vellora::test::CliResult;
using vellora::test::TempDir;

namespace {

CliResult run(const std::vector<std::string>& args) {
    return vellora::test::CliRunner::runRaw(args);
}

TEST(CliRot13, PrintsTheCodedText) {
    TempDir home;
    struct Case {
        std::vector<std::string> words;
        std::string expected;
    };
    const Case cases[] = {
        {{"Uvag: hagre qrz Fgrva"}, "Hint: unter dem Stein\n"},
        {{"Uvag:", "hagre", "qrz", "Fgrva"}, "Hint: unter dem Stein\n"},
        {{"\xC3\x96"
          "ffnung 42"},
         "\xC3\x96"
         "ssahat 42\n"},  // UTF-8 in and out
        {{"Stra\xC3\x9F"
          "e"},
         "Fgen\xC3\x9F"
         "r\n"},
        {{""}, "\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--home", home.path(), "rot13"};
        args.insert(args.end(), c.words.begin(), c.words.end());
        const CliResult r = run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, c.expected);
    }
}

TEST(CliRot13, MissingTextIsAUsageError) {
    TempDir home;
    const CliResult r = run({"--home", home.path(), "rot13"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
}

}  // namespace
