#pragma once
// The description generator, model of the dialog TfrmCreateDescr ("Cachebeschreibungen erzeugen").
// It turns the saved listing pages W + ".html" of the output directory into converted descriptions
// W + "_converted.html": the template's placeholders are filled with the page's fields (cut by
// Parse), database values, personal notes, found buddies, the cache images listed in W + ".meta" and
// the map image. Template, pages and output are Windows-1252 text; the output is written with CR LF.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/DialogModel.h"
#include "core/HtmlClean.h"
#include "listing/Parse.h"

namespace vellora {

class IniFile;
class RunContext;

// The dialog's options with their keys in the section "Program".
struct TCrDescOptions {
    bool SaveOpts = false;     // CrDescSaveOpts: "eingestellte Optionen speichern"
    bool KeepOld = false;      // CrDescKeepOld
    bool Logs = true;          // CrDescLogs
    std::string MaxLogs;       // CrDescMaxLogs: empty, "0" or not a number = all logs
    bool BoldLogs = true;      // CrDescBoldLogs
    bool CacheImages = true;   // CrDescCacheimages
    int ImageKind = 1;         // CrDescImageKind: 0 "untereinander", 1 "verkleinert, 2-spaltig"
    int Hints = 0;             // CrDescHints: 0 plain, 1 ROT13, 2 white on white
    int Home = 0;              // CrDescHome: 0 "HOME", n the n-th additional home
    int Resize = 0;            // CrDescResize: map size 0 100 %, 1 67 %, 2 50 %
    bool RmBody = true;        // CrDescRmBody
    bool RmBGColor = true;     // CrDescRmBGColor
    bool RmImg = true;         // CrDescRmImg
    bool RmTables = false;     // CrDescRmTables
    bool RmStyle = true;       // CrDescRmStyle
    bool RmHREF = true;        // CrDescRmHREF
    bool RmFont = true;        // CrDescRmFont
    bool RmAll = false;        // CrDescRmAll: "Alle HTML-Tags (ohne <BR>)"
    std::string TemplateFile;  // CrDescTemplateFile; empty means the setting Template
    // CrMapOrder0..5: the order in which map images are looked for.
    std::array<std::string, 6> MapOrder = {
        "MultiMap", "MapPoint",     "Stadtplandienst (Karte)", "Stadtplandienst (Luftbild)",
        "MapQuest", "OpenStreetMap"};
};

// Reads CrDescSaveOpts and, only when it is set, the other keys; a missing key keeps the option's
// current value. The map order is taken only when CrMapOrder0 is not empty.
void loadCrDescOptions(IniFile& conf, TCrDescOptions& options);
// Writes CrDescSaveOpts, and the other keys only when it is set.
void saveCrDescOptions(IniFile& conf, const TCrDescOptions& options);

struct TDescriptionImage {
    std::string path, title, description;
    int width = 0, height = 0;  // 0: the file was not found
    bool used = false;
};

// What one page contributes to its converted description; cleared before each page.
struct TDescriptionFields {
    // Page fields, as cleaned and repaired.
    std::string CacheName, CacheOwner, UtmFormat, Location, DateHidden, WaypointName, Difficulty, Terrain,
        ErrorText, Watchers, ShortDescription, LongDescription, Hints, NumVisits, CacheLogs;
    bool hintStored = false;
    // From the database record.
    bool known = false;
    double lat = 0, lon = 0;
    std::string LatLonText, MapLink, CacheType = "?", CacheSize = "?";
    // From the whole page.
    std::string TravelBugs, AdditionalWaypoints;
    // File time of the page.
    std::string FileDate = "?", FileDateTime = "?";
    std::string FirstFoundLog, LatestFoundLog, LogLimitation;
    std::vector<std::string> FoundBuddies;
    std::vector<TDescriptionImage> Images;
    std::string MapFileLink;  // CACHEMAPFILENAME
    LogCounters counters{};
    // What the removal options and the HTML cleaner took out of this description.
    HtmlRemovals removed;
};

class TCreateDescr : public DialogModel {
public:
    static constexpr int kMaxImages = 100;

    explicit TCreateDescr(RunContext& ctx);
    ~TCreateDescr();
    TCreateDescr(const TCreateDescr&) = delete;
    TCreateDescr& operator=(const TCreateDescr&) = delete;

    // The controls. They keep their state between openings; open() loads them per CrDescSaveOpts.
    TCrDescOptions options;
    // "Folgende Cachebeschreibungen erzeugen": 0 the work list, 1 every cache of the output directory.
    // Not stored.
    int choice = 0;

    // Opening (open()) loads the options and builds the list of caches for the current choice.
    void setChoice(int newChoice);
    void buildCacheList();
    const std::vector<std::string>& cacheList() const { return caches_; }
    const std::string& headline() const { return headline_; }
    // The template the run reads: the template field, or the setting Template when it is empty.
    std::string templatePath() const;

    // "Start": one run over the list. The dialog closes with OK when the run ends; after a missing
    // template it stays open.
    void btnStartClick();
    // The batch's start: the same run unattended (no summary, no warning), and the dialog closes.
    void startUnattended() override;
    // "Abbrechen": the caches not yet reached are passed over; the dialog closes. Closing (close())
    // stores the options (per CrDescSaveOpts); the dialog then counts as run.
    void cancel();

    // Enabling: while a run is on, and after it until the next opening, the options stay as they were.
    bool optionsEditable() const { return !runStarted_; }
    bool startEnabled() const { return !runStarted_; }
    bool maxLogsEnabled() const { return optionsEditable() && options.Logs; }
    bool boldLogsEnabled() const { return optionsEditable() && options.Logs; }
    bool imageKindEnabled() const { return optionsEditable() && options.CacheImages; }
    // The single removals give way to "Alle HTML-Tags"; that box itself stays.
    bool removalEnabled(int index) const {
        return optionsEditable() && (index >= kRemovalAll || !options.RmAll);
    }
    // "HOME" and the names of the additional homes; a choice only with more than one.
    std::vector<std::string> homeItems() const;
    bool homeEnabled() const { return optionsEditable() && homeItems().size() > 1; }

    // The map order list: the selected row and its moves.
    static constexpr int kRemovalAll = 7;
    int mapRow() const { return mapRow_; }
    void selectMapRow(int row);
    // Moves the selected service up (-1) or down (+1); the selection follows it.
    void moveMap(int delta);
    bool mapUpEnabled() const { return optionsEditable() && mapRow_ > 0; }
    bool mapDownEnabled() const {
        return optionsEditable() && mapRow_ >= 0 && mapRow_ + 1 < static_cast<int>(options.MapOrder.size());
    }

    bool closedWithOk() const { return closedWithOk_; }
    // The last run found no template or could not write a description.
    bool runFailed() const { return runFailed_; }
    int convertedCount() const { return converted_; }
    int skippedCount() const { return skipped_; }
    // Entries W + "(" + images + "/" + links + ")" of the run's descriptions that lost external content;
    // "/" + active content follows the links when scripts, frames, objects or the like were removed.
    const std::vector<std::string>& externalContent() const { return external_; }

    // The steps of a run, also usable one by one. loadTemplate reads the template (false when it is
    // missing or empty); prepareRun reads the buddy names and takes the chosen home.
    bool loadTemplate();
    void prepareRun();
    void convertListing(const std::string& waypoint);
    // convertListing, applyRemovalOptions on the long description and fillTemplate, as the run does
    // for each cache; returns fillTemplate's result.
    int convertCache(const std::string& waypoint);
    void applyRemovalOptions(std::string& longDescription, const std::string& waypoint);
    // Writes W + "_converted.html"; returns 0 or the errno of the failed write.
    int fillTemplate(const std::string& waypoint);
    std::string buildImageBlock(bool twoColumns);
    std::string buildMapBlock(const std::string& waypoint) const;

    const TDescriptionFields& fields() const { return fields_; }
    // The template text as loaded (lines joined with CR LF), with the content security policy in its head.
    const std::string& templateText() const { return template_; }

private:
    void onOpen() override;
    void onClose() override;
    void run(bool unattended);
    void readPage(const std::string& pagePath);
    void finishLogs();
    void readImages(const std::string& metaPath);
    // Names of files in the output directory matching the mask; from the run's snapshot while a run is on.
    std::vector<std::string> namesMatching(const std::string& mask) const;
    // The stored name of a file of the output directory, compared without regard to case.
    std::string existingName(const std::string& name) const;
    std::string pageWaypoint(const std::string& waypoint) const;
    // Adds or updates the current description's entry of the external-content list.
    void noteExternalContent(const std::string& waypoint);

    RunContext& ctx_;
    ListingSite site_;
    TDescriptionFields fields_;
    std::vector<std::string> caches_;
    std::string headline_;
    std::string template_;
    std::vector<std::string> buddies_;
    std::string homeName_ = "HOME";
    double homeLat_ = 0, homeLon_ = 0;
    std::vector<std::string> external_;
    std::size_t externalEntry_ = std::string::npos;  // the current description's entry, if any
    bool activeRemoved_ = false;
    // The output directory listed once per run: (upper-case name, name), sorted.
    std::vector<std::pair<std::string, std::string>> runNames_;
    bool inRun_ = false;
    std::unique_ptr<IniFile> notes_;
    int converted_ = 0, skipped_ = 0;
    bool cancelled_ = false;
    bool runFailed_ = false;
    bool quietRun_ = false;
    bool runStarted_ = false;
    bool closedWithOk_ = false;
    int mapRow_ = 0;
};

}  // namespace vellora
