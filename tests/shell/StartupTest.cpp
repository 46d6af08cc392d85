#include "shell/Startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "core/Settings.h"
#include "shell/ShellFixtures.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// Runs the sequence with hooks that note what they were asked to do.
class Startup : public ::testing::Test {
protected:
    // A home that has run before (its vellora.conf exists), clock at the given date 10:00.
    void secondStart(int year, int month, int day) {
        home.restart();
        setToday(year, month, day);
    }
    void setToday(int year, int month, int day) {
        home.ctx().clock = [=] { return encodeDateTime({year, month, day, 10, 0, 0}); };
    }
    void writeDatabase(int daysOld) {
        home.dir.write("Caches.bin", test::cacheDatabase({test::cacheRecord("GC1234")}));
        const TDateTime today = home.ctx().now();
        ASSERT_TRUE(test::setFileModified(home.workFile("Caches.bin"), today - daysOld - 0.3));
    }
    StartupHooks hooks() {
        StartupHooks h;
        h.showSplash = [this] { calls.push_back("splash"); };
        h.hideErrortracker = [this] { calls.push_back("hide errortracker"); };
        h.runSettingsDialog = [this] {
            calls.push_back("settings");
            const bool ok = settingsAnswers.empty() ? true : settingsAnswers.front();
            if (!settingsAnswers.empty()) settingsAnswers.erase(settingsAnswers.begin());
            if (ok) {
                home.ctx().settings.SettingsConfirmed = true;
                saveSettings(home.ctx());
            } else {
                loadSettings(home.ctx(), 600);
                home.ctx().settings.SettingsConfirmed = false;
            }
        };
        h.applyTooltips = [this] { calls.push_back("tooltips"); };
        h.readCacheDB = [this] { calls.push_back("read db"); };
        h.refreshStatus = [this] { calls.push_back("status"); };
        h.showGreeting = [this] { calls.push_back("greeting"); };
        return h;
    }
    void run() {
        StartupSequence seq(home.ctx(), hooks());
        seq.run();
        EXPECT_TRUE(seq.started());
        seq.run();  // a later tick does nothing
        home.host.expectScriptUsed();
    }
    bool called(const std::string& what) const {
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }

    test::TestHome home;
    std::vector<std::string> calls;
    std::vector<bool> settingsAnswers;
};

TEST_F(Startup, FirstStartProposesAnOutputDirectoryAndRepeatsTheSettingsUntilOk) {
    ASSERT_FALSE(home.ctx().configExisted);
    setToday(2006, 12, 18);  // a first start never greets
    settingsAnswers = {false, false, true};
    home.host.answerNext(MsgResult::No);  // no database: do not download
    run();

    const auto& m = home.host.messages;
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].kind, MsgKind::Information);
    EXPECT_EQ(m[0].text, kFirstStartInfo);
    EXPECT_EQ(m[1].kind, MsgKind::Warning);
    EXPECT_EQ(m[1].text, kConfirmSettingsOnce);
    EXPECT_EQ(m[2].text, kConfirmSettingsOnce);
    EXPECT_EQ(m[3].kind, MsgKind::Confirmation);
    EXPECT_EQ(m[3].text, kNoDatabaseQuestion);
    EXPECT_EQ(calls, (std::vector<std::string>{"hide errortracker", "splash", "settings", "settings",
                                               "settings", "tooltips"}));

    const std::string out = home.dir.path() + "/ausgabe";
    EXPECT_TRUE(dirExists(out));
    EXPECT_FALSE(fileExists(out + "/testfile"));
    EXPECT_EQ(home.ctx().settings.OutDir, out);
    EXPECT_EQ(home.ctx().outDirPath(), out + "/");
    EXPECT_TRUE(home.ctx().settings.ShowMessages);
    EXPECT_TRUE(home.ctx().settings.ShowTooltips);
    home.restart();
    EXPECT_EQ(home.ctx().settings.OutDir, out);  // saved by the confirmed dialog
}

TEST_F(Startup, FirstStartWhereTheOutputDirectoryCannotBeMade) {
    home.dir.write("ausgabe", "a file in the way");
    home.host.answerNext(MsgResult::No);
    run();
    EXPECT_EQ(home.ctx().settings.OutDir, home.dir.path());
    EXPECT_EQ(firstStartOutputDir(home.dir.path()), "");
}

TEST_F(Startup, MissingDatabaseOffersTheDownload) {
    secondStart(2006, 12, 20);
    home.host.answerNext(MsgResult::Yes);
    run();
    EXPECT_EQ(calls,
              (std::vector<std::string>{"hide errortracker", "splash", "tooltips", "read db", "status"}));
    EXPECT_EQ(home.ctx().settings.LXM, 0);  // no greeting without a database
}

TEST_F(Startup, AgeReminder) {
    struct Case {
        int interval, daysOld;
        bool asked;
    } cases[] = {{7, 7, true},     {7, 6, false},   {1, 1, true},  {1, 0, false},
                 {-1, 400, false}, {0, 400, false}, {28, 30, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.interval) + " days, " + std::to_string(c.daysOld) + " old");
        secondStart(2006, 12, 8);
        calls.clear();
        home.host.messages.clear();
        home.ctx().settings.DBAutoloadInterval = c.interval;
        writeDatabase(c.daysOld);
        if (c.asked) home.host.answerNext(MsgResult::No);
        run();
        ASSERT_EQ(home.host.messages.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(home.host.messages[0].text, databaseAgeQuestion(c.daysOld));
        }
        EXPECT_TRUE(called("status"));
        EXPECT_FALSE(called("read db"));
    }
}

TEST_F(Startup, AgeReminderTextAndYes) {
    EXPECT_EQ(
        databaseAgeQuestion(7),
        "Alter der Cache-Datenbank: 7 Tage.\r\nLaut den Grundeinstellungen sollte die Cache-Datenbank neu "
        "geladen werden. Soll dies jetzt geschehen?\r\n(Diese Erinnerungsmeldung kann in den Optionen unter "
        "\"Internet+Cache-DB\" deaktiviert werden, indem \"Cache-DB Update-Erinnerung\" auf \"nie "
        "erinnern\" gesetzt wird.)");
    secondStart(2006, 12, 8);
    home.ctx().settings.DBAutoloadInterval = 7;
    writeDatabase(10);
    home.host.answerNext(MsgResult::Yes);
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"hide errortracker", "splash", "tooltips", "status", "read db",
                                               "status"}));
}

TEST_F(Startup, SeasonalGreeting) {
    struct Case {
        int month, day, lxm;
        bool greets;
    } cases[] = {{12, 18, 2005, true},  {12, 30, 0, true},     {12, 17, 2005, false},
                 {12, 31, 2005, false}, {12, 24, 2006, false}, {11, 24, 2005, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.day) + "." + std::to_string(c.month) + " LXM " + std::to_string(c.lxm));
        secondStart(2006, c.month, c.day);
        calls.clear();
        home.ctx().settings.LXM = c.lxm;
        saveSettings(home.ctx());
        writeDatabase(0);
        run();
        EXPECT_EQ(called("greeting"), c.greets);
        home.restart();
        EXPECT_EQ(home.ctx().settings.LXM, c.greets ? 2006 : c.lxm);
    }
}

TEST_F(Startup, ImplausibleDatabaseAsksAndSkipsTheGreeting) {
    secondStart(2006, 12, 20);
    home.dir.write("Caches.bin", test::cacheDatabase({test::cacheRecord("OC1234")}));
    home.host.answerNext(MsgResult::No);
    run();
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_FALSE(called("status"));
    EXPECT_FALSE(called("greeting"));
}

TEST_F(Startup, DeveloperModeHasNoSplash) {
    secondStart(2006, 12, 8);
    home.dir.write("QUIRL", "");
    writeDatabase(0);
    run();
    EXPECT_FALSE(called("splash"));
    EXPECT_FALSE(called("hide errortracker"));
}

}  // namespace
}  // namespace vellora
