#include "ui/CreateDescrDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>

#include "ListingViewFixture.h"
#include "core/IniFile.h"
#include "listing/CreateDescr.h"
#include "listing/LoadHTML.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class CreateDescrView : public test::ListingViewTest {
protected:
    // Loads the listing pages of the waypoints from the stand-in server, as the loader does.
    void loadPages(const std::vector<std::string>& list, bool imagesAndMaps) {
        writeWorkList(list);
        TfrmLoadHTML loader(ctx());
        loader.options.Images = imagesAndMaps;
        loader.options.LoadMap = imagesAndMaps;
        loader.open();
        loader.btnLoadClick();
        loader.close();
        ASSERT_EQ(loader.statistics().loaded, static_cast<int>(list.size()));
    }
    void open(bool unattended = false) {
        model = std::make_unique<TCreateDescr>(ctx());
        model->setUnattended(unattended);
        model->open();
        dialog = std::make_unique<CreateDescrDialog>(ctx(), *model);
    }

    std::unique_ptr<TCreateDescr> model;
    std::unique_ptr<CreateDescrDialog> dialog;
};

TEST_F(CreateDescrView, OpensWithTheBuiltInOptionsAndFollowsTheEnablingRules) {
    writeWorkList(activeWaypoints(2));
    open();
    CreateDescrDialog& d = *dialog;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Cachebeschreibungen erzeugen"));
    EXPECT_TRUE(d.choice(0)->isChecked());
    EXPECT_EQ(d.choice(0)->text(), QStringLiteral("alle Caches in der Arbeitsliste"));
    EXPECT_EQ(d.headline()->text(), QString::fromUtf8("Die Arbeitsliste enthält 2 Wegpunkte."));
    EXPECT_FALSE(d.keepOldBox()->isChecked());
    EXPECT_EQ(d.keepOldBox()->text(), QStringLiteral("Bereits vorhandene Beschreibungen behalten"));
    EXPECT_TRUE(d.logsBox()->isChecked());
    EXPECT_EQ(d.maxLogs()->currentText(), QString());
    EXPECT_EQ(d.maxLogs()->count(), 6);
    EXPECT_TRUE(d.boldLogsBox()->isChecked());
    EXPECT_EQ(d.boldLogsBox()->text(), QStringLiteral("Logdatum und Finder fett darstellen"));
    EXPECT_TRUE(d.imagesBox()->isChecked());
    EXPECT_TRUE(d.imageKind(1)->isChecked());
    EXPECT_EQ(d.imageKind(1)->text(), QStringLiteral("verkleinert, 2-spaltig"));
    EXPECT_TRUE(d.hints(0)->isChecked());
    EXPECT_EQ(d.hints(2)->text(), QString::fromUtf8("weiß auf weiß"));
    EXPECT_EQ(d.homeChoice()->currentText(), QStringLiteral("HOME"));
    EXPECT_FALSE(d.homeChoice()->isEnabled());  // no additional homes
    EXPECT_EQ(d.mapSize()->currentText(), QString::fromUtf8("100 % (Originalgröße)"));
    ASSERT_EQ(d.mapOrder()->count(), 6);
    EXPECT_EQ(d.mapOrder()->item(3)->text(), QStringLiteral("Stadtplandienst (Luftbild)"));
    EXPECT_EQ(d.mapOrder()->item(5)->text(), QStringLiteral("OpenStreetMap"));
    const bool removals[] = {true, true, true, false, true, true, true, false};
    for (int i = 0; i < CreateDescrDialog::kRemovalCount; ++i)
        EXPECT_EQ(d.removalBox(i)->isChecked(), removals[i]) << i;
    EXPECT_EQ(d.removalBox(7)->text(), QStringLiteral("Alle HTML-Tags (ohne <BR>)"));
    EXPECT_EQ(d.templateEdit()->text(), QString::fromStdString(ctx().settings.Template));
    EXPECT_FALSE(d.saveOptionsBox()->isChecked());
    EXPECT_EQ(d.saveOptionsBox()->text(), QStringLiteral("eingestellte Optionen speichern"));
    EXPECT_TRUE(d.startButton()->isEnabled());
    test::screenshot(&d, "create_descr");

    click(d.logsBox());
    EXPECT_FALSE(model->options.Logs);
    EXPECT_FALSE(d.maxLogs()->isEnabled());
    EXPECT_FALSE(d.boldLogsBox()->isEnabled());
    click(d.imagesBox());
    EXPECT_FALSE(d.imageKind(0)->isEnabled());
    click(d.removalBox(7));
    EXPECT_TRUE(model->options.RmAll);
    for (int i = 0; i < 7; ++i) EXPECT_FALSE(d.removalBox(i)->isEnabled()) << i;
    EXPECT_FALSE(d.mapUpButton()->isEnabled());
    click(d.mapDownButton());
    EXPECT_EQ(model->options.MapOrder[0], "MapPoint");
    EXPECT_EQ(model->options.MapOrder[1], "MultiMap");
    EXPECT_EQ(d.mapOrder()->currentRow(), 1);
    d.maxLogs()->setEditText(QStringLiteral("abc"));
    EXPECT_EQ(model->options.MaxLogs, "abc");

    // The other list: no listing pages yet.
    click(d.choice(1));
    EXPECT_EQ(model->choice, 1);
    EXPECT_EQ(d.headline()->text(),
              QString::fromUtf8("Das Ausgabeverzeichnis enthält 0 Cachebeschreibungen."));
    EXPECT_EQ(host.textsOf(MsgKind::Error),
              (std::vector<std::string>{"Das Ausgabeverzeichnis enth\xE4lt keine Cachebeschreibungen."}));
}

TEST_F(CreateDescrView, GeneratesTheDescriptionsOfLoadedListingsAndStoresTheOptions) {
    const auto list = activeWaypoints(3);
    loadPages(list, true);
    open();
    CreateDescrDialog& d = *dialog;
    showWindow(&d);
    click(d.saveOptionsBox());
    d.maxLogs()->setEditText(QStringLiteral("5"));
    int barMax = 0;
    bool lockedDuringRun = false;
    QObject::connect(d.progressBar(), &QProgressBar::valueChanged, [&](int) {
        barMax = std::max(barMax, d.progressBar()->maximum());
        lockedDuringRun = lockedDuringRun || (!d.startButton()->isEnabled() && !d.logsBox()->isEnabled());
    });
    click(d.startButton());

    for (const auto& w : list) EXPECT_TRUE(outExists(w + "_converted.html")) << w;
    EXPECT_EQ(barMax, 3);
    EXPECT_TRUE(lockedDuringRun);
    EXPECT_EQ(d.statusText()->text(), QStringLiteral("Fertig."));
    EXPECT_EQ(d.progressBar()->value(), 3);  // "Fertig." beside a full bar
    EXPECT_EQ(d.progressBar()->maximum(), 3);
    const auto info = host.textsOf(MsgKind::Information);
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0],
              "3 Cachebeschreibungen konvertiert,\r\n0 Caches \xFC"
              "bersprungen.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    IniFile& conf = ctx().programConf();
    EXPECT_TRUE(conf.readBool("Program", "CrDescSaveOpts", false));
    EXPECT_EQ(conf.readString("Program", "CrDescMaxLogs", ""), "5");

    // The next opening takes them up again.
    TCreateDescr again(ctx());
    again.open();
    EXPECT_EQ(again.options.MaxLogs, "5");
}

TEST_F(CreateDescrView, AbbrechenPassesOverTheRemainingCachesAndCloses) {
    const auto list = activeWaypoints(5);
    loadPages(list, false);
    open();
    CreateDescrDialog& d = *dialog;
    showWindow(&d);
    QObject::connect(d.progressBar(), &QProgressBar::valueChanged, [&](int value) {
        if (value == 2 && d.cancelButton()->isEnabled()) click(d.cancelButton());
    });
    click(d.startButton());
    EXPECT_TRUE(outExists(list[0] + "_converted.html"));
    for (std::size_t i = 1; i < list.size(); ++i) EXPECT_FALSE(outExists(list[i] + "_converted.html")) << i;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(model->closedWithOk());
}

TEST_F(CreateDescrView, AMissingTemplateKeepsTheDialogOpenForAnotherTry) {
    writeWorkList(activeWaypoints(1));
    open();
    CreateDescrDialog& d = *dialog;
    showWindow(&d);
    const std::string missing = home.workFile("fehlt.html");
    d.templateEdit()->clear();
    QTest::keyClicks(d.templateEdit(), QString::fromStdString(missing));
    click(d.startButton());
    EXPECT_EQ(host.textsOf(MsgKind::Error),
              (std::vector<std::string>{"Templatedatei nicht gefunden:\r\n" + missing}));
    QApplication::processEvents();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.startButton()->isEnabled());
    EXPECT_TRUE(d.logsBox()->isEnabled());
    EXPECT_EQ(model->runState(), RunState::NotRun);
}

TEST_F(CreateDescrView, BatchModeRunsUnattendedAndCloses) {
    const auto list = activeWaypoints(2);
    loadPages(list, false);
    open(true);
    dialog->exec();
    for (const auto& w : list) EXPECT_TRUE(outExists(w + "_converted.html")) << w;
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    EXPECT_TRUE(host.textsOf(MsgKind::Information).empty());
}

}  // namespace
}  // namespace vellora
