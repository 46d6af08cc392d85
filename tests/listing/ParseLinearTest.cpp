// The one-pass field reader, row reshaping and travel-bug list against the straightforward
// versions they replace (kept here as references), on the fixtures and on generated hostile pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/FastStrings.h"
#include "core/FileUtil.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "listing/Parse.h"

namespace vellora {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// The field cut from the front of the page, erasing what was read.
bool referenceNextField(std::string& page, std::string& id, std::string& content) {
    content.clear();
    id.clear();
    const int at = fastPosNoCase(page, "<SPAN ID=");
    if (at < 1) return false;
    page.erase(0, static_cast<std::size_t>(at) - 1);
    page.erase(0, std::min(page.size(), page.find('=') + 2));
    const std::size_t gt = page.find('>');
    if (gt == std::string::npos) return false;
    id = page.substr(0, gt);
    if (!id.empty()) id.pop_back();
    page.erase(0, gt + 1);
    if (equalsNoCase(id, "LONGDESCRIPTION")) {
        int end = fastPosNoCase(page, "<STRONG>ADDITIONAL HINTS");
        if (end < 1) end = fastPosNoCase(page, "</SPAN></BLOCKQUOTE>");
        if (end >= 1) content = page.substr(0, static_cast<std::size_t>(end) - 1);
        return true;
    }
    const int length = static_cast<int>(page.size());
    int start = 1;
    int s = fastPosNoCase(page, "<SPAN", start);
    int e = fastPosNoCase(page, "</SPAN", start);
    while (s > 0 && e > 0 && s <= e) {
        start = e + 7;
        if (start > length) {
            e = 0;
            break;
        }
        s = fastPosNoCase(page, "<SPAN", start);
        e = fastPosNoCase(page, "</SPAN", start);
    }
    if (e < 1) e = fastPosNoCase(page, "</SPAN></BLOCKQUOTE>");
    if (e < 1) return false;
    content = page.substr(0, static_cast<std::size_t>(e) - 1);
    page.erase(0, static_cast<std::size_t>(e));
    const std::size_t close = page.find('>');
    if (close != std::string::npos) page.erase(0, close + 1);
    return true;
}

Fields referenceFields(std::string page) {
    Fields out;
    std::string id, content;
    while (referenceNextField(page, id, content)) out.emplace_back(id, content);
    return out;
}

Fields readerFields(const std::string& page) {
    Fields out;
    std::string id, content;
    SpanFieldReader reader(page);
    while (reader.next(id, content)) out.emplace_back(id, content);
    return out;
}

std::string referenceTravelBugs(std::string_view page) {
    const int f = fastPosNoCase(page, "<SPAN ID=\"LNKTRAVELBUGS\">");
    if (f < 1) return {};
    const int g = fastPosNoCase(page, "<SPAN ID=", f + 20);
    if (g < 1) return {};
    std::string section(page.substr(static_cast<std::size_t>(f) - 1, static_cast<std::size_t>(g - f)));
    std::string list;
    for (;;) {
        const std::size_t link = section.find("/track/detail");
        if (link == std::string::npos) break;
        const std::size_t gt = section.find('>', link);
        if (gt == std::string::npos) break;
        const std::size_t lt = section.find('<', gt + 1);
        const std::string name =
            section.substr(gt + 1, lt == std::string::npos ? std::string::npos : lt - gt - 1);
        section.erase(0, lt == std::string::npos ? section.size() : lt + 1);
        if (!list.empty()) list += "; ";
        list += "&quot;" + name + "&quot;";
    }
    return list.empty() ? std::string() : "Momentane(r) Travelbug(s) im Cache: " + list;
}

std::string referenceWaypoints(std::string_view page) {
    const int h = fastPosNoCase(page, "ADDITIONAL WAYPOINTS");
    if (h < 1) return {};
    const int t = fastPosNoCase(page, "<TABLE", h + 20);
    if (t < 1) return {};
    const int e = fastPosNoCase(page, "</TABLE>", h);
    if (e < t) return {};
    std::string table(page.substr(static_cast<std::size_t>(t) - 1, static_cast<std::size_t>(e + 8 - t)));
    removeEverySpan(table, "<img", ">");
    removeEverySpan(table, "<a", ">");
    removeAll(table, "</a>");
    removeAll(table, "\xC2");
    replaceAll(table, "\xB0", "&deg;");
    removeAll(table, "width=\"100%\"");
    replaceAll(table, "border=\"0\"", "border=\"1\"");
    removeFirstSpan(table, "<tr", "</tr>");
    for (int p = fastPos(table, "<tr"); p > 0; p = fastPos(table, "<tr", p + 1)) {
        if (upperCase(table.substr(static_cast<std::size_t>(p) - 1, 22)) == "<TR BGCOLOR=\"#FFFFFF\">")
            continue;
        for (int k = 0; k < 4; ++k) {
            const int a = fastPosNoCase(table, "<td", p);
            if (a < 1) break;
            const int b = fastPosNoCase(table, "</td>", a + 1);
            if (b < 1) break;
            table.erase(static_cast<std::size_t>(a) - 1, static_cast<std::size_t>(b + 5 - a));
        }
    }
    replaceAll(table, "Parking Area", "P");
    replaceAll(table, "Stages of a Multicache", "SOM");
    replaceAll(table, "Question to answer", "QTA");
    replaceAll(table, "\r\n", "");
    replaceAll(table, "\t", "");
    replaceAll(table, "<tr", "\r\n<tr");
    replaceAll(table, "<td", "\r\n  <td");
    replaceAll(table, "<table", "<table style=\"float: left; margin-right: 10px; margin-bottom: 10px;\"");
    removeAll(table, "<td valign=\"top\" align=\"left\"></td>");
    replaceAll(table, "colspan=\"6\"", "colspan=\"2\"");
    const std::size_t firstRow = table.find("<tr");
    if (firstRow != std::string::npos)
        table.insert(firstRow, "<tr><td colspan=\"2\"><center>Zus&auml;tzliche Wegpunkte</center></td></tr>");
    return table;
}

// The fixtures beside this file, found from the source tree (the data folder's sibling), so that the
// test does not depend on the directory it runs in.
std::string fixture(const std::string& name) {
    const auto path =
        std::filesystem::path(VELLORA_TEST_DATA_DIR) / ".." / "tests" / "listing" / "fixtures" / name;
    return readFile(path.string()).value_or("");
}

// Pages made of the pieces the passes look for, in random order and case, cut anywhere.
std::string randomPage(std::mt19937& rng, const std::vector<std::string>& pieces, int count) {
    std::string page;
    for (int i = 0; i < count; ++i) {
        std::string piece = pieces[rng() % pieces.size()];
        if (rng() % 4 == 0) piece = upperCase(piece);
        if (rng() % 8 == 0) piece = piece.substr(0, rng() % (piece.size() + 1));
        page += piece;
    }
    return page;
}

TEST(ParseLinear, SpanFieldsAsTheFieldCutFromTheFront) {
    for (const char* name : {"GC1A2B3.html", "GCGPX01.html", "placeholders.html"}) {
        const std::string page = joinPageLines(fixture(name));
        ASSERT_FALSE(page.empty()) << name;
        EXPECT_EQ(readerFields(page), referenceFields(page)) << name;
    }
    const std::vector<std::string> pieces = {"<span id=\"A\">",
                                             "<span id='LongDescription'>",
                                             "<span id=\"LongDescription\">",
                                             "</span>",
                                             "<span>",
                                             "</SPAN></BLOCKQUOTE>",
                                             "<STRONG>Additional Hints",
                                             "text ",
                                             ">",
                                             "=",
                                             "<span id=",
                                             "\""};
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const std::string page = randomPage(rng, pieces, 1 + static_cast<int>(rng() % 14));
        ASSERT_EQ(readerFields(page), referenceFields(page)) << page;
        // The page-consuming form leaves what the reference leaves.
        std::string a = page, b = page, id, content, id2, content2;
        while (true) {
            const bool x = getNextSpanField(a, id, content);
            const bool y = referenceNextField(b, id2, content2);
            ASSERT_EQ(x, y) << page;
            ASSERT_EQ(a, b) << page;
            if (!x) break;
        }
    }
}

TEST(ParseLinear, TravelBugsAndWaypointRowsAsBefore) {
    const std::string site = fixture("GC1A2B3.html");
    EXPECT_EQ(getTravelBugs(site), referenceTravelBugs(site));
    EXPECT_EQ(getAdditionalWaypoints(site), referenceWaypoints(site));

    const std::vector<std::string> bugPieces = {
        "<a href=\"/track/details?id=1\">", "Bug", "</a>", "<", ">", "/track/detail", "x"};
    // Cells that join into new tags once a cell between them is dropped are in the mix on purpose.
    const std::vector<std::string> rowPieces = {"<tr>",
                                                "<tr bgcolor=\"#FFFFFF\">",
                                                "<TR BGCOLOR=\"#ffffff\">",
                                                "<td>",
                                                "<td valign=\"top\">",
                                                "</td>",
                                                "</tr>",
                                                "a",
                                                "<t",
                                                "d>",
                                                "r",
                                                "</t",
                                                "<",
                                                "<tr",
                                                "</TD>"};
    std::mt19937 rng(9);
    for (int round = 0; round < 3000; ++round) {
        const std::string bugs =
            "<span id=\"lnkTravelBugs\">" + randomPage(rng, bugPieces, 12) + "<span id=\"x\">";
        ASSERT_EQ(getTravelBugs(bugs), referenceTravelBugs(bugs)) << bugs;
        const std::string table = "Additional Waypoints <table><tr>head</tr>" +
                                  randomPage(rng, rowPieces, 1 + static_cast<int>(rng() % 30)) + "</table>";
        ASSERT_EQ(getAdditionalWaypoints(table), referenceWaypoints(table)) << table;
    }
}

}  // namespace
}  // namespace vellora
