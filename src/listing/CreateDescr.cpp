#include "listing/CreateDescr.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "core/AppHome.h"
#include "core/CacheRec.h"
#include "core/ContentPolicy.h"
#include "core/Cp1252.h"
#include "core/FastStrings.h"
#include "core/FileProcs.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/HtmlClean.h"
#include "core/IniFile.h"
#include "core/Koord.h"
#include "core/MapTiles.h"
#include "core/NumberText.h"
#include "core/OptionTable.h"
#include "core/PersInfo.h"
#include "core/RunContext.h"
#include "core/SafePath.h"
#include "core/Settings.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "listing/ImageSize.h"

namespace vellora {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kNoHint = "Keine weiteren Hinweise verf&uuml;gbar.";
constexpr const char* kNotFound = "noch nicht gefunden";
constexpr const char* kWriteError = "Fehler beim Schreiben der Datei ";
constexpr const char* kActiveNote =
    "\r\n\r\n(Images/Links/aktive Inhalte: Skripte, Frames, Objekte, Formulare, Ereignis-Attribute)";

// "dd. mm. yyyy" or "dd. mm. yyyy, hh:nn"
std::string descrDate(TDateTime value, bool withTime) {
    const DateParts d = decodeDateTime(value);
    char year[16];
    std::snprintf(year, sizeof year, "%04d", d.year);
    std::string s = twoDigits(d.day) + ". " + twoDigits(d.month) + ". " + year;
    if (withTime) s += ", " + twoDigits(d.hour) + ":" + twoDigits(d.minute);
    return s;
}

// Inside brackets the site leaves the hint plain, so the ROT13 of the clean-up is undone there.
void restoreBrackets(std::string& hint) {
    bool inside = false;
    for (char& c : hint) {
        if (c == '[') inside = true;
        if (c == ']') inside = false;
        if (inside) c = rot13Char(c);
    }
}

// replaceAll's result (case-sensitive, left to right, no overlaps) with the buffer sized exactly:
// the values put into a template are long, and replaceAll sizes its buffer by their length ratio.
void substitute(std::string& text, std::string_view pattern, std::string_view value) {
    std::size_t hit = text.find(pattern);
    if (hit == std::string::npos) return;
    std::size_t count = 0;
    for (std::size_t at = hit; at != std::string::npos; at = text.find(pattern, at + pattern.size())) ++count;
    std::string out;
    out.reserve(text.size() - count * pattern.size() + count * value.size());
    std::size_t from = 0;
    for (; hit != std::string::npos; hit = text.find(pattern, from)) {
        out.append(text, from, hit - from);
        out.append(value);
        from = hit + pattern.size();
    }
    out.append(text, from);
    text.swap(out);
}

bool containsNoCase(std::string_view text, std::string_view part) {
    return fastPosNoCase(text, part) > 0;
}

// A list entry that can name files of the output directory and nothing beyond it.
bool usableWaypoint(std::string_view w) {
    if (w.empty()) return false;
    return std::none_of(w.begin(), w.end(), [](char c) {
        return c == '/' || c == '\\' || c == '*' || c == '?' || static_cast<unsigned char>(c) < 32;
    });
}

bool plainCode(std::string_view w) {
    return !w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// Removes every attribute from its opening text (ending in a double quote) to the closing quote.
void removeAttributes(std::string& text, std::string_view open) {
    int from = 1;
    for (;;) {
        const int a = fastPosNoCase(text, open, from);
        if (a < 1) return;
        const std::size_t close = text.find('"', static_cast<std::size_t>(a) - 1 + open.size());
        if (close == std::string::npos) return;
        text.erase(static_cast<std::size_t>(a) - 1, close + 2 - static_cast<std::size_t>(a));
        // Only an attribute across the seam can start before a.
        from = std::max(1, a - static_cast<int>(open.size()) + 1);
    }
}

std::string rot13Table() {
    std::string s = "<table border=\"1\"><tr><td colspan=\"13\"><pre>Rot13-Tabelle</pre></td></tr>";
    s += kCrLf;
    s += "<tr>";
    for (char c = 'A'; c <= 'M'; ++c) s += std::string("<td><pre>") + c + "</pre></td>";
    s += "</tr>";
    s += kCrLf;
    s += "<tr>";
    for (char c = 'N'; c <= 'Z'; ++c) s += std::string("<td><pre>") + c + "</pre></td>";
    s += "</tr></table>";
    return s;
}

std::string buddyListText(std::vector<std::string> names) {
    if (names.empty()) return "leider niemand :-(";
    std::stable_sort(names.begin(), names.end(), LessNoCase{});
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) { return equalsNoCase(a, b); }),
                names.end());
    if (names.size() == 1) return names.front();
    std::string s;
    for (std::size_t i = 0; i < names.size(); ++i) s += (i ? ", " : "") + names[i];
    return s + ".";
}

struct MapKind {
    const char* name;
    const char* suffix;
};
constexpr MapKind kMapKinds[] = {
    {"MultiMap", "_multimap.gif"},
    {"MapPoint", "_mappoint.gif"},
    {"Stadtplandienst (Karte)", "_sdk1.png"},
    {"Stadtplandienst (Luftbild)", "_sdk1.jpg"},
    {"MapQuest", "_map.gif"},
    {"OpenStreetMap", kOsmMapSuffix},
};

}  // namespace

// ---- options ----

namespace {

using Opts = TCrDescOptions;
// "CrDescSaveOpts" and the options behind it, in the order they are written.
const SwitchedOptions<Opts> kCrDescTable = {
    boolOption("CrDescSaveOpts", &Opts::SaveOpts, false),
    &Opts::SaveOpts,
    {
        boolOption("CrDescKeepOld", &Opts::KeepOld),
        boolOption("CrDescLogs", &Opts::Logs),
        stringOption("CrDescMaxLogs", &Opts::MaxLogs),
        boolOption("CrDescBoldLogs", &Opts::BoldLogs),
        boolOption("CrDescCacheimages", &Opts::CacheImages),
        intOption("CrDescImageKind", &Opts::ImageKind),
        intOption("CrDescHints", &Opts::Hints),
        intOption("CrDescHome", &Opts::Home),
        intOption("CrDescResize", &Opts::Resize),
        boolOption("CrDescRmBody", &Opts::RmBody),
        boolOption("CrDescRmBGColor", &Opts::RmBGColor),
        boolOption("CrDescRmImg", &Opts::RmImg),
        boolOption("CrDescRmTables", &Opts::RmTables),
        boolOption("CrDescRmStyle", &Opts::RmStyle),
        boolOption("CrDescRmHREF", &Opts::RmHREF),
        boolOption("CrDescRmFont", &Opts::RmFont),
        boolOption("CrDescRmAll", &Opts::RmAll),
        stringOption("CrDescTemplateFile", &Opts::TemplateFile),
        // CrMapOrder0..4, taken only when the first one is set.
        customOption<Opts>(
            "CrMapOrder",
            [](IniFile& f, const char* s, const char* k, Opts& o) {
                if (f.readString(s, std::string(k) + "0", "").empty()) return;
                for (std::size_t i = 0; i < o.MapOrder.size(); ++i)
                    o.MapOrder[i] = f.readString(s, k + std::to_string(i), o.MapOrder[i]);
            },
            [](IniFile& f, const char* s, const char* k, const Opts& o) {
                for (std::size_t i = 0; i < o.MapOrder.size(); ++i)
                    f.writeString(s, k + std::to_string(i), o.MapOrder[i]);
            }),
    }};

}  // namespace

void loadCrDescOptions(IniFile& conf, TCrDescOptions& o) {
    loadOptions(conf, kProgramSection, kCrDescTable, o);
}

void saveCrDescOptions(IniFile& conf, const TCrDescOptions& o) {
    saveOptions(conf, kProgramSection, kCrDescTable, o);
}

// ---- the dialog ----

TCreateDescr::TCreateDescr(RunContext& ctx) : ctx_(ctx), site_(ctx.services) {}

TCreateDescr::~TCreateDescr() = default;

void TCreateDescr::onOpen() {
    site_ = ListingSite(ctx_.services);
    closedWithOk_ = false;
    runStarted_ = false;
    mapRow_ = 0;
    loadCrDescOptions(ctx_.programConf(), options);
    buildCacheList();
}

std::vector<std::string> TCreateDescr::homeItems() const {
    std::vector<std::string> items{"HOME"};
    items.insert(items.end(), ctx_.settings.AddHomeTxt.begin(), ctx_.settings.AddHomeTxt.end());
    return items;
}

void TCreateDescr::selectMapRow(int row) {
    mapRow_ = row;
    changed();
}

void TCreateDescr::moveMap(int delta) {
    const int target = mapRow_ + delta;
    auto& order = options.MapOrder;
    if (mapRow_ < 0 || target < 0 || target >= static_cast<int>(order.size())) return;
    std::swap(order[static_cast<std::size_t>(mapRow_)], order[static_cast<std::size_t>(target)]);
    mapRow_ = target;
    changed();
}

void TCreateDescr::setChoice(int newChoice) {
    choice = newChoice;
    buildCacheList();
    changed();
}

void TCreateDescr::buildCacheList() {
    caches_.clear();
    Host& host = ctx_.host();
    if (choice == 1) {
        const std::string outDir = ctx_.outDirPath();
        std::vector<std::string> seen;  // upper-case, sorted
        for (const auto& name : listFiles(outDir, "GC*.html")) {
            if (name.find('_') != std::string::npos) continue;
            const std::string w = name.substr(0, name.find('.'));
            const std::string key = upperCase(w);
            const auto at = std::lower_bound(seen.begin(), seen.end(), key);
            if (at != seen.end() && *at == key) continue;
            TCacheRec rec;
            if (!FindCache(ctx_, w, rec)) continue;
            seen.insert(at, key);
            caches_.push_back(w);
        }
        if (caches_.empty())
            host.message(MsgKind::Error, MsgButtons::Ok,
                         "Das Ausgabeverzeichnis enth\xE4lt keine Cachebeschreibungen.");
        headline_ = "Das Ausgabeverzeichnis enth\xE4lt " + std::to_string(caches_.size()) +
                    (caches_.size() == 1 ? " Cachebeschreibung." : " Cachebeschreibungen.");
    } else {
        int error = 0;
        caches_ = readListFile(ctx_.workDirPath() + kWorkListFileName, &error);
        if (error != 0)
            host.message(MsgKind::Error, MsgButtons::Ok, "Die Arbeitsliste enth\xE4lt keine Waypoints.");
        headline_ = "Die Arbeitsliste enth\xE4lt " + std::to_string(caches_.size()) +
                    (caches_.size() == 1 ? " Wegpunkt." : " Wegpunkte.");
    }
}

std::string TCreateDescr::templatePath() const {
    return options.TemplateFile.empty() ? ctx_.settings.Template : options.TemplateFile;
}

void TCreateDescr::btnStartClick() {
    run(false);
}

void TCreateDescr::startUnattended() {
    run(true);
    close();
}

void TCreateDescr::cancel() {
    cancelled_ = true;
    close();
}

void TCreateDescr::onClose() {
    saveCrDescOptions(ctx_.programConf(), options);
    // The batch waits for the dialog to close, whatever became of the run.
    setRunState(RunState::ClosedAfterRun);
}

bool TCreateDescr::loadTemplate() {
    const auto text = readFile(templatePath());
    template_ = text ? joinPageLines(*text) : std::string();
    if (template_.empty()) return false;
    template_ = withContentSecurityPolicy(template_);
    return true;
}

void TCreateDescr::prepareRun() {
    site_ = ListingSite(ctx_.services);
    buddies_.clear();
    for (auto& name : readListFile(ctx_.workDirPath() + kBuddiesFileName))
        if (!name.empty()) buddies_.push_back(std::move(name));
    homeName_ = "HOME";
    homeLat_ = ctx_.settings.HomeLat;
    homeLon_ = ctx_.settings.HomeLong;
    const auto& s = ctx_.settings;
    const std::size_t n = options.Home > 0 ? static_cast<std::size_t>(options.Home) : 0;
    if (n >= 1 && n <= s.AddHomeTxt.size() && n <= s.AddHomeLat.size() && n <= s.AddHomeLon.size()) {
        const auto lat = parseDouble(s.AddHomeLat[n - 1]);
        const auto lon = parseDouble(s.AddHomeLon[n - 1]);
        if (lat && lon) {
            homeName_ = s.AddHomeTxt[n - 1];
            homeLat_ = *lat;
            homeLon_ = *lon;
        }
    }
    notes_ = std::make_unique<IniFile>(notesFilePath(ctx_.workDirPath()));
}

void TCreateDescr::run(bool unattended) {
    Host& host = ctx_.host();
    quietRun_ = unattended;
    cancelled_ = false;
    runFailed_ = true;
    converted_ = skipped_ = 0;
    external_.clear();
    externalEntry_ = std::string::npos;
    activeRemoved_ = false;
    prepareRun();
    if (!loadTemplate()) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     std::string("Templatedatei nicht gefunden:") + kCrLf + templatePath());
        notes_.reset();
        return;
    }
    setRunning();
    runStarted_ = true;
    changed();

    const std::string outDir = ctx_.outDirPath();
    runNames_.clear();
    for (auto& name : listFiles(outDir)) {
        std::string key = upperCase(name);
        runNames_.emplace_back(std::move(key), std::move(name));
    }
    std::sort(runNames_.begin(), runNames_.end());
    inRun_ = true;

    const int total = static_cast<int>(caches_.size());
    host.beginProgress("", total);
    bool writeFailed = false;
    for (int i = 0; i < total && !writeFailed; ++i) {
        host.setProgress(i + 1);
        if (!cancelled_ && host.abortRequested()) cancelled_ = true;
        const std::string& w = caches_[static_cast<std::size_t>(i)];
        if (!cancelled_) {
            const std::string stem = outDir + w;
            if (!usableWaypoint(w) || (options.KeepOld && fileExists(stem + "_converted.html")) ||
                !fileExists(stem + ".html")) {
                host.setProgressText(
                    "\xDC"
                    "berspringe " +
                    w);
                ++skipped_;
            } else {
                host.setProgressText(
                    "Erzeuge Beschreibung f\xFC"
                    "r " +
                    w + " (Cache " + std::to_string(i + 1) + " von " + std::to_string(total) + ")");
                const int error = convertCache(w);
                if (error != 0) {
                    showErrorCode(host, error, kWriteError + stem + "_converted.html");
                    writeFailed = true;
                } else {
                    ++converted_;
                }
            }
        }
        host.processEvents();
    }
    inRun_ = false;
    runFailed_ = writeFailed;
    runNames_.clear();
    notes_.reset();
    host.setProgressText("Fertig.");
    host.endProgress();

    if (ctx_.settings.ShowMessages && !quietRun_)
        host.message(MsgKind::Information, MsgButtons::Ok,
                     std::to_string(converted_) + " Cachebeschreibungen konvertiert," + kCrLf +
                         std::to_string(skipped_) +
                         " Caches \xFC"
                         "bersprungen.");
    if (!external_.empty() && !quietRun_) {
        std::string list;
        for (const auto& e : external_) list += (list.empty() ? "" : ", ") + e;
        host.message(
            MsgKind::Warning, MsgButtons::Ok,
            std::string("Achtung! Aus folgender/folgenden Cachebeschreibung(en) wurden auf externen "
                        "Webservern liegende Images bzw. Links auf externe Server entfernt. Bitte vor der "
                        "Suche die Cachebeschreibungen durchlesen:") +
                kCrLf + kCrLf + list + (activeRemoved_ ? kActiveNote : ""));
    }
    // A cancelled run ends like "Abbrechen", not with OK.
    if (isOpen() && !cancelled_) closedWithOk_ = true;
    close();
}

// ---- one page ----

std::vector<std::string> TCreateDescr::namesMatching(const std::string& mask) const {
    if (!inRun_) return listFiles(ctx_.outDirPath(), mask);
    // Every mask used here starts with a literal waypoint: take that prefix's range of the snapshot.
    const std::string prefix = upperCase(mask.substr(0, mask.find_first_of("*?")));
    std::vector<std::string> names;
    auto it = std::lower_bound(runNames_.begin(), runNames_.end(), std::make_pair(prefix, std::string()));
    for (; it != runNames_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        if (matchesMask(it->second, mask)) names.push_back(it->second);
    return names;
}

std::string TCreateDescr::existingName(const std::string& name) const {
    if (inRun_) {
        const std::string key = upperCase(name);
        const auto it =
            std::lower_bound(runNames_.begin(), runNames_.end(), std::make_pair(key, std::string()));
        return it != runNames_.end() && it->first == key ? it->second : std::string();
    }
    if (fileExists(ctx_.outDirPath() + name)) return name;
    if (name.find_first_of("*?") != std::string::npos) return {};
    const auto names = listFiles(ctx_.outDirPath(), name);
    return names.empty() ? std::string() : names.front();
}

std::string TCreateDescr::pageWaypoint(const std::string& waypoint) const {
    return fields_.WaypointName.empty() ? waypoint : fields_.WaypointName;
}

void TCreateDescr::convertListing(const std::string& waypoint) {
    fields_ = TDescriptionFields{};
    externalEntry_ = std::string::npos;
    TCacheRec rec;
    if (FindCache(ctx_, waypoint, rec)) {
        fields_.known = true;
        fields_.lat = rec.Lat;
        fields_.lon = rec.Lon;
        fields_.LatLonText = FormatLatLon(rec.Lat, rec.Lon);
        fields_.MapLink = "<A HREF=\"" + ctx_.services.mapQuest +
                          "/maps/map.adp?latlongtype=decimal&latitude=" + formatFixed(rec.Lat, 3) +
                          "&longitude=" + formatFixed(rec.Lon, 3) +
                          "&zoom=6&style=RARE&size=medium\" target=\"_blank\">Mapquest-Karte</A>";
        if (!rec.CacheType.empty()) fields_.CacheType = rec.CacheType;
        if (!rec.CacheSize.empty()) fields_.CacheSize = rec.CacheSize;
    }
    const std::vector<std::string> names = namesMatching(waypoint + "*.*");
    const std::string pageFile = waypoint + ".html";
    const auto page = std::find_if(names.begin(), names.end(),
                                   [&](const std::string& n) { return equalsNoCase(n, pageFile); });
    const std::string pagePath = ctx_.outDirPath() + (page != names.end() ? *page : pageFile);
    if (const auto time = fileModified(pagePath)) {
        fields_.FileDateTime = descrDate(*time, true);
        fields_.FileDate = descrDate(*time, false);
    }
    if (page == names.end()) return;
    readPage(pagePath);

    const std::string meta = waypoint + ".meta";
    for (const auto& n : names)
        if (equalsNoCase(n, meta)) readImages(ctx_.outDirPath() + n);
    const std::string mapPart = waypoint + "_map.";
    for (const auto& n : names)
        if (containsNoCase(n, mapPart)) fields_.MapFileLink = "./" + n;
    // The OpenStreetMap map is the one a home loads today; it stands in when there is no other.
    const std::string osmMap = waypoint + kOsmMapSuffix;
    if (fields_.MapFileLink.empty())
        for (const auto& n : names)
            if (equalsNoCase(n, osmMap)) fields_.MapFileLink = "./" + n;
}

int TCreateDescr::convertCache(const std::string& waypoint) {
    convertListing(waypoint);
    applyRemovalOptions(fields_.LongDescription, waypoint);
    return fillTemplate(waypoint);
}

void TCreateDescr::readPage(const std::string& pagePath) {
    const auto raw = readFile(pagePath);
    if (!raw) return;
    // A page that declares UTF-8 (those written from GPX files) is converted properly, with
    // character references for what Windows-1252 lacks; the repair is only for pages that do not.
    const bool utf8 = htmlDeclaresUtf8(*raw);
    std::string page = joinPageLines(utf8 ? cp1252FromUtf8Html(*raw) : *raw);
    const auto repair = [utf8](std::string& text) {
        if (!utf8) repairUtf8(text);
    };
    // Bug and waypoint names come from the same page as the fields, so they need the same repair.
    fields_.TravelBugs = getTravelBugs(page);
    repair(fields_.TravelBugs);
    fields_.AdditionalWaypoints = getAdditionalWaypoints(page);
    repair(fields_.AdditionalWaypoints);

    TDescriptionFields& f = fields_;
    f.counters.fill(0);
    std::string id, content;
    SpanFieldReader fields(page);
    while (fields.next(id, content)) {
        // Pages written from GPX files name their hint span plainly and encode the bracketed parts too.
        const bool plainHintSpan = equalsNoCase(id, "HINTS");
        if (!cleanField(id, content, site_, f.counters)) continue;
        repair(content);
        if (id == "CACHENAME") {
            f.CacheName = std::move(content);
        } else if (id == "CACHEOWNER") {
            f.CacheOwner = std::move(content);
        } else if (id == "UTMFORMAT") {
            f.UtmFormat = std::move(content);
        } else if (id == "LOCATION") {
            f.Location = std::move(content);
        } else if (id == "DATEHIDDEN") {
            f.DateHidden = std::move(content);
        } else if (id == "WAYPOINTNAME") {
            f.WaypointName = std::move(content);
        } else if (id == "DIFFICULTY") {
            f.Difficulty = std::move(content);
        } else if (id == "TERRAIN") {
            f.Terrain = std::move(content);
        } else if (id == "ERRORTEXT") {
            f.ErrorText = std::move(content);
        } else if (id == "LNKDETAILS") {
            f.Watchers = std::move(content);
        } else if (id == "SHORTDESCRIPTION") {
            removeEverySpan(content, "<", ">");
            f.ShortDescription = std::move(content);
        } else if (id == "LONGDESCRIPTION") {
            replaceAllNoCase(content, "<P>", "\r\n[[P]]");
            replaceAllNoCase(content, "<BR>", "[[BR]]\r\n");
            replaceAll(content, "[[P]]", "<P>");
            replaceAll(content, "[[BR]]", "<BR>");
            f.LongDescription = std::move(content);
        } else if (id == "HINTS") {
            if (!plainHintSpan) restoreBrackets(content);
            f.Hints = std::move(content);
            f.hintStored = true;
        } else if (id == "NUMVISITS") {
            f.NumVisits = std::move(content);
        } else if (id == "CACHELOGS") {
            f.CacheLogs = std::move(content);
        }
    }
    finishLogs();
    if (!f.hintStored) f.Hints = kNoHint;
}

void TCreateDescr::finishLogs() {
    TDescriptionFields& f = fields_;
    std::string logs = finishLogBlock(std::move(f.CacheLogs));

    // Found logs, newest first: the text behind the marker up to the finder's count.
    const std::string found = std::string(kLogMarker) + ":-)&nbsp;";
    bool first = true;
    for (int at = fastPos(logs, found); at > 0; at = fastPos(logs, found, at + 1)) {
        const std::size_t from = static_cast<std::size_t>(at) - 1 + found.size();
        std::size_t end = logs.find(" (", from);
        if (end == std::string::npos) end = logs.find_first_of("\r\n", from);
        const std::string text = logs.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (first) f.LatestFoundLog = text;
        first = false;
        f.FirstFoundLog = text;
        const std::size_t by = text.find(" by ");
        if (by == std::string::npos) continue;
        const std::string finder = text.substr(by + 4);
        for (const auto& buddy : buddies_) {
            if (equalsNoCase(finder, buddy)) {
                f.FoundBuddies.push_back(finder);
                break;
            }
        }
    }
    if (first) f.FirstFoundLog = f.LatestFoundLog = kNotFound;

    if (const auto limit = parseInt32(options.MaxLogs); limit && *limit > 0) {
        int hit = 0, hits = 0;
        for (int start = 1; hits <= *limit; start = hit + 15) {
            hit = fastPos(logs, kLogMarker, start);
            if (hit < 1) break;
            ++hits;
        }
        if (hits == *limit + 1) {
            std::string cut = logs.substr(0, static_cast<std::size_t>(hit));
            while (!cut.empty() && !endsWithNoCase(cut, "</P>")) cut.pop_back();
            if (!cut.empty()) {
                logs = std::move(cut);
                f.LogLimitation = "Die Ausgabe der Logs wurde auf maximal " + std::to_string(*limit) +
                                  " beschr\xE4"
                                  "nkt.";
            }
        }
    }

    if (options.BoldLogs) {
        // Bold from each log's marker to its finder's count; gathered first, then written in one pass.
        std::vector<std::pair<std::size_t, const char*>> inserts;
        int start = 1;
        for (;;) {
            const int g = fastPos(logs, kLogMarker, start);
            if (g < 1) break;
            if (g == 1) {
                start = 2;
                continue;
            }
            inserts.emplace_back(static_cast<std::size_t>(g) - 1, "<B>");
            const int paren = fastCharPos(logs, '(', g + 26);
            if (paren < 1) break;
            inserts.emplace_back(static_cast<std::size_t>(paren) - 1, "</B>");
            start = g + 26;
        }
        if (!inserts.empty()) {
            std::stable_sort(inserts.begin(), inserts.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::string out;
            out.reserve(logs.size() + inserts.size() * 4);
            std::size_t copied = 0;
            for (const auto& [pos, tag] : inserts) {
                out.append(logs, copied, pos - copied);
                out += tag;
                copied = pos;
            }
            out.append(logs, copied);
            logs = std::move(out);
        }
    }
    f.CacheLogs = std::move(logs);
}

void TCreateDescr::readImages(const std::string& metaPath) {
    const std::vector<std::string> lines = readListFile(metaPath);
    const auto value = [&lines](std::size_t i) {
        if (i >= lines.size()) return std::string();
        const std::size_t hash = lines[i].find('#');
        return hash == std::string::npos ? lines[i] : lines[i].substr(hash + 1);
    };
    for (std::size_t i = 0; i < lines.size() && fields_.Images.size() < kMaxImages; i += 3) {
        TDescriptionImage img;
        img.path = value(i);
        // The loader stores them as the page had them, so they need the page fields' repair.
        img.title = value(i + 1);
        repairUtf8(img.title);
        img.description = value(i + 2);
        repairUtf8(img.description);
        // The loader stores a path inside the home relative to it.
        std::string file = resolveHomePath(ctx_.programDir(), img.path);
        if (!fileExists(file)) {
            const std::string name = extractFileName(img.path);
            const std::string stored = name.empty() ? std::string() : existingName(name);
            file = stored.empty() ? std::string() : ctx_.outDirPath() + stored;
        }
        if (!file.empty()) {
            const auto size = imageSizeOfFile(file);
            img.width = size ? size->width : 800;
            img.height = size ? size->height : 600;
        }
        fields_.Images.push_back(std::move(img));
    }
}

void TCreateDescr::applyRemovalOptions(std::string& d, const std::string& waypoint) {
    const TCrDescOptions& o = options;
    int images = 0, links = 0;
    if (o.RmImg || o.RmAll) images = removeEverySpan(d, "<IMG", ">");
    if (o.RmHREF || o.RmAll) {
        links = removeEverySpan(d, "<a", ">");
        removeAll(d, "</a>");
    }
    fields_.removed.images += images;
    fields_.removed.links += links;
    noteExternalContent(waypoint);
    if (o.RmAll) {
        replaceAllNoCase(d, "<BR>", "[[BR]]");
        replaceAllNoCase(d, "<P>", "[[BR]]");
        removeEverySpan(d, "<", ">");
        replaceAll(d, "[[BR]]", "<BR>");
        return;
    }
    if (o.RmBody) {
        removeEverySpan(d, "<BODY", ">");
        removeEverySpan(d, "<BGSOUND", ">");
    }
    if (o.RmBGColor) {
        removeAttributes(d, "BACKGROUND=\"");
        removeAttributes(d, "BGCOLOR=\"");
    }
    if (o.RmStyle) {
        // With or without attributes: a style element left behind would restyle the whole description.
        removeEverySpan(d, "<STYLE", "</STYLE>");
        removeAttributes(d, "STYLE=\"");
    }
    if (o.RmFont) {
        removeEverySpan(d, "<FONT", ">");
        removeAll(d, "</FONT>");
    }
    if (o.RmTables) {
        for (const char* open : {"<TABLE", "<TR", "<TD", "<TBODY"}) removeEverySpan(d, open, ">");
        for (const char* close : {"</TABLE>", "</TR>", "</TD>", "</TBODY>"}) removeAll(d, close);
    }
}

void TCreateDescr::noteExternalContent(const std::string& waypoint) {
    const HtmlRemovals& r = fields_.removed;
    if (!r.any()) return;
    std::string entry = waypoint + "(" + std::to_string(r.images) + "/" + std::to_string(r.links);
    if (r.active > 0) {
        entry += "/" + std::to_string(r.active);
        activeRemoved_ = true;
    }
    entry += ")";
    if (externalEntry_ < external_.size()) {
        external_[externalEntry_] = std::move(entry);
    } else {
        externalEntry_ = external_.size();
        external_.push_back(std::move(entry));
    }
}

// ---- the template ----

int TCreateDescr::fillTemplate(const std::string& waypoint) {
    const TDescriptionFields& f = fields_;
    const std::string wp = pageWaypoint(waypoint);
    std::string t = template_;
    const auto put = [&t](std::string_view placeholder, std::string_view value) {
        substitute(t, placeholder, value);
    };
    // Everything taken from a page, the database or another installation goes through the cleaner;
    // values made from others already counted are cleaned without counting again.
    const auto page = [this](std::string_view value) { return cleanHtml(value, fields_.removed); };
    const auto again = [](std::string_view value) { return cleanHtml(value); };
    const auto has = [&t](std::string_view placeholder) { return fastPos(t, placeholder) > 0; };

    put("<!-- #LOGLIMITATIONS# -->", f.LogLimitation);
    put("<!-- #CACHENAME# -->", page(f.CacheName));
    put("<!-- #CACHEOWNER# -->", page(f.CacheOwner));
    put("<!-- #LATLON# -->", f.LatLonText);
    put("<!-- #UTMFORMAT# -->", page(f.UtmFormat));
    put("<!-- #LOCATION# -->", page(f.Location));
    put("<!-- #DATEHIDDEN# -->", page(f.DateHidden));
    put("<!-- #WAYPOINTNAME# -->", page(f.WaypointName));
    put("<!-- #DIFFICULTY# -->", page(f.Difficulty));
    put("<!-- #TERRAIN# -->", page(f.Terrain));
    put("<!-- #ERRORTEXT# -->", page(f.ErrorText));
    put("<!-- #SHORTDESCRIPTION# -->", page(f.ShortDescription));
    put("<!-- #LONGDESCRIPTION# -->", page(f.LongDescription));
    put("<!-- #CACHEMAPFILENAME# -->", htmlEscape(f.MapFileLink));
    if (has("<!-- #CACHEMAP# -->"))
        put("<!-- #CACHEMAP# -->", page(buildMapBlock(plainCode(wp) ? wp : waypoint)));
    put("<!-- #CACHEMAPLINK# -->", f.MapLink);
    if (options.Logs) put("<!-- #CACHELOGS# -->", page(f.CacheLogs));
    put("<!-- #NUMVISITS# -->", page(f.NumVisits));
    put("<!-- #CACHETYPE# -->", page(f.CacheType));
    put("<!-- #CACHESIZE# -->", page(f.CacheSize));
    put("<!-- #TRAVELBUGS# -->", page(f.TravelBugs));
    put("<!-- #ADDITIONALWAYPOINTS# -->", page(f.AdditionalWaypoints));
    put("<!-- #ANZ_WATCHERS# -->", page(f.Watchers));

    bool known = f.known && equalsNoCase(wp, waypoint);
    double lat = f.lat, lon = f.lon;
    if (!equalsNoCase(wp, waypoint)) {
        TCacheRec rec;
        known = FindCache(ctx_, wp, rec);
        lat = rec.Lat;
        lon = rec.Lon;
    }
    if (known) {
        const DistanceBearingResult d = DistanceBearing(homeLat_, homeLon_, lat, lon);
        if (d.ok)
            put("<!-- #HOMEDISTANCE# -->",
                "Entfernung von " + homeName_ + ": " + formatFixed(d.distanceKm, 1, ',') + " km");
    }
    const TDateTime now = ctx_.now();
    put("<!-- #CREATIONDATETIME# -->", descrDate(now, true));
    put("<!-- #CREATIONDATE# -->", descrDate(now, false));
    put("<!-- #ORIGCREATIONDATETIME# -->", f.FileDateTime);
    put("<!-- #ORIGCREATIONDATE# -->", f.FileDate);
    for (int c = 0; c < kLogCounterCount; ++c)
        put("<!-- #" + std::string(kLogCounterNames[static_cast<std::size_t>(c)]) + "# -->",
            std::to_string(f.counters[static_cast<std::size_t>(c)]));
    put("<!-- #FIRSTFOUNDLOG# -->", again(f.FirstFoundLog));
    put("<!-- #LATESTFOUNDLOG# -->", again(f.LatestFoundLog));
    put("<!-- #BUDDYLIST# -->", again(buddyListText(f.FoundBuddies)));
    // ROT13 turns tags into other tags, so its results are cleaned once more.
    const std::string cleanHint = page(f.Hints);
    std::string encrypted = cleanHint;
    rot13Text(encrypted);
    put("<!-- #HINTS_ENCRYPTED# -->", again(encrypted));
    std::string hint = cleanHint;
    if (options.Hints == 1) {
        restoreBrackets(hint);
        rot13Text(hint);
        hint = again(hint);
    } else if (options.Hints == 2) {
        hint = "[<font color=\"#FFFFFF\">" + hint + "</font>]";
    }
    put("<!-- #HINTS# -->", hint);
    const std::string details = ctx_.services.listingSite + "/seek/cache_details.aspx?wp=" + htmlEscape(wp);
    put("<!-- #ORIG_LINK_PF# -->",
        "<a href=\"" + details + "&Submit6=Find&pf=y&log=y\">Originalseite (PF)</a>");
    put("<!-- #ORIG_LINK# -->", "<a href=\"" + details + "&Submit6=Find&log=y\">Originalseite</a>");
    if (options.Hints == 1) put("<!-- #ROT13_TABLE# -->", rot13Table());
    const std::vector<std::string> note = notes_ ? ReadNote(*notes_, wp) : ReadNote(ctx_, wp);
    if (!note.empty()) {
        std::string joined;
        for (std::size_t i = 0; i < note.size(); ++i) joined += (i ? "<br>" : "") + note[i];
        put("<!-- #NOTES# -->", "<p><b>Pers&ouml;nliche Notizen:</b> " + page(joined) + "</p>");
    }
    if (has("<!-- #CACHEIMAGES# -->") && options.CacheImages)
        put("<!-- #CACHEIMAGES# -->",
            page(buildImageBlock(options.ImageKind == 1)) + "<!-- #CACHEIMAGES# -->");
    noteExternalContent(waypoint);

    const auto path = safeJoin(ctx_.outDirPath(), waypoint + "_converted.html");
    return path ? writeFileAtomic(*path, joinPageLines(t)) : EINVAL;
}

std::string TCreateDescr::buildImageBlock(bool twoColumns) {
    std::vector<TDescriptionImage>& images = fields_.Images;
    if (images.empty()) return {};
    const std::int64_t m = ctx_.settings.HTMLMaxWidth > 0 ? ctx_.settings.HTMLMaxWidth : 640;
    const std::string M = std::to_string(m);
    std::string out = "<hr>";
    out += kCrLf;
    for (const auto& img : images) {
        if (img.width < 1) {
            out += "<p>Cache-Images nicht gefunden.</p>";
            out += kCrLf;
            return out;
        }
    }
    // Scaled sizes are width * num / den, truncated; integer arithmetic keeps them exact.
    const auto imageLines = [](const TDescriptionImage& img, std::int64_t num, std::int64_t den,
                               bool closeCell) {
        std::string s = "      <img src=\"./" + extractFileName(img.path) + "\" width=\"" +
                        std::to_string(img.width * num / den) + "\" height=\"" +
                        std::to_string(img.height * num / den) + "\"><BR>\r\n";
        s += "<strong>" + img.title + "</strong><BR>\r\n";
        s += img.description + (closeCell ? "</td>" : "") + "\r\n";
        return s;
    };
    const auto single = [&](const TDescriptionImage& img) {
        const bool wide = img.width > m;
        return "<table border=\"1\" width=\"" + M + "\">\r\n  <tr>\r\n    <td>\r\n" +
               imageLines(img, wide ? m : 1, wide ? img.width : 1, true) + "  </tr>\r\n</table>\r\n";
    };
    if (!twoColumns) {
        for (const auto& img : images) out += single(img);
        return out;
    }

    for (auto& img : images) img.used = false;
    const auto widest = [&images]() {
        int best = -1;
        for (std::size_t i = 0; i < images.size(); ++i)
            if (!images[i].used &&
                (best < 0 || images[i].width > images[static_cast<std::size_t>(best)].width))
                best = static_cast<int>(i);
        return best;
    };
    const std::size_t pairs = images.size() / 2;
    int aside = -1;
    if (images.size() % 2 == 1) {
        aside = widest();
        images[static_cast<std::size_t>(aside)].used = true;
    }
    std::int64_t target = 640;
    if (images.size() >= 2) {
        std::int64_t sum = 0;
        for (const auto& img : images)
            if (!img.used) sum += img.width;
        target =
            static_cast<std::int64_t>(roundHalfEven(static_cast<double>(sum) / static_cast<double>(pairs)));
    }
    for (std::size_t p = 0; p < pairs; ++p) {
        const std::size_t a = static_cast<std::size_t>(widest());
        images[a].used = true;
        std::size_t b = a;
        std::int64_t bestGap = 0;
        for (std::size_t i = 0; i < images.size(); ++i) {
            if (images[i].used) continue;
            const std::int64_t gap =
                std::llabs(static_cast<std::int64_t>(images[a].width) + images[i].width - target);
            if (b == a || gap < bestGap) {
                b = i;
                bestGap = gap;
            }
        }
        images[b].used = true;
        const std::int64_t den = static_cast<std::int64_t>(images[a].width) + images[b].width;
        out += "<table border=\"1\" width=\"" + M + "\">\r\n  <tr>\r\n    <td>\r\n" +
               imageLines(images[a], m, den, false) + "    </td>\r\n    <td>\r\n" +
               imageLines(images[b], m, den, false) + "    </td>\r\n  </tr>\r\n</table><br>\r\n";
    }
    if (aside >= 0) out += single(images[static_cast<std::size_t>(aside)]);
    return out;
}

std::string TCreateDescr::buildMapBlock(const std::string& waypoint) const {
    static constexpr const char* kStart =
        "<img style=\"float: left; margin-right: 10px; margin-bottom: 10px;\" src=\"./";
    static constexpr const char* kMultiMapSizes[] = {"", " width=\"335\" height=\"208\"",
                                                     " width=\"250\" height=\"155\""};
    static constexpr const char* kMapQuestSizes[] = {"", " width=\"444\" height=\"340\"",
                                                     " width=\"332\" height=\"254\""};
    static constexpr const char* kTileEdges[] = {"200", "133", "100"};
    const std::size_t resize =
        options.Resize >= 0 && options.Resize <= 2 ? static_cast<std::size_t>(options.Resize) : 0;

    for (const auto& kindName : options.MapOrder) {
        const auto kind = std::find_if(std::begin(kMapKinds), std::end(kMapKinds),
                                       [&](const MapKind& k) { return equalsNoCase(k.name, kindName); });
        if (kind == std::end(kMapKinds)) continue;
        const std::string suffix = kind->suffix;
        const std::string file = existingName(waypoint + suffix);
        if (file.empty()) continue;
        if (suffix == "_multimap.gif")
            return kStart + file + "\"" + kMultiMapSizes[resize] +
                   "align=\"left\" border=\"0\" vspace=\"5\" hspace=\"5\" width=\"500\" height=\"310\"><!-- "
                   "Multimap -->";
        if (suffix == "_mappoint.gif")
            return kStart + file +
                   "\"align=\"left\" border=\"0\" vspace=\"5\" hspace=\"5\"><!-- Mappoint -->";
        if (suffix == "_map.gif")
            return kStart + file + "\"" + kMapQuestSizes[resize] +
                   "align=\"left\" border=\"0\" vspace=\"5\" hspace=\"5\"><!-- Mapquest -->";
        if (suffix == kOsmMapSuffix) {
            // The reduced sizes scale the map by 2/3 and 1/2, as they do the others.
            std::string size;
            if (const auto px = imageSizeOfFile(ctx_.outDirPath() + file); px && resize > 0) {
                const int den = resize == 1 ? 3 : 2, num = resize == 1 ? 2 : 1;
                size = " width=\"" + std::to_string(px->width * num / den) + "\" height=\"" +
                       std::to_string(px->height * num / den) + "\"";
            }
            return kStart + file + "\"" + size +
                   " alt=\"Karte\" border=\"0\" vspace=\"5\" hspace=\"5\"><!-- OpenStreetMap -->";
        }
        // Stadtplandienst: a table of tiles, 3 x 3 when a ninth tile exists.
        const std::string edge = kTileEdges[resize];
        const std::string extension = suffix == "_sdk1.png" ? ".png" : ".jpg";
        const int grid =
            !existingName(waypoint + "_sdk9.jpg").empty() || !existingName(waypoint + "_sdk9.png").empty()
                ? 3
                : 2;
        std::string s =
            "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"float:left; margin-right: 10px; "
            "margin-bottom: 10px;\">\r\n";
        for (int row = 0; row < grid; ++row) {
            s += "  <tr>\r\n";
            for (int col = 0; col < grid; ++col) {
                const std::string tile = waypoint + "_sdk" + std::to_string(col + grid * row + 1) + extension;
                const std::string stored = existingName(tile);
                s += "    <td width=\"" + edge + "\"><img border=\"0\" width=\"" + edge + "\" height=\"" +
                     edge + "\" src=\"./" + (stored.empty() ? tile : stored) + "\"></td>\r\n";
            }
            s += "  </tr>\r\n";
        }
        return s + "</table>\r\n<!-- Stadtplandienst -->";
    }
    return "<table border=\"1\"><tr bgcolor=\"#E0E0E0\"><td><b>Keine Karte<br>geladen.</b></td></tr></table>"
           "<!-- Keine Karte -->";
}

}  // namespace vellora
