#include "listing/Parse.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "core/DateUtil.h"
#include "core/FileUtil.h"
#include "core/StrUnit.h"

namespace vellora {
namespace {

const std::string kBase = "https://www.vellora-listings.example";
const std::string kImg = "https://img.vellora-listings.example";

const ListingSite& site() {
    static const ListingSite s(kBase, kImg);
    return s;
}

std::string fixture(const std::string& name) {
    const auto path = std::filesystem::path(VELLORA_TEST_SOURCE_DIR) / "listing" / "fixtures" / name;
    auto text = readFile(path.string());
    EXPECT_TRUE(text.has_value()) << path;
    return text.value_or("");
}

struct Extracted {
    std::map<std::string, std::string> fields;
    std::vector<std::string> order;
    LogCounters counters{};
};

Extracted extract(std::string page) {
    Extracted x;
    x.counters.fill(0);
    std::string id, content;
    while (getNextSpanField(page, id, content)) {
        if (!cleanField(id, content, site(), x.counters)) continue;
        x.order.push_back(id);
        x.fields[id] = content;
    }
    return x;
}

// ---- cleanField, one row per rule ----

struct CleanCase {
    const char* name;
    std::string id;
    std::string content;
    bool accepted;
    std::string outId;
    std::string out;
};

class CleanFieldRules : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanFieldRules, CleansByTheRuleOfItsId) {
    const CleanCase& c = GetParam();
    std::string id = c.id, content = c.content;
    LogCounters counters{};
    ASSERT_EQ(cleanField(id, content, site(), counters), c.accepted);
    if (!c.accepted) return;
    EXPECT_EQ(id, c.outId);
    EXPECT_EQ(content, c.out);
}

const CleanCase kCleanCases[] = {
    {"PlainFieldsKeepContentButLoseTrailingLineEnds", "CacheName", "Alte <i>M\xFChle</i>\r\n\n\r", true,
     "CACHENAME", "Alte <i>M\xFChle</i>"},
    {"Location", "location", "In Bayern, Germany", true, "LOCATION", "In Bayern, Germany"},
    {"WaypointName", "WaypointName", "GC1A2B3\r\n", true, "WAYPOINTNAME", "GC1A2B3"},
    {"LongDescriptionUntouched", "LongDescription", "<P>a<BR>b</span></BLOCKQUOTE>\r\n<p>", true,
     "LONGDESCRIPTION", "<P>a<BR>b</span></BLOCKQUOTE>\r\n<p>"},
    {"WatchersCount", "lnkDetails",
     "<a href=\"x\">Watch This Cache</a><br><font size=\"1\"><strong>7</strong> user(s) watching this "
     "cache.</font>",
     true, "LNKDETAILS", "7 Beobachter"},
    {"WatchersWithoutBoxNotAccepted", "lnkDetails", "<a href=\"x\">Watch This Cache</a>", false, "", ""},
    {"WatchersWithEmptyStrongGiveEmptyText", "LNKDETAILS", "<STRONG></STRONG> watching this cache.", true,
     "LNKDETAILS", ""},
    {"ErrorText", "ErrorText",
     "<font color=\"#990000\"><strong>Cache Issues:</strong><ul><li>Archived.</li><li>Gone.</li></ul></font>"
     "<FONT size=1><STRONG>x</STRONG>!</FONT>",
     true, "ERRORTEXT", "Archived.Gone.!"},
    {"Owner", "CacheOwner",
     "<font size=\"2\">by <b>Hans</b> [<a href=\"p\">view other caches</a>]</font> [second]", true,
     "CACHEOWNER", "by Hans  [second]"},
    {"LatLonEast", "LatLon", "<font size=3><strong>N 48\xC2\xB0 08.123 E 011\xC2\xB0 34.567</strong></font>",
     true, "LATLON", "N 48\xB0 08.123 / E 011\xB0 34.567"},
    {"LatLonWestAndBreaks", "LatLon", "S 33\xB0 30.000<br clear=all> W 070\xB0 15.000<br><br>", true,
     "LATLON", "S 33\xB0 30.000 / W 070\xB0 15.000"},
    {"LatLonWithoutHemisphereLetterGetsNoSlash", "LatLon", "48.1 11.5", true, "LATLON", "48.1 11.5"},
    {"LatLonSmallEIsNoHemisphere", "LatLon", "n 48 e 11", true, "LATLON", "n 48 e 11"},
    {"Utm", "UTMFormat", "<font size=1>UTM: 32U E 691234<br>N 5334567</font>", true, "UTMFORMAT",
     "32U E 691234N 5334567"},
    {"DateHidden", "DateHidden", "11/05/2006", true, "DATEHIDDEN", "05. 11. 2006"},
    {"DateHiddenSingleDigits", "DateHidden", "1/2/2007\r\n", true, "DATEHIDDEN", "02. 01. 2007"},
    {"DateHiddenInvalidDay", "DateHidden", "02/30/2006", true, "DATEHIDDEN", "unbekannt"},
    {"DateHiddenGarbage", "DateHidden", "Nov 5 2006", true, "DATEHIDDEN", "unbekannt"},
    {"DateHiddenTooManyParts", "DateHidden", "11/05/2006/1", true, "DATEHIDDEN", "unbekannt"},
    {"StarsAndHalf", "Difficulty", "***1/2", true, "DIFFICULTY", "3.5"},
    {"StarsOnly", "Terrain", "*****", true, "TERRAIN", "5.0"},
    {"RatingFromAltText", "Terrain", "<img src=\"x/stars1_5.gif\" alt=\"1.5 out of 5\" align=\"absmiddle\">",
     true, "TERRAIN", "1.5"},
    {"RatingWithoutStarsOrAlt", "Difficulty", "<img src=\"x.gif\">", true, "DIFFICULTY", "0.0"},
    {"ShortDescription", "ShortDescription", "<P>Kurz</P><p>und</p> <b>gut</b>", true, "SHORTDESCRIPTION",
     "Kurzund <b>gut</b>"},
    {"SiteHintSpan", "Hints\" class=\"displayMe", "Hagre Fgrva [Tree]<br>", true, "HINTS",
     "Unter Stein [Gerr]"},
    {"HintOnlyBreaks", "Hints\" class=\"displayMe", "<br><BR>\r\n", true, "HINTS", "n/a"},
    {"PlainHintIdOfGpxPages", "Hints", "Qbfr", true, "HINTS", "Dose"},
    {"Images", "Images",
     "<font size=\"2\"><img src=\"b/images/icons/camera.gif\">&nbsp;<a href=\"u\">T</a><br>D<br></font>",
     true, "IMAGES", "<a href=\"u\">T</a>D"},
    {"NumVisits", "NumVisits", "<font size=\"2\"><b>12</b> Logged Visits <a href=\"x\">(show all)</a></font>",
     true, "NUMVISITS", "12 Logged Visits "},
    {"LogsStripLinksAndImages", "CacheLogs",
     "<table WIDTH=\"90%\"><tr><td><strong><img src=\"x/other.gif\">May 1 by <A NAME=\"1\"><a "
     "href=\"p\">Ann</a>"
     "</strong> (3 found)<br>Hi [<a href=\"l\">visit log</a>]</td></tr></table>",
     true, "CACHELOGS", "<table WIDTH=\"100%\"><tr><td>May 1 by Ann (3 found)<br>Hi </td></tr></table>"},
    {"LargeMapNotAccepted", "LargeMap", "<a href=\"m\">View larger map</a>", false, "", ""},
    {"TravelBugBoxNotAccepted", "lnkTravelBugs", "<a href=\"/track/details\">Bug</a>", false, "", ""},
    {"UnknownId", "Foo", "bar", false, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Parse, CleanFieldRules, ::testing::ValuesIn(kCleanCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// ---- log icons ----

TEST(ParseLogIcons, EveryFormOfAnIconGivesTheSameMarkerAndCounter) {
    const std::string forms[] = {
        "<img src=\"" + kBase + "/images/icon_sad.gif\">",
        "<IMG SRC='" + kBase + "/images/icon_sad.gif'>",
        "<img src=\"" + kBase + "/images/icons/icon_sad.gif\" align=\"absmiddle\">",
        "<img src='" + kBase + "/images/icons/icon_sad.gif' align='absmiddle'>",
        // pages written from GPX files: icons folder, no align attribute, on the image host or the site
        "<IMG SRC=\"" + kImg + "/images/icons/icon_sad.gif\">",
        "<img src='" + kImg + "/images/icons/icon_sad.gif'>",
        "<IMG SRC=\"" + kBase + "/images/icons/icon_sad.gif\">",
    };
    for (const auto& tag : forms) {
        std::string id = "CacheLogs", content = "<tr>" + tag + "May 1 by X (1 found)</tr>";
        LogCounters counters{};
        ASSERT_TRUE(cleanField(id, content, site(), counters));
        EXPECT_EQ(content, "<tr><!-- [[LOG]] -->:-(&nbsp;May 1 by X (1 found)</tr>") << tag;
        LogCounters expected{};
        expected[kLogDnf] = 1;
        EXPECT_EQ(counters, expected) << tag;
    }
}

TEST(ParseLogIcons, TableRowsMarkersAndCounters) {
    struct Row {
        const char* file;
        const char* marker;
        int counter;
    };
    const Row rows[] = {
        {"icon_smile.gif", ":-)&nbsp;", kLogFound},
        {"icon_camera.gif", ":-)&nbsp;", kLogFound},
        {"big_smile.gif", ":-]&nbsp;", kLogReviewNote},
        {"icon_note.gif", "(N)&nbsp;", kLogNote},
        {"icon_sad.gif", ":-(&nbsp;", kLogDnf},
        {"icon_greenlight.gif", "(enabled)&nbsp;", kLogEnabled},
        {"icon_redlight.gif", "(disabled)&nbsp;", kLogDisabled},
        {"icon_disabled.gif", "(disabled)&nbsp;", kLogDisabled},
        {"icon_enabled.gif", "(enabled)&nbsp;", kLogEnabled},
        {"icon_rsvp.gif", "[komme]&nbsp;", kLogWillAttend},
        {"icon_attended.gif", "[war da]&nbsp;", kLogAttended},
        {"icon_needsmaint.gif", "? + ?&nbsp;", kLogNeedsMaintenance},
        {"icon_maint.gif", "! + !&nbsp;", kLogMaintained},
        {"coord_update.gif", "[&uarr;&darr;]", -1},
    };
    for (const Row& r : rows) {
        std::string id = "CACHELOGS";
        std::string content = "<img src=\"" + kBase + "/images/icons/" + r.file + "\" align=\"absmiddle\">x";
        LogCounters counters{};
        counters.fill(9);
        ASSERT_TRUE(cleanField(id, content, site(), counters));
        EXPECT_EQ(content, std::string("<!-- [[LOG]] -->") + r.marker + "x") << r.file;
        LogCounters expected{};
        if (r.counter >= 0) expected[static_cast<std::size_t>(r.counter)] = 1;
        EXPECT_EQ(counters, expected) << r.file;
    }
}

TEST(ParseLogIcons, SecondFormOnlyRowsAreNotMatchedWithoutTheIconsFolder) {
    for (const char* file : {"icon_needsmaint.gif", "icon_maint.gif", "coord_update.gif"}) {
        std::string id = "CACHELOGS";
        std::string content = "<img src=\"" + kBase + "/images/" + file + "\">x";
        LogCounters counters{};
        ASSERT_TRUE(cleanField(id, content, site(), counters));
        EXPECT_EQ(content, "x") << file;  // the tag goes with the other images, without a marker
        EXPECT_EQ(counters, LogCounters{});
    }
}

TEST(ParseLogIcons, OtherHostsAreNotLogIcons) {
    std::string id = "CACHELOGS";
    std::string content = "<img src=\"http://elsewhere.example/images/icon_smile.gif\">x";
    LogCounters counters{};
    ASSERT_TRUE(cleanField(id, content, site(), counters));
    EXPECT_EQ(content, "x");
    EXPECT_EQ(counters, LogCounters{});
}

// ---- getNextSpanField ----

std::vector<std::pair<std::string, std::string>> allFields(std::string page) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string id, content;
    while (getNextSpanField(page, id, content)) out.emplace_back(id, content);
    return out;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

TEST(ParseSpanFields, NestedSpansEndAtTheOuterClosingTag) {
    EXPECT_EQ(allFields("x<SPAN ID=\"A\">1<span>2</span>3</span>y<span id='B'>4</span>"),
              (Fields{{"A", "1<span>2</span>3"}, {"B", "4"}}));
    EXPECT_EQ(allFields("<span id=\"A\">1<span>2</span>3<span class=c>4</span>5</SPAN>z"),
              (Fields{{"A", "1<span>2</span>3<span class=c>4</span>5"}}));
}

TEST(ParseSpanFields, AttributesBehindTheIdBelongToTheId) {
    EXPECT_EQ(allFields("<span id=\"Hints\" class=\"displayMe\">Uvag</span>"),
              (Fields{{"Hints\" class=\"displayMe", "Uvag"}}));
}

TEST(ParseSpanFields, UnclosedSpanEndsTheLoop) {
    EXPECT_EQ(allFields("<span id=\"A\">1</span><span id=\"B\">never closed<span id=\"C\">3"),
              (Fields{{"A", "1"}}));
    // A nested span closing at the very end of the page leaves the field itself unclosed.
    EXPECT_EQ(allFields("<span id=\"A\">open<span>x</span>"), (Fields{}));
    EXPECT_EQ(allFields("<span id=\"A\" no end of the tag"), (Fields{}));
}

TEST(ParseSpanFields, UnclosedSpanEndsAtTheBlockquoteEnd) {
    EXPECT_EQ(allFields("<span id=\"A\">1<span>2</SPAN></BLOCKQUOTE>rest"), (Fields{{"A", "1<span>2"}}));
}

TEST(ParseSpanFields, LongDescriptionEndsAtTheHintHeadingAndIsNotConsumed) {
    const std::string page =
        "<span id=\"LongDescription\">Text <span id=\"Inner\">i</span></span></BLOCKQUOTE>"
        "<p><STRONG>Additional Hints</STRONG><span id=\"Hints\">h</span>";
    EXPECT_EQ(allFields(page),
              (Fields{{"LongDescription", "Text <span id=\"Inner\">i</span></span></BLOCKQUOTE><p>"},
                      {"Inner", "i"},
                      {"Hints", "h"}}));
}

TEST(ParseSpanFields, LongDescriptionWithoutHintHeadingEndsWithItsSpan) {
    EXPECT_EQ(allFields("<span id=\"LongDescription\">Text</span></BLOCKQUOTE><span id=\"Hints\">h</span>"),
              (Fields{{"LongDescription", "Text"}, {"Hints", "h"}}));
    // Neither marker: empty, and the later fields are still found.
    EXPECT_EQ(allFields("<span id=\"LongDescription\">Text</span><span id=\"CacheLogs\">l</span>"),
              (Fields{{"LongDescription", ""}, {"CacheLogs", "l"}}));
}

// ---- whole pages ----

TEST(ParsePages, SitePageFixture) {
    const Extracted x = extract(fixture("GC1A2B3.html"));
    EXPECT_EQ(x.order, (std::vector<std::string>{
                           "CACHENAME", "CACHEOWNER", "DATEHIDDEN", "DIFFICULTY", "TERRAIN", "WAYPOINTNAME",
                           "LNKDETAILS", "LATLON", "UTMFORMAT", "LOCATION", "ERRORTEXT", "SHORTDESCRIPTION",
                           "LONGDESCRIPTION", "HINTS", "IMAGES", "NUMVISITS", "CACHELOGS"}));
    const std::map<std::string, std::string> expected = {
        {"CACHENAME", "Alte M\xC3\xBChle &amp; Steg"},
        {"CACHEOWNER", "by Hans Huber "},
        {"DATEHIDDEN", "05. 11. 2006"},
        {"DIFFICULTY", "2.5"},
        {"TERRAIN", "3.5"},
        {"WAYPOINTNAME", "GC1A2B3"},
        {"LNKDETAILS", "7 Beobachter"},
        {"LATLON", "N 48\xB0 08.123 / E 011\xB0 34.567"},
        {"UTMFORMAT", "32U E 691234 N 5334567"},
        {"LOCATION", "In Bayern, Germany"},
        {"ERRORTEXT", "This cache is temporarily unavailable."},
        {"SHORTDESCRIPTION", "Eine <b>kurze</b> Runde an der M\xFChle."},
        {"HINTS", "Unter Stein [Gerr] Nicht im Wasser"},
        {"NUMVISITS", "12 Logged Visits "},
    };
    for (const auto& [id, value] : expected) EXPECT_EQ(x.fields.at(id), value) << id;
    const std::string& longDesc = x.fields.at("LONGDESCRIPTION");
    EXPECT_TRUE(longDesc.starts_with("<body background=\"")) << longDesc;
    EXPECT_TRUE(longDesc.ends_with("</table></span></BLOCKQUOTE>\r\n<p>")) << longDesc;

    LogCounters counters{};
    counters[kLogFound] = 3;
    counters[kLogDnf] = 1;
    counters[kLogNote] = 1;
    counters[kLogNeedsMaintenance] = 1;
    EXPECT_EQ(x.counters, counters);
    const std::string& logs = x.fields.at("CACHELOGS");
    EXPECT_EQ(logs.find("visit log"), std::string::npos);
    EXPECT_NE(logs.find("<!-- [[LOG]] -->:-(&nbsp;November 3 by Pechvogel (3 found)"), std::string::npos);
    EXPECT_NE(logs.find("WIDTH=\"100%\""), std::string::npos);
}

TEST(ParsePages, GpxPageGivesLongDescriptionHintAndLogs) {
    const Extracted x = extract(fixture("GCGPX01.html"));
    EXPECT_EQ(x.fields.at("CACHEOWNER"), "by Peter Pan ");
    EXPECT_EQ(x.fields.at("DATEHIDDEN"), "01. 04. 2005");
    EXPECT_EQ(x.fields.at("DIFFICULTY"), "1.5");
    EXPECT_EQ(x.fields.at("TERRAIN"), "2");
    EXPECT_EQ(x.fields.at("HINTS"), "Unter der Wurzel [Baum]");
    const std::string& longDesc = x.fields.at("LONGDESCRIPTION");
    EXPECT_EQ(longDesc.find("<table border=\"1\" width=\"100%\">"), 0u);
    EXPECT_TRUE(longDesc.ends_with("<p>Die Dose ist <b>gr\xC3\xBCn</b>.</p>")) << longDesc;
    LogCounters counters{};
    counters[kLogFound] = 2;
    counters[kLogDnf] = 1;
    counters[kLogNote] = 1;
    EXPECT_EQ(x.counters, counters);
    EXPECT_NE(
        x.fields.at("CACHELOGS").find("<!-- [[LOG]] -->:-)&nbsp;&nbsp;November 05, 2006 by Moni (1 found)"),
        std::string::npos);
}

TEST(ParsePages, PageWithoutLogBlockLeavesCountersZero) {
    const Extracted x = extract("<span id=\"CacheName\">A</span><span id=\"CacheLogs\"></span>");
    EXPECT_EQ(x.counters, LogCounters{});
    EXPECT_EQ(extract("<span id=\"CacheName\">A</span>").counters, LogCounters{});
}

// ---- cutFirstTag and getImageEntry ----

TEST(ParseTags, CutFirstTag) {
    struct Case {
        std::string text, tag, rest;
        bool ok;
    };
    const Case cases[] = {
        {"ab<a href=x>c", "<a href=x>", "abc", true},
        {"<a title=\"<b>\">x", "<a title=\"<b>\">", "x", true},
        {"no tag", "", "no tag", false},
        {"x<a <b>", "", "x<a <b>", false},
        {"<>", "<>", "", true},
    };
    for (const Case& c : cases) {
        std::string text = c.text, tag;
        EXPECT_EQ(cutFirstTag(text, tag), c.ok) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
        if (c.ok) {
            EXPECT_EQ(tag, c.tag) << c.text;
        }
    }
}

std::vector<std::array<std::string, 3>> imageEntries(std::string images) {
    std::vector<std::array<std::string, 3>> out;
    std::string url, title, description;
    while (getImageEntry(images, url, title, description, kImg)) out.push_back({url, title, description});
    return out;
}

TEST(ParseImages, EntriesOfTheSitePage) {
    const Extracted x = extract(fixture("GC1A2B3.html"));
    EXPECT_EQ(
        imageEntries(x.fields.at("IMAGES")),
        (std::vector<std::array<std::string, 3>>{{kImg + "/cache/abc.jpg", "Blick vom Turm", "Im Herbst"},
                                                 {kImg + "/cache/def.png", "Dose", "Das Versteck"}}));
}

TEST(ParseImages, EntriesWithoutImageHostAddressArePassedOver) {
    const std::string images = "<a href=\"http://other.example/x.jpg\">Fremd</a>F<a href='" + kImg +
                               "/cache/a.gif'>A</a>Da<font color=red><a href=" + kImg +
                               "/cache/b.jpg>B</a>Db</font><a href=\"nowhere\">N</a>Dn";
    EXPECT_EQ(imageEntries(images),
              (std::vector<std::array<std::string, 3>>{{kImg + "/cache/a.gif", "A", "Da"},
                                                       {kImg + "/cache/b.jpg", "B", "Db"}}));
}

TEST(ParseImages, EntryWithoutClosingTagEndsTheList) {
    // The title's closing tag is missing: the entry is read but reported as the end of the list.
    std::string images = "<a href=\"" + kImg + "/cache/c.jpg\">Titel";
    std::string url, title, description;
    EXPECT_FALSE(getImageEntry(images, url, title, description, kImg));
    EXPECT_EQ(url, kImg + "/cache/c.jpg");
    EXPECT_EQ(title, "Titel");
}

// ---- log block, travel bugs, additional waypoints ----

TEST(ParseLogBlock, FinishLogBlock) {
    const std::string logs =
        "<table class=\"LogsTable\" WIDTH=\"100%\">\r\n<tr><td class=\"Row\"><font size=\"2\"><!-- [[LOG]] "
        "-->"
        ":-)&nbsp;May 1 by Ann (3 found)<br>Hi<p>there<br clear=\"all\"><a href=\"x\">link</a></p><b>b</b>"
        "</font></td></tr>\r\n</table>";
    EXPECT_EQ(finishLogBlock(logs),
              "\r\n<P><!-- [[LOG]] -->:-)&nbsp;May 1 by Ann (3 found)</B><BR>\r\nHi</B><BR>\r\nthere"
              "link"
              "b</P>\r\n");
}

TEST(ParseTravelBugs, BoxWithAndWithoutBugs) {
    EXPECT_EQ(getTravelBugs(fixture("GC1A2B3.html")),
              "Momentane(r) Travelbug(s) im Cache: &quot;Rennschnecke&quot;; &quot;Blauer Bus&quot;");
    EXPECT_EQ(getTravelBugs("<span id=\"lnkTravelBugs\">There are no Travel Bugs.<a href=\"/track/faq\">?</a>"
                            "</span><span id=\"LargeMap\"></span>"),
              "");
    // Without a span behind the box the section has no end.
    EXPECT_EQ(getTravelBugs("<span id=\"lnkTravelBugs\"><a href=\"/track/details?x\">A</a></span>"), "");
    EXPECT_EQ(getTravelBugs("no box"), "");
}

TEST(ParseWaypoints, TableOfTheSitePage) {
    // The header row goes in behind the line break put before the first row; the emptied note cell
    // leaves its line break and indent.
    EXPECT_EQ(getAdditionalWaypoints(fixture("GC1A2B3.html")),
              "<table style=\"float: left; margin-right: 10px; margin-bottom: 10px;\" border=\"1\"  "
              "class=\"Table\">\r\n"
              "<tr><td colspan=\"2\"><center>Zus&auml;tzliche Wegpunkte</center></td></tr>"
              "<tr bgcolor=\"#eeeeee\">\r\n  <td valign=\"top\" align=\"left\">Parkplatz (P)</td>"
              "\r\n  <td valign=\"top\" align=\"left\">N 48&deg; 08.000 E 011&deg; 34.000</td></tr>"
              "\r\n<tr bgcolor=\"#FFFFFF\">\r\n  \r\n  <td colspan=\"2\">Note: Kostenlos</td></tr></table>");
}

TEST(ParseWaypoints, MissingPartsGiveEmptyText) {
    EXPECT_EQ(getAdditionalWaypoints("no table"), "");
    EXPECT_EQ(getAdditionalWaypoints("Additional Waypoints but no table"), "");
    EXPECT_EQ(getAdditionalWaypoints("</table>Additional Waypoints <table>"), "");
}

// ---- parseListingDate ----

TEST(ParseDates, ResultListDates) {
    const TDateTime now = encodeDateTime({2006, 12, 8, 21, 4, 5});
    const TDateTime today = encodeDate(2006, 12, 8);
    struct Case {
        const char* text;
        std::optional<TDateTime> date;
    };
    const Case cases[] = {
        {"Today", today},
        {" today ", today},
        {"Yesterday", today - 1},
        {"3 days ago", today - 3},
        {"  12 DAYS AGO", today - 12},
        {"x days ago", std::nullopt},
        {"5 Nov 06", encodeDate(2006, 11, 5)},
        {"15 Dec 05", encodeDate(2005, 12, 15)},
        {"31 Feb 06", today + 1},
        {"5 Foo 06", today + 1},
        {"123 Nov 06", today + 1},
        {"Nov 06", today + 1},
        {"5 Nov", today + 1},
        {"", today + 1},
    };
    for (const Case& c : cases) EXPECT_EQ(parseListingDate(c.text, now), c.date) << c.text;
}

// ---- removeEverySpan against the plain repeated removal ----

TEST(ParseSpans, RemoveEverySpanMatchesRepeatedFirstRemoval) {
    std::mt19937 rng(7);
    const char alphabet[] = "<fontF>xa/[]A";
    const std::pair<const char*, const char*> pairs[] = {
        {"<font", ">"}, {"<a", "/a>"}, {"[<A", "]"}, {"xx", "x"}};
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int len = static_cast<int>(rng() % 40);
        for (int i = 0; i < len; ++i) text += alphabet[rng() % (sizeof alphabet - 1)];
        for (const auto& [open, close] : pairs) {
            std::string expected = text, actual = text;
            int n = 0;
            while (removeFirstSpan(expected, open, close)) ++n;
            EXPECT_EQ(removeEverySpan(actual, open, close), n) << text;
            ASSERT_EQ(actual, expected) << text << " " << open;
        }
    }
    std::string seam = "<fo<font>nt x>y";
    EXPECT_EQ(removeEverySpan(seam, "<font", ">"), 2);
    EXPECT_EQ(seam, "y");
}

}  // namespace
}  // namespace vellora
