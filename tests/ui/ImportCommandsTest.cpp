// The database acquisition commands from the main window's menu, against the stand-in server.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "ImportViewFixture.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "import/ArchiveList.h"
#include "sim/CacheDbFiles.h"
#include "ui/CacheDBLoadDialog.h"
#include "ui/DbFromListingsDialog.h"
#include "ui/EditCacheDialog.h"
#include "ui/ImportCommands.h"
#include "ui/LoadFindsDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class ImportMenu : public test::ImportViewTest {
protected:
    void SetUp() override {
        home.restart();  // a home that has run before
        ImportViewTest::SetUp();
        window = std::make_unique<MainWindow>(ctx(), false);
        window->show();
        QApplication::processEvents();
        auto& s = ctx().settings;  // as the window loaded them
        s.ShowMessages = true;
        s.CacheDBPrimary = 3;
        s.UseZippedDB = true;
    }
    void TearDown() override {
        window.reset();
        ImportViewTest::TearDown();
    }
    ImportCommands& imports() { return *window->findChild<ImportCommands*>(); }
    QString status() const { return window->statusText()->text(); }

    std::unique_ptr<MainWindow> window;
};

TEST_F(ImportMenu, TheCommandsAreEnabled) {
    for (Cmd id : {Cmd::LoadFinds, Cmd::ReadCacheDB, Cmd::ReadAdditionalCacheDBs, Cmd::ConvertLocalCacheDB,
                   Cmd::ConvertAdditionalCacheDBs, Cmd::DbFromListings, Cmd::GetArchiveList, Cmd::EditCache,
                   Cmd::CheckForUpdate})
        EXPECT_TRUE(window->action(id)->isEnabled()) << window->action(id)->objectName().toStdString();
}

TEST_F(ImportMenu, PrimaryDatabaseFromTheMenuRefreshesTheStatusLine) {
    window->action(Cmd::ReadCacheDB)->trigger();
    ASSERT_TRUE(home.dir.exists("Caches.bin"));
    const auto records = fileSize(home.workFile("Caches.bin")).value_or(0) / kCacheRecSize;
    EXPECT_TRUE(status().startsWith(QStringLiteral("Stand der Cache-DB: "))) << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral(", %1 Eintr").arg(records))) << status().toStdString();
    EXPECT_FALSE(imports().loadDialog()->isVisible());
}

TEST_F(ImportMenu, ArchiveListIsFetchedThroughTheUrlLoaderWindow) {
    window->action(Cmd::GetArchiveList)->trigger();
    const std::string expected = sim::archiveListText(world());
    const auto lines = static_cast<int>(world().archivedCaches().size());
    ASSERT_GT(lines, 0);
    EXPECT_EQ(home.dir.read("WParchived.txt"), expected);
    EXPECT_EQ(host.textsOf(MsgKind::Information),
              std::vector<std::string>{std::to_string(lines) + kArchiveLoadedText});
    EXPECT_TRUE(status().contains(QStringLiteral("Stand der Archivliste: "))) << status().toStdString();
    EXPECT_EQ(sim().requestsTo("/velloralist.php").size(), 1u);
}

TEST_F(ImportMenu, UpdateCheckShowsTheDownloadWindowAndTellsTheVersionIsCurrent) {
    sim().addFault("/velloraversion.txt", sim::FaultKind::Slow, 1, 800);
    QString task, content;
    bool shown = false;
    QTimer::singleShot(300, [&] {
        CacheDBLoadDialog* load = imports().loadDialog();
        shown = load->isVisible();
        task = load->taskLabel()->text();
        content = load->contentLabel()->text();
        test::screenshot(load, "update_check_download");
    });
    window->action(Cmd::CheckForUpdate)->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(task, QString::fromUtf8("Updateverfügbarkeit"));
    EXPECT_EQ(content, QString::fromUtf8("Prüfe Updateverfügbarkeit..."));
    EXPECT_FALSE(imports().loadDialog()->isVisible());
    EXPECT_EQ(
        host.textsOf(MsgKind::Information),
        std::vector<std::string>{"Die eingesetzte Version des Vellora ist auf dem aktuellen Stand:\r\n\r\n"
                                 "Version V5.0.1 vom 13.12.2006"});
    EXPECT_EQ(home.dir.read("velloraversion.txt"), "V5.0.1\r\n13.12.2006\r\n");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ImportMenu, UpdateCheckCanBeAbortedInItsDownloadWindow) {
    sim().addFault("/velloraversion.txt", sim::FaultKind::Slow, 1, 6000);
    QTimer::singleShot(300,
                       [&] { QTest::mouseClick(imports().loadDialog()->abortButton(), Qt::LeftButton); });
    window->action(Cmd::CheckForUpdate)->trigger();
    EXPECT_FALSE(imports().loadDialog()->isVisible());
    EXPECT_EQ(host.textsOf(MsgKind::Error),
              std::vector<std::string>{"Die Updateverf\xFCgbarkeit konnte leider nicht \xFC"
                                       "berpr\xFC"
                                       "ft werden."});
    EXPECT_FALSE(home.dir.exists("velloraversion.txt"));
}

TEST_F(ImportMenu, OwnFindsNeedAUserNameFirst) {
    ctx().settings.Username.clear();
    bool opened = false;
    onModal(100, [&](QWidget* w) {
        opened = w != nullptr;
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    });
    host.answerNext(MsgResult::No);
    window->action(Cmd::LoadFinds)->trigger();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(
        host.messages[0].text.rfind("Um die eigenen Finds zu laden, musst Du zuerst Deinen Usernamen", 0),
        0u);
    QTest::qWait(200);
    EXPECT_FALSE(opened);

    ctx().settings.Username = "Tester 5";
    QString title;
    onModal(100, [&](QWidget* w) {
        title = w ? w->windowTitle() : QString();
        if (auto* d = qobject_cast<LoadFindsDialog*>(w)) {
            QTest::mouseClick(d->loadButton(), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(d->closeButton()->isEnabled(), 10000);
            QTest::mouseClick(d->closeButton(), Qt::LeftButton);
        }
    });
    window->action(Cmd::LoadFinds)->trigger();
    EXPECT_EQ(title, QStringLiteral("Eigene Finds einlesen"));
    std::vector<TFoundRec> finds;
    readFoundRecords(home.workFile("Finds.bin"), finds);
    EXPECT_EQ(finds.size(), 5u);
}

TEST_F(ImportMenu, EditorAndListingsDialogsOpenFromTheMenu) {
    QString editorTitle;
    bool searchMode = false;
    onModal(100, [&](QWidget* w) {
        auto* d = qobject_cast<EditCacheDialog*>(w);
        if (!d) return;
        editorTitle = d->windowTitle();
        searchMode = d->searchField()->isEnabled();
        QTest::mouseClick(d->closeButton(), Qt::LeftButton);
    });
    window->action(Cmd::EditCache)->trigger();
    EXPECT_EQ(editorTitle, QStringLiteral("Cache editieren"));
    EXPECT_TRUE(searchMode);

    QString listingsTitle;
    onModal(100, [&](QWidget* w) {
        auto* d = qobject_cast<DbFromListingsDialog*>(w);
        if (!d) return;
        listingsTitle = d->windowTitle();
        QTest::mouseClick(d->closeButton(), Qt::LeftButton);
    });
    window->action(Cmd::DbFromListings)->trigger();
    EXPECT_EQ(listingsTitle, QString::fromUtf8("Datenbank aus Cachebeschreibungen befüllen"));
}

}  // namespace
}  // namespace vellora
