// The listing site over HTTP: every page has the shape the program's field extractor reads, and
// what it reads there is the world's cache.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "SimTestSupport.h"
#include "core/DateUtil.h"
#include "core/StrUnit.h"
#include "sim/SitePages.h"
#include "support/SimSuite.h"

namespace vellora::sim {
namespace {

using test::countNoCase;
using test::fieldOf;
using test::findNoCase;
using test::spanFields;
using test::upperAsciiText;

// Removes the first span from open to the end of the next close behind it (both without regard to case).
bool removeFirstSpan(std::string& text, std::string_view open, std::string_view close) {
    const auto a = findNoCase(text, open);
    if (a == std::string::npos) return false;
    const auto b = findNoCase(text, close, a + 1);
    if (b == std::string::npos) return false;
    text.erase(a, b + close.size() - a);
    return true;
}
void removeEverySpan(std::string& text, std::string_view open, std::string_view close) {
    while (removeFirstSpan(text, open, close)) {
    }
}
void removeEvery(std::string& text, std::string_view what) {
    for (auto p = findNoCase(text, what); p != std::string::npos; p = findNoCase(text, what, p))
        text.erase(p, what.size());
}

char rot13(char c) {
    if ((c >= 'a' && c <= 'm') || (c >= 'A' && c <= 'M')) return static_cast<char>(c + 13);
    if ((c >= 'n' && c <= 'z') || (c >= 'N' && c <= 'Z')) return static_cast<char>(c - 13);
    return c;
}

// The rating as the extractor reads it: stars and halves, else the image's alt text.
std::string rating(const std::string& content) {
    std::string rest = content;
    int stars = 0, halves = 0;
    for (auto p = rest.find('*'); p != std::string::npos; p = rest.find('*')) {
        rest.erase(p, 1);
        ++stars;
    }
    for (auto p = rest.find("1/2"); p != std::string::npos; p = rest.find("1/2")) {
        rest.erase(p, 3);
        ++halves;
    }
    if (stars || halves) {
        const int tenths = stars * 10 + halves * 5;
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    }
    const auto a = findNoCase(content, "alt=\"");
    if (a == std::string::npos) return "0.0";
    const auto b = findNoCase(content, " out of 5", a);
    if (b == std::string::npos) return "0.0";
    std::string v = content.substr(a + 5, b - a - 5);
    return v.substr(0, v.find(' '));
}

bool cutFirstTag(std::string& text, std::string& tag) {
    const auto lt = text.find('<');
    if (lt == std::string::npos) return false;
    int depth = 1;
    for (std::size_t q = lt + 1; q < text.size(); ++q) {
        if (text[q] == '<') ++depth;
        if (text[q] == '>' && --depth == 0) {
            tag = text.substr(lt, q - lt + 1);
            text.erase(lt, q - lt + 1);
            return true;
        }
    }
    return false;
}

struct ImageEntry {
    std::string url, title, description;
};

// The image list as the loader walks it.
std::vector<ImageEntry> imageEntries(std::string content, const std::string& imageHost) {
    removeFirstSpan(content, "<font", ">");
    removeEvery(content, "</font>");
    removeEvery(content, "&nbsp;");
    removeEvery(content, "<br>");
    removeEverySpan(content, "<img", "camera.gif\">");
    std::vector<ImageEntry> out;
    for (;;) {
        removeEverySpan(content, "<font", ">");
        removeEvery(content, "</font>");
        std::string tag;
        bool ok = cutFirstTag(content, tag);
        if (!ok) break;
        if (findNoCase(tag, "ONMOUSE") != std::string::npos)
            for (int k = 0; k < 3 && ok; ++k) ok = cutFirstTag(content, tag);
        ImageEntry e;
        const auto h = findNoCase(tag, imageHost);
        if (h != std::string::npos) e.url = tag.substr(h, tag.find_first_of("\"'>", h) - h);
        const auto lt = content.find('<');
        e.title = content.substr(0, lt);
        content.erase(0, lt);
        if (ok) ok = cutFirstTag(content, tag);
        const auto lt2 = content.find('<');
        e.description = content.substr(0, lt2);
        content.erase(0, lt2);
        while (!content.empty() && findNoCase(content, "<A") != 0) content.erase(0, 1);
        out.push_back(e);
        if (!ok) break;
    }
    return out;
}

std::vector<std::string> travelBugs(const std::string& page) {
    std::vector<std::string> out;
    const auto f = upperAsciiText(page).find("<SPAN ID=\"LNKTRAVELBUGS\">");
    if (f == std::string::npos) return out;
    const auto g = upperAsciiText(page).find("<SPAN ID=", f + 19);
    if (g == std::string::npos) return out;
    std::string section = page.substr(f, g - f);
    for (auto p = section.find("/track/detail"); p != std::string::npos; p = section.find("/track/detail")) {
        const auto gt = section.find('>', p);
        const auto lt = section.find('<', gt);
        out.push_back(section.substr(gt + 1, lt - gt - 1));
        section.erase(0, lt + 1);
    }
    return out;
}

// What the page writes for a text of the world: escaped, and with UTF-8 umlauts on some pages.
std::string onPage(const CacheDetails& d, const std::string& text) {
    return d.utf8Text ? toRepairableUtf8(text) : text;
}

SimFixture::Options listingSiteWorld() {
    SimFixture::Options o;
    o.seed = 3;
    o.caches = 400;
    return o;
}

class ListingSite : public ::vellora::test::SimSuite<ListingSite, listingSiteWorld> {
protected:
    void SetUp() override { client_ = test::clientFor(sim()); }

    std::string page(int i, const char* extra = "&Submit6=Find&log=y") {
        return test::fetch(*client_, "/seek/cache_details.aspx?wp=" + sim().world().waypoint(i) + extra);
    }

    std::unique_ptr<httplib::Client> client_;
};

// Even a small world shows every log icon of the extractor's table somewhere on its pages.
TEST_F(ListingSite, TheFirstFortyPagesCarryEveryLogIcon) {
    std::set<std::string> missing;
    for (int t = 0; t < kLogTypeCount; ++t) missing.insert(logIconFile(static_cast<LogType>(t)));
    for (int i = 0; i < 40; ++i) {
        const std::string html = page(i);
        std::erase_if(
            missing, [&html](const std::string& icon) { return html.find("/" + icon) != std::string::npos; });
    }
    std::string names;
    for (const auto& icon : missing) names += icon + " ";
    EXPECT_TRUE(missing.empty()) << names;
}

TEST_F(ListingSite, EveryPageHasTheFieldsTheExtractorReads) {
    const World& w = sim().world();
    const std::string base = sim().baseUrl();
    std::map<std::string, int> iconCounts;
    int nestedShort = 0;
    int utf8Pages = 0, apostropheIds = 0, withWaypoints = 0, withBugs = 0, withImages = 0, errorTexts = 0;
    for (int i = 0; i < w.size(); ++i) {
        SCOPED_TRACE(w.waypoint(i));
        const std::string html = page(i);
        const CacheDetails d = w.details(i);
        const auto fields = spanFields(html);
        for (const char* id :
             {"CACHENAME", "CACHEOWNER", "LATLON", "UTMFORMAT", "LOCATION", "WAYPOINTNAME", "DATEHIDDEN",
              "DIFFICULTY", "TERRAIN", "LONGDESCRIPTION", "HINTS\" CLASS=\"DISPLAYME", "NUMVISITS",
              "LNKDETAILS", "ERRORTEXT", "LNKTRAVELBUGS", "LARGEMAP"})
            EXPECT_TRUE(fieldOf(fields, id)) << id;
        if (html.find("\xC3\xA4") != std::string::npos || html.find("\xC3\xBC") != std::string::npos)
            ++utf8Pages;
        if (html.find("<span id='") != std::string::npos) ++apostropheIds;

        EXPECT_EQ(fieldOf(fields, "CACHENAME"), onPage(d, htmlEscape(d.name)));
        // The program's UTF-8 repair mends every UTF-8 sequence the site sends.
        std::string repaired = *fieldOf(fields, "CACHENAME");
        repairUtf8(repaired);
        EXPECT_EQ(repaired, htmlEscape(d.name));
        std::string wholePage = html;
        repairUtf8(wholePage);
        EXPECT_EQ(wholePage.find_first_of("\xC2\xC3\xE2"), std::string::npos);
        EXPECT_EQ(fieldOf(fields, "WAYPOINTNAME"), w.waypoint(i));
        EXPECT_EQ(rating(*fieldOf(fields, "DIFFICULTY")), w.difficultyText(i));
        EXPECT_EQ(rating(*fieldOf(fields, "TERRAIN")), w.terrainText(i));

        const std::string hidden = *fieldOf(fields, "DATEHIDDEN");
        ASSERT_EQ(hidden.size(), 10u);
        EXPECT_EQ(parseDate(hidden.substr(3, 2) + "." + hidden.substr(0, 2) + "." + hidden.substr(6)),
                  w.hiddenDate(i));

        // The hint: encoded outside brackets; "<br>" removal, ROT13 and the bracket restoration give it back.
        std::string hint = *fieldOf(fields, "HINTS\" CLASS=\"DISPLAYME");
        removeEvery(hint, "<br>");
        for (char& c : hint) c = rot13(c);
        bool inBracket = false;
        for (char& c : hint) {
            if (c == '[') inBracket = true;
            if (c == ']') inBracket = false;
            if (inBracket) c = rot13(c);
        }
        std::string plain = d.hint;
        removeEvery(plain, "<br>");
        EXPECT_EQ(hint, onPage(d, plain));

        // Nested spans do not end a field early.
        const auto shortDesc = fieldOf(fields, "SHORTDESCRIPTION");
        EXPECT_EQ(shortDesc.has_value(), !d.shortDescription.empty());
        if (shortDesc) {
            EXPECT_EQ(*shortDesc, "<P>" + onPage(d, d.shortDescription) + "</P>");
            nestedShort += countNoCase(*shortDesc, "<span") > 0;
        }

        // The long description runs to the hint marker and keeps its nested spans.
        const std::string longDesc = *fieldOf(fields, "LONGDESCRIPTION");
        EXPECT_NE(longDesc.find("</span></BLOCKQUOTE>"), std::string::npos);
        EXPECT_EQ(longDesc.find("{BASE}"), std::string::npos);

        // Watchers: "<strong>N</strong> ... watching this cache."
        const std::string details = *fieldOf(fields, "LNKDETAILS");
        const auto strong = findNoCase(details, "<STRONG>");
        if (d.watchers > 0) {
            ASSERT_NE(strong, std::string::npos);
            const auto end = findNoCase(details, "</strong>", strong);
            EXPECT_EQ(details.substr(strong + 8, end - strong - 8), std::to_string(d.watchers));
            EXPECT_NE(findNoCase(details, "watching this cache.", end), std::string::npos);
        } else {
            EXPECT_EQ(strong, std::string::npos);
        }

        // Coordinates: the extractor puts "/ " before the first "E", else the first "W".
        std::string latlon = *fieldOf(fields, "LATLON");
        removeEvery(latlon, "\xC2");
        EXPECT_EQ(latlon.find(w.lon(i) >= 0 ? 'E' : 'W'), latlon.find_last_of("EW"));

        const std::string error = *fieldOf(fields, "ERRORTEXT");
        if (w.archived(i) || w.disabled(i)) {
            EXPECT_NE(error.find("<li>"), std::string::npos);
            ++errorTexts;
        } else {
            EXPECT_EQ(error, "");
        }

        // Log icons: every log is one icon in one of the forms the extractor replaces.
        const auto logs = fieldOf(fields, "CACHELOGS");
        EXPECT_EQ(logs.has_value(), !d.logs.empty());
        if (logs) {
            std::map<std::string, int> expected, found;
            for (const auto& log : d.logs) ++expected[logIconFile(log.type)];
            int total = 0;
            for (const auto& [icon, n] : expected) {
                for (char q : {'\'', '"'}) {
                    const std::string qs(1, q);
                    const int form1 =
                        countNoCase(*logs, "<IMG SRC=" + qs + base + "/images/" + icon + qs + ">");
                    const int form2 = countNoCase(*logs, "<IMG SRC=" + qs + base + "/images/icons/" + icon +
                                                             qs + " align=" + qs + "absmiddle" + qs + ">");
                    found[icon] += form1 + form2;
                    iconCounts[icon + "/1"] += form1;
                    iconCounts[icon + "/2" + qs] += form2;
                    // Maintenance, maintained and coordinate icons come in the second form only.
                    if (icon == "icon_needsmaint.gif" || icon == "icon_maint.gif" ||
                        icon == "coord_update.gif") {
                        EXPECT_EQ(form1, 0) << icon;
                    }
                }
                total += found[icon];
            }
            EXPECT_EQ(found, expected);
            EXPECT_EQ(countNoCase(*logs, "<img src="), total);
            // Every log row carries "by" and the finder's count in parentheses for the found-log texts.
            EXPECT_EQ(countNoCase(*logs, " found)<br>"), static_cast<int>(d.logs.size()));
        }

        // Travel bugs as the extractor lists them.
        std::vector<std::string> bugs;
        for (const auto& b : d.bugs) bugs.push_back(onPage(d, htmlEscape(b.name)));
        EXPECT_EQ(travelBugs(html), bugs);
        withBugs += !bugs.empty();

        // The additional-waypoints table follows its heading, without another table in between.
        const auto h = upperAsciiText(html).find("ADDITIONAL WAYPOINTS");
        EXPECT_EQ(h != std::string::npos, !d.waypoints.empty());
        if (h != std::string::npos) {
            const auto t = findNoCase(html, "<TABLE", h + 20);
            const auto e = findNoCase(html, "</TABLE>", h);
            ASSERT_NE(t, std::string::npos);
            EXPECT_LT(t, e);
            const std::string table = html.substr(t, e - t);
            EXPECT_EQ(static_cast<int>(table.find("<tr><th>")), table.find("<tr"));
            EXPECT_EQ(countNoCase(table, "<tr bgcolor=\"#FFFFFF\">") +
                          countNoCase(table, "<tr bgcolor=\"#eeeeee\">") +
                          countNoCase(table, "<tr bgcolor=\"#dddddd\">"),
                      countNoCase(table, "<tr") - 1);
            EXPECT_EQ(countNoCase(table, "colspan=\"6\""), countNoCase(table, "<tr bgcolor=\"#FFFFFF\">"));
            ++withWaypoints;
        }

        // Image list entries name the image host's files, titles and descriptions.
        const auto images = fieldOf(fields, "IMAGES");
        EXPECT_EQ(images.has_value(), !d.images.empty());
        if (images) {
            const auto entries = imageEntries(*images, sim().services().imageHost);
            ASSERT_EQ(entries.size(), d.images.size());
            for (std::size_t k = 0; k < entries.size(); ++k) {
                EXPECT_EQ(entries[k].url, sim().services().imageHost + "/cache/" + d.images[k].file);
                EXPECT_EQ(entries[k].title, onPage(d, htmlEscape(d.images[k].title)));
                EXPECT_EQ(entries[k].description, onPage(d, htmlEscape(d.images[k].description)));
            }
            ++withImages;
        }
    }
    EXPECT_GT(utf8Pages, 0);
    EXPECT_GT(nestedShort, 0);
    EXPECT_GT(apostropheIds, 0);
    EXPECT_GT(withWaypoints, 0);
    EXPECT_GT(withBugs, 0);
    EXPECT_GT(withImages, 0);
    EXPECT_GT(errorTexts, 0);
    // Both forms and both quote styles occur.
    EXPECT_GT(iconCounts["icon_smile.gif/1"], 0);
    EXPECT_GT(iconCounts["icon_smile.gif/2'"], 0);
    EXPECT_GT(iconCounts["icon_smile.gif/2\""], 0);
}

TEST_F(ListingSite, ImagesOfThePagesExistWithTheirSizes) {
    const World& w = sim().world();
    const std::string base = sim().baseUrl();
    int images = 0, remote = 0;
    for (int i = 0; i < w.size() && (images < 25 || remote < 5); ++i) {
        const CacheDetails d = w.details(i);
        for (const auto& img : d.images) {
            const std::string body = test::fetch(*client_, "/img/cache/" + img.file);
            const auto decoded = test::decodeAny(body);
            ASSERT_TRUE(decoded) << img.file;
            EXPECT_EQ(decoded->width, img.width);
            EXPECT_EQ(decoded->height, img.height);
            EXPECT_EQ(body.substr(0, 3) == "GIF", img.format == ImageFormat::Gif);
            EXPECT_EQ(body.substr(1, 3) == "PNG", img.format == ImageFormat::Png);
            if (img.onMouse) {
                EXPECT_TRUE(test::decodeAny(test::fetch(*client_, "/img/cache/thumb/" + img.file)));
            }
            ++images;
        }
        // Pictures from "other servers" in the long description.
        std::string html = page(i);
        for (auto p = html.find(base + "/ext/"); p != std::string::npos;
             p = html.find(base + "/ext/", p + 1)) {
            const auto end = html.find_first_of("\"'", p);
            const std::string path = html.substr(p + base.size(), end - p - base.size());
            const std::string body = test::fetch(*client_, path);
            if (path.substr(path.size() - 4) == ".mid") {
                EXPECT_EQ(body.substr(0, 4), "MThd");
                continue;
            }
            EXPECT_TRUE(test::decodeAny(body)) << path;
            ++remote;
        }
    }
    EXPECT_GE(images, 25);
    EXPECT_GE(remote, 5);
    auto res = client_->Get("/img/cache/00000000-0001-0000-0000-000000000000.jpg");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404);
}

TEST_F(ListingSite, UnknownWaypointLeadsToTheErrorPage) {
    auto res = client_->Get("/seek/cache_details.aspx?wp=GCZZZZZZ&Submit6=Find&log=y");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 302);
    const std::string location = res->get_header_value("Location");
    EXPECT_EQ(location.rfind(sim().baseUrl() + "/error/error.aspx", 0), 0u) << location;
    const std::string error = test::fetch(*client_, location.substr(sim().baseUrl().size()));
    EXPECT_NE(error.find("error"), std::string::npos);
    EXPECT_TRUE(spanFields(error).empty());
}

TEST_F(ListingSite, PrinterFriendlyPageRatesWithTextStarsAndShortLogListWithoutLogY) {
    const World& w = sim().world();
    int checked = 0;
    for (int i = 0; i < w.size() && checked < 40; ++i) {
        const CacheDetails d = w.details(i);
        if (d.logs.size() <= 5) continue;
        const auto pf = spanFields(page(i, "&Submit6=Find&pf=y&log=y"));
        const std::string diff = *fieldOf(pf, "DIFFICULTY");
        EXPECT_NE(diff.find('*'), std::string::npos);
        EXPECT_EQ(rating(diff), w.difficultyText(i) + (w.difficultyText(i).size() == 1 ? ".0" : ""));
        const auto shortList = spanFields(page(i, "&Submit6=Find"));
        EXPECT_EQ(countNoCase(*fieldOf(shortList, "CACHELOGS"), " found)<br>"), 5);
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST_F(ListingSite, IconsOfThePagesAreServed) {
    for (const char* path :
         {"/images/stars/stars4_5.gif", "/images/icons/icon_smile.gif", "/images/icon_sad.gif",
          "/images/icons/camera.gif", "/img/images/stars/stars1.gif", "/images/wpttypes/sm/pk.jpg"}) {
        const auto d = test::decodeAny(test::fetch(*client_, path));
        EXPECT_TRUE(d) << path;
    }
}

}  // namespace
}  // namespace vellora::sim
