// The suitcase dialog: the export through its check boxes and button, the import with its section
// tabs, the summary window and the notes merge dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "core/FileUtil.h"
#include "support/TestHome.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"
#include "ui/SuitcaseDialog.h"

namespace vellora {
namespace {

class SuitcaseView : public ::testing::Test {
protected:
    void SetUp() override {
        ctx().settings.WorkDir = home.dir.path() + "/work";
        ctx().settings.OutDir = home.dir.path() + "/work/out";
        makeDirs(ctx().outDirPath());
    }
    RunContext& ctx() { return home.ctx(); }
    std::string work(const std::string& name) { return ctx().workDirPath() + name; }
    test::TestHome home;
};

TEST_F(SuitcaseView, ExportThenImportThroughTheControls) {
    writeFileAtomic(work("WPList.txt"), "GC1\r\n");
    writeFileAtomic(ctx().outDirPath() + "GC1.html", "seite");
    const std::string file = home.dir.file("Carry.vellora");
    {
        SuitcaseDialog dialog(ctx());
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), qs("Aktenkoffer (Datenabgleich zwischen zwei PCs)"));
        EXPECT_TRUE(dialog.saveSettingsBox()->isChecked());
        EXPECT_FALSE(dialog.exportBox(1)->isChecked());  // "Arbeitsliste" starts off
        EXPECT_TRUE(dialog.exportBox(5)->isEnabled());
        dialog.exportBox(4)->click();  // descriptions off: their subdirectory box follows
        EXPECT_FALSE(dialog.exportBox(5)->isEnabled());
        dialog.exportBox(4)->click();
        dialog.exportBox(1)->click();
        EXPECT_TRUE(dialog.model().opts.ExpWorklist);
        test::screenshot(&dialog, "suitcase_export");
        home.host.answerNextSave(file);
        QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    }
    ASSERT_TRUE(fileExists(file));
    // The other installation: same home, the page gone, the work list emptied.
    removeFile(ctx().outDirPath() + "GC1.html");
    writeFileAtomic(work("WPList.txt"), "");

    SuitcaseDialog dialog(ctx());
    dialog.show();
    EXPECT_EQ(dialog.pages()->currentIndex(), 0);  // the saved page: export
    home.host.answerNextOpen({file});
    QTest::mouseClick(dialog.loadButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.pages()->isTabVisible(0));
    EXPECT_TRUE(dialog.commitButton()->isVisible());
    EXPECT_EQ(dialog.sectionLabel(SuitcaseSection::WorkList)->text(),
              qs("Im Aktenkoffer sind 1 Arbeitslisten-Eintr\xE4ge gespeichert."));
    EXPECT_FALSE(dialog.takeOverBox(SuitcaseSection::Database)->isEnabled());
    EXPECT_FALSE(dialog.takeOverBox(SuitcaseSection::Database)->isChecked());
    EXPECT_TRUE(dialog.takeOverBox(SuitcaseSection::WorkList)->isChecked());
    EXPECT_TRUE(dialog.takeOverBox(SuitcaseSection::Notes)->isHidden());
    dialog.sectionTabs()->setCurrentIndex(4);
    test::screenshot(&dialog, "suitcase_import");

    // The summary window comes up modal during the merge; it is answered when it shows.
    QString summaryTitle;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == &dialog) return;
        summaryTitle = w->windowTitle();
        if (auto* d = qobject_cast<QDialog*>(w)) d->accept();
    });
    watch.start(20);
    QTest::mouseClick(dialog.commitButton(), Qt::LeftButton);
    EXPECT_EQ(summaryTitle, QStringLiteral("Zusammenfassung"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(readFile(ctx().outDirPath() + "GC1.html").value_or(""), "seite");
    EXPECT_EQ(readFile(work("WPList.txt")).value_or(""), "GC1\r\n");
    EXPECT_TRUE(dialog.model().generatorRequested());
}

// A loaded suitcase shows a section it carries: the remembered one when it is there, else the
// first one.
TEST_F(SuitcaseView, ALoadedSuitcaseOpensOnASectionItCarries) {
    writeFileAtomic(work("WPList.txt"), "GC1\r\n");
    const std::string file = home.dir.file("Liste.vellora");
    {
        SuitcaseDialog dialog(ctx());
        dialog.show();
        for (int box = 0; box < 7; ++box) {
            // The work list only.
            if (dialog.exportBox(box)->isEnabled() && dialog.exportBox(box)->isChecked() != (box == 1))
                dialog.exportBox(box)->click();
        }
        ASSERT_TRUE(dialog.model().opts.ExpWorklist);
        ASSERT_FALSE(dialog.model().opts.ExpDescr);
        home.host.answerNextSave(file);
        QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
    }
    ASSERT_TRUE(fileExists(file));
    for (const auto& [remembered, shown] : {std::pair{4, 1}, std::pair{0, 1}, std::pair{1, 1}}) {
        SuitcaseDialog dialog(ctx());
        dialog.model().opts.ActiveLoadPage = remembered;
        dialog.show();
        home.host.answerNextOpen({file});
        QTest::mouseClick(dialog.loadButton(), Qt::LeftButton);
        ASSERT_TRUE(dialog.model().loaded());
        EXPECT_EQ(dialog.sectionTabs()->currentIndex(), shown) << remembered;
        // The user's own choice afterwards stands, also when the window is redrawn from the model.
        dialog.sectionTabs()->setCurrentIndex(3);
        dialog.takeOverBox(SuitcaseSection::WorkList)->click();
        EXPECT_EQ(dialog.sectionTabs()->currentIndex(), 3);
    }
}

TEST(SuitcaseNoteMerge, TheNoteAsEditedIsReturned) {
    NoteMergeDialog dialog("GC1", "Cache am See", {"*** a ***", "eins"});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cachenotizen editieren"));
    EXPECT_EQ(dialog.editor()->toPlainText(), QStringLiteral("*** a ***\neins"));
    test::screenshot(&dialog, "suitcase_notes");
    dialog.editor()->setPlainText(QString::fromUtf8("zwei\ndrei ä"));
    EXPECT_EQ(dialog.note(), (std::vector<std::string>{"zwei", "drei \xE4"}));
}

}  // namespace
}  // namespace vellora
