#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "core/FileUtil.h"
#include "shell/ShellFixtures.h"
#include "support/TestHome.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"
#include "ui/SettingsDialog.h"

namespace vellora {
namespace {

class MainWindowView : public ::testing::Test {
protected:
    void SetUp() override {
        home.restart();  // a home that has run before
        home.ctx().programConf().writeString("Program", "OutDir", home.dir.file("ausgabe"));
        makeDirs(home.dir.file("ausgabe"));
    }
    void open() {
        window = std::make_unique<MainWindow>(home.ctx(), false);
        window->show();
        QApplication::processEvents();
    }
    test::TestHome home;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowView, MenusAndToolbarFollowTheCommandTable) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vellora"));
    int toolbarButtons = 0;
    for (const auto& c : kCommands) {
        QAction* a = window->action(c.id);
        EXPECT_EQ(a->text(), qs(c.caption)) << c.handler;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(c.shortcut))) << c.handler;
        EXPECT_EQ(window->toolbar()->actions().contains(a), c.toolbar) << c.handler;
        toolbarButtons += c.toolbar;
    }
    EXPECT_EQ(toolbarButtons, 17);
    EXPECT_EQ(window->action(Cmd::ReadCacheDB)->text(),
              QString::fromUtf8("&Primäre Cache-DB laden und konvertieren"));
    EXPECT_FALSE(window->action(Cmd::RebuildIndex)->isVisible());
    EXPECT_TRUE(window->action(Cmd::Grundeinstellungen)->isEnabled());
    EXPECT_TRUE(window->action(Cmd::ReadCacheDB)->isEnabled());
    EXPECT_TRUE(window->action(Cmd::Export)->isEnabled());
    EXPECT_TRUE(window->action(Cmd::GoogleMaps)->isEnabled());
    EXPECT_TRUE(window->action(Cmd::ImportGPX)->isEnabled());
    EXPECT_TRUE(window->action(Cmd::Toolbar)->isChecked());
    window->action(Cmd::Toolbar)->trigger();
    EXPECT_FALSE(window->toolbar()->isVisible());
    test::screenshot(window.get(), "main_window");
}

// The toolbar buttons show only icons: with tool tips switched off (a new home's default) they
// still name their command and its shortcut; the explanatory tips follow the setting.
TEST_F(MainWindowView, ToolbarButtonsAlwaysNameTheirCommand) {
    for (bool show : {false, true}) {
        SCOPED_TRACE(show);
        home.ctx().programConf().writeBool("Program", "ShowTooltips", show);
        open();
        int buttons = 0;
        for (const auto& c : kCommands) {
            if (!c.toolbar) continue;
            QAction* a = window->action(c.id);
            QWidget* button = window->toolbar()->widgetForAction(a);
            ASSERT_NE(button, nullptr) << c.handler;
            const QString tip = button->toolTip();
            EXPECT_TRUE(tip.startsWith(qs(c.caption).remove(QLatin1Char('&')))) << c.handler;
            if (*c.shortcut) {
                EXPECT_TRUE(tip.endsWith(QStringLiteral("(") +
                                         a->shortcut().toString(QKeySequence::NativeText) +
                                         QStringLiteral(")")))
                    << c.handler << " " << tip.toStdString();
            }
            ++buttons;
        }
        EXPECT_GT(buttons, 0);
        auto* quick = window->findChild<QLineEdit*>(QStringLiteral("edQuickInfo"));
        ASSERT_NE(quick, nullptr);
        EXPECT_EQ(quick->toolTip().isEmpty(), !show);
        window.reset();
    }
}

TEST_F(MainWindowView, StatusLineStartsEmptyAndIsRefreshed) {
    open();
    EXPECT_EQ(window->statusText()->text(), QStringLiteral("Keine Cache-DB vorhanden."));
    home.dir.write("Caches.bin", test::cacheDatabase({test::cacheRecord("GC1"), test::cacheRecord("GC2")}));
    ASSERT_TRUE(test::setFileModified(home.workFile("Caches.bin"), encodeDateTime({2006, 12, 1, 12, 0, 0})));
    window->refreshStatus();
    EXPECT_EQ(window->statusText()->text(),
              QString::fromUtf8("Stand der Cache-DB: 01.12.2006, 2 Einträge. Keine Archivliste gefunden."));
}

TEST_F(MainWindowView, QuickInfoTakesLettersAndDigitsAndLooksUpOnEnter) {
    TCacheRec rec = test::cacheRecord("GC1AB");
    rec.Difficulty = "";
    home.dir.write("Caches.bin", test::cacheDatabase({rec}));
    open();
    QLineEdit* box = window->quickInfoBox();
    box->setFocus();
    QTest::keyClicks(box, "gc1-a b");
    EXPECT_EQ(box->text(), QStringLiteral("GC1AB"));
    EXPECT_FALSE(window->mapButton()->isVisible());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(window->quickInfoLine(1)->text(), QStringLiteral("Cache GC1AB"));
    EXPECT_EQ(window->quickInfoLine(2)->text(), QStringLiteral("Traditional Cache Regular (?/2)"));
    EXPECT_TRUE(window->mapButton()->isVisible());
    // "Karte" opens the map-service view of the looked-up cache.
    QString mapCaption;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        mapCaption = dialog->windowTitle();
        dialog->close();
    });
    QTest::mouseClick(window->mapButton(), Qt::LeftButton);
    EXPECT_EQ(mapCaption, QStringLiteral("in GoogleMaps zeigen"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::mouseClick(window->quickInfoButton(), Qt::LeftButton);
    EXPECT_EQ(window->quickInfoLine(1)->text(),
              QStringLiteral("Cache mit Waypoint GC1A! nicht in der Datenbank gefunden."));
    EXPECT_EQ(window->quickInfoLine(3)->text(), QString());
    EXPECT_FALSE(window->mapButton()->isVisible());
}

TEST_F(MainWindowView, HomeSelectorStaysWithinTheHomes) {
    IniFile& ini = home.ctx().programConf();
    ini.writeInteger("Program", "NrOfAdditionalHomes", 1);
    ini.writeFloat("Program", "AddHomeLat1", 51.0);
    ini.writeFloat("Program", "AddHomeLon1", 7.5);
    ini.writeString("Program", "AddHomeTxt1", "Urlaub");
    open();
    EXPECT_EQ(window->homeLabel()->text(), QString::fromUtf8("HOME (primär)"));
    QSpinBox* updown = window->homeUpDown();
    updown->stepUp();
    EXPECT_EQ(window->homeLabel()->text(), QStringLiteral("Urlaub"));
    EXPECT_EQ(window->homeCoordinates()->text(), QString::fromUtf8("N 51° 0.000 E 007° 30.000"));
    updown->stepUp();
    EXPECT_EQ(updown->value(), 1);
    EXPECT_EQ(window->homeLabel()->text(), QStringLiteral("Urlaub"));
    QTest::mouseDClick(window->homeLabel(), Qt::LeftButton);
    EXPECT_EQ(window->homeSelector().position(), 0);
    EXPECT_EQ(updown->value(), 0);
}

TEST_F(MainWindowView, DebugSwitchAndClosing) {
    open();
    window->action(Cmd::Debug)->trigger();
    EXPECT_TRUE(window->action(Cmd::Debug)->isChecked());
    EXPECT_TRUE(home.ctx().debugMode);
    EXPECT_NE(home.dir.read("debug.log").find("Debug mode switched to ON"), std::string::npos);
    home.dir.write("tmpdescr.html", "x");
    window->resize(900, 650);
    window->close();
    window.reset();
    EXPECT_FALSE(home.dir.exists("tmpdescr.html"));
    EXPECT_NE(home.dir.read("debug.log").find("Terminating application"), std::string::npos);
    IniFile& ini = home.ctx().programConf();
    EXPECT_EQ(ini.readInteger("Program", "Main_Width", 0), 900);
    EXPECT_EQ(ini.readInteger("MainForm", "Height", 0), 650);
}

// The first start through the real views: the settings dialog is cancelled once, then confirmed.
TEST_F(MainWindowView, FirstStartRepeatsTheSettingsDialogUntilOk) {
    test::TestHome fresh;
    ASSERT_FALSE(fresh.ctx().configExisted);
    MainWindow first(fresh.ctx(), false);
    first.show();
    QApplication::processEvents();
    int settingsShown = 0;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dlg = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible() || dlg->property("handled").toBool()) return;
        dlg->setProperty("handled", true);
        if (++settingsShown == 1) {
            test::screenshot(dlg, "settings_first_start");
            dlg->reject();
        } else {
            QTest::mouseClick(dlg->okButton(), Qt::LeftButton);
        }
    });
    driver.start();
    fresh.host.answerNext(MsgResult::No);  // no database download
    first.startupSequence().run();
    driver.stop();

    EXPECT_EQ(settingsShown, 2);
    const auto& m = fresh.host.messages;
    ASSERT_GE(m.size(), 4u);
    EXPECT_EQ(m[0].text, kFirstStartInfo);
    EXPECT_EQ(m[1].text, kConfirmSettingsOnce);
    EXPECT_EQ(m[2].text,
              "Ge\xE4nderte Konfiguration wurde gespeichert");  // ShowMessages is on at first start
    EXPECT_EQ(m.back().text, kNoDatabaseQuestion);
    EXPECT_EQ(fresh.ctx().settings.OutDir, fresh.dir.path() + "/ausgabe");
    EXPECT_TRUE(first.action(Cmd::Errortracker)->isVisible() == false);
    fresh.host.expectScriptUsed();
}

}  // namespace
}  // namespace vellora
