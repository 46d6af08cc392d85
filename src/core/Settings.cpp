#include "core/Settings.h"

#include "core/FileUtil.h"
#include "core/IniFile.h"
#include "core/NumberText.h"
#include "core/RunContext.h"

namespace vellora {
namespace {

constexpr const char* P = kProgramSection;

std::string readNonEmpty(IniFile& ini, const char* key, const std::string& def) {
    std::string v = ini.readString(P, key, "");
    return v.empty() ? def : v;
}

}  // namespace

std::string formatHomeCoordinate(double value) { return formatFixedSignificant(value, 8, 5, '.'); }

void startConfiguration(RunContext& ctx) {
    ctx.countries = readCountryTable(ctx.programDirPath() + "CacheDB.conf");
    ctx.debugMode = false;
    ctx.cacheIndex.clear();
    ctx.settings.AddHomeLat.clear();
    ctx.settings.AddHomeLon.clear();
    ctx.settings.AddHomeTxt.clear();

    IniFile& ini = ctx.programConf();
    ctx.configExisted = fileExists(ini.fileName());
    ctx.services = loadServiceAddresses(ini);

    IniFile::Batch batch(ini);
    ini.writeString(P, "LatestStart", formatDateTime(ctx.now()));
    if (ini.readString(P, "WorkDir", "").empty()) {
        ini.writeString(P, "WorkDir", ctx.programDir());
        ini.writeString(P, "OutDir", ctx.programDir());
        ini.writeString(P, "Template", ctx.programDirPath() + "template.html");
        ini.writeInteger(P, "DBAutoloadInterval", -1);
        ini.writeInteger(P, "Radius", 15);
        ini.writeInteger(P, "HTMLMaxWidth", 640);
        ini.writeInteger(P, "NrOfAdditionalHomes", 0);
        ini.writeInteger(P, "CacheDBPrimary", 3);
        ini.writeInteger(P, "CacheDBCount", 0);
        ini.writeString(P, "CacheDBUrl", ctx.services.cacheDbServer);
    }
}

void loadSettings(RunContext& ctx, int listClientWidth) {
    IniFile& ini = ctx.programConf();
    TProcSettings& s = ctx.settings;
    const std::string& prog = ctx.programDir();

    s.WorkDir = readNonEmpty(ini, "WorkDir", prog);
    s.OutDir = readNonEmpty(ini, "OutDir", prog);
    s.OfflineCacheDir = ini.readString(P, "OfflineCacheDir", "");
    s.Template = readNonEmpty(ini, "Template", ctx.programDirPath() + "template.html");
    s.CacheDBUrl = readNonEmpty(ini, "CacheDBUrl", ctx.services.cacheDbServer);
    s.ArchiveUrl = readNonEmpty(ini, "ArchiveUrl", ctx.services.archiveList);
    s.DBAutoloadInterval = ini.readInteger(P, "DBAutoloadInterval", 0);
    s.UseProxy = ini.readBool(P, "UseProxy", false);
    s.ProxyServer = ini.readString(P, "ProxyServer", "");

    s.HomeLat = ini.readFloat(P, "HomeLat", 0);
    if (s.HomeLat == 0) s.HomeLat = 49.5;
    s.HomeLong = ini.readFloat(P, "HomeLong", 0);
    if (s.HomeLong == 0) s.HomeLong = 10.75;
    s.Radius = ini.readFloat(P, "Radius", 0);
    if (s.Radius == 0) s.Radius = 50.0;
    s.HTMLMaxWidth = ini.readInteger(P, "HTMLMaxWidth", 0);
    if (s.HTMLMaxWidth <= 0) s.HTMLMaxWidth = 640;

    s.AddHomeLat.clear();
    s.AddHomeLon.clear();
    s.AddHomeTxt.clear();
    const int homes = ini.readInteger(P, "NrOfAdditionalHomes", 0);
    for (int i = 1; i <= homes; ++i) {
        const std::string n = std::to_string(i);
        // A home needs its name; an entry whose keys were deleted (removed in the settings
        // dialog, then cancelled) would otherwise come back as a nameless home at 0/0.
        std::string name = ini.readString(P, "AddHomeTxt" + n, "");
        if (name.empty()) continue;
        s.AddHomeLat.push_back(formatHomeCoordinate(ini.readFloat(P, "AddHomeLat" + n, 0)));
        s.AddHomeLon.push_back(formatHomeCoordinate(ini.readFloat(P, "AddHomeLon" + n, 0)));
        s.AddHomeTxt.push_back(std::move(name));
    }

    s.CacheDBCount = ini.readInteger(P, "CacheDBCount", 0);
    s.CacheDBPrimary = ini.readInteger(P, "CacheDBPrimary", 0);
    for (int n = 1; n <= 50; ++n) s.UseCacheDB[n - 1] = ini.readInteger(P, "UseCacheDB" + std::to_string(n), 0);

    s.ShowTooltips = ini.readBool(P, "ShowTooltips", false);
    s.ShowMessages = ini.readBool(P, "ShowMessages", false);
    s.UseZippedDB = true;
    s.Username = ini.readString(P, "Username", "");
    s.LXM = ini.readInteger(P, "LXM", 0);
    s.UpdateURL = readNonEmpty(ini, "UpdateURL", ctx.services.versionFile);
    s.GPX_XMLInit = readNonEmpty(ini, "GPX_XMLInit", kDefaultGpxXmlInit);
    s.GPX_GPXInit = readNonEmpty(ini, "GPX_GPXInit", kDefaultGpxGpxInit);

    s.UnzipMaxTotalMB = ini.readInteger(P, "UnzipMaxTotalMB", 8192);
    s.TransferSecondsPerMB = ini.readInteger(P, "TransferSecondsPerMB", 60);
    s.Main_ColumnToSort = ini.readInteger(P, "Main_ColumnToSort", 0);
    s.Main_SortDir = ini.readInteger(P, "Main_SortDir", 0);
    s.Main_Left = ini.readInteger(P, "Main_Left", 0);
    s.Main_Top = ini.readInteger(P, "Main_Top", 0);
    s.Main_Width = ini.readInteger(P, "Main_Width", 0);
    s.Main_Height = ini.readInteger(P, "Main_Height", 0);
    s.Main_MemWinSize = ini.readBool(P, "Main_MemWinSize", false);
    s.Main_MemColSize = ini.readBool(P, "Main_MemColSize", false);
    const std::int32_t col1 = 73, col2 = listClientWidth - 193, col3 = 60;
    if (s.Main_MemColSize) {
        s.Main_Col1Width = ini.readInteger(P, "Main_Col1Width", col1);
        s.Main_Col2Width = ini.readInteger(P, "Main_Col2Width", col2);
        s.Main_Col3Width = ini.readInteger(P, "Main_Col3Width", col3);
    } else {
        s.Main_Col1Width = col1;
        s.Main_Col2Width = col2;
        s.Main_Col3Width = col3;
    }
}

void saveSettings(RunContext& ctx) {
    IniFile& ini = ctx.programConf();
    const TProcSettings& s = ctx.settings;
    IniFile::Batch batch(ini);

    ini.writeInteger(P, "Main_ColumnToSort", s.Main_ColumnToSort);
    ini.writeInteger(P, "Main_SortDir", s.Main_SortDir);
    ini.writeInteger(P, "Main_Left", s.Main_Left);
    ini.writeInteger(P, "Main_Top", s.Main_Top);
    ini.writeInteger(P, "Main_Width", s.Main_Width);
    ini.writeInteger(P, "Main_Height", s.Main_Height);
    ini.writeInteger(P, "NrOfAdditionalHomes", static_cast<std::int64_t>(s.AddHomeTxt.size()));
    for (std::size_t i = 0; i < s.AddHomeTxt.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        ini.writeFloat(P, "AddHomeLat" + n, parseDouble(s.AddHomeLat[i]).value_or(0));
        ini.writeFloat(P, "AddHomeLon" + n, parseDouble(s.AddHomeLon[i]).value_or(0));
        ini.writeString(P, "AddHomeTxt" + n, s.AddHomeTxt[i]);
    }

    ini.writeString(P, "WorkDir", s.WorkDir);
    ini.writeString(P, "OutDir", s.OutDir);
    ini.writeString(P, "OfflineCacheDir", s.OfflineCacheDir);
    ini.writeString(P, "Template", s.Template);
    ini.writeString(P, "CacheDBUrl", s.CacheDBUrl);
    ini.writeString(P, "ArchiveUrl", s.ArchiveUrl);
    ini.writeInteger(P, "DBAutoloadInterval", s.DBAutoloadInterval);
    ini.writeBool(P, "UseProxy", s.UseProxy);
    ini.writeString(P, "ProxyServer", s.ProxyServer);
    ini.writeFloat(P, "HomeLat", s.HomeLat);
    ini.writeFloat(P, "HomeLong", s.HomeLong);
    ini.writeFloat(P, "Radius", s.Radius);
    ini.writeInteger(P, "HTMLMaxWidth", s.HTMLMaxWidth);
    ini.writeInteger(P, "CacheDBCount", s.CacheDBCount);
    ini.writeInteger(P, "CacheDBPrimary", s.CacheDBPrimary);
    for (int n = 1; n <= 50; ++n) ini.writeInteger(P, "UseCacheDB" + std::to_string(n), s.UseCacheDB[n - 1]);
    ini.writeBool(P, "ShowTooltips", s.ShowTooltips);
    ini.writeBool(P, "ShowMessages", s.ShowMessages);
    ini.writeBool(P, "UseZippedDB", s.UseZippedDB);
    ini.writeString(P, "Username", s.Username);
    ini.writeInteger(P, "LXM", s.LXM);
    ini.writeString(P, "UpdateURL", s.UpdateURL);
    ini.writeString(P, "GPX_XMLInit", s.GPX_XMLInit);
    ini.writeString(P, "GPX_GPXInit", s.GPX_GPXInit);
    ini.writeBool(P, "Main_MemWinSize", s.Main_MemWinSize);
    ini.writeBool(P, "Main_MemColSize", s.Main_MemColSize);
    ini.writeInteger(P, "Main_Col1Width", s.Main_Col1Width);
    ini.writeInteger(P, "Main_Col2Width", s.Main_Col2Width);
    ini.writeInteger(P, "Main_Col3Width", s.Main_Col3Width);
    ini.writeInteger(P, "UnzipMaxTotalMB", s.UnzipMaxTotalMB);
    ini.writeInteger(P, "TransferSecondsPerMB", s.TransferSecondsPerMB);
}

}  // namespace vellora
