#include "core/SettingsDialog.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/FileUtil.h"
#include "support/TestHome.h"

using namespace vellora;
using vellora::test::TestHome;

namespace {

const std::string kSameDirsTail =
    " Das Ausgabe- und das Arbeitsverzeichnis sind gleich. Dies kann zu unerwarteten Effekten beim Arbeiten "
    "mit "
    "dem Programm f\xFChren.\r\nUm dies zu vermeiden, kann der Einstellungs-Dialog erst dann mit OK beendet "
    "werden, wenn unterschiedliche Ausgabe- und Arbeitsverzeichnisse ausgew\xE4hlt wurden.";

struct SettingsDialogTest : ::testing::Test {
    TestHome home;
    RunContext& ctx = home.ctx();
};

TEST_F(SettingsDialogTest, EqualDirectoriesWarnOnBrowsingAndBlockOk) {
    SettingsDialogModel dlg(ctx, 600);
    ASSERT_EQ(dlg.workDir, dlg.outDir);  // the first start's defaults
    home.host.answerNextFolder(std::nullopt);
    dlg.browseWorkDir();  // the check also runs when the chooser was cancelled
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(home.host.messages[0].text, "Warnung!" + kSameDirsTail);
    EXPECT_EQ(home.host.dialogs.back().title, "Bitte Verzeichnis ausw\xE4hlen");
    EXPECT_EQ(home.host.dialogs.back().startDir, home.dir.path());

    EXPECT_FALSE(dlg.accept());
    EXPECT_EQ(home.host.messages.back().kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages.back().text, "Fehler!" + kSameDirsTail);
    EXPECT_FALSE(ctx.settings.SettingsConfirmed);

    home.host.answerNextFolder(home.dir.path() + "/out");
    dlg.browseOutDir();
    EXPECT_EQ(home.host.messages.size(), 2u);  // no new warning
    EXPECT_TRUE(dlg.accept());
    EXPECT_TRUE(ctx.settings.SettingsConfirmed);
    // Inside the home, the directory is stored relative to it.
    EXPECT_EQ(ctx.programConf().readString("Program", "OutDir", ""), "out");
    EXPECT_EQ(ctx.settings.OutDir, home.dir.path() + "/out");
}

// A directory the program cannot create or write is refused on OK with the system's reason; one
// that does not exist yet is created.
TEST_F(SettingsDialogTest, OkRefusesDirectoriesThatCannotBeWritten) {
    home.dir.write("eine-datei", "x");
    const std::string blocked = home.dir.path() + "/eine-datei/unter";  // ENOTDIR, even for root
    struct Case {
        std::string work, out;
        std::string expectedStart;  // empty: accepted
    };
    const Case cases[] = {
        {home.dir.path(), blocked, "Das Ausgabeverzeichnis " + blocked + " kann nicht angelegt"},
        {blocked, home.dir.path() + "/out", "Das Arbeitsverzeichnis " + blocked + " kann nicht angelegt"},
        {home.dir.path(), home.dir.path() + "/neu/ausgabe", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        SettingsDialogModel dlg(ctx, 600);
        const std::string storedOut = ctx.programConf().readString("Program", "OutDir", "");
        dlg.workDir = c.work;
        dlg.outDir = c.out;
        home.host.messages.clear();
        const bool accepted = dlg.accept();
        EXPECT_EQ(accepted, c.expectedStart.empty());
        if (c.expectedStart.empty()) {
            EXPECT_TRUE(dirExists(c.out));
            EXPECT_TRUE(listFiles(c.out).empty());  // the probe is gone
            continue;
        }
        ASSERT_EQ(home.host.messages.size(), 1u);
        EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
        EXPECT_EQ(home.host.messages[0].text.rfind(c.expectedStart, 0), 0u) << home.host.messages[0].text;
        EXPECT_NE(home.host.messages[0].text.find(systemErrorText(ENOTDIR)), std::string::npos);
        EXPECT_EQ(ctx.programConf().readString("Program", "OutDir", ""), storedOut);  // nothing saved
    }
}

TEST_F(SettingsDialogTest, TemplateChooserHasItsTitleAndFilter) {
    SettingsDialogModel dlg(ctx, 600);
    home.host.answerNextOpen({"/tmp/mein.html"});
    dlg.browseTemplate();
    EXPECT_EQ(dlg.templateFile, "/tmp/mein.html");
    const FileDialogOptions& chooser = home.host.dialogs.back();
    EXPECT_EQ(chooser.title, "Template-Datei ausw\xE4hlen");
    ASSERT_EQ(chooser.filters.size(), 1u);
    EXPECT_EQ(chooser.filters[0].name, "HTML-Dateien");
    EXPECT_EQ(chooser.filters[0].patterns, "*.htm;*.html");
    EXPECT_EQ(chooser.startDir, ctx.workDirPath());
}

TEST_F(SettingsDialogTest, DatabaseListsAndReminder) {
    SettingsDialogModel dlg(ctx, 600);
    const auto items = dlg.countryItems();
    ASSERT_EQ(items.size(), static_cast<std::size_t>(ctx.countries.count()));
    EXPECT_EQ(items[2], "Deutschland (gc_germany.txt)");
    EXPECT_EQ(dlg.primaryIndex, 2);
    EXPECT_EQ(dlg.reminderIndex, 4);  // -1: "nie erinnern"

    struct Case {
        int days;
        int index;
    } cases[] = {{-1, 4}, {1, 0}, {7, 1}, {14, 2}, {28, 3}, {0, 0}, {5, 0}};
    for (const auto& c : cases) {
        ctx.settings.DBAutoloadInterval = c.days;
        EXPECT_EQ(SettingsDialogModel(ctx, 600).reminderIndex, c.index) << c.days;
    }

    ctx.settings.WorkDir = home.dir.path() + "/work";
    SettingsDialogModel ok(ctx, 600);
    ok.additionalChecked[0] = true;
    ok.additionalChecked[4] = true;
    ok.primaryIndex = 0;
    ok.reminderIndex = 2;
    ASSERT_TRUE(ok.accept());
    EXPECT_EQ(ctx.settings.CacheDBCount, 2);
    EXPECT_EQ(ctx.settings.UseCacheDB[0], 1);
    EXPECT_EQ(ctx.settings.UseCacheDB[4], 1);
    EXPECT_EQ(ctx.settings.CacheDBPrimary, 1);
    EXPECT_EQ(ctx.settings.DBAutoloadInterval, 14);
}

TEST_F(SettingsDialogTest, AdditionalHomes) {
    SettingsDialogModel dlg(ctx, 600);
    EXPECT_TRUE(dlg.addHome(47.5, 11.25, "Urlaub"));
    EXPECT_TRUE(dlg.addHome(51.0, 7.0, "alm"));
    EXPECT_FALSE(dlg.addHome(1, 1, ""));
    EXPECT_EQ(home.host.messages.back().text,
              "Kein Name f\xFCr das Koordinatenpaar angegeben - Eingabe wird verworfen!");
    EXPECT_FALSE(dlg.addHome(1, 1, "URLAUB"));
    EXPECT_EQ(home.host.messages.back().text,
              "Der vergebene Name f\xFCr das Koordinatenpaar existiert schon - Eingabe wird verworfen!");
    EXPECT_EQ(dlg.homeNames(), (std::vector<std::string>{"alm", "Urlaub"}));
    EXPECT_EQ(dlg.home(0).lat, "47.50000");
    EXPECT_EQ(dlg.home(0).lon, "11.25000");

    // Changing does not check the other names; an empty name changes nothing.
    EXPECT_FALSE(dlg.changeHome(1, 0, 0, ""));
    EXPECT_EQ(dlg.home(1).name, "alm");
    EXPECT_TRUE(dlg.changeHome(1, 52.5, 13.4, "Berlin"));
    EXPECT_EQ(dlg.homeIndexByName("Berlin"), 1);
    EXPECT_EQ(dlg.home(1).lat, "52.50000");
}

TEST_F(SettingsDialogTest, RemovingAHomeDeletesTheLastNumberedKeysAtOnce) {
    SettingsDialogModel dlg(ctx, 600);
    dlg.addHome(1, 2, "A");
    dlg.addHome(3, 4, "B");
    ctx.settings.WorkDir = home.dir.path() + "/w";
    dlg.workDir = ctx.settings.WorkDir;
    ASSERT_TRUE(dlg.accept());
    ASSERT_TRUE(ctx.programConf().valueExists("Program", "AddHomeTxt2"));

    SettingsDialogModel again(ctx, 600);
    again.removeHome(0);
    IniFile& ini = ctx.programConf();
    EXPECT_FALSE(ini.valueExists("Program", "AddHomeLat2"));
    EXPECT_FALSE(ini.valueExists("Program", "AddHomeLon2"));
    EXPECT_FALSE(ini.valueExists("Program", "AddHomeTxt2"));
    again.reject();  // the deletion stays, the list is reloaded from the file
    EXPECT_EQ(ctx.settings.AddHomeTxt, std::vector<std::string>{"A"});
}

TEST_F(SettingsDialogTest, CancelDiscardsEveryChange) {
    SettingsDialogModel dlg(ctx, 600);
    dlg.addHome(1, 2, "Neu");
    dlg.username = "x";
    dlg.reject();
    EXPECT_TRUE(ctx.settings.AddHomeTxt.empty());
    EXPECT_EQ(ctx.settings.Username, "");
    EXPECT_FALSE(ctx.settings.SettingsConfirmed);
}

TEST_F(SettingsDialogTest, NonNumericWidthKeepsTheDialogOpenAndSavesNothing) {
    ctx.settings.WorkDir = home.dir.path() + "/w";
    SettingsDialogModel dlg(ctx, 600);
    dlg.htmlMaxWidth = "12a";
    dlg.username = "nicht gespeichert";
    EXPECT_FALSE(dlg.accept());
    EXPECT_EQ(home.host.messages.back().kind, MsgKind::Error);
    EXPECT_FALSE(ctx.programConf().valueExists("Program", "Username"));
}

TEST_F(SettingsDialogTest, SavedMessageOnlyWithInformationDialogs) {
    ctx.settings.WorkDir = home.dir.path() + "/w";
    SettingsDialogModel dlg(ctx, 600);
    ASSERT_TRUE(dlg.accept());
    EXPECT_TRUE(home.host.messages.empty());
    dlg.showMessages = true;
    ASSERT_TRUE(dlg.accept());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Information);
    EXPECT_EQ(home.host.messages[0].text, "Ge\xE4nderte Konfiguration wurde gespeichert");
}

}  // namespace
