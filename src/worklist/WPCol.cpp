#include "worklist/WPCol.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/OptionTable.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "worklist/CacheSubSelector.h"

namespace vellora {

const WPListInfo kWPLists[4] = {
    {"Arbeitsliste", "Arbeitsliste", kWorkListFileName},
    {"Eigene Funde", "Gefunden", kFoundFileName},
    {"Ignore-Liste", "Ignorieren", kIgnoreListFileName},
    {"Zwischenablage", "Ablage", kClipboardListFileName},
};

const char* const kWPColumnTitles[kWPColumnCount] = {"Waypoint",
                                                     "Cachename",
                                                     "Entf. (km)",
                                                     "Versteckt",
                                                     "Koordinaten",
                                                     "Gr\xF6\xDF"
                                                     "e",
                                                     "Diff",
                                                     "Terr",
                                                     "Land",
                                                     "Gefunden"};

namespace {

constexpr const char* kSection = "WPCollector";
constexpr std::size_t kHitLineMax = 139;

const OptionTable<WPColOptions>& optionTable() {
    static const OptionTable<WPColOptions> table = [] {
        OptionTable<WPColOptions> t = {
            boolOption("PreselectMultiFinds", &WPColOptions::PreselectMultiFinds),
            intOption("RadSearchHomeIndex", &WPColOptions::RadSearchHomeIndex),
            // Defaults to the centre choice just read.
            customOption<WPColOptions>(
                "RadSearchHomeIndexGlobal",
                [](IniFile& f, const char* s, const char* k, WPColOptions& o) {
                    o.RadSearchHomeIndexGlobal = f.readInteger(s, k, o.RadSearchHomeIndex);
                },
                [](IniFile& f, const char* s, const char* k, const WPColOptions& o) {
                    f.writeInteger(s, k, o.RadSearchHomeIndexGlobal);
                }),
            intOption("ImportFormatIndex", &WPColOptions::ImportFormatIndex, 0, 2),
            boolOption("IgnoreFinds", &WPColOptions::IgnoreFinds),
            intOption("ActivePage", &WPColOptions::ActivePage, 0, 2),
        };
        const auto filterBool = [](const char* key, bool TCacheFilterOptions::*member) {
            return customOption<WPColOptions>(
                key,
                [member](IniFile& f, const char* s, const char* k, WPColOptions& o) {
                    o.filter.*member = f.readBool(s, k, o.filter.*member);
                },
                [member](IniFile& f, const char* s, const char* k, const WPColOptions& o) {
                    f.writeBool(s, k, o.filter.*member);
                });
        };
        t.push_back(filterBool("FilterCacheType", &TCacheFilterOptions::FilterCacheType));
        static constexpr const char* kTypeKeys[kFilterTypeCount] = {
            "FilterCTypeTrad",  "FilterCTypeMulti",  "FilterCTypeVirtual", "FilterCTypeLetter",
            "FilterCTypeEvent", "FilterCTypeWebcam", "FilterCTypeMystery", "FilterCTypeLocless",
            "FilterCTypeCITO",  "FilterCTypeEarth"};
        for (std::size_t i = 0; i < kFilterTypeCount; ++i) {
            t.push_back(customOption<WPColOptions>(
                kTypeKeys[i],
                [i](IniFile& f, const char* s, const char* k, WPColOptions& o) {
                    o.filter.FilterCTypes[i] = f.readBool(s, k, o.filter.FilterCTypes[i]);
                },
                [i](IniFile& f, const char* s, const char* k, const WPColOptions& o) {
                    f.writeBool(s, k, o.filter.FilterCTypes[i]);
                }));
        }
        t.push_back(filterBool("FilterCacheDate", &TCacheFilterOptions::FilterCacheDate));
        t.push_back(filterBool("SkipArchived", &TCacheFilterOptions::SkipArchived));
        t.push_back(filterBool("SkipOldEvents", &TCacheFilterOptions::SkipOldEvents));
        t.push_back(filterBool("SkipMicros", &TCacheFilterOptions::SkipMicros));
        return t;
    }();
    return table;
}

bool validCoords(const TCacheRec& r) {
    return r.Lat >= -90 && r.Lat <= 90 && r.Lon >= -180 && r.Lon <= 180 && !(r.Lat == 0 && r.Lon == 0);
}

// "dd.MM.yyyy" read as the number yyyyMMdd; anything else is 0.
double dateSortKey(const std::string& text) {
    if (text.size() != 10) return 0;
    const auto v = parseDouble(text.substr(6, 4) + text.substr(3, 2) + text.substr(0, 2));
    return v ? *v : 0;
}

std::string textSortKey(const std::string& text) {
    std::string s = upperCase(text);
    replaceAll(s, "\xC4", "Ae");
    replaceAll(s, "\xD6", "Oe");
    replaceAll(s, "\xDC", "Ue");
    return s;
}

}  // namespace

// ---- WPList

bool WPList::contains(std::string_view waypoint) const {
    return counts_.count(upperCase(waypoint)) > 0;
}

int WPList::indexOf(std::string_view waypoint) const {
    if (!contains(waypoint)) return -1;
    for (int i = 0; i < count(); ++i)
        if (equalsNoCase(recs_[static_cast<std::size_t>(i)].Waypoint, waypoint)) return i;
    return -1;
}

void WPList::append(TCacheRec rec) {
    ++counts_[upperCase(rec.Waypoint)];
    recs_.push_back(std::move(rec));
}

void WPList::replace(int pos, TCacheRec rec) {
    TCacheRec& old = recs_.at(static_cast<std::size_t>(pos));
    const std::string oldKey = upperCase(old.Waypoint);
    if (auto it = counts_.find(oldKey); it != counts_.end() && --it->second == 0) counts_.erase(it);
    ++counts_[upperCase(rec.Waypoint)];
    old = std::move(rec);
}

int WPList::removeMarked(const std::vector<bool>& marked) {
    std::size_t out = 0;
    int removed = 0;
    for (std::size_t i = 0; i < recs_.size(); ++i) {
        if (i < marked.size() && marked[i]) {
            const std::string key = upperCase(recs_[i].Waypoint);
            if (auto it = counts_.find(key); it != counts_.end() && --it->second == 0) counts_.erase(it);
            ++removed;
            continue;
        }
        if (out != i) recs_[out] = std::move(recs_[i]);
        ++out;
    }
    recs_.resize(out);
    return removed;
}

void WPList::clear() {
    recs_.clear();
    counts_.clear();
}

TCacheRec placeholderRec(std::string_view waypoint, bool unknownType) {
    TCacheRec rec;
    rec.Waypoint = std::string(waypoint.substr(0, TCacheRec::kWaypointMax));
    rec.CacheName = "?";
    if (unknownType) rec.CacheType = "?";
    return rec;
}

// ---- the collector

TWPCollector::TWPCollector(RunContext& ctx) : ctx_(ctx) {}

std::string TWPCollector::workConfPath() const {
    return ctx_.workDirPath() + "vellora.conf";
}

std::optional<TCacheRec> TWPCollector::findInDatabase(std::string_view waypoint) const {
    const int pos = dbIndex_.find(waypoint);
    if (pos < 0) return std::nullopt;
    TCacheRec rec = snapshot_.at(pos);
    rec.setRecordNo(pos);
    return rec;
}

bool TWPCollector::isArchived(std::string_view waypoint) const {
    return archived_.count(upperCase(waypoint)) > 0;
}

void TWPCollector::onOpen() {
    for (auto& l : lists_) l.clear();
    archived_.clear();
    dbIndex_.clear();
    snapshot_.load(ctx_);
    // Of repeated waypoints the later record counts, as in the index file.
    dbIndex_.assign(snapshot_);
    readLists();
    current_ = kWorkList;
    modified_ = false;
    sortColumn_ = lastSorted_ = -1;
    descending_ = false;
    findsDate = std::floor(ctx_.now());
    saveSettings = true;
    waypointText = "GC";
    nameText.clear();
    options = WPColOptions{};
    options.filter.FilterDate = std::floor(ctx_.now()) - 7;
    radiusText = formatFixed(ctx_.settings.Radius, 1);
    readSettings();
    setCentreIndex(options.RadSearchHomeIndex);
    setReferenceIndex(options.RadSearchHomeIndexGlobal);
    rebuildView(false);
}

void TWPCollector::readLists() {
    const std::string dir = ctx_.workDirPath();
    const auto readNamed = [&](int n, bool dropRepeats) {
        std::unordered_set<std::string> seen;
        // Empty lines name no cache (keeping them would write blank lines back); a line that is no
        // waypoint is left out and named.
        std::vector<std::string> refused;
        const std::string path = dir + kWPLists[n - 1].file;
        for (const std::string& line : readWaypointListFile(path, &refused)) {
            if (dropRepeats && !seen.insert(line).second) continue;
            auto rec = findInDatabase(line);
            mutableList(n).append(rec ? std::move(*rec) : placeholderRec(line, true));
        }
        if (!refused.empty())
            ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, refusedWaypointsText(path, refused));
    };
    readNamed(kWorkList, true);
    readNamed(kClipboardList, false);
    readNamed(kIgnoreList, false);
    for (const std::string& wp :
         readArchivedWaypoints(dir + kArchivedListFileName, ArchivedReading::AfterLastSemicolon)) {
        if (wp.size() >= 2 && wp.compare(0, 2, "GC") == 0) archived_.insert(upperCase(wp));
    }
    std::vector<TFoundRec> finds;
    readFoundRecords(dir + kFoundFileName, finds);
    for (const TFoundRec& f : finds) {
        auto db = findInDatabase(f.Waypoint);
        TCacheRec rec;
        if (db) {
            rec = std::move(*db);
        } else {
            rec.Lat = f.Lat;
            rec.Lon = f.Lon;
            rec.Waypoint = f.Waypoint;
            rec.CacheName = f.CacheName;
            rec.CacheType = f.CacheType;
        }
        const auto date = parseDate(f.FoundDate);
        rec.setFoundDate(date ? *date : encodeDate(1900, 1, 1));
        mutableList(kFindsList).append(std::move(rec));
    }
}

void TWPCollector::readSettings() {
    const std::string path = workConfPath();
    if (!fileExists(path)) return;
    IniFile conf(path);
    loadOptions(conf, kSection, optionTable(), options);
    radiusText = conf.readString(kProgramSection, "Radius", radiusText);
}

void TWPCollector::writeSettings() {
    try {
        IniFile conf(workConfPath());
        IniFile::Batch batch(conf);
        saveOptions(conf, kSection, optionTable(), options);
        conf.writeString(kProgramSection, "Radius", radiusText);
    } catch (const IniWriteError& e) {
        showErrorCode(ctx_.host(), e.errorCode(), "Fehler beim Schreiben der Datei " + workConfPath());
    }
}

void TWPCollector::onClose() {
    if (saveSettings) writeSettings();
}

// ---- view

std::string TWPCollector::cellText(int row, int column) const {
    return cellText(rowRec(row), column);
}

std::string TWPCollector::cellText(const TCacheRec& r, int column) const {
    const bool valid = validCoords(r);
    switch (column) {
        case 0:
            return r.Waypoint;
        case 1:
            return r.CacheName;
        case 2: {
            if (!valid) return {};
            const auto d = DistanceBearing(refLat_, refLon_, r.Lat, r.Lon);
            return d.ok ? formatFixed(d.distanceKm, 1, ',') : std::string();
        }
        case 3:
            return valid ? formatDate(r.HiddenDate) : "?";
        case 4:
            return valid ? FormatLatLonPadded(r.Lat, r.Lon) : "?";
        case 5:
            return valid ? r.CacheSize : "?";
        case 6:
            return valid ? r.Difficulty : "0.0";
        case 7:
            return valid ? r.Terrain : "0.0";
        case 8:
            return valid ? countryNameByID(ctx_.countries, r.CountryID) : "?";
        case 9:
            return current_ == kFindsList ? formatDate(r.foundDate()) : std::string();
        default:
            return {};
    }
}

std::string TWPCollector::headline() const {
    return std::string(kWPLists[current_ - 1].title) + " (" + std::to_string(current().count()) +
           " Eintr\xE4ge)";
}

void TWPCollector::rebuildView(bool resort) {
    order_.resize(static_cast<std::size_t>(current().count()));
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
    if (resort && sortColumn_ >= 0) applySort();
}

void TWPCollector::sortBy(int column) {
    if (column < 0 || column >= kWPColumnCount) return;
    descending_ = column == lastSorted_ ? !descending_ : false;
    sortColumn_ = lastSorted_ = column;
    applySort();
    changed();
}

void TWPCollector::applySort() {
    const int c = sortColumn_;
    std::vector<int> rows = order_;
    const bool numeric = c == 2 || c == 3 || c == 9;
    std::vector<double> num;
    std::vector<std::string> text;
    const std::size_t n = static_cast<std::size_t>(current().count());
    if (numeric) {
        num.resize(n);
        for (std::size_t p = 0; p < n; ++p) {
            const std::string t = cellText(current().at(static_cast<int>(p)), c);
            if (c == 2) {
                const auto v = parseDouble(t, ',');
                num[p] = v ? *v : 0;
            } else {
                num[p] = dateSortKey(t);
            }
        }
    } else {
        text.resize(n);
        for (std::size_t p = 0; p < n; ++p)
            text[p] = textSortKey(cellText(current().at(static_cast<int>(p)), c));
    }
    const bool desc = descending_;
    // A stable sort keeps equal rows in their list order (a comparison that never reports
    // equality is not a valid ordering).
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        if (desc) std::swap(a, b);
        const auto pa = static_cast<std::size_t>(a), pb = static_cast<std::size_t>(b);
        if (numeric) return num[pa] < num[pb];
        return compareNoCase(text[pa], text[pb]) < 0;
    });
    order_ = std::move(rows);
}

// ---- centre and reference point

std::vector<std::string> TWPCollector::homeChoices() const {
    std::vector<std::string> out{"HOME"};
    for (const auto& t : ctx_.settings.AddHomeTxt) out.push_back(t);
    return out;
}

void TWPCollector::homeCoord(int index, double& lat, double& lon) const {
    const TProcSettings& s = ctx_.settings;
    lat = s.HomeLat;
    lon = s.HomeLong;
    const auto n = static_cast<std::size_t>(index);
    if (index < 1 || n > s.AddHomeTxt.size() || n > s.AddHomeLat.size() || n > s.AddHomeLon.size()) return;
    lat = parseDouble(s.AddHomeLat[n - 1]).value_or(0);
    lon = parseDouble(s.AddHomeLon[n - 1]).value_or(0);
}

void TWPCollector::setReferenceIndex(int index) {
    options.RadSearchHomeIndexGlobal = index;
    homeCoord(index, refLat_, refLon_);
    changed();
}

void TWPCollector::setCentreIndex(int index) {
    options.RadSearchHomeIndex = index;
    homeCoord(index, centreLat_, centreLon_);
    centreManual_ = false;
    changed();
}

void TWPCollector::setCentreManual(double lat, double lon) {
    centreLat_ = lat;
    centreLon_ = lon;
    centreManual_ = true;
    changed();
}

bool TWPCollector::setCentreFromRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    const auto rec = findInDatabase(rowRec(row).Waypoint);
    if (!rec) return false;
    options.ActivePage = 1;
    setCentreManual(rec->Lat, rec->Lon);
    return true;
}

std::string TWPCollector::centreText() const {
    std::string t = FormatLatLonPadded(centreLat_, centreLon_);
    if (centreManual_) t += std::string(" ") + kManualNote;
    return t;
}

// ---- operations

void TWPCollector::selectList(int n) {
    if (n < 1 || n > 4) return;
    current_ = n;
    rebuildView(false);
    changed();
}

bool TWPCollector::refusedByIgnoreFinds(std::string_view waypoint) const {
    return options.IgnoreFinds && current_ == kWorkList &&
           (list(kIgnoreList).contains(waypoint) || list(kFindsList).contains(waypoint));
}

TWPCollector::AddResult TWPCollector::addByWaypoint(std::string_view text) {
    const std::string wp = upperCase(trimTrailingControl(trimLeadingControl(text)));
    if (wp.empty()) return AddResult::Refused;
    if (const WaypointCheck check = checkWaypoint(wp); !check.ok()) {
        ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, check.problem);
        return AddResult::Invalid;
    }
    auto db = findInDatabase(wp);
    TCacheRec rec;
    if (db) {
        rec = std::move(*db);
    } else {
        if (ctx_.host().message(MsgKind::Warning, MsgButtons::YesNoDefaultNo, kUnknownWaypoint) !=
            MsgResult::Yes)
            return AddResult::Declined;
        rec = placeholderRec(wp, false);
    }
    if (current().contains(wp)) return AddResult::AlreadyThere;
    if (refusedByIgnoreFinds(wp)) return AddResult::Refused;
    if (current_ == kFindsList) rec.setFoundDate(findsDate);
    mutableCurrent().append(std::move(rec));
    modified_ = true;
    waypointText.clear();
    rebuildView(false);
    changed();
    return AddResult::Added;
}

std::vector<std::string> TWPCollector::nameSearchLines(std::string_view text) const {
    const std::string needle = upperCase(text);
    std::vector<std::string> lines;
    for (int pos = 0; pos < snapshot_.count(); ++pos) {
        const TCacheRec r = snapshot_.at(pos);
        if (upperCase(r.CacheName).find(needle) == std::string::npos) continue;
        if (current().contains(r.Waypoint) || refusedByIgnoreFinds(r.Waypoint)) continue;
        std::string line = r.CacheName + " (" + r.Waypoint + ")";
        if (line.size() > kHitLineMax) line.resize(kHitLineMax);
        lines.push_back(std::move(line));
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
    return lines;
}

int TWPCollector::addByName() {
    if (!addByNameEnabled()) return 0;
    std::vector<std::string> lines = nameSearchLines(nameText);
    if (lines.empty()) return 0;
    std::vector<bool> ticked(lines.size(), true);
    if (options.PreselectMultiFinds && selectHits && !selectHits(lines, ticked)) return 0;
    int added = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i >= ticked.size() || !ticked[i]) continue;
        auto rec = findInDatabase(waypointOfHitLine(lines[i]));
        if (!rec) continue;
        if (current_ == kFindsList) rec->setFoundDate(findsDate);
        mutableCurrent().append(std::move(*rec));
        ++added;
    }
    if (added > 0) {
        modified_ = true;
        nameText.clear();
        rebuildView(false);
    }
    changed();
    return added;
}

int TWPCollector::radiusSearch() {
    const double radius = parseRadiusText(radiusText);
    if (!(radius > 0)) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kRadiusWrong);
        return -1;
    }
    const TCacheFilterOptions& f = options.filter;
    const bool ignoreFinds = options.IgnoreFinds && current_ == kWorkList;
    const TDateTime now = ctx_.now();
    WPList& cur = mutableCurrent();
    const WPList& finds = list(kFindsList);
    const WPList& ignores = list(kIgnoreList);
    const double lat = centreLat_, lon = centreLon_;
    int added = 0;
    // Distance first: the list and set tests run only for the few records inside the radius.
    for (int pos = 0; pos < snapshot_.count(); ++pos) {
        const DistanceBearingResult d = DistanceBearing(lat, lon, snapshot_.lat(pos), snapshot_.lon(pos));
        if (!d.ok || d.distanceKm > radius) continue;
        const TCacheRec r = snapshot_.at(pos);
        if (cur.contains(r.Waypoint)) continue;
        if (!passesDateAndType(r, f)) continue;
        if (ignoreFinds && (finds.contains(r.Waypoint) || ignores.contains(r.Waypoint))) continue;
        if (f.SkipArchived && isArchived(r.Waypoint)) continue;
        if (!passesEventAndSize(r, f, now)) continue;
        TCacheRec copy = r;
        if (current_ == kFindsList) copy.setFoundDate(findsDate);
        cur.append(std::move(copy));
        ++added;
    }
    if (added > 0) {
        modified_ = true;
        rebuildView(false);
        changed();
    }
    return added;
}

int TWPCollector::loadFromFiles(WPFileFormat format, const std::vector<std::string>& files) {
    std::vector<std::string> candidates;
    unreadableFiles_ = 0;
    for (const std::string& path : files) {
        std::string error;
        std::vector<std::string> refused;
        const int code = readWaypointCandidates(path, format, candidates, &error, &refused);
        if (code != 0) ++unreadableFiles_;
        if (code > 0) {
            showErrorCode(ctx_.host(), code, "Fehler beim Lesen der Datei " + path);
        } else if (code < 0) {
            ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                                "Fehler beim Lesen der Datei " + path + "\r\n" + error);
        }
        if (!refused.empty())
            ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, refusedWaypointsText(path, refused));
    }
    int added = 0;
    for (const std::string& wp : candidates) {
        auto rec = findInDatabase(wp);
        if (refusedByIgnoreFinds(wp)) continue;
        TCacheRec entry = rec ? std::move(*rec) : placeholderRec(wp, false);
        if (current_ == kFindsList) entry.setFoundDate(findsDate);
        mutableCurrent().append(std::move(entry));
        ++added;
    }
    if (added > 0) {
        modified_ = true;
        rebuildView(false);
    }
    changed();
    return added;
}

int TWPCollector::loadFromChosenFiles() {
    static const FileFilter kFilters[3] = {
        {"GPX-Dateien", "*.gpx"}, {"LOC-Dateien", "*.loc"}, {"Textdateien", "*.txt"}};
    const int format = std::clamp(options.ImportFormatIndex, 0, 2);
    FileDialogOptions chooser;
    chooser.title = "Wegpunkte laden";
    chooser.startDir = ctx_.settings.WorkDir.empty() ? ctx_.workDirPath() : ctx_.settings.WorkDir;
    chooser.filters.push_back(kFilters[format]);
    for (int i = 0; i < 3; ++i)
        if (i != format) chooser.filters.push_back(kFilters[i]);
    const std::vector<std::string> files = ctx_.host().chooseOpenFiles(chooser, true);
    if (files.empty()) return 0;
    return loadFromFiles(static_cast<WPFileFormat>(format), files);
}

std::vector<bool> TWPCollector::positionsOf(const std::vector<int>& rows) const {
    std::vector<bool> marked(static_cast<std::size_t>(current().count()), false);
    for (int row : rows)
        if (row >= 0 && row < rowCount()) marked[static_cast<std::size_t>(listPos(row))] = true;
    return marked;
}

int TWPCollector::moveRows(const std::vector<int>& rows, int target) {
    if (target < 1 || target > 4 || target == current_) return 0;
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    WPList& to = mutableList(target);
    for (int row : sorted) {
        if (row < 0 || row >= rowCount()) continue;
        TCacheRec rec = rowRec(row);
        if (to.contains(rec.Waypoint)) continue;
        if (target == kFindsList && rec.foundDate() == 0) rec.setFoundDate(findsDate);
        to.append(std::move(rec));
    }
    const int moved = mutableCurrent().removeMarked(positionsOf(sorted));
    if (moved > 0) modified_ = true;
    rebuildView(true);
    changed();
    return moved;
}

int TWPCollector::removeRows(const std::vector<int>& rows) {
    const int removed = mutableCurrent().removeMarked(positionsOf(rows));
    if (removed > 0) modified_ = true;
    rebuildView(true);
    changed();
    return removed;
}

int TWPCollector::deleteMarkedRows(const std::vector<int>& rows) {
    modified_ = true;
    return removeRows(rows);
}

std::vector<std::string> TWPCollector::mapWaypoints(const std::vector<int>& rows) const {
    std::vector<std::string> waypoints;
    if (rows.empty()) {
        for (int p = 0; p < current().count(); ++p) waypoints.push_back(current().at(p).Waypoint);
    } else {
        for (int row : rows) waypoints.push_back(rowRec(row).Waypoint);
    }
    return waypoints;
}

int TWPCollector::removeWaypoints(const std::vector<std::string>& waypoints) {
    if (waypoints.empty()) return 0;
    std::unordered_set<std::string> gone;
    for (const std::string& w : waypoints) gone.insert(upperCase(w));
    const int removed = removeWhere([&](const std::string& wp) { return gone.count(upperCase(wp)) > 0; });
    if (removed > 0) {
        modified_ = true;
        changed();
    }
    return removed;
}

int TWPCollector::removeWhere(const std::function<bool(const std::string& waypoint)>& goes) {
    std::vector<bool> marked(static_cast<std::size_t>(current().count()), false);
    for (int p = 0; p < current().count(); ++p)
        marked[static_cast<std::size_t>(p)] = goes(current().at(p).Waypoint);
    const int removed = mutableCurrent().removeMarked(marked);
    rebuildView(true);
    changed();
    return removed;
}

int TWPCollector::removeAll() {
    const int n = current().count();
    mutableCurrent().clear();
    modified_ = true;
    rebuildView(false);
    changed();
    return n;
}

int TWPCollector::removeFindsAndIgnores() {
    if (!removeFindsEnabled()) return 0;
    modified_ = true;  // set even when nothing goes
    return removeWhere([this](const std::string& wp) {
        return list(kFindsList).contains(wp) || list(kIgnoreList).contains(wp);
    });
}

int TWPCollector::removeArchived() {
    if (!removeFindsEnabled()) return 0;
    modified_ = true;
    return removeWhere([this](const std::string& wp) { return isArchived(wp); });
}

int TWPCollector::takeOverFoundDate(const std::vector<int>& rows) {
    if (!takeFoundDateEnabled()) return 0;
    int replaced = 0;
    for (int row : rows) {
        if (row < 0 || row >= rowCount()) continue;
        auto rec = findInDatabase(rowRec(row).Waypoint);
        if (!rec) continue;
        rec->setFoundDate(findsDate);
        mutableCurrent().replace(listPos(row), std::move(*rec));
        ++replaced;
    }
    if (replaced > 0) modified_ = true;
    rebuildView(true);
    changed();
    return replaced;
}

void TWPCollector::correctCacheData(const TCacheRec& edited) {
    if (edited.Waypoint.empty()) return;
    if (const int pos = dbIndex_.find(edited.Waypoint); pos >= 0) {
        snapshot_.replace(pos, edited);
    } else {
        dbIndex_.add(edited.Waypoint, snapshot_.add(edited));
    }
    for (int n = 1; n <= 4; ++n) {
        WPList& l = mutableList(n);
        for (int p = 0; p < l.count(); ++p) {
            if (!equalsNoCase(l.at(p).Waypoint, edited.Waypoint)) continue;
            TCacheRec rec = edited;
            // The editor knows nothing of found dates; an own find keeps its date.
            if (n == kFindsList) rec.setFoundDate(l.at(p).foundDate());
            l.replace(p, std::move(rec));
        }
    }
    changed();
}

void TWPCollector::removeRowAfterDetails(int row) {
    removeRows({row});
}

bool TWPCollector::save() {
    Host& host = ctx_.host();
    const std::string dir = ctx_.workDirPath();
    for (const char* name :
         {kWorkListFileName, kIgnoreListFileName, kFoundFileName, kClipboardListFileName}) {
        copyFileAtomic(dir + name, dir + name + ".bk");  // a missing file has no backup
    }
    bool ok = true;
    for (int n : {kWorkList, kIgnoreList, kClipboardList}) {
        std::vector<std::string> lines;
        lines.reserve(static_cast<std::size_t>(list(n).count()));
        for (const TCacheRec& r : list(n).records()) lines.push_back(r.Waypoint);
        const std::string path = dir + kWPLists[n - 1].file;
        if (writeListFile(path, lines) != 0) {
            host.message(MsgKind::Error, MsgButtons::Ok, "Fehler beim Schreiben der Datei " + path);
            ok = false;
        }
    }
    std::vector<TFoundRec> finds;
    finds.reserve(static_cast<std::size_t>(list(kFindsList).count()));
    for (const TCacheRec& r : list(kFindsList).records()) {
        TFoundRec f;
        f.Lat = r.Lat;
        f.Lon = r.Lon;
        f.Waypoint = r.Waypoint;
        f.CacheName = r.CacheName.substr(0, 80);
        f.CacheType = r.CacheType;
        f.FoundDate = formatDate(r.foundDate());
        finds.push_back(std::move(f));
    }
    const std::string findsPath = dir + kFoundFileName;
    if (writeFoundRecords(findsPath, finds) != 0) {
        host.message(MsgKind::Error, MsgButtons::Ok, "Fehler beim Schreiben der Datei " + findsPath);
        ok = false;
    }
    // A failed file keeps its old content; the changes stay here so that the user can try again.
    if (!ok) return false;
    modified_ = false;
    close();
    return true;
}

bool TWPCollector::cancel() {
    if (modified_ &&
        ctx_.host().message(MsgKind::Warning, MsgButtons::YesNoDefaultNo, kCancelWarning) != MsgResult::Yes)
        return false;
    close();
    return true;
}

}  // namespace vellora
