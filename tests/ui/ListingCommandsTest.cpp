#include "ui/ListingCommands.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ListingViewFixture.h"
#include "core/FileUtil.h"
#include "core/StrUnit.h"
#include "shell/MainWindow.h"
#include "ui/BatchRunner.h"
#include "ui/IndexDialog.h"
#include "ui/LoadHTMLDialog.h"
#include "ui/MainWindow.h"
#include "ui/OutputBrowserWidget.h"

namespace vellora {
namespace {

using ListingCommandsView = test::ListingViewTest;

template <class Dialog>
Dialog* openWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<Dialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

TEST_F(ListingCommandsView, TheBatchLoadsGeneratesAndWritesTheIndexThroughTheDialogs) {
    const auto list = activeWaypoints(2);
    writeWorkList(list);
    int treeReloads = 0;
    ListingCommands commands(
        ctx(), nullptr, [&] { ++treeReloads; }, nullptr);
    commands.loader().options.LoadMap = false;
    commands.startBatch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return commands.batch().batch().step() == TBatch::Finished; }, 60000));
    for (const auto& w : list) {
        EXPECT_TRUE(outExists(w + ".html")) << w;
        EXPECT_TRUE(outExists(w + "_converted.html")) << w;
    }
    EXPECT_TRUE(outExists("index.html"));
    EXPECT_EQ(treeReloads, 1);
    EXPECT_EQ(host.textsOf(MsgKind::Information),
              (std::vector<std::string>{"Batchverarbeitung abgeschlossen."}));
    EXPECT_EQ(host.opened, (std::vector<std::string>{toFileUrl(out("index.html"))}));
    EXPECT_FALSE(commands.batch().timer().isActive());
}

TEST_F(ListingCommandsView, MarkedListingsAreLoadedAgainReplacingTheirPages) {
    const auto list = activeWaypoints(2);
    writeWorkList({});
    for (const auto& w : list) writeFileAtomic(out(w + ".html"), "alt\r\n");
    ListingCommands commands(ctx(), nullptr, nullptr, nullptr);
    commands.loader().options.Images = false;
    commands.loader().options.LoadMap = false;
    QString headline;
    QTimer::singleShot(100, [&] {
        LoadHTMLDialog* d = openWindow<LoadHTMLDialog>();
        ASSERT_NE(d, nullptr);
        headline = d->headline()->text();
        d->loadButton()->click();
        d->closeButton()->click();
    });
    commands.reloadListings(list);
    EXPECT_EQ(headline, QStringLiteral("2 Cachebeschreibungen werden manuell nachgeladen"));
    for (const auto& w : list) EXPECT_NE(readFile(out(w + ".html")).value_or("alt\r\n"), "alt\r\n") << w;
    // The forced "immer überschreiben" was for this opening only.
    EXPECT_EQ(commands.loader().options.Overwrite, 0);
}

// After the index is written, the main list's menu no longer calls it outdated.
TEST_F(ListingCommandsView, WritingTheIndexRefreshesTheListAndItsOutdatedMark) {
    MainWindow window(ctx(), false);
    window.show();
    QApplication::processEvents();
    OutputBrowser& browser = window.browser()->model();
    writeFileAtomic(out("index.html"), "<html></html>");
    writeFileAtomic(out("GC1ABC_converted.html"), "<html></html>");
    // The index dates back to 2001, so the description just written is newer.
    const std::string older = out("index.html");
    const struct timespec year2001 = {1000000000, 0};
    const struct timespec times[2] = {year2001, year2001};
    ASSERT_EQ(::utimensat(AT_FDCWD, older.c_str(), times, 0), 0);
    window.browser()->rebuildList();
    ASSERT_EQ(std::string(browser.showIndexCaption()), OutputBrowser::kShowOutdatedIndexItem);
    QTimer::singleShot(100, [&] {
        auto* d = openWindow<IndexDialog>();
        ASSERT_NE(d, nullptr);
        d->okButton()->click();
    });
    window.action(Cmd::IndexPage)->trigger();
    EXPECT_EQ(std::string(browser.showIndexCaption()), OutputBrowser::kShowIndexItem);
}

TEST_F(ListingCommandsView, TheMainWindowOffersTheCommands) {
    MainWindow window(ctx(), false);
    for (Cmd id : {Cmd::LoadHTML, Cmd::CreateDescriptions, Cmd::IndexPage, Cmd::Batch})
        EXPECT_TRUE(window.commandEnabled(id)) << static_cast<int>(id);
    EXPECT_TRUE(window.browser()->actions().editLongDescription);
    EXPECT_TRUE(window.browser()->actions().createIndex);
    EXPECT_TRUE(window.browser()->actions().reloadListings);
}

}  // namespace
}  // namespace vellora
