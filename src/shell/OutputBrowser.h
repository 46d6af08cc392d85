#pragma once
// The middle of the main window: the output directory as a tree (the root and one level of
// subdirectories) and the list of converted descriptions ("GC*_converted.html") of the selected
// directory, with every operation of both context menus. A cache in a directory is the group of
// files sharing its waypoint W: W + ".html", W + ".meta" and W + "_" + anything.
//
// The view shows the nodes and entries in the order given here, forwards clicks, the marking
// (selection) and the focused entry, and refreshes itself when the observer is told.
// Operations of other dialogs (details, editor, index, loader, export, map) are reached
// through Actions, which the main window wires; an unwired action keeps its item disabled.
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vellora {

class Host;
class RunContext;
struct TCacheRec;

class OutputBrowser {
public:
    // Tree
    static constexpr const char* kRootCaption = "root";
    static constexpr const char* kTreeHintPrefix = "root=";
    // Tree context menu
    static constexpr const char* kCreateDirItem = "neues Verzeichnis anlegen";
    static constexpr const char* kEraseDirItem = "gew\xE4hltes Verzeichnis leeren";
    static constexpr const char* kEraseAllDirsItem = "gesamtes Ausgabeverzeichnis rekursiv l\xF6schen";
    static constexpr const char* kCleanUpItem = "gew\xE4hltes Verzeichnis aufr\xE4umen";
    static constexpr const char* kSavedPagesToWorkListItem =
        "Originalbeschreibungen in Arbeitsliste aufnehmen";
    // List context menu
    static constexpr const char* kShowInBrowserItem = "in Browser zeigen";
    static constexpr const char* kEditLongDescrItem = "Langbeschreibung editieren";
    static constexpr const char* kShowOnMapItem = "in GoogleMaps zeigen";
    static constexpr const char* kMarkAllItem = "alle Caches markieren";
    static constexpr const char* kMarkNoneItem = "keinen Cache markieren";
    static constexpr const char* kMarkInvertItem = "Markierungen umkehren";
    static constexpr const char* kCopyPathItem = "Dateipfad in Zwischenablage kopieren";
    static constexpr const char* kMarkWorkListItem = "Arbeitslisten-Caches markieren";
    static constexpr const char* kMarkExcludeListItem = "Ausschlusslisten-Caches markieren";
    static constexpr const char* kCreateIndexItem = "Indexdatei dieses Verzeichnisses erstellen";
    static constexpr const char* kShowIndexItem = "Indexdatei anzeigen";
    static constexpr const char* kShowOutdatedIndexItem = "veraltete (!) Indexdatei anzeigen";
    static constexpr const char* kExportDirItem = "Caches dieses Verzeichnisses exportieren";
    static constexpr const char* kDeleteMarkedItem = "markierte Caches l\xF6schen";
    static constexpr const char* kReloadMarkedItem = "markierte Caches erneut laden";
    // List
    static constexpr std::array<const char*, 3> kColumnTitles = {"Waypoint", "Cachename", "Entf. (km)"};
    static constexpr const char* kListCaptionSuffix =
        " Konvertierte Cachebeschreibungen im gew\xE4hlten Verzeichnis";
    static constexpr const char* kNotInDbName = "Cache nicht in DB gefunden";
    static constexpr const char* kNoDistance = "9999";
    static constexpr int kUnknownTypeIcon = 10;
    // The input dialog of "neues Verzeichnis anlegen"
    static constexpr const char* kCreateDirCaption = "Eingabe";
    static constexpr const char* kCreateDirPrompt = "Bitte den Namen des neuen Verzeichnisses eingeben:";
    // The wait window texts
    static constexpr const char* kMovingText = "Verschiebe Dateien...";
    static constexpr const char* kReadingFindsText = "Cacheliste wird gelesen";
    static constexpr const char* kDirListFileName = "dirlist.txt";
    static constexpr const char* kIndexFileName = "index.html";

    struct Node {
        std::string caption;  // "root" or the subdirectory's name
        std::string dir;      // with trailing "/"
    };

    struct Entry {
        std::string waypoint;
        std::string name;
        std::string distance;         // "12,3" or "9999"
        int icon = kUnknownTypeIcon;  // CacheTypeCode of the cache's type, 10 when unknown
        bool marked = false;
    };

    class Observer {
    public:
        virtual ~Observer() = default;
        // Nodes or the selected node changed.
        virtual void treeChanged() {}
        // Entries, their order, the column widths or the caption changed (marks included).
        virtual void listChanged() {}
        // Only the marks changed.
        virtual void marksChanged() {}
        // Captions or enabled states of menu items changed.
        virtual void menuChanged() {}
        // Busy cursor on or off; areaDisabled: the whole middle area is disabled meanwhile.
        virtual void busyChanged(bool /*busy*/, bool /*areaDisabled*/) {}
    };

    // What the other dialogs do for the browser; the main window wires them.
    struct Actions {
        // The details window of a cache found in the database, with the directory it lies in.
        std::function<void(const TCacheRec&, const std::string& dir)> showDetails;
        // The long-description editor for dir + waypoint + "_converted.html".
        std::function<void(const std::string& dir, const std::string& waypoint)> editLongDescription;
        // The map-service view of one cache.
        std::function<void(double lat, double lon)> showOnMap;
        // The index page dialog for a handed-over directory.
        std::function<void(const std::string& dir)> createIndex;
        // The export in directory mode with the written directory list file.
        std::function<void(const std::string& dirListPath)> exportDirectory;
        // The listing loader with an explicit list, replacing existing pages; returns when it closed.
        std::function<void(const std::vector<std::string>& waypoints)> reloadListings;
    };

    OutputBrowser(RunContext& ctx, Host& host);

    void setObserver(Observer* observer) { observer_ = observer; }
    Actions& actions() { return actions_; }

    // Builds the tree anew from the output directory and selects the root.
    void reloadTree();
    // Rebuilds the list of the selected directory.
    void rebuildList();

    // The selected home: distances are measured from it; the list is rebuilt.
    void setSelectedHome(double lat, double lon);

    const std::vector<Node>& nodes() const { return nodes_; }
    int selectedNode() const { return selected_; }
    const std::string& selectedDir() const;
    std::string treeHint() const;
    // A click on a node (tvDirChange): selects it and rebuilds the list.
    void tvDirChange(int node);

    const std::vector<Entry>& entries() const { return entries_; }
    std::string listCaption() const;

    // Marking and focus, as the view's selection reports them.
    void setMarked(int index, bool marked);
    void setAllMarks(const std::vector<bool>& marks);
    int markedCount() const;
    std::vector<std::string> markedWaypoints() const;
    void setFocused(int index) {
        focused_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
    }
    int focused() const { return focused_; }

    // Sorting.
    int sortColumn() const { return sortColumn_; }
    int sortDirection() const { return sortDir_; }
    // Sets column and direction (as the window's stored state) and re-sorts.
    void setSort(int column, int direction);
    // A click on a column header.
    void lvColumnClick(int column);

    // Column widths: 73, client width - 153, 60, replaced by the stored widths when their sum
    // is above 0. The view reports the user's changes through setColumnWidths.
    void setListClientWidth(int width) { listClientWidth_ = width; }
    int listClientWidth() const { return listClientWidth_; }
    std::array<int, 3> columnWidths() const;
    void setColumnWidths(const std::array<int, 3>& widths);

    // Tree context menu.
    // Whether a typed character may stand in a new directory's name (control keys pass).
    static bool isDirNameKey(char c);
    // Creates OutDirPath + name after the input dialog; a failure is shown. Returns success.
    bool CreateNewDirClick(const std::string& name);
    void EraseDirClick();
    void EraseAllDirsClick();
    void gewhltesVerzeichnisaufrumen1Click();
    void OriginalbeschreibungeninArbeitsliste1Click();
    bool savedPagesToWorkListEnabled() const { return selected_ == 0; }

    // List context menu.
    void ShowInBrowserClick();
    void EditLongDescrClick();
    bool editLongDescrEnabled() const {
        return selected_ > 0 && static_cast<bool>(actions_.editLongDescription);
    }
    void mnuShowGoogleMapsClick();
    bool showOnMapEnabled() const { return static_cast<bool>(actions_.showOnMap); }
    void MarkAllClick();
    void MarkNoneClick();
    void MarkInvertClick();
    void Dateipfadkopieren1Click();
    void MarkWorkListClick();
    void MarkExcludeListClick();
    void CreateIndexFromDir();
    bool createIndexEnabled() const { return static_cast<bool>(actions_.createIndex); }
    void Indexdateianzeigen1Click();
    bool showIndexEnabled() const { return indexExists_; }
    const char* showIndexCaption() const { return indexOutdated_ ? kShowOutdatedIndexItem : kShowIndexItem; }
    void CSVExportdiesesVerzeichnisses1Click();
    bool exportEnabled() const { return static_cast<bool>(actions_.exportDirectory); }
    void DeleteMarkedClick();
    void ReloadMarkedClick();
    bool reloadMarkedEnabled() const { return static_cast<bool>(actions_.reloadListings); }
    // Double click on an entry: the details of a cache found in the database.
    void lvDblClick(int index);

    // Dragging the marked entries onto a node: moves their files there.
    void moveMarkedTo(int node);

private:
    void notifyTree();
    void notifyList();
    void notifyMarks();
    void notifyMenu();
    void updateIndexItem();
    void sortEntries();
    void eraseCaches(const std::string& dir);
    bool confirmErase(const std::string& dir);
    std::string dirOfNode(int node) const;
    // The focused entry, else the first marked one, else -1.
    int currentEntry() const;

    RunContext& ctx_;
    Host& host_;
    Observer* observer_ = nullptr;
    Actions actions_;
    std::vector<Node> nodes_;
    int selected_ = 0;
    std::vector<Entry> entries_;
    int focused_ = -1;
    int sortColumn_ = 0;
    int sortDir_ = 0;
    int lastClicked_ = 0;
    int listClientWidth_ = 0;
    double homeLat_ = 0, homeLon_ = 0;
    bool indexExists_ = false;
    bool indexOutdated_ = false;
};

}  // namespace vellora
