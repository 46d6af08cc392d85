#include "ui/GpxImportDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "import/GpxTestFiles.h"
#include "import/ZipWriter.h"
#include "support/TestHome.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

test::GpxCache cache(const std::string& waypoint) {
    test::GpxCache c;
    c.waypoint = waypoint;
    c.name = "Am Weiher " + waypoint;
    return c;
}

class GpxImportView : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().settings.HomeLat = 49.5;
        home.ctx().settings.HomeLong = 11.0;
        home.dir.write("Caches.bin", "");
    }
    int databaseCount() { return static_cast<int>(cacheRecordCount(home.ctx())); }
    test::TestHome home;
};

TEST_F(GpxImportView, PassOneListsThePendingCachesAndPassTwoStoresThem) {
    home.dir.write("pq.gpx", test::gpxFile({cache("GCA1"), cache("GCA2")}));
    GpxImportDialog dialog(home.ctx());
    dialog.model().setFile(home.dir.file("pq.gpx"));
    dialog.model().open();
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("GPX-Import [Meine Abfrage]"));
    EXPECT_TRUE(dialog.startButton()->isEnabled());
    EXPECT_FALSE(dialog.workButton()->isEnabled());

    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->item(0)->text(), QStringLiteral("GCA1: Neu (05.11.2006)"));
    EXPECT_EQ(dialog.counterLabel()->text(),
              QStringLiteral("2 Cachedefinitionen gefunden, 0 unterschiedlich, 2 neu, 0 alt"));
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    EXPECT_TRUE(dialog.workButton()->isEnabled());
    test::screenshot(&dialog, "gpx_import");

    QTest::mouseClick(dialog.workButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.model().isOpen());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(databaseCount(), 2);
}

// A pocket query and its additional-waypoints file in one archive, dropped onto the main window:
// the import opens once, on the pocket query.
TEST_F(GpxImportView, DroppedArchiveImportsThePocketQueryAndIgnoresItsWaypointFile) {
    const std::string tmp = home.dir.file("tmp");
    makeDirs(tmp);
    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(tmp));
    std::string wpts = test::gpxFile({cache("GCW1")});
    home.dir.write("pq.zip", test::buildZip({{"12345.gpx", test::gpxFile({cache("GCA1"), cache("GCA2")})},
                                             {"12345-wpts.gpx", wpts}}));

    MainWindow window(home.ctx(), false);
    window.show();
    QApplication::processEvents();
    int opened = 0;
    std::string file;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = window.findChild<GpxImportDialog*>();
        if (!dialog || !dialog->isVisible() || !dialog->model().isOpen() ||
            !dialog->startButton()->isEnabled())
            return;
        ++opened;
        file = dialog->model().file();
        QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->workButton(), Qt::LeftButton);
    });
    poll.start();
    window.filesDropped({home.dir.file("pq.zip")});
    poll.stop();
    if (hadTmp)
        qputenv("TMPDIR", oldTmp);
    else
        qunsetenv("TMPDIR");

    EXPECT_EQ(opened, 1);
    EXPECT_EQ(file, tmp + "/12345.gpx");
    EXPECT_EQ(databaseCount(), 2);
    TCacheRec rec;
    EXPECT_FALSE(FindCache(home.ctx(), "GCW1", rec));
}

}  // namespace
}  // namespace vellora
