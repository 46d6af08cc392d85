// The map window: its controls drive the model, the drawing shows borders, towns and caches,
// and the cache info removes a cache from the map.
#include "ui/MapWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <random>

#include "../shell/ShellFixtures.h"
#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "support/TestHome.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class MapWindowView : public ::testing::Test {
protected:
    void SetUp() override {
        // The shipped border and town files, as a new home gets them.
        for (const char* name : {"borders.bin", "german_towns.csv"}) {
            const auto data = readFile(std::string(VELLORA_TEST_DATA_DIR) + "/" + name);
            ASSERT_TRUE(data) << name;
            home.dir.write(name, *data);
        }
        std::vector<TCacheRec> records;
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> lat(47.5, 54.5), lon(6.5, 14.5);
        for (int i = 0; i < 300; ++i) {
            records.push_back(test::cacheRecord("GC" + std::to_string(10000 + i), lat(rng), lon(rng)));
        }
        // A cluster around Nürnberg for the close views.
        for (int i = 0; i < 40; ++i) {
            records.push_back(test::cacheRecord("GCN" + std::to_string(100 + i), 49.45 + (i % 8) * 0.0025,
                                                11.07 + (i / 8) * 0.004));
        }
        home.dir.write("Caches.bin", test::cacheDatabase(records));
        for (const TCacheRec& r : records) map.addCache(r.Waypoint);
        map.setView({6, 14, 47, 55});
    }
    test::TestHome home;
    TfrmMap map{home.ctx()};
};

TEST_F(MapWindowView, ControlsFollowAndDriveTheModel) {
    ASSERT_EQ(map.caches().size(), 340u);
    map.showWpNames = true;
    MapWindow window(home.ctx(), map);
    map.open();
    window.show();
    EXPECT_GE(window.minimumWidth(), 450);
    EXPECT_GE(window.minimumHeight(), 400);
    EXPECT_FALSE(window.wpNamesBox()->isChecked());  // off at each showing
    EXPECT_TRUE(window.townsBox()->isChecked());
    EXPECT_FALSE(window.cacheInfoBox()->isChecked());
    EXPECT_EQ(window.panButton(1, 0)->toolTip(),
              QStringLiteral("Verschiebt den sichtbaren Ausschnitt in Pfeilrichtung"));

    QApplication::processEvents();
    const MapView before = map.view();
    QTest::mouseClick(window.panButton(1, 1), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(map.view().lonFrom, before.lonFrom + before.lonSpan() / 4);
    EXPECT_DOUBLE_EQ(map.view().latFrom, before.latFrom + before.latSpan() / 4);
    QTest::mouseClick(window.overviewButton(), Qt::LeftButton);
    EXPECT_EQ(map.view(), (MapView{6, 14, 47, 55}));  // the view as opened, corrected again when drawn

    QTest::mouseClick(window.gridBox(), Qt::LeftButton);
    EXPECT_FALSE(map.showGrid);
    QTest::mouseClick(window.cacheInfoBox(), Qt::LeftButton);
    EXPECT_TRUE(map.cacheInfoMode);
    EXPECT_EQ(window.area()->cursor().shape(), Qt::PointingHandCursor);

    // A click on the map zooms in around the clicked point.
    QTest::mouseClick(window.cacheInfoBox(), Qt::LeftButton);
    const double span = map.view().lonSpan();
    QTest::mouseClick(window.area(), Qt::LeftButton, {}, window.area()->rect().center());
    EXPECT_DOUBLE_EQ(map.view().lonSpan(), span / 2);
    map.close();
}

TEST_F(MapWindowView, CacheInfoRemovesTheCacheFromTheMap) {
    MapWindow window(home.ctx(), map);
    map.open();
    window.show();
    QApplication::processEvents();
    const QSize size = window.area()->size();
    const MapProjection p(correctAspect(map.view(), size.width(), size.height()), size.width(),
                          size.height());
    const TExtCache target = map.caches()[5];
    bool removeShown = false;
    QTimer::singleShot(0, [&] {
        auto* details = qobject_cast<CacheDetailsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(details, nullptr);
        removeShown = details->removeButton()->isVisible();
        QTest::mouseClick(details->removeButton(), Qt::LeftButton);
    });
    window.showCacheInfo(p.x(target.lon), p.y(target.lat));
    EXPECT_TRUE(removeShown);
    EXPECT_EQ(map.removed(), std::vector<std::string>{target.waypoint});
    EXPECT_EQ(map.caches().size(), 339u);
    map.close();
}

TEST_F(MapWindowView, DrawsBordersTownsAndCaches) {
    map.open();
    QImage image(800, 600, QImage::Format_RGB32);
    renderMap(map, image);
    int blue = 0, red = 0, black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue += c.blue() > 200 && c.red() < 80 && c.green() < 80;
            red += c.red() > 200 && c.green() < 40 && c.blue() < 40;
            black += c.red() < 30 && c.green() < 30 && c.blue() < 30;
        }
    }
    EXPECT_GT(blue, 500);    // borders
    EXPECT_GT(red, 300);     // towns
    EXPECT_GT(black, 2000);  // caches, names, frame, scale bar
    // The centre pixel of a cache's cross is black.
    const MapProjection p(map.view(), 800, 600);
    const TExtCache& c = map.caches()[0];
    EXPECT_EQ(image.pixelColor(p.x(c.lon), p.y(c.lat)), QColor(Qt::black));
    map.close();
}

// Pictures at the overview, at a city zoom, at a 2 km view with a route, of the Ruhr area and
// with one far cache.
TEST_F(MapWindowView, Screenshots) {
    if (qEnvironmentVariable("VELLORA_SCREENSHOT_DIR").isEmpty())
        GTEST_SKIP() << "VELLORA_SCREENSHOT_DIR not set";
    map.addRoutePoint(1, 49.40, 10.95);
    map.addRoutePoint(2, 49.46, 11.08);
    map.addRoutePoint(3, 49.60, 11.00);
    map.addRoutePoint(4, 50.10, 11.40);
    MapWindow window(home.ctx(), map);
    map.open();
    window.resize(900, 700);
    test::screenshot(&window, "map_overview");
    map.setView({10.85, 11.35, 49.30, 49.60});
    test::screenshot(&window, "map_city");
    map.showWpNames = true;
    map.setView({11.065, 11.095, 49.447, 49.47});
    window.wpNamesBox()->setChecked(true);
    test::screenshot(&window, "map_2km");
    map.showWpNames = false;
    window.wpNamesBox()->setChecked(false);
    map.setView({6.5, 7.8, 51.1, 51.7});
    test::screenshot(&window, "map_ruhr");
    // One cache far away: "auf Cachebereich zoomen" takes in all of them.
    map.addCache(TExtCache{"GCFAR", 38.72, -27.22, "Azoren"});
    map.zoomToCaches();
    test::screenshot(&window, "map_far_cache");
    map.close();
}

}  // namespace
}  // namespace vellora
