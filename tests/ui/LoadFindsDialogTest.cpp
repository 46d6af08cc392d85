// The finds dialog "Eigene Finds einlesen" against the stand-in listing site: pages a second apart
// from the dialog's timer, the date range, the busy animation and "Abbrechen".
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ImportViewFixture.h"
#include "core/FoundList.h"
#include "ui/LoadFindsDialog.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class LoadFindsView : public test::ImportViewTest {
protected:
    void SetUp() override {
        ImportViewTest::SetUp();
        ctx().settings.Username = "Tester 41";  // 41 finds: three pages
        dialog = std::make_unique<LoadFindsDialog>(ctx());
        dialog->show();
    }
    QStringList protocol() const {
        QStringList lines;
        for (int i = 0; i < dialog->protocol()->count(); ++i) lines << dialog->protocol()->item(i)->text();
        return lines;
    }
    bool protocolHas(const QString& text) const {
        for (const QString& line : protocol())
            if (line.endsWith(text)) return true;
        return false;
    }
    std::vector<TFoundRec> finds() {
        std::vector<TFoundRec> records;
        readFoundRecords(home.workFile("Finds.bin"), records);
        return records;
    }
    static int pagesRequested() { return static_cast<int>(sim().requestsTo("/seek/nearest.aspx").size()); }
    std::unique_ptr<LoadFindsDialog> dialog;
};

TEST_F(LoadFindsView, AllFindsAreLoadedPageByPageAndMerged) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Eigene Finds einlesen"));
    EXPECT_TRUE(dialog->completeBox()->isChecked());
    EXPECT_EQ(dialog->completeBox()->text(), QStringLiteral("meine Finds komplett laden"));
    EXPECT_EQ(dialog->fromDate()->date(), QDate(2006, 11, 8));  // today - 30 days
    EXPECT_FALSE(dialog->fromDate()->isEnabled());
    EXPECT_TRUE(dialog->loadButton()->isEnabled());
    EXPECT_FALSE(dialog->cancelButton()->isEnabled());
    EXPECT_TRUE(dialog->closeButton()->isEnabled());
    EXPECT_EQ(dialog->busyAnimation()->maximum(), 1);
    dialog->completeBox()->click();
    EXPECT_TRUE(dialog->fromDate()->isEnabled());
    dialog->completeBox()->click();
    EXPECT_FALSE(dialog->fromDate()->isEnabled());
    test::screenshot(dialog.get(), "load_finds");

    QTest::mouseClick(dialog->loadButton(), Qt::LeftButton);
    // The first page is in; the next comes from the dialog's timer a second later.
    EXPECT_EQ(dialog->model().state(), TfrmLoadFinds::State::Loading);
    EXPECT_EQ(dialog->busyAnimation()->maximum(), 0);
    EXPECT_FALSE(dialog->loadButton()->isEnabled());
    EXPECT_FALSE(dialog->closeButton()->isEnabled());
    EXPECT_FALSE(dialog->completeBox()->isEnabled());
    EXPECT_TRUE(dialog->cancelButton()->isEnabled());
    EXPECT_EQ(dialog->pageLabel()->text(), QStringLiteral("Seite 1 von 3"));
    EXPECT_TRUE(protocolHas(QString::fromUtf8("Found-Datensätze: 41")));
    EXPECT_EQ(pagesRequested(), 1);
    test::screenshot(dialog.get(), "load_finds_running");
    dialog->reject();  // the window cannot be closed while loading
    EXPECT_TRUE(dialog->isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(dialog->model().state() == TfrmLoadFinds::State::Finished, 15000);
    EXPECT_EQ(pagesRequested(), 3);
    EXPECT_TRUE(protocolHas(QStringLiteral("Neu gefunden wurden 41 Finds")));
    EXPECT_TRUE(protocolHas(QStringLiteral("Bereits vorhanden waren 0 Finds")));
    EXPECT_EQ(finds().size(), 41u);
    EXPECT_EQ(dialog->busyAnimation()->maximum(), 1);
    EXPECT_FALSE(dialog->loadButton()->isEnabled());
    EXPECT_FALSE(dialog->cancelButton()->isEnabled());
    EXPECT_TRUE(dialog->closeButton()->isEnabled());
    EXPECT_FALSE(dialog->completeBox()->isEnabled());
    test::screenshot(dialog.get(), "load_finds_done");
    QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(LoadFindsView, CancelBetweenPagesRequestsNoMoreAndMergesNothing) {
    QTest::mouseClick(dialog->loadButton(), Qt::LeftButton);
    ASSERT_TRUE(dialog->cancelButton()->isEnabled());
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(protocolHas(QStringLiteral("*** Abbruch durch Benutzer ***")));
    EXPECT_EQ(dialog->busyAnimation()->maximum(), 1);
    EXPECT_TRUE(dialog->loadButton()->isEnabled());
    EXPECT_TRUE(dialog->closeButton()->isEnabled());
    EXPECT_FALSE(dialog->cancelButton()->isEnabled());
    QTest::qWait(TfrmLoadFinds::kPagePauseMilliseconds + 300);
    EXPECT_EQ(pagesRequested(), 1);
    EXPECT_FALSE(home.dir.exists("Finds.bin"));
}

TEST_F(LoadFindsView, EarliestDateEndsTheLoadingAndMergesWhatCameBefore) {
    dialog->completeBox()->click();
    dialog->fromDate()->setDate(QDate(2006, 12, 1));
    EXPECT_EQ(dialog->model().earliestDate, encodeDate(2006, 12, 1));
    QTest::mouseClick(dialog->loadButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->model().state() == TfrmLoadFinds::State::Finished, 15000);
    EXPECT_TRUE(protocolHas(QStringLiteral("Minimaldatum erreicht, Ladevorgang wird beendet.")));
    const auto loaded = finds();
    EXPECT_LT(loaded.size(), 41u);
    for (const TFoundRec& f : loaded) {
        const auto date = parseDate(f.FoundDate);
        ASSERT_TRUE(date) << f.FoundDate;
        EXPECT_GE(*date, encodeDate(2006, 12, 1)) << f.Waypoint;
    }
}

}  // namespace
}  // namespace vellora
