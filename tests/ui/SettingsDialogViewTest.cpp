#include "ui/SettingsDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "core/CoordInput.h"
#include "support/TestHome.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class SettingsDialogView : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().settings.OutDir = home.dir.file("ausgabe");
        dialog = std::make_unique<SettingsDialog>(home.ctx(), 600);
        // The coordinate input answers from a script: position and name, or cancel.
        dialog->editCoordinates = [this](TCoordInput& input) {
            if (coordinateAnswers.empty()) return false;
            auto answer = coordinateAnswers.front();
            coordinateAnswers.erase(coordinateAnswers.begin());
            coordinateTitles.push_back(input.descriptionTitle() + "|" + input.description());
            input.latitude = answer.lat;
            input.longitude = answer.lon;
            input.setDescription(answer.name);
            return answer.ok;
        };
    }
    struct Answer {
        bool ok;
        double lat, lon;
        std::string name;
    };
    QStringList homeNames() const {
        QStringList names;
        for (int i = 0; i < dialog->homeList()->count(); ++i) names << dialog->homeList()->item(i)->text();
        return names;
    }
    void select(const QString& name) {
        const auto items = dialog->homeList()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        dialog->homeList()->setCurrentItem(items.front());
    }
    void clickOk() { QTest::mouseClick(dialog->okButton(), Qt::LeftButton); }

    test::TestHome home;
    std::unique_ptr<SettingsDialog> dialog;
    std::vector<Answer> coordinateAnswers;
    std::vector<std::string> coordinateTitles;
};

TEST_F(SettingsDialogView, PagesAndControlsShowTheSettings) {
    QTabWidget* pages = dialog->pages();
    QStringList titles;
    for (int i = 0; i < pages->count(); ++i) titles << pages->tabText(i);
    EXPECT_EQ(titles, (QStringList{"Pfade+Dateien", "Cache-Datenbank", "Heimkoordinaten", "Ausgabe", "Proxy",
                                   "Sonstiges"}));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Grundeinstellungen"));
    EXPECT_EQ(dialog->primaryDatabase()->count(), 27);
    EXPECT_EQ(dialog->primaryDatabase()->currentIndex(), 2);  // none chosen: the third entry
    EXPECT_EQ(dialog->additionalDatabases()->count(), 27);
    EXPECT_EQ(dialog->reminder()->currentText(), QStringLiteral("nie erinnern"));
    EXPECT_EQ(dialog->primaryHomeText()->text(), QString::fromUtf8("N 49° 30.000     E 10° 45.000"));
    EXPECT_TRUE(dialog->proxyEdit()->isHidden());
    dialog->useProxyBox()->setChecked(true);
    EXPECT_FALSE(dialog->proxyEdit()->isHidden());
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        test::screenshot(dialog.get(), ("settings_page" + std::to_string(i + 1)).c_str());
    }
}

// Fields only the browse buttons change must not look like input fields.
TEST_F(SettingsDialogView, ReadOnlyFieldsLookReadOnly) {
    QLineEdit typed;  // an input field in the same style, for comparison
    for (QLineEdit* edit : {dialog->workDirEdit(), dialog->outDirEdit()}) {
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_EQ(edit->palette().color(QPalette::Base), edit->palette().color(QPalette::Window));
        EXPECT_NE(edit->palette().color(QPalette::Base), typed.palette().color(QPalette::Base));
    }
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        if (edit->isReadOnly())
            EXPECT_EQ(edit->palette().color(QPalette::Base), edit->palette().color(QPalette::Window))
                << edit->text().toStdString();
        else
            EXPECT_EQ(edit->palette().color(QPalette::Base), typed.palette().color(QPalette::Base))
                << edit->text().toStdString();
    }
}

TEST_F(SettingsDialogView, RoundTripThroughOk) {
    dialog->usernameEdit()->setText(QString::fromUtf8("Jörg"));
    dialog->reminder()->setCurrentIndex(1);
    dialog->primaryDatabase()->setCurrentIndex(0);
    dialog->additionalDatabases()->item(4)->setCheckState(Qt::Checked);
    dialog->maxWidthEdit()->setText(QStringLiteral("800"));
    dialog->useProxyBox()->setChecked(true);
    dialog->proxyEdit()->setText(QStringLiteral("http://proxy:3128"));
    clickOk();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    home.restart();
    const TProcSettings& s = home.ctx().settings;
    EXPECT_EQ(s.Username, "J\xF6rg");
    EXPECT_EQ(s.DBAutoloadInterval, 7);
    EXPECT_EQ(s.CacheDBPrimary, 1);
    EXPECT_EQ(s.CacheDBCount, 1);
    EXPECT_EQ(s.UseCacheDB[4], 1);
    EXPECT_EQ(s.HTMLMaxWidth, 800);
    EXPECT_TRUE(s.UseProxy);
    EXPECT_EQ(s.ProxyServer, "http://proxy:3128");
    EXPECT_EQ(s.OutDir, home.dir.file("ausgabe"));
}

TEST_F(SettingsDialogView, EqualDirectoriesWarnAndKeepTheDialogOpen) {
    home.host.answerNextFolder(home.dir.path());  // the output directory := the working directory
    QTest::mouseClick(dialog->browseOutDirButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->outDirEdit()->text(), qPath(home.dir.path()));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(
        home.host.messages[0].text.rfind("Warnung! Das Ausgabe- und das Arbeitsverzeichnis sind gleich.", 0),
        0u);

    dialog->show();
    clickOk();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(home.host.messages.size(), 2u);
    EXPECT_EQ(home.host.messages[1].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[1].text.rfind("Fehler! Das Ausgabe-", 0), 0u);

    home.host.answerNextFolder(std::nullopt);  // a cancelled chooser checks again
    QTest::mouseClick(dialog->browseWorkDirButton(), Qt::LeftButton);
    EXPECT_EQ(home.host.messages.size(), 3u);
    dialog->reject();
}

TEST_F(SettingsDialogView, AdditionalHomes) {
    coordinateAnswers = {{true, 51.0, 7.5, "Urlaub"},
                         {true, 48.1, 11.6, "Zweitwohnsitz"},
                         {true, 1, 1, "urlaub"},
                         {true, 2, 2, ""},
                         {false, 3, 3, "Abbruch"}};
    for (int i = 0; i < 5; ++i) QTest::mouseClick(dialog->newHomeButton(), Qt::LeftButton);
    EXPECT_EQ(homeNames(), (QStringList{"Urlaub", "Zweitwohnsitz"}));
    EXPECT_EQ(coordinateTitles.front(), "Beschreibung des Koordinatenpaares|");
    const auto errors = home.host.textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0],
              "Der vergebene Name f\xFCr das Koordinatenpaar existiert schon - Eingabe wird verworfen!");
    EXPECT_EQ(errors[1], "Kein Name f\xFCr das Koordinatenpaar angegeben - Eingabe wird verworfen!");

    select(QStringLiteral("Zweitwohnsitz"));
    EXPECT_EQ(dialog->homeCoordText()->text(), QString::fromUtf8("N 48° 6.000     E 11° 36.000"));
    coordinateAnswers = {{true, 48.2, 11.6, "Altbau"}};
    QTest::mouseClick(dialog->changeHomeButton(), Qt::LeftButton);
    EXPECT_EQ(homeNames(), (QStringList{"Altbau", "Urlaub"}));
    EXPECT_EQ(dialog->homeList()->currentItem()->text(), QStringLiteral("Altbau"));
    EXPECT_EQ(coordinateTitles.back(), "Beschreibung des Koordinatenpaares|Zweitwohnsitz");

    clickOk();
    home.restart();
    EXPECT_EQ(home.ctx().settings.AddHomeTxt, (std::vector<std::string>{"Urlaub", "Altbau"}));
    EXPECT_EQ(home.ctx().settings.AddHomeLat, (std::vector<std::string>{"51.00000", "48.20000"}));

    SettingsDialog second(home.ctx(), 600);
    const auto items = second.homeList()->findItems(QStringLiteral("Urlaub"), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    second.homeList()->setCurrentItem(items.front());
    QTest::mouseClick(second.removeHomeButton(), Qt::LeftButton);
    EXPECT_FALSE(home.ctx().programConf().valueExists("Program", "AddHomeTxt2"));
    QTest::mouseClick(second.okButton(), Qt::LeftButton);
    home.restart();
    EXPECT_EQ(home.ctx().settings.AddHomeTxt, (std::vector<std::string>{"Altbau"}));
}

TEST_F(SettingsDialogView, CancelDiscardsEveryChange) {
    coordinateAnswers = {{true, 51.0, 7.5, "Urlaub"}, {true, 50.0, 8.0, ""}};
    QTest::mouseClick(dialog->newHomeButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->changePrimaryButton(), Qt::LeftButton);
    EXPECT_EQ(coordinateTitles.back(), "Beschreibung des Koordinatenpaares|Heimkoordinaten");
    EXPECT_EQ(dialog->primaryHomeText()->text(), QString::fromUtf8("N 50° 0.000     E 8° 0.000"));
    dialog->usernameEdit()->setText(QStringLiteral("neu"));
    dialog->reject();
    EXPECT_TRUE(home.ctx().settings.AddHomeTxt.empty());
    EXPECT_EQ(home.ctx().settings.HomeLat, 49.5);
    EXPECT_EQ(home.ctx().settings.Username, "");
    EXPECT_FALSE(home.ctx().settings.SettingsConfirmed);
}

}  // namespace
}  // namespace vellora
