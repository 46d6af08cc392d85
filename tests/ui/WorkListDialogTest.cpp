#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>

#include <QTabWidget>
#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"
#include "ui/ListingCommands.h"
#include "ui/MainWindow.h"
#include "ui/NameSearchDialog.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"
#include "ui/WorkListDialog.h"

namespace vellora {
namespace {

const char* const kNames[] = {"Burgblick",
                              "Alte M\xFChle",
                              "Am Weiher",
                              "Schatz im Silbersee",
                              "\xC4pfelbaum",
                              "Steinkreis",
                              "Lost Place 7",
                              "Br\xFC"
                              "ckenblick",
                              "Nachtcache",
                              "Rund um den Berg"};
const char* const kTypes[] = {"Traditional Cache", "Multi-cache", "Unknown Cache", "Virtual Cache",
                              "Earthcache"};
const char* const kSizes[] = {"Micro", "Small", "Regular", "Large"};

// n caches spread around N 49.6 E 10.8, the first `listed` of them on the work list.
void writeHome(test::TestHome& home, int n, int listed) {
    home.ctx().settings.HomeLat = 49.6;
    home.ctx().settings.HomeLong = 10.8;
    std::string db, list;
    for (int i = 0; i < n; ++i) {
        TCacheRec r;
        r.Waypoint = "GC" + std::to_string(10000 + i * 7);
        r.CacheName = std::string(kNames[i % 10]) + " " + std::to_string(i);
        r.Lat = 49.6 + ((i * 37) % 200 - 100) / 400.0;
        r.Lon = 10.8 + ((i * 53) % 200 - 100) / 250.0;
        r.CacheType = kTypes[i % 5];
        r.CacheSize = kSizes[i % 4];
        r.Difficulty = i % 3 ? "2.5" : "1";
        r.Terrain = i % 2 ? "3.5" : "1.5";
        r.CountryID = 79;
        r.HiddenDate = encodeDate(2001 + i % 6, 1 + i % 12, 1 + i % 28);
        db += encodeCacheRec(r);
        if (i < listed) list += r.Waypoint + "\r\n";
    }
    home.dir.write("Caches.bin", db);
    home.dir.write("WPList.txt", list);
}

void dropRows(WorkListDialog& d, QWidget* target, const std::vector<int>& rows) {
    QModelIndexList indexes;
    for (int r : rows) indexes << d.tableModel()->index(r, 0);
    std::unique_ptr<QMimeData> mime(d.tableModel()->mimeData(indexes));
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QString cell(WorkListDialog& d, int row, int col) {
    return d.tableModel()->data(d.tableModel()->index(row, col), Qt::DisplayRole).toString();
}

TEST(WorkListView, PopulatedListSortsMovesAndRemovesByDrag) {
    test::TestHome home;
    writeHome(home, 600, 400);
    WorkListDialog d(home.ctx());
    d.resize(1100, 760);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Arbeits-, Fund- und Ignoreliste"));
    EXPECT_EQ(d.headline()->text(), QString::fromUtf8("Arbeitsliste (400 Einträge)"));
    EXPECT_EQ(d.tableModel()->rowCount(), 400);
    EXPECT_EQ(d.tableModel()->columnCount(), 9);
    EXPECT_TRUE(d.listButton(1)->isChecked());
    // Columns fit their widest text in the view's font.
    const QFontMetrics fm = d.view()->fontMetrics();
    for (int col : {0, 2, 3, 4}) {
        int widest = 0;
        for (int r = 0; r < 400; ++r) widest = std::max(widest, fm.horizontalAdvance(cell(d, r, col)));
        EXPECT_GE(d.view()->columnWidth(col), widest) << col;
    }
    test::screenshot(&d, "worklist_populated");

    // Sorting by a header click, twice for descending.
    QHeaderView* header = d.view()->horizontalHeader();
    const int x = header->sectionViewportPosition(2) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    bool ascending = true;
    for (int r = 1; r < 400; ++r) {
        const auto a = cell(d, r - 1, 2).replace(',', '.').toDouble(),
                   b = cell(d, r, 2).replace(',', '.').toDouble();
        ascending = ascending && a <= b;
    }
    EXPECT_TRUE(ascending);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    EXPECT_GE(cell(d, 0, 2).replace(',', '.').toDouble(), cell(d, 399, 2).replace(',', '.').toDouble());
    test::screenshot(&d, "worklist_sorted_by_distance");

    // Five marked rows dragged onto "Ablage", then two onto the garbage target.
    const QString first = cell(d, 0, 0);
    dropRows(d, d.listButton(kClipboardList), {0, 1, 2, 3, 4});
    EXPECT_EQ(d.headline()->text(), QString::fromUtf8("Arbeitsliste (395 Einträge)"));
    EXPECT_EQ(d.model().list(kClipboardList).count(), 5);
    EXPECT_EQ(qs(d.model().list(kClipboardList).at(0).Waypoint), first);
    EXPECT_TRUE(d.model().modified());
    dropRows(d, d.garbageTarget(), {0, 1});
    EXPECT_EQ(d.model().list(kWorkList).count(), 393);
    EXPECT_TRUE(d.statusLine()->text().contains(QStringLiteral("Zwischenablage: 5")));

    // The clipboard list button shows that list; the finds list gets the date column.
    QTest::mouseClick(d.listButton(kClipboardList), Qt::LeftButton);
    EXPECT_EQ(d.headline()->text(), QString::fromUtf8("Zwischenablage (5 Einträge)"));
    dropRows(d, d.listButton(kFindsList), {0});
    QTest::mouseClick(d.listButton(kFindsList), Qt::LeftButton);
    EXPECT_EQ(d.tableModel()->columnCount(), 10);
    EXPECT_EQ(cell(d, 0, 9), QStringLiteral("08.12.2006"));
    EXPECT_TRUE(d.menuAction("mnuTakeFoundDate")->isEnabled());
    EXPECT_FALSE(d.menuAction("mnuRemoveFinds")->isEnabled());
    EXPECT_TRUE(d.menuAction("mnuMapAll")->isEnabled());  // the map window shows the list
    test::screenshot(&d, "worklist_finds");

    QTest::mouseClick(d.saveButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(test::textLines(home.dir.read("WPclipboard.txt")).size(), 4u);
    EXPECT_EQ(test::textLines(home.dir.read("WPList.txt")).size(), 393u);
}

// In the window's own size every column is in view: the name column takes what the others leave
// and is cut short, and the sorted column shows its arrow.
TEST(WorkListView, ColumnsFitTheWindowAndShowTheSortedOne) {
    test::TestHome home;
    writeHome(home, 300, 300);
    TCacheRec longName;
    longName.Waypoint = "GCLONG1";
    longName.CacheName = std::string(70, 'W') + " Ende";
    longName.Lat = 49.6;
    longName.Lon = 10.8;
    home.dir.write("Caches.bin", home.dir.read("Caches.bin") + encodeCacheRec(longName));
    home.dir.write("WPList.txt", home.dir.read("WPList.txt") + "GCLONG1\r\n");
    WorkListDialog d(home.ctx());
    d.show();
    QApplication::processEvents();
    ASSERT_EQ(d.width(), 1000);
    QHeaderView* header = d.view()->horizontalHeader();
    const auto expectAllInView = [&](const char* when) {
        SCOPED_TRACE(when);
        const int room = d.view()->viewport()->width();
        EXPECT_LE(header->length(), room);
        for (int c = 0; c < header->count(); ++c) {
            EXPECT_GE(header->sectionViewportPosition(c), 0) << c;
            EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), room) << c;
            EXPECT_GT(header->sectionSize(c), 20) << c;
        }
        // The long name is cut short rather than pushing columns out of the window.
        EXPECT_LT(header->sectionSize(1), d.view()->fontMetrics().horizontalAdvance(qs(longName.CacheName)));
        EXPECT_EQ(d.view()->textElideMode(), Qt::ElideRight);
    };
    expectAllInView("work list");
    test::screenshot(&d, "worklist_columns");

    EXPECT_TRUE(header->isSortIndicatorShown());
    for (const auto& [column, order] : {std::pair{6, Qt::AscendingOrder}, std::pair{6, Qt::DescendingOrder},
                                        std::pair{2, Qt::AscendingOrder}}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
        EXPECT_EQ(header->sortIndicatorSection(), column);
        EXPECT_EQ(header->sortIndicatorOrder(), order) << column;
        EXPECT_EQ(d.model().sortColumn(), column);
    }
    test::screenshot(&d, "worklist_sorted_columns");

    // The finds list has one column more; it fits as well.
    dropRows(d, d.listButton(kFindsList), {0});
    QTest::mouseClick(d.listButton(kFindsList), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(header->count(), 10);
    const int room = d.view()->viewport()->width();
    EXPECT_LE(header->sectionViewportPosition(9) + header->sectionSize(9), room);
}

TEST(WorkListView, RadiusSearchAndWaypointFromTheWindow) {
    test::TestHome home;
    writeHome(home, 300, 0);
    WorkListDialog d(home.ctx());
    d.show();  // the pages get their geometry, so that clicks hit their buttons
    d.pages()->setCurrentIndex(1);
    d.radiusField()->clear();
    QTest::keyClicks(d.radiusField(), "7,5x");
    EXPECT_EQ(d.radiusField()->text(), QStringLiteral("7.5"));
    QTest::mouseClick(d.radiusButton(), Qt::LeftButton);
    const int found = d.model().list(kWorkList).count();
    EXPECT_GT(found, 0);
    EXPECT_LT(found, 300);
    test::screenshot(&d, "worklist_radius");
    for (int r = 0; r < d.tableModel()->rowCount(); ++r)
        EXPECT_LE(cell(d, r, 2).replace(',', '.').toDouble(), 7.5);

    d.pages()->setCurrentIndex(0);
    d.waypointField()->clear();
    QTest::keyClicks(d.waypointField(), "gc10007");
    EXPECT_EQ(d.waypointField()->text(), QStringLiteral("GC10007"));
    const bool had = d.model().list(kWorkList).contains("GC10007");
    QTest::mouseClick(d.addWaypointButton(), Qt::LeftButton);
    EXPECT_TRUE(d.model().list(kWorkList).contains("GC10007"));
    EXPECT_EQ(d.model().list(kWorkList).count(), found + (had ? 0 : 1));

    // Cancelling after changes asks; No keeps the window open.
    home.host.answerNext(MsgResult::No);
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(d.model().isOpen());
    home.host.answerNext(MsgResult::Yes);
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(d.model().isOpen());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(home.dir.read("WPList.txt"), "");
}

// Enter in a field runs that field's action and nothing else: no button of the window answers it
// as well (an unscripted question, such as adding the half-typed waypoint "GC", fails the test).
TEST(WorkListView, EnterInAFieldRunsOnlyThatFieldsAction) {
    struct Case {
        const char* field;
        int page;
        const char* typed;
        int listed;  // entries the field's own action adds; -1: some
    };
    for (const Case& c :
         {Case{"edName", 0, "Burgblick", 30}, Case{"edWaypoint", 0, "10007", 1}, Case{"edRadius", 1, "3", -1},
          Case{"cbReference", 0, "", 0}, Case{"dtFindsDate", 0, "", 0}, Case{"cbCentre", 1, "", 0},
          Case{"dtFilterDate", 1, "", 0}}) {
        SCOPED_TRACE(c.field);
        test::TestHome home;
        writeHome(home, 300, 0);
        WorkListDialog d(home.ctx());
        // Hits are added without the choice window, which would wait for the user.
        d.model().options.PreselectMultiFinds = false;
        d.pages()->setCurrentIndex(c.page);
        d.show();
        QApplication::processEvents();
        auto* field = d.findChild<QWidget*>(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr);
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field); edit && *c.typed) {
            edit->end(false);
            QTest::keyClicks(edit, c.typed);
        }
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
        const int listed = d.model().list(kWorkList).count();
        if (c.listed >= 0) {
            EXPECT_EQ(listed, c.listed);
        } else {
            EXPECT_GT(listed, 0);
        }
        EXPECT_FALSE(d.model().list(kWorkList).contains("GC"));
        EXPECT_TRUE(home.host.messages.empty());
        EXPECT_TRUE(d.isVisible());
        if (std::string(c.field) == "edName") {
            for (int r = 0; r < d.tableModel()->rowCount(); ++r)
                EXPECT_TRUE(cell(d, r, 1).startsWith(QStringLiteral("Burgblick")))
                    << cell(d, r, 1).toStdString();
        }
        if (std::string(c.field) == "edWaypoint") {
            EXPECT_TRUE(d.model().list(kWorkList).contains("GC10007"));
        }
    }
    // The same rule in every dialog: its push buttons are not auto-default when it is shown.
    test::TestHome home;
    WorkListDialog d(home.ctx());
    d.show();
    QApplication::processEvents();
    for (QPushButton* b : d.findChildren<QPushButton*>())
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
}

TEST(WorkListView, TheMainWindowsCommandBuildsTheWorkList) {
    test::TestHome home;
    writeHome(home, 200, 0);
    MainWindow window(home.ctx(), false);
    QAction* command = window.action(Cmd::WorkList);
    ASSERT_TRUE(command->isEnabled());
    EXPECT_EQ(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
    EXPECT_TRUE(static_cast<bool>(window.listingCommands().loader().editWorkList));  // "bearbeiten"

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<WorkListDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        seen = true;
        d->pages()->setCurrentIndex(1);
        d->radiusField()->setText(QStringLiteral("5"));
        d->model().radiusText = "5";
        QTest::mouseClick(d->radiusButton(), Qt::LeftButton);
        QTest::mouseClick(d->saveButton(), Qt::LeftButton);
    });
    command->trigger();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(test::textLines(home.dir.read("WPList.txt")).empty());
}

TEST(NameSearchView, SearchTickAndAccept) {
    test::TestHome home;
    writeHome(home, 30, 0);
    NameSearchDialog d(home.ctx());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Cache nach Name suchen"));
    EXPECT_FALSE(d.searchButton()->isEnabled());
    QTest::keyClicks(d.searchField(), "HLE");
    ASSERT_TRUE(d.searchButton()->isEnabled());
    QTest::mouseClick(d.searchButton(), Qt::LeftButton);
    ASSERT_EQ(d.list()->count(), 3);
    EXPECT_EQ(d.list()->item(0)->text(), QString::fromUtf8("Alte Mühle 1 [GC10007]"));
    EXPECT_FALSE(d.acceptButton()->isEnabled());
    d.list()->item(1)->setCheckState(Qt::Checked);
    d.list()->item(2)->setCheckState(Qt::Checked);
    EXPECT_EQ(d.list()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(d.countLabel()->text(), QStringLiteral("1 Caches markiert"));
    test::screenshot(&d, "name_search");
    QTest::mouseClick(d.acceptButton(), Qt::LeftButton);
    ASSERT_EQ(d.model().chosen().size(), 1u);
    EXPECT_EQ(d.model().chosen()[0], "GC10147");
}

}  // namespace
}  // namespace vellora
