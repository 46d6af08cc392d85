// The outing booklet's document: index order, the descriptions' bodies, one new page per cache and
// the contents' page numbers filled in after layout.
#include "shell/Booklet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "support/CacheRecords.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(Booklet, IndexOrderAndBodies) {
    const std::string index =
        "<tr><td><a href=\"GC2_converted.html\">GC2</a></td></tr>"
        "<tr><td><a href=\"./gc10_Converted.html\">x</a> <a href=\"GC2_converted.html\">again</a></td></tr>"
        "<a href=\"_converted.html\">no waypoint</a><a href=\"GC7_converted.html\">GC7</a>";
    EXPECT_EQ(bookletIndexOrder(index), (std::vector<std::string>{"GC2", "gc10", "GC7"}));

    struct Case {
        const char *page, *body;
    };
    const Case cases[] = {
        {"<html><head><title>t</title></head><BODY bgcolor=\"#fff\">A<b>B</b></Body></html>", "A<b>B</b>"},
        {"<p>no body tag</p>", "<p>no body tag</p>"},
        {"<body>open to the end", "open to the end"},
        {"<body", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(htmlBodyOf(c.page), c.body) << c.page;
}

TEST(Booklet, DocumentHasCoverContentsIndexAndOnePagePerCache) {
    TBookletInput in;
    in.date = "08.12.2006";
    in.homeText = "HOME (N 49\xB0 30.000 E 010\xB0 45.000)";
    in.indexTable = "<table><tr><td>INDEX</td></tr></table>";
    in.caches = {{"GC1", "Am <Bach>", "<p>first</p>"}, {"GC22", "Zweiter", "<p>second</p>"}};
    in.coverMap = "<svg>MAP</svg>";
    const std::string html = buildBookletHtml(in);

    EXPECT_NE(html.find("size: A4 portrait"), std::string::npos);
    EXPECT_NE(html.find("08.12.2006"), std::string::npos);
    EXPECT_NE(html.find("2 Caches"), std::string::npos);
    // The map is on the cover, before the contents.
    EXPECT_LT(html.find("<svg>MAP</svg>"), html.find("Inhalt"));
    // Contents, index and each cache start a new page; the caches come in the order given.
    EXPECT_EQ(count(html, "class=\"vb-newpage"), 4u);
    const auto first = html.find("<p>first</p>"), second = html.find("<p>second</p>");
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(html.find("INDEX"), first);
    EXPECT_LT(first, second);
    EXPECT_NE(html.find("id=\"" + bookletCacheAnchor("GC22") + "\""), std::string::npos);
    // Names from the database are text, not markup.
    EXPECT_NE(html.find("Am &lt;Bach&gt;"), std::string::npos);

    EXPECT_EQ(count(html, bookletPageMark("GC1")), 1u);
    EXPECT_EQ(bookletMarkedWaypoints(html), (std::vector<std::string>{"GC1", "GC22"}));
    const std::string filled = fillBookletPageNumbers(html, {{"GC1", 4}, {"GC22", 17}});
    EXPECT_EQ(filled.find("VBPAGE"), std::string::npos);
    EXPECT_NE(filled.find("<td class=\"vb-page\">4</td>"), std::string::npos);
    EXPECT_NE(filled.find("<td class=\"vb-page\">17</td>"), std::string::npos);
    EXPECT_NE(fillBookletPageNumbers(html, {}).find("<td class=\"vb-page\"></td>"), std::string::npos);
}

// Names and descriptions are strangers' texts: what looks like a page-number mark in them is
// never taken for one.
TEST(Booklet, OnlyTheBookletsOwnMarksAreRead) {
    TBookletInput in;
    const std::string forged = "<!--VBPAGE:GC9-->";
    in.caches = {{"GC1", forged, "<p>Seite " + forged + "</p>"}};
    const std::string html = buildBookletHtml(in);
    EXPECT_EQ(bookletMarkedWaypoints(html), std::vector<std::string>{"GC1"});
    const std::string filled = fillBookletPageNumbers(html, {{"GC1", 3}, {"GC9", 7}});
    EXPECT_NE(filled.find("<td class=\"vb-page\">3</td>"), std::string::npos);
    EXPECT_NE(filled.find("<p>Seite " + forged + "</p>"), std::string::npos);
    EXPECT_EQ(filled.find(">7<"), std::string::npos);
}

TEST(Booklet, CollectedFromTheOutputDirectory) {
    test::TestHome home;
    RunContext& ctx = home.ctx();
    home.dir.write("Caches.bin", test::encodeDatabase({test::sampleCache("GC100", 49.6, 10.8),
                                                       test::sampleCache("GC200", 49.51, 10.76)}));
    const std::string out = ctx.outDirPath();
    for (const char* wp : {"GC100", "GC200"})
        ASSERT_EQ(writeFileAtomic(out + wp + "_converted.html",
                                  std::string("<html><body><h1>") + wp + "</h1></body></html>"),
                  0);
    const TBookletInput in = collectBooklet(ctx, out);
    ASSERT_EQ(in.caches.size(), 2u);
    // Sorted as the index sorts by default: by distance from home, the nearer first.
    EXPECT_EQ(in.caches[0].waypoint, "GC200");
    EXPECT_EQ(in.caches[0].name, "Cache GC200");
    EXPECT_EQ(in.caches[0].body, "<h1>GC200</h1>");
    // Without a work list the cover maps the booklet's caches.
    EXPECT_NE(in.coverMap.find(">GC100</text>"), std::string::npos);
    EXPECT_NE(in.coverMap.find(">GC200</text>"), std::string::npos);
    // The index links to the pages of the booklet, not to the files.
    EXPECT_EQ(in.indexTable.find("_converted.html\""), std::string::npos);
    EXPECT_NE(in.indexTable.find("\"#" + bookletCacheAnchor("GC100") + "\""), std::string::npos);

    // The printable document lies beside the descriptions, with its marks still to be filled.
    std::string problem;
    const auto written = writeBookletHtml(ctx, out, problem);
    ASSERT_TRUE(written) << problem;
    EXPECT_EQ(*written, out + kBookletHtmlFileName);
    EXPECT_EQ(bookletMarkedWaypoints(readFile(*written).value_or("")),
              (std::vector<std::string>{"GC200", "GC100"}));
}

TEST(Booklet, NoBookletOfADirectoryWithoutDescriptions) {
    test::TestHome home;
    std::string problem;
    EXPECT_FALSE(writeBookletHtml(home.ctx(), home.ctx().outDirPath(), problem));
    EXPECT_NE(problem.find("Keine konvertierten Cachebeschreibungen"), std::string::npos);
    EXPECT_FALSE(fileExists(home.ctx().outDirPath() + kBookletHtmlFileName));
}

}  // namespace
}  // namespace vellora
