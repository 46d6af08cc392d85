#include <gtest/gtest.h>

#include <sstream>

#include "core/FileUtil.h"
#include "support/CliRunner.h"
#include "support/SharedFolders.h"
#include "support/TestHome.h"

using vellora::test::CliResult;
using vellora::test::TempDir;

namespace {

CliResult run(const std::vector<std::string>& args) {
    return vellora::test::CliRunner::runRaw(args);
}

const std::string kZipFixtures = vellora::test::sharedFolder("fixtures/zip");

TEST(CliZip, ListsMembersTabSeparated) {
    VELLORA_REQUIRE_SHARED_FOLDER(kZipFixtures);
    TempDir home;
    const CliResult r = run({"--home", home.path(), "zip", "list", kZipFixtures + "mixed.zip"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "inflated.txt\t8\t22604\t48891\t406039a3\n"
              "stored.txt\t0\t48891\t48891\t406039a3\n");
    const CliResult none = run({"--home", home.path(), "zip", "list", kZipFixtures + "README.md"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, "");
}

TEST(CliZip, ExtractPrintsTheResultCode) {
    VELLORA_REQUIRE_SHARED_FOLDER(kZipFixtures);
    TempDir home, target;
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out;
    };
    const Case cases[] = {
        {{kZipFixtures + "SHRUNK.ZIP", target.path(), "*2.xml"}, 0, "1\n"},
        {{kZipFixtures + "implode.zip", target.path()}, 0, "1\n"},
        {{kZipFixtures + "bla-stored-dd.zip", target.path()}, 1, "-9\n"},
        {{kZipFixtures + "README.md", target.path()}, 1, "-12\n"},
        {{home.file("missing.zip"), target.path()}, 1, "-14\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--home", home.path(), "zip", "extract"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult r = run(args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
    }
    EXPECT_TRUE(target.exists("TEST2.XML"));
    EXPECT_FALSE(target.exists("TEST1.XML"));
    EXPECT_TRUE(target.exists("first.txt"));
}

TEST(CliZip, ExtractReportsAStoppedExtraction) {
    TempDir home, target;
    // One stored member whose CRC field does not match its data.
    std::string zip(
        "PK\x03\x04\x0A\x00\x00\x00\x00\x00\x00\x00\x21\x00"
        "\x01\x02\x03\x04\x01\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00"
        "a.txtX",
        36);
    const std::string central(
        "PK\x01\x02\x14\x00\x0A\x00\x00\x00\x00\x00\x00\x00\x21\x00"
        "\x01\x02\x03\x04\x01\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "a.txt",
        51);
    zip += central;
    zip +=
        std::string("PK\x05\x06\x00\x00\x00\x00\x01\x00\x01\x00\x33\x00\x00\x00\x24\x00\x00\x00\x00\x00", 22);
    home.write("bad.zip", zip);
    const CliResult r = run({"--home", home.path(), "zip", "extract", home.file("bad.zip"), target.path()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "0\n");
    EXPECT_NE(r.err.find("a.txt: CRC-Fehler"), std::string::npos) << r.err;
    EXPECT_FALSE(target.exists("a.txt"));
}

// Archive errors come with a text; an extraction that refused every member is no success.
TEST(CliZip, ErrorsNameTheirReasonAndRefusedMembersFail) {
    TempDir home, target;
    home.write("text.zip", "not an archive");
    const CliResult notZip =
        run({"--home", home.path(), "zip", "extract", home.file("text.zip"), target.path()});
    EXPECT_EQ(notZip.code, 1);
    EXPECT_EQ(notZip.out, "-12\n");
    EXPECT_NE(notZip.err.find("Die Datei ist kein ZIP-Archiv"), std::string::npos) << notZip.err;

    // One stored member named "../x.txt" holding "x".
    std::string zip(
        "PK\x03\x04\x0A\x00\x00\x00\x00\x00\x00\x00\x21\x00"
        "\x83\x16\xDC\x8C\x01\x00\x00\x00\x01\x00\x00\x00\x08\x00\x00\x00"
        "../x.txtx",
        39);
    zip += std::string(
        "PK\x01\x02\x14\x00\x0A\x00\x00\x00\x00\x00\x00\x00\x21\x00"
        "\x83\x16\xDC\x8C\x01\x00\x00\x00\x01\x00\x00\x00\x08\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "../x.txt",
        54);
    zip +=
        std::string("PK\x05\x06\x00\x00\x00\x00\x01\x00\x01\x00\x36\x00\x00\x00\x27\x00\x00\x00\x00\x00", 22);
    home.write("evil.zip", zip);
    const CliResult refused =
        run({"--home", home.path(), "zip", "extract", home.file("evil.zip"), target.path()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "0\n");
    EXPECT_NE(refused.err.find("Keine Datei entpackt"), std::string::npos) << refused.err;
}

TEST(CliZip, MalformedCommandsAreUsageErrors) {
    TempDir home;
    for (const std::vector<std::string>& words : {std::vector<std::string>{"zip"},
                                                  {"zip", "list"},
                                                  {"zip", "extract", "a.zip"},
                                                  {"zip", "pack", "a.zip"},
                                                  {"zip", "extract", "a.zip", "dir", "*.*", "more"}}) {
        std::vector<std::string> args = {"--home", home.path()};
        args.insert(args.end(), words.begin(), words.end());
        EXPECT_EQ(run(args).code, 2);
    }
}

}  // namespace
