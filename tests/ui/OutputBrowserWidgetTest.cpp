#include "ui/OutputBrowserWidget.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "support/TestHome.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

namespace fs = std::filesystem;

// A populated output directory: five converted descriptions in the root (one not in the
// database), saved pages, images, meta files and maps, and two subdirectories.
class OutputBrowserWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = home.ctx().settings;
        s.OutDir = home.dir.file("ausgabe");
        s.ShowMessages = true;
        home.dir.write("Caches.bin", "");
        add("GC1A2B", "Am alten Steinbruch", "Traditional Cache", 50.12, 8.05);
        add("GC2C3D", "Die M\xFChle im Tal", "Multi-cache", 50.31, 8.40);
        add("GC3E4F", "R\xE4tsel am Fluss", "Unknown Cache", 49.95, 7.90);
        add("GC4G5H", "Blick vom Turm", "Earthcache", 50.02, 8.01);
        for (const char* w : {"GC1A2B", "GC2C3D", "GC3E4F", "GC4G5H", "GC9ZZZ"}) {
            const std::string stem = std::string("ausgabe/") + w;
            home.dir.write(stem + "_converted.html", "<html></html>");
            home.dir.write(stem + ".html", "<html>saved</html>");
            home.dir.write(stem + ".meta", "1\r\n");
            home.dir.write(stem + "_map.gif", "GIF89a");
            home.dir.write(stem + "_i1.jpg", "jpeg");
        }
        home.dir.write("ausgabe/Urlaub 2006/GC4G5H_converted.html", "<html></html>");
        home.dir.write("ausgabe/archiv/readme.txt", "x");
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
        widget = std::make_unique<OutputBrowserWidget>(home.ctx(), home.host);
        widget->resize(800, 400);
        widget->setSelectedHome(50.0, 8.0);
        widget->reloadTree();
    }

    void add(const std::string& wp, const std::string& name, const std::string& type, double lat,
             double lon) {
        TCacheRec rec;
        rec.Waypoint = wp;
        rec.CacheName = name;
        rec.CacheType = type;
        rec.Lat = lat;
        rec.Lon = lon;
        ASSERT_TRUE(AppendCache(home.ctx(), rec));
    }

    QStringList column(int c) const {
        QStringList out;
        for (int i = 0; i < widget->list()->topLevelItemCount(); ++i)
            out << widget->list()->topLevelItem(i)->text(c);
        return out;
    }
    QStringList selectedWaypoints() const {
        QStringList out;
        for (int i = 0; i < widget->list()->topLevelItemCount(); ++i) {
            if (widget->list()->topLevelItem(i)->isSelected())
                out << widget->list()->topLevelItem(i)->text(0);
        }
        return out;
    }
    QTreeWidgetItem* node(const QString& caption) const {
        auto hits = widget->tree()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return hits.isEmpty() ? nullptr : hits.front();
    }
    QAction* act(const char* caption) const { return widget->action(caption); }
    // Shortcuts reach only a widget of the active window.
    void showActive() {
        widget->show();
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
    }

    test::TestHome home;
    std::unique_ptr<OutputBrowserWidget> widget;
};

TEST_F(OutputBrowserWidgetTest, ShowsTheTreeAndTheList) {
    QTreeWidget* tree = widget->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "root");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "archiv");
    EXPECT_EQ(root->child(1)->text(0), "Urlaub 2006");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(tree->currentItem(), root);
    EXPECT_EQ(tree->toolTip(), QString::fromStdString("root=" + home.ctx().outDirPath()));

    QTreeWidget* list = widget->list();
    EXPECT_EQ(list->headerItem()->text(0), "Waypoint");
    EXPECT_EQ(list->headerItem()->text(1), "Cachename");
    EXPECT_EQ(list->headerItem()->text(2), "Entf. (km)");
    EXPECT_EQ(column(0), (QStringList{"GC1A2B", "GC2C3D", "GC3E4F", "GC4G5H", "GC9ZZZ"}));
    EXPECT_EQ(column(1), (QStringList{"Am alten Steinbruch", QString::fromUtf16(u"Die M\u00FChle im Tal"),
                                      QString::fromUtf16(u"R\u00E4tsel am Fluss"), "Blick vom Turm",
                                      "Cache nicht in DB gefunden"}));
    EXPECT_EQ(column(2)[0], "13,8");
    EXPECT_FALSE(list->topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(widget->listCaption()->text(),
              QString::fromUtf16(u"5 Konvertierte Cachebeschreibungen im gew\u00E4hlten Verzeichnis"));
}

// Narrow stored widths and a large font (as at a scale factor of 2) must not cut a waypoint or the
// distance header; the last column reaches the right edge.
TEST_F(OutputBrowserWidgetTest, ColumnsFitWaypointsAndHeadersInAnyFont) {
    QTreeWidget* list = widget->list();
    widget->show();
    const int basePoint = list->font().pointSize() > 0 ? list->font().pointSize() : 9;
    for (int point : {basePoint, basePoint * 2}) {
        SCOPED_TRACE(point);
        QFont font = list->font();
        font.setPointSize(point);
        list->setFont(font);
        list->header()->setFont(font);
        widget->setColumnWidths({20, 60, 20});
        QApplication::processEvents();
        const QFontMetrics items(list->font());
        const QFontMetrics header(list->header()->font());
        const int icon = list->iconSize().isValid() ? list->iconSize().width() : 16;
        EXPECT_GE(list->columnWidth(0), items.horizontalAdvance(QStringLiteral("GC1ABCD")) + icon);
        EXPECT_GE(list->columnWidth(0), header.horizontalAdvance(QStringLiteral("Waypoint")));
        EXPECT_GE(list->columnWidth(2), header.horizontalAdvance(QStringLiteral("Entf. (km)")));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QString wp = list->topLevelItem(row)->text(0);
            EXPECT_GE(list->columnWidth(0), items.horizontalAdvance(wp) + icon) << wp.toStdString();
        }
        QHeaderView* h = list->header();
        EXPECT_EQ(h->sectionViewportPosition(2) + h->sectionSize(2), list->viewport()->width());
    }
    // A stored name column wider than the window gives way, so the distances stay in view.
    QFont base = list->font();
    base.setPointSize(basePoint);
    list->setFont(base);
    list->header()->setFont(base);
    widget->setColumnWidths({90, 5000, 70});
    QApplication::processEvents();
    QHeaderView* h = list->header();
    EXPECT_EQ(h->sectionViewportPosition(2) + h->sectionSize(2), list->viewport()->width());
    EXPECT_GE(list->columnWidth(2), QFontMetrics(h->font()).horizontalAdvance(QStringLiteral("Entf. (km)")));
    // And so after the window shrinks.
    widget->resize(620, 300);
    QApplication::processEvents();
    EXPECT_EQ(h->sectionViewportPosition(2) + h->sectionSize(2), list->viewport()->width());
    test::screenshot(widget.get(), "main_list_large_font");
}

TEST_F(OutputBrowserWidgetTest, HeaderClicksSortAndToggle) {
    QHeaderView* header = widget->list()->header();
    const QPoint distanceHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, distanceHeader);
    EXPECT_EQ(widget->sortColumn(), 2);
    EXPECT_EQ(widget->sortDirection(), 0);
    EXPECT_EQ(column(0), (QStringList{"GC4G5H", "GC3E4F", "GC1A2B", "GC2C3D", "GC9ZZZ"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, distanceHeader);
    EXPECT_EQ(widget->sortDirection(), 1);
    EXPECT_EQ(column(0).front(), "GC9ZZZ");
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    widget->setSort(1, 0);
    EXPECT_EQ(column(0), (QStringList{"GC1A2B", "GC4G5H", "GC9ZZZ", "GC2C3D", "GC3E4F"}));
}

TEST_F(OutputBrowserWidgetTest, SelectionIsTheMarkingBothWays) {
    QTreeWidget* list = widget->list();
    list->topLevelItem(1)->setSelected(true);
    list->topLevelItem(3)->setSelected(true);
    EXPECT_EQ(widget->model().markedWaypoints(), (std::vector<std::string>{"GC2C3D", "GC4G5H"}));

    act(OutputBrowser::kMarkInvertItem)->trigger();
    EXPECT_EQ(selectedWaypoints(), (QStringList{"GC1A2B", "GC3E4F", "GC9ZZZ"}));

    showActive();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(selectedWaypoints().isEmpty());
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedWaypoints().size(), 5);

    home.dir.write("WPList.txt", "GC3E4F\r\n");
    act(OutputBrowser::kMarkWorkListItem)->trigger();
    EXPECT_EQ(selectedWaypoints(), (QStringList{"GC3E4F"}));
}

TEST_F(OutputBrowserWidgetTest, MenuItemsFollowTheStateAndTheWiredActions) {
    for (const char* item : {OutputBrowser::kShowOnMapItem, OutputBrowser::kCreateIndexItem,
                             OutputBrowser::kExportDirItem, OutputBrowser::kReloadMarkedItem,
                             OutputBrowser::kEditLongDescrItem, OutputBrowser::kShowIndexItem}) {
        ASSERT_NE(act(item), nullptr) << item;
        EXPECT_FALSE(act(item)->isEnabled()) << item;
    }
    EXPECT_TRUE(act(OutputBrowser::kSavedPagesToWorkListItem)->isEnabled());
    EXPECT_EQ(act(OutputBrowser::kShowInBrowserItem)->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(act(OutputBrowser::kShowIndexItem)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    EXPECT_EQ(act(OutputBrowser::kDeleteMarkedItem)->shortcut(), QKeySequence(Qt::Key_Delete));

    widget->actions().createIndex = [this](const std::string& dir) {
        home.dir.write("ausgabe/index.html", dir);
    };
    widget->actions().editLongDescription = [](const std::string&, const std::string&) {};
    fs::last_write_time(home.dir.file("ausgabe/GC1A2B_converted.html"),
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    widget->tree()->setCurrentItem(node("Urlaub 2006"));
    EXPECT_TRUE(act(OutputBrowser::kEditLongDescrItem)->isEnabled());
    EXPECT_FALSE(act(OutputBrowser::kSavedPagesToWorkListItem)->isEnabled());
    widget->tree()->setCurrentItem(node("root"));
    act(OutputBrowser::kCreateIndexItem)->trigger();
    EXPECT_TRUE(act(OutputBrowser::kShowIndexItem)->isEnabled());
    EXPECT_EQ(act(OutputBrowser::kShowIndexItem)->text(), "Indexdatei anzeigen");

    fs::last_write_time(home.dir.file("ausgabe/GC1A2B_converted.html"),
                        fs::last_write_time(home.dir.file("ausgabe/index.html")) + std::chrono::seconds(5));
    widget->rebuildList();
    EXPECT_EQ(act(OutputBrowser::kShowIndexItem)->text(), "veraltete (!) Indexdatei anzeigen");
}

TEST_F(OutputBrowserWidgetTest, ClickingANodeShowsItsDescriptions) {
    widget->tree()->setCurrentItem(node("Urlaub 2006"));
    EXPECT_EQ(column(0), (QStringList{"GC4G5H"}));
    EXPECT_EQ(widget->model().selectedDir(), home.ctx().outDirPath() + "Urlaub 2006/");
    EXPECT_FALSE(node("Urlaub 2006")->icon(0).isNull());
}

TEST_F(OutputBrowserWidgetTest, DroppingMarkedEntriesMovesTheirFiles) {
    widget->list()->topLevelItem(0)->setSelected(true);
    widget->list()->topLevelItem(1)->setSelected(true);
    widget->dropOnNode(node("archiv")->data(0, Qt::UserRole).toInt());
    EXPECT_EQ(column(0), (QStringList{"GC3E4F", "GC4G5H", "GC9ZZZ"}));
    for (const char* f : {"GC1A2B_converted.html", "GC1A2B.meta", "GC2C3D_map.gif", "GC2C3D_i1.jpg"}) {
        EXPECT_TRUE(home.dir.exists(std::string("ausgabe/archiv/") + f)) << f;
    }
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text.rfind("8 Dateien aus 2 Caches erfolgreich von ", 0), 0u);
    EXPECT_TRUE(widget->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(OutputBrowserWidgetTest, DropsFromElsewhereAreRefused) {
    widget->list()->topLevelItem(0)->setSelected(true);
    QWidget* viewport = widget->tree()->viewport();
    const QPoint onArchive = widget->tree()->visualItemRect(node("archiv")).center();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(home.dir.file("ausgabe/GC1A2B.html")))});
    QDragEnterEvent enter(onArchive, Qt::MoveAction | Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(onArchive, Qt::MoveAction | Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QApplication::processEvents();
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_TRUE(home.dir.exists("ausgabe/GC1A2B_converted.html"));
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(OutputBrowserWidgetTest, DeleteKeyDeletesTheMarkedCaches) {
    showActive();
    widget->list()->setFocus();
    widget->list()->topLevelItem(4)->setSelected(true);
    home.host.answerNext(MsgResult::Yes);
    QTest::keyClick(widget->list(), Qt::Key_Delete);
    EXPECT_FALSE(home.dir.exists("ausgabe/GC9ZZZ_converted.html"));
    EXPECT_FALSE(home.dir.exists("ausgabe/GC9ZZZ.html"));
    EXPECT_EQ(column(0).size(), 4);
}

TEST_F(OutputBrowserWidgetTest, CleanUpFromTheTreeMenu) {
    home.host.answerNext(MsgResult::Yes);
    act(OutputBrowser::kCleanUpItem)->trigger();
    for (const char* w : {"GC1A2B", "GC2C3D", "GC3E4F", "GC4G5H", "GC9ZZZ"}) {
        const std::string stem = std::string("ausgabe/") + w;
        EXPECT_FALSE(home.dir.exists(stem + ".html")) << w;
        EXPECT_FALSE(home.dir.exists(stem + ".meta")) << w;
        EXPECT_TRUE(home.dir.exists(stem + "_converted.html")) << w;
        EXPECT_TRUE(home.dir.exists(stem + "_map.gif")) << w;
    }
    EXPECT_EQ(column(0).size(), 5);
    EXPECT_EQ(home.host.textsOf(MsgKind::Information),
              (std::vector<std::string>{"10 Dateien wurden aus dem Verzeichnis \r\n" +
                                        home.ctx().outDirPath() + "\r\ngel\xF6scht."}));
}

TEST_F(OutputBrowserWidgetTest, NewDirectoryDialogTakesOnlyAllowedCharacters) {
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Eingabe");
        EXPECT_EQ(dialog->labelText(), "Bitte den Namen des neuen Verzeichnisses eingeben:");
        auto* edit = dialog->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, "Ferien ");
        // QTest types ASCII only: the umlaut comes as the event a keyboard would send.
        QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Adiaeresis, Qt::NoModifier, QString::fromUtf16(u"\u00E4"));
        QApplication::sendEvent(edit, &umlaut);
        QTest::keyClicks(edit, "/2007");
        EXPECT_EQ(edit->text(), "Ferien 2007");
        dialog->accept();
    });
    widget->createNewDirectory();
    EXPECT_TRUE(fs::is_directory(home.dir.file("ausgabe/Ferien 2007")));
    EXPECT_NE(node("Ferien 2007"), nullptr);
}

TEST_F(OutputBrowserWidgetTest, ColumnWidthsRoundTripThroughTheSettings) {
    // Widths above what the texts need are kept; the last column only grows to the right edge.
    widget->setColumnWidths({160, 250, 120});
    EXPECT_EQ(widget->columnWidths()[0], 160);
    EXPECT_EQ(widget->columnWidths()[1], 250);
    EXPECT_GE(widget->columnWidths()[2], 120);
    widget->rebuildList();
    EXPECT_EQ(widget->columnWidths()[0], 160);
    EXPECT_EQ(widget->columnWidths()[1], 250);
    EXPECT_GE(widget->columnWidths()[2], 120);
    widget->list()->header()->resizeSection(1, 300);
    EXPECT_EQ(home.ctx().settings.Main_Col2Width, 300);
    EXPECT_GT(widget->listClientWidth(), 0);
}

// Writes pictures of the browser for a look by eye when VELLORA_SCREENSHOT_DIR names a folder
// (run under a real X server with QT_QPA_PLATFORM=xcb for the screen as a person sees it).
TEST_F(OutputBrowserWidgetTest, Screenshot) {
    const QString dir = qEnvironmentVariable("VELLORA_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "VELLORA_SCREENSHOT_DIR not set";
    widget->setWindowTitle("Vellora");
    widget->setGeometry(0, 0, 1024, 768);
    widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
    widget->setColumnWidths({90, widget->listClientWidth() - 160, 70});
    widget->list()->topLevelItem(1)->setSelected(true);
    widget->list()->topLevelItem(3)->setSelected(true);
    QTest::qWait(200);
    auto shoot = [&](const QString& name) {
        QPixmap pm = widget->screen()->grabWindow(0);
        if (pm.isNull() || pm.width() < 100) pm = widget->grab();
        EXPECT_TRUE(pm.save(QDir(dir).filePath(name)));
    };
    shoot("browser.png");

    QTimer::singleShot(300, [&] {
        shoot("browser-listmenu.png");
        widget->listMenu()->close();
    });
    widget->listMenu()->exec(widget->list()->viewport()->mapToGlobal(QPoint(120, 40)));
    QTimer::singleShot(300, [&] {
        shoot("browser-treemenu.png");
        widget->treeMenu()->close();
    });
    widget->treeMenu()->exec(widget->tree()->viewport()->mapToGlobal(QPoint(40, 30)));
}

}  // namespace
}  // namespace vellora
