// The four map services, scraped the way the program's map loader scrapes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "SimTestSupport.h"
#include "support/SimSuite.h"

namespace vellora::sim {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool isWord(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class MapServices : public ::vellora::test::SimSuite<MapServices> {
protected:
    void SetUp() override { client_ = test::clientFor(sim()); }

    // GET of a full address on the fixture.
    std::string get(const std::string& url) {
        const std::string base = sim().baseUrl();
        EXPECT_EQ(url.rfind(base, 0), 0u) << url;
        return test::fetch(*client_, url.substr(base.size()));
    }

    std::unique_ptr<httplib::Client> client_;
};

TEST_F(MapServices, MultiMapPageNamesItsImageInTheInputTag) {
    const std::string host = sim().services().multiMap;
    const std::string page = get(host + "/map/browse.cgi?lat=49.51234&lon=10.75&scale=500000&icon=x");
    std::string url;
    for (std::string line : linesOf(page)) {
        const auto tag = lower(line).find("<input name=\"multimap\"");
        if (tag == std::string::npos) continue;
        line.erase(0, tag + 1);
        line.erase(0, lower(line).find("src=") + 5);
        while (line.find('"') != std::string::npos) line.pop_back();
        url = line;
        break;
    }
    ASSERT_FALSE(url.empty());
    EXPECT_NE(url.find("scale=500000"), std::string::npos);
    const auto img = test::decodeGif(get(url));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 500);
    EXPECT_EQ(img->height, 310);
}

TEST_F(MapServices, MapPointAnswersAnImageOfTheAskedSize) {
    const std::string host = sim().services().mapPoint;
    for (const char* size : {"300,220", "400,300", "570,435"}) {
        const auto img = test::decodeGif(
            get(host + "/pub/agent.dll?qscr=mrdt&CenP=49.51234,10.75&Lang=EUR0407&Alti=10&Size=" + size +
                "&Offs=0.000000,0.000000&Pins=|49.51234,10.75|4|Cache|"));
        ASSERT_TRUE(img) << size;
        EXPECT_EQ(std::to_string(img->width) + "," + std::to_string(img->height), size);
    }
}

TEST_F(MapServices, StadtplandienstHandsOutASessionAndTiles) {
    const std::string host = sim().services().stadtplandienst;
    std::string sid;
    for (const std::string& line : linesOf(get(host + "/home.asp"))) {
        const auto p = line.find("sid=");
        if (p == std::string::npos) continue;
        for (std::size_t k = p + 4; k < line.size() && std::isalnum(static_cast<unsigned char>(line[k])); ++k)
            sid += line[k];
        break;
    }
    ASSERT_FALSE(sid.empty());
    struct Case {
        const char* grid;
        const char* size;
        std::size_t tiles;
        bool jpeg;
    };
    for (const Case& c : {Case{"dedatlas60", "&size=2x2", 4, false}, Case{"dedatlas10", "", 9, false},
                          Case{"aero20", "&size=2x2", 4, true}, Case{"aero2m", "&size=2x2", 4, true}}) {
        SCOPED_TRACE(c.grid);
        const std::string page =
            get(host + "/map.asp?search=coords&sid=" + sid +
                "&start.x=5&CoordXDeg=10&CoordXMin=45&CoordXSec=0&CoordYDeg=49&CoordYMin=30"
                "&CoordYSec=44&grid=" +
                c.grid + c.size + "&Abschicken=GO");
        std::vector<std::string> tiles;
        for (const std::string& line : linesOf(page)) {
            for (auto p = lower(line).find("mappaint.asp"); p != std::string::npos;
                 p = lower(line).find("mappaint.asp", p + 1)) {
                std::string tile = line.substr(p, line.find('\'', p) - p);
                for (auto a = lower(tile).find("amp;"); a != std::string::npos; a = lower(tile).find("amp;"))
                    tile.erase(a, 4);
                tiles.push_back(host + "/" + tile);
            }
        }
        ASSERT_EQ(tiles.size(), c.tiles);
        for (const std::string& t : {tiles.front(), tiles.back()}) {
            const std::string bytes = get(t);
            const auto img = c.jpeg ? test::decodeJpeg(bytes) : test::decodePng(bytes);
            ASSERT_TRUE(img) << t;
            EXPECT_EQ(img->width, 200);
            EXPECT_EQ(img->height, 200);
        }
    }
    // A session the service did not hand out gets a page without tiles.
    const std::string expired =
        get(host +
            "/map.asp?search=coords&sid=XYZ&start.x=5&CoordXDeg=10&CoordXMin=45&CoordXSec=0"
            "&CoordYDeg=49&CoordYMin=30&CoordYSec=0&grid=dedatlas60&Abschicken=GO");
    EXPECT_EQ(expired.find("mappaint.asp"), std::string::npos);
}

TEST_F(MapServices, MapQuestFormLeadsToTheImageAddress) {
    const std::string host = sim().services().mapQuest;
    const std::string page =
        get(host + "/mq/maps/latlong.do?latLongType=decimal&txtLatitude=49.51234&txtLongitude=10.75");
    std::vector<std::string> kept;
    for (std::string line : linesOf(page)) {
        if (kept.empty()) {
            std::replace(line.begin(), line.end(), '\t', ' ');
            std::replace(line.begin(), line.end(), '\'', '"');
            line = lower(line);
            if (line.find("<form name=\"frmmapsresult\"") == std::string::npos) continue;
        }
        kept.push_back(line);
    }
    ASSERT_FALSE(kept.empty());
    std::map<std::string, std::string> fields;
    for (const std::string& line : kept) {
        for (auto p = lower(line).find("<input"); p != std::string::npos;
             p = lower(line).find("<input", p + 1)) {
            auto n = lower(line).find("name", p);
            auto v = lower(line).find("value", n);
            if (n == std::string::npos || v == std::string::npos) break;
            n += 4;
            while (n < line.size() && !isWord(line[n])) ++n;
            std::string name;
            while (n < line.size() && isWord(line[n])) name += line[n++];
            v += 5;
            while (v < line.size() && !isWord(line[v])) ++v;
            fields[lower(name)] = line.substr(v, line.find_first_of("\"'", v) - v);
        }
    }
    ASSERT_EQ(fields.count("sessionid") + fields.count("mapurl") + fields.count("hdnmapurl"), 3u);
    const std::string zoom =
        host +
        "/mq/maps/zoomMap.do?mapRefresh=true&hdnCurrentZoomLevel=6&hdnCurrLongitude=10.75"
        "&hdnCurrLatitude=49.51234&hdnOriginLatitude=49.51234&hdnOriginLongitude=10.75&sessionid=" +
        fields["sessionid"] + "&mapurl=" + fields["mapurl"] + "&hdnMapURL=" + fields["hdnmapurl"] +
        "&hdnOriginalZoomLevel=5&region=EU";
    const std::string answer = get(zoom);
    const auto first = answer.find("http");
    ASSERT_NE(first, std::string::npos);
    std::string url = answer.substr(first);
    while (!url.empty() && static_cast<unsigned char>(url.back()) <= 32) url.pop_back();
    const auto img = test::decodeGif(get(url));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 444);
    EXPECT_EQ(img->height, 340);
    // Values of another map do not fit these coordinates.
    const std::string wrong =
        get(host +
            "/mq/maps/zoomMap.do?hdnCurrentZoomLevel=6&hdnOriginLatitude=48&hdnOriginLongitude=11"
            "&sessionid=" +
            fields["sessionid"] + "&mapurl=" + fields["mapurl"] + "&hdnMapURL=" + fields["hdnmapurl"]);
    EXPECT_EQ(wrong.find("http"), std::string::npos);
}

TEST_F(MapServices, SameRequestSameImage) {
    const std::string url = "/mappoint/pub/agent.dll?CenP=49.5,10.75&Alti=3&Size=300,220";
    EXPECT_EQ(test::fetch(*client_, url), test::fetch(*client_, url));
    EXPECT_NE(test::fetch(*client_, url),
              test::fetch(*client_, "/mappoint/pub/agent.dll?CenP=49.6,10.75&Alti=3&Size=300,220"));
}

}  // namespace
}  // namespace vellora::sim
