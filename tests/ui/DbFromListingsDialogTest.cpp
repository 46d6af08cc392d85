// The dialog "Datenbank aus Cachebeschreibungen befüllen" over listing pages of the stand-in site.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>

#include "ImportViewFixture.h"
#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "net/LoadURL.h"
#include "ui/DbFromListingsDialog.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class DbFromListingsView : public test::ImportViewTest {
protected:
    void SetUp() override {
        ImportViewTest::SetUp();
        // Two pages the reader takes and, last, one whose name span it does not know (the site
        // writes some span IDs with apostrophes).
        int readable = 0, unreadable = 0;
        for (int i = 0; i < world().size() && (readable < 2 || unreadable < 1); ++i) {
            if (world().archived(i)) continue;
            const std::string page = fetchPage(i);
            const bool plain = page.find("<span id=\"CacheName\">") != std::string::npos;
            if (plain ? readable >= 2 : unreadable >= 1) continue;
            (plain ? readable : unreadable)++;
            pages.push_back(page);
            waypoints.push_back(world().waypoint(i));
            indexes.push_back(i);
        }
        ASSERT_EQ(waypoints.size(), 3u);
        if (pages[2].find("<span id=\"CacheName\">") != std::string::npos) {
            std::rotate(pages.begin(), pages.begin() + 1, pages.end());  // keep the unreadable one last
            std::rotate(waypoints.begin(), waypoints.begin() + 1, waypoints.end());
            std::rotate(indexes.begin(), indexes.begin() + 1, indexes.end());
        }
    }
    // The listing page as the loader gets it.
    std::string fetchPage(int index) {
        THttpClient client(host, kLoaderClient);
        return client.getText(sim().baseUrl() + "/seek/cache_details.aspx?wp=" + world().waypoint(index) +
                              "&Submit6=Find&log=y");
    }
    // Saved as the loader saves it: lines ended with CR LF.
    void savePage(std::size_t k, const std::string& dir) {
        std::string text;
        for (const std::string& line : splitTextLines(pages[k])) text += line + "\r\n";
        ASSERT_EQ(writeFileAtomic(dir + waypoints[k] + ".html", text), 0);
    }
    std::vector<std::string> pages, waypoints;
    std::vector<int> indexes;
};

TEST_F(DbFromListingsView, NewCachesGoIntoTheDatabaseAndTheWorkList) {
    const std::string out = ctx().outDirPath();
    for (std::size_t k = 0; k < 3; ++k) savePage(k, out);
    home.dir.write(waypoints[0] + "_converted.html", "<html></html>");
    TCacheRec present = world().record(indexes[1]);
    home.dir.write("Caches.bin", encodeCacheRec(present));
    home.dir.write("WPList.txt", "GC0\r\n");

    DbFromListingsDialog dialog(ctx());
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Datenbank aus Cachebeschreibungen befüllen"));
    EXPECT_TRUE(dialog.outputDirButton()->isChecked());
    EXPECT_FALSE(dialog.otherDirButton()->isChecked());
    EXPECT_TRUE(dialog.skipButton()->isChecked());
    EXPECT_TRUE(dialog.workListBox()->isChecked());
    EXPECT_EQ(dialog.workListBox()->text(), QString::fromUtf8("Neue Caches zu Arbeitsliste hinzufügen"));
    EXPECT_TRUE(dialog.startButton()->isEnabled());
    EXPECT_TRUE(dialog.closeButton()->isEnabled());
    dialog.show();

    // While the run goes on, the options stay as they are and the window cannot be closed.
    bool optionsLocked = true, buttonsLocked = true, busy = true;
    int polls = 0;
    const int before = host.processEventsCalls;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (host.processEventsCalls == before) return;
        ++polls;
        optionsLocked = optionsLocked && !dialog.workListBox()->isEnabled() &&
                        !dialog.skipButton()->isEnabled() && !dialog.browseButton()->isEnabled();
        buttonsLocked =
            buttonsLocked && !dialog.startButton()->isEnabled() && !dialog.closeButton()->isEnabled();
        busy = busy && dialog.busyBar()->maximum() == 0;
    });
    poll.start(0);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    poll.stop();

    EXPECT_GT(polls, 0);
    EXPECT_TRUE(optionsLocked);
    EXPECT_TRUE(buttonsLocked);
    EXPECT_TRUE(busy);
    QStringList lines;
    for (int i = 0; i < dialog.protocol()->count(); ++i) lines << dialog.protocol()->item(i)->text();
    ASSERT_EQ(lines.size(), 7);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(lines[k], qs(waypoints[static_cast<std::size_t>(k)]));
    EXPECT_TRUE(lines[3].startsWith(qs(waypoints[0] + ": ")) && lines[3].endsWith(QStringLiteral(" (Neu)")));
    EXPECT_EQ(lines[4], qs(waypoints[1] + ": bereits vorhanden, wird \xFC"
                                          "bersprungen"));
    EXPECT_EQ(lines[5], qs(waypoints[2] + ": Fehler beim Extrahieren der Daten"));
    EXPECT_EQ(lines[6].toStdString(),
              "Fertig. 1 neu, 1 \xC3\xBC"
              "bersprungen, 0 ge\xC3\xA4ndert.");
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    EXPECT_TRUE(dialog.closeButton()->isEnabled());
    EXPECT_TRUE(dialog.workListBox()->isEnabled());
    EXPECT_EQ(dialog.busyBar()->maximum(), 1);
    test::screenshot(&dialog, "db_from_listings");

    EXPECT_EQ(home.dir.read("WPList.txt"), "GC0\r\n" + waypoints[0] + "\r\n");
    EXPECT_EQ(home.dir.read("Caches.bin").size(), 2 * kCacheRecSize);
    TCacheRec found;
    ASSERT_TRUE(FindCache(ctx(), waypoints[0], found));
    EXPECT_NEAR(found.Lat, world().record(indexes[0]).Lat, 1e-5);
    QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(DbFromListingsView, AnotherDirectoryIsChosenOrTypedAndUpdatesChangedCaches) {
    const std::string other = home.dir.file("saved") + "/";
    makeDirs(other);
    savePage(0, other);
    TCacheRec stale = world().record(indexes[0]);
    stale.CacheName = "Veralteter Name";
    home.dir.write("Caches.bin", encodeCacheRec(stale));

    DbFromListingsDialog dialog(ctx());
    dialog.show();
    // Without a directory there is nothing to search.
    dialog.otherDirButton()->click();
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(host.textsOf(MsgKind::Error), std::vector<std::string>{"Kein Suchverzeichnis festgelegt."});
    EXPECT_TRUE(dialog.startButton()->isEnabled());

    host.answerNextFolder(home.dir.file("saved"));
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    ASSERT_FALSE(host.dialogs.empty());
    EXPECT_EQ(host.dialogs.back().title, "Bitte Verzeichnis ausw\xE4hlen");
    EXPECT_EQ(dialog.directoryField()->text(), qPath(home.dir.file("saved")));
    EXPECT_TRUE(dialog.otherDirButton()->isChecked());
    dialog.updateButton()->click();
    dialog.workListBox()->click();
    EXPECT_FALSE(dialog.model().addToWorkList);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);

    const auto last = dialog.protocol()->item(dialog.protocol()->count() - 1)->text();
    EXPECT_EQ(last.toStdString(),
              "Fertig. 0 neu, 0 \xC3\xBC"
              "bersprungen, 1 ge\xC3\xA4ndert.");
    EXPECT_FALSE(home.dir.exists("WPList.txt"));
    TCacheRec updated;
    ASSERT_TRUE(FindCache(ctx(), waypoints[0], updated));
    EXPECT_NE(updated.CacheName, "Veralteter Name");

    // A typed directory without pages.
    dialog.directoryField()->clear();
    QTest::keyClicks(dialog.directoryField(), qPath(home.dir.file("")));
    EXPECT_EQ(dialog.model().otherDirectory, home.dir.file(""));
}

}  // namespace
}  // namespace vellora
