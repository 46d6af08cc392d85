#include "ui/LoadHTMLDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "ListingViewFixture.h"
#include "core/IniFile.h"
#include "listing/LoadHTML.h"
#include "ui/DialogHost.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class LoadHTMLView : public test::ListingViewTest {
protected:
    void open() {
        model = std::make_unique<TfrmLoadHTML>(ctx());
        model->open();
        dialog = std::make_unique<LoadHTMLDialog>(ctx(), *model);
    }
    QStringList protocol() const {
        QStringList lines;
        for (int i = 0; i < dialog->protocol()->count(); ++i) lines << dialog->protocol()->item(i)->text();
        return lines;
    }

    std::unique_ptr<TfrmLoadHTML> model;
    std::unique_ptr<LoadHTMLDialog> dialog;
};

TEST_F(LoadHTMLView, OpensWithTheBuiltInOptionsAndFollowsTheEnablingRules) {
    writeWorkList(activeWaypoints(3));
    open();
    LoadHTMLDialog& d = *dialog;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Laden vom Internet"));
    EXPECT_EQ(d.headline()->text(), QString::fromUtf8("Die Arbeitsliste enthält 3 Waypoints."));
    EXPECT_EQ(d.pages()->currentWidget(), d.optionsPage());
    EXPECT_TRUE(d.overwriteChoice(0)->isChecked());
    EXPECT_EQ(d.overwriteChoice(1)->text(), QString::fromUtf8("immer überschreiben"));
    EXPECT_EQ(d.overwriteAge()->text(), QStringLiteral("14"));
    EXPECT_FALSE(d.overwriteAge()->isEnabled());
    EXPECT_TRUE(d.imagesBox()->isChecked());
    EXPECT_EQ(d.remoteImagesBox()->text(), QStringLiteral("auch Bilder von fremden Servern"));
    EXPECT_TRUE(d.remoteImagesBox()->isChecked());
    EXPECT_TRUE(d.remoteImagesBox()->isEnabled());
    for (QCheckBox* b : {d.foundBox(), d.ignoredBox(), d.archivedBox(), d.loadMapBox()})
        EXPECT_TRUE(b->isChecked());
    EXPECT_EQ(d.foundBox()->text(), QStringLiteral("Gefundene Caches"));
    EXPECT_TRUE(d.mapKind(1)->isChecked());
    EXPECT_EQ(d.mapKind(2)->text(), QStringLiteral("Stadtplandienst"));
    EXPECT_EQ(d.zoomChoice()->count(), 6);
    EXPECT_EQ(d.zoomChoice()->currentText(), QStringLiteral("1 : 50.000"));
    EXPECT_EQ(d.sizeChoice()->currentText(), QStringLiteral("klein"));
    EXPECT_FALSE(d.saveOptionsBox()->isChecked());
    EXPECT_EQ(d.saveOptionsBox()->text(), QStringLiteral("Einstellungen speichern"));
    EXPECT_FALSE(d.whyButton()->isVisibleTo(&d));
    EXPECT_FALSE(d.abortButton()->isVisibleTo(&d));
    EXPECT_FALSE(d.editButton()->isEnabled());  // no waypoint collector to open
    EXPECT_TRUE(d.loadButton()->isEnabled());
    EXPECT_EQ(d.mapsOnlyButton()->text(), QStringLiteral("Nur Landkarten laden (ohne Caches)"));
    EXPECT_EQ(d.closeButton()->text(), QString::fromUtf8("Schließen"));
    EXPECT_EQ(d.statisticsLabel(2)->text(), QString::fromUtf8("Caches übersprungen, davon:"));
    EXPECT_EQ(d.statisticsValue(2)->text(), QStringLiteral("0"));
    test::screenshot(&d, "load_html_options");

    click(d.imagesBox());
    EXPECT_FALSE(model->options.Images);
    EXPECT_FALSE(d.remoteImagesBox()->isEnabled());
    click(d.overwriteChoice(2));
    EXPECT_EQ(model->options.Overwrite, 2);
    EXPECT_TRUE(d.overwriteAge()->isEnabled());
    d.overwriteAge()->clear();
    QTest::keyClicks(d.overwriteAge(), "7x12345");
    EXPECT_EQ(d.overwriteAge()->text(), QStringLiteral("7123"));
    EXPECT_EQ(model->options.OverwriteAge, "7123");

    // Each map kind has its own scales and remembers its scale index.
    click(d.mapKind(0));
    EXPECT_EQ(model->options.MapKind, 0);
    EXPECT_EQ(d.zoomChoice()->count(), 7);
    EXPECT_EQ(d.zoomChoice()->currentText(), QStringLiteral("1 : 50.000"));
    EXPECT_FALSE(d.sizeChoice()->isEnabled());
    d.zoomChoice()->setCurrentIndex(6);
    emit d.zoomChoice()->activated(6);
    EXPECT_EQ(model->options.MapZoom[0], 6);
    click(d.mapKind(2));
    EXPECT_EQ(d.zoomChoice()->count(), 15);
    EXPECT_EQ(d.sizeChoice()->itemText(1), QString::fromUtf8("groß (600x600)"));
    EXPECT_TRUE(d.sizeChoice()->isEnabled());
    click(d.mapKind(4));
    EXPECT_EQ(d.mapKind(4)->text(), QStringLiteral("OpenStreetMap"));
    EXPECT_EQ(d.zoomChoice()->count(), 6);
    EXPECT_EQ(d.zoomChoice()->itemText(5), QStringLiteral("Zoom 17"));
    EXPECT_EQ(d.sizeChoice()->count(), 3);
    click(d.mapKind(0));
    EXPECT_EQ(d.zoomChoice()->currentText(), QStringLiteral("1 : 500.000"));
}

TEST_F(LoadHTMLView, LoadsListingsWithImagesAndMapsAndStoresTheChosenOptions) {
    const auto list = activeWaypoints(3);
    writeWorkList(list);
    open();
    LoadHTMLDialog& d = *dialog;
    showWindow(&d);
    click(d.saveOptionsBox());
    ASSERT_TRUE(model->options.SaveOpts);
    int fileBarMax = 0;
    QObject::connect(d.fileBar(), &QProgressBar::valueChanged,
                     [&](int) { fileBarMax = std::max(fileBarMax, d.fileBar()->maximum()); });
    bool abortShownDuringRun = false;
    QObject::connect(d.overallBar(), &QProgressBar::valueChanged, [&](int) {
        abortShownDuringRun =
            abortShownDuringRun ||
            (d.abortButton()->isVisible() && !d.closeButton()->isEnabled() && !d.optionsPage()->isEnabled());
    });
    click(d.loadButton());

    for (const auto& w : list) {
        EXPECT_TRUE(outExists(w + ".html")) << w;
        EXPECT_TRUE(outExists(w + "_mappoint.gif")) << w;
    }
    EXPECT_EQ(model->statistics().loaded, 3);
    EXPECT_EQ(d.statisticsLabel(0)->text(), QStringLiteral("Caches geladen:"));
    EXPECT_EQ(d.statisticsValue(0)->text(), QStringLiteral("3"));
    EXPECT_EQ(d.pages()->currentWidget(), d.protocolPage());
    const QStringList lines = protocol();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Ladevorgang gestartet um ")))
        << lines.front().toStdString();
    EXPECT_TRUE(lines.back().startsWith(QStringLiteral("Ladevorgang beendet um ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Der Ladevorgang wurde abgeschlossen.")));
    EXPECT_EQ(lines.size(), static_cast<int>(model->protocolLines().size()));
    // Every line can be read whole in its tool tip, however narrow the list.
    for (int i = 0; i < d.protocol()->count(); ++i)
        EXPECT_EQ(d.protocol()->item(i)->toolTip(), d.protocol()->item(i)->text());
    EXPECT_EQ(d.overallBar()->maximum(), 3);
    EXPECT_EQ(d.overallBar()->value(), 3);
    EXPECT_GT(fileBarMax, 1);            // the byte count of a transfer
    EXPECT_EQ(d.fileBar()->value(), 0);  // back to 0 after the last one
    EXPECT_TRUE(abortShownDuringRun);
    EXPECT_EQ(d.taskText()->text(), QStringLiteral("Ready"));
    EXPECT_FALSE(d.abortButton()->isVisible());
    EXPECT_TRUE(d.closeButton()->isEnabled());
    EXPECT_TRUE(d.optionsPage()->isEnabled());
    test::screenshot(&d, "load_html_protocol");

    click(d.closeButton());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(model->errorFlag());
    IniFile& conf = ctx().programConf();
    EXPECT_TRUE(conf.readBool("Program", "LoadSaveOpts", false));
    EXPECT_EQ(conf.readInteger("Program", "LoadMapKind", -1), 1);
    EXPECT_EQ(conf.readString("Program", "LoadOverwriteAge", ""), "14");
}

TEST_F(LoadHTMLView, AbortDuringASlowDownloadFinishesTheCurrentCacheOnly) {
    const auto list = activeWaypoints(3);
    writeWorkList(list);
    addFault("/seek/cache_details.aspx", "wp=" + list[0], sim::FaultKind::Slow, 1500);
    open();
    LoadHTMLDialog& d = *dialog;
    showWindow(&d);
    click(d.imagesBox());
    click(d.loadMapBox());
    host.answerNext(MsgResult::Yes);
    bool clickedDuringTransfer = false;
    QTimer::singleShot(400, [&] {
        clickedDuringTransfer = d.abortButton()->isVisible() && d.abortButton()->isEnabled() &&
                                d.subTaskText()->text().contains(QString::fromStdString(list[0]));
        test::screenshot(&d, "load_html_running");
        click(d.abortButton());
    });
    click(d.loadButton());

    EXPECT_TRUE(clickedDuringTransfer);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Es wurden noch nicht alle Cachebeschreibungen geladen. \r\nSoll das Laden abgebrochen werden?"
              "\r\n\r\n(Hinweis: der Cache " +
                  list[0] + ", der momentan geladen wird, wird in jedem Fall noch zu Ende geladen.)");
    EXPECT_TRUE(outExists(list[0] + ".html"));
    EXPECT_FALSE(outExists(list[1] + ".html"));
    EXPECT_FALSE(outExists(list[2] + ".html"));
    EXPECT_EQ(requestsTo("/seek/cache_details.aspx"), 1);
    EXPECT_EQ(d.statisticsValue(0)->text(), QStringLiteral("1"));
    EXPECT_EQ(d.overallBar()->value(), 0);
    EXPECT_TRUE(d.closeButton()->isEnabled());
    EXPECT_FALSE(d.abortButton()->isVisible());
}

TEST_F(LoadHTMLView, BatchModeLoadsByItselfAndCloses) {
    const auto list = activeWaypoints(2);
    writeWorkList(list);
    model = std::make_unique<TfrmLoadHTML>(ctx());
    model->options.LoadMap = false;
    model->setUnattended(true);
    model->open();
    LoadHTMLDialog d(ctx(), *model);
    d.exec();
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(model->errorFlag());
    EXPECT_TRUE(outExists(list[0] + ".html"));
    EXPECT_TRUE(outExists(list[1] + ".html"));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LoadHTMLView, AnEmptyWorkListIsReportedAndTheWindowClosesItself) {
    writeWorkList({});
    open();
    showWindow(dialog.get());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, MsgKind::Error);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 2000));
    EXPECT_TRUE(!model->isOpen());
    EXPECT_TRUE(model->errorFlag());
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
}

TEST_F(LoadHTMLView, MoreThanFiftyWaypointsShowWhy) {
    writeWorkList(activeWaypoints(51));
    open();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, MsgKind::Warning);
    EXPECT_TRUE(
        dialog->headline()->text().endsWith(QString::fromUtf8(" Die ersten 50 können geladen werden.")));
    EXPECT_TRUE(dialog->whyButton()->isVisibleTo(dialog.get()));
    click(dialog->whyButton());
    EXPECT_EQ(host.opened, (std::vector<std::string>{TfrmLoadHTML::kWhyUrl}));
    test::screenshot(dialog.get(), "load_html_why");
}

TEST_F(LoadHTMLView, TheQuietInstanceShowsADownloadWithItsProgress) {
    TfrmLoadHTML quiet(ctx(), true);
    LoadHTMLDialog d(ctx(), quiet);
    showWindow(&d);
    quiet.showDownload("Lade Cache-DB", "Die Cache-Datenbank wird vom Internet geladen...", true);
    EXPECT_FALSE(d.pages()->isTabVisible(0));
    EXPECT_EQ(d.pages()->currentWidget(), d.protocolPage());
    EXPECT_EQ(d.taskText()->text(), QStringLiteral("Lade Cache-DB"));
    EXPECT_TRUE(d.contentText()->isVisible());
    EXPECT_FALSE(d.loadButton()->isVisible());
    EXPECT_FALSE(d.closeButton()->isVisible());
    EXPECT_TRUE(d.abortButton()->isVisible());
    int fileBarMax = 0;
    QObject::connect(d.fileBar(), &QProgressBar::valueChanged,
                     [&](int) { fileBarMax = std::max(fileBarMax, d.fileBar()->maximum()); });
    const std::string dest = home.workFile("db.tmp");
    {
        ScopedHost scoped(ctx(), d.transferProgress());
        EXPECT_TRUE(getBinaryToFile(ctx(), quiet.client(), ctx().services.archiveList, dest, false, &quiet));
    }
    EXPECT_TRUE(fileExists(dest));
    EXPECT_GT(fileBarMax, 1);
    ASSERT_GT(d.protocol()->count(), 0);
    EXPECT_TRUE(d.protocol()->item(0)->text().startsWith(QStringLiteral("Ladevorgang gestartet um ")));
    test::screenshot(&d, "load_html_download");
    d.close();  // the user's close does not end it: the caller does
    EXPECT_TRUE(d.isVisible());
    quiet.close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
}

}  // namespace
}  // namespace vellora
