#pragma once
// The dialog "Aktenkoffer (Datenabgleich zwischen zwei PCs)": exports this installation's
// database, lists, notes and saved listings into one suitcase file, and reads such a file and
// merges it section by section. Texts and file contents are Windows-1252.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/FoundList.h"
#include "core/IniFile.h"
#include "suitcase/SuitcaseContent.h"
#include "suitcase/SuitcaseFormat.h"

namespace vellora {

class RunContext;
struct DbMergeSide;

// The options of section "Suitcase" of the working directory's vellora.conf.
struct SuitcaseOptions {
    // Export ("PC => Aktenkoffer")
    bool ExpCacheDB = false, ExpWorklist = false, ExpFinds = false, ExpIgnore = false;
    bool ExpDescr = true, ExpDescrSubdir = true, ExpNotes = true;
    int ActivePage = 0;  // 0 export, 1 import
    // Import ("Aktenkoffer => PC")
    bool GetDB = true;
    int ImpDB = 1;  // 0 update the local database, 1 keep it
    bool AddNewDBRecsToCliplist = true;
    std::string NewWPFilename;  // empty: working directory + "WPnew.txt"
    bool GetWorkList = true;
    bool GetFoundList = true;
    int DoubleFinds = 1;  // 0 take the suitcase's, 1 the later date, 2 keep local
    bool GetIgnoreList = true;
    bool GetCaches = true;
    int DoubleCache = 1;  // 0 replace, 1 replace when newer, 2 keep local
    bool ShowCacheSummary = true, InsertWorkList = true, PostCreateDescr = true;
    bool GetNotes = true;
    int DoubleNotes = 3;     // 0 suitcase, 1 both, 2 both after editing, 3 keep local
    int ActiveLoadPage = 4;  // 0 database, 1 work list, 2 finds, 3 ignore list, 4 descriptions, 5 notes
};

struct SuitcaseCounters {
    int workListNew = 0, workListPresent = 0;
    int ignoreNew = 0, ignorePresent = 0;
    int dbNew = 0, dbChanged = 0, dbDiscarded = 0;
    int findsNew = 0, findsUpdated = 0;
    int descrNew = 0, descrReplaced = 0, descrDiscarded = 0;
};

class TfrmSuitcase : public DialogModel {
public:
    static constexpr const char* kCaption = "Aktenkoffer (Datenabgleich zwischen zwei PCs)";
    static constexpr const char* kExportTab = "Daten dieses PCs im Aktenkoffer ablegen";
    static constexpr const char* kImportTab = "Daten vom Aktenkoffer in diesen PC einlesen";
    static constexpr const char* kSaveSettingsBox = "Einstellungen speichern";
    static constexpr const char* kSaveButton = "PC => Aktenkoffer";
    static constexpr const char* kLoadButton = "Aktenkoffer => PC";
    static constexpr const char* kCommitButton = "Daten festschreiben";
    static constexpr const char* kSection = "Suitcase";
    static constexpr const char* kDefaultFileName = "Carry.vellora";
    static constexpr const char* kNoDescriptionsTransferred =
        "*** Es wurden keine Cachebeschreibungen \xFC"
        "bertragen ***";
    static constexpr const char* kDiscardedHeading = "*** Folgende Cachebeschreibungen wurden verworfen ***";

    explicit TfrmSuitcase(RunContext& ctx);
    ~TfrmSuitcase() override;

    SuitcaseOptions opts;
    bool saveSettings = true;

    // "PC => Aktenkoffer": asks for the target, then exportTo. Closes the dialog when done.
    void btnSaveClick();
    // The export into a file; true when the file was written completely.
    bool exportTo(const std::string& path);
    // The summary of the last export (one line per section written).
    const std::string& exportSummary() const { return exportSummary_; }

    // "Aktenkoffer => PC": asks for the file, then loadFrom.
    void btnLoadClick();
    bool loadFrom(const std::string& path);
    // "Daten festschreiben": merges every chosen section, reports and closes the dialog.
    void btnCommitClick();

    // Enabling rules and texts of the view.
    bool loaded() const { return loaded_; }
    bool exportTabVisible() const { return !loaded_; }
    bool closeEnabled() const { return !busy_; }
    bool busy() const { return busy_; }
    bool subdirEnabled() const { return opts.ExpDescr; }
    // Whether the loaded suitcase holds something for the section (its take-over box is enabled).
    bool sectionAvailable(SuitcaseSection section) const;
    // A section's options follow its take-over box.
    bool sectionOptionsEnabled(SuitcaseSection section) const;
    // "Ändern": chooses the file of the new waypoints.
    void btnChangeNewWPClick();
    // The notes box is hidden, not disabled, when the suitcase holds no notes.
    bool notesVisible() const { return !loaded_ || !content_.noteLines.empty(); }
    // What the section tab says about the suitcase.
    std::vector<std::string> sectionTexts(SuitcaseSection section) const;
    const std::string& status() const { return status_; }
    const SuitcaseContent& content() const { return content_; }
    std::int64_t localRecordCount() const { return localCount_; }

    // After the merge.
    const SuitcaseCounters& counters() const { return counters_; }
    const std::vector<std::string>& transferred() const { return transferred_; }
    const std::vector<std::string>& discarded() const { return discarded_; }
    const std::vector<std::string>& rejectedNames() const { return rejected_; }
    bool descriptionError() const { return descrError_; }
    const std::string& report() const { return report_; }
    // The lines of the window "Zusammenfassung" (empty when it was not shown).
    const std::vector<std::string>& summary() const { return summary_; }
    // The main window runs the description generator over the output directory afterwards.
    bool generatorRequested() const { return generatorRequested_; }

    // "Cachenotizen editieren": waypoint, cache name and the combined note; returns the note as the
    // user left it. Without a view the combined note is taken as it is.
    std::function<std::vector<std::string>(const std::string& waypoint, const std::string& cacheName,
                                           const std::vector<std::string>& note)>
        editNote;
    // The window "Zusammenfassung" with its heading and lines.
    std::function<void(const std::string& heading, const std::vector<std::string>& lines)> showSummary;

    static constexpr const char* kSummaryCaption = "Zusammenfassung";
    static constexpr const char* kSummaryHeading = "Folgende Caches aus dem Aktenkoffer wurden verarbeitet";

private:
    void onOpen() override;
    void onClose() override;
    std::string confPath() const;
    void setStatus(const std::string& text);

    void mergeDatabase();
    bool readMergeKeys(DbMergeSide& local, DbMergeSide& incoming);
    bool writeMergedDatabase(DbMergeSide& local, DbMergeSide& incoming);
    void mergeList(const char* fileName, const std::vector<std::string>& incoming, int& added, int& present);
    void mergeFinds();
    void mergeNotes();
    void mergeDescriptions();
    void adjustWorkList();
    void showRejected();
    void showCacheSummary();
    void buildReport();
    std::string cacheName(const std::string& waypoint);
    // Upper-cased waypoint -> cache name ("?" when the database does not hold it).
    std::map<std::string, std::string> cacheNames(const std::vector<std::string>& waypoints) const;

    RunContext& ctx_;
    bool loaded_ = false, busy_ = false;
    std::string status_, exportSummary_;
    std::string suitcasePath_;
    SuitcaseReader reader_;
    SuitcaseContent content_;
    std::int64_t localCount_ = 0;
    bool findsTaken_ = false, descrTaken_ = false, descrError_ = false;
    SuitcaseCounters counters_;
    std::vector<std::string> transferred_, discarded_, rejected_, summary_;
    std::size_t rejectedShown_ = 0;
    std::string report_;
    bool generatorRequested_ = false;
};

}  // namespace vellora
