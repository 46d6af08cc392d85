#include "shell/MainWindow.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "core/FileProcs.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "core/UpperCase.h"

namespace vellora {

// clang-format off
const std::array<CommandInfo, kCommandCount> kCommands = {{
    {Cmd::Grundeinstellungen, "&Datei", nullptr, "&Grundeinstellungen", "", "Grundeinstellungen1Click", true, false, false, "settings", false, false},
    {Cmd::LoadFinds, "&Datei", nullptr, "Eigene Cachefunde von Tovaro laden", "", "mnuLoadFindsClick", false, false, false, nullptr, false, false},
    {Cmd::BuddyList, "&Datei", nullptr, "Buddy-Liste verwalten", "", "BuddyListeverwalten1Click", true, false, false, "buddies", false, false},
    {Cmd::Export, "&Datei", nullptr, "E&xport (Arbeitsliste, Ausschlussliste, CacheDB)", "", "Export1Click", true, false, false, "export", true, false},
    {Cmd::Suitcase, "&Datei", nullptr, "Aktenkoffer (Datenabgleich zwischen 2 PCs)", "", "mnuSuitcaseClick", true, false, false, "suitcase", false, true},
    {Cmd::Batch, "&Datei", nullptr, "Batch (Laden / Konvertieren / Index erzeugen)", "", "mnuBatchClick", false, false, false, nullptr, false, false},
    {Cmd::Debug, "&Datei", "&Spezial...", "&Debug-Mode", "", "mnuDebugClick", false, true, false, nullptr, false, false},
    {Cmd::RebuildIndex, "&Datei", "&Spezial...", "Rebuild index", "", "Rebuildindex1Click", false, false, true, nullptr, false, false},
    {Cmd::Beenden, "&Datei", nullptr, "&Beenden", "Alt+F4", "Beenden1Click", false, false, false, nullptr, true, false},
    {Cmd::UpdateMainWindow, "Ansicht", nullptr, "Hauptfenster aktualisieren", "F5", "mnuUpdateMainWindowClick", true, false, false, "refresh", false, true},
    {Cmd::Toolbar, "Ansicht", nullptr, "Toolbar anzeigen", "", "mnuToolbarClick", false, true, false, nullptr, false, false},
    {Cmd::ReadCacheDB, "Cache-Datenbank", nullptr, "&Prim\xE4re Cache-DB laden und konvertieren", "Ctrl+L", "mnuReadCacheDBClick", true, false, false, "dbload", false, false},
    {Cmd::ReadAdditionalCacheDBs, "Cache-Datenbank", nullptr, "&Weitere Cache-DBs laden und konvertieren", "", "mnuReadAdditionalCacheDBsClick", false, false, false, nullptr, false, false},
    {Cmd::ConvertLocalCacheDB, "Cache-Datenbank", nullptr, "&Lokale prim\xE4re Cache-DB konvertieren", "", "lokaleCacheDBkonvertieren1Click", true, false, false, "dbconvert", false, false},
    {Cmd::ConvertAdditionalCacheDBs, "Cache-Datenbank", nullptr, "W&eitere lokale Cache-DBs konvertieren", "", "convertAdditionalCacheDBsClick", false, false, false, nullptr, false, false},
    {Cmd::ImportGPX, "Cache-Datenbank", nullptr, "Datenbank aus GPX-Datei bef\xFCllen", "Ctrl+G", "mnuImportGPX", false, false, false, nullptr, true, false},
    {Cmd::DbFromListings, "Cache-Datenbank", nullptr, "Datenbank aus Originalbeschreibungen bef\xFCllen", "", "DatenbankausOriginalbeschreibungenbefllen1Click", false, false, false, nullptr, false, false},
    {Cmd::GetArchiveList, "Cache-Datenbank", nullptr, "Archivliste laden", "", "mnuGetArchiveListClick", true, false, false, "archive", false, false},
    {Cmd::EditCache, "Cache-Datenbank", nullptr, "Cache &editieren", "", "Cacheeditieren1Click", true, false, false, "edit", false, true},
    {Cmd::WorkList, "&Waypoints", nullptr, "Arbeits-, Fund- und Ignoreliste", "Ctrl+W", "ArbeitsundAusschlussliste1Click", true, false, false, "worklist", false, false},
    {Cmd::LoadHTML, "&Waypoints", nullptr, "&Cachebeschreibungen laden", "Ctrl+B", "mpLoadHTMLClick", true, false, false, "download", false, true},
    {Cmd::CreateDescriptions, "&Ausgabe", nullptr, "&Cachebeschreibungen erzeugen", "", "mnuCreateDescrptionsClick", true, false, false, "generate", false, false},
    {Cmd::IndexPage, "&Ausgabe", nullptr, "&Indexseite erzeugen", "", "Indexseiteerzeugen1Click", true, false, false, "index", false, true},
    {Cmd::Distance, "&Tools", nullptr, "&Entfernungen berechnen", "", "Entfernung1Click", true, false, false, "distance", true, false},
    {Cmd::ProjectWaypoints, "&Tools", nullptr, "Wegpunktprojektion berechnen", "", "ProjectWaypoints1Click", true, false, false, "projection", false, false},
    {Cmd::Utm, "&Tools", nullptr, "Umrechnung L\xE4nge/Breite <=> UTM", "", "LngeBreiteUTM1Click", true, false, false, "utm", false, false},
    {Cmd::Rot13, "&Tools", nullptr, "ROT13 Encryption/Decryption", "", "ROT13EncryptionDecryption1Click", true, false, false, "rot13", false, false},
    {Cmd::RouteCaches, "&Tools", nullptr, "Caches entlang einer &Route berechnen", "", "mnuCalcRouteCachesClick", false, false, false, nullptr, true, false},
    {Cmd::GoogleMaps, "&Tools", nullptr, "Caches in GoogleMaps zeigen", "", "CachesinGoogleMapszeigen1Click", false, false, false, nullptr, false, false},
    {Cmd::About, "&Hilfe", nullptr, "&\xDC" "ber...", "", "ber1Click", false, false, false, nullptr, false, false},
    {Cmd::OnlineDocumentation, "&Hilfe", nullptr, "Online-Dokumentation", "", "OnlineDokumentation1Click", false, false, false, nullptr, false, false},
    {Cmd::CheckForUpdate, "&Hilfe", nullptr, "Updateverf\xFCgbarkeit pr\xFC" "fen", "", "mnuCheckForUpdateClick", false, false, false, nullptr, true, false},
    {Cmd::Errortracker, "&Hilfe", nullptr, "Errortracker", "", "Errortracker1Click", false, false, false, nullptr, false, false},
}};
// clang-format on

const CommandInfo& commandInfo(Cmd id) {
    for (const auto& c : kCommands) {
        if (c.id == id) return c;
    }
    throw std::out_of_range("unknown command");
}

std::string statusLineText(const RunContext& ctx) {
    const std::string work = ctx.workDirPath();
    std::string db;
    const std::string dbPath = work + "Caches.bin";
    if (auto modified = fileModified(dbPath)) {
        db = "Stand der Cache-DB: " + formatDate(*modified) + ", " + std::to_string(cacheRecordCount(ctx)) +
             " Eintr\xE4ge.";
    } else {
        db = "Keine Cache-DB gefunden.";
    }
    std::string archive;
    const std::string archivePath = work + kArchivedListFileName;
    if (auto modified = fileModified(archivePath)) {
        archive = "Stand der Archivliste: " + formatDate(*modified) + ", " +
                  std::to_string(readListFile(archivePath).size()) + " Eintr\xE4ge.";
    } else {
        archive = "Keine Archivliste gefunden.";
    }
    return db + " " + archive;
}

int HomeSelector::homeCount() const {
    const TProcSettings& s = ctx_.settings;
    const auto n = std::min({s.AddHomeLat.size(), s.AddHomeLon.size(), s.AddHomeTxt.size(),
                             static_cast<std::size_t>(kMaxPosition)});
    return static_cast<int>(n);
}

bool HomeSelector::click(int position) {
    if (position < 0) {
        position_ = 0;
        return false;
    }
    if (position > homeCount()) {
        position_ = homeCount();
        return false;
    }
    position_ = position;
    select();
    return true;
}

void HomeSelector::evaluate() {
    position_ = std::clamp(position_, 0, homeCount());
    select();
}

void HomeSelector::labelDoubleClick() {
    position_ = 0;
    select();
}

void HomeSelector::select() {
    const TProcSettings& s = ctx_.settings;
    if (position_ == 0) {
        label_ = kPrimaryLabel;
        lat_ = s.HomeLat;
        lon_ = s.HomeLong;
    } else {
        const auto i = static_cast<std::size_t>(position_ - 1);
        label_ = s.AddHomeTxt[i];
        lat_ = parseDouble(s.AddHomeLat[i]).value_or(0);
        lon_ = parseDouble(s.AddHomeLon[i]).value_or(0);
    }
    coordText_ = FormatLatLon(lat_, lon_);
}

void CommandTable::add(Cmd id, Handler handler) {
    handlers_[id] = std::move(handler);
}

bool CommandTable::enabled(Cmd id) const {
    const auto it = handlers_.find(id);
    return it != handlers_.end() && it->second;
}

bool CommandTable::run(Cmd id) const {
    if (!enabled(id)) return false;
    handlers_.at(id)();
    return true;
}

void rebuildCacheIndex(RunContext& ctx) {
    RebuildIndex(ctx);
    LoadIndex(ctx);
}

std::string QuickInfo::filterText(std::string_view text) {
    std::string clean;
    for (const char c : text) {
        char out = 0;
        if (filterKey(c, out) == Key::Take && out != '\b') clean += out;
    }
    return clean;
}

QuickInfo::Key QuickInfo::filterKey(char typed, char& out) {
    if (typed == '\r' || typed == '\n') return Key::Lookup;
    if (typed >= 'a' && typed <= 'z') typed = static_cast<char>(typed - 'a' + 'A');
    if (typed == '\b' || (typed >= '0' && typed <= '9') || (typed >= 'A' && typed <= 'Z')) {
        out = typed;
        return Key::Take;
    }
    return Key::Drop;
}

std::string QuickInfo::typeText(const TCacheRec& rec) {
    std::string text = rec.CacheType;
    if (!text.empty()) text += ' ';
    text += rec.CacheSize + " (" + (rec.Difficulty.empty() ? "?" : rec.Difficulty) + "/" +
            (rec.Terrain.empty() ? "?" : rec.Terrain) + ")";
    return text;
}

void QuickInfo::lookup(std::string_view waypoint) {
    TCacheRec rec;
    if (FindCache(ctx_, waypoint, rec)) {
        name_ = rec.CacheName;
        type_ = typeText(rec);
        coord_ = FormatLatLon(rec.Lat, rec.Lon);
        record_ = rec;
        return;
    }
    name_ = "Cache mit Waypoint " + upperCase(waypoint) + "! nicht in der Datenbank gefunden.";
    type_.clear();
    coord_.clear();
    record_.reset();
}

bool toggleDebugMode(RunContext& ctx) {
    ctx.debugMode = !ctx.debugMode;
    if (ctx.debugMode) {
        debugLog(ctx, "-------------------------");
        debugLog(ctx, "Debug mode switched to ON");
        debugLog(ctx, std::string("Vellora version is: ") + kProgramVersion);
        debugLog(ctx, std::string("Vellora version date is: ") + kProgramVersionDate);
    } else {
        debugLog(ctx, "Debug mode switched to OFF");
    }
    return ctx.debugMode;
}

WindowGeometry restoredGeometry(const RunContext& ctx, const WindowGeometry& designed) {
    const TProcSettings& s = ctx.settings;
    if (!s.Main_MemWinSize) return designed;
    WindowGeometry g = designed;
    g.left = s.Main_Left;
    g.top = s.Main_Top;
    if (s.Main_Width > 500) g.width = s.Main_Width;
    if (s.Main_Height > 400) g.height = s.Main_Height;
    return g;
}

std::pair<int, int> centredPosition(const WindowGeometry& main, int dialogWidth, int dialogHeight) {
    const int left = main.left + (main.width - dialogWidth) / 2;
    const int top = main.top + (main.height - dialogHeight) / 2;
    return {std::max(left, 0), std::max(top, 0)};
}

void saveWindowState(RunContext& ctx, const ListState& list, const WindowGeometry& geometry) {
    TProcSettings& s = ctx.settings;
    s.Main_ColumnToSort = list.sortColumn;
    s.Main_SortDir = list.sortDirection;
    s.Main_Left = geometry.left;
    s.Main_Top = geometry.top;
    s.Main_Width = geometry.width;
    s.Main_Height = geometry.height;
    s.Main_Col1Width = list.columnWidths[0];
    s.Main_Col2Width = list.columnWidths[1];
    s.Main_Col3Width = list.columnWidths[2];
    saveSettings(ctx);
}

void finishMainWindow(RunContext& ctx, const WindowGeometry& geometry) {
    if (ctx.debugMode) debugLog(ctx, "Terminating application");
    try {
        IniFile& ini = ctx.programConf();
        IniFile::Batch batch(ini);
        ini.writeInteger("MainForm", "PosX", geometry.left);
        ini.writeInteger("MainForm", "PosY", geometry.top);
        ini.writeInteger("MainForm", "Width", geometry.width);
        ini.writeInteger("MainForm", "Height", geometry.height);
    } catch (const IniWriteError&) {
        // Housekeeping at the very end: nobody is left to tell.
    }
    const std::string work = ctx.workDirPath();
    for (const char* name : kTemporaryFiles) removeFile(work + name);
}

bool ensureUsernameForFinds(RunContext& ctx, const std::function<void()>& runSettings) {
    if (!ctx.settings.Username.empty()) return true;
    const MsgResult answer = ctx.host().message(
        MsgKind::Warning, MsgButtons::YesNo,
        "Um die eigenen Finds zu laden, musst Du zuerst Deinen Usernamen bei Tovaro in den "
        "Programmeinstellungen "
        "in der Registerkarte \"Sonstiges\" eintragen.\r\n\r\nProgrammeinstellungen jetzt \xE4"
        "ndern?");
    if (answer != MsgResult::Yes) return false;
    if (runSettings) runSettings();
    return !ctx.settings.Username.empty();
}

}  // namespace vellora
