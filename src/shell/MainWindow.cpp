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
    {.id = Cmd::Grundeinstellungen, .menu = "&Datei", .caption = "&Grundeinstellungen", .handler = "Grundeinstellungen1Click", .toolbar = true, .icon = "settings"},
    {.id = Cmd::LoadFinds, .menu = "&Datei", .caption = "Eigene Cachefunde von Tovaro laden", .handler = "mnuLoadFindsClick"},
    {.id = Cmd::BuddyList, .menu = "&Datei", .caption = "Buddy-Liste verwalten", .handler = "BuddyListeverwalten1Click", .toolbar = true, .icon = "buddies"},
    {.id = Cmd::Export, .menu = "&Datei", .caption = "E&xport (Arbeitsliste, Ausschlussliste, CacheDB)", .handler = "Export1Click", .toolbar = true, .icon = "export", .menuGroupStart = true},
    {.id = Cmd::Suitcase, .menu = "&Datei", .caption = "Aktenkoffer (Datenabgleich zwischen 2 PCs)", .handler = "mnuSuitcaseClick", .toolbar = true, .icon = "suitcase", .toolbarGroupEnd = true},
    {.id = Cmd::Batch, .menu = "&Datei", .caption = "Batch (Laden / Konvertieren / Index erzeugen)", .handler = "mnuBatchClick"},
    {.id = Cmd::Booklet, .menu = "&Datei", .caption = "Tourheft drucken\x85", .handler = "mnuBookletClick"},
    {.id = Cmd::Debug, .menu = "&Datei", .submenu = "&Spezial...", .caption = "&Debug-Mode", .handler = "mnuDebugClick", .checkable = true},
    {.id = Cmd::RebuildIndex, .menu = "&Datei", .submenu = "&Spezial...", .caption = "Rebuild index", .handler = "Rebuildindex1Click", .hidden = true},
    {.id = Cmd::Beenden, .menu = "&Datei", .caption = "&Beenden", .shortcut = "Alt+F4", .handler = "Beenden1Click", .menuGroupStart = true},
    {.id = Cmd::UpdateMainWindow, .menu = "Ansicht", .caption = "Hauptfenster aktualisieren", .shortcut = "F5", .handler = "mnuUpdateMainWindowClick", .toolbar = true, .icon = "refresh", .toolbarGroupEnd = true},
    {.id = Cmd::Toolbar, .menu = "Ansicht", .caption = "Toolbar anzeigen", .handler = "mnuToolbarClick", .checkable = true},
    {.id = Cmd::ReadCacheDB, .menu = "Cache-Datenbank", .caption = "&Prim\xE4re Cache-DB laden und konvertieren", .shortcut = "Ctrl+L", .handler = "mnuReadCacheDBClick", .toolbar = true, .icon = "dbload"},
    {.id = Cmd::ReadAdditionalCacheDBs, .menu = "Cache-Datenbank", .caption = "&Weitere Cache-DBs laden und konvertieren", .handler = "mnuReadAdditionalCacheDBsClick"},
    {.id = Cmd::ConvertLocalCacheDB, .menu = "Cache-Datenbank", .caption = "&Lokale prim\xE4re Cache-DB konvertieren", .handler = "lokaleCacheDBkonvertieren1Click", .toolbar = true, .icon = "dbconvert"},
    {.id = Cmd::ConvertAdditionalCacheDBs, .menu = "Cache-Datenbank", .caption = "W&eitere lokale Cache-DBs konvertieren", .handler = "convertAdditionalCacheDBsClick"},
    {.id = Cmd::ImportGPX, .menu = "Cache-Datenbank", .caption = "Datenbank aus GPX-Datei bef\xFCllen", .shortcut = "Ctrl+G", .handler = "mnuImportGPX", .menuGroupStart = true},
    {.id = Cmd::DbFromListings, .menu = "Cache-Datenbank", .caption = "Datenbank aus Originalbeschreibungen bef\xFCllen", .handler = "DatenbankausOriginalbeschreibungenbefllen1Click"},
    {.id = Cmd::GetArchiveList, .menu = "Cache-Datenbank", .caption = "Archivliste laden", .handler = "mnuGetArchiveListClick", .toolbar = true, .icon = "archive"},
    {.id = Cmd::EditCache, .menu = "Cache-Datenbank", .caption = "Cache &editieren", .handler = "Cacheeditieren1Click", .toolbar = true, .icon = "edit", .toolbarGroupEnd = true},
    {.id = Cmd::WorkList, .menu = "&Waypoints", .caption = "Arbeits-, Fund- und Ignoreliste", .shortcut = "Ctrl+W", .handler = "ArbeitsundAusschlussliste1Click", .toolbar = true, .icon = "worklist"},
    {.id = Cmd::LoadHTML, .menu = "&Waypoints", .caption = "&Cachebeschreibungen laden", .shortcut = "Ctrl+B", .handler = "mpLoadHTMLClick", .toolbar = true, .icon = "download", .toolbarGroupEnd = true},
    {.id = Cmd::CreateDescriptions, .menu = "&Ausgabe", .caption = "&Cachebeschreibungen erzeugen", .handler = "mnuCreateDescrptionsClick", .toolbar = true, .icon = "generate"},
    {.id = Cmd::IndexPage, .menu = "&Ausgabe", .caption = "&Indexseite erzeugen", .handler = "Indexseiteerzeugen1Click", .toolbar = true, .icon = "index", .toolbarGroupEnd = true},
    {.id = Cmd::Distance, .menu = "&Tools", .caption = "&Entfernungen berechnen", .handler = "Entfernung1Click", .toolbar = true, .icon = "distance", .menuGroupStart = true},
    {.id = Cmd::ProjectWaypoints, .menu = "&Tools", .caption = "Wegpunktprojektion berechnen", .handler = "ProjectWaypoints1Click", .toolbar = true, .icon = "projection"},
    {.id = Cmd::Utm, .menu = "&Tools", .caption = "Umrechnung L\xE4nge/Breite <=> UTM", .handler = "LngeBreiteUTM1Click", .toolbar = true, .icon = "utm"},
    {.id = Cmd::Rot13, .menu = "&Tools", .caption = "ROT13 Encryption/Decryption", .handler = "ROT13EncryptionDecryption1Click", .toolbar = true, .icon = "rot13"},
    {.id = Cmd::RouteCaches, .menu = "&Tools", .caption = "Caches entlang einer &Route berechnen", .handler = "mnuCalcRouteCachesClick", .menuGroupStart = true},
    {.id = Cmd::GoogleMaps, .menu = "&Tools", .caption = "Caches in GoogleMaps zeigen", .handler = "CachesinGoogleMapszeigen1Click"},
    {.id = Cmd::About, .menu = "&Hilfe", .caption = "&\xDC" "ber...", .handler = "ber1Click"},
    {.id = Cmd::OnlineDocumentation, .menu = "&Hilfe", .caption = "Online-Dokumentation", .handler = "OnlineDokumentation1Click"},
    {.id = Cmd::CheckForUpdate, .menu = "&Hilfe", .caption = "Updateverf\xFCgbarkeit pr\xFC" "fen", .handler = "mnuCheckForUpdateClick", .menuGroupStart = true},
    {.id = Cmd::Errortracker, .menu = "&Hilfe", .caption = "Errortracker", .handler = "Errortracker1Click"},
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
