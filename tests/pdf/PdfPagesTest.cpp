#include "pdf/PdfPages.h"

#include <gtest/gtest.h>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <string>
#include <vector>

namespace vellora {
namespace {

// A PDF of `pages` empty A4 pages (objects 3..) with the given catalog entries; the xref table
// carries the real offsets.
std::string makePdf(int pages, const std::string& catalogExtra,
                    const std::vector<std::string>& extraObjects = {}) {
    std::vector<std::string> objects;
    objects.push_back("<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>");
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += std::to_string(3 + i) + " 0 R ";
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    for (int i = 0; i < pages; ++i)
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << >> >>");
    for (const std::string& extra : extraObjects) objects.push_back(extra);
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// Each page's drawing, its streams decoded.
std::vector<std::string> pageContents(const std::string& pdf) {
    QPDF doc;
    doc.processMemoryFile("test.pdf", pdf.data(), pdf.size());
    std::vector<std::string> out;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(doc).getAllPages()) {
        std::string text;
        Pl_String sink("contents", nullptr, text);
        page.pipeContents(&sink);
        // The fonts by name, each with its base font.
        for (auto [name, font] : page.getAttribute("/Resources", false).getKey("/Font").getDictAsMap())
            text += "\n" + name + " " + font.getKey("/BaseFont").unparse();
        out.push_back(text);
    }
    return out;
}

TEST(PdfDestinations, BothWaysOfNamingLeadToTheirPages) {
    struct Case {
        const char* what;
        std::string pdf;
        std::map<std::string, int> expected;
    };
    const std::vector<Case> cases = {
        {"catalog /Dests with arrays and /D dictionaries",
         makePdf(4, "/Dests << /vb-cache-GC1 [4 0 R /XYZ 0 842 0] /vb-cache-GC2 << /D [6 0 R /Fit] >> >>"),
         {{"vb-cache-GC1", 2}, {"vb-cache-GC2", 4}}},
        {"name tree with kids",
         makePdf(
             3, "/Names << /Dests 6 0 R >>",
             {"<< /Kids [7 0 R] >>", "<< /Limits [(a) (b)] /Names [(a) [5 0 R /Fit] (b) [3 0 R /Fit]] >>"}),
         {{"a", 3}, {"b", 1}}},
        {"a destination to no page of the document is left out",
         makePdf(2, "/Dests << /lost [99 0 R /Fit] /odd 5 /ok [4 0 R /Fit] >>"),
         {{"ok", 2}}},
        {"no destinations", makePdf(2, ""), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const auto read = readPdfDestinations(c.pdf, &error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(read->pages, c.expected);
    }
    EXPECT_EQ(readPdfDestinations(makePdf(5, ""))->pageCount, 5);
}

TEST(PdfDestinations, BytesThatAreNoPdfGiveAReason) {
    std::string error;
    EXPECT_FALSE(readPdfDestinations("kein PDF", &error));
    EXPECT_NE(error.find("PDF nicht lesbar"), std::string::npos);
}

TEST(PdfFooters, EveryPageCarriesItsNumberAndTheDestinationsSurvive) {
    const std::string pdf = makePdf(3, "/Dests << /vb-cache-GC1 [5 0 R /Fit] >>");
    std::string error;
    const auto stamped = stampPdfFooters(pdf, bookletFooterText, &error);
    ASSERT_TRUE(stamped) << error;
    const std::vector<std::string> pages = pageContents(*stamped);
    ASSERT_EQ(pages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(pages[i].find("(Seite " + std::to_string(i + 1) + " von 3) Tj"), std::string::npos)
            << pages[i];
        EXPECT_NE(pages[i].find("/VelloraFooter /Helvetica"), std::string::npos) << pages[i];
    }
    const auto read = readPdfDestinations(*stamped);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pageCount, 3);
    EXPECT_EQ(read->pages.at("vb-cache-GC1"), 3);
}

TEST(PdfFooters, ParenthesesInTheTextAreEscaped) {
    const auto stamped =
        stampPdfFooters(makePdf(1, ""), [](int, int) { return std::string("Tour (Nord) \\ 1"); });
    ASSERT_TRUE(stamped);
    EXPECT_NE(pageContents(*stamped).at(0).find("(Tour \\(Nord\\) \\\\ 1) Tj"), std::string::npos);
}

}  // namespace
}  // namespace vellora
