#pragma once
// The dialog "Caches entlang einer Route suchen" as a model: route files, the corridor search
// over the cache database, pruning and the transfer to the work list. Texts are Windows-1252.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DialogModel.h"
#include "tools/Corridor.h"
#include "tools/RouteFiles.h"

namespace vellora {

class RunContext;

// The type filter "Cachefilter": one switch per type code 0 ... 9, kept for the run of the program.
struct RouteTypeFilter {
    static constexpr const char* kCaption = "Cachefilter";
    static constexpr const char* kPrompt =
        "Bei der Radiussuche nur folgende Cachetypen ber\xFC"
        "cksichtigen:";
    static constexpr std::array<const char*, 10> kTypeNames = {
        "Traditional", "Multi",   "Virtual",      "Letterbox",  "Event",
        "Webcam",      "Mystery", "Locationless", "CITO-Event", "Earth"};
    std::array<bool, 10> types{};

    bool passes(int typeCode) const { return typeCode >= 0 && typeCode < 10 && types[typeCode]; }
};

class RouteSearchModel : public DialogModel {
public:
    static constexpr const char* kCaption = "Caches entlang einer Route suchen";
    static constexpr const char* kIdle = "Warten auf Benutzereingabe";
    static constexpr std::array<const char*, 3> kFormatNames = {
        "ASCII-Overlay (*.ovl)", "Top50 Cursor-Koordinaten (*.coo)", "MapSource Route (*.txt)"};

    RouteSearchModel(RunContext& ctx, RouteTypeFilter& filter);

    // Texts of the form.
    const std::string& sourceText() const { return source_; }
    const std::string& pointCountText() const { return pointCount_; }
    const std::string& actionText() const { return action_; }
    // "Entlang der Route wurden n Caches gefunden." or the abort text; empty before a calculation.
    const std::string& countText() const { return count_; }
    const std::vector<std::string>& routePoints() const { return routePoints_; }
    const std::vector<std::string>& results() const { return results_; }
    const std::vector<RouteCacheEntry>& cacheIndex() const { return index_; }

    std::string widthText = "3.0";
    bool filterOn = false;     // "Suchergebnis filtern"
    bool keepWorkList = true;  // "in Arbeitsliste vorhandene Waypoints behalten"
    RouteFormat format = RouteFormat::Overlay;

    // The key the width field takes for a typed character, or nothing.
    static std::optional<char> filterWidthKey(char c);
    // The width in km, or -1 when its text does not parse.
    double width() const;

    bool running() const { return running_; }
    bool canCalculate() const;
    bool canPrune() const { return !running_ && !results_.empty(); }

    // The file chooser for a format: filter, start directory (the working directory).
    std::string fileFilter(RouteFormat f) const;
    // Loads a route file of the current format; false when it was refused.
    bool loadRoute(const std::string& path);
    // Asks for a file of the current format and loads it.
    bool chooseAndLoadRoute();

    // "Berechnung starten".
    void calculate();
    // "Berechnung abbrechen".
    void abort() { abort_ = true; }
    // The type filter dialog was confirmed (true) or cancelled.
    void filterDialogClosed(bool confirmed);

    // The waypoint of a result: its text up to the first blank.
    static std::string resultWaypoint(const std::string& result);
    // "Mark. löschen": removes the result at a position.
    void removeResult(int pos);
    // "Finds entfernen".
    void removeFinds();
    // Removes every result whose waypoint is listed (the map window's hand-back).
    void removeWaypoints(const std::vector<std::string>& waypoints);
    // Double click: the database record of a result, or an error message and nothing.
    std::optional<TCacheRec> resultDetails(int pos);

    // "Ergebnis in Arbeitsliste": writes WPList.txt and closes; false without results or when it
    // could not be written.
    bool transfer();
    bool transferred() const { return transferred_; }
    static constexpr const char* kTransferQuestion =
        "Die Routenwegpunkte wurden in die Arbeitsliste geschrieben.\r\nArbeitsliste jetzt zur Kontrolle "
        "anzeigen?";

protected:
    void onOpen() override;

private:
    void readCacheIndex();
    void showCount();

    RunContext& ctx_;
    RouteTypeFilter& filter_;
    std::vector<RouteCacheEntry> index_;
    std::unique_ptr<CorridorGrid> grid_;
    std::vector<std::string> routePoints_;
    std::vector<std::string> results_;
    std::string source_, pointCount_, action_, count_;
    bool running_ = false;
    bool abort_ = false;
    bool aborted_ = false;
    bool transferred_ = false;
};

}  // namespace vellora
