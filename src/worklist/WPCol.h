#pragma once
// The waypoint collector "Arbeits-, Fund- und Ignoreliste": the work, finds, ignore and clipboard
// lists edited together in memory over a snapshot of the cache database, with the radius search,
// the add-by-name search and waypoint files (GPX, LOC, text). Nothing reaches the disk before
// save(). All texts are Windows-1252.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/DialogModel.h"
#include "worklist/CacheFilter.h"
#include "worklist/CacheSnapshot.h"
#include "worklist/WaypointPositions.h"

namespace vellora {

class RunContext;

enum WPListNo { kWorkList = 1, kFindsList = 2, kIgnoreList = 3, kClipboardList = 4 };

struct WPListInfo {
    const char* title;   // above the view
    const char* button;  // the list button
    const char* file;    // in the working directory
};
// Index 0 is list 1.
extern const WPListInfo kWPLists[4];

inline constexpr int kWPColumnCount = 10;
extern const char* const kWPColumnTitles[kWPColumnCount];

enum class WPFileFormat { Gpx = 0, Loc = 1, Text = 2 };

// One list of the collector: records in insertion order with a case-blind count of each waypoint,
// so that membership tests stay cheap on long lists.
class WPList {
public:
    int count() const { return static_cast<int>(recs_.size()); }
    bool empty() const { return recs_.empty(); }
    const TCacheRec& at(int pos) const { return recs_.at(static_cast<std::size_t>(pos)); }
    const std::vector<TCacheRec>& records() const { return recs_; }
    bool contains(std::string_view waypoint) const;
    // First position of the waypoint (without regard to case), or -1.
    int indexOf(std::string_view waypoint) const;
    void append(TCacheRec rec);
    void replace(int pos, TCacheRec rec);
    // Removes the positions whose flag is set, in one pass; returns how many.
    int removeMarked(const std::vector<bool>& marked);
    void clear();

private:
    std::vector<TCacheRec> recs_;
    std::unordered_map<std::string, int> counts_;  // upper-case waypoint -> entries
};

// The options stored in section "WPCollector" of the working directory's vellora.conf.
struct WPColOptions {
    bool PreselectMultiFinds = true;
    std::int32_t RadSearchHomeIndex = 0;
    std::int32_t RadSearchHomeIndexGlobal = 0;
    std::int32_t ImportFormatIndex = 0;
    bool IgnoreFinds = true;
    std::int32_t ActivePage = 0;
    TCacheFilterOptions filter;
};

// A placeholder for a waypoint the database does not hold.
TCacheRec placeholderRec(std::string_view waypoint, bool unknownType);

// Waypoint candidates of a file, in order of appearance (upper case, at least 3 characters,
// beginning with "GC"). GPX and LOC are read as XML in constant memory. Returns 0, an errno, or
// -1 when the XML is not well-formed (then error holds the parser's text; the candidates up to
// the fault are kept). A name beginning with "GC" that the waypoint rule refuses is left out,
// its reason added to refused.
int readWaypointCandidates(const std::string& path, WPFileFormat format, std::vector<std::string>& out,
                           std::string* error = nullptr, std::vector<std::string>* refused = nullptr);

class TWPCollector : public DialogModel {
public:
    enum class AddResult { Added, AlreadyThere, Refused, Declined, Invalid };

    explicit TWPCollector(RunContext& ctx);
    // The waypoint index points into the snapshot: a copy would point into the original.
    TWPCollector(const TWPCollector&) = delete;
    TWPCollector& operator=(const TWPCollector&) = delete;

    // --- state
    const CacheSnapshot& snapshot() const { return snapshot_; }
    const WPList& list(int n) const { return lists_.at(static_cast<std::size_t>(n - 1)); }
    int currentList() const { return current_; }
    const WPList& current() const { return list(current_); }
    bool modified() const { return modified_; }
    bool isArchived(std::string_view waypoint) const;
    // The database record of a waypoint (record number in Reserve), looked up without regard to case.
    std::optional<TCacheRec> findInDatabase(std::string_view waypoint) const;

    WPColOptions options;
    // "Datum für Funde": given to entries that enter the finds list.
    TDateTime findsDate = 0;
    // "Einstellungen speichern": on at every open, never stored.
    bool saveSettings = true;
    // The radius field as typed (stored as typed).
    std::string radiusText;
    // The waypoint and name fields of the first page.
    std::string waypointText = "GC";
    std::string nameText;

    // --- the view: rows of the current list in view order
    int rowCount() const { return static_cast<int>(order_.size()); }
    int listPos(int row) const { return order_.at(static_cast<std::size_t>(row)); }
    const TCacheRec& rowRec(int row) const { return current().at(listPos(row)); }
    std::string cellText(int row, int column) const;
    std::string cellText(const TCacheRec& rec, int column) const;
    // "Arbeitsliste (12 Einträge)"
    std::string headline() const;
    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return descending_; }
    // Column header click.
    void sortBy(int column);

    // --- centre and reference point: choices "HOME" and the additional homes
    std::vector<std::string> homeChoices() const;
    void setReferenceIndex(int index);
    int referenceIndex() const { return options.RadSearchHomeIndexGlobal; }
    double refLat() const { return refLat_; }
    double refLon() const { return refLon_; }
    void setCentreIndex(int index);
    void setCentreManual(double lat, double lon);
    // "als Zentrum für Radiussuche setzen"; false when the database does not hold the row's cache.
    bool setCentreFromRow(int row);
    double centreLat() const { return centreLat_; }
    double centreLon() const { return centreLon_; }
    bool centreManual() const { return centreManual_; }
    // "N 48° 07.123 E 011° 05.500" and the manual note when set by hand.
    std::string centreText() const;

    // --- operations (each rebuilds the view and tells the observer)
    void selectList(int n);
    AddResult addByWaypoint(std::string_view text);
    // Enabled while the name text has at least 3 characters.
    bool addByNameEnabled() const { return nameText.size() >= 3; }
    // The hit lines of a name search, "CacheName (Waypoint)", sorted ignoring case.
    std::vector<std::string> nameSearchLines(std::string_view text) const;
    // Adds the hits of nameText; returns the number appended.
    int addByName();
    // Shows the sub-selector over the lines (all ticked) and returns false when it was not confirmed;
    // clears the ticks of the lines not taken. Unset: all lines are taken.
    std::function<bool(std::vector<std::string>& lines, std::vector<bool>& ticked)> selectHits;
    // Radius search; the number appended, or -1 after the radius message.
    int radiusSearch();
    // Loads waypoints from files; the number appended. A file that cannot be read is reported and
    // counted in unreadableFiles(); the others still load.
    int loadFromFiles(WPFileFormat format, const std::vector<std::string>& files);
    int unreadableFiles() const { return unreadableFiles_; }
    // Asks the host for the files of the current format, then loads them.
    int loadFromChosenFiles();
    // Rows are view rows; the number of entries taken off the current list.
    int moveRows(const std::vector<int>& rows, int target);
    int removeRows(const std::vector<int>& rows);
    // "Markierte Caches l�schen": as removeRows, but the list counts as changed even when no row was marked.
    int deleteMarkedRows(const std::vector<int>& rows);
    // "Markierte/Alle Caches in Landkarte zeigen": the waypoints of the rows (all rows when empty),
    // and, after the map window was confirmed, the removal of those it hands back.
    std::vector<std::string> mapWaypoints(const std::vector<int>& rows) const;
    int removeWaypoints(const std::vector<std::string>& waypoints);
    int removeAll();
    bool removeFindsEnabled() const { return current_ == kWorkList || current_ == kClipboardList; }
    int removeFindsAndIgnores();
    int removeArchived();
    bool takeFoundDateEnabled() const { return current_ == kFindsList; }
    int takeOverFoundDate(const std::vector<int>& rows);
    // The record the editor came back with replaces the snapshot's and every list's entry.
    void correctCacheData(const TCacheRec& edited);
    // For the details view: the database record of a row, or nothing.
    std::optional<TCacheRec> detailsRecord(int row) const { return findInDatabase(rowRec(row).Waypoint); }
    // The details view's remove action.
    void removeRowAfterDetails(int row);

    // Writes backups, lists and Finds.bin, then closes. A failed write is reported and keeps the
    // collector open with its changes (false).
    bool save();
    // Closes without writing, after the warning when modified; false when the user keeps it open.
    bool cancel();

    static constexpr const char* kCancelWarning =
        "Achtung! Durch das Abbrechen gehen s\xE4mtliche \xC4nderungen an der Arbeits-, Fund- und "
        "Ignoreliste "
        "verloren.\r\n\r\nWirklich abbrechen ohne zu speichern?";
    static constexpr const char* kUnknownWaypoint =
        "Der eingegebene Wegpunkt ist in der Cache-Datenbank nicht verzeichnet.\r\n\r\nTrotzdem in die Liste "
        "einf\xFCgen?";
    static constexpr const char* kRadiusWrong = "Der eingegebene Radius ist falsch.";
    static constexpr const char* kManualNote = "(Koordinaten manuell gesetzt)";

protected:
    void onOpen() override;
    void onClose() override;

private:
    WPList& mutableList(int n) { return lists_.at(static_cast<std::size_t>(n - 1)); }
    WPList& mutableCurrent() { return mutableList(current_); }
    // Removes the entries of the current list whose waypoint goes; redraws.
    int removeWhere(const std::function<bool(const std::string& waypoint)>& goes);
    void readLists();
    void readSettings();
    void writeSettings();
    // Step 3 of adding by waypoint: the IgnoreFinds refusal.
    bool refusedByIgnoreFinds(std::string_view waypoint) const;
    void homeCoord(int index, double& lat, double& lon) const;
    void rebuildView(bool resort);
    void applySort();
    std::vector<bool> positionsOf(const std::vector<int>& rows) const;
    std::string workConfPath() const;

    RunContext& ctx_;
    CacheSnapshot snapshot_;
    WaypointPositions dbIndex_;  // waypoint -> snapshot position
    std::array<WPList, 4> lists_;
    std::unordered_set<std::string> archived_;  // upper case
    int current_ = kWorkList;
    bool modified_ = false;
    int unreadableFiles_ = 0;
    std::vector<int> order_;
    int sortColumn_ = -1, lastSorted_ = -1;
    bool descending_ = false;
    double refLat_ = 0, refLon_ = 0, centreLat_ = 0, centreLon_ = 0;
    bool centreManual_ = false;
};

}  // namespace vellora
