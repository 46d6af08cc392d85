#pragma once
// The dialog "Datenbank aus Cachebeschreibungen befüllen": takes caches from saved listing pages
// (GC*.htm, GC*.html of one directory) into Caches.bin, adding the missing ones and, when asked,
// updating those whose data changed; new caches can go into the work list. The page reader here
// reads only the fields of a cache record and is independent of the listing field extractor.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CacheRec.h"
#include "core/DialogModel.h"

namespace vellora {

class RunContext;

// The cache fields of the saved page base + ".html" (or ".htm"); a cleared record when the page
// cannot be read, was saved without login, or carries no waypoint or one the waypoint rule refuses
// (its reason then in waypointProblem).
TCacheRec ReadSavedListing(const RunContext& ctx, const std::string& basePath,
                           std::string* waypointProblem = nullptr);

// Reads a LatLon text such as "N 49° 12.345 E 010° 58.123" (upper case, tags removed).
// Without "E" or "W" both stay 0; a part without "°" gives 0.
void ReadListingCoordinates(std::string_view latLonText, double& lat, double& lon);

// Whether a page's record and the database record agree in every compared field.
bool SameCacheData(const TCacheRec& page, const TCacheRec& db);

class TfrmDbFromListings : public DialogModel {
public:
    static constexpr const char* kCaption =
        "Datenbank aus Cachebeschreibungen bef\xFC"
        "llen";
    static constexpr const char* kDirGroup = "Folgendes Verzeichnis durchsuchen";
    static constexpr const char* kExistingGroup = "Bereits in DB vorhandene Caches";
    static constexpr const char* kWorkListBox =
        "Neue Caches zu Arbeitsliste hinzuf\xFC"
        "gen";
    static constexpr const char* kBrowseTitle =
        "Bitte Verzeichnis ausw\xE4"
        "hlen";

    enum class Directory { Output, Other };  // "Ausgabeverzeichnis", "Anderer Speicherort"
    enum class Existing { Skip, Update };    // "überspringen", "Datenbank updaten"

    explicit TfrmDbFromListings(RunContext& ctx) : ctx_(ctx) {}

    Directory directory = Directory::Output;
    std::string otherDirectory;  // the field "Verzeichnis:"
    Existing existing = Existing::Skip;
    bool addToWorkList = true;

    // "durchsuchen": the folder chooser, starting at the field's text or the program directory.
    void btnBrowseClick();
    // "Start": one run over the chosen directory.
    void btnStartClick();

    const std::vector<std::string>& protocol() const { return protocol_; }
    int newCount() const { return new_; }
    int skippedCount() const { return skipped_; }
    int changedCount() const { return changed_; }
    bool startEnabled() const { return startEnabled_; }
    bool closeEnabled() const { return closeEnabled_; }

    // Called when a run has changed the database (the main window refreshes its status line).
    std::function<void()> onDatabaseChanged;

private:
    void addLine(std::string line);
    void setButtons(bool start, bool close);

    RunContext& ctx_;
    std::vector<std::string> protocol_;
    int new_ = 0, skipped_ = 0, changed_ = 0;
    bool startEnabled_ = true, closeEnabled_ = true;
};

}  // namespace vellora
