// The download window and the conversion's progress window as the cache database commands drive
// them, against the stand-in server.
#include <fcntl.h>
#include <unistd.h>

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ImportViewFixture.h"
#include "core/FileUtil.h"
#include "import/GCDBReader.h"
#include "sim/CacheDbFiles.h"
#include "ui/CacheDBLoadDialog.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/ConvertProgressDialog.h"
#include "ui/ImportCommands.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

// The lines the converter reads from a country file.
int countryFileLines(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return -1;
    TCacheDBLineReader reader(fd);
    std::string line;
    int lines = 0;
    while (reader.next(line) == TCacheDBLineReader::Status::Line) ++lines;
    ::close(fd);
    return lines;
}

class CacheDBViews : public test::ImportViewTest {
protected:
    void SetUp() override {
        ImportViewTest::SetUp();
        auto& s = ctx().settings;
        s.CacheDBPrimary = 3;
        s.UseZippedDB = true;
        s.UseCacheDB.fill(0);
        main.resize(1000, 700);
        main.show();
        imports = std::make_unique<ImportCommands>(
            ctx(), &main, [this] { ++refreshed; }, [] {});
    }
    void TearDown() override {
        imports.reset();
        ImportViewTest::TearDown();
    }
    CacheDBLoadDialog& load() { return *imports->loadDialog(); }
    ConvertProgressDialog& convert() { return *imports->convertDialog(); }
    bool progressBegunOnHost(const std::string& prefix) const {
        for (const std::string& entry : host.progressLog)
            if (entry.rfind("begin " + prefix, 0) == 0) return true;
        return false;
    }

    QWidget main;
    std::unique_ptr<ImportCommands> imports;
    int refreshed = 0;
};

TEST_F(CacheDBViews, PrimaryDownloadShowsItsBytesThenTheConversionCountsItsLines) {
    sim().addFault("/cachedb/gc_germany.txt.zip", sim::FaultKind::Slow, 1, 1500);
    struct {
        bool visible = false, abortUsable = false;
        QString subTask;
        int barMax = 0, barValue = 0;
    } during;
    QTimer::singleShot(600, [&] {
        during.visible = load().isVisible();
        during.abortUsable = load().abortButton()->isVisible() && load().abortButton()->isEnabled();
        during.subTask = load().subTaskLabel()->text();
        during.barMax = load().transferBar()->maximum();
        during.barValue = load().transferBar()->value();
        test::screenshot(&load(), "cachedb_download");
    });
    struct {
        bool visible = false;
        QString count;
    } converting;
    host.onMessage = [&](MsgKind kind, const std::string&) {
        if (kind != MsgKind::Information || converting.visible) return;
        converting.visible = convert().isVisible();
        converting.count = convert().countLabel()->text();
        test::screenshot(&convert(), "cachedb_convert");
    };

    imports->readCacheDB();

    const std::int64_t zipSize = static_cast<std::int64_t>(fileSize(home.workFile("db.tmp.zip")).value_or(0));
    ASSERT_GT(zipSize, 0);
    EXPECT_TRUE(during.visible);
    EXPECT_TRUE(during.abortUsable);
    EXPECT_TRUE(during.subTask.startsWith(QStringLiteral("Binary: http://"))) << during.subTask.toStdString();
    EXPECT_EQ(during.barMax, zipSize);
    EXPECT_LE(during.barValue, during.barMax);

    EXPECT_FALSE(load().isVisible());
    EXPECT_EQ(load().windowTitle(), QStringLiteral("Laden vom Internet"));
    EXPECT_EQ(load().taskLabel()->text(), QStringLiteral("Lade Cache-DB"));
    EXPECT_EQ(load().contentLabel()->text(),
              QStringLiteral("Die Cache-Datenbank wird vom Internet geladen..."));
    ASSERT_EQ(load().protocol()->count(), 2);
    EXPECT_TRUE(load().protocol()->item(0)->text().startsWith(QStringLiteral("Ladevorgang gestartet um ")));
    EXPECT_TRUE(load().protocol()->item(1)->text().startsWith(QStringLiteral("Ladevorgang beendet um ")));
    EXPECT_EQ(load().lastTotal(), zipSize);
    EXPECT_EQ(load().lastCount(), zipSize);
    EXPECT_EQ(load().transferBar()->value(), 0);
    EXPECT_EQ(load().subTaskLabel()->text(), QString());

    const int lines = countryFileLines(home.workFile("gc_germany.txt"));
    ASSERT_GT(lines, 100);
    EXPECT_TRUE(converting.visible);
    EXPECT_EQ(converting.count, QString::number(lines));
    EXPECT_FALSE(convert().isVisible());
    EXPECT_EQ(convert().windowTitle(), QStringLiteral("Cache-DB einlesen / konvertieren"));
    EXPECT_EQ(convert().headingLabel()->text(), QStringLiteral("Cache-Datenbank wird eingelesen."));
    EXPECT_EQ(convert().sourceLabel()->toolTip(), qPath(home.workFile("gc_germany.txt")));
    EXPECT_EQ(convert().targetLabel()->toolTip(), qPath(home.workFile("Caches.bin")));
    EXPECT_EQ(convert().highestCount(), lines);

    // The progress went to the two windows, not to the wait window.
    EXPECT_FALSE(progressBegunOnHost("Binary: "));
    EXPECT_FALSE(progressBegunOnHost(TfrmGCDBReader::kConvertHeading));
    EXPECT_EQ(host.textsOf(MsgKind::Information).at(0).rfind("gc_germany.txt:\r\n", 0), 0u);
    EXPECT_TRUE(home.dir.exists("Caches.bin"));
    EXPECT_TRUE(home.dir.exists("Caches.idx"));
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CacheDBViews, MergeAsksForTheNearestNewCacheAndShowsItOverTheProgressWindow) {
    home.dir.write("gc_austria.txt", sim::countryFileText(world(), 0));
    ctx().settings.CacheDBPrimary = 1;
    imports->convertLocalCacheDB();
    const std::string austria = home.dir.read("Caches.bin");
    ASSERT_FALSE(austria.empty());

    ctx().settings.CacheDBPrimary = 3;
    struct {
        bool visible = false;
        QString heading;
        std::int64_t records = 0;
        int barMax = -1;
    } asked;
    bool detailsShown = false;
    QWidget* detailsParent = nullptr;
    host.onMessage = [&](MsgKind kind, const std::string&) {
        if (kind != MsgKind::Confirmation) return;
        asked.visible = convert().isVisible();
        asked.heading = convert().headingLabel()->text();
        asked.records = convert().mergeRecords();
        asked.barMax = convert().progressBar()->maximum();
        test::screenshot(&convert(), "cachedb_merge");
        onModal(100, [&](QWidget* w) {
            detailsShown = qobject_cast<CacheDetailsDialog*>(w) != nullptr;
            detailsParent = w ? w->parentWidget() : nullptr;
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        });
    };
    host.answerNext(MsgResult::Yes);
    imports->readCacheDB();

    EXPECT_TRUE(asked.visible);
    EXPECT_EQ(asked.heading, QString::fromUtf8("Cache-Datenbanken werden zusammengeführt."));
    EXPECT_GT(asked.records, 0);
    EXPECT_EQ(asked.barMax, asked.records);
    EXPECT_TRUE(detailsShown);
    EXPECT_EQ(detailsParent, &convert());
    const auto questions = host.textsOf(MsgKind::Confirmation);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].ends_with("Detailansicht dieses Caches zeigen?"));
    EXPECT_GT(home.dir.read("Caches.bin").size(), austria.size());
}

TEST_F(CacheDBViews, AbortOfASlowDownloadEndsTheCommandWithoutConverting) {
    sim().addFault("/cachedb/gc_germany.txt.zip", sim::FaultKind::Slow, 1, 6000);
    bool abortUsable = false;
    QTimer::singleShot(500, [&] {
        abortUsable = load().abortButton()->isVisible() && load().abortButton()->isEnabled();
        QTest::mouseClick(load().abortButton(), Qt::LeftButton);
    });
    imports->readCacheDB();

    EXPECT_TRUE(abortUsable);
    EXPECT_FALSE(load().isVisible());
    EXPECT_FALSE(load().downloading());
    EXPECT_LT(load().lastCount(), load().lastTotal());
    const auto lines =
        load().protocol()->findItems(QStringLiteral("*** Abbruch durch Benutzer ***"), Qt::MatchExactly);
    EXPECT_EQ(lines.size(), 1);
    EXPECT_TRUE(host.messages.empty());  // an abort is no failure to report
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
    EXPECT_FALSE(home.dir.exists("gc_germany.txt"));
    EXPECT_EQ(refreshed, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The next download is not aborted by this one's click.
    imports->readCacheDB();
    EXPECT_TRUE(home.dir.exists("Caches.bin"));
}

TEST_F(CacheDBViews, AdditionalDownloadsRunWithoutAbortButtonAndSumUp) {
    for (int n : {1, 2, 3}) ctx().settings.UseCacheDB[static_cast<std::size_t>(n - 1)] = 1;  // 3: primary
    int shown = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (load().isVisible()) {
            ++shown;
            EXPECT_TRUE(load().abortButton()->isHidden());
        }
    });
    poll.start(5);
    sim().addFault("/cachedb/gc_austria.txt.zip", sim::FaultKind::Slow, 1, 300);
    imports->readAdditionalCacheDBs();
    poll.stop();

    EXPECT_GT(shown, 0);
    EXPECT_TRUE(load().abortButton()->isHidden());
    const auto infos = host.textsOf(MsgKind::Information);
    ASSERT_FALSE(infos.empty());
    EXPECT_EQ(infos.back().rfind(
                  "Folgende neuen Caches wurden in die Datenbank geladen: \r\ngc_austria.txt: 0 Caches"
                  "\r\ngc_switzerland.txt: ",
                  0),
              0u);
    EXPECT_EQ(refreshed, 2);
}

TEST_F(CacheDBViews, FailedDownloadIsReportedAndNothingIsConverted) {
    sim().addFault("/cachedb/gc_germany.txt.zip", sim::FaultKind::NotFound, 1);
    bool converting = false;
    host.onMessage = [&](MsgKind, const std::string&) { converting = converting || convert().isVisible(); };
    imports->readCacheDB();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(host.messages[0].text.rfind("Folgende Ladeoperation vom Internet ist fehlgeschlagen:", 0), 0u);
    EXPECT_FALSE(converting);
    EXPECT_FALSE(load().isVisible());
    EXPECT_FALSE(home.dir.exists("Caches.bin"));
}

}  // namespace
}  // namespace vellora
