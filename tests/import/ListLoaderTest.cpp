// The result-list loader: its text rules, and its paging against the stand-in's finds pages.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "import/LoadGCLists.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using sim::FaultKind;
using test::TestHome;

TEST(ListLoaderText, FormEncodingKeepsOnlyLettersAndFiveMarks) {
    struct Case {
        std::string in, out;
    } const cases[] = {
        {"aZ*-.@_", "aZ*-.@_"},     {"a b", "a+b"},       {"0129", "%30%31%32%39"},
        {"dDw+/=", "dDw%2b%2f%3d"}, {"\xE4\n", "%e4%0a"}, {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TListLoader::formEncode(c.in), c.out) << c.in;
}

TEST(ListLoaderText, ViewStateIsTheQuotedValueAfterTheField) {
    struct Case {
        std::string page;
        std::optional<std::string> state;
    } const cases[] = {
        {R"(<input type="hidden" name="__VIEWSTATE" value="dDwx+Mz/0=" />)", "dDwx+Mz/0="},
        {R"(<INPUT NAME="__viewstate" VALUE="abc">)", "abc"},
        {R"(<input name="__VIEWSTATE" value="" />)", ""},
        // Only after the field's name; an earlier value belongs to another field.
        {R"(<input name="x" value="no"><input name="__VIEWSTATE" id=v value="yes">)", "yes"},
        {R"(<input name="__EVENTTARGET" value="" />)", std::nullopt},
        {R"(<input name="__VIEWSTATE" value="open)", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TListLoader::readViewState(c.page), c.state) << c.page;
}

TEST(ListLoaderText, NextControlComesFromThe30CharactersBeforeNext) {
    const std::string link = "<a href=\"javascript:__doPostBack('ResultsPager$_ctl12','')\"><b>Next</b></a>";
    struct Case {
        std::string page;
        int control;
    } const cases[] = {
        {"<td class=\"paging\">Page 1 " + link + "</td>", 12},
        {"<TD CLASS=\"PAGING\" colspan=4>" + link + "</TD>", 12},
        // The first cell with "Next" decides, even when a later one would give a number.
        {"<td class=\"paging\">x</td><td class=\"paging\">" + link + "</td><td class=\"paging\">" +
             "<a href=\"javascript:__doPostBack('ResultsPager$_ctl7','')\">Next</a></td>",
         12},
        // "Next" outside a paging cell, or spelled otherwise, is no next link.
        {"<td>" + link + "</td>", -1},
        {"<td class=\"paging\"><a "
         "href=\"javascript:__doPostBack('ResultsPager$_ctl12','')\"><b>NEXT</b></a></td>",
         -1},
        // Less than 30 characters into the cell.
        {"<td class=\"paging\">$_ctl3 Next</td>", -1},
        // The control number stands more than 30 characters before "Next".
        {"<td class=\"paging\"><a href=\"x('ResultsPager$_ctl12','')\" title=\"go on\"><b>Next</b></a></td>",
         -1},
        {"<td class=\"paging\"><a "
         "href=\"javascript:__doPostBack('ResultsPager$_ctl','')\"><b>Next</b></a></td>",
         -1},
        {"", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(TListLoader::findNextControl(c.page), c.control) << c.page;
}

TEST(ListLoaderText, ProxyTextRules) {
    struct Case {
        std::string text;
        std::optional<TProxySetting> proxy;
        bool portError;
    } const cases[] = {
        {"", std::nullopt, false},
        {"proxy.example:3128", TProxySetting{"proxy.example", 3128}, false},
        {"HTTP://proxy.example:8080", TProxySetting{"proxy.example", 8080}, false},
        {"http://proxy.example", TProxySetting{"proxy.example", 80}, false},
        {"proxy.example", TProxySetting{"proxy.example", 80}, false},
        {"proxy.example:80a", TProxySetting{"proxy.example", 80}, true},
        {"proxy.example:", TProxySetting{"proxy.example", 80}, true},
        {"proxy.example:99999", TProxySetting{"proxy.example", 80}, true},
    };
    for (const auto& c : cases) {
        bool portError = false;
        EXPECT_EQ(TListLoader::parseProxy(c.text, portError), c.proxy) << c.text;
        EXPECT_EQ(portError, c.portError) << c.text;
    }
}

class ListLoader : public ::vellora::test::SimSuite<ListLoader> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().applyTo(home.ctx());
    }
    std::string findsUrl(const std::string& encodedUser) const {
        return sim().baseUrl() + "/seek/nearest.aspx?ul=" + encodedUser + "&submit4=Find";
    }
    std::string debugLog() const { return home.dir.exists("debug.log") ? home.dir.read("debug.log") : ""; }

    TestHome home;
};

TEST_F(ListLoader, PagesThroughAllResultsByPostingTheFormBack) {
    TListLoader loader(home.ctx());
    loader.initializeHTTP("");
    ASSERT_EQ(loader.GetFirstPage(findsUrl("Tester+45")), 0);
    EXPECT_EQ(loader.nextControl(), 12);
    EXPECT_FALSE(loader.viewState().empty());
    int pages = 1;
    while (loader.nextAvailable()) {
        const std::string state = loader.viewState();
        ASSERT_EQ(loader.GetNextPage(), 0) << loader.lastError();
        ++pages;
        ASSERT_LE(pages, 3);
        EXPECT_NE(loader.viewState(), state);
    }
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(loader.pagesPosted(), 2);
    // On the last page there is no next link to follow.
    EXPECT_EQ(loader.GetNextPage(), -2);

    const auto requests = sim().requestsTo("/seek/nearest.aspx");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    for (const auto& r : requests) {
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.userAgent, "Mozilla/3.0 (compatible; Indy Library)");
        EXPECT_EQ(r.query, "ul=Tester+45&submit4=Find");
        EXPECT_FALSE(r.absoluteForm);
    }
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].body.rfind("__EVENTTARGET=ResultsPager:_ctl12&__EVENTARGUMENT=&__VIEWSTATE=", 0),
              0u)
        << requests[1].body;
    // Nothing is logged unless the loader is verbose.
    EXPECT_EQ(debugLog(), "");
}

TEST_F(ListLoader, FailuresGiveTheirCodesAndVerboseLines) {
    TListLoader loader(home.ctx());
    loader.verbose = true;
    loader.initializeHTTP("");

    // A page without view state cannot be posted back.
    ASSERT_EQ(loader.GetFirstPage(sim().baseUrl() + "/"), 0);
    EXPECT_EQ(loader.GetNextPage(), -1);

    sim().addFault("/seek/nearest.aspx", FaultKind::ServerError, 1);
    EXPECT_EQ(loader.GetFirstPage(findsUrl("Eule+45")), -1);
    EXPECT_FALSE(loader.lastError().empty());

    ASSERT_EQ(loader.GetFirstPage(findsUrl("Eule+45")), 0);
    sim().addFault("/seek/nearest.aspx", FaultKind::Close, 1);
    EXPECT_EQ(loader.GetNextPage(), -3);

    const std::string log = debugLog();
    for (const std::string& line : std::vector<std::string>{
             "INF: TListLoader.initializeHTTP: startproc\r\n",
             "INF: TListLoader.initializeHTTP: no proxy required\r\n",
             "INF: TListLoader.GetFirstPage: Get \"" + findsUrl("Eule+45") + "\"\r\n",
             "INF: TListLoader.GetFirstPage: loaded successfully\r\n",
             "ERR: TListLoader.GetFirstPage: " + loader.lastError() + "\r\n",
             "INF: TListLoader.HTTPWorkBegin: have to load ",
         })
        EXPECT_NE(log.find(line), std::string::npos) << line;
    // Three requests reached the server's finds page: two GETs and the failed POST.
    EXPECT_EQ(sim().requestsTo("/seek/nearest.aspx").size(), 3u);
}

TEST_F(ListLoader, ProxySettingSendsEveryPageThroughTheProxy) {
    TListLoader loader(home.ctx());
    loader.verbose = true;
    const std::string port = std::to_string(sim().server().port());
    loader.initializeHTTP("http://127.0.0.1:" + port);
    // Through the proxy the address may name a host of its own.
    const std::string url = "http://listings.example/seek/nearest.aspx?ul=Eule+25&submit4=Find";
    ASSERT_EQ(loader.GetFirstPage(url), 0) << loader.lastError();
    ASSERT_EQ(loader.GetNextPage(), 0) << loader.lastError();
    const auto requests = sim().requestsTo("/seek/nearest.aspx");
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& r : requests) {
        EXPECT_TRUE(r.absoluteForm);
        EXPECT_EQ(r.host, "listings.example");
    }
    EXPECT_NE(debugLog().find("INF: TListLoader.initializeHTTP: proxy set: 127.0.0.1, Port: " + port),
              std::string::npos);

    // A malformed port is logged and gives port 80.
    loader.initializeHTTP("127.0.0.1:x");
    EXPECT_EQ(loader.client().proxy(), (TProxySetting{"127.0.0.1", 80}));
    EXPECT_NE(debugLog().find("ERR: TListLoader.initializeHTTP: Wrong proxy port: \"127.0.0.1:x\""),
              std::string::npos);
}

}  // namespace
}  // namespace vellora
#endif
