// vellora-cli booklet: an outing loaded from the stand-in server and converted, printed as one PDF
// by the real program and read back with poppler-utils.
#if __has_include("sim/SimFixture.h") && defined(VELLORA_CLI_PATH)
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/Cp1252.h"
#include "core/FileUtil.h"
#include "sim/SimFixture.h"
#include "support/CliRunner.h"
#include "support/PdfTools.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::CliResult;

constexpr int kCaches = 5;

class CliBooklet : public test::SimSuite<CliBooklet> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        if (!test::pdfToolsPresent())
            GTEST_SKIP() << "poppler-utils is not installed (scripts/test.sh installs it)";
        ASSERT_EQ(run({"init"}).code, 0);
        sim().writeHome(root.path());
        std::string db, list;
        for (int i = 0; i < kCaches; ++i) {
            db += encodeCacheRec(sim().world().record(i));
            list += sim().world().waypoint(i) + "\r\n";
        }
        root.write("Caches.bin", db);
        root.write("WPList.txt", list);
        // OpenStreetMap maps, as the demo loads them.
        ASSERT_EQ(run({"config", "set", "Program", "LoadMapKind", "4"}).code, 0);
        ASSERT_EQ(run({"load"}).code, 0);
        ASSERT_EQ(run({"generate"}).code, 0);
    }
    CliResult run(std::vector<std::string> words) {
        std::vector<std::string> args = {"--home", root.path()};
        args.insert(args.end(), words.begin(), words.end());
        return test::CliRunner::runRaw(args);
    }
    // The real program: the booklet is printed by the helper beside it.
    int runProgram(const std::string& words, std::string& out) {
        const std::string command = std::string(VELLORA_CLI_PATH) + " --home " +
                                    test::shellQuoted(root.path()) + " " + words + " 2>" +
                                    test::shellQuoted(root.file("stderr.txt"));
        out = test::commandOutput(command + "; echo \"rc=$?\"");
        const auto at = out.rfind("rc=");
        const int code = at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 3);
        out.erase(at == std::string::npos ? out.size() : at);
        return code;
    }

    test::TempDir root;
};

TEST_F(CliBooklet, EveryContentsEntryLeadsToItsCachesPage) {
    std::string out;
    ASSERT_EQ(runProgram("booklet", out), 0) << readFile(root.file("stderr.txt")).value_or("");
    const std::string pdf = root.file("Tourheft.pdf");
    EXPECT_EQ(out, pdf + "\n");
    const std::string info = test::pdfInfo(pdf);
    EXPECT_TRUE(
        std::regex_search(info, std::regex("Page size: +59[45](\\.\\d+)? x 84[12](\\.\\d+)? pts \\(A4\\)")))
        << info;
    const int pages = test::pdfPageCount(pdf);
    // Cover, contents, index and at least one page per cache.
    ASSERT_GE(pages, 3 + kCaches);

    // Every page's footer gives its number and the count.
    for (int page = 1; page <= pages; ++page)
        EXPECT_NE(
            test::pdfText(pdf, page).find("Seite " + std::to_string(page) + " von " + std::to_string(pages)),
            std::string::npos)
            << page;

    const std::string cover = test::pdfText(pdf, 1);
    EXPECT_NE(cover.find("Tourheft"), std::string::npos);
    EXPECT_NE(cover.find(std::to_string(kCaches) + " Caches"), std::string::npos) << cover;

    const std::string contents = test::pdfText(pdf, 2);
    int previous = 3;
    for (int i = 0; i < kCaches; ++i) {
        const std::string wp = sim().world().waypoint(i);
        std::smatch entry;
        ASSERT_TRUE(std::regex_search(contents, entry, std::regex("\\b" + wp + "\\b.* (\\d+)\\n")))
            << wp << contents;
        const int page = std::stoi(entry[1]);
        EXPECT_GT(page, 3) << wp;
        EXPECT_LE(page, pages) << wp;
        // The cache's description starts there: its waypoint and its name are on that page.
        const std::string text = test::pdfText(pdf, page);
        EXPECT_NE(text.find(wp), std::string::npos) << wp << " page " << page << text;
        EXPECT_NE(text.find(utf8FromCp1252(sim().world().record(i).CacheName)), std::string::npos) << wp;
        // ... and not already on the page before (it begins a page).
        if (page - 1 > previous) {
            EXPECT_EQ(test::pdfText(pdf, page - 1).find("\xC2\xB7 " + wp), std::string::npos) << wp;
        }
        previous = page;
    }
}

TEST_F(CliBooklet, OutputFileDirectoryAndFailures) {
    std::string out;
    ASSERT_EQ(runProgram("booklet -o " + test::shellQuoted(root.file("tour.pdf")), out), 0);
    EXPECT_EQ(out, root.file("tour.pdf") + "\n");
    EXPECT_GT(test::pdfPageCount(root.file("tour.pdf")), 3);
    EXPECT_FALSE(fileExists(root.file("Tourheft.pdf")));

    // A directory without descriptions gives no booklet and says why.
    ASSERT_EQ(makeDirs(root.file("leer")), 0);
    EXPECT_EQ(runProgram("booklet --dir " + test::shellQuoted(root.file("leer")), out), 1);
    EXPECT_NE(readFile(root.file("stderr.txt")).value_or("").find("Keine konvertierten Cachebeschreibungen"),
              std::string::npos);
    EXPECT_FALSE(fileExists(root.file("leer/Tourheft.pdf")));

    EXPECT_EQ(run({"booklet", "--dir"}).code, 2);
    EXPECT_EQ(run({"booklet", "-o"}).code, 2);
    EXPECT_EQ(run({"booklet", "extra"}).code, 2);
}

}  // namespace
}  // namespace vellora
#endif
