// Map images: the request addresses and scraping rules, and every map kind against the stand-in's
// map services, with their failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "listing/LoadHTML.h"
#include "listing/MapImages.h"
#include "listing/PngCodec.h"

#if __has_include("sim/SimFixture.h")
#include "LoadHTMLSimFixture.h"
#define VELLORA_HAVE_SIM 1
#endif

namespace vellora {
namespace {

TEST(MapImages, KindTablesAndRequestValues) {
    EXPECT_STREQ(mapKindInfo(0).name, "multimap");
    EXPECT_STREQ(mapKindInfo(2).name, "Stadtplandienst");
    const int scales[] = {7, 6, 15, 9, 6};
    const int defaults[] = {3, 2, 3, 6, 3};
    const int sizes[] = {0, 3, 2, 0, 3};
    for (int k = 0; k < kMapKindCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(static_cast<int>(mapKindInfo(k).scales.size()), scales[k]);
        EXPECT_EQ(mapKindInfo(k).defaultScale, defaults[k]);
        EXPECT_EQ(static_cast<int>(mapKindInfo(k).sizes.size()), sizes[k]);
    }
    EXPECT_STREQ(mapKindInfo(1).sizes[2], "gro\xDF");
    EXPECT_STREQ(mapKindInfo(2).scales[9], "1 : 7.500 Luftbild");
    // Kinds and indices out of range are clamped rather than read past the tables.
    EXPECT_STREQ(mapKindInfo(3).name, "mapquest");
    EXPECT_STREQ(mapKindInfo(4).name, "OpenStreetMap");
    EXPECT_STREQ(mapKindInfo(9).name, "OpenStreetMap");
    EXPECT_EQ(clampMapScale(0, 40), 6);
    EXPECT_EQ(clampMapScale(3, -1), 0);
    EXPECT_EQ(clampMapSize(0, 2), 0);
    EXPECT_EQ(clampMapSize(2, 2), 1);

    EXPECT_EQ(multiMapScaleValue(6), "500000");
    EXPECT_EQ(mapPointAltitude(5), "220");
    EXPECT_EQ(mapPointSize(0), "300,220");
    EXPECT_EQ(stadtplanGrid(8), "dedatlas300");
    EXPECT_EQ(stadtplanGrid(9), "aero2m");
    EXPECT_FALSE(stadtplanAerialScale(8));
    EXPECT_TRUE(stadtplanAerialScale(9));
    EXPECT_EQ(stadtplanMaxTiles(0), 4);
    EXPECT_EQ(stadtplanMaxTiles(1), 9);
    // OpenStreetMap: zoom 12 to 17 of the tile scheme, the three sizes of the MapPoint maps.
    EXPECT_STREQ(mapKindInfo(kMapOpenStreetMap).scales[0], "Zoom 12");
    EXPECT_EQ(osmZoom(0), 12);
    EXPECT_EQ(osmZoom(5), 17);
    EXPECT_EQ(osmZoom(99), 17);
    EXPECT_EQ(osmImageSize(0).width, 300);
    EXPECT_EQ(osmImageSize(2).height, 435);
}

TEST(MapImages, RequestAddresses) {
    EXPECT_EQ(mapCoordCut8(49.123456789), "49.12345");
    EXPECT_EQ(mapCoordCut8(-8.5), "-8.5");
    EXPECT_EQ(multiMapPageUrl("http://mm", 49.123456789, 10.5, 6),
              "http://mm/map/browse.cgi?lat=49.12345&lon=10.5&scale=500000&icon=x");
    EXPECT_EQ(mapPointUrl("http://mp", 49.5, 10.75, 2, 1),
              "http://mp/pub/agent.dll?qscr=mrdt&CenP=49.5,10.75&Lang=EUR0407&Alti=10&Size=400,300"
              "&Offs=0.000000,0.000000&Pins=|49.5,10.75|4|Cache|");
    // 10.99999999 degrees: the seconds round to 60 and carry through the minutes into the degrees.
    EXPECT_EQ(stadtplanMapUrl("http://sp", "AbC123", 49.5, 10.99999999, 3, 0),
              "http://sp/map.asp?search=coords&sid=AbC123&start.x=5&CoordXDeg=11&CoordXMin=0&CoordXSec=0"
              "&CoordYDeg=49&CoordYMin=30&CoordYSec=0&grid=dedatlas60&size=2x2&Abschicken=GO");
    EXPECT_EQ(stadtplanMapUrl("http://sp", "S", -33.5125, -70.25, 14, 1),
              "http://sp/map.asp?search=coords&sid=S&start.x=5&CoordXDeg=-70&CoordXMin=15&CoordXSec=0"
              "&CoordYDeg=-33&CoordYMin=30&CoordYSec=45&grid=aero100&Abschicken=GO");
    EXPECT_EQ(mapQuestOverviewUrl("http://mq", 49.123456789, 10.5),
              "http://mq/mq/maps/latlong.do?latLongType=decimal&txtLatitude=49.123456789&txtLongitude=10.5");
    TMapQuestForm form;
    form.sessionId = "s1";
    form.mapUrl = "m 2";  // a scraped value cannot break the address
    form.hdnMapUrl = "h&3";
    EXPECT_EQ(
        mapQuestZoomUrl("http://mq", 49.5, 10.75, "7", form),
        "http://mq/mq/maps/zoomMap.do?mapRefresh=true&hdnCurrentZoomLevel=7&hdnCurrLongitude=10.75"
        "&hdnCurrLatitude=49.5&hdnOriginLatitude=49.5&hdnOriginLongitude=10.75&sessionid=s1&mapurl=m%202"
        "&hdnMapURL=h%263&hdnOriginalZoomLevel=5&region=EU");
    EXPECT_EQ(serviceHostText("http://www.mapquest.example"), "www.mapquest.example");
}

TEST(MapImages, MultiMapImageTag) {
    struct Case {
        std::vector<std::string> lines;
        std::optional<std::string> url;
    };
    const Case cases[] = {
        {{"<html>",
          "  <INPUT name=\"multimap\" type=\"image\" src=\"http://x/map/image.cgi?lat=1&lon=2\" "
          "width=\"500\" alt=\"Map\">"},
         "http://x/map/image.cgi?lat=1&lon=2"},
        {{"<input name=\"multimap\" SRC=\"http://y/i.gif\">"}, "http://y/i.gif"},
        {{"<input name=\"other\" src=\"http://x/a.gif\">"}, std::nullopt},
        {{"<input name=\"multimap\" type=\"image\">"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.empty() ? "" : c.lines.back());
        EXPECT_EQ(multiMapImageUrl(c.lines), c.url);
    }
}

TEST(MapImages, StadtplanSessionAndTiles) {
    EXPECT_EQ(stadtplanSessionId({"<p>", "<a href=\"map.asp?sid=AbC123&amp;start.x=5\">Karte</a>"}),
              "AbC123");
    EXPECT_EQ(stadtplanSessionId({"<a href=\"map.asp?SID=AbC123\">"}), "");  // the search minds case

    const std::vector<std::string> page = {
        "<table>",
        "<tr><td><img src='mappaint.asp?sid=S&amp;grid=g&amp;tx=0'></td><td><img "
        "src='MapPaint.asp?sid=S&AMP;tx=1'>"
        "</td></tr>",
        "<tr><td><img src='mappaint.asp?tx=2'></td><td><img src='mappaint.asp?tx=3'></td>"
        "<td><img src='mappaint.asp?tx=4'></td></tr>",
        "<tr><td><img src='mappaint.asp?tx=5'></td></tr>",
    };
    EXPECT_EQ(stadtplanTileUrls(page, "http://sp", 4),
              (std::vector<std::string>{"http://sp/mappaint.asp?sid=S&grid=g&tx=0",
                                        "http://sp/MapPaint.asp?sid=S&tx=1", "http://sp/mappaint.asp?tx=2",
                                        "http://sp/mappaint.asp?tx=3"}));
    EXPECT_EQ(stadtplanTileUrls(page, "http://sp", 9).size(), 6u);
    EXPECT_TRUE(stadtplanTileUrls({"<p>Ihre Sitzung ist abgelaufen.</p>"}, "http://sp", 9).empty());
}

TEST(MapImages, MapQuestFormAndImageAddress) {
    const std::vector<std::string> page = {
        "<form name=\"search\"><input name=\"sessionid\" value=\"WRONG\"></form>",
        "<FORM\tname='frmMapsResult' method='get' action='zoomMap.do'>",
        "<input type=\"hidden\" name=\"sessionid\" value=\"mqs12\">",
        "<INPUT TYPE='hidden' NAME='mapurl' VALUE='m34'>",
        "<input type=\"hidden\" name=\"hdnMapURL\" value=\"h56\">",
        "<input type=\"text\" name=\"txtLatitude\" value=\"49.5\">",
        "</FORM>",
    };
    const TMapQuestForm form = readMapQuestForm(page);
    ASSERT_TRUE(form.complete());
    EXPECT_EQ(*form.sessionId, "mqs12");
    EXPECT_EQ(*form.mapUrl, "m34");
    EXPECT_EQ(*form.hdnMapUrl, "h56");

    std::vector<std::string> withoutHidden = page;
    withoutHidden.erase(withoutHidden.begin() + 4);
    EXPECT_FALSE(readMapQuestForm(withoutHidden).complete());
    EXPECT_FALSE(readMapQuestForm({page[0], page[2], page[3], page[4]}).complete());  // no result form

    EXPECT_EQ(mapQuestImageUrl(
                  {"<!-- map image -->", "x http://a/first.gif", "see http://a/b.gif?z=1  \t", "no address"}),
              "http://a/b.gif?z=1");
    EXPECT_EQ(mapQuestImageUrl({"<!-- session expired -->"}), "");
}

#ifdef VELLORA_HAVE_SIM

class MapImagesSim : public test::LoadSimTest {
protected:
    void SetUp() override {
        LoadSimTest::SetUp();
        window = std::make_unique<TfrmLoadHTML>(ctx());
        writeWorkList({wp(0)});
        window->open();
    }
    void loadMap(const std::string& w, int kind, int zoom, int size) {
        window->options.MapZoom[static_cast<std::size_t>(kind)] = zoom;
        window->options.MapSize = size;
        window->getCacheMapToFile(w, kind);
    }
    bool hasLine(const std::string& line) const {
        const auto& p = window->protocolLines();
        return std::find(p.begin(), p.end(), line) != p.end();
    }

    std::unique_ptr<TfrmLoadHTML> window;
};

TEST_F(MapImagesSim, EveryKindFetchesItsImageFiles) {
    struct Case {
        const char* label;
        int kind, zoom, size;
        const char* request;    // the path of the request that carries the map's parameters
        const char* queryPart;  // what it must carry
        std::vector<std::string> files;
        std::vector<std::string> absent;
        bool (*format)(const std::string&);
    };
    const Case cases[] = {
        {"multimap 1:500.000",
         0,
         6,
         0,
         "/multimap/map/browse.cgi",
         "&scale=500000&icon=x",
         {"_multimap.gif"},
         {},
         test::isGif},
        {"mappoint large",
         1,
         2,
         2,
         "/mappoint/pub/agent.dll",
         "Alti=10&Size=570,435",
         {"_mappoint.gif"},
         {},
         test::isGif},
        {"Stadtplandienst small street map",
         2,
         3,
         0,
         "/stadtplan/map.asp",
         "&grid=dedatlas60&size=2x2",
         {"_sdk1.png", "_sdk2.png", "_sdk3.png", "_sdk4.png"},
         {"_sdk5.png"},
         test::isPng},
        {"Stadtplandienst large aerial",
         2,
         10,
         1,
         "/stadtplan/map.asp",
         "&grid=aero10&Abschicken=GO",
         {"_sdk1.jpg", "_sdk5.jpg", "_sdk9.jpg"},
         {"_sdk10.jpg", "_sdk1.png"},
         test::isJpeg},
        {"mapquest zoom 7",
         3,
         6,
         0,
         "/mapquest/mq/maps/zoomMap.do",
         "hdnCurrentZoomLevel=7",
         {"_map.gif"},
         {},
         test::isGif},
    };
    int cache = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string w = wp(++cache);
        sim().clearRequests();
        loadMap(w, c.kind, c.zoom, c.size);
        EXPECT_EQ(requestsWith(c.request, c.queryPart), 1);
        for (const auto& f : c.files) {
            ASSERT_TRUE(outExists(w + f)) << f;
            EXPECT_TRUE(c.format(home.dir.read(w + f))) << f;
        }
        for (const auto& f : c.absent) EXPECT_FALSE(outExists(w + f)) << f;
        if (c.request == std::string("/mappoint/pub/agent.dll")) {
            const auto r = sim().requestsTo(c.request);
            ASSERT_EQ(r.size(), 1u);
            EXPECT_NE(r[0].query.find("&Pins=|"), std::string::npos);
        }
    }
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_TRUE(hasLine("Lade Karte (MultiMap)..."));
    EXPECT_TRUE(hasLine("Lade Multimap-Detailkarte"));
    EXPECT_TRUE(hasLine("Geladen: " + out(wp(1) + "_multimap.gif")));
    EXPECT_TRUE(hasLine("Lade Karte (Expedia/MapPoint)..."));
    EXPECT_TRUE(hasLine("Lade Kachel 9"));
    EXPECT_TRUE(hasLine("Lade Karte (" + serviceHostText(ctx().services.mapQuest) + ")..."));
    EXPECT_TRUE(hasLine("Lade Mapquest Kartenimage"));
}

TEST_F(MapImagesSim, StadtplanSessionIsFetchedOncePerOpening) {
    loadMap(wp(1), kMapStadtplandienst, 3, 0);
    loadMap(wp(2), kMapStadtplandienst, 3, 0);
    EXPECT_EQ(requestsWith("/stadtplan/home.asp"), 1);
    EXPECT_EQ(requestsWith("/stadtplan/map.asp"), 2);
    EXPECT_EQ(window->maps().sessionId(), world().mapSessionId());
    EXPECT_TRUE(hasLine("SID extrahiert: " + world().mapSessionId()));
    EXPECT_TRUE(outExists(wp(2) + "_sdk4.png"));

    window->open();  // a new opening fetches a new one
    loadMap(wp(3), kMapStadtplandienst, 3, 0);
    EXPECT_EQ(requestsWith("/stadtplan/home.asp"), 2);
}

TEST_F(MapImagesSim, SmallerMapReplacesTheTilesOfALargerOne) {
    const std::string w = wp(1);
    loadMap(w, kMapStadtplandienst, 3, 1);
    ASSERT_TRUE(outExists(w + "_sdk9.png"));
    loadMap(w, kMapStadtplandienst, 3, 0);
    EXPECT_TRUE(outExists(w + "_sdk4.png"));
    for (int n = 5; n <= 9; ++n) EXPECT_FALSE(outExists(w + "_sdk" + std::to_string(n) + ".png")) << n;
}

TEST_F(MapImagesSim, CacheOutsideTheDatabaseGetsNoMap) {
    ctx().debugMode = true;
    loadMap("GCNOTTHERE", kMapMultiMap, 3, 0);
    EXPECT_TRUE(sim().requests().empty());
    EXPECT_NE(home.dir.read("debug.log")
                  .find("ERR: frmLoadHTML.getCacheMapToFile: cache not found (GCNOTTHERE) - "
                        "exiting unsuccessfully"),
              std::string::npos);
}

TEST_F(MapImagesSim, FailingServicesLeaveNoMapAndTellTheUser) {
    const std::string w = wp(1);
    // The MultiMap page answers, its image does not.
    addFault("/multimap/map/image.cgi", "", sim::FaultKind::ServerError);
    loadMap(w, kMapMultiMap, 3, 0);
    EXPECT_FALSE(outExists(w + "_multimap.gif"));
    EXPECT_TRUE(hasLine("Lade Multimap-Detailkarte"));
    EXPECT_FALSE(hasLine("Geladen: " + out(w + "_multimap.gif")));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text.rfind(
                  "Folgende Ladeoperation vom Internet ist fehlgeschlagen:\r\nQuelle: " +
                      ctx().services.multiMap + "/map/image.cgi?",
                  0),
              0u);

    // MapQuest unreachable: its intermediate page is missing, so its fields are.
    home.host.messages.clear();
    ctx().services.mapQuest = sim().baseUrl() + "/nowhere";
    loadMap(w, kMapMapQuest, 6, 0);
    EXPECT_TRUE(hasLine("Parameterfehler beim Laden der Mapquest-Karte"));
    EXPECT_EQ(home.host.messages.size(), 1u);
    EXPECT_FALSE(outExists(w + "_map.gif"));

    // One Stadtplandienst tile fails, the others are stored.
    home.host.messages.clear();
    addFault("/stadtplan/mappaint.asp", "tx=1&ty=0", sim::FaultKind::NotFound);
    loadMap(w, kMapStadtplandienst, 3, 0);
    EXPECT_EQ(home.host.messages.size(), 1u);
    EXPECT_TRUE(outExists(w + "_sdk1.png"));
    EXPECT_FALSE(outExists(w + "_sdk2.png"));
    EXPECT_TRUE(outExists(w + "_sdk3.png"));
    EXPECT_TRUE(outExists(w + "_sdk4.png"));

    // No session from the home page: the map page says the session expired and gives no tiles.
    home.host.messages.clear();
    window->open();
    addFault("/stadtplan/home.asp", "", sim::FaultKind::ServerError);
    loadMap(wp(2), kMapStadtplandienst, 3, 0);
    EXPECT_TRUE(hasLine("SID extrahiert: "));
    EXPECT_FALSE(outExists(wp(2) + "_sdk1.png"));
    EXPECT_EQ(home.host.messages.size(), 1u);
}

TEST_F(MapImagesSim, OpenStreetMapFromTilesThroughTheTileCache) {
    const std::string w = wp(1), other = wp(2);
    loadMap(w, kMapOpenStreetMap, 3, 1);
    ASSERT_TRUE(outExists(w + "_osm.png"));
    const auto map = decodePng(home.dir.read(w + "_osm.png"));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->width(), 400);
    EXPECT_EQ(map->height(), 300);
    EXPECT_EQ(map->at(400 / 2 + 9, 300 / 2), (RgbColor{220, 20, 20}));  // the marker on the cache
    EXPECT_TRUE(hasLine("Lade Karte (OpenStreetMap)..."));
    EXPECT_TRUE(home.host.messages.empty());

    // The tiles of zoom 15, asked for as the tile servers want it.
    const auto tiles = sim().requestsTo("/tiles/");
    ASSERT_GE(tiles.size(), 2u);
    for (const auto& r : tiles) {
        EXPECT_EQ(r.target.rfind("/tiles/15/", 0), 0u) << r.target;
        EXPECT_EQ(r.userAgent.rfind("Vellora/", 0), 0u) << r.userAgent;
    }
    EXPECT_FALSE(listFiles(ctx().programDirPath() + "TileCache", "*.tile").empty());

    // The same cache again, in a new opening of the window: all from the cache, no tile request.
    sim().clearRequests();
    window->open();
    loadMap(w, kMapOpenStreetMap, 3, 1);
    EXPECT_TRUE(sim().requestsTo("/tiles/").empty());
    EXPECT_EQ(home.dir.read(w + "_osm.png"), encodePng(*map));

    // Another zoom is other tiles.
    loadMap(w, kMapOpenStreetMap, 4, 1);
    EXPECT_FALSE(sim().requestsTo("/tiles/16/").empty());

    // A tile the server does not have: the map is left out with a clear word, the next cache loads.
    sim().clearRequests();
    addFault("/tiles/17/", "", sim::FaultKind::NotFound);
    loadMap(w, kMapOpenStreetMap, 5, 1);
    EXPECT_FALSE(outExists(w + "_osm.png"));
    const auto& p = window->protocolLines();
    const auto error = std::find_if(p.begin(), p.end(), [](const std::string& l) {
        return l.rfind("Fehler: Die OpenStreetMap-Karte f\xFCr ", 0) == 0;
    });
    ASSERT_NE(error, p.end());
    EXPECT_NE(error->find(w + " bleibt weg (Kartenkachel 17/"), std::string::npos) << *error;
    EXPECT_NE(error->find("404"), std::string::npos) << *error;
    loadMap(other, kMapOpenStreetMap, 3, 0);
    EXPECT_TRUE(outExists(other + "_osm.png"));
}

#endif

}  // namespace
}  // namespace vellora
