#include "core/Settings.h"

#include <stdexcept>
#include <string_view>

#include "core/AppHome.h"
#include "core/FileUtil.h"
#include "core/IniFile.h"
#include "core/NumberText.h"
#include "core/OptionTable.h"
#include "core/RunContext.h"

namespace vellora {
namespace {

constexpr const char* P = kProgramSection;

using S = TProcSettings;

// The settings read with a fixed value for a missing key (not the member's current one).
template <class T>
OptionRow<S> absentAs(OptionRow<S> row, T S::*member, T absent) {
    row.load = [load = row.load, member, absent](IniFile& f, const char* s, const char* k, S& r) {
        r.*member = absent;
        load(f, s, k, r);
    };
    return row;
}
OptionRow<S> intKey(const char* key, std::int32_t S::*member) {
    return absentAs(intOption(key, member), member, 0);
}
OptionRow<S> boolKey(const char* key, bool S::*member) {
    return absentAs(boolOption(key, member), member, false);
}
OptionRow<S> floatKey(const char* key, double S::*member) {
    return absentAs(floatOption(key, member), member, 0.0);
}
OptionRow<S> stringKey(const char* key, std::string S::*member) {
    return absentAs(stringOption(key, member), member, std::string());
}
// An empty value keeps the member, which loadSettings presets with the context's default.
OptionRow<S> nonEmptyKey(const char* key, std::string S::*member) {
    return customOption<S>(
        key,
        [member](IniFile& f, const char* s, const char* k, S& r) {
            std::string v = f.readString(s, k, "");
            if (!v.empty()) r.*member = std::move(v);
        },
        [member](IniFile& f, const char* s, const char* k, const S& r) { f.writeString(s, k, r.*member); });
}

// Every stored key of the record in the order saveSettings writes them.
const OptionTable<S> kSettingsTable = {
    intKey("Main_ColumnToSort", &S::Main_ColumnToSort),
    intKey("Main_SortDir", &S::Main_SortDir),
    intKey("Main_Left", &S::Main_Left),
    intKey("Main_Top", &S::Main_Top),
    intKey("Main_Width", &S::Main_Width),
    intKey("Main_Height", &S::Main_Height),
    // The count, then AddHomeLat/AddHomeLon/AddHomeTxt + n for n = 1 .. count.
    customOption<S>(
        "NrOfAdditionalHomes",
        [](IniFile& f, const char* s, const char* k, S& r) {
            r.AddHomeLat.clear();
            r.AddHomeLon.clear();
            r.AddHomeTxt.clear();
            const int homes = f.readInteger(s, k, 0);
            for (int i = 1; i <= homes; ++i) {
                const std::string n = std::to_string(i);
                // A home needs its name; an entry whose keys were deleted (removed in the settings
                // dialog, then cancelled) would otherwise come back as a nameless home at 0/0.
                std::string name = f.readString(s, "AddHomeTxt" + n, "");
                if (name.empty()) continue;
                r.AddHomeLat.push_back(formatHomeCoordinate(f.readFloat(s, "AddHomeLat" + n, 0)));
                r.AddHomeLon.push_back(formatHomeCoordinate(f.readFloat(s, "AddHomeLon" + n, 0)));
                r.AddHomeTxt.push_back(std::move(name));
            }
        },
        [](IniFile& f, const char* s, const char* k, const S& r) {
            f.writeInteger(s, k, static_cast<std::int64_t>(r.AddHomeTxt.size()));
            for (std::size_t i = 0; i < r.AddHomeTxt.size(); ++i) {
                const std::string n = std::to_string(i + 1);
                f.writeFloat(s, "AddHomeLat" + n, parseDouble(r.AddHomeLat[i]).value_or(0));
                f.writeFloat(s, "AddHomeLon" + n, parseDouble(r.AddHomeLon[i]).value_or(0));
                f.writeString(s, "AddHomeTxt" + n, r.AddHomeTxt[i]);
            }
        }),
    nonEmptyKey("WorkDir", &S::WorkDir),
    nonEmptyKey("OutDir", &S::OutDir),
    stringKey("OfflineCacheDir", &S::OfflineCacheDir),
    nonEmptyKey("Template", &S::Template),
    nonEmptyKey("CacheDBUrl", &S::CacheDBUrl),
    nonEmptyKey("ArchiveUrl", &S::ArchiveUrl),
    intKey("DBAutoloadInterval", &S::DBAutoloadInterval),
    boolKey("UseProxy", &S::UseProxy),
    stringKey("ProxyServer", &S::ProxyServer),
    floatKey("HomeLat", &S::HomeLat),
    floatKey("HomeLong", &S::HomeLong),
    floatKey("Radius", &S::Radius),
    intKey("HTMLMaxWidth", &S::HTMLMaxWidth),
    intKey("CacheDBCount", &S::CacheDBCount),
    intKey("CacheDBPrimary", &S::CacheDBPrimary),
    // UseCacheDB + n for the country entries 1 .. 50.
    customOption<S>(
        "UseCacheDB",
        [](IniFile& f, const char* s, const char* k, S& r) {
            for (int n = 1; n <= 50; ++n) r.UseCacheDB[n - 1] = f.readInteger(s, k + std::to_string(n), 0);
        },
        [](IniFile& f, const char* s, const char* k, const S& r) {
            for (int n = 1; n <= 50; ++n) f.writeInteger(s, k + std::to_string(n), r.UseCacheDB[n - 1]);
        }),
    boolKey("ShowTooltips", &S::ShowTooltips),
    boolKey("ShowMessages", &S::ShowMessages),
    // Written for older readers; the program always uses the zipped database.
    customOption<S>(
        "UseZippedDB", [](IniFile&, const char*, const char*, S& r) { r.UseZippedDB = true; },
        [](IniFile& f, const char* s, const char* k, const S& r) { f.writeBool(s, k, r.UseZippedDB); }),
    stringKey("Username", &S::Username),
    intKey("LXM", &S::LXM),
    nonEmptyKey("UpdateURL", &S::UpdateURL),
    nonEmptyKey("GPX_XMLInit", &S::GPX_XMLInit),
    nonEmptyKey("GPX_GPXInit", &S::GPX_GPXInit),
    boolKey("Main_MemWinSize", &S::Main_MemWinSize),
    boolKey("Main_MemColSize", &S::Main_MemColSize),
    // Preset by loadSettings, and taken only when Main_MemColSize is on.
    intOption("Main_Col1Width", &S::Main_Col1Width),
    intOption("Main_Col2Width", &S::Main_Col2Width),
    intOption("Main_Col3Width", &S::Main_Col3Width),
    // Limits against hostile archives and servers; missing keys keep the record's defaults.
    intOption("UnzipMaxTotalMB", &S::UnzipMaxTotalMB, 1, INT32_MAX),
    intOption("TransferSecondsPerMB", &S::TransferSecondsPerMB, 1, INT32_MAX),
    intOption("TransferMinBytesPerSecond", &S::TransferMinBytesPerSecond, 1, INT32_MAX),
    intOption("TransferMinRateSeconds", &S::TransferMinRateSeconds, 1, INT32_MAX),
    intOption("MapTileCacheMB", &S::MapTileCacheMB, 1, INT32_MAX),
};

// The keys a first start writes, in this order, through their rows of the settings table.
constexpr const char* kFirstStartKeys[] = {
    "WorkDir",
    "OutDir",
    "Template",
    "DBAutoloadInterval",
    "Radius",
    "HTMLMaxWidth",
    "NrOfAdditionalHomes",
    "CacheDBPrimary",
    "CacheDBCount",
    "CacheDBUrl",
};

const OptionRow<S>& settingsRow(std::string_view key) {
    for (const OptionRow<S>& row : kSettingsTable)
        if (key == row.key) return row;
    throw std::logic_error("no settings row " + std::string(key));
}

// The directories and files the home names in its configuration; stored relative to the home.
constexpr std::string S::*kHomePaths[] = {&S::WorkDir, &S::OutDir, &S::Template, &S::OfflineCacheDir};

}  // namespace

std::string formatHomeCoordinate(double value) {
    return formatFixedSignificant(value, 8, 5, '.');
}

void startConfiguration(RunContext& ctx, ConfigStart mode) {
    ctx.countries = readCountryTable(ctx.programDirPath() + "CacheDB.conf");
    ctx.debugMode = false;
    ctx.cacheIndex.clear();
    ctx.settings.AddHomeLat.clear();
    ctx.settings.AddHomeLon.clear();
    ctx.settings.AddHomeTxt.clear();

    IniFile& ini = ctx.programConf();
    ctx.configExisted = fileExists(ini.fileName());
    ctx.services = loadServiceAddresses(ini);
    if (mode == ConfigStart::Query) return;

    IniFile::Batch batch(ini);
    ini.writeString(P, "LatestStart", formatDateTime(ctx.now()));
    if (ini.readString(P, "WorkDir", "").empty()) {
        S first;
        first.WorkDir = first.OutDir = homeRelativePath(ctx.programDir(), ctx.programDir());
        first.Template = homeRelativePath(ctx.programDir(), ctx.programDirPath() + "template.html");
        first.DBAutoloadInterval = -1;
        first.Radius = 15;
        first.HTMLMaxWidth = 640;
        first.CacheDBPrimary = 3;
        first.CacheDBCount = 0;
        first.CacheDBUrl = ctx.services.cacheDbServer;
        for (const char* key : kFirstStartKeys) {
            const OptionRow<S>& row = settingsRow(key);
            row.save(ini, P, row.key, first);
        }
    }
}

void loadSettings(RunContext& ctx, int listClientWidth) {
    TProcSettings& s = ctx.settings;
    // What a missing or empty key stands for.
    s.WorkDir = s.OutDir = ctx.programDir();
    s.Template = ctx.programDirPath() + "template.html";
    s.CacheDBUrl = ctx.services.cacheDbServer;
    s.ArchiveUrl = ctx.services.archiveList;
    s.UpdateURL = ctx.services.versionFile;
    s.GPX_XMLInit = kDefaultGpxXmlInit;
    s.GPX_GPXInit = kDefaultGpxGpxInit;
    const std::int32_t col1 = 73, col2 = listClientWidth - 193, col3 = 60;
    s.Main_Col1Width = col1;
    s.Main_Col2Width = col2;
    s.Main_Col3Width = col3;

    loadOptions(ctx.programConf(), P, kSettingsTable, s);
    for (const auto member : kHomePaths) s.*member = resolveHomePath(ctx.programDir(), s.*member);

    if (s.HomeLat == 0) s.HomeLat = 49.5;
    if (s.HomeLong == 0) s.HomeLong = 10.75;
    if (s.Radius == 0) s.Radius = 50.0;
    if (s.HTMLMaxWidth <= 0) s.HTMLMaxWidth = 640;
    if (!s.Main_MemColSize) {
        s.Main_Col1Width = col1;
        s.Main_Col2Width = col2;
        s.Main_Col3Width = col3;
    }
    ctx.httpLimits.secondsPerMB = s.TransferSecondsPerMB;
    ctx.httpLimits.lowSpeedBytes = s.TransferMinBytesPerSecond;
    ctx.httpLimits.lowSpeedSeconds = s.TransferMinRateSeconds;
}

void saveSettings(RunContext& ctx) {
    TProcSettings stored = ctx.settings;
    for (const auto member : kHomePaths) stored.*member = homeRelativePath(ctx.programDir(), stored.*member);
    saveOptions(ctx.programConf(), P, kSettingsTable, stored);
}

}  // namespace vellora
