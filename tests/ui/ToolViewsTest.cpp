#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/CacheRec.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "support/TestHome.h"
#include "tools/Projection.h"
#include "ui/CalculatorDialog.h"
#include "ui/MainWindow.h"
#include "ui/MapWindow.h"
#include "ui/QtText.h"
#include "ui/RouteDialog.h"
#include "ui/Screenshots.h"
#include "ui/ToolCommands.h"
#include "ui/UtmDialog.h"

namespace vellora {
namespace {

// Acts on the modal dialog of type T once it shows (polling, as exec() shows it only after the
// call); a dialog of another type, or none within a few seconds, is rejected so the test ends.
template <class T>
void whenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            act(d);
            return;
        }
        if (++*waited > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the dialog did not show";
            if (auto* other = qobject_cast<QDialog*>(modal)) other->reject();
        }
    });
    timer->start(10);
}

void retype(QLineEdit* edit, const char* keys) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, keys);
}

TEST(CalculatorView, RecomputesOnEveryKeyAndKeepsTheNumbers) {
    test::TestHome home;
    CalculatorModel model(home.ctx());
    model.page = CalculatorModel::Page::Projection;
    {
        CalculatorDialog dialog(model, true);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Wegpunktberechnungen"));
        EXPECT_EQ(dialog.pages()->currentIndex(), 1);
        EXPECT_EQ(dialog.distanceResult()->text(),
                  QStringLiteral("Entfernung = 69.150 km in Richtung 17.82 Grad"));
        EXPECT_EQ(dialog.projectionLine(0)->text(), qs("N 48\xB0 45.169"));
        EXPECT_EQ(dialog.projectionLine(1)->text(), qs("E 10\xB0 28.996"));
        test::screenshot(&dialog, "calculator");

        retype(dialog.distanceEdit(), "");
        EXPECT_EQ(dialog.projectionLine(0)->text(), QStringLiteral("Fehler bei Entfernung"));
        EXPECT_EQ(dialog.projectionLine(1)->text(), QString());
        QTest::keyClicks(dialog.distanceEdit(), "0,5x");
        EXPECT_EQ(dialog.distanceEdit()->text(), QStringLiteral("0.5"));
        EXPECT_EQ(model.projDistance, "0.5");

        QLineEdit* degrees = dialog.degrees(model.projStartLat);
        retype(degrees, "4.8");  // the projection page's degrees take digits only
        EXPECT_EQ(degrees->text(), QStringLiteral("48"));
        QLineEdit* minutes = dialog.minutes(model.distTargetLat);
        retype(minutes, "x");
        EXPECT_EQ(dialog.distanceResult()->text(), QStringLiteral("Fehler bei Zielkoordinate Breite"));
        dialog.hemisphere(model.projStartLat)->setCurrentIndex(1);
        EXPECT_EQ(dialog.projectionLine(0)->text().left(1), QStringLiteral("S"));
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("Cache suchen...")) {
                EXPECT_FALSE(b->isEnabled());
            }
        }
    }
    CalculatorDialog again(model, true);
    EXPECT_EQ(again.distanceEdit()->text(), QStringLiteral("0.5"));
    EXPECT_EQ(again.hemisphere(model.projStartLat)->currentIndex(), 0);
    EXPECT_EQ(again.degrees(model.projStartLat)->text(), QStringLiteral("48"));
}

// The name search hands back a waypoint; its coordinates fill the group, the hemispheres stay.
TEST(CalculatorView, CacheSearchButtonsTakeACachesCoordinates) {
    test::TestHome home;
    TCacheRec rec;
    rec.Waypoint = "GC12AB";
    rec.Lat = 48.75;
    rec.Lon = 9.1;
    writeFileAtomic(home.workFile("Caches.bin"), encodeCacheRec(rec));
    RebuildIndex(home.ctx());
    CalculatorModel model(home.ctx());
    int asked = 0;
    CalculatorDialog dialog(model, true, nullptr, [&]() -> std::optional<std::string> {
        return ++asked == 1 ? std::optional<std::string>("gc12ab") : std::nullopt;
    });
    dialog.hemisphere(model.distTargetLon)->setCurrentIndex(1);
    QPushButton* target = dialog.searchButton(CalculatorModel::Group::DistanceTarget);
    ASSERT_TRUE(target->isEnabled());
    QTest::mouseClick(target, Qt::LeftButton);
    EXPECT_EQ(dialog.degrees(model.distTargetLat)->text(), QStringLiteral("48"));
    EXPECT_EQ(dialog.minutes(model.distTargetLat)->text(), QStringLiteral("45.000"));
    EXPECT_EQ(dialog.degrees(model.distTargetLon)->text(), QStringLiteral("9"));
    EXPECT_EQ(dialog.minutes(model.distTargetLon)->text(), QStringLiteral("6.000"));
    EXPECT_EQ(dialog.hemisphere(model.distTargetLon)->currentIndex(), 1);
    QTest::mouseClick(dialog.searchButton(CalculatorModel::Group::ProjectionStart), Qt::LeftButton);
    EXPECT_EQ(dialog.degrees(model.projStartLat)->text(), QStringLiteral("49"));

    UtmDialog utm(home.ctx(), nullptr, [] { return std::optional<std::string>("GC12AB"); });
    utm.latHemisphere()->setCurrentIndex(1);
    QTest::mouseClick(utm.searchButton(), Qt::LeftButton);
    EXPECT_EQ(utm.latDegrees()->text() + " " + utm.latMinutes()->text(), QStringLiteral("48 45.000"));
    EXPECT_EQ(utm.latHemisphere()->currentIndex(), 1);
    EXPECT_FALSE(UtmDialog(home.ctx()).searchButton()->isEnabled());
}

// Tab walks each row left to right, then the next row, then the buttons.
TEST(UtmView, TabOrderFollowsTheRows) {
    test::TestHome home;
    UtmDialog dialog(home.ctx(), nullptr, [] { return std::optional<std::string>("GC12AB"); });
    const char* const expected[] = {"edLatDeg",   "edLatMin",       "cbLatHemi",   "edLonDeg", "edLonMin",
                                    "cbLonHemi",  "btnSearchCache", "edZone",      "cbBand",   "edEasting",
                                    "edNorthing", "btnToUTM",       "btnToLatLon", "btnClose"};
    QWidget* w = dialog.findChild<QWidget*>(QString::fromLatin1(expected[0]));
    ASSERT_NE(w, nullptr);
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        do {
            w = w->nextInFocusChain();
        } while (w != &dialog && !(w->focusPolicy() & Qt::TabFocus && w->isEnabled()));
        EXPECT_EQ(w->objectName().toStdString(), expected[i]) << "after " << expected[i - 1];
    }
}

TEST(UtmView, ConvertsBothWaysAndReportsErrors) {
    test::TestHome home;
    UtmDialog dialog(home.ctx());
    EXPECT_EQ(dialog.windowTitle(), qs("Umrechnung L\xE4nge/Breite <=> UTM"));
    EXPECT_EQ(dialog.band()->currentText(), QStringLiteral("U"));
    QTest::keyClicks(dialog.latDegrees(), "49");
    QTest::keyClicks(dialog.latMinutes(), "30,0");
    QTest::keyClicks(dialog.lonDegrees(), "10");
    QTest::keyClicks(dialog.lonMinutes(), "45");
    EXPECT_EQ(dialog.latMinutes()->text(), QStringLiteral("30.0"));
    QTest::mouseClick(dialog.toUtmButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.zone()->text(), QStringLiteral("32"));
    EXPECT_EQ(dialog.band()->currentText(), QStringLiteral("U"));
    EXPECT_EQ(dialog.easting()->text(), QStringLiteral("626710"));
    EXPECT_EQ(dialog.northing()->text(), QStringLiteral("5484512"));
    test::screenshot(&dialog, "utm");

    retype(dialog.northing(), "5000000x");
    EXPECT_EQ(dialog.northing()->text(), QStringLiteral("5000000"));
    retype(dialog.easting(), "500000");
    dialog.band()->setCurrentText(QStringLiteral("M"));
    QTest::mouseClick(dialog.toLatLonButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.latHemisphere()->currentIndex(), 1);
    EXPECT_EQ(dialog.latDegrees()->text() + " " + dialog.latMinutes()->text(), QStringLiteral("45 9.209"));

    dialog.latDegrees()->clear();
    QTest::mouseClick(dialog.toUtmButton(), Qt::LeftButton);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error),
              std::vector<std::string>{"Falsche oder ung\xFCltige Breitenangabe."});
    EXPECT_EQ(dialog.zone()->text(), QStringLiteral("32"));
}

class RouteView : public ::testing::Test {
protected:
    RouteView() {
        home.ctx().settings.HomeLat = 49.5;
        home.ctx().settings.HomeLong = 10.75;
        std::string db;
        int n = 0;
        for (const char* type : {"Traditional Cache", "Multi-Cache", "Unknown Cache", "Traditional Cache"}) {
            const GeoPoint p = *Project(49.5, 10.75, 0.5 + n, 90);
            TCacheRec rec;
            rec.Waypoint = "GC10" + std::to_string(n++);
            rec.CacheName = "Cache " + rec.Waypoint;
            rec.CacheType = type;
            rec.Lat = p.lat;
            rec.Lon = p.lon;
            db += encodeCacheRec(rec);
        }
        writeFileAtomic(home.workFile("Caches.bin"), db);
        RebuildIndex(home.ctx());
        home.dir.write("a.coo", "10 45 0 49 30 0\r\n");
        home.dir.write("b.coo", "10 51 0 49 30 0\r\n");
    }
    test::TestHome home;
    RouteTypeFilter filter;
};

TEST_F(RouteView, LoadCalculatePruneAndTransfer) {
    RouteDialog dialog(home.ctx(), filter);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Caches entlang einer Route suchen"));
    EXPECT_FALSE(dialog.calculateButton()->isEnabled());
    EXPECT_FALSE(dialog.transferButton()->isEnabled());
    EXPECT_FALSE(dialog.mapButton()->isEnabled());
    EXPECT_TRUE(dialog.keepBox()->isChecked());

    dialog.formatChoice()->setCurrentIndex(1);
    home.host.answerNextOpen({home.dir.file("a.coo")});
    home.host.answerNextOpen({home.dir.file("b.coo")});
    QTest::mouseClick(dialog.loadButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.calculateButton()->isEnabled());
    QTest::mouseClick(dialog.loadButton(), Qt::LeftButton);
    EXPECT_EQ(home.host.dialogs.at(0).filters.at(0).name, "Top50 Cursor-Koordinaten (*.coo)");
    EXPECT_EQ(home.host.dialogs.at(0).startDir, home.ctx().workDirPath());
    EXPECT_TRUE(dialog.calculateButton()->isEnabled());
    retype(dialog.widthEdit(), "0,1");
    EXPECT_EQ(dialog.widthEdit()->text(), QStringLiteral("0.1"));
    EXPECT_FALSE(dialog.calculateButton()->isEnabled());
    QTest::keyClicks(dialog.widthEdit(), "5");
    EXPECT_TRUE(dialog.calculateButton()->isEnabled());
    retype(dialog.widthEdit(), "3");

    // Ticking the filter asks for the types; only traditionals pass.
    dialog.runFilterDialog = [](RouteTypeFilter& f) {
        f.types[0] = true;
        return true;
    };
    QTest::mouseClick(dialog.filterBox(), Qt::LeftButton);
    EXPECT_TRUE(dialog.filterBox()->isChecked());
    QTest::mouseClick(dialog.calculateButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.resultList()->count(), 2);
    EXPECT_EQ(dialog.resultList()->item(0)->text(), QStringLiteral("GC100 (0.50 km / 0.50 km) Cache GC100"));
    EXPECT_EQ(dialog.countLabel()->text(), QStringLiteral("Entlang der Route wurden 2 Caches gefunden."));
    test::screenshot(&dialog, "route");

    QTest::mouseClick(dialog.filterBox(), Qt::LeftButton);
    EXPECT_FALSE(dialog.filterBox()->isChecked());
    QTest::mouseClick(dialog.calculateButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.resultList()->count(), 4);
    dialog.resultList()->setCurrentRow(1);
    QTest::keyClick(&dialog, Qt::Key_Delete);
    ASSERT_EQ(dialog.resultList()->count(), 3);
    EXPECT_EQ(dialog.resultList()->item(1)->text().left(5), QStringLiteral("GC102"));
    EXPECT_EQ(dialog.countLabel()->text(), QStringLiteral("Entlang der Route wurden 3 Caches gefunden."));

    // "Ergebnis bearbeiten": the map shows the results and the route; a cache removed there and
    // confirmed with OK leaves the result list.
    ASSERT_TRUE(dialog.mapButton()->isEnabled());
    std::size_t shownCaches = 0, shownRoute = 0;
    QTimer::singleShot(0, [&] {
        auto* map = qobject_cast<MapWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(map, nullptr);
        TfrmMap& model = *map->model();
        shownCaches = model.caches().size();
        shownRoute = model.route().size();
        model.removeCache(2);
        map->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    QTest::mouseClick(dialog.mapButton(), Qt::LeftButton);
    EXPECT_EQ(shownCaches, 3u);
    EXPECT_EQ(shownRoute, 2u);
    ASSERT_EQ(dialog.resultList()->count(), 2);
    EXPECT_EQ(dialog.resultList()->item(1)->text().left(5), QStringLiteral("GC102"));

    QTest::mouseClick(dialog.keepBox(), Qt::LeftButton);
    QTest::mouseClick(dialog.transferButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(readListFile(home.workFile("WPList.txt")), (std::vector<std::string>{"GC100", "GC102"}));
}

TEST_F(RouteView, FilterDialogSetsTheTypesOnOkOnly) {
    RouteFilterDialog dialog(filter);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cachefilter"));
    EXPECT_EQ(dialog.typeBox(8)->text(), QStringLiteral("CITO-Event"));
    dialog.typeBox(6)->setChecked(true);
    dialog.reject();
    EXPECT_FALSE(filter.types[6]);
    dialog.typeBox(6)->setChecked(true);
    dialog.accept();
    EXPECT_TRUE(filter.types[6]);
}

TEST(ToolCommandsView, MainWindowOpensTheToolsAndAsksAfterATransfer) {
    test::TestHome home;
    home.restart();
    home.ctx().programConf().writeString("Program", "OutDir", home.dir.file("ausgabe"));
    makeDirs(home.dir.file("ausgabe"));
    MainWindow window(home.ctx(), false);
    for (Cmd id : {Cmd::Distance, Cmd::ProjectWaypoints, Cmd::Utm, Cmd::RouteCaches})
        EXPECT_TRUE(window.action(id)->isEnabled());

    int pageSeen = -1;
    whenShown<CalculatorDialog>([&](CalculatorDialog* d) {
        pageSeen = d->pages()->currentIndex();
        d->accept();
    });
    window.action(Cmd::ProjectWaypoints)->trigger();
    EXPECT_EQ(pageSeen, 1);

    TCacheRec rec;
    rec.Waypoint = "GC1ABC";
    rec.Lat = 49.5;
    rec.Lon = 10.76;
    writeFileAtomic(home.workFile("Caches.bin"), encodeCacheRec(rec));
    home.dir.write("r.coo", "10 45 0 49 30 0\r\n10 46 0 49 30 0\r\n");
    home.host.answerNextOpen({home.dir.file("r.coo")});
    home.host.answerNext(MsgResult::No);
    whenShown<RouteDialog>([&](RouteDialog* d) {
        d->formatChoice()->setCurrentIndex(1);
        d->model().chooseAndLoadRoute();
        d->model().calculate();
        if (!d->model().transfer()) d->reject();
    });
    window.action(Cmd::RouteCaches)->trigger();
    const auto questions = home.host.textsOf(MsgKind::Confirmation);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], RouteSearchModel::kTransferQuestion);
    EXPECT_EQ(readListFile(home.workFile("WPList.txt")), std::vector<std::string>{"GC1ABC"});
}

}  // namespace
}  // namespace vellora
