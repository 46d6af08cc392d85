#include "import/DbFromListings.h"

#include <cmath>
#include <optional>

#include "core/DateUtil.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"

namespace vellora {
namespace {

constexpr char kDegreeSign = '\xB0';
// 0.001 minute of arc, the precision of a listing page's coordinates.
constexpr double kSamePositionDeg = 0.0000167;

// The page file of base + extension; on a file system that tells case apart, also a file whose
// name differs from it only in case.
std::optional<std::string> readPageFile(const std::string& base, std::string_view extension) {
    const std::string path = base + std::string(extension);
    if (auto text = readFile(path)) return text;
    const std::string dir = extractFilePath(path);
    const std::string name = extractFileName(path);
    for (const std::string& candidate : listFiles(dir.empty() ? "." : dir, name)) {
        if (equalsNoCase(candidate, name)) {
            if (auto text = readFile(dir + candidate)) return text;
        }
    }
    return std::nullopt;
}

// The page text: its lines joined with CR LF.
std::optional<std::string> readPage(const std::string& base) {
    auto raw = readPageFile(base, ".html");
    if (!raw) raw = readPageFile(base, ".htm");
    if (!raw) return std::nullopt;
    std::string page;
    page.reserve(raw->size() + raw->size() / 32);
    bool first = true;
    for (const std::string& line : splitListLines(*raw)) {
        if (!first) page += "\r\n";
        page += line;
        first = false;
    }
    return page;
}

void removeTags(std::string& text) {
    while (removeFirstSpan(text, "<", ">")) {
    }
}

// "mm/dd/yyyy" with one- or two-digit month and day.
std::optional<TDateTime> parseUsDate(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int idx = 0, digits = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 4) return std::nullopt;
            parts[idx] = parts[idx] * 10 + (c - '0');
        } else if (c == '/' && idx < 2 && digits > 0) {
            ++idx;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (idx != 2 || digits == 0 || !isValidDate(parts[2], parts[0], parts[1])) return std::nullopt;
    return encodeDate(parts[2], parts[0], parts[1]);
}

// Whole degrees before "°" (none: 0) plus the decimal minutes after it over 60; 0 without "°" or
// when a number cannot be read.
double degreesMinutes(std::string_view part) {
    const std::size_t sign = part.find(kDegreeSign);
    if (sign == std::string_view::npos) return 0;
    const std::string_view degText = part.substr(0, sign);
    const std::string_view minText = part.substr(sign + 1);
    double degrees = 0;
    for (const char c : degText) {
        if (c < '0' || c > '9') return 0;
        degrees = degrees * 10 + (c - '0');
    }
    double minutes = 0;
    if (!minText.empty()) {
        const auto m = parseDouble(minText, '.');
        if (!m || !std::isfinite(*m)) return 0;
        minutes = *m;
    }
    return degrees + minutes / 60.0;
}

std::string_view dropLetterAndZeros(std::string_view part) {
    if (!part.empty()) part.remove_prefix(1);
    while (!part.empty() && part.front() == '0') part.remove_prefix(1);
    return part;
}

}  // namespace

void ReadListingCoordinates(std::string_view latLonText, double& lat, double& lon) {
    lat = 0;
    lon = 0;
    std::string kept;
    for (const char c : latLonText) {
        if (c == '.' || (c >= '0' && c <= '9') || c == 'E' || c == 'N' || c == 'S' || c == 'W' ||
            c == kDegreeSign) {
            kept += c;
        }
    }
    const std::size_t split = kept.find_first_of("EW");
    if (split == std::string::npos) return;
    const std::string_view latPart = std::string_view(kept).substr(0, split);
    const std::string_view lonPart = std::string_view(kept).substr(split);
    const double latSign = !latPart.empty() && latPart.front() == 'S' ? -1.0 : 1.0;
    const double lonSign = lonPart.front() == 'E' ? 1.0 : -1.0;
    lat = latSign * degreesMinutes(dropLetterAndZeros(latPart));
    lon = lonSign * degreesMinutes(dropLetterAndZeros(lonPart));
}

TCacheRec ReadSavedListing(const RunContext& ctx, const std::string& basePath, std::string* waypointProblem) {
    TCacheRec rec;
    const auto pageText = readPage(basePath);
    if (!pageText) return rec;
    std::string page = *pageText;
    std::string span;

    cutInner(page, span, "<span id=\"LatLon\">", "</span>");
    span = upperCase(span);
    removeTags(span);
    if (span.find("LOGGED") != std::string::npos) return TCacheRec{};
    ReadListingCoordinates(span, rec.Lat, rec.Lon);

    if (!cutInner(page, span, "<span id=\"WaypointName\">", "</span>") &&
        !cutInner(page, span, "<span id='WaypointName'>", "</span>")) {
        return TCacheRec{};
    }
    WaypointCheck check = checkWaypoint(trimControl(span));
    if (!check.ok()) {
        if (waypointProblem) *waypointProblem = std::move(check.problem);
        return TCacheRec{};
    }
    rec.Waypoint = std::move(check.waypoint);

    if (cutInner(page, span, "<span id=\"lnkDetails\">", "</span>")) {
        constexpr std::string_view kPhrase = "THIS IS A";
        const std::size_t at = upperCase(span).find(kPhrase);
        if (at != std::string::npos) span.erase(0, std::min(span.size(), at + kPhrase.size() + 1));
        removeTags(span);
        removeAll(span, "cache.");
        rec.CacheType = std::string(stripBlanks(span).substr(0, TCacheRec::kCacheTypeMax));
    }

    {
        const std::string lower = [&] {
            std::string l = page;
            for (char& c : l) {
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            }
            return l;
        }();
        const std::size_t header = lower.find("charcoal_header");
        const std::size_t cell = header == std::string::npos ? header : lower.find("<td", header);
        const std::size_t cellEnd = cell == std::string::npos ? cell : lower.find("</td>", cell);
        if (cellEnd != std::string::npos) {
            std::string size = page.substr(cell, cellEnd - cell);
            removeFirstSpan(size, "<", ">");
            removeAll(size, "&nbsp;");
            rec.CacheSize = size.substr(0, TCacheRec::kCacheSizeMax);
        }
    }

    if (cutInner(page, span, "<span id=\"CacheName\">", "</span>")) {
        std::string name = span.substr(0, TCacheRec::kCacheNameMax);
        std::string owner;
        if (cutInner(page, owner, "<span id=\"CacheOwner\">", "</span")) {
            removeTags(owner);
            while (removeFirstSpan(owner, "[", "]")) {
            }
            std::size_t lead = 0;
            while (lead < owner.size() && owner[lead] == ' ') ++lead;
            name += ' ';
            name.append(owner, lead, std::string::npos);
            repairUtf8(name);
            decodeEntities(name);
            name.resize(std::min(name.size(), TCacheRec::kCacheNameMax));
        }
        rec.CacheName = name;
    }

    std::string rating;
    if (cutInner(page, span, "<span id=\"Difficulty\">", "</span>") &&
        cutInner(span, rating, "alt=\"", " out of")) {
        rec.Difficulty = rating.substr(0, TCacheRec::kRatingMax);
    }
    if (cutInner(page, span, "<span id=\"Terrain\">", "</span>") &&
        cutInner(span, rating, "alt=\"", " out of")) {
        rec.Terrain = rating.substr(0, TCacheRec::kRatingMax);
    }

    if (cutInner(page, span, "<span id=\"Location\">", "</span>") && span.size() > 3) {
        rec.CountryID = countryIDByName(ctx.countries, span.substr(3));
    }

    if (cutInner(page, span, "<span id=\"DateHidden\">", "</span>")) {
        std::string date = trimTrailingControl(trimLeadingControl(span));
        if (date.size() > 1 && date[1] == '/') date.insert(date.begin(), '0');
        if (const auto d = parseUsDate(date)) rec.HiddenDate = *d;
    }
    return rec;
}

bool SameCacheData(const TCacheRec& p, const TCacheRec& d) {
    return equalsNoCase(p.CacheName, d.CacheName) && std::fabs(p.Lat - d.Lat) <= kSamePositionDeg &&
           std::fabs(p.Lon - d.Lon) <= kSamePositionDeg && p.HiddenDate == d.HiddenDate &&
           equalsNoCase(p.CacheType, d.CacheType) && equalsNoCase(p.CacheSize, d.CacheSize) &&
           p.Difficulty == d.Difficulty && p.Terrain == d.Terrain && p.CountryID == d.CountryID;
}

void TfrmDbFromListings::addLine(std::string line) {
    protocol_.push_back(std::move(line));
    changed();
}

void TfrmDbFromListings::setButtons(bool start, bool close) {
    startEnabled_ = start;
    closeEnabled_ = close;
    changed();
}

void TfrmDbFromListings::btnBrowseClick() {
    const std::string start = otherDirectory.empty() ? ctx_.programDirPath() : otherDirectory;
    if (const auto folder = ctx_.host().chooseFolder(kBrowseTitle, start)) {
        otherDirectory = *folder;
        directory = Directory::Other;
        changed();
    }
}

void TfrmDbFromListings::btnStartClick() {
    Host& host = ctx_.host();
    setButtons(false, false);
    protocol_.clear();
    new_ = skipped_ = changed_ = 0;

    const std::string listPath = ctx_.workDirPath() + kWorkListFileName;
    std::vector<std::string> workList;
    if (addToWorkList) workList = readListFile(listPath);

    std::string dir = directory == Directory::Output ? ctx_.outDirPath() : otherDirectory;
    if (dir.empty()) {
        host.message(MsgKind::Error, MsgButtons::Ok, "Kein Suchverzeichnis festgelegt.");
        setButtons(true, true);
        return;
    }
    dir = withTrailingSlash(dir);

    std::vector<std::string> keys;
    for (const std::string& name : listFiles(dir, "*.htm*")) {
        const std::string upper = upperCase(name);
        if (upper.find('_') != std::string::npos || !upper.starts_with("GC")) continue;
        std::string key = upper.substr(0, upper.find('.'));
        addLine(key);
        keys.push_back(std::move(key));
    }
    if (keys.empty()) {
        host.message(MsgKind::Information, MsgButtons::Ok,
                     "Keine Cachebeschreibungen im angegebenen Verzeichnis gefunden.");
        setButtons(true, true);
        return;
    }

    // New caches are appended, which needs the database file; a first run starts it.
    const std::string dbPath = ctx_.workDirPath() + "Caches.bin";
    if (!fileExists(dbPath)) {
        if (const int code = writeFileAtomic(dbPath, ""); code != 0) {
            showErrorCode(host, code, "Kann Datei " + dbPath + " nicht lesen.");
            setButtons(true, true);
            return;
        }
    }

    for (const std::string& key : keys) {
        host.processEvents();
        std::string refusal;
        const TCacheRec r = ReadSavedListing(ctx_, dir + key, &refusal);
        if (!refusal.empty()) {
            addLine(key + ": " + refusal);
            continue;
        }
        if (r.Waypoint.empty() || r.CacheName.empty() || (r.Lat == 0 && r.Lon == 0)) {
            addLine(key + ": Fehler beim Extrahieren der Daten");
            continue;
        }
        // A saved page is outside data: what it says goes into the database only when it can be shown.
        if (const char* fault = cacheRecFault(r)) {
            addLine(key + ": " + fault);
            continue;
        }
        TCacheRec stored;
        if (!FindCache(ctx_, r.Waypoint, stored)) {
            if (!AppendCache(ctx_, r)) {
                addLine(r.Waypoint + ": Fehler beim Schreiben in die Datenbank");
                continue;
            }
            ++new_;
            addLine(r.Waypoint + ": " + r.CacheName + " (Neu)");
            if (addToWorkList) {
                bool listed = false;
                for (const std::string& w : workList) listed = listed || equalsNoCase(w, r.Waypoint);
                if (!listed) workList.push_back(r.Waypoint);
            }
        } else if (existing == Existing::Skip) {
            ++skipped_;
            addLine(r.Waypoint +
                    ": bereits vorhanden, wird \xFC"
                    "bersprungen");
        } else if (SameCacheData(r, stored)) {
            ++skipped_;
            addLine(r.Waypoint + ": vorhanden mit gleichen Daten");
        } else {
            ++changed_;
            addLine(r.Waypoint + ": vorhanden mit anderen Daten -> Update");
            UpdateCache(ctx_, r);
        }
    }
    addLine("Fertig. " + std::to_string(new_) + " neu, " + std::to_string(skipped_) +
            " \xFC"
            "bersprungen, " +
            std::to_string(changed_) + " ge\xE4ndert.");
    if (addToWorkList) writeListFile(listPath, workList);
    setButtons(false, true);
    RebuildIndex(ctx_);
    if (onDatabaseChanged) onDatabaseChanged();
}

}  // namespace vellora
