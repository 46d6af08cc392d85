// The cache editor in search mode (from the main window) and in fixed mode (a record handed over).
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ImportViewFixture.h"
#include "core/GCDBParse.h"
#include "shell/ShellFixtures.h"
#include "ui/CoordInputDialog.h"
#include "ui/EditCacheDialog.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class EditCacheView : public test::ImportViewTest {
protected:
    void SetUp() override {
        ImportViewTest::SetUp();
        ctx().settings.CacheDBPrimary = 3;
        stored = world().record(0);
        stored.Difficulty = "2,5";  // as some older databases have it
        home.dir.write("Caches.bin", test::cacheDatabase({stored, world().record(1)}));
        model = std::make_unique<TfrmEditCache>(ctx());
    }
    TCacheRec find(const std::string& waypoint) {
        TCacheRec rec;
        EXPECT_TRUE(FindCache(ctx(), waypoint, rec)) << waypoint;
        return rec;
    }
    TCacheRec stored;
    std::unique_ptr<TfrmEditCache> model;
};

TEST_F(EditCacheView, SearchShowsTheRecordAndSaveWritesItBack) {
    model->open(TCacheRec{}, true);
    EditCacheDialog dialog(*model, ctx());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cache editieren"));
    // The empty form.
    EXPECT_EQ(dialog.idLabel()->text(), QStringLiteral("n/a"));
    EXPECT_EQ(dialog.typeChoice()->currentText(), QStringLiteral("Traditional Cache"));
    EXPECT_EQ(dialog.sizeChoice()->currentText(), QString());
    EXPECT_EQ(dialog.difficultyChoice()->currentIndex(), -1);
    EXPECT_EQ(dialog.countryChoice()->currentText(), qs(ctx().countries.byNumber(3)->DB_CNameDE));
    EXPECT_EQ(dialog.hiddenDate()->date(), QDate(2000, 1, 1));
    EXPECT_FALSE(dialog.eraseButton()->isEnabled());
    EXPECT_TRUE(dialog.searchField()->isEnabled());
    EXPECT_TRUE(dialog.waypointField()->isEnabled());

    QTest::keyClicks(dialog.searchField(), QString::fromStdString(stored.Waypoint).toLower());
    EXPECT_EQ(dialog.searchField()->text(), qs(stored.Waypoint));
    QTest::mouseClick(dialog.searchButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.nameField()->text(), qs(stored.CacheName));
    EXPECT_EQ(dialog.idLabel()->text(), QString::number(stored.CacheID));
    EXPECT_EQ(dialog.waypointField()->text(), qs(stored.Waypoint));
    EXPECT_EQ(dialog.difficultyChoice()->currentText(), QStringLiteral("2.5"));
    EXPECT_EQ(dialog.terrainChoice()->currentText(), qs(stored.Terrain));
    EXPECT_EQ(dialog.coordLabel()->text().isEmpty(), false);
    EXPECT_TRUE(dialog.eraseButton()->isEnabled());
    test::screenshot(&dialog, "edit_cache_search");

    dialog.nameField()->selectAll();
    QTest::keyClicks(dialog.nameField(), QString::fromUtf8("Neuer Name am Fluß"));
    dialog.terrainChoice()->setCurrentIndex(9);
    emit dialog.terrainChoice()->activated(9);
    dialog.hiddenDate()->setDate(QDate(2004, 7, 3));
    QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);

    EXPECT_EQ(host.textsOf(MsgKind::Information),
              std::vector<std::string>{"Cachebeschreibung wurde in der Datenbank ge\xE4ndert."});
    const TCacheRec saved = find(stored.Waypoint);
    EXPECT_EQ(saved.CacheName, "Neuer Name am Flu\xDF");
    EXPECT_EQ(saved.Difficulty, "2.5");
    EXPECT_EQ(saved.Terrain, "5");
    EXPECT_EQ(saved.HiddenDate, encodeDate(2004, 7, 3));
    EXPECT_EQ(saved.CacheID, stored.CacheID);
    EXPECT_EQ(home.dir.read("Caches.bin").size(), 2 * kCacheRecSize);
    // The form is empty again.
    EXPECT_EQ(dialog.nameField()->text(), QString());
    EXPECT_FALSE(dialog.eraseButton()->isEnabled());
    EXPECT_FALSE(dialog.isHidden());
}

TEST_F(EditCacheView, NewCacheWithCoordinatesFromTheInputDialog) {
    model->open(TCacheRec{}, true);
    EditCacheDialog dialog(*model, ctx());
    dialog.show();
    QTest::mouseClick(dialog.newButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.sizeChoice()->currentText(), QStringLiteral("Regular"));
    EXPECT_EQ(dialog.difficultyChoice()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(dialog.terrainChoice()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(dialog.hiddenDate()->date(), QDate(2006, 12, 8));

    QTest::keyClicks(dialog.nameField(), QStringLiteral("Handarbeit"));
    QTest::keyClicks(dialog.waypointField(), QStringLiteral("gcneu1"));
    EXPECT_EQ(dialog.waypointField()->text(), QStringLiteral("GCNEU1"));
    bool coordDialog = false;
    onModal(50, [&](QWidget* w) {
        auto* input = qobject_cast<CoordInputDialog*>(w);
        coordDialog = input != nullptr;
        if (!input) return;
        for (auto [box, text] :
             {std::pair{CoordBox::LatDecimal, "49.12345"}, {CoordBox::LonDecimal, "10.5"}}) {
            input->box(box)->selectAll();
            QTest::keyClicks(input->box(box), QString::fromLatin1(text));
        }
        QTest::mouseClick(input->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(dialog.coordButton(), Qt::LeftButton);
    EXPECT_TRUE(coordDialog);
    EXPECT_EQ(dialog.coordLabel()->text().isEmpty(), false);
    test::screenshot(&dialog, "edit_cache_new");
    QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);

    EXPECT_EQ(host.textsOf(MsgKind::Information),
              std::vector<std::string>{"Cache wurde der Datenbank hinzugef\xFCgt."});
    const TCacheRec added = find("GCNEU1");
    EXPECT_EQ(added.CacheName, "Handarbeit");
    EXPECT_NEAR(added.Lat, 49.12345, 1e-9);
    EXPECT_NEAR(added.Lon, 10.5, 1e-9);
    EXPECT_EQ(added.CacheSize, "Regular");
    EXPECT_EQ(added.CountryID, ctx().countries.byNumber(3)->DB_CountryID);
    EXPECT_EQ(added.CacheID, 0);
}

TEST_F(EditCacheView, MissingDataIsRefusedAndEraseAsksFirst) {
    model->open(TCacheRec{}, true);
    EditCacheDialog dialog(*model, ctx());
    dialog.show();
    QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
    ASSERT_EQ(host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_EQ(host.textsOf(MsgKind::Error)[0].rfind("Der Cache kann nicht gespeichert werden", 0), 0u);

    QTest::keyClicks(dialog.searchField(), QStringLiteral("GCNICHTDA"));
    QTest::mouseClick(dialog.searchButton(), Qt::LeftButton);
    EXPECT_EQ(host.textsOf(MsgKind::Error).back(),
              "Ein Cache mit dem angegebenen Waypoint ist in der Datenbank nicht verzeichnet.");

    dialog.searchField()->clear();
    QTest::keyClicks(dialog.searchField(), qs(stored.Waypoint));
    QTest::mouseClick(dialog.searchButton(), Qt::LeftButton);
    host.answerNext(MsgResult::Yes);
    QTest::mouseClick(dialog.eraseButton(), Qt::LeftButton);
    EXPECT_EQ(host.messages.back().kind, MsgKind::Warning);
    EXPECT_EQ(host.messages.back().text.rfind("Warnung! Durch diese Aktion wird der Cache: \r\n\"", 0), 0u);
    TCacheRec gone;
    EXPECT_FALSE(FindCache(ctx(), stored.Waypoint, gone));
    EXPECT_EQ(dialog.searchField()->text(), QString());
    EXPECT_FALSE(dialog.eraseButton()->isEnabled());
}

TEST_F(EditCacheView, FixedModeKeepsTheWaypointAndClosesAfterSaving) {
    TCacheRec handed;
    handed.Waypoint = "GCFEST";
    bool searchUsable = true, waypointUsable = true;
    QString searchText;
    bool closedBySave = false;
    TCacheRec result;
    onModal(50, [&](QWidget* w) {
        auto* dialog = qobject_cast<EditCacheDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        searchUsable = dialog->searchField()->isEnabled() || dialog->searchButton()->isEnabled();
        waypointUsable = dialog->waypointField()->isEnabled();
        searchText = dialog->searchField()->text();
        test::screenshot(dialog, "edit_cache_fixed");
        QTest::mouseClick(dialog->newButton(), Qt::LeftButton);  // keeps the handed waypoint
        QTest::keyClicks(dialog->nameField(), QStringLiteral("Von der Arbeitsliste"));
        onModal(50, [](QWidget* c) {
            if (auto* input = qobject_cast<CoordInputDialog*>(c)) {
                for (auto [box, text] :
                     {std::pair{CoordBox::LatDecimal, "50.25"}, {CoordBox::LonDecimal, "8.75"}}) {
                    input->box(box)->selectAll();
                    QTest::keyClicks(input->box(box), QString::fromLatin1(text));
                }
                QTest::mouseClick(input->okButton(), Qt::LeftButton);
            }
        });
        QTest::mouseClick(dialog->coordButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->saveButton(), Qt::LeftButton);
        closedBySave = !dialog->isVisible();
        if (!closedBySave) dialog->reject();
    });
    QWidget over;
    over.resize(800, 600);
    over.show();
    result = editCache(ctx(), handed, false, &over);

    EXPECT_TRUE(closedBySave);
    EXPECT_FALSE(searchUsable);
    EXPECT_FALSE(waypointUsable);
    EXPECT_EQ(searchText, QStringLiteral("GCFEST"));
    EXPECT_EQ(result.Waypoint, "GCFEST");
    EXPECT_EQ(result.CacheName, "Von der Arbeitsliste");
    EXPECT_NEAR(result.Lat, 50.25, 1e-9);
    EXPECT_EQ(find("GCFEST").CacheName, "Von der Arbeitsliste");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace vellora
