#pragma once
// The dialog "GPX-Import": fills the cache database from a GPX pocket query in two passes. Pass 1
// reads the file (streaming, see GpxReader) and compares every cache with the database; the user
// may inspect and drop the pending entries; pass 2 writes them, puts the new caches within a
// radius into the work list and writes their listing pages from the file. Texts Windows-1252.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DialogModel.h"
#include "core/XmlRepair.h"

namespace vellora {

class RunContext;
struct GpxWaypoint;
struct GpxReadResult;

// The options of the dialog; the initialisers are its built-in defaults.
struct GPXImpOpts {
    bool SaveOpts = false;  // "Einstellungen speichern"
    bool RadSrch = false;   // "nach Verarbeitung Umkreissuche durchführen"
    bool GetDescr = true;   // "für Caches im angegebenen Radius die Beschreibungen extrahieren"
    bool KeepOld = true;    // "bereits vorhandene Beschreibungen behalten"
    std::string Radius = "10";
};

enum class CompareResult { Identical = 0, Changed = 1, New = 2, NoWaypoint = 3 };

// Compares an imported record with the database record of its waypoint (nullptr: none). diff
// receives the labels of the differing fields ("Cachename, Breitengrad").
CompareResult CompareWithDatabase(const TCacheRec& rec, const TCacheRec* dbRec, std::string& diff);

// The record of one waypoint of a GPX file. False (with the offending text in error) when its
// coordinates are not numbers on the globe. A name the waypoint rule refuses leaves the record
// without waypoint (so it is not imported) and its reason in waypointProblem.
bool gpxCacheRecord(const RunContext& ctx, const GpxWaypoint& wpt, TCacheRec& rec, std::string& error,
                    std::string* waypointProblem = nullptr);

class TfrmGPXImp : public DialogModel {
public:
    static constexpr const char* kCaption = "GPX-Import";
    static constexpr const char* kStartButton = "1: Einlesen";
    static constexpr const char* kWorkButton = "2: Verarbeiten";
    static constexpr const char* kSaveOptsBox = "Einstellungen speichern";
    static constexpr const char* kRadSrchBox = "nach Verarbeitung Umkreissuche durchf\xFChren";
    static constexpr const char* kGetDescrBox =
        "f\xFCr Caches im angegebenen Radius die Beschreibungen extrahieren";
    static constexpr const char* kKeepOldBox = "bereits vorhandene Beschreibungen behalten";
    static constexpr const char* kHome = "HOME";

    enum class Kind { New, Changed };
    struct PendingEntry {
        std::string line;  // as the list shows it
        Kind kind = Kind::New;
        std::string diff;
        TCacheRec rec;
        std::uint64_t begin = 0, end = 0;  // the element's bytes in the file
    };
    // What inspecting an entry shows: the imported record and, for a changed cache, the database's.
    struct Inspection {
        Kind kind = Kind::New;
        TCacheRec imported;
        std::optional<TCacheRec> existing;
    };

    explicit TfrmGPXImp(RunContext& ctx) : ctx_(ctx) {}

    // The file the next open() works on.
    void setFile(std::string path) { path_ = std::move(path); }
    const std::string& file() const { return path_; }

    GPXImpOpts options;
    // The radius field: digits and "." only, "," taken as ".".
    void setRadiusText(const std::string& text);

    const std::string& caption() const { return caption_; }
    const std::string& fileInfo() const { return fileInfo_; }
    // "HOME" and the additional homes; the choice is disabled when there are none.
    std::vector<std::string> centreChoices() const;
    bool centreEnabled() const;
    int centre() const { return centre_; }
    void setCentre(int index);
    // Chooses the centre by its name ("HOME" or an additional home); false when there is none.
    bool setCentreByName(const std::string& name);
    std::string centreCoordinates() const;

    // The output pane (pass-1 lines), or the pending list once pass 1 is done.
    bool showingPending() const { return showingPending_; }
    const std::vector<std::string>& outputLines() const { return output_; }
    const std::string& counterText() const { return counter_; }
    const std::vector<PendingEntry>& pending() const { return pending_; }

    bool startEnabled() const { return startEnabled_; }
    bool workEnabled() const { return workEnabled_; }
    bool closeEnabled() const { return closeEnabled_; }
    bool optionsEnabled() const { return optionsEnabled_; }

    // Pass 1 ("1: Einlesen").
    void btnStartClick();
    // The entry of a pending line (the waypoint before its first ":"); nothing when it is gone.
    std::optional<Inspection> inspect(int row);
    // The details view was closed with its remove button: the entry will not be imported.
    void removeEntry(int row);
    // Pass 2 ("2: Verarbeiten").
    void btnWorkClick();

    // Results of the last pass 2.
    int inserted() const { return inserted_; }
    int corrected() const { return corrected_; }
    const std::vector<std::string>& collected() const { return collected_; }
    // The closing texts of the last pass 2 (database summary, work-list report), shown or not.
    const std::vector<std::string>& report() const { return report_; }
    int found() const { return found_; }
    int changedCount() const { return changed_; }
    int newCount() const { return new_; }
    int identicalCount() const { return identical_; }
    // Waypoints of the last pass 1 without the cache extension ("kein Cache"): not imported.
    int noCacheCount() const { return noCache_; }
    // What the last pass 1 mended in the file and what a cut-off file lost; empty when whole.
    const std::string& repairReport() const { return repairReport_; }
    // The reasons for the waypoints of the last pass 1 that were refused.
    const std::vector<std::string>& refusedWaypoints() const { return refused_; }

protected:
    void onOpen() override;
    void onClose() override;

private:
    void scanFile();
    bool centrePosition(double& lat, double& lon) const;
    void putIntoWorkList();
    void reportRepairs(const GpxReadResult& read);
    void setButtons(bool start, bool work, bool close);

    RunContext& ctx_;
    std::string path_;
    std::string caption_ = kCaption, fileInfo_, counter_;
    int centre_ = 0;
    bool showingPending_ = false;
    std::vector<std::string> output_;
    std::vector<PendingEntry> pending_;
    std::vector<std::string> collected_;
    std::vector<std::string> report_;
    std::vector<std::string> refused_;
    std::string repairReport_;
    XmlRepair::Encoding encoding_ = XmlRepair::Encoding::Unknown;  // as pass 1 read the file
    bool startEnabled_ = false, workEnabled_ = false, closeEnabled_ = true, optionsEnabled_ = true;
    int found_ = 0, changed_ = 0, new_ = 0, identical_ = 0, noCache_ = 0, inserted_ = 0, corrected_ = 0;
};

}  // namespace vellora
