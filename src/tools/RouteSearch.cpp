#include "tools/RouteSearch.h"

#include <fcntl.h>

#include <cctype>
#include <cerrno>
#include <set>

#include "core/CacheRecordReader.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr double kMinWidthKm = 0.1;
constexpr int kProgressEvery = 100;
constexpr std::array<const char*, 3> kPatterns = {"*.ovl", "*.coo", "*.txt"};

std::string kmText(double km) {
    return formatFixedSignificant(km, 6, 2);
}

}  // namespace

RouteSearchModel::RouteSearchModel(RunContext& ctx, RouteTypeFilter& filter) : ctx_(ctx), filter_(filter) {}

std::optional<char> RouteSearchModel::filterWidthKey(char c) {
    if (c == '\b' || c == '.' || std::isdigit(static_cast<unsigned char>(c))) return c;
    if (c == ',') return '.';
    return std::nullopt;
}

double RouteSearchModel::width() const {
    const auto w = parseDouble(widthText, '.');
    return w ? *w : -1;
}

bool RouteSearchModel::canCalculate() const {
    return !running_ && routePoints_.size() >= 2 && width() > kMinWidthKm;
}

void RouteSearchModel::onOpen() {
    index_.clear();
    grid_.reset();
    routePoints_.clear();
    results_.clear();
    keepWorkList = true;
    transferred_ = false;
    source_ = "Quelle [keine Datei gew\xE4hlt]";
    pointCount_ = "0 Punkte in Quelldatei";
    action_ = kIdle;
    count_.clear();
    readCacheIndex();
}

void RouteSearchModel::readCacheIndex() {
    Host& host = ctx_.host();
    const std::string path = ctx_.workDirPath() + "Caches.bin";
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        showErrorCode(host, errno, "Fehler beim Lesen der Datei " + path);
        return;
    }
    host.beginProgress("Cacheliste wird gelesen", cacheRecordCount(ctx_));
    CacheRecordReader reader(fd.get());
    std::int32_t n = 0;
    for (const char* bytes = reader.next(); bytes; bytes = reader.next(), ++n) {
        const TCacheRec rec = decodeCacheRec(bytes);
        index_.push_back({rec.Waypoint, rec.Lat, rec.Lon, n});
        if ((n + 1) % kProgressEvery == 0) {
            host.setProgress(n + 1);
            host.processEvents();
        }
    }
    host.endProgress();
    if (reader.error() != 0) showErrorCode(host, reader.error(), "Fehler beim Lesen der Datei " + path);
}

std::string RouteSearchModel::fileFilter(RouteFormat f) const {
    return kPatterns[static_cast<int>(f)];
}

bool RouteSearchModel::chooseAndLoadRoute() {
    FileDialogOptions chooser;
    chooser.startDir = ctx_.workDirPath();
    const int chosen = static_cast<int>(format);
    chooser.filters.push_back({kFormatNames[chosen], kPatterns[chosen]});
    for (int i = 0; i < 3; ++i)
        if (i != chosen) chooser.filters.push_back({kFormatNames[i], kPatterns[i]});
    const std::vector<std::string> files = ctx_.host().chooseOpenFiles(chooser, false);
    if (files.empty()) return false;
    return loadRoute(files.front());
}

bool RouteSearchModel::loadRoute(const std::string& path) {
    Host& host = ctx_.host();
    RouteFileResult r;
    switch (format) {
        case RouteFormat::Overlay:
            r = readOverlayRoute(host, path);
            break;
        case RouteFormat::CursorCoordinates:
            r = readCursorRoute(host, path);
            break;
        case RouteFormat::MapSource:
            r = readMapSourceRoute(host, path);
            break;
    }
    if (!r.ok) {
        changed();
        return false;
    }
    if (format == RouteFormat::CursorCoordinates) {
        routePoints_.insert(routePoints_.end(), r.points.begin(), r.points.end());
    } else {
        routePoints_ = std::move(r.points);
    }
    source_ = "Quelle [" + path + "]";
    // Every format tells how many points its file gave, not only the overlay with its own count.
    const std::size_t filePoints =
        format == RouteFormat::Overlay ? static_cast<std::size_t>(r.declaredPoints) : r.points.size();
    pointCount_ = std::to_string(filePoints) + " Punkte in Quelldatei:";
    changed();
    return true;
}

void RouteSearchModel::showCount() {
    if (aborted_)
        count_ = "Die Berechnung wurde nach " + std::to_string(results_.size()) + " Caches abgebrochen.";
    else
        count_ = "Entlang der Route wurden " + std::to_string(results_.size()) + " Caches gefunden.";
}

void RouteSearchModel::calculate() {
    if (!canCalculate()) return;
    Host& host = ctx_.host();
    abort_ = false;
    aborted_ = false;
    results_.clear();
    count_.clear();
    running_ = true;
    setRunning();
    const double w = width();
    std::vector<GeoPoint> route;
    for (const std::string& text : routePoints_) {
        GeoPoint p;
        if (parseRoutePoint(text, p)) route.push_back(p);
    }
    if (!grid_ || grid_->widthKm() != w) grid_ = std::make_unique<CorridorGrid>(index_, w);
    const double homeLat = ctx_.settings.HomeLat, homeLon = ctx_.settings.HomeLong;

    CorridorCallbacks callbacks;
    callbacks.onLeg = [&](int leg, int legs) {
        action_ = "Verarbeite Teilabschnitt " + std::to_string(leg) + " von " + std::to_string(legs);
        changed();
        host.processEvents();
    };
    callbacks.onFound = [&](std::int32_t i, double distanceKm) {
        const RouteCacheEntry& e = index_[i];
        TCacheRec rec;
        if (!FindCache(ctx_, e.waypoint, rec)) return;
        if (filterOn && !filter_.passes(CacheTypeCode(rec.CacheType))) return;
        const DistanceBearingResult home = DistanceBearing(homeLat, homeLon, e.lat, e.lon);
        std::string text = e.waypoint + " (" + kmText(distanceKm) + " km";
        if (home.ok) text += " / " + kmText(home.distanceKm) + " km";
        text += ") " + rec.CacheName;
        results_.push_back(std::move(text));
        showCount();
        changed();
        host.processEvents();
    };
    callbacks.aborted = [&] { return abort_ || host.abortRequested(); };
    aborted_ = !searchCorridor(index_, route, w, grid_.get(), callbacks);
    running_ = false;
    action_ = kIdle;
    showCount();
    changed();
}

void RouteSearchModel::filterDialogClosed(bool confirmed) {
    filterOn = confirmed;
    changed();
}

std::string RouteSearchModel::resultWaypoint(const std::string& result) {
    return result.substr(0, result.find(' '));
}

void RouteSearchModel::removeResult(int pos) {
    if (pos < 0 || pos >= static_cast<int>(results_.size())) return;
    results_.erase(results_.begin() + pos);
    showCount();
    changed();
}

void RouteSearchModel::removeWaypoints(const std::vector<std::string>& waypoints) {
    std::set<std::string> drop;
    for (const std::string& w : waypoints) drop.insert(upperCase(w));
    std::erase_if(results_,
                  [&](const std::string& r) { return drop.count(upperCase(resultWaypoint(r))) > 0; });
    showCount();
    changed();
}

void RouteSearchModel::removeFinds() {
    std::vector<std::string> finds;
    const int code = LoadFoundWaypoints(ctx_, finds);
    if (code != 0)
        showErrorCode(ctx_.host(), code, "Fehler beim Lesen der Datei " + ctx_.workDirPath() + "Finds.bin");
    removeWaypoints(finds);
}

std::optional<TCacheRec> RouteSearchModel::resultDetails(int pos) {
    if (pos < 0 || pos >= static_cast<int>(results_.size())) return std::nullopt;
    TCacheRec rec;
    if (FindCache(ctx_, resultWaypoint(results_[pos]), rec)) return rec;
    ctx_.host().message(
        MsgKind::Error, MsgButtons::Ok,
        "Cache nicht in der Datenbank gefunden!\r\n(Cache liegt vermutlich in einem anderen Land "
        "oder wurde mittlerweile archiviert.)");
    return std::nullopt;
}

bool RouteSearchModel::transfer() {
    // Offered only with results: an empty transfer would clear the work list.
    if (results_.empty()) return false;
    const std::string path = ctx_.workDirPath() + kWorkListFileName;
    std::vector<std::string> lines;
    if (keepWorkList) {
        int code = 0;
        lines = readListFile(path, &code);
        // An existing list that cannot be read must not be replaced by the results alone.
        if (code != 0 && code != ENOENT) {
            showErrorCode(ctx_.host(), code, "Fehler beim Lesen der Datei " + path);
            return false;
        }
    } else {
        copyFileAtomic(path, path + ".bk");  // the replaced list stays at hand, as the collector keeps it
    }
    for (const std::string& r : results_) lines.push_back(resultWaypoint(r));
    if (const int code = writeListFile(path, lines); code != 0) {
        showErrorCode(ctx_.host(), code, "Fehler beim Schreiben der Datei " + path);
        return false;
    }
    transferred_ = true;
    close();
    return true;
}

}  // namespace vellora
