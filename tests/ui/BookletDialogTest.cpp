// The booklet printed by Qt WebEngine from a small directory of descriptions: the contents' page
// numbers settle, the PDF is written whole, and an abort leaves none behind.
#include "ui/BookletDialog.h"

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "pdf/PdfPages.h"
#include "shell/Booklet.h"
#include "support/CacheRecords.h"
#include "support/PdfTools.h"
#include "support/TestHome.h"
#include "ui/BookletPrinter.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

constexpr int kPrintTimeoutMs = 60000;

class BookletDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TBookletInput in;
        in.date = "11.12.2026";
        in.homeText = "HOME";
        in.indexTable = "<table><tr><td>Index</td></tr></table>";
        // The second description is three pages long, so the third cache's number depends on it.
        std::string longBody;
        for (int i = 0; i < 160; ++i) longBody += "<p>Abschnitt " + std::to_string(i) + "</p>";
        in.caches = {{"GCAA1", "Erster", "<h1>GCAA1 Erster</h1>"},
                     {"GCAA2", "Zweiter", "<h1>GCAA2 Zweiter</h1>" + longBody},
                     {"GCAA3", "Dritter", "<h1>GCAA3 Dritter</h1>"}};
        html = dir.file(kBookletHtmlFileName);
        pdf = dir.file(kBookletFileName);
        ASSERT_EQ(writeFileAtomic(html, buildBookletHtml(in)), 0);
    }

    test::TempDir dir;
    std::string html, pdf;
};

TEST_F(BookletDialogTest, PrintsUntilTheContentsNumbersHold) {
    BookletDialog dialog(html, pdf);
    QSignalSpy finished(&dialog.printer(), &BookletPrinter::finished);
    dialog.show();
    ASSERT_TRUE(finished.wait(kPrintTimeoutMs));
    ASSERT_TRUE(dialog.succeeded()) << cp(dialog.message());
    EXPECT_EQ(dialog.progressBar()->value(), 100);
    EXPECT_FALSE(dialog.isVisible());
    // A second layout confirms the numbers of the first.
    EXPECT_GE(dialog.printer().passes(), 2);

    const auto bytes = readFile(pdf);
    ASSERT_TRUE(bytes);
    const auto dests = readPdfDestinations(*bytes);
    ASSERT_TRUE(dests);
    // Cover, contents, index, one page, several pages, the last page.
    const int pages = dests->pageCount;
    EXPECT_GE(pages, 7);
    EXPECT_EQ(dests->pages.at(bookletCacheAnchor("GCAA1")), 4);
    EXPECT_EQ(dests->pages.at(bookletCacheAnchor("GCAA2")), 5);
    EXPECT_EQ(dests->pages.at(bookletCacheAnchor("GCAA3")), pages);
    // The HTML beside the descriptions keeps the numbers found.
    const std::string kept = readFile(html).value_or("");
    EXPECT_EQ(kept.find("VBPAGE"), std::string::npos);
    EXPECT_NE(kept.find("<td class=\"vb-page\">" + std::to_string(pages) + "</td>"), std::string::npos);

    if (!test::pdfToolsPresent()) GTEST_SKIP() << "poppler-utils is not installed";
    const std::string last = test::pdfText(pdf, pages);
    EXPECT_NE(last.find("Seite " + std::to_string(pages) + " von " + std::to_string(pages)),
              std::string::npos);
    EXPECT_NE(last.find("GCAA3 Dritter"), std::string::npos);
}

TEST_F(BookletDialogTest, AnAbortLeavesNoPdf) {
    struct Case {
        const char* when;
        int atPercent;  // the first progress report at or above it aborts
    };
    for (const Case c : {Case{"while loading", 0}, Case{"while printing", 20},
                         Case{"in the second layout", 30}, Case{"while the footers are stamped", 92}}) {
        SCOPED_TRACE(c.when);
        BookletDialog dialog(html, pdf);
        QSignalSpy finished(&dialog.printer(), &BookletPrinter::finished);
        QObject::connect(&dialog.printer(), &BookletPrinter::progress, &dialog,
                         [&](int percent, const QString&) {
                             if (percent >= c.atPercent && dialog.printer().running())
                                 dialog.abortButton()->click();
                         });
        dialog.show();
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(kPrintTimeoutMs));
        }
        EXPECT_FALSE(dialog.succeeded());
        EXPECT_TRUE(dialog.printer().aborted());
        EXPECT_FALSE(dialog.isVisible());
        // Late answers of the engine change nothing.
        QTest::qWait(1500);
        EXPECT_EQ(finished.count(), 1);
        EXPECT_FALSE(fileExists(pdf));
        EXPECT_TRUE(listFiles(dir.path(), "*.vtmp*").empty());
    }
}

TEST_F(BookletDialogTest, AMissingDocumentIsNamed) {
    BookletDialog dialog(dir.file("fehlt.html"), pdf);
    QSignalSpy finished(&dialog.printer(), &BookletPrinter::finished);
    dialog.show();
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(kPrintTimeoutMs));
    }
    EXPECT_FALSE(dialog.succeeded());
    EXPECT_NE(cp(dialog.message()).find("fehlt.html"), std::string::npos);
    EXPECT_FALSE(fileExists(pdf));
}

// The menu command: the output directory's booklet, opened with the system when done.
TEST(BookletCommand, PrintsTheOutputDirectoryAndOpensTheBooklet) {
    test::TestHome home;
    RunContext& ctx = home.ctx();
    printBooklet(ctx, nullptr);
    ASSERT_EQ(home.host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_NE(home.host.textsOf(MsgKind::Error)[0].find("Keine konvertierten Cachebeschreibungen"),
              std::string::npos);
    EXPECT_TRUE(home.host.opened.empty());

    home.dir.write("Caches.bin", test::encodeDatabase({test::sampleCache("GC100", 49.6, 10.8)}));
    ASSERT_EQ(writeFileAtomic(ctx.outDirPath() + "GC100_converted.html",
                              "<html><body><h1>GC100</h1></body></html>"),
              0);
    printBooklet(ctx, nullptr);
    const std::string pdf = ctx.outDirPath() + kBookletFileName;
    EXPECT_EQ(home.host.opened, (std::vector<std::string>{pdf}));
    EXPECT_EQ(home.host.textsOf(MsgKind::Error).size(), 1u);
    const auto dests = readPdfDestinations(readFile(pdf).value_or(""));
    ASSERT_TRUE(dests);
    EXPECT_EQ(dests->pages.at(bookletCacheAnchor("GC100")), 4);
}

}  // namespace
}  // namespace vellora
