#include "shell/Map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "core/FileUtil.h"
#include "shell/ShellFixtures.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// Records the drawing calls as short lines, so that order and arguments can be compared.
class RecordingCanvas : public MapCanvas {
public:
    void fillRect(const MapRect& r, MapRgb c) override { add("fill", r, c); }
    void fillRects(const std::vector<MapRect>& rects, MapRgb) override {
        calls.push_back("crosses " + std::to_string(rects.size()));
        crosses = rects;
    }
    void frameRect(const MapRect& r, MapRgb c) override { add("frame", r, c); }
    void line(MapPoint a, MapPoint b, MapRgb c) override {
        calls.push_back("line " + colour(c));
        lines.push_back({a, b});
    }
    void polyline(const std::vector<MapPoint>& points, MapRgb c) override {
        calls.push_back("polyline " + std::to_string(points.size()) + " " + colour(c));
    }
    void filledCircle(MapPoint centre, int radius, MapRgb) override {
        calls.push_back("circle " + std::to_string(radius));
        circles.push_back(centre);
    }
    void text(MapPoint at, std::string_view t, int size, MapRgb) override {
        calls.push_back("text " + std::string(t) + " " + std::to_string(size));
        texts.push_back({at, std::string(t)});
    }
    void verticalText(MapPoint, std::string_view t, int, MapRgb) override {
        calls.push_back("vtext " + std::string(t));
    }
    int textWidth(std::string_view t, int) override { return static_cast<int>(t.size()) * 6; }

    // The calls with the given beginning, in order.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    std::vector<std::string> calls;
    std::vector<MapRect> crosses;
    std::vector<std::pair<MapPoint, MapPoint>> lines;
    std::vector<MapPoint> circles;
    std::vector<std::pair<MapPoint, std::string>> texts;

private:
    static std::string colour(MapRgb c) {
        return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
    }
    void add(const char* what, const MapRect& r, MapRgb c) {
        calls.push_back(std::string(what) + " " + std::to_string(r.x) + "," + std::to_string(r.y) + "," +
                        std::to_string(r.w) + "," + std::to_string(r.h) + " " + colour(c));
    }
};

std::string borderRecord(float lon, float lat, signed char flag) {
    std::string r(12, '\0');
    std::memcpy(r.data(), &lon, 4);
    std::memcpy(r.data() + 4, &lat, 4);
    r[8] = static_cast<char>(flag);
    return r;
}

// A view whose drawing area is exactly `km` wide along its top edge, around 51° N.
MapView viewOfWidth(double km, int width, int height) {
    const double lonSpan = km / (111.195 * std::cos(51.0 * std::numbers::pi / 180.0));
    const double latSpan = lonSpan / kMapAspectFactor * height / width;
    return {10.0, 10.0 + lonSpan, 51.0 - latSpan, 51.0};
}

TEST(MapGeometry, AspectCorrectionWidensTheLongerSide) {
    const MapView wide = correctAspect({6, 14, 47, 55}, 800, 600);
    // f / g = (800 / 8 * 1.5924...) / (600 / 8) > 1: longitudes widen, latitudes stay.
    const double ratio = (800.0 / 8 * kMapAspectFactor) / (600.0 / 8);
    EXPECT_NEAR(wide.lonFrom, 6 - 8 * (ratio - 1) / 2, 1e-9);
    EXPECT_NEAR(wide.lonTo, 14 + 8 * (ratio - 1) / 2, 1e-9);
    EXPECT_EQ(wide.latFrom, 47);
    EXPECT_EQ(wide.latTo, 55);
    // A tall, narrow area widens the latitudes instead.
    const MapView tall = correctAspect({6, 14, 47, 55}, 200, 800);
    EXPECT_EQ(tall.lonFrom, 6);
    EXPECT_LT(tall.latFrom, 47);
    EXPECT_NEAR(tall.latTo - 55, 47 - tall.latFrom, 1e-9);
    // Corrected once, the view stays as it is.
    EXPECT_EQ(correctAspect(wide, 800, 600), wide);
}

TEST(MapGeometry, ProjectionTruncatesAndInverts) {
    const MapProjection p({6, 14, 47, 55}, 800, 800);
    EXPECT_EQ(p.x(6), 0);
    EXPECT_EQ(p.x(10), 400);
    EXPECT_EQ(p.x(6.0099), 0);  // whole part, not rounded
    EXPECT_EQ(p.y(55), 0);
    EXPECT_EQ(p.y(47), 800);
    EXPECT_EQ(p.y(51), 400);
    EXPECT_DOUBLE_EQ(p.lonAt(400), 10);
    EXPECT_DOUBLE_EQ(p.latAt(400), 51);
}

TEST(MapGeometry, StepTables) {
    struct {
        double span;
        int minutes;
    } grid[] = {{360, 1800}, {151, 1800}, {150, 600}, {76, 600}, {75, 300}, {31, 300}, {30, 120},
                {16, 120},   {15, 60},    {11, 60},   {10, 30},  {5.5, 30}, {5, 20},   {3.5, 20},
                {3, 10},     {1.5, 10},   {1, 6},     {0.6, 6},  {0.5, 1},  {0.01, 1}};
    for (const auto& g : grid) EXPECT_EQ(gridStepMinutes(g.span), g.minutes) << g.span;
    EXPECT_EQ(townSizeLimit(1001), 1);
    EXPECT_EQ(townSizeLimit(1000), 2);
    EXPECT_EQ(townSizeLimit(201), 2);
    EXPECT_EQ(townSizeLimit(200), 3);
    struct {
        double width;
        std::optional<double> unit;
    } scale[] = {{20000, 1000}, {10000, 300}, {5000, 300},   {1500, 100},   {500, 30},
                 {150, 10},     {50, 3},      {20, 1},       {5, 0.3},      {2, 0.1},
                 {0.5, 0.03},   {0.2, 0.01},  {0.05, 0.003}, {0.02, 0.001}, {0.01, std::nullopt}};
    for (const auto& s : scale) EXPECT_EQ(scaleUnitKm(s.width), s.unit) << s.width;
}

TEST(MapGeometry, ScaleBarLabelsInKilometresAndMetres) {
    const MapProjection fifty(viewOfWidth(50, 600, 400), 600, 400);
    ASSERT_NEAR(fifty.viewWidthKm(), 50, 0.5);
    const std::optional<MapScaleBar> km = scaleBar(fifty);
    ASSERT_TRUE(km);
    EXPECT_EQ(km->unitKm, 3);
    EXPECT_EQ(km->labels, (std::vector<std::string>{"0", "3", "6", "9", "12", "15"}));
    EXPECT_EQ(km->unit, "km");
    EXPECT_NEAR(km->segmentPixels, 600 * 3 / 50.0, 2);

    const MapProjection two(viewOfWidth(2, 600, 400), 600, 400);
    const std::optional<MapScaleBar> m = scaleBar(two);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->labels, (std::vector<std::string>{"0", "100", "200", "300", "400", "500"}));
    EXPECT_EQ(m->unit, "m");
}

TEST(MapGeometry, EastwardsProjectionFollowsTheGreatCircle) {
    // 100 km east of 48° N 11° E along the great circle: longitude about 12.343879.
    const std::optional<double> lon = longitudeEastOf(48, 11, 100);
    ASSERT_TRUE(lon);
    EXPECT_NEAR(*lon, 12.343879, 1e-5);
    EXPECT_NEAR(longitudeEastOf(48, 11, 0).value_or(0), 11, 1e-6);
}

TEST(MapGeometry, GridLinesSkipTheLabelMarginsAndMarkWholeDegrees) {
    const MapProjection p({6, 14, 47, 55}, 800, 800);
    const std::vector<MapGridLine> lines = gridLines(p);
    std::vector<std::string> meridians, parallels;
    for (const auto& l : lines) {
        (l.meridian ? meridians : parallels).push_back(l.label + (l.wholeDegree ? "!" : ""));
        EXPECT_GE(l.position, l.meridian ? 36 : 31);
    }
    // Span 8: steps of 30 minutes from 6° 30' on; 14° lies on the east edge and is drawn.
    ASSERT_FALSE(meridians.empty());
    EXPECT_EQ(meridians.front(), "6\xB0 30\xB4");
    EXPECT_EQ(meridians[1], "7\xB0 0\xB4!");
    EXPECT_EQ(meridians.back(), "14\xB0 0\xB4!");
    EXPECT_EQ(meridians.size(), 16u);
    // Parallels from 47° 30' up to 55° 0' at the top edge, whose y of 0 is skipped.
    EXPECT_EQ(parallels.front(), "47\xB0 30\xB4");
    EXPECT_EQ(parallels.back(), "54\xB0 30\xB4");
}

// However far apart the caches are, the grid keeps a readable number of lines on whole steps.
TEST(MapGeometry, GridLinesStayFewForAnyView) {
    for (const MapView& view : {MapView{6, 14, 47, 55}, MapView{-20, 25, 35, 70}, MapView{-30, 40, 20, 75},
                                MapView{-179, 179, -80, 80}, MapView{10.3, 10.5, 50.1, 50.2}}) {
        for (const auto& [w, h] : {std::pair{800, 600}, std::pair{450, 900}}) {
            const MapView corrected = correctAspect(view, w, h);
            const std::vector<MapGridLine> lines = gridLines(MapProjection(corrected, w, h));
            int meridians = 0, parallels = 0;
            for (const auto& l : lines) ++(l.meridian ? meridians : parallels);
            EXPECT_LE(meridians, 20) << view.lonFrom << " " << w;
            EXPECT_LE(parallels, 20) << view.lonFrom << " " << w;
            EXPECT_GE(meridians + parallels, 2) << view.lonFrom << " " << w;
        }
    }
    // A view of Europe with a far cache: lines on whole five degrees, west of Greenwich as well.
    const MapProjection europe({-25, 25, 35, 70}, 800, 600);
    std::vector<std::string> labels;
    for (const auto& l : gridLines(europe))
        if (l.meridian) labels.push_back(l.label);
    ASSERT_FALSE(labels.empty());
    for (const std::string& label : labels) EXPECT_NE(label.find("\xB0 0\xB4"), std::string::npos) << label;
    EXPECT_NE(std::find(labels.begin(), labels.end(), "-5\xB0 0\xB4"), labels.end());
}

TEST(MapFiles, BordersStartLinesAtNegativeFlags) {
    test::TempDir dir;
    dir.write("borders.bin", borderRecord(6, 50, -1) + borderRecord(7, 51, 0) + borderRecord(8, 52, 5) +
                                 borderRecord(9, 53, -128) + borderRecord(10, 54, 0) + "xyz");
    int err = 0;
    const auto points = readBorders(dir.file("borders.bin"), err);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), 5u);  // the three bytes of a torn record are left out
    EXPECT_TRUE((*points)[0].startsLine);
    EXPECT_FALSE((*points)[2].startsLine);
    EXPECT_TRUE((*points)[3].startsLine);
    EXPECT_FLOAT_EQ((*points)[4].lon, 10);
    EXPECT_FALSE(readBorders(dir.file("none.bin"), err));
    EXPECT_EQ(err, ENOENT);
}

TEST(MapFiles, TownLinesThatCannotBeReadAreSkipped) {
    const std::vector<TTown> towns = parseTowns(
        "52.5200;13.4050;1;Berlin\r\n"
        "48.1374;11.5755;1;M\xFCnchen\r\n"
        "x;1;2;Bad\n"
        "50.0;8.0;2\n"
        "50.0;8.0;2.5;Half\n"
        "\n"
        "49.45;11.08;2;N\xFCrnberg; Mitte");
    ASSERT_EQ(towns.size(), 3u);
    EXPECT_EQ(towns[1].name, "M\xFCnchen");
    EXPECT_EQ(towns[2].name, "N\xFCrnberg; Mitte");  // the name is the rest of the line
    EXPECT_EQ(towns[2].size, 2);
    EXPECT_DOUBLE_EQ(towns[0].lon, 13.405);
}

class MapModel : public ::testing::Test {
protected:
    void SetUp() override {
        home.dir.write("german_towns.csv",
                       "52.5200;13.4050;1;Berlin\r\n50.9375;6.9603;1;K\xF6ln\r\n50.7753;6.0839;2;Aachen\r\n"
                       "49.8728;8.6512;3;Darmstadt\r\n");
        home.dir.write("borders.bin", borderRecord(6, 50, -1) + borderRecord(7, 51, 0) +
                                          borderRecord(8, 52, 0) + borderRecord(9, 53, -1) +
                                          borderRecord(10, 54, 0));
        map.setView({6, 14, 47, 55});
        map.addCache(TExtCache{"GC1", 49.5, 11.0, "Eins"});
        map.addCache(TExtCache{"GC2", 50.0, 8.5, "Zwei"});
        map.addCache(TExtCache{"GC3", 52.0, 13.0, "Drei"});
    }
    test::TestHome home;
    TfrmMap map{home.ctx()};
};

TEST_F(MapModel, DrawsInItsFixedOrder) {
    map.open();
    map.addRoutePoint(1, 49.5, 11.0);
    map.addRoutePoint(2, 52.0, 13.0);
    RecordingCanvas canvas;
    map.paint(canvas, 800, 800);
    std::vector<std::string> order;
    for (const auto& c : canvas.calls) {
        const std::string kind = c.substr(0, c.find(' '));
        if (order.empty() || order.back() != kind) order.push_back(kind);
    }
    // Background and frame, towns (circles, then names), grid, borders, caches, route, scale bar.
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 4),
              (std::vector<std::string>{"fill", "frame", "circle", "text"}));
    const auto polylines = canvas.callsStartingWith("polyline");
    ASSERT_EQ(polylines.size(), 3u);
    EXPECT_EQ(polylines[0], "polyline 3 0,0,255");
    EXPECT_EQ(polylines[1], "polyline 2 0,0,255");
    EXPECT_EQ(polylines[2], "polyline 2 128,128,0");
    EXPECT_EQ(canvas.callsStartingWith("crosses"), std::vector<std::string>{"crosses 6"});
    // The crosses come after the borders and before the route; the scale bar comes last.
    const auto at = [&](const std::string& call) {
        return std::find(canvas.calls.begin(), canvas.calls.end(), call) - canvas.calls.begin();
    };
    EXPECT_LT(at("polyline 2 0,0,255"), at("crosses 6"));
    EXPECT_LT(at("crosses 6"), at("polyline 2 128,128,0"));
    EXPECT_EQ(canvas.calls.back(), "text km 10");
    // A cross of 5 x 3 and 3 x 5 pixels around the cache's pixel.
    const MapProjection p(map.view(), 800, 800);
    EXPECT_EQ(canvas.crosses[0].x, p.x(11.0) - 2);
    EXPECT_EQ(canvas.crosses[0].w, 5);
    EXPECT_EQ(canvas.crosses[1].h, 5);
}

TEST_F(MapModel, TownsFollowTheViewWidth) {
    map.open();
    RecordingCanvas wide;
    map.setView({-10, 30, 40, 60});  // over 1000 km: only size class 1
    map.paint(wide, 800, 800);
    EXPECT_EQ(wide.callsStartingWith("circle"), (std::vector<std::string>{"circle 4", "circle 4"}));
    RecordingCanvas germany;
    map.setView({6, 14, 47, 55});  // between 200 and 1000 km: classes 1 and 2
    map.paint(germany, 800, 800);
    EXPECT_EQ(germany.callsStartingWith("circle").size(), 3u);
    EXPECT_EQ(germany.callsStartingWith("text Aachen 8").size(), 1u);
    // The name stands right of the dot, centred on the town's height.
    const MapProjection p(map.view(), 800, 800);
    const auto berlin = std::find_if(germany.texts.begin(), germany.texts.end(),
                                     [](const auto& t) { return t.second == "Berlin"; });
    ASSERT_NE(berlin, germany.texts.end());
    EXPECT_EQ(berlin->first, (MapPoint{p.x(13.405) + townRadius(1) + 2, p.y(52.52) - kTownLabelHeight / 2}));
    map.showTowns = false;
    RecordingCanvas none;
    map.paint(none, 800, 800);
    EXPECT_TRUE(none.callsStartingWith("circle").empty());
}

// The Ruhr area in the overview: names never overlap one another or another town's dot, the
// larger town keeps its name where two collide, and the crosses of caches come after the towns.
TEST_F(MapModel, CrowdedTownsKeepTheirNamesApart) {
    home.dir.write("german_towns.csv",
                   "51.4800;7.2200;3;Kleinstadt\n51.4556;7.0116;1;Essen\n51.5136;7.4653;1;Dortmund\n51.4817;"
                   "7.2165;1;Bochum\n"
                   "51.5177;7.0857;2;Gelsenkirchen\n51.5386;7.2257;3;Herne\n51.4344;6.7623;1;Duisburg\n"
                   "51.2562;7.1508;1;Wuppertal\n51.4275;6.8825;2;M\xFClheim an der Ruhr\n"
                   "51.3670;7.4633;2;Hagen\n52.5200;13.4050;1;Berlin\n");
    map.clearCaches();
    map.addCache(TExtCache{"GC9", 51.4556, 7.0116, "Am Dom"});
    map.open();
    for (const MapView& view : {MapView{6, 14, 47, 55}, MapView{6.5, 7.8, 51.1, 51.7}}) {
        RecordingCanvas canvas;
        map.setView(view);
        map.paint(canvas, 800, 600);
        const MapProjection p(map.view(), 800, 600);
        std::vector<MapRect> names;
        for (const auto& [at, text] : canvas.texts) {
            const bool town = std::any_of(map.towns().begin(), map.towns().end(),
                                          [&](const TTown& t) { return t.name == text; });
            if (town) names.push_back({at.x, at.y, canvas.textWidth(text, 8), kTownLabelHeight});
        }
        ASSERT_FALSE(names.empty());
        for (std::size_t i = 0; i < names.size(); ++i) {
            for (std::size_t j = i + 1; j < names.size(); ++j) {
                const MapRect& a = names[i];
                const MapRect& b = names[j];
                EXPECT_FALSE(a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h)
                    << i << " " << j;
            }
            for (const MapPoint& dot : canvas.circles) {
                EXPECT_FALSE(dot.x >= names[i].x && dot.x < names[i].x + names[i].w && dot.y >= names[i].y &&
                             dot.y < names[i].y + names[i].h);
            }
        }
        // Essen is among the largest and first of them in the file: it always keeps its name.
        EXPECT_EQ(std::count_if(canvas.texts.begin(), canvas.texts.end(),
                                [](const auto& t) { return t.second == "Essen"; }),
                  1);
        // Caches are drawn over the towns.
        const auto firstCross = std::find(canvas.calls.begin(), canvas.calls.end(), "crosses 2");
        const auto lastCircle = std::find_if(canvas.calls.rbegin(), canvas.calls.rend(),
                                             [](const std::string& c) { return c.rfind("circle", 0) == 0; });
        ASSERT_NE(firstCross, canvas.calls.end());
        ASSERT_NE(lastCircle, canvas.calls.rend());
        EXPECT_LT(std::distance(canvas.calls.begin(), lastCircle.base()),
                  std::distance(canvas.calls.begin(), firstCross) + 1);
    }
    // A name near the right edge stands left of its dot, inside the map.
    map.close();
    home.dir.write("german_towns.csv", "51.5;7.79;1;Randstadt am Ostrand\n");
    map.open();
    RecordingCanvas edge;
    map.setView({6.5, 7.8, 51.1, 51.7});
    map.paint(edge, 800, 600);
    ASSERT_EQ(edge.callsStartingWith("text Randstadt").size(), 1u);
    const auto randstadt = std::find_if(edge.texts.begin(), edge.texts.end(),
                                        [](const auto& t) { return t.second == "Randstadt am Ostrand"; });
    EXPECT_LE(randstadt->first.x + edge.textWidth(randstadt->second, 8), 800);
    EXPECT_LT(randstadt->first.x, edge.circles.front().x);
    map.close();
    home.dir.write("german_towns.csv", "51.4800;7.2200;3;Kleinstadt\n51.4817;7.2165;1;Bochum\n");
    map.open();

    // A small town listed before Bochum on almost the same spot gives way to it.
    RecordingCanvas ruhr;
    map.setView({6.5, 7.8, 51.1, 51.7});
    map.paint(ruhr, 800, 600);
    EXPECT_TRUE(ruhr.callsStartingWith("text Kleinstadt").empty());
    EXPECT_EQ(ruhr.callsStartingWith("text Bochum").size(), 1u);
}

// However narrow the bar, its labels never run together: a label that does not fit is left out.
TEST_F(MapModel, ScaleLabelsThatDoNotFitAreLeftOut) {
    map.open();
    map.showTowns = false;
    map.showGrid = false;
    for (const auto& [km, width] : {std::pair{1001.0, 450}, std::pair{3001.0, 450}, std::pair{10001.0, 450},
                                    std::pair{50.0, 600}, std::pair{1001.0, 1200}}) {
        RecordingCanvas canvas;
        map.setView(viewOfWidth(km, width, 400));
        map.paint(canvas, width, 400);
        std::vector<std::pair<int, int>> spans;
        for (const auto& [at, text] : canvas.texts) {
            if (text == "km" || text == "m") continue;
            spans.emplace_back(at.x, at.x + canvas.textWidth(text, 10));
        }
        ASSERT_FALSE(spans.empty()) << km;
        EXPECT_EQ(canvas.texts.front().second, "0") << km;
        for (std::size_t i = 1; i < spans.size(); ++i)
            EXPECT_GE(spans[i].first, spans[i - 1].second + 4) << km;
    }
    // A wide bar shows all six labels.
    RecordingCanvas wide;
    map.setView(viewOfWidth(50, 800, 400));
    map.paint(wide, 800, 400);
    EXPECT_EQ(wide.texts.size(), 7u);
}

TEST_F(MapModel, ZoomingInStopsAtTheSmallestSpan) {
    map.open();
    int zooms = 0;
    while (map.click(400, 400, 800, 800, true, false) == TfrmMap::ClickAction::ZoomedIn) ++zooms;
    EXPECT_LE(map.view().lonSpan(), kMinLonSpan);
    EXPECT_GT(map.view().lonSpan(), kMinLonSpan / 2);
    EXPECT_GT(zooms, 10);
    // Zooming out doubles the spans around the clicked point.
    const double before = map.view().lonSpan();
    EXPECT_EQ(map.click(400, 400, 800, 800, false, false), TfrmMap::ClickAction::ZoomedOut);
    EXPECT_DOUBLE_EQ(map.view().lonSpan(), 2 * before);
}

TEST_F(MapModel, ZoomInCentresOnTheClickedPoint) {
    map.open();
    map.click(0, 0, 800, 800, true, false);
    const MapView v = map.view();
    const MapView corrected = correctAspect({6, 14, 47, 55}, 800, 800);
    EXPECT_DOUBLE_EQ((v.lonFrom + v.lonTo) / 2, corrected.lonFrom);
    EXPECT_DOUBLE_EQ((v.latFrom + v.latTo) / 2, corrected.latTo);
    EXPECT_DOUBLE_EQ(v.lonSpan(), corrected.lonSpan() / 2);
}

TEST_F(MapModel, CacheInfoClicksFindTheNearestCache) {
    map.open();
    const MapView before = map.view();
    const MapProjection p(correctAspect(before, 800, 800), 800, 800);
    const int x = p.x(8.6), y = p.y(50.1);
    EXPECT_EQ(map.click(x, y, 800, 800, true, true), TfrmMap::ClickAction::CacheInfo);  // Shift alone
    map.cacheInfoMode = true;
    EXPECT_EQ(map.click(x, y, 800, 800, true, false), TfrmMap::ClickAction::CacheInfo);
    EXPECT_EQ(map.nearestCache(x, y, 800, 800), 1u);
    map.removeCache(1);
    EXPECT_EQ(map.caches().size(), 2u);
    EXPECT_EQ(map.removed(), std::vector<std::string>{"GC2"});
    map.accept();
    EXPECT_TRUE(map.accepted());
    EXPECT_FALSE(map.isOpen());

    TfrmMap empty(home.ctx());
    empty.open();
    EXPECT_FALSE(empty.nearestCache(1, 1, 800, 800));
}

TEST_F(MapModel, OpeningResetsTheRemovedListAndTheSwitches) {
    map.open();
    map.removeCache(0);
    map.showWpNames = true;
    map.cacheInfoMode = true;
    map.reject();
    EXPECT_FALSE(map.accepted());
    EXPECT_TRUE(map.towns().empty());  // dropped on hiding
    map.open();
    EXPECT_TRUE(map.removed().empty());
    EXPECT_FALSE(map.showWpNames);
    EXPECT_FALSE(map.cacheInfoMode);
    EXPECT_EQ(map.towns().size(), 4u);
}

TEST_F(MapModel, PanOverviewAndZoomToCaches) {
    map.open();
    map.pan(1, 0);
    EXPECT_DOUBLE_EQ(map.view().lonFrom, 8);
    map.pan(-1, 1);
    EXPECT_DOUBLE_EQ(map.view().lonFrom, 6);
    EXPECT_DOUBLE_EQ(map.view().latFrom, 49);
    map.showOverview();
    EXPECT_EQ(map.view(), (MapView{6, 14, 47, 55}));
    map.zoomToCaches();
    EXPECT_DOUBLE_EQ(map.view().lonFrom, 8.5 - 1.0 / 30);
    EXPECT_DOUBLE_EQ(map.view().lonTo, 13 + 1.0 / 30);
    EXPECT_DOUBLE_EQ(map.view().latFrom, 49.5 - 1.0 / 30);
    EXPECT_DOUBLE_EQ(map.view().latTo, 52 + 1.0 / 30);
}

TEST_F(MapModel, MissingFilesAreReportedOnceAndTheRestIsDrawn) {
    const std::string work = home.ctx().workDirPath();
    std::remove((work + "borders.bin").c_str());
    std::remove((work + "german_towns.csv").c_str());
    map.open();
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("Fehler beim Lesen der Datei " + work + "german_towns.csv"), std::string::npos);
    EXPECT_NE(errors[1].find("Fehler beim Lesen der Datei " + work + "borders.bin"), std::string::npos);
    RecordingCanvas canvas;
    map.paint(canvas, 600, 500);
    map.paint(canvas, 600, 500);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error).size(), 2u);  // not again on every repaint
    EXPECT_EQ(canvas.callsStartingWith("crosses").size(), 2u);
}

TEST_F(MapModel, CachesAreLookedUpInTheDatabase) {
    home.dir.write("Caches.bin", test::cacheDatabase({test::cacheRecord("GCAAA1", 50.1, 8.7)}));
    TfrmMap fresh(home.ctx());
    EXPECT_TRUE(fresh.addCache("GCAAA1"));
    EXPECT_FALSE(fresh.addCache("GCNONE"));
    ASSERT_EQ(fresh.caches().size(), 1u);
    EXPECT_DOUBLE_EQ(fresh.caches()[0].lat, 50.1);
}

TEST(MapShippedData, BordersAndTownsCoverGermany) {
    int err = 0;
    const auto borders = readBorders(std::string(VELLORA_TEST_DATA_DIR) + "/borders.bin", err);
    ASSERT_TRUE(borders) << err;
    EXPECT_GT(borders->size(), 300u);
    EXPECT_TRUE(borders->front().startsLine);
    // Lines that cross the area are kept whole, so some points lie outside it; none far away.
    int inside = 0;
    for (const BorderPoint& b : *borders) {
        EXPECT_TRUE(b.lon >= -10 && b.lon <= 30 && b.lat >= 35 && b.lat <= 65) << b.lon << " " << b.lat;
        inside += b.lon >= 5 && b.lon <= 16 && b.lat >= 47 && b.lat <= 56;
    }
    EXPECT_GT(inside, 100);
    const auto text = readFile(std::string(VELLORA_TEST_DATA_DIR) + "/german_towns.csv");
    ASSERT_TRUE(text);
    const std::vector<TTown> towns = parseTowns(*text);
    const auto named = [&](const char* name) {
        return std::find_if(towns.begin(), towns.end(), [&](const TTown& t) { return t.name == name; });
    };
    ASSERT_NE(named("M\xFCnchen"), towns.end());
    EXPECT_EQ(named("M\xFCnchen")->size, 1);
    ASSERT_NE(named("K\xF6ln"), towns.end());
}

}  // namespace
}  // namespace vellora
