#pragma once
// The main window as a model: its command table, the status line, the home selector, the quick
// info, the debug switch, the window geometry kept in the settings, and the clean-up at the end.
// The Qt window builds its menus and toolbar from the table and forwards the user's actions here.
#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/CacheRec.h"
#include "core/DateUtil.h"

namespace vellora {

class RunContext;

inline constexpr const char* kMainCaption = "Vellora";
inline constexpr const char* kInitialStatusText = "Keine Cache-DB vorhanden.";
inline constexpr const char* kProgramVersion = "V5.0.1";
inline constexpr const char* kProgramVersionDate = "13.12.2006";
// Developer mode: the marker file in the working directory.
inline constexpr const char* kDeveloperMarkerFile = "QUIRL";

// ---------------------------------------------------------------------------------------------
// Command table

enum class Cmd {
    Grundeinstellungen,
    LoadFinds,
    BuddyList,
    Export,
    Suitcase,
    Batch,
    Booklet,
    Debug,
    RebuildIndex,
    Beenden,
    UpdateMainWindow,
    Toolbar,
    ReadCacheDB,
    ReadAdditionalCacheDBs,
    ConvertLocalCacheDB,
    ConvertAdditionalCacheDBs,
    ImportGPX,
    DbFromListings,
    GetArchiveList,
    EditCache,
    WorkList,
    LoadHTML,
    CreateDescriptions,
    IndexPage,
    Distance,
    ProjectWaypoints,
    Utm,
    Rot13,
    RouteCaches,
    GoogleMaps,
    About,
    OnlineDocumentation,
    CheckForUpdate,
    Errortracker,
};

// A row names only what it has: rows are written with designated initializers, and every switch
// left out is off.
struct CommandInfo {
    Cmd id;
    const char* menu = nullptr;     // top-level menu caption
    const char* submenu = nullptr;  // caption of the submenu the item sits in, or nullptr
    const char* caption = nullptr;  // menu item caption with its "&" mnemonic
    const char* shortcut = "";      // "Ctrl+L", "F5", "Alt+F4" or ""
    const char* handler = nullptr;  // the handler's name, also the item's object name
    bool toolbar = false;           // has a toolbar button
    bool checkable = false;
    bool hidden = false;           // present but never shown
    const char* icon = nullptr;    // toolbar picture, a resource name without extension
    bool menuGroupStart = false;   // begins a new group in its menu (a separator before it)
    bool toolbarGroupEnd = false;  // ends a group of toolbar buttons (a separator after its button)
};

inline constexpr int kCommandCount = 34;
extern const std::array<CommandInfo, kCommandCount> kCommands;

const CommandInfo& commandInfo(Cmd id);

// What each command does. The Qt window registers one handler per command in one place
// (MainWindow::wireCommands) and draws the table; a command without a handler stays disabled.
class CommandTable {
public:
    using Handler = std::function<void()>;

    CommandTable() = default;
    CommandTable(std::initializer_list<std::pair<const Cmd, Handler>> rows) : handlers_(rows) {}

    void add(Cmd id, Handler handler);
    bool enabled(Cmd id) const;
    // Runs the command's handler; false when it has none.
    bool run(Cmd id) const;

private:
    std::map<Cmd, Handler> handlers_;
};

// "Rebuild index": the index of the cache database built anew from Caches.bin and loaded.
void rebuildCacheIndex(RunContext& ctx);

// The menu captions in menu-bar order.
inline constexpr std::array<const char*, 7> kMenus = {"&Datei",   "Ansicht", "Cache-Datenbank", "&Waypoints",
                                                      "&Ausgabe", "&Tools",  "&Hilfe"};

// ---------------------------------------------------------------------------------------------
// Status line

// "Stand der Cache-DB: ... Einträge." + " " + "Stand der Archivliste: ... Einträge." (or the
// "Keine ... gefunden." texts).
std::string statusLineText(const RunContext& ctx);

// ---------------------------------------------------------------------------------------------
// Home selector: 0 is the primary home, n the additional home n of the settings' lists.

class HomeSelector {
public:
    static constexpr int kMaxPosition = 500;
    static constexpr const char* kPrimaryLabel = "HOME (prim\xE4r)";

    explicit HomeSelector(RunContext& ctx) : ctx_(ctx) {}

    // A click on the up/down control: a position outside 0 .. number of homes is clamped and
    // nothing else happens. Returns whether the selection was evaluated (the list must then be
    // rebuilt for the new home).
    bool click(int position);
    // Evaluates the current position again (window showing, after the settings dialog). When the
    // homes shrank below it, the last one is taken, so that no removed home stays selected.
    void evaluate();
    // Double click on the label: back to the primary home.
    void labelDoubleClick();

    int position() const { return position_; }
    int homeCount() const;
    const std::string& label() const { return label_; }
    // The primary home's label is blue, an additional home's black.
    bool labelIsPrimary() const { return position_ == 0; }
    double lat() const { return lat_; }
    double lon() const { return lon_; }
    // The selected home in the combined latitude/longitude format.
    const std::string& coordText() const { return coordText_; }

private:
    void select();

    RunContext& ctx_;
    int position_ = 0;
    std::string label_;
    std::string coordText_;
    double lat_ = 0, lon_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Quick info: a waypoint box and three labels.

class QuickInfo {
public:
    static constexpr std::size_t kMaxLength = 16;

    enum class Key { Take, Drop, Lookup };
    // What a typed key does: letters a-z become A-Z (out receives the character to insert).
    static Key filterKey(char typed, char& out);
    // A pasted text through the same filter: the characters a typed key would insert.
    static std::string filterText(std::string_view text);

    explicit QuickInfo(RunContext& ctx) : ctx_(ctx) {}

    void lookup(std::string_view waypoint);

    const std::string& nameLine() const { return name_; }
    const std::string& typeLine() const { return type_; }
    const std::string& coordLine() const { return coord_; }
    bool mapButtonVisible() const { return record_.has_value(); }
    const std::optional<TCacheRec>& record() const { return record_; }

    // "Traditional Cache Micro (1.5/?)": type, blank when there is one, size and the ratings.
    static std::string typeText(const TCacheRec& rec);

private:
    RunContext& ctx_;
    std::string name_, type_, coord_;
    std::optional<TCacheRec> record_;
};

// ---------------------------------------------------------------------------------------------
// Debug switch, window state and the end of the run

// Toggles ctx.debugMode and writes the switch's lines; returns the new state.
bool toggleDebugMode(RunContext& ctx);

struct WindowGeometry {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

// The geometry at window showing: the stored position, and the stored size only where it is
// above 500 x 400, when Main_MemWinSize is on; the designed geometry otherwise.
WindowGeometry restoredGeometry(const RunContext& ctx, const WindowGeometry& designed);

// Where a dialog of the given size goes so that it is centred over the main window (never
// left of or above 0).
std::pair<int, int> centredPosition(const WindowGeometry& main, int dialogWidth, int dialogHeight);

struct ListState {
    int sortColumn = 0, sortDirection = 0;
    std::array<int, 3> columnWidths{};
};

// Closing: keeps sort, window and column state in the settings and saves them.
void saveWindowState(RunContext& ctx, const ListState& list, const WindowGeometry& geometry);

// Destruction: the "MainForm" keys and the working directory's temporary files.
inline constexpr std::array<const char*, 4> kTemporaryFiles = {"Caches.bin.tmp", "db.tmp", "db.tmp.zip",
                                                               "tmpdescr.html"};
void finishMainWindow(RunContext& ctx, const WindowGeometry& geometry);

// The own-finds command needs the user name: asks whether to open the settings when it is empty.
// runSettings opens the settings dialog. Returns whether the command may go on.
bool ensureUsernameForFinds(RunContext& ctx, const std::function<void()>& runSettings);

}  // namespace vellora
