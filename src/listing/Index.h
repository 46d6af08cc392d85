#pragma once
// The dialog "Indexseite erzeugen": one HTML page linking to the converted descriptions of a
// directory, either as a plain list for a Pocket PC or as a table with columns from the cache
// database, sorted by a chosen column. The page is Windows-1252 with CR LF line ends and uses
// relative links, so it belongs into the directory of the descriptions.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

// Sort columns in the order of the dialog's choice (the stored IdxSortOrder).
enum class IndexSort {
    Waypoint = 0,
    HiddenDate = 1,
    Coordinates = 2,
    Distance = 3,
    Name = 4,
    Type = 5,
    DifficultyTerrain = 6,
    Size = 7,
};

struct IndexOptions {
    bool saveOpts = false;  // "eingestellte Optionen speichern"
    bool pocketPC = false;
    bool colName = true, colHidden = true, colCoord = true, colDistance = true, colType = true,
         colSize = true, colDT = true;
    bool showImmediate = true;
    int sortOrder = static_cast<int>(IndexSort::Distance);
    int ascDesc = 0;   // 0 ascending, 1 descending
    int addWhich = 1;  // 0 only caches of the work list, 1 all caches of the directory
    int home = 0;      // 0 the primary home, n the n-th additional home
    std::string fileName;
};

// What the page needs besides the options: the directory of the descriptions with its caches,
// the work list (when only its caches are wanted) and the home the distances are measured from.
struct IndexPageInput {
    std::string dir;                     // with trailing "/"
    std::vector<std::string> waypoints;  // in directory order
    std::optional<std::vector<std::string>> workList;
    std::string homeName;  // "HOME" or the additional home's name
    double homeLat = 0, homeLon = 0;
    bool additionalHome = false;
};

// The page's text, lines ended by CR LF. Looks the caches up in the cache database.
std::string BuildIndexPage(RunContext& ctx, const IndexPageInput& input, const IndexOptions& options);

// The waypoints of the converted descriptions ("GC*_converted.html") of a directory, in the
// order of the directory listing.
std::vector<std::string> ConvertedWaypoints(const std::string& dir);

class TfrmIndex : public DialogModel {
public:
    static constexpr const char* kCaption = "Indexseite erzeugen";
    static constexpr const char* kPocketPCBox =
        "Anpassung f\xFCr Pocket-PC aktivieren (kleinste Dateigr\xF6\xDF"
        "e)";
    static constexpr const char* kShowImmediateBox = "und danach anzeigen";
    static constexpr const char* kSaveOptsBox = "eingestellte Optionen speichern";
    static constexpr const char* kOkButton = "Indexdatei erzeugen";
    static constexpr const char* kChooseButton = "w\xE4hlen";
    static constexpr const char* kHomeItem = "HOME";
    // The column boxes, in the order of the fields colName ... colDT.
    static constexpr std::array<const char*, 7> kColumnBoxes = {"Cachename",
                                                                "Versteckdatum",
                                                                "Koordinaten",
                                                                "Home-Entfernung",
                                                                "Cachetyp",
                                                                "Cachegr\xF6\xDF"
                                                                "e",
                                                                "Difficulty/Terrain"};
    static constexpr std::array<const char*, 8> kSortItems = {"Waypoint",
                                                              "Versteckdatum",
                                                              "Koordinaten",
                                                              "Home-Entfernung",
                                                              "Cachename",
                                                              "Cachetyp",
                                                              "Difficulty/Terrain",
                                                              "Cachegr\xF6\xDF"
                                                              "e"};
    static constexpr std::array<const char*, 2> kAscDescItems = {"Aufsteigend", "Absteigend"};
    static constexpr std::array<const char*, 2> kAddWhichItems = {"nur Caches in der Arbeitsliste",
                                                                  "alle Caches im Ausgabeverz."};
    static constexpr const char* kFileFilterName = "HTML-Datei";
    static constexpr const char* kIndexFileName = "index.html";

    // The dialog lives for the whole program: its options keep their state between openings.
    explicit TfrmIndex(RunContext& ctx);

    // Unattended (the batch): the dialog writes the index by itself (startUnattended, 200 ms
    // after showing) and closes.
    using DialogModel::open;
    // Opening for a directory handed over by the output directory browser (then all its caches
    // are taken and its own index.html is written); open() takes the output directory.
    void open(const std::optional<std::string>& handedOverDir);
    void startUnattended() override;

    // "Indexdatei erzeugen": writes the index and closes; false when nothing was written.
    bool btnOKClick();
    // "wählen": another index file through a save dialog.
    void btnChooseFileClick();

    IndexOptions options;

    const std::string& directory() const { return dir_; }
    bool directoryHandedOver() const { return handedOver_; }
    const std::vector<std::string>& caches() const { return caches_; }
    // "Das Ausgabeverzeichnis enthält N konvertierte Cachebeschreibungen."
    std::string countText() const;
    // The index file's modification time, or that there is none yet.
    std::string indexDateText() const;
    bool okEnabled() const { return !caches_.empty(); }
    bool showImmediateEnabled() const { return !caches_.empty(); }
    bool addWhichEnabled() const { return !handedOver_; }
    // "HOME" and the names of the additional homes.
    std::vector<std::string> homeItems() const;
    bool homeEnabled() const { return homeItems().size() > 1; }

private:
    // Opening reads the directory and the options; closing stores the options (when chosen).
    void onOpen() override;
    void onClose() override;
    void loadOptions();
    void storeOptions();
    IndexPageInput pageInput();
    bool confirmOutsideDirectory();

    RunContext& ctx_;
    std::optional<std::string> handedOverDir_;
    std::string dir_;
    bool handedOver_ = false;
    std::vector<std::string> caches_;
};

}  // namespace vellora
