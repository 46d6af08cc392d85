#include <gtest/gtest.h>

#include "core/HandBuiltRecords.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

TEST(SuitcaseCli, ExportFromOneHomeImportIntoAnother) {
    test::TempDir a, b;
    a.write("Caches.bin", test::handCacheRec("GC2") + test::handCacheRec("GC1"));
    a.write("WPList.txt", "GC1\r\n");
    a.write("WPignore.txt", "GC7\r\n");
    a.write("GC1.html", "seite");
    b.write("WPList.txt", "GC9\r\n");
    const std::string file = a.file("Carry.vellora");

    const test::CliResult exported =
        test::CliRunner(a.path()).run({"suitcase", "export", file, "--sections", "db,worklist,descr"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(test::textLines(exported.out),
              (std::vector<std::string>{"2 Datens\xC3\xA4tze aus Cache-Datenbank",
                                        "1 Arbeitslisten-Eintr\xC3\xA4ge",
                                        "1 Cachebeschreibungen mit insgesamt 0 Cache-Images"}));

    const test::CliResult imported = test::CliRunner(b.path()).run(
        {"suitcase", "import", file, "--db", "keep", "--summary", "--no-generate"});
    ASSERT_EQ(imported.code, 0) << imported.err;
    const std::string out = imported.out;
    EXPECT_NE(out.find("Die Datenbank im Aktenkoffer enth\xC3\xA4lt 2 Eintr\xC3\xA4ge."), std::string::npos)
        << out;
    EXPECT_NE(out.find("Folgende Caches aus dem Aktenkoffer wurden verarbeitet\nGC1: Cache GC1\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Arbeitsliste: 1 neue Eintr\xC3\xA4ge, 0 waren bereits vorhanden"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Ignoreliste: keine \xC3\x84nderung"), std::string::npos) << out;
    EXPECT_EQ(b.read("Caches.bin"), test::handCacheRec("GC1") + test::handCacheRec("GC2"));
    EXPECT_EQ(b.read("WPList.txt"), "GC9\r\nGC1\r\n");
    EXPECT_EQ(b.read("GC1.html"), "seite");
    EXPECT_FALSE(b.exists("WPignore.txt"));
}

TEST(SuitcaseCli, MalformedCommandLinesAndBrokenFiles) {
    test::TempDir home;
    home.write("broken.vellora", std::string(10, '\0'));
    const test::CliRunner cli(home.path());
    EXPECT_EQ(cli.run({"suitcase", "import"}).code, 2);
    EXPECT_EQ(cli.run({"suitcase", "import", home.file("broken.vellora"), "--notes", "2"}).code, 2);
    EXPECT_EQ(cli.run({"suitcase", "export", home.file("x.vellora"), "--sections", "db,bogus"}).code, 2);
    const test::CliResult broken = cli.run({"suitcase", "import", home.file("broken.vellora")});
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.err.find("Abschnitt: Eigene Funde, Position 8"), std::string::npos) << broken.err;
}

}  // namespace
}  // namespace vellora
