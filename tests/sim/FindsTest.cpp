// The own-finds result pages, read and paged the way the program's finds loader does it.
#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "core/DateUtil.h"
#include "sim/SitePages.h"
#include "support/SimSuite.h"

namespace vellora::sim {
namespace {

using test::findNoCase;
using test::upperAsciiText;

// The user name as the finds loader puts it into the address.
std::string encodeUser(const std::string& name) {
    std::string out;
    for (char c : name) {
        switch (static_cast<unsigned char>(c)) {
            case ' ':
                out += '+';
                break;
            case 0xF6:
                out += "%C3%B6";
                break;
            case 0xE4:
                out += "%C3%A4";
                break;
            case 0xFC:
                out += "%C3%BC";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string formEncode(const std::string& v) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char c : v) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '*' || c == '-' || c == '.' || c == '@' || c == '_' || (c >= 'A' && c <= 'Z') ||
            (c >= 'a' && c <= 'z'))
            out += c;
        else if (c == ' ')
            out += '+';
        else
            out += std::string("%") + kHex[u >> 4] + kHex[u & 15];
    }
    return out;
}

bool dropThrough(std::string& text, std::string_view marker) {
    const auto p = findNoCase(text, marker);
    if (p == std::string::npos) return false;
    text.erase(0, p + marker.size());
    return true;
}

std::optional<int> totalRecords(std::string page) {
    const auto t = upperAsciiText(page).find("TOTAL RECORDS");
    if (t == std::string::npos) return std::nullopt;
    page.erase(0, t);
    const auto a = findNoCase(page, "<b>"), b = findNoCase(page, "</b>");
    if (a == std::string::npos || b == std::string::npos) return std::nullopt;
    return std::stoi(page.substr(a + 3, b - a - 3));
}

struct Row {
    std::string waypoint, date;
};

std::vector<Row> rows(std::string page) {
    std::vector<Row> out;
    while (dropThrough(page, "seek/cache_details") && dropThrough(page, ">") && dropThrough(page, ">") &&
           dropThrough(page, "(GC")) {
        Row r;
        r.waypoint = "GC";
        std::size_t k = 0;
        while (k < page.size() && page[k] != ')' && r.waypoint.size() < 6) r.waypoint += page[k++];
        page.erase(0, k + 1);
        if (!dropThrough(page, "/TD>") || !dropThrough(page, ">")) break;
        r.date = page.substr(0, std::min<std::size_t>(page.find('<'), 20));
        out.push_back(r);
    }
    return out;
}

// The pager control that leads on, or -1.
int nextControl(const std::string& page) {
    for (auto p = findNoCase(page, "<td class=\"paging\""); p != std::string::npos;
         p = findNoCase(page, "<td class=\"paging\"", p + 1)) {
        const auto end = findNoCase(page, "</td>", p);
        const std::string cell = page.substr(p, end - p);
        const auto next = cell.find("Next");
        if (next == std::string::npos) continue;
        if (next < 30) return -1;
        const std::string before = upperAsciiText(cell.substr(next - 30, 30));
        const auto ctl = before.find("$_CTL");
        if (ctl == std::string::npos) return -1;
        int n = 0;
        for (std::size_t k = ctl + 5;
             k < before.size() && std::isdigit(static_cast<unsigned char>(before[k])); ++k)
            n = n * 10 + (before[k] - '0');
        return n;
    }
    return -1;
}

std::string viewState(const std::string& page) {
    const auto vs = findNoCase(page, "\"__VIEWSTATE\"");
    const auto value = findNoCase(page, "VALUE=", vs);
    const auto open = page.find('"', value);
    return page.substr(open + 1, page.find('"', open + 1) - open - 1);
}

// Today, Yesterday, n days ago, 5 Nov 06.
std::optional<TDateTime> listingDate(const std::string& text, TDateTime today) {
    const std::string t = upperAsciiText(text);
    if (t.find("TODAY") != std::string::npos) return today;
    if (t.find("YESTERDAY") != std::string::npos) return today - 1;
    if (const auto ago = t.find("DAYS AGO"); ago != std::string::npos)
        return today - std::stoi(t.substr(0, ago));
    static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const auto sp = t.find(' ');
    for (int m = 0; m < 12; ++m)
        if (t.substr(sp + 1, 3) == kMonths[m])
            return parseDate(t.substr(0, sp) + "." + std::to_string(m + 1) + ".20" + t.substr(sp + 5, 2));
    return std::nullopt;
}

SimFixture::Options findsWorld() {
    SimFixture::Options o;
    o.seed = 9;
    o.caches = 600;
    return o;
}

class Finds : public ::vellora::test::SimSuite<Finds, findsWorld> {
protected:
    void SetUp() override { client_ = test::clientFor(sim()); }

    std::unique_ptr<httplib::Client> client_;
};

TEST_F(Finds, PagesWalkAllFindsNewestFirst) {
    const World& w = sim().world();
    struct Case {
        std::string name;
        int pages;
    };
    const Case cases[] = {{"Tester M\xFC"
                           "ller 45",
                           3},
                          {"Fr\xE4nki und Co 41", 3},
                          {"K\xF6nig 40", 2},
                          {"Eule 20", 1},
                          {"Niemand 0", 0},
                          {"Vuva", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Find> expected = w.finds(c.name);
        std::string page =
            test::fetch(*client_, "/seek/nearest.aspx?ul=" + encodeUser(c.name) + "&submit4=Find");
        const auto total = totalRecords(page);
        ASSERT_TRUE(total);
        EXPECT_EQ(*total, static_cast<int>(expected.size()));
        const int pages = (*total + 19) / 20;
        if (c.pages >= 0) {
            EXPECT_EQ(pages, c.pages);
        }

        std::vector<Row> all = rows(page);
        int fetched = 1;
        for (int n = nextControl(page); n >= 0; n = nextControl(page)) {
            const std::string body = "__EVENTTARGET=ResultsPager:_ctl" + std::to_string(n) +
                                     "&__EVENTARGUMENT=&__VIEWSTATE=" + formEncode(viewState(page));
            auto res =
                client_->Post(("/seek/nearest.aspx?ul=" + encodeUser(c.name) + "&submit4=Find").c_str(), body,
                              "application/x-www-form-urlencoded");
            ASSERT_TRUE(res);
            ASSERT_EQ(res->status, 200);
            page = res->body;
            const auto r = rows(page);
            EXPECT_EQ(r.size(),
                      ++fetched < pages ? 20u : static_cast<std::size_t>(*total - 20 * (pages - 1)));
            all.insert(all.end(), r.begin(), r.end());
            ASSERT_LE(fetched, pages);
        }
        EXPECT_EQ(fetched, std::max(1, pages));
        ASSERT_EQ(all.size(), expected.size());
        for (std::size_t k = 0; k < all.size(); ++k) {
            EXPECT_EQ(all[k].waypoint, w.waypoint(expected[k].cache).substr(0, 6));
            EXPECT_EQ(listingDate(all[k].date, w.today()), expected[k].date) << all[k].date;
        }
    }
}

TEST_F(Finds, DatesComeInEveryFormTheLoaderReads) {
    const World& w = sim().world();
    std::string forms;
    std::vector<Find> finds;
    for (const char* user : {"Tester 120", "Eule 80", "Vuva", "Quirl 60", "Moosbart 90"})
        for (const auto& f : w.finds(user)) finds.push_back(f);
    for (const auto& f : finds) {
        const std::string t = listingDateText(f.date, w.today());
        if (t == "Today") forms += 'T';
        if (t == "Yesterday") forms += 'Y';
        if (t.find("days ago") != std::string::npos) forms += 'A';
        if (t.size() >= 8 && t[t.size() - 3] == ' ') forms += 'D';
    }
    for (char c : std::string("TYAD")) EXPECT_NE(forms.find(c), std::string::npos) << c;
    EXPECT_EQ(listingDateText(encodeDate(2006, 11, 5), encodeDate(2006, 12, 8)), "5 Nov 06");
    EXPECT_EQ(listingDateText(encodeDate(2006, 12, 5), encodeDate(2006, 12, 8)), "3 days ago");
}

TEST_F(Finds, LongWaypointsAreCutToSixCharactersInTheRows) {
    const World& w = sim().world();
    int longOnes = 0;
    const std::string name = "Sammler 600";
    for (const auto& f : w.finds(name)) longOnes += w.waypoint(f.cache).size() > 6;
    ASSERT_GT(longOnes, 0);
    const auto page = test::fetch(*client_, "/seek/nearest.aspx?ul=Sammler+600&submit4=Find");
    EXPECT_EQ(totalRecords(page), 600);
}

TEST_F(Finds, BrokenOrForeignViewStateIsAServerError) {
    const std::string url = "/seek/nearest.aspx?ul=Eule+45&submit4=Find";
    const std::string page = test::fetch(*client_, url);
    const std::string own = viewState(page);
    const std::string foreign =
        viewState(test::fetch(*client_, "/seek/nearest.aspx?ul=Eule+46&submit4=Find"));
    for (const std::string& vs : {std::string("garbage!"), foreign}) {
        auto res = client_->Post(
            url.c_str(), "__EVENTTARGET=ResultsPager:_ctl12&__EVENTARGUMENT=&__VIEWSTATE=" + formEncode(vs),
            "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 500);
    }
    // The last page offers no "Next".
    auto res = client_->Post(
        url.c_str(), "__EVENTTARGET=ResultsPager:_ctl13&__EVENTARGUMENT=&__VIEWSTATE=" + formEncode(own),
        "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(nextControl(res->body), -1);
    EXPECT_EQ(rows(res->body).size(), 5u);
}

}  // namespace
}  // namespace vellora::sim
