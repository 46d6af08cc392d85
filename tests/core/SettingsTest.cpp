#include "core/Settings.h"

#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/IniFile.h"
#include "core/RunContext.h"
#include "support/TestHome.h"

using namespace vellora;
using vellora::test::TestHome;

namespace {

std::string programKeys(TestHome& home) {
    std::string out;
    for (const auto& key : home.ctx().programConf().keyNames("Program")) {
        out += key + "=" + home.ctx().programConf().readString("Program", key, "") + "\n";
    }
    return out;
}

TEST(ConfigurationStart, FirstStartWritesExactlyTheInitialKeys) {
    TestHome home(TestHome::Start::Configured);
    EXPECT_FALSE(home.ctx().configExisted);
    EXPECT_EQ(programKeys(home),
              // Paths inside the home are stored relative to it.
              "LatestStart=08.12.2006 21:04:05\n"
              "WorkDir=.\n"
              "OutDir=.\n"
              "Template=template.html\n"
              "DBAutoloadInterval=-1\n"
              "Radius=15\n"
              "HTMLMaxWidth=640\n"
              "NrOfAdditionalHomes=0\n"
              "CacheDBPrimary=3\n"
              "CacheDBCount=0\n"
              "CacheDBUrl=" +
                  home.ctx().services.cacheDbServer + "\n");
    EXPECT_EQ(home.ctx().programConf().sectionNames(), std::vector<std::string>{"Program"});
}

// The first start writes its keys through the same rows that read and save them: loaded and saved
// again unchanged, each keeps its text ("Radius=15", not "15.0"), and a radius stored with decimals
// by a later save reads back as it was.
TEST(ConfigurationStart, FirstStartKeysReadAndSaveAsTheyWereWritten) {
    TestHome home(TestHome::Start::Configured);
    const std::string written = programKeys(home);
    loadSettings(home.ctx(), 600);
    const TProcSettings& s = home.ctx().settings;
    EXPECT_EQ(s.Radius, 15.0);
    EXPECT_EQ(s.DBAutoloadInterval, -1);
    EXPECT_EQ(s.HTMLMaxWidth, 640);
    EXPECT_EQ(s.CacheDBPrimary, 3);
    EXPECT_EQ(s.WorkDir, home.ctx().programDir());
    saveSettings(home.ctx());
    IniFile& ini = home.ctx().programConf();
    for (const char* key : {"WorkDir", "OutDir", "Template", "DBAutoloadInterval", "Radius", "HTMLMaxWidth",
                            "NrOfAdditionalHomes", "CacheDBPrimary", "CacheDBCount", "CacheDBUrl"}) {
        SCOPED_TRACE(key);
        const std::string line = std::string(key) + "=" + ini.readString("Program", key, "?") + "\n";
        EXPECT_NE(written.find(line), std::string::npos) << written;
    }
    for (const char* stored : {"10", "10.0", "12.5"}) {
        ini.writeString("Program", "Radius", stored);
        loadSettings(home.ctx(), 600);
        EXPECT_EQ(s.Radius, std::stod(stored)) << stored;
    }
}

TEST(ConfigurationStart, LaterStartOnlyUpdatesLatestStart) {
    TestHome home(TestHome::Start::Configured);
    home.ctx().programConf().writeString("Program", "Radius", "7");
    home.restart(TestHome::Start::Configured);
    EXPECT_TRUE(home.ctx().configExisted);
    EXPECT_EQ(home.ctx().programConf().readString("Program", "Radius", ""), "7");
}

TEST(ConfigurationStart, ReadsTheCountryTable) {
    TestHome home(TestHome::Start::Configured);
    const CountryTable& t = home.ctx().countries;
    ASSERT_GE(t.count(), 25);
    EXPECT_EQ(t.byNumber(3)->DB_CName, "Germany");
    EXPECT_EQ(countryNameByID(t, t.byNumber(3)->DB_CountryID), "Deutschland");
    EXPECT_EQ(countryNameByID(t, 99), "99");
    EXPECT_EQ(countryIDByName(t, "GERMANY"), t.byNumber(3)->DB_CountryID);
    EXPECT_EQ(countryIDByName(t, "Atlantis"), 0);
}

TEST(CountryTable, CutsTextsAndStopsAtFiftyEntries) {
    vellora::test::TempDir dir;
    std::string conf = "[CacheDB]\r\nGCDatabaseCount=60\r\n";
    for (int i = 1; i <= 60; ++i) {
        const std::string n = std::to_string(i);
        conf += "DB_CountryID" + n + "=" + n + "\r\nDB_Filename" + n + "=file_with_a_very_long_name_" + n +
                "\r\nDB_CName" + n + "=Name" + n + "\r\nDB_CNameDE" + n + "=Ein sehr langer deutscher Name " +
                n + "\r\n";
    }
    conf += "DB_CountryID2=7\r\n";  // a repeated key: the first one counts
    dir.write("CacheDB.conf", conf);
    const CountryTable t = readCountryTable(dir.file("CacheDB.conf"));
    ASSERT_EQ(t.count(), 50);
    EXPECT_EQ(t.byNumber(1)->DB_Filename, "file_with_a_very_lon");
    EXPECT_EQ(t.byNumber(1)->DB_CNameDE, "Ein sehr langer deutscher");
    EXPECT_EQ(t.byNumber(2)->DB_CountryID, 2);
    EXPECT_EQ(t.byNumber(51), nullptr);
    EXPECT_EQ(readCountryTable(dir.file("missing.conf")).count(), 0);
}

TEST(CountryTable, LastMatchingEntryWins) {
    CountryTable t;
    t.entries = {{5, "a", "Germany", "Deutschland"}, {5, "b", "germany", "Deutschland (2)"}};
    EXPECT_EQ(countryNameByID(t, 5), "Deutschland (2)");
    t.entries[1].DB_CountryID = 6;
    EXPECT_EQ(countryIDByName(t, "GERMANY"), 6);
}

TEST(LoadSettings, AppliesTheLoadDefaults) {
    TestHome home(TestHome::Start::Configured);
    IniFile& ini = home.ctx().programConf();
    ini.writeString("Program", "HomeLat", "0");
    ini.writeString("Program", "Radius", "0");
    ini.writeString("Program", "HTMLMaxWidth", "-5");
    ini.writeString("Program", "UseZippedDB", "0");
    ini.writeString("Program", "Template", "");
    loadSettings(home.ctx(), 600);
    const TProcSettings& s = home.ctx().settings;
    EXPECT_EQ(s.HomeLat, 49.5);
    EXPECT_EQ(s.HomeLong, 10.75);
    EXPECT_EQ(s.Radius, 50.0);
    EXPECT_EQ(s.HTMLMaxWidth, 640);
    EXPECT_TRUE(s.UseZippedDB);
    EXPECT_EQ(s.Template, home.dir.path() + "/template.html");
    EXPECT_EQ(s.DBAutoloadInterval, -1);
    EXPECT_EQ(s.CacheDBPrimary, 3);
    EXPECT_EQ(s.ArchiveUrl, home.ctx().services.archiveList);
    EXPECT_EQ(s.UpdateURL, home.ctx().services.versionFile);
    EXPECT_EQ(s.GPX_XMLInit, "<?xml version=\"1.0\" encoding=\"utf-8\"?>");
    EXPECT_EQ(s.GPX_GPXInit,
              "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" creator=\"Vellora\" version=\"1.1\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
              "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
              "http://www.topografix.com/GPX/1/1/gpx.xsd\">");
    EXPECT_EQ(s.Main_Col1Width, 73);
    EXPECT_EQ(s.Main_Col2Width, 407);
    EXPECT_EQ(s.Main_Col3Width, 60);
}

TEST(LoadSettings, ColumnWidthsAreReadOnlyWhenRemembered) {
    TestHome home(TestHome::Start::Configured);
    IniFile& ini = home.ctx().programConf();
    ini.writeString("Program", "Main_Col2Width", "300");
    loadSettings(home.ctx(), 800);
    EXPECT_EQ(home.ctx().settings.Main_Col2Width, 607);
    ini.writeString("Program", "Main_MemColSize", "1");
    loadSettings(home.ctx(), 800);
    EXPECT_EQ(home.ctx().settings.Main_Col2Width, 300);
    EXPECT_EQ(home.ctx().settings.Main_Col1Width, 73);
}

TEST(LoadSettings, AdditionalHomesAreRebuiltAsFiveDecimalTexts) {
    TestHome home(TestHome::Start::Configured);
    IniFile& ini = home.ctx().programConf();
    ini.writeString("Program", "NrOfAdditionalHomes", "3");
    ini.writeString("Program", "AddHomeLat1", "49.5");
    ini.writeString("Program", "AddHomeLon1", "10.123456789");
    ini.writeString("Program", "AddHomeTxt1", "Urlaub");
    ini.writeString("Program", "AddHomeLat2", "1");  // no name: not a home
    ini.writeString("Program", "AddHomeTxt3", "Leer");
    home.ctx().settings.AddHomeTxt = {"stale"};
    loadSettings(home.ctx(), 600);
    const TProcSettings& s = home.ctx().settings;
    EXPECT_EQ(s.AddHomeLat, (std::vector<std::string>{"49.50000", "0.00000"}));
    EXPECT_EQ(s.AddHomeLon, (std::vector<std::string>{"10.12346", "0.00000"}));
    EXPECT_EQ(s.AddHomeTxt, (std::vector<std::string>{"Urlaub", "Leer"}));
}

// Every transfer of a run starts from the context's limits: by default a server that sends less
// than 1 KB a second over 30 seconds ends the transfer; the keys of "Program" change that.
TEST(LoadSettings, TransferLimitsComeFromTheirKeys) {
    EXPECT_EQ(THttpLimits{}.lowSpeedBytes, 1024);
    EXPECT_EQ(THttpLimits{}.lowSpeedSeconds, 30);
    TestHome home(TestHome::Start::Configured);
    loadSettings(home.ctx(), 600);
    EXPECT_EQ(home.ctx().httpLimits.lowSpeedBytes, 1024);
    EXPECT_EQ(home.ctx().httpLimits.lowSpeedSeconds, 30);
    EXPECT_EQ(home.ctx().httpLimits.secondsPerMB, 60);

    IniFile& ini = home.ctx().programConf();
    ini.writeString("Program", "TransferMinBytesPerSecond", "200");
    ini.writeString("Program", "TransferMinRateSeconds", "5");
    ini.writeString("Program", "TransferSecondsPerMB", "7");
    loadSettings(home.ctx(), 600);
    EXPECT_EQ(home.ctx().httpLimits.lowSpeedBytes, 200);
    EXPECT_EQ(home.ctx().httpLimits.lowSpeedSeconds, 5);
    EXPECT_EQ(home.ctx().httpLimits.secondsPerMB, 7);

    // A value that would switch the limit off is not taken.
    ini.writeString("Program", "TransferMinBytesPerSecond", "0");
    ini.writeString("Program", "TransferMinRateSeconds", "-1");
    loadSettings(home.ctx(), 600);
    EXPECT_EQ(home.ctx().httpLimits.lowSpeedBytes, 200);
    EXPECT_EQ(home.ctx().httpLimits.lowSpeedSeconds, 5);
}

TEST(SaveSettings, WritesTheRecordAndReadsBackTheSame) {
    TestHome home;
    TProcSettings& s = home.ctx().settings;
    s.HomeLat = 48.123456;
    s.Radius = 12.5;
    s.Username = "J\xFCrgen";
    s.UseCacheDB[4] = 1;
    s.AddHomeLat = {"47.10000"};
    s.AddHomeLon = {"-8.25000"};
    s.AddHomeTxt = {"Ferienhaus"};
    s.Main_Col2Width = 333;
    saveSettings(home.ctx());
    IniFile& ini = home.ctx().programConf();
    EXPECT_EQ(ini.readString("Program", "HomeLat", ""), "48.123456");
    EXPECT_EQ(ini.readString("Program", "Radius", ""), "12.5");
    EXPECT_EQ(ini.readString("Program", "AddHomeLat1", ""), "47.1");
    EXPECT_EQ(ini.readString("Program", "AddHomeLon1", ""), "-8.25");
    EXPECT_EQ(ini.readString("Program", "UseCacheDB5", ""), "1");
    EXPECT_EQ(ini.readString("Program", "UseZippedDB", ""), "1");
    EXPECT_FALSE(ini.valueExists("Program", "SettingsConfirmed"));
    const std::string before = ini.readString("Program", "LatestStart", "");
    home.restart();
    EXPECT_EQ(home.ctx().settings.Username, "J\xFCrgen");
    EXPECT_EQ(home.ctx().settings.HomeLat, 48.123456);
    EXPECT_EQ(home.ctx().settings.AddHomeTxt, std::vector<std::string>{"Ferienhaus"});
    EXPECT_EQ(home.ctx().settings.UseCacheDB[4], 1);
    EXPECT_EQ(before, "08.12.2006 21:04:05");
}

TEST(DirectoryPaths, GetTheirTrailingSlash) {
    TestHome home;
    RunContext& ctx = home.ctx();
    ctx.settings.WorkDir = "/data/work";
    EXPECT_EQ(ctx.workDirPath(), "/data/work/");
    ctx.settings.WorkDir = "/data/work/";
    EXPECT_EQ(ctx.workDirPath(), "/data/work/");
    ctx.settings.WorkDir = "";
    EXPECT_EQ(ctx.workDirPath(), home.dir.path() + "/");
    ctx.settings.WorkDir = "/w";
    ctx.settings.OutDir = "";
    EXPECT_EQ(ctx.outDirPath(), "/w/");
    ctx.settings.OutDir = "/out";
    EXPECT_EQ(ctx.outDirPath(), "/out/");
}

TEST(DebugLog, LinesCarryTheTimeStampAndCrLf) {
    TestHome home;
    debugLog(home.ctx(), "first");
    debugInfo(home.ctx(), "frmLoadHTML.getCacheToFile", "not written while debug mode is off");
    home.ctx().debugMode = true;
    debugError(home.ctx(), "TListLoader.GetFirstPage", "kaputt");
    EXPECT_EQ(home.dir.read("debug.log"),
              "08-12-06 21:04:05 first\r\n08-12-06 21:04:05 ERR: TListLoader.GetFirstPage: kaputt\r\n");
}

TEST(ShowErrorCode, ShowsTheSystemTextAndIgnoresZero) {
    TestHome home;
    EXPECT_EQ(showErrorCode(home.host, 0, "nichts"), 0);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_EQ(showErrorCode(home.host, 2, "Kann Datei x nicht lesen."), 2);
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text,
              "Kann Datei x nicht lesen.\r\n\r\nFehlercode: 2\r\nFehlermeldung: " + systemErrorText(2));
}

TEST(Services, SectionOverridesTheDefaults) {
    TestHome home(TestHome::Start::None);
    home.ctx().programConf().writeString("Services", "ListingSite", "http://127.0.0.1:8080");
    home.ctx().programConf().writeString("Services", "CacheDBServer", "http://127.0.0.1:8080/db/");
    home.start();
    EXPECT_EQ(home.ctx().services.listingSite, "http://127.0.0.1:8080");
    EXPECT_EQ(home.ctx().services.imageHost, ServiceAddresses::defaults().imageHost);
    EXPECT_EQ(home.ctx().settings.CacheDBUrl, "http://127.0.0.1:8080/db/");
}

}  // namespace
