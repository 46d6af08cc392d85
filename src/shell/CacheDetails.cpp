#include "shell/CacheDetails.h"

#include <array>
#include <cmath>
#include <functional>

#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/PersInfo.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr std::array<const char*, 12> kMonths = {"Januar",    "Februar", "M\xE4rz",  "April",
                                                 "Mai",       "Juni",    "Juli",     "August",
                                                 "September", "Oktober", "November", "Dezember"};

long daysBetween(TDateTime from, TDateTime to) {
    return static_cast<long>(std::floor(to)) - static_cast<long>(std::floor(from));
}

std::string withDaysAgo(TDateTime date, TDateTime now) {
    if (!isRepresentableDate(date)) return {};  // a damaged record: no date, and no overflow
    return longGermanDate(date) + " (vor " + std::to_string(daysBetween(date, now)) + " Tagen)";
}

bool validPosition(double lat, double lon) {
    return lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180;
}

// The file name in dir, compared without regard to case; empty when it is not there.
std::string findFileNoCase(const std::string& dir, const std::string& name) {
    if (name.find_first_of("*?") != std::string::npos) {
        const std::string path = joinPath(dir, name);
        return fileExists(path) ? path : std::string();
    }
    const auto found = listFiles(dir, name);
    return found.empty() ? std::string() : joinPath(dir, found.front());
}

std::string findInSubdirectories(const std::string& dir, const std::string& name, int depth) {
    if (depth > 32) return {};  // a loop of symbolic links ends here
    for (const auto& sub : listDirs(dir)) {
        const std::string subDir = joinPath(dir, sub);
        if (std::string hit = findFileNoCase(subDir, name); !hit.empty()) return hit;
        if (std::string hit = findInSubdirectories(subDir, name, depth + 1); !hit.empty()) return hit;
    }
    return {};
}

}  // namespace

std::string longGermanDate(TDateTime date) {
    const DateParts p = decodeDateTime(date);
    return twoDigits(p.day) + ". " + kMonths.at(static_cast<std::size_t>(p.month - 1)) + " " +
           std::to_string(p.year);
}

std::string ratingText(const std::string& rating) {
    std::string text = rating;
    for (char& c : text) {
        if (c == '.') c = ',';
    }
    if (text.size() == 1) text += ",0";
    return text;
}

int ratingBarWidth(const std::string& rating) {
    const auto value = parseDouble(rating);
    if (!value || !std::isfinite(*value) || *value <= 0) return 0;
    return static_cast<int>(std::trunc(*value * kRatingBarPixelsPerPoint));
}

void TfrmCacheDetails::onOpen() {
    const TDateTime now = ctx_.now();
    if (!captionText.empty()) {
        foundLine_ = captionText;
        foundLineVisible_ = true;
        foundDateLine_.clear();
        foundDateVisible_ = false;
    } else if (foundDate.empty()) {
        foundLine_ = kFoundLine;
        foundLineVisible_ = foundDateVisible_ = false;
        foundDateLine_.clear();
    } else {
        foundLine_ = kFoundLine;
        foundLineVisible_ = foundDateVisible_ = true;
        const auto date = parseDate(foundDate);
        foundDateLine_ = date ? "am " + withDaysAgo(*date, now) : std::string();
    }

    const int code = CacheTypeCode(record.CacheType);
    typePicture_ = code <= 9 ? code : -1;
    cacheId_ = std::to_string(record.CacheID);
    difficulty_ = ratingText(record.Difficulty);
    terrain_ = ratingText(record.Terrain);
    difficultyBar_ = ratingBarWidth(record.Difficulty);
    terrainBar_ = ratingBarWidth(record.Terrain);
    hidden_ = withDaysAgo(record.HiddenDate, now);
    coordinates_ = validPosition(record.Lat, record.Lon) ? FormatLatLon(record.Lat, record.Lon) : "unbekannt";

    const auto db = DistanceBearing(ctx_.settings.HomeLat, ctx_.settings.HomeLong, record.Lat, record.Lon);
    distance_ =
        db.ok ? "Entfernung von den Heimkoordinaten: " + formatFixedSignificant(db.distanceKm, 5, 3, ',') +
                    " km in Richtung " + formatFixedSignificant(db.bearing, 3, 1, ',') + " \xB0"
              : std::string();
    country_ = countryNameByID(ctx_.countries, record.CountryID);

    findConvertedDescription();
    chooseNotesButton();
    result_ = Result::Closed;
}

void TfrmCacheDetails::findConvertedDescription() {
    convertedPath_.clear();
    if (record.Waypoint.empty()) return;
    const std::string name = record.Waypoint + "_converted.html";
    if (!directory.empty()) {
        convertedPath_ = findFileNoCase(directory, name);
        return;
    }
    const std::string out = ctx_.outDirPath();
    convertedPath_ = findFileNoCase(out, name);
    if (convertedPath_.empty()) convertedPath_ = findInSubdirectories(out, name, 0);
}

void TfrmCacheDetails::chooseNotesButton() {
    if (!notesAllowed || record.Waypoint.empty()) {
        notesButton_ = NotesButton::Hidden;
        return;
    }
    notesButton_ = HasNote(ctx_, record.Waypoint) ? NotesButton::NotePresent : NotesButton::NoNote;
}

void TfrmCacheDetails::showClick() {
    if (!convertedPath_.empty()) ctx_.host().openWithSystem(convertedPath_);
}

void TfrmCacheDetails::notesChanged() {
    chooseNotesButton();
}

TfrmCacheDetails::Differences TfrmCacheDetails::compareWith(const TCacheRec& other) const {
    Differences d;
    d.cacheId = record.CacheID != other.CacheID;
    d.name = !equalsNoCase(record.CacheName, other.CacheName);
    d.hidden = record.HiddenDate != other.HiddenDate;
    d.coordinates = std::fabs(record.Lat - other.Lat) > 0.001 || std::fabs(record.Lon - other.Lon) > 0.001;
    d.size = record.CacheSize != other.CacheSize;
    d.waypoint = record.Waypoint != other.Waypoint;
    d.difficulty = record.Difficulty != other.Difficulty;
    d.terrain = record.Terrain != other.Terrain;
    d.country = record.CountryID != other.CountryID;
    return d;
}

bool TfrmCacheDetails::keyPressed(Key key, bool withModifier) {
    if (withModifier) return false;
    result_ = key == Key::Delete && removeButtonVisible ? Result::Remove : Result::Closed;
    return true;
}

}  // namespace vellora
