#include "listing/LoadHTML.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <stdexcept>

#include "core/AppHome.h"
#include "core/CacheRec.h"
#include "core/FileProcs.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/NumberText.h"
#include "core/OptionTable.h"
#include "core/RunContext.h"
#include "core/SafePath.h"
#include "core/Settings.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "listing/Parse.h"

namespace vellora {
namespace {

constexpr std::string_view kWhere = "frmLoadHTML";

std::string where(std::string_view method) {
    return std::string(kWhere) + "." + std::string(method);
}

std::string trimmed(std::string_view text) {
    return std::string(trimControl(text));
}

// Upper-cased, sorted, for membership tests without regard to case.
std::vector<std::string> keyList(const std::vector<std::string>& entries) {
    std::vector<std::string> keys;
    keys.reserve(entries.size());
    for (const auto& e : entries) {
        std::string k = upperCase(trimmed(e));
        if (!k.empty()) keys.push_back(std::move(k));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

bool contains(const std::vector<std::string>& keys, const std::string& waypoint) {
    return std::binary_search(keys.begin(), keys.end(), upperCase(waypoint));
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool containsNoCase(std::string_view text, std::string_view part) {
    return upperCase(text).find(upperCase(part)) != std::string::npos;
}

// The last three characters of an image address name the saved file's extension; a path separator
// there must not lead out of the output directory.
std::string imageExtension(std::string_view url) {
    std::string ext(url.substr(url.size() >= 3 ? url.size() - 3 : 0));
    for (char& c : ext)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) c = '_';
    return ext;
}

// The address behind "SRC=" of an image tag, up to the first blank or quote; empty without one.
std::string imageTagSource(const std::string& tag) {
    const std::size_t at = upperCase(tag).find("SRC=");
    if (at == std::string::npos) return {};
    std::string url = tag.substr(at + 4);
    std::size_t lead = 0;
    while (lead < url.size() && (url[lead] == ' ' || url[lead] == '"' || url[lead] == '\'')) ++lead;
    url.erase(0, lead);
    while (url.find_first_of(" \"'") != std::string::npos) url.pop_back();
    return url;
}

}  // namespace

// ---- options ----

std::string sanitizeOverwriteAge(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9' && digits.size() < 4) digits += c;
    }
    return digits;
}

namespace {

using Opts = TLoadOptions;
// A stored choice outside its range is taken as its nearest end.
OptionRow<Opts> clampedOption(const char* key, int Opts::*member, int lo, int hi) {
    return customOption<Opts>(
        key,
        [member, lo, hi](IniFile& f, const char* s, const char* k, Opts& o) {
            o.*member = std::clamp<int>(f.readInteger(s, k, o.*member), lo, hi);
        },
        [member](IniFile& f, const char* s, const char* k, const Opts& o) {
            f.writeInteger(s, k, o.*member);
        });
}

// "LoadSaveOpts" and the options behind it, in the order they are written.
const SwitchedOptions<Opts> kLoadTable = {
    boolOption("LoadSaveOpts", &Opts::SaveOpts, false),
    &Opts::SaveOpts,
    {
        clampedOption("LoadOverwrite", &Opts::Overwrite, 0, 2),
        customOption<Opts>(
            "LoadOverwriteAge",
            [](IniFile& f, const char* s, const char* k, Opts& o) {
                o.OverwriteAge = sanitizeOverwriteAge(f.readString(s, k, o.OverwriteAge));
            },
            [](IniFile& f, const char* s, const char* k, const Opts& o) {
                f.writeString(s, k, o.OverwriteAge);
            }),
        boolOption("LoadImages", &Opts::Images),
        boolOption("LoadRemoteImages", &Opts::RemoteImages),
        boolOption("LoadNoExclude", &Opts::NoExclude),
        boolOption("LoadNoArchived", &Opts::NoArchived),
        boolOption("LoadLoadMap", &Opts::LoadMap),
        clampedOption("LoadMapKind", &Opts::MapKind, 0, kMapKindCount - 1),
        // "LoadMapZoom" + kind, each within its kind's scales.
        customOption<Opts>(
            "LoadMapZoom",
            [](IniFile& f, const char* s, const char* k, Opts& o) {
                for (int kind = 0; kind < kMapKindCount; ++kind) {
                    auto& zoom = o.MapZoom[static_cast<std::size_t>(kind)];
                    zoom = clampMapScale(kind, f.readInteger(s, k + std::to_string(kind), zoom));
                }
            },
            [](IniFile& f, const char* s, const char* k, const Opts& o) {
                for (int kind = 0; kind < kMapKindCount; ++kind)
                    f.writeInteger(s, k + std::to_string(kind), o.MapZoom[static_cast<std::size_t>(kind)]);
            }),
        clampedOption("LoadMapSize", &Opts::MapSize, 0, 2),
    }};

}  // namespace

void loadLoadOptions(IniFile& conf, TLoadOptions& o) {
    loadOptions(conf, kProgramSection, kLoadTable, o);
}

void saveLoadOptions(IniFile& conf, const TLoadOptions& o) {
    saveOptions(conf, kProgramSection, kLoadTable, o);
}

std::vector<std::string> statisticsLines(const TLoadStatistics& s) {
    const auto line = [](const char* label, int value) {
        return std::string(label) + " " + std::to_string(value);
    };
    return {
        line("Caches geladen:", s.loaded),
        line("Fehler beim Laden aufgetreten:", s.errors),
        line("Caches \xFC"
             "bersprungen, davon:",
             s.skipped),
        line("  bereits vorhanden:", s.present),
        line("  bereits gefunden (Fundliste):", s.found),
        line("  ignoriert (Ignore-Liste):", s.ignored),
        line("  archiviert (Archivliste):", s.archived),
    };
}

std::string listingPageProblem(std::string_view page) {
    const std::string upper =
        upperCase(std::string(page.substr(0, std::min<std::size_t>(page.size(), 4096))));
    const std::size_t title = upper.find("<TITLE>");
    const std::size_t titleEnd = title == std::string::npos ? title : upper.find("</TITLE>", title);
    const bool errorTitle = titleEnd != std::string::npos &&
                            upper.substr(title, titleEnd - title).find("ERROR") != std::string::npos;
    if (errorTitle) return "Die Website hat ihre Fehlerseite geliefert (Waypoint unbekannt?)";
    if (!containsNoCase(page, "id=\"WaypointName\"") && !containsNoCase(page, "id='WaypointName'"))
        return "Die Seite ist keine Cachebeschreibung (Feld WaypointName fehlt)";
    return {};
}

bool isLoadableWaypoint(std::string_view entry) {
    return checkWaypoint(entry).ok();
}

// ---- the window ----

TfrmLoadHTML::TfrmLoadHTML(RunContext& ctx, bool quiet)
    : ctx_(ctx),
      quiet_(quiet),
      client_(std::make_unique<THttpClient>(ctx, kLoaderClient)),
      maps_(std::make_unique<TMapImages>(ctx, *client_, *this)) {
    // The window's own "Abbrechen" lets the current cache finish; an abort of the host (the console's
    // interrupt, say) ends even a running transfer.
    client_->setAbortCheck([this] { return ctx_.host().abortRequested(); });
}

TfrmLoadHTML::~TfrmLoadHTML() = default;

bool TfrmLoadHTML::developerMarker() const {
    return fileExists(ctx_.workDirPath() + kDeveloperMarker);
}

std::string TfrmLoadHTML::outFileName(const std::string& waypoint, std::string_view suffix) const {
    const std::string name = waypoint + std::string(suffix);
    if (fileExists(ctx_.outDirPath() + name)) return name;
    const auto stored = listFiles(ctx_.outDirPath(), name);
    return stored.empty() ? name : stored.front();
}

void TfrmLoadHTML::setManualList(std::vector<std::string> waypoints) {
    manualList_ = std::move(waypoints);
}

void TfrmLoadHTML::prepareList() {
    list_.clear();
    std::vector<std::string> entries;
    bool manual = false;
    if (!manualList_.empty()) {
        entries = std::move(manualList_);
        manualList_.clear();
        manual = true;
    } else {
        const std::string path = ctx_.workDirPath() + kWorkListFileName;
        int error = 0;
        entries = readListFile(path, &error);
        if (error != 0) {
            debugError(ctx_, where("FormShow"), "error loading WPList.txt");
            if (!quiet_) {
                loadEnabled_ = false;
                ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                                    "Fehler beim Laden der Waypoint-Arbeitsliste:\r\n" + path);
            }
        }
    }
    for (const auto& entry : entries) {
        std::string waypoint = trimmed(entry);
        if (isLoadableWaypoint(waypoint)) {
            list_.push_back(std::move(waypoint));
        } else if (!waypoint.empty()) {
            debugError(ctx_, where("FormShow"), "not a waypoint, left out: " + waypoint);
        }
    }
    const std::string count = std::to_string(list_.size());
    headline_ = manual ? count + " Cachebeschreibungen werden manuell nachgeladen"
                       : "Die Arbeitsliste enth\xE4lt " + count + " Waypoints.";
    if (!developerMarker() && list_.size() > static_cast<std::size_t>(kListingLimit))
        headline_ += " Die ersten 50 k\xF6nnen geladen werden.";
    manualOpening_ = manual;
}

void TfrmLoadHTML::onOpen() {
    closeRequested_ = false;
    if (downloadOpening_) return;
    stats_ = {};
    optionsVisible_ = true;
    protocolVisible_ = false;
    optionsEnabled_ = loadEnabled_ = editEnabled_ = closeEnabled_ = true;
    abortVisible_ = abortEnabled_ = whyVisible_ = false;
    errorFlag_ = false;
    overallPosition_ = overallMax_ = 0;
    task_.clear();
    subTask_.clear();
    maps_->newSession();
    debugInfo(ctx_, where("formShow"), "startproc");

    prepareList();
    if (list_.empty() && !quiet_) {
        ctx_.host().message(
            MsgKind::Error, MsgButtons::Ok,
            "Die Arbeitsliste enth\xE4lt keine Waypoints, deren Caches geladen werden k\xF6nnten. Es werden "
            "nur diejenigen Caches geladen, deren Waypoints in der Arbeitsliste stehen.\r\n\r\n"
            "Bitte w\xE4hle zun\xE4"
            "chst im Men\xFC \"Waypoints\" den Punkt \"Arbeits- und Ausschlussliste\" "
            "und stelle Dir damit eine Arbeitsliste zusammen.");
        errorFlag_ = true;
        closeRequested_ = true;
    }

    loadLoadOptions(ctx_.programConf(), options);
    if (manualOpening_) {
        // The handed-over pages are to be replaced, whatever the stored choice says.
        overwriteBeforeManual_ = options.Overwrite;
        options.Overwrite = 1;
    }
    if (!developerMarker() && list_.size() > static_cast<std::size_t>(kListingLimit) && !quiet_) {
        whyVisible_ = true;
        if (!unattended()) {
            ctx_.host().message(
                MsgKind::Warning, MsgButtons::Ok,
                "Die Arbeitsliste enth\xE4lt mehr als 50 Waypoints.\r\n\r\nUm zu vermeiden, dass bestimmte "
                "IP-Adressen durch Massendownloads von Tovaro gesperrt werden, wurde der Download auf "
                "maximal "
                "50 Cachebeschreibungen beschr\xE4nkt. Lediglich die ersten 50 Eintr\xE4ge der Liste werden "
                "geladen.\r\nCaches, die aufgrund von Ausschlusseinstellungen nicht geladen werden (bereits "
                "vorhandene oder in Ausschlusslisten enthaltene), gehen in diese Z\xE4hlung nicht ein.");
        }
    }
}

void TfrmLoadHTML::btnLoadClick() {
    run(false);
}

void TfrmLoadHTML::btnLoadMapsOnlyClick() {
    run(true);
}

void TfrmLoadHTML::startUnattended() {
    if (closeRequested_ || !isOpen()) return;
    run(false);
    close();
}

void TfrmLoadHTML::btnWhyClick() {
    ctx_.host().openWithSystem(kWhyUrl);
}

void TfrmLoadHTML::btnEditClick() {
    if (running_) return;
    if (editWorkList) editWorkList();
    prepareList();
    changed();
}

void TfrmLoadHTML::btnAbortClick() {
    if (!running_ || aborted_) return;
    if (!quiet_) {
        const MsgResult answer = ctx_.host().message(
            MsgKind::Confirmation, MsgButtons::YesNo,
            "Es wurden noch nicht alle Cachebeschreibungen geladen. \r\nSoll das Laden abgebrochen werden?"
            "\r\n\r\n(Hinweis: der Cache " +
                current_ + ", der momentan geladen wird, wird in jedem Fall noch zu Ende geladen.)");
        if (answer != MsgResult::Yes) return;
    }
    abortEnabled_ = false;
    aborted_ = true;
    overallPosition_ = 0;
    changed();
}

void TfrmLoadHTML::onClose() {
    if (manualOpening_) {
        // The choice forced for a manual list is not the user's own.
        options.Overwrite = overwriteBeforeManual_;
        manualOpening_ = false;
    }
    if (!quiet_) saveLoadOptions(ctx_.programConf(), options);
    closeRequested_ = false;
    // The batch waits for the window to close, whatever became of the run.
    setRunState(RunState::ClosedAfterRun);
    changed();
}

void TfrmLoadHTML::showDownload(const std::string& task, const std::string& content, bool abortVisible) {
    if (!isOpen()) {
        downloadOpening_ = true;
        open();
        downloadOpening_ = false;
    }
    optionsVisible_ = false;
    protocolVisible_ = true;
    loadEnabled_ = editEnabled_ = false;
    task_ = task;
    content_ = content;
    abortVisible_ = abortEnabled_ = abortVisible;
    changed();
}

// ---- TLoadWindowView ----

void TfrmLoadHTML::showProtocol() {
    optionsVisible_ = false;
    protocolVisible_ = true;
    protocol_.clear();
    changed();
}

void TfrmLoadHTML::addProtocolLine(const std::string& line) {
    protocol_.push_back(line);
    if (onProtocolLine) onProtocolLine(line);
    changed();
}

void TfrmLoadHTML::setSubTask(const std::string& text) {
    subTask_ = text;
    changed();
}

void TfrmLoadHTML::showStatistics() {
    changed();
}

// ---- a run ----

void TfrmLoadHTML::loadSkipLists() {
    foundList_.clear();
    ignoreList_.clear();
    archivedList_.clear();
    const std::string dir = ctx_.workDirPath();
    // Unreadable lists are taken as empty.
    if (options.NoExclude) {
        std::vector<std::string> found;
        LoadFoundWaypoints(ctx_, found);
        foundList_ = keyList(found);
    }
    if (noIgnored && fileExists(dir + kIgnoreListFileName))
        ignoreList_ = keyList(readListFile(dir + kIgnoreListFileName));
    if (options.NoArchived && fileExists(dir + kArchivedListFileName))
        archivedList_ =
            keyList(readArchivedWaypoints(dir + kArchivedListFileName, ArchivedReading::AfterFirstSemicolon));
}

bool TfrmLoadHTML::shouldLoad(const std::string& w, bool mapsOnly) {
    if (mapsOnly) return true;
    bool load = true;
    if (options.Overwrite != 1) {
        const std::string path = ctx_.outDirPath() + outFileName(w, ".html");
        if (fileExists(path)) {
            load = false;
            if (options.Overwrite == 2) {
                const auto days = parseInt(options.OverwriteAge);
                const auto date = fileModified(path);
                if (days && date && std::floor(ctx_.now()) - std::floor(*date) > static_cast<double>(*days))
                    load = true;
            }
            if (!load) {
                ++stats_.present;
                addProtocolLine(
                    "\xFC"
                    "berspringe " +
                    w + " (bereits vorhanden)");
            }
        }
    }
    const struct {
        const std::vector<std::string>& keys;
        int TLoadStatistics::*counter;
        const char* reason;
    } skipLists[] = {
        {foundList_, &TLoadStatistics::found, " (bereits gefunden)"},
        {ignoreList_, &TLoadStatistics::ignored, " (in Ignore-Liste)"},
        {archivedList_, &TLoadStatistics::archived, " (in Archivliste)"},
    };
    for (const auto& s : skipLists) {
        if (!contains(s.keys, w)) continue;
        ++(stats_.*s.counter);
        addProtocolLine(
            "\xFC"
            "berspringe " +
            w + s.reason);
        load = false;
    }
    return load;
}

void TfrmLoadHTML::loadEntry(std::size_t index, bool mapsOnly, bool quirl) {
    const std::string& w = list_[index];
    if (ctx_.host().abortRequested()) aborted_ = true;
    if (aborted_) return;
    if (!quirl && !mapsOnly && loadedThisRun_ >= kListingLimit) return;

    TCacheRec rec;
    std::string name = FindCache(ctx_, w, rec) ? rec.CacheName : "?";
    repairUtf8(name);
    decodeEntities(name);
    overallPosition_ = static_cast<int>(index) + 1;

    if (!shouldLoad(w, mapsOnly)) {
        ++stats_.skipped;
        return;
    }

    current_ = w;
    task_ = "Lade " + w + " (" + std::to_string(index + 1) + " von " + std::to_string(list_.size()) + ")";
    addProtocolLine("Lade " + w + " (" + name + ")");
    bool present = false;
    std::string reason;
    if (mapsOnly) {
        addProtocolLine(w + ": Lade nur Landkarte!");
        present = true;
    } else {
        try {
            present = getCacheToFile(w, reason);
        } catch (const std::exception& e) {
            debugError(ctx_, where("btnLoadClick"), std::string("error loading ") + w + ": " + e.what());
            addProtocolLine("Ladefehler bei " + w + "!");
            reason = e.what();
            present = false;
        }
    }
    if (present) {
        if (options.Images && !mapsOnly) loadImages(w);
        if (options.LoadMap || mapsOnly) getCacheMapToFile(w, options.MapKind);
        ++stats_.loaded;
        ++loadedThisRun_;
    } else {
        ++stats_.errors;
        errorFlag_ = true;
        debugInfo(ctx_, where("btnLoadClick"), "Error getting cache to file");
        addProtocolLine("Fehler beim Laden von " + w + ": " +
                        (reason.empty() ? "unbekannter Fehler" : reason));
    }
}

void TfrmLoadHTML::run(bool mapsOnly) {
    if (running_ || !isOpen()) return;
    if (options.Overwrite == 2 && options.OverwriteAge.empty()) options.OverwriteAge = "1";
    options.OverwriteAge = sanitizeOverwriteAge(options.OverwriteAge);
    if (list_.empty()) {
        if (!unattended())
            ctx_.host().message(MsgKind::Warning, MsgButtons::Ok,
                                "Die Arbeitsliste enth\xE4lt keine Waypoints.");
        return;
    }

    setRunning();
    running_ = true;
    aborted_ = false;
    loadedThisRun_ = 0;
    abortVisible_ = abortEnabled_ = true;
    optionsEnabled_ = editEnabled_ = loadEnabled_ = closeEnabled_ = false;
    overallMax_ = static_cast<int>(list_.size());
    overallPosition_ = 0;
    showProtocol();
    addProtocolLine("Ladevorgang gestartet um " + formatProtocolTime(ctx_.now()));

    if (!mapsOnly) loadSkipLists();
    const bool quirl = developerMarker();
    for (std::size_t i = 0; i < list_.size(); ++i) {
        loadEntry(i, mapsOnly, quirl);
        changed();
        ctx_.host().processEvents();
    }

    for (const char* scratch :
         {kMapScratchFile, kSidScratchFile, kStadtplanScratchFile, kMapQuestScratchFile})
        removeFile(ctx_.workDirPath() + scratch);
    current_.clear();
    task_ = "Ready";
    addProtocolLine(aborted_ ? "Der Ladevorgang wurde abgebrochen." : "Der Ladevorgang wurde abgeschlossen.");
    optionsEnabled_ = editEnabled_ = loadEnabled_ = closeEnabled_ = true;
    abortVisible_ = abortEnabled_ = false;
    addProtocolLine("Ladevorgang beendet um " + formatProtocolTime(ctx_.now()));
    running_ = false;
    changed();
    if (unattended()) close();
}

// ---- one cache ----

bool TfrmLoadHTML::getCacheToFile(const std::string& waypoint, std::string& reason) {
    const std::string method = where("getCacheToFile");
    initializeHTTP(ctx_, *client_);
    setSubTask("Cachebeschreibung zu " + waypoint);
    const std::string url =
        ctx_.services.listingSite + "/seek/cache_details.aspx?wp=" + waypoint + "&Submit6=Find&log=y";
    debugInfo(ctx_, method, "getting Src=" + url);
    std::string text;
    try {
        THostProgress progress(ctx_.host(), "Cachebeschreibung zu " + waypoint);
        client_->setProgress(&progress);
        try {
            text = client_->getText(url);
        } catch (...) {
            client_->setProgress(nullptr);
            throw;
        }
        client_->setProgress(nullptr);
        debugInfo(ctx_, method, "done successfully");
    } catch (const EHttpError& e) {
        debugError(ctx_, method, std::string("exception on idHTTP.get: ") + e.what());
        if (e.kind() == EHttpError::Kind::Aborted) aborted_ = true;
        reason = e.kind() == EHttpError::Kind::Status && e.status() != 0 &&
                         std::string_view(e.what()).find(std::to_string(e.status())) == std::string_view::npos
                     ? "HTTP " + std::to_string(e.status()) + " " + e.what()
                     : e.what();
        errorFlag_ = true;
        setSubTask("");
        return false;
    }
    if (text.empty()) {
        // Nothing was saved, so the cache is not loaded.
        debugError(ctx_, method, "empty answer for " + waypoint);
        reason = "Der Server hat eine leere Seite geliefert";
        errorFlag_ = true;
        setSubTask("");
        return false;
    }
    // The site answers an unknown waypoint with its error page (status 200 after a redirect);
    // saved, it would turn into a description of nothing.
    if (const std::string problem = listingPageProblem(text); !problem.empty()) {
        debugError(ctx_, method, "no listing for " + waypoint + ": " + problem);
        reason = problem;
        errorFlag_ = true;
        setSubTask("");
        return false;
    }
    std::string data;
    data.reserve(text.size() + text.size() / 16);
    for (const std::string& line : splitTextLines(text)) data.append(line).append("\r\n");
    const std::string path = ctx_.outDirPath() + outFileName(waypoint, ".html");
    debugInfo(ctx_, method, "saving: " + path);
    if (const int error = writeFileAtomic(path, data); error != 0) {
        setSubTask("");
        throw std::runtime_error("Die Datei " + path +
                                 " kann nicht geschrieben werden: " + systemErrorText(error));
    }
    setSubTask("");
    return true;
}

void TfrmLoadHTML::loadImages(const std::string& waypoint) {
    const std::string outDir = ctx_.outDirPath();
    const auto raw = readFile(outDir + outFileName(waypoint, ".html"));
    if (!raw) return;
    std::string page;
    bool body = false;
    for (const std::string& line : splitListLines(*raw)) {
        if (!body && upperCase(line).find("<BODY") == std::string::npos) continue;
        body = true;
        page.append(line).append("\r\n");
    }
    removeEverySpan(page, "<script", "</script>");

    const ListingSite site(ctx_.services);
    const std::string& imageHost = ctx_.services.imageHost;
    LogCounters counters{};
    std::vector<std::string> imageList;
    int n = 0;
    const auto destinationFor = [&](const std::string& url) {
        return safeJoin(outDir, waypoint + "_i" + std::to_string(n + 1) + "." + imageExtension(url));
    };

    std::string id, content;
    SpanFieldReader fields(page);
    while (fields.next(id, content)) {
        if (!cleanField(id, content, site, counters)) continue;
        if (id == "IMAGES") {
            std::string url, title, description;
            for (bool more = true; more;) {
                // The last entry can come with the end of the field.
                more = getImageEntry(content, url, title, description, imageHost);
                if (url.empty()) break;
                const auto target = destinationFor(url);
                if (!target) continue;
                const std::string& destination = *target;
                try {
                    addProtocolLine("lade zugeh\xF6riges Bild #" + std::to_string(n) + ": " + title);
                    getBinaryToFile(ctx_, *client_, url, destination, true, this);
                    ++n;
                } catch (const std::exception& e) {
                    addProtocolLine(std::string("Fehler beim Laden eines Bildes! ") + e.what());
                    addProtocolLine("Quelle=" + url);
                    addProtocolLine("Ziel=" + destination);
                }
                replaceAll(description, "\r\n", " ");
                const std::string k = std::to_string(n) + "#";
                imageList.push_back(k + homeRelativePath(ctx_.programDir(), destination));
                imageList.push_back(k + title);
                imageList.push_back(k + description);
            }
        } else if (id == "LONGDESCRIPTION" && options.remoteImagesEffective()) {
            std::string tag;
            while (cutSpan(content, tag, "<IMG", ">")) {
                const std::string url = imageTagSource(tag);
                if (url.empty() || url.rfind("..", 0) == 0) continue;
                // The site's addresses were plain http; secure ones are fetched the same way.
                if (!startsWithNoCase(url, "http://") && !startsWithNoCase(url, "https://")) continue;
                if (!containsNoCase(url, ".JPG") && !containsNoCase(url, ".GIF") &&
                    !containsNoCase(url, ".PNG"))
                    continue;
                const std::string upperUrl = upperCase(url);
                if (std::any_of(imageList.begin(), imageList.end(), [&](const std::string& line) {
                        return upperCase(line).find(upperUrl) != std::string::npos;
                    }))
                    continue;
                if (containsNoCase(url, imageHost) || containsNoCase(url, "/IMAGES/ATTRIBUTES/")) continue;
                const auto target = destinationFor(url);
                if (!target) continue;
                const std::string& destination = *target;
                try {
                    getBinaryToFile(ctx_, *client_, url, destination, true, this);
                    ++n;
                    addProtocolLine("lade Fremdserver-Bild #" + std::to_string(n) + ": " + url);
                } catch (const std::exception& e) {
                    addProtocolLine(std::string("Fehler beim Laden von fremdem Server: ") + e.what());
                    addProtocolLine("Quelle=" + url);
                    addProtocolLine("Ziel=" + destination);
                }
                const std::string k = std::to_string(n) + "#";
                imageList.push_back(k + homeRelativePath(ctx_.programDir(), destination));
                imageList.push_back(k + url);
                imageList.push_back(k);
            }
        }
    }
    if (imageList.empty()) return;
    const std::string metaPath = outDir + outFileName(waypoint, ".meta");
    if (const int error = writeListFile(metaPath, imageList); error != 0)
        showErrorCode(ctx_.host(), error, "Fehler beim Schreiben der Datei " + metaPath + ": ");
}

void TfrmLoadHTML::getCacheMapToFile(const std::string& waypoint, int kind) {
    kind = std::clamp(kind, 0, kMapKindCount - 1);
    maps_->getCacheMapToFile(waypoint, kind, options.MapZoom[static_cast<std::size_t>(kind)],
                             options.MapSize);
}

}  // namespace vellora
