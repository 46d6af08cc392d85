#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "core/PersInfo.h"
#include "shell/ShellFixtures.h"
#include "support/TestHome.h"
#include "ui/AboutDialog.h"
#include "ui/AddInfoDialog.h"
#include "ui/BuddyDialog.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/CoordInputDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/Rot13Dialog.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

TEST(CoordInputView, TypingKeepsBothFormsInStepAndGuardsOk) {
    TCoordInput model;
    model.latitude = 49.5;
    model.longitude = -10.75;
    model.enableDescription("Beschreibung des Koordinatenpaares", "Urlaub", true);
    CoordInputDialog dialog(model, true);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Geograpische Koordinaten eingeben/ändern"));
    EXPECT_EQ(dialog.box(CoordBox::LatDegrees)->text(), QStringLiteral("49"));
    EXPECT_EQ(dialog.box(CoordBox::LatMinutes)->text(), QStringLiteral("30.000"));
    EXPECT_EQ(dialog.box(CoordBox::LonDecimal)->text(), QStringLiteral("10.75000"));
    EXPECT_EQ(dialog.lonHemisphere()->currentText(), QStringLiteral("West"));
    EXPECT_EQ(dialog.description()->text(), QStringLiteral("Urlaub"));
    test::screenshot(&dialog, "coordinate_input");

    QLineEdit* minutes = dialog.box(CoordBox::LatMinutes);
    minutes->clear();
    model.setBoxText(CoordBox::LatMinutes, "");
    QTest::keyClicks(minutes, "15,5x");
    EXPECT_EQ(minutes->text(), QStringLiteral("15.5"));
    EXPECT_EQ(dialog.box(CoordBox::LatDecimal)->text(), QStringLiteral("49.25833"));

    QLineEdit* degrees = dialog.box(CoordBox::LatDegrees);
    degrees->selectAll();
    QTest::keyClicks(degrees, "91");
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    degrees->selectAll();
    QTest::keyClicks(degrees, "48");
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    dialog.latHemisphere()->setCurrentIndex(1);
    emit dialog.latHemisphere()->activated(1);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_NEAR(model.latitude, -48.25833, 1e-5);
    EXPECT_DOUBLE_EQ(model.longitude, -10.75);
}

TEST(CoordInputView, BadMinutesDisableOkAndAreNamed) {
    TCoordInput model;
    model.latitude = 49.5;
    model.longitude = 10.75;
    CoordInputDialog dialog(model, true);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_TRUE(dialog.problemLabel()->isHidden());
    QLineEdit* minutes = dialog.box(CoordBox::LatMinutes);
    minutes->selectAll();
    QTest::keyClicks(minutes, "75,5.5");
    EXPECT_EQ(minutes->text(), QStringLiteral("75.5.5"));
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.problemLabel()->isHidden());
    EXPECT_TRUE(dialog.problemLabel()->text().contains(QStringLiteral("Minuten der Breite")));
    test::screenshot(&dialog, "coordinate_input_bad_minutes");
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 0);
    minutes->selectAll();
    QTest::keyClicks(minutes, "15");
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_TRUE(dialog.problemLabel()->isHidden());
}

TEST(BuddyView, AddRemoveAndOk) {
    test::TestHome home;
    home.dir.write("Buddies.txt", "zora\r\nAnton\r\n");
    BuddyDialog dialog(home.ctx());
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->item(0)->text(), QStringLiteral("Anton"));
    EXPECT_FALSE(dialog.addButton()->isEnabled());
    EXPECT_FALSE(dialog.removeButton()->isEnabled());
    QTest::keyClicks(dialog.newEntry(), "Mirtel");
    EXPECT_TRUE(dialog.addButton()->isEnabled());
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    QTest::keyClicks(dialog.newEntry(), "Mirtel");
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.list()->count(), 4);
    EXPECT_EQ(dialog.newEntry()->text(), QString());
    dialog.list()->setCurrentRow(3);
    EXPECT_TRUE(dialog.removeButton()->isEnabled());
    QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
    test::screenshot(&dialog, "buddy_list");
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(home.dir.read("Buddies.txt"), "Anton\r\nMirtel\r\nMirtel\r\n");
}

TEST(Rot13View, PromptIsEmptiedOnFirstFocusAndTextIsEncoded) {
    Rot13Dialog dialog(false);
    dialog.show();
    EXPECT_EQ(dialog.text()->toPlainText(),
              QString::fromUtf8(
                  "Zu codierenden / decodierenden Text hier hineinkopieren und anschließend auf ROT13 "
                  "klicken."));
    test::screenshot(&dialog, "rot13");
    dialog.activateWindow();
    dialog.text()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(dialog.text()->toPlainText(), QString());
    dialog.text()->setPlainText(QString::fromUtf8("Uvag: hagre qrz Fgrva\nÖffnung 42"));
    QTest::mouseClick(dialog.rot13Button(), Qt::LeftButton);
    EXPECT_EQ(dialog.text()->toPlainText(), QString::fromUtf8("Hint: unter dem Stein\nÖssahat 42"));
}

class DetailsView : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().clock = [] { return encodeDateTime({2006, 12, 26, 12, 0, 0}); };
        dialog = std::make_unique<CacheDetailsDialog>(home.ctx());
        dialog->model().record = test::cacheRecord("GC1ABC", 49.5, 10.75);
        dialog->model().foundDate = "24.12.2006";
    }
    test::TestHome home;
    std::unique_ptr<CacheDetailsDialog> dialog;
};

TEST_F(DetailsView, ShowsTheRecordAndClosesOnAKey) {
    home.dir.write("tour/GC1ABC_converted.html", "<html>");
    dialog->refresh();
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Cache-Details"));
    EXPECT_EQ(dialog->label("lblFoundDate")->text(), QStringLiteral("am 24. Dezember 2006 (vor 2 Tagen)"));
    EXPECT_EQ(dialog->label("lblDifficulty")->text(), QStringLiteral("1,5"));
    EXPECT_EQ(dialog->label("barDifficulty")->pixmap().width(), 27);
    EXPECT_EQ(dialog->label("barTerrain")->pixmap().width(), 36);
    EXPECT_EQ(dialog->label("lblCountry")->text(), QStringLiteral("Deutschland"));
    EXPECT_FALSE(dialog->label("imgType")->pixmap().isNull());
    EXPECT_TRUE(dialog->showButton()->isVisible());
    EXPECT_TRUE(dialog->noNoteButton()->isVisible());
    EXPECT_FALSE(dialog->notePresentButton()->isVisible());
    EXPECT_FALSE(dialog->removeButton()->isVisible());
    test::screenshot(dialog.get(), "cache_details");
    QTest::mouseClick(dialog->showButton(), Qt::LeftButton);
    ASSERT_EQ(home.host.opened.size(), 1u);
    EXPECT_EQ(home.host.opened[0], home.dir.file("tour/GC1ABC_converted.html"));
    EXPECT_TRUE(dialog->isVisible());

    QTest::keyClick(dialog.get(), Qt::Key_Delete);  // no remove button: Del just closes
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->model().result(), TfrmCacheDetails::Result::Closed);
}

TEST_F(DetailsView, RemoveByDelAndComparisonColours) {
    dialog->model().removeButtonVisible = true;
    dialog->model().captionText = "Neuer Cache";
    dialog->refresh();
    dialog->show();
    EXPECT_FALSE(dialog->label("lblFoundDate")->isVisible());
    TCacheRec other = dialog->model().record;
    other.Terrain = "3";
    dialog->markDifferences(other);
    EXPECT_TRUE(dialog->label("lblTerrain")->styleSheet().contains(QStringLiteral("red")));
    EXPECT_FALSE(dialog->label("lblDifficulty")->styleSheet().contains(QStringLiteral("red")));
    QTest::keyClick(dialog.get(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Delete);
    EXPECT_EQ(dialog->model().result(), TfrmCacheDetails::Result::Remove);
}

TEST_F(DetailsView, NotesDialogFromTheDetails) {
    dialog->refresh();
    AddInfoDialog notes(home.ctx(), "GC1ABC", dialog.get());
    EXPECT_EQ(notes.windowTitle(), QString::fromUtf8("Persönliche Cache-Zusatzinformationen zu GC1ABC"));
    EXPECT_TRUE(notes.lineBreakBox()->isChecked());
    notes.editor()->setPlainText(QStringLiteral("Stift mitnehmen\n\nLeiter"));
    notes.lineBreakBox()->setChecked(false);
    EXPECT_EQ(notes.editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    test::screenshot(&notes, "notes");
    QTest::mouseClick(notes.saveButton(), Qt::LeftButton);
    EXPECT_EQ(notes.result(), QDialog::Accepted);
    EXPECT_EQ(ReadNote(home.ctx(), "GC1ABC"), (std::vector<std::string>{"Stift mitnehmen", "", "Leiter"}));
    dialog->model().notesChanged();
    dialog->refresh();
    EXPECT_FALSE(dialog->notePresentButton()->isHidden());
    EXPECT_TRUE(dialog->noNoteButton()->isHidden());

    AddInfoDialog again(home.ctx(), "GC1ABC");
    EXPECT_FALSE(again.lineBreakBox()->isChecked());
    QTest::mouseClick(again.eraseButton(), Qt::LeftButton);
    EXPECT_FALSE(HasNote(home.ctx(), "GC1ABC"));
}

TEST(AboutView, VersionAndSplash) {
    test::TestHome home;
    AboutDialog about(home.ctx(), false);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Programminformation"));
    EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Version V5.0.1 vom 13.12.2006"));
    EXPECT_FALSE(about.closeButton()->isHidden());
    test::screenshot(&about, "about");
    home.dir.write("QUIRL", "V5.1.0 beta\r\n01.02.2007\r\n");
    AboutDialog splash(home.ctx(), true);
    EXPECT_EQ(splash.versionLabel()->text(), QStringLiteral("Version V5.1.0 beta vom 01.02.2007"));
    EXPECT_TRUE(splash.closeButton()->isHidden());
    GreetingDialog greeting;
    test::screenshot(&greeting, "greeting");
}

TEST(QtHostView, MessageBoxesSpeakGerman) {
    QtHost host;
    QString caption;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        test::screenshot(box, "message_box");
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QStringLiteral("&Nein")) b->click();
        }
    });
    EXPECT_EQ(host.message(MsgKind::Confirmation, MsgButtons::YesNoCancel, "Wirklich?"), MsgResult::No);
    EXPECT_EQ(caption, QString::fromUtf8("Bestätigung"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"&Ja", "&Nein", "Abbrechen"}));

    host.beginProgress("Cache-DB wird gelesen", 10);
    ASSERT_NE(host.waitWindow(), nullptr);
    EXPECT_EQ(host.waitWindow()->windowTitle(), QStringLiteral("Bitte warten..."));
    host.setProgress(4);
    EXPECT_EQ(host.waitBar()->value(), 4);
    host.endProgress();
    EXPECT_FALSE(host.waitWindow()->isVisible());
}

// A message box lays itself out only while it is being shown; placed before that, it sat at the
// window's left edge. Long and short texts, over a window and without one (the screen).
TEST(QtHostView, MessageBoxesAndDialogsOpenCentred) {
    QWidget window;
    window.setGeometry(150, 120, 900, 640);
    window.show();
    QApplication::processEvents();
    const std::string longText(400, 'x');
    for (const std::string& text : {std::string("Kurz."), longText + " " + longText}) {
        for (QWidget* over : {static_cast<QWidget*>(&window), static_cast<QWidget*>(nullptr)}) {
            QtHost host;
            host.setWindow(over);
            QRect shown;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                shown = box->frameGeometry();
                box->buttons().front()->click();
            });
            host.message(MsgKind::Information, MsgButtons::Ok, text);
            const QRect frame = over ? window.frameGeometry() : window.screen()->availableGeometry();
            EXPECT_LE(std::abs(shown.center().x() - frame.center().x()), 2) << text.size();
            EXPECT_LE(std::abs(shown.center().y() - frame.center().y()), 2) << text.size();
        }
    }

    // The first start's information box does not open on top of the splash.
    QWidget splash(&window, Qt::SplashScreen);
    splash.show();
    bool splashShownWithBox = true;
    QTimer::singleShot(0, [&] {
        splashShownWithBox = splash.isVisible();
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->buttons().front()->click();
    });
    QtHost splashHost;
    splashHost.setWindow(&window);
    splashHost.message(MsgKind::Information, MsgButtons::Ok, "Willkommen");
    EXPECT_FALSE(splashShownWithBox);

    // A dialog that lays itself out in its show event, as a message box does.
    struct Growing : QDialog {
        using QDialog::QDialog;
        void showEvent(QShowEvent* e) override {
            setMinimumSize(500, 300);
            resize(500, 300);
            QDialog::showEvent(e);
        }
    } dialog(&window);
    QRect shown;
    QTimer::singleShot(0, [&] {
        shown = dialog.frameGeometry();
        dialog.accept();
    });
    execCentred(dialog, &window);
    EXPECT_GE(shown.width(), 500);
    EXPECT_LE(std::abs(shown.center().x() - window.frameGeometry().center().x()), 2);
    EXPECT_LE(std::abs(shown.center().y() - window.frameGeometry().center().y()), 2);
}

TEST(QtHostView, FilterStrings) {
    EXPECT_EQ(qtFilterString({{"HTML-Dateien", "*.htm;*.html"}, {"Alle Dateien (*.*)", "*.*"}}),
              QStringLiteral("HTML-Dateien (*.htm *.html);;Alle Dateien (*)"));
}

}  // namespace
}  // namespace vellora
