// Pages of any shape through every reader of pages: the field extractor, the description generator,
// the GPX listing page, the finds result-page parser and the map-page scrapers. A page of 100,000
// nested tags and a 50 MB page on one line must each be read in time linear in their size (the
// benchmarks measure it; here they must simply finish and give a sound result).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileProcs.h"
#include "import/GpxListingPage.h"
#include "import/LoadFinds.h"
#include "listing/CreateDescr.h"
#include "listing/MapImages.h"
#include "listing/Parse.h"
#include "support/TestHome.h"

namespace vellora::test {
namespace {

std::string repeated(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// The heading that ends the long description.
constexpr const char* kHints = "<STRONG>Additional Hints</STRONG>";

struct Page {
    const char* name;
    std::string text;
};

std::vector<Page> hostilePages() {
    constexpr std::size_t kDepth = 100000;
    const std::string fields = "<span id=\"CacheName\">Tief</span><span id=\"ShortDescription\">kurz</span>";
    std::vector<Page> pages;
    pages.push_back({"nested tags", fields + "<span id=\"LongDescription\">" + repeated("<div><b>", kDepth) +
                                        "Mitte" + repeated("</b></div>", kDepth) + "</span>" + kHints});
    pages.push_back({"unclosed brackets", fields + "<span id=\"LongDescription\">" +
                                              repeated("<<a ", kDepth) + "</span>" + kHints +
                                              repeated("<span id=\"", kDepth)});
    // 50 MB on one line: rows of the finds list, images, links and entities without a single break.
    const std::string row =
        "<tr><td><a href=\"seek/cache_details.aspx?guid=1\">x</a> <b>(GC1A2B3)</b></td><td>5 Nov 06</td>"
        "<img src='http://127.0.0.1/img/cache/a.jpg'> &amp; "
        "\xE4\x81\x8D\x8F\x90\x9D\xC3\xA4\xED\xA0\x80\xC0\xAF ";
    const std::size_t rows = (50u << 20) / row.size() + 1;
    pages.push_back({"50 MB on one line", "Total Records: <b>12</b>" + fields +
                                              "<span id=\"LongDescription\">" + repeated(row, rows) +
                                              "</span>" + kHints});
    return pages;
}

TEST(HostilePages, EveryPageReaderFinishes) {
    for (const Page& page : hostilePages()) {
        SCOPED_TRACE(page.name);
        TestHome home;

        const ListingSite site("http://127.0.0.1", "http://127.0.0.1/img");
        const std::string joined = joinPageLines(page.text);
        SpanFieldReader reader(joined);
        std::string id, content, longDescription;
        LogCounters counters{};
        while (reader.next(id, content))
            if (cleanField(id, content, site, counters) && id == "LONGDESCRIPTION") longDescription = content;
        EXPECT_FALSE(longDescription.empty());
        getTravelBugs(joined);
        getAdditionalWaypoints(joined);

        home.dir.write("GCDEEP.html", page.text);
        TCreateDescr generator(home.ctx());
        generator.options.RmAll = true;
        ASSERT_TRUE(generator.loadTemplate());
        generator.prepareRun();
        EXPECT_EQ(generator.convertCache("GCDEEP"), 0);
        EXPECT_TRUE(home.dir.exists("GCDEEP_converted.html"));

        const std::vector<std::string> lines = splitListLines(page.text);
        gpxListingPageText(gpxTrimmedLines(page.text), "GCDEEP", "http://127.0.0.1", "http://127.0.0.1/img");
        multiMapImageUrl(lines);
        stadtplanTileUrls(lines, "http://127.0.0.1/stadtplan", 9);
        readMapQuestForm(lines);
        mapQuestImageUrl(lines);

        TfrmLoadFinds finds(home.ctx());
        finds.loadComplete = true;
        EXPECT_TRUE(finds.parsePage(page.text));
    }
}

TEST(HostilePages, FindsOfALongPageAreAllRead) {
    TestHome home;
    TfrmLoadFinds finds(home.ctx());
    finds.loadComplete = true;
    const std::string row =
        "<a href=\"seek/cache_details.aspx?guid=1\">x</a> <b>(GC12345)</b></TD><td>Today</td>";
    ASSERT_TRUE(finds.parsePage("Total Records: <b>100000</b>" + repeated(row, 100000)));
    EXPECT_EQ(finds.loadedFinds().count(), 100000);
}

}  // namespace
}  // namespace vellora::test
