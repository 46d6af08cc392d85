#pragma once
// The cache editor "Cache editieren": looks one cache up by waypoint, corrects its fields, enters a
// new cache by hand or deletes one from Caches.bin. In search mode the user types the waypoint; in
// fixed mode (opened by the work-list editor) the handed record's waypoint cannot be changed and
// the editor closes after a save, handing the edited record back.
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/DialogModel.h"

namespace vellora {

class RunContext;
class TCoordInput;

inline constexpr std::array<const char*, 10> kEditCacheTypes = {
    "Traditional Cache", "Multi-cache",   "Virtual Cache",      "Letterbox Hybrid", "Event Cache",
    "Webcam Cache",      "Unknown Cache", "Locationless Cache", "Earthcache",       "Cache In Trash Out E"};
inline constexpr std::array<const char*, 6> kEditCacheSizes = {"",        "Micro", "Small",
                                                               "Regular", "Large", "Virtual"};
inline constexpr std::array<const char*, 10> kEditRatings = {"0", "1",   "1.5", "2",   "2.5",
                                                             "3", "3.5", "4",   "4.5", "5"};

class TfrmEditCache : public DialogModel {
public:
    static constexpr const char* kCaption = "Cache editieren";
    static constexpr int kNone = -1;  // no choice made

    explicit TfrmEditCache(RunContext& ctx) : ctx_(ctx) {}

    // Opens the editor on a record: the empty form, then the record when it carries a waypoint.
    // In fixed mode a save closes it.
    using DialogModel::open;
    void open(const TCacheRec& rec, bool searchMode);

    bool searchMode() const { return searchMode_; }
    bool eraseEnabled() const { return eraseEnabled_; }
    // The record as the editor holds it (after a save in fixed mode: the record saved).
    const TCacheRec& record() const { return rec_; }

    // The search group's "Waypoint" (in fixed mode it shows the record's waypoint).
    const std::string& searchWaypoint() const { return searchWaypoint_; }
    void setSearchWaypoint(std::string_view text);

    // The record's fields as the controls show them. Choices are indexes into the tables above
    // (the country: into the country table), kNone when nothing is chosen.
    const std::string& idText() const { return idText_; }
    const std::string& name() const { return name_; }
    void setName(std::string_view text);
    const std::string& waypoint() const { return waypoint_; }
    // Upper case, at most 16 characters; ignored in fixed mode.
    void setWaypoint(std::string_view text);
    int typeIndex() const { return type_; }
    int sizeIndex() const { return size_; }
    int difficultyIndex() const { return difficulty_; }
    int terrainIndex() const { return terrain_; }
    int countryIndex() const { return country_; }
    void setTypeIndex(int i) { type_ = checked(i, static_cast<int>(kEditCacheTypes.size())); }
    void setSizeIndex(int i) { size_ = checked(i, static_cast<int>(kEditCacheSizes.size())); }
    void setDifficultyIndex(int i) { difficulty_ = checked(i, static_cast<int>(kEditRatings.size())); }
    void setTerrainIndex(int i) { terrain_ = checked(i, static_cast<int>(kEditRatings.size())); }
    void setCountryIndex(int i);
    // The choice texts of the country list: DB_CNameDE of every entry.
    std::vector<std::string> countryChoices() const;
    double latitude() const { return lat_; }
    double longitude() const { return lon_; }
    // FormatLatLon of the position, or empty when the form has none.
    const std::string& coordText() const { return coordText_; }
    TDateTime hiddenDate() const { return hiddenDate_; }
    void setHiddenDate(TDateTime date) { hiddenDate_ = std::floor(date); }

    // "Suchen / Anzeigen"
    void btnSearchClick();
    // "Neu eingeben"
    void btnNewClick();
    // "Speichern": returns whether the record was saved.
    bool btnCommitClick();
    // "aus DB löschen": returns whether the cache was deleted.
    bool btnEraseClick();
    // "Koordinaten:": the coordinate input, run modally by runDialog, which returns true when it was
    // accepted (TCoordInput::accept). Returns whether the position changed hands.
    bool btnCoordClick(const std::function<bool(TCoordInput&)>& runDialog);
    // "Schließen"
    void btnCloseClick() { close(); }

private:
    static int checked(int i, int count) { return i >= 0 && i < count ? i : kNone; }
    void emptyForm();
    void showRecord();
    void setPosition(double lat, double lon);
    TCacheRec collect() const;
    bool save(const TCacheRec& rec);
    void onOpen() override;

    RunContext& ctx_;
    TCacheRec rec_;
    bool searchMode_ = true;
    bool eraseEnabled_ = false;
    std::string searchWaypoint_;
    std::string idText_ = "n/a";
    std::string name_;
    std::string waypoint_;
    int type_ = kNone, size_ = kNone, difficulty_ = kNone, terrain_ = kNone, country_ = kNone;
    double lat_ = 0, lon_ = 0;
    std::string coordText_;
    TDateTime hiddenDate_ = 0;
};

// Shows the editor on a record through showModal (which returns when the editor is closed) and
// returns the record in its state then.
TCacheRec EditCache(RunContext& ctx, const TCacheRec& rec, bool searchMode,
                    const std::function<void(TfrmEditCache&)>& showModal);

}  // namespace vellora
