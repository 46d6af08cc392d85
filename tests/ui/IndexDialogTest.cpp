#include "ui/IndexDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ListingViewFixture.h"
#include "core/FileUtil.h"
#include "core/IniFile.h"
#include "core/StrUnit.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class IndexView : public test::ListingViewTest {
protected:
    // Converted descriptions of the first caches of the world, in a directory of the output.
    std::vector<std::string> writeConverted(int count, const std::string& subdir = "") {
        const auto list = activeWaypoints(count);
        if (!subdir.empty()) makeDirs(out(subdir));
        for (const auto& w : list)
            writeFileAtomic(out(subdir.empty() ? w : subdir + "/" + w) + "_converted.html",
                            "<html></html>\r\n");
        return list;
    }
    void open(const std::optional<std::string>& dir = std::nullopt) {
        model = std::make_unique<TfrmIndex>(ctx());
        model->open(dir);
        dialog = std::make_unique<IndexDialog>(ctx(), *model);
    }

    std::unique_ptr<TfrmIndex> model;
    std::unique_ptr<IndexDialog> dialog;
};

TEST_F(IndexView, OpensWithTheBuiltInOptionsAndWritesTheIndex) {
    const auto list = writeConverted(3);
    open();
    IndexDialog& d = *dialog;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Indexseite erzeugen"));
    EXPECT_EQ(d.countText()->text(),
              QString::fromUtf8("Das Ausgabeverzeichnis enthält 3 konvertierte Cachebeschreibungen."));
    EXPECT_EQ(d.dateText()->text(), QStringLiteral("Eine Indexdatei ist bislang nicht vorhanden."));
    EXPECT_EQ(d.pocketPCBox()->text(),
              QString::fromUtf8("Anpassung für Pocket-PC aktivieren (kleinste Dateigröße)"));
    EXPECT_FALSE(d.pocketPCBox()->isChecked());
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(d.columnBox(i)->isChecked()) << i;
    EXPECT_EQ(d.columnBox(5)->text(), QString::fromUtf8("Cachegröße"));
    EXPECT_EQ(d.sortChoice()->currentText(), QStringLiteral("Home-Entfernung"));
    EXPECT_TRUE(d.ascDesc(0)->isChecked());
    EXPECT_EQ(d.ascDesc(1)->text(), QStringLiteral("Absteigend"));
    EXPECT_TRUE(d.addWhich(1)->isChecked());
    EXPECT_EQ(d.addWhich(1)->text(), QStringLiteral("alle Caches im Ausgabeverz."));
    EXPECT_TRUE(d.addWhich(0)->isEnabled());
    EXPECT_EQ(d.homeChoice()->currentText(), QStringLiteral("HOME"));
    EXPECT_FALSE(d.homeChoice()->isEnabled());
    EXPECT_EQ(d.fileEdit()->text(), QString::fromStdString(out("index.html")));
    EXPECT_EQ(d.chooseButton()->text(), QString::fromUtf8("wählen"));
    EXPECT_TRUE(d.showImmediateBox()->isChecked());
    EXPECT_EQ(d.showImmediateBox()->text(), QStringLiteral("und danach anzeigen"));
    EXPECT_FALSE(d.saveOptionsBox()->isChecked());
    EXPECT_TRUE(d.okButton()->isEnabled());
    EXPECT_EQ(d.okButton()->text(), QStringLiteral("Indexdatei erzeugen"));
    test::screenshot(&d, "index");

    click(d.pocketPCBox());
    EXPECT_TRUE(model->options.pocketPC);
    EXPECT_FALSE(d.columnBox(0)->isEnabled());
    EXPECT_FALSE(d.sortChoice()->isEnabled());
    click(d.pocketPCBox());
    click(d.columnBox(1));
    EXPECT_FALSE(model->options.colHidden);
    d.sortChoice()->setCurrentIndex(0);
    emit d.sortChoice()->activated(0);
    EXPECT_EQ(model->options.sortOrder, 0);
    click(d.ascDesc(1));
    EXPECT_EQ(model->options.ascDesc, 1);

    showWindow(&d);
    click(d.okButton());
    const auto page = readFile(out("index.html"));
    ASSERT_TRUE(page);
    for (const auto& w : list) EXPECT_NE(page->find("./" + w + "_converted.html"), std::string::npos) << w;
    EXPECT_EQ(page->find("<td>Versteckt am</td>"), std::string::npos);
    EXPECT_EQ(host.opened, (std::vector<std::string>{toFileUrl(out("index.html"))}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
}

TEST_F(IndexView, AnAdditionalHomeCanBeChosenForTheDistances) {
    writeConverted(2);
    ctx().settings.AddHomeTxt = {"Urlaub"};
    ctx().settings.AddHomeLat = {"48.1"};
    ctx().settings.AddHomeLon = {"11.5"};
    open();
    IndexDialog& d = *dialog;
    ASSERT_EQ(d.homeChoice()->count(), 2);
    EXPECT_TRUE(d.homeChoice()->isEnabled());
    d.homeChoice()->setCurrentIndex(1);
    emit d.homeChoice()->activated(1);
    EXPECT_EQ(model->options.home, 1);
    click(d.showImmediateBox());
    click(d.okButton());
    const auto page = readFile(out("index.html"));
    ASSERT_TRUE(page);
    EXPECT_NE(page->find("<td>Entf. von Urlaub</td>"), std::string::npos);
    EXPECT_TRUE(host.opened.empty());
}

TEST_F(IndexView, WithoutConvertedDescriptionsNothingCanBeWritten) {
    open();
    IndexDialog& d = *dialog;
    EXPECT_EQ(host.textsOf(MsgKind::Warning),
              (std::vector<std::string>{"Das Ausgabeverzeichnis \"" + ctx().outDirPath() +
                                        "\" enth\xE4lt keine konvertierten Cachebeschreibungen!"}));
    EXPECT_FALSE(d.okButton()->isEnabled());
    EXPECT_FALSE(d.showImmediateBox()->isEnabled());
    showWindow(&d);
    click(d.cancelButton());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(fileExists(out("index.html")));
}

TEST_F(IndexView, AFileChosenOutsideTheDirectoryIsQuestioned) {
    writeConverted(1);
    open();
    IndexDialog& d = *dialog;
    makeDirs(home.workFile("anderswo"));
    const std::string elsewhere = home.workFile("anderswo/index.html");
    host.answerNextSave(elsewhere);
    click(d.chooseButton());
    EXPECT_EQ(d.fileEdit()->text(), QString::fromStdString(elsewhere));
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].filters.front().name, "HTML-Datei");
    host.answerNext(MsgResult::No);
    showWindow(&d);
    click(d.okButton());
    EXPECT_FALSE(fileExists(elsewhere));
    QApplication::processEvents();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(host.messages.back().kind, MsgKind::Warning);
    EXPECT_EQ(host.messages.back().buttons, MsgButtons::YesNo);
}

TEST_F(IndexView, ChosenOptionsAreStoredAndComeBack) {
    writeConverted(1);
    open();
    click(dialog->saveOptionsBox());
    click(dialog->pocketPCBox());
    click(dialog->addWhich(0));
    click(dialog->cancelButton());
    IniFile& conf = ctx().programConf();
    EXPECT_TRUE(conf.readBool("Program", "IdxSaveOpts", false));
    EXPECT_TRUE(conf.readBool("Program", "IdxPPC", false));
    EXPECT_EQ(conf.readInteger("Program", "IdxAddWhich", -1), 0);

    dialog.reset();
    TfrmIndex again(ctx());
    again.open();
    IndexDialog d(ctx(), again);
    EXPECT_TRUE(d.pocketPCBox()->isChecked());
    EXPECT_TRUE(d.addWhich(0)->isChecked());
    EXPECT_TRUE(d.saveOptionsBox()->isChecked());
}

TEST_F(IndexView, AHandedOverDirectoryTakesAllItsCaches) {
    writeConverted(2, "tour");
    open(out("tour"));
    IndexDialog& d = *dialog;
    EXPECT_FALSE(d.addWhich(0)->isEnabled());
    EXPECT_TRUE(d.addWhich(1)->isChecked());
    EXPECT_EQ(d.fileEdit()->text(), QString::fromStdString(out("tour/index.html")));
    EXPECT_EQ(d.countText()->text(),
              QString::fromUtf8("Das Ausgabeverzeichnis enthält 2 konvertierte Cachebeschreibungen."));
}

TEST_F(IndexView, BatchModeWritesTheIndexByItselfAndCloses) {
    writeConverted(2);
    model = std::make_unique<TfrmIndex>(ctx());
    model->setUnattended(true);
    model->open();
    IndexDialog d(ctx(), *model);
    d.exec();
    EXPECT_TRUE(fileExists(out("index.html")));
    EXPECT_EQ(model->runState(), RunState::ClosedAfterRun);
    EXPECT_FALSE(model->isOpen());
}

}  // namespace
}  // namespace vellora
