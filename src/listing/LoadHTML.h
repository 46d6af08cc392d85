#pragma once
// The listing loader, model of the window TfrmLoadHTML ("Laden vom Internet"). For each waypoint of
// the work list (or of a manual list handed over by the output directory browser) it fetches the
// listing page and saves it as W + ".html" in the output directory, with the cache images named on
// the page (W + "_i" + n + "." + extension, listed in W + ".meta") and a map image. It skips caches
// already present, found, ignored or archived and loads at most 50 listings per run unless the
// developer marker "QUIRL" exists. Pages are saved as received, their lines ended with CR LF; the
// image list is Windows-1252 text with CR LF.
//
// The view binds the controls to the members below, forwards the clicks and redraws on
// modelChanged. The batch drives the same model unattended (setUnattended, open, startUnattended)
// and reads runState() and errorFlag() after the window closed. A second, quiet instance serves the cache
// database download as its protocol window (showDownload, getBinaryToFile).
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/DialogModel.h"
#include "listing/MapImages.h"
#include "net/LoadURL.h"

namespace vellora {

class IniFile;
class RunContext;

// The window's options with their keys in the section "Program".
struct TLoadOptions {
    bool SaveOpts = false;  // LoadSaveOpts: "Einstellungen speichern"
    // LoadOverwrite, existing listings: 0 "nie überschreiben", 1 "immer überschreiben",
    // 2 only when older than OverwriteAge days.
    int Overwrite = 0;
    std::string OverwriteAge = "14";  // LoadOverwriteAge: digits only, at most 4
    bool Images = true;               // LoadImages: "Cache-Images laden"
    bool RemoteImages = true;         // LoadRemoteImages: "auch Bilder von fremden Servern"
    bool NoExclude = true;            // LoadNoExclude: do not load found caches ("Gefundene Caches")
    bool NoArchived = true;           // LoadNoArchived: do not load archived caches
    bool LoadMap = true;              // LoadLoadMap: "Landkarte laden"
    int MapKind = kMapMapPoint;       // LoadMapKind, 0 to 4
    // "LoadMapZoom" + kind: the scale index remembered per map kind.
    std::array<int, kMapKindCount> MapZoom = {3, 2, 3, 6, 3};
    int MapSize = 0;  // LoadMapSize, 0 to 2

    // Remote images are only possible while images are loaded.
    bool remoteImagesEffective() const { return Images && RemoteImages; }
};

// Reads LoadSaveOpts and, only when it is set, the other keys; a missing key keeps the option's
// current value. Out-of-range values are clamped, the day field keeps digits only.
void loadLoadOptions(IniFile& conf, TLoadOptions& options);
// Writes LoadSaveOpts, and the other keys only when it is set.
void saveLoadOptions(IniFile& conf, const TLoadOptions& options);
// The day field's rule: digits only, at most four of them.
std::string sanitizeOverwriteAge(std::string_view text);

// The load statistics of the window.
struct TLoadStatistics {
    int loaded = 0;    // "Caches geladen"
    int errors = 0;    // "Fehler beim Laden aufgetreten"
    int skipped = 0;   // "Caches übersprungen, davon:"
    int present = 0;   // "bereits vorhanden"
    int found = 0;     // "bereits gefunden (Fundliste)"
    int ignored = 0;   // "ignoriert (Ignore-Liste)"
    int archived = 0;  // "archiviert (Archivliste)"
    bool operator==(const TLoadStatistics&) const = default;
};
// The statistics as label and value lines, in the order the window shows them.
std::vector<std::string> statisticsLines(const TLoadStatistics& statistics);

// Whether a work-list entry can name a listing: 1 to 16 letters and digits. Anything else would
// become a request parameter and a file name in the output directory.
bool isLoadableWaypoint(std::string_view entry);

// Why an answer of the listing site is no listing page: its error page, or a page without the
// waypoint field every listing carries. Empty for a listing page.
std::string listingPageProblem(std::string_view page);

class TfrmLoadHTML : public DialogModel, public TLoadWindowView {
public:
    static constexpr const char* kCaption = "Laden vom Internet";
    static constexpr int kListingLimit = 50;
    // The unattended start timer and the delay of the self-close after an empty list.
    static constexpr int kAutoLoadMilliseconds = 300;
    static constexpr int kCloseDelayMilliseconds = 200;
    // The page behind "Warum?".
    static constexpr const char* kWhyUrl = "https://vellora.example.org/doku/limit50.html";
    static constexpr const char* kDeveloperMarker = "QUIRL";

    // quiet: the instance of the cache database download (no questions, no list messages).
    explicit TfrmLoadHTML(RunContext& ctx, bool quiet = false);
    ~TfrmLoadHTML() override;
    TfrmLoadHTML(const TfrmLoadHTML&) = delete;
    TfrmLoadHTML& operator=(const TfrmLoadHTML&) = delete;

    // The controls. They keep their state between openings; open() loads them per LoadSaveOpts.
    TLoadOptions options;
    // "Ignorierte Caches": do not load caches of the ignore list. On at the start, never stored.
    bool noIgnored = true;

    // The output directory browser's "reload marked": the waypoints become the list of the next
    // opening (used once), replacing existing pages ("immer überschreiben") for that opening.
    void setManualList(std::vector<std::string> waypoints);
    bool hasManualList() const { return !manualList_.empty(); }

    // Unattended (the batch): the view's 300 ms timer calls startUnattended, a run, and the window
    // closes when the run ends.
    void startUnattended() override;

    // "Laden" and "Nur Landkarten laden (ohne Caches)": one run over the list.
    void btnLoadClick();
    void btnLoadMapsOnlyClick();
    // "Abbrechen": asks (not in the quiet instance); the current cache is finished, later ones are
    // passed over.
    void btnAbortClick();
    // "Warum?": the explanation of the 50-listing limit.
    void btnWhyClick();
    // "bearbeiten": the waypoint collector (editWorkList), then the list is read again.
    void btnEditClick();
    // "Schließen" or the window's own close (close()): stores the options (per LoadSaveOpts); the
    // window counts as run. Ignored while a run is in progress.

    // The quiet instance as the database download's window: protocol shown, options hidden.
    void showDownload(const std::string& task, const std::string& content, bool abortVisible);

    // What the view shows.
    const std::string& headline() const { return headline_; }
    const std::vector<std::string>& list() const { return list_; }
    const std::vector<std::string>& protocolLines() const { return protocol_; }
    const std::string& taskText() const { return task_; }
    const std::string& contentText() const { return content_; }
    const std::string& subTaskText() const { return subTask_; }
    const TLoadStatistics& statistics() const { return stats_; }
    bool optionsVisible() const { return optionsVisible_; }
    bool protocolVisible() const { return protocolVisible_; }
    bool optionsEnabled() const { return optionsEnabled_; }
    bool remoteImagesEnabled() const { return optionsEnabled_ && options.Images; }
    bool loadEnabled() const { return loadEnabled_; }
    bool editEnabled() const { return editEnabled_; }
    bool closeEnabled() const { return closeEnabled_; }
    bool abortVisible() const { return abortVisible_; }
    bool abortEnabled() const { return abortEnabled_; }
    bool whyVisible() const { return whyVisible_; }
    // The overall progress bar (entries of the list).
    int overallPosition() const { return overallPosition_; }
    int overallMax() const { return overallMax_; }
    // The window asked to close itself (after an empty list, 200 ms later, or after a batch run).
    bool closeRequested() const { return closeRequested_; }
    bool quiet() const { return quiet_; }

    // Set when a listing failed to load or the window had nothing to load.
    bool errorFlag() const { return errorFlag_; }
    bool running() const { return running_; }
    bool aborted() const { return aborted_; }

    // The operations of a run, also usable one by one.
    // Fetches the listing page of the waypoint and saves it; false with the reason when the fetch
    // failed or brought no listing (the error flag is then set, nothing is saved). Other failures
    // (saving, a malformed proxy setting) are thrown.
    bool getCacheToFile(const std::string& waypoint, std::string& reason);
    // Downloads the images of the saved page and writes the image list.
    void loadImages(const std::string& waypoint);
    // The map of the waypoint with the kind's remembered scale and the size.
    void getCacheMapToFile(const std::string& waypoint, int kind);

    // TLoadWindowView, driven by getBinaryToFile and the map loading.
    void showProtocol() override;
    void addProtocolLine(const std::string& line) override;
    void setSubTask(const std::string& text) override;
    void showStatistics() override;

    THttpClient& client() { return *client_; }
    TMapImages& maps() { return *maps_; }

    // A line was added to the protocol.
    std::function<void(const std::string&)> onProtocolLine;
    // Opens the waypoint collector for the work list and returns when it closed.
    std::function<void()> editWorkList;

private:
    void prepareList();
    void run(bool mapsOnly);
    void loadEntry(std::size_t index, bool mapsOnly, bool quirl);
    bool shouldLoad(const std::string& waypoint, bool mapsOnly);
    void loadSkipLists();
    bool developerMarker() const;
    // The stored name of outDir/W + suffix, compared without regard to case; W + suffix if none.
    std::string outFileName(const std::string& waypoint, std::string_view suffix) const;
    // Opening the window: statistics to 0, the list and headline, the options, the 50-listing notice
    // (or, for the download, the protocol).
    void onOpen() override;
    void onClose() override;
    bool closable() const override { return !running_; }

    RunContext& ctx_;
    bool quiet_;
    std::unique_ptr<THttpClient> client_;
    std::unique_ptr<TMapImages> maps_;

    std::vector<std::string> manualList_;
    bool manualOpening_ = false;
    int overwriteBeforeManual_ = 0;

    std::vector<std::string> list_;
    std::string headline_;
    std::vector<std::string> protocol_;
    std::string task_, content_, subTask_;
    TLoadStatistics stats_;
    std::vector<std::string> foundList_, ignoreList_, archivedList_;  // upper-cased, sorted

    bool downloadOpening_ = false;
    bool optionsVisible_ = true, protocolVisible_ = false, optionsEnabled_ = true;
    bool loadEnabled_ = true, editEnabled_ = true, closeEnabled_ = true;
    bool abortVisible_ = false, abortEnabled_ = false, whyVisible_ = false;
    int overallPosition_ = 0, overallMax_ = 0;
    bool closeRequested_ = false;
    bool errorFlag_ = false;
    bool running_ = false;
    bool aborted_ = false;
    int loadedThisRun_ = 0;
    std::string current_;  // the waypoint being loaded
};

}  // namespace vellora
