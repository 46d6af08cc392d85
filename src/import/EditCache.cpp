#include "import/EditCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/CoordInput.h"
#include "core/FileIO.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "import/GCDBReader.h"

namespace vellora {
namespace {

template <std::size_t N>
int indexOfNoCase(const std::array<const char*, N>& table, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (equalsNoCase(table[i], text)) return static_cast<int>(i);
    }
    return TfrmEditCache::kNone;
}

template <std::size_t N>
std::string choiceText(const std::array<const char*, N>& table, int index) {
    return index >= 0 && index < static_cast<int>(N) ? table[static_cast<std::size_t>(index)] : "";
}

}  // namespace

void TfrmEditCache::setSearchWaypoint(std::string_view text) {
    if (!searchMode_) return;
    searchWaypoint_ = text;
    changed();
}

void TfrmEditCache::setName(std::string_view text) {
    name_ = text.substr(0, TCacheRec::kCacheNameMax);
    changed();
}

void TfrmEditCache::setWaypoint(std::string_view text) {
    if (!searchMode_) return;
    waypoint_ = upperCase(text);
    changed();
}

void TfrmEditCache::setCountryIndex(int i) {
    country_ = checked(i, ctx_.countries.count());
    changed();
}

std::vector<std::string> TfrmEditCache::countryChoices() const {
    std::vector<std::string> names;
    for (const TCountryEntry& e : ctx_.countries.entries) names.push_back(e.DB_CNameDE);
    return names;
}

void TfrmEditCache::setPosition(double lat, double lon) {
    lat_ = lat;
    lon_ = lon;
    coordText_ = lat == 0 && lon == 0 ? std::string() : FormatLatLon(lat, lon);
}

void TfrmEditCache::emptyForm() {
    const int primary = ctx_.settings.CacheDBPrimary;
    country_ = checked(primary - 1, ctx_.countries.count());
    type_ = 0;
    size_ = 0;
    difficulty_ = kNone;
    terrain_ = kNone;
    idText_ = "n/a";
    name_.clear();
    // In fixed mode the waypoint belongs to the caller's record and stays.
    if (searchMode_) {
        waypoint_.clear();
        rec_ = TCacheRec{};
    }
    setPosition(0, 0);
    hiddenDate_ = encodeDate(2000, 1, 1);
    changed();
}

void TfrmEditCache::showRecord() {
    name_ = rec_.CacheName;
    idText_ = rec_.CacheID > 0 ? std::to_string(rec_.CacheID) : "n/a";
    type_ = indexOfNoCase(kEditCacheTypes, rec_.CacheType);
    size_ = indexOfNoCase(kEditCacheSizes, rec_.CacheSize);
    waypoint_ = rec_.Waypoint;
    for (std::string* rating : {&rec_.Difficulty, &rec_.Terrain}) {
        for (char& c : *rating) {
            if (c == ',') c = '.';
        }
    }
    difficulty_ = indexOfNoCase(kEditRatings, rec_.Difficulty);
    terrain_ = indexOfNoCase(kEditRatings, rec_.Terrain);
    if (rec_.CountryID > 0) {
        const std::string name = countryNameByID(ctx_.countries, rec_.CountryID);
        country_ = kNone;
        for (int i = 0; i < ctx_.countries.count(); ++i) {
            if (ctx_.countries.entries[static_cast<std::size_t>(i)].DB_CNameDE == name) country_ = i;
        }
    }
    setPosition(rec_.Lat, rec_.Lon);
    if (rec_.HiddenDate != 0) hiddenDate_ = rec_.HiddenDate;
    eraseEnabled_ = !name_.empty();
    changed();
}

void TfrmEditCache::open(const TCacheRec& rec, bool searchMode) {
    rec_ = rec;
    searchMode_ = searchMode;
    open();
}

void TfrmEditCache::onOpen() {
    const TCacheRec rec = rec_;
    eraseEnabled_ = false;
    rec_ = TCacheRec{};
    emptyForm();
    rec_ = rec;
    if (!searchMode_) {
        waypoint_ = rec.Waypoint;
        searchWaypoint_ = rec.Waypoint;
    }
    if (!rec.Waypoint.empty()) showRecord();
}

void TfrmEditCache::btnSearchClick() {
    if (!searchMode_) return;
    TCacheRec found;
    if (FindCache(ctx_, searchWaypoint_, found)) {
        rec_ = found;
        showRecord();
        eraseEnabled_ = true;
        changed();
        return;
    }
    eraseEnabled_ = false;
    changed();
    ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                        "Ein Cache mit dem angegebenen Waypoint ist in der Datenbank nicht verzeichnet.");
}

void TfrmEditCache::btnNewClick() {
    // A new cache has no listing-site ID: the held record must not lend it the last one shown.
    // In fixed mode the waypoint, and so the cache, stays the caller's.
    if (searchMode_) {
        rec_ = TCacheRec{};
        waypoint_.clear();
        idText_ = "n/a";
    }
    name_.clear();
    type_ = indexOfNoCase(kEditCacheTypes, "Traditional Cache");
    size_ = indexOfNoCase(kEditCacheSizes, "Regular");
    difficulty_ = indexOfNoCase(kEditRatings, "1");
    terrain_ = difficulty_;
    country_ = checked(ctx_.settings.CacheDBPrimary - 1, ctx_.countries.count());
    hiddenDate_ = std::floor(ctx_.now());
    changed();
}

TCacheRec TfrmEditCache::collect() const {
    TCacheRec r = rec_;
    r.CacheName = name_;
    r.HiddenDate = hiddenDate_;
    r.CacheSize = choiceText(kEditCacheSizes, size_);
    r.CacheType = choiceText(kEditCacheTypes, type_);
    r.Waypoint = waypoint_;
    r.Difficulty = choiceText(kEditRatings, difficulty_);
    r.Terrain = choiceText(kEditRatings, terrain_);
    r.Lat = lat_;
    r.Lon = lon_;
    r.HomeDist = homeDistanceKm(ctx_, lat_, lon_);
    r.Valid = 1;
    r.CountryID = -1;
    if (country_ != kNone) {
        const std::string& chosen = ctx_.countries.entries[static_cast<std::size_t>(country_)].DB_CNameDE;
        for (const TCountryEntry& e : ctx_.countries.entries) {
            if (e.DB_CNameDE == chosen) {
                r.CountryID = e.DB_CountryID;
                break;
            }
        }
    }
    r.clearReserveScratch();
    return r;
}

bool TfrmEditCache::btnCommitClick() {
    Host& host = ctx_.host();
    const TCacheRec r = collect();

    std::string errors;
    if (r.CacheName.empty()) errors += "\r\nCachename fehlt";
    if (r.Lat == 0 || r.Lon == 0)
        errors += "\r\nKoordinatenangaben fehlen";
    else if (const char* fault = cacheRecFault(r))
        errors += std::string("\r\n") + fault;
    if (r.CacheType.empty()) errors += "\r\nCachetyp fehlt";
    if (r.Waypoint.empty())
        errors += "\r\nWaypoint fehlt";
    else if (const WaypointCheck check = checkWaypoint(r.Waypoint); !check.ok())
        errors += "\r\n" + check.problem;
    if (!errors.empty()) {
        host.message(
            MsgKind::Error, MsgButtons::Ok,
            "Der Cache kann nicht gespeichert werden, da die Cachedaten folgende(n) Fehler enthalten: " +
                errors + "\r\n\r\nBitte Daten korrekt ausf\xFCllen / erg\xE4ngen und erneut speichern.");
        return false;
    }
    std::string warnings;
    if (r.CacheSize.empty())
        warnings +=
            "\r\nCachegr\xF6\xDF"
            "e fehlt";
    if (r.Difficulty.empty()) warnings += "\r\nDifficulty-Angabe fehlt";
    if (r.Terrain.empty()) warnings += "\r\nTerrain-Angabe fehlt";
    if (!warnings.empty() &&
        host.message(MsgKind::Warning, MsgButtons::YesNo,
                     "Warnung! Folgende Cachedaten wurden nicht vollst\xE4ndig ausgef\xFCllt:\r\n\r\n" +
                         warnings + "\r\n\r\nSoll der Cache trotzdem gespeichert werden?") !=
            MsgResult::Yes) {
        return false;
    }

    const bool saved = save(r);
    RebuildIndex(ctx_);
    // After a failure the form keeps what the user entered, so it can be saved again.
    if (!saved) return false;
    if (searchMode_) {
        emptyForm();
        eraseEnabled_ = false;
        changed();
    } else {
        rec_ = r;
        changed();
        close();
    }
    return true;
}

bool TfrmEditCache::save(const TCacheRec& r) {
    Host& host = ctx_.host();
    const std::string path = ctx_.workDirPath() + "Caches.bin";
    int openError = 0;
    UniqueFd file = openFile(path, O_RDWR, 0, &openError);
    if (!file) {
        showErrorCode(host, openError, "Kann Datei " + path + " nicht lesen.");
        return false;
    }
    const int fd = file.get();
    TCacheRec existing;
    std::int32_t n = -1;
    const bool update = FindCache(ctx_, r.Waypoint, existing, n);
    int code = storeCacheRecord(fd, r, update ? n : -1);
    if (const int closeError = file.close(); closeError != 0 && code == 0) code = closeError;
    if (code != 0) {
        showErrorCode(host, code,
                      update ? "Fehler beim Update der CacheDB."
                             : "Fehler beim Einf\xFCgen eines neuen Caches an die CacheDB.");
        return false;
    }
    if (ctx_.settings.ShowMessages) {
        host.message(MsgKind::Information, MsgButtons::Ok,
                     update ? "Cachebeschreibung wurde in der Datenbank ge\xE4ndert."
                            : "Cache wurde der Datenbank hinzugef\xFCgt.");
    }
    return true;
}

bool TfrmEditCache::btnEraseClick() {
    TCacheRec found;
    if (!FindCache(ctx_, waypoint_, found)) return false;
    const std::string question = "Warnung! Durch diese Aktion wird der Cache: \r\n\"" + found.CacheName +
                                 "\" (" + found.Waypoint +
                                 ")\r\naus der Datenbank entfernt. Wirklich l\xF6schen?";
    if (ctx_.host().message(MsgKind::Warning, MsgButtons::YesNoDefaultNo, question) != MsgResult::Yes)
        return false;
    // The stored spelling: the deletion compares with case, the lookup did not.
    DeleteCache(ctx_, found.Waypoint);
    emptyForm();
    if (searchMode_) searchWaypoint_.clear();
    eraseEnabled_ = false;
    changed();
    return true;
}

bool TfrmEditCache::btnCoordClick(const std::function<bool(TCoordInput&)>& runDialog) {
    TCoordInput input;
    input.latitude = lat_;
    input.longitude = lon_;
    input.show();
    if (!runDialog || !runDialog(input)) return false;
    setPosition(input.latitude, input.longitude);
    changed();
    return true;
}

TCacheRec EditCache(RunContext& ctx, const TCacheRec& rec, bool searchMode,
                    const std::function<void(TfrmEditCache&)>& showModal) {
    TfrmEditCache editor(ctx);
    editor.open(rec, searchMode);
    if (showModal) showModal(editor);
    return editor.record();
}

}  // namespace vellora
