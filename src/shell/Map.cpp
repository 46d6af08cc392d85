#include "shell/Map.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "tools/Projection.h"

namespace vellora {

namespace {

std::string wholeNumberText(double value) {
    const double r = std::round(value);
    if (!std::isfinite(r) || std::fabs(r) > 1e15) return "0";
    return std::to_string(static_cast<long long>(r));
}

// Truncation towards zero into an int, clamped so that far-off points stay drawable.
int pixel(double value) {
    if (!std::isfinite(value)) return 0;
    const double t = std::trunc(value);
    return static_cast<int>(std::clamp(t, -1e8, 1e8));
}

}  // namespace

MapView correctAspect(const MapView& view, int width, int height) {
    MapView v = view;
    if (width <= 0 || height <= 0 || v.lonSpan() <= 0 || v.latSpan() <= 0) return v;
    const double f = width / v.lonSpan() * kMapAspectFactor;
    const double g = height / v.latSpan();
    if (f / g > 1) {
        const double widen = v.lonSpan() * (f / g - 1) / 2;
        v.lonFrom -= widen;
        v.lonTo += widen;
    } else {
        const double widen = v.latSpan() * (g / f - 1) / 2;
        v.latFrom -= widen;
        v.latTo += widen;
    }
    return v;
}

int MapProjection::x(double lon) const {
    return pixel((lon - view_.lonFrom) * width_ / view_.lonSpan());
}

int MapProjection::y(double lat) const {
    return pixel(height_ - (lat - view_.latFrom) * height_ / view_.latSpan());
}

double MapProjection::lonAt(double px) const {
    return view_.lonFrom + px * view_.lonSpan() / width_;
}

double MapProjection::latAt(double py) const {
    return view_.latFrom + (height_ - py) * view_.latSpan() / height_;
}

double MapProjection::viewWidthKm() const {
    const DistanceBearingResult d = DistanceBearing(latAt(0), lonAt(0), latAt(0), lonAt(width_ - 1));
    return d.ok ? d.distanceKm : 0;
}

int townSizeLimit(double viewWidthKm) {
    if (viewWidthKm > 1000) return 1;
    if (viewWidthKm > 200) return 2;
    return 3;
}

int gridStepMinutes(double lonSpan) {
    // Wide views get wider steps, so that a view of any size has at most some fifteen lines.
    if (lonSpan > 150) return 1800;
    if (lonSpan > 75) return 600;
    if (lonSpan > 30) return 300;
    if (lonSpan > 15) return 120;
    if (lonSpan > 10) return 60;
    if (lonSpan > 5) return 30;
    if (lonSpan > 3) return 20;
    if (lonSpan > 1) return 10;
    if (lonSpan > 0.5) return 6;
    return 1;
}

std::optional<double> scaleUnitKm(double w) {
    static constexpr std::pair<double, double> kSteps[] = {
        {10000, 1000}, {3000, 300}, {1000, 100}, {300, 30},   {100, 10},     {30, 3},       {10, 1},
        {3, 0.3},      {1, 0.1},    {0.3, 0.03}, {0.1, 0.01}, {0.03, 0.003}, {0.01, 0.001},
    };
    for (const auto& [above, unit] : kSteps) {
        if (w > above) return unit;
    }
    return std::nullopt;
}

std::optional<double> longitudeEastOf(double lat, double lon, double distanceKm) {
    const std::optional<GeoPoint> east = Project(lat, lon, distanceKm, 90);
    if (!east) return std::nullopt;
    return east->lon;
}

std::vector<MapGridLine> gridLines(const MapProjection& p) {
    std::vector<MapGridLine> lines;
    const MapView& v = p.view();
    // A tall view is measured by its latitudes, so that neither direction gets too many lines.
    const int step = gridStepMinutes(std::max(v.lonSpan(), v.latSpan()));
    // Whole minutes from a multiple of the step on, so that whole degrees are found exactly.
    const auto walk = [&](double from, double to, bool meridian) {
        if (!std::isfinite(from) || !std::isfinite(to) || (to - from) * 60 / step > 100000) return;
        const long long startMinutes = static_cast<long long>(std::floor(from * 60 / step)) * step;
        for (long long m = startMinutes + step; m / 60.0 <= to; m += step) {
            const double degrees = m / 60.0;
            MapGridLine line;
            line.meridian = meridian;
            line.position = meridian ? p.x(degrees) : p.y(degrees);
            if (meridian ? line.position < 36 : line.position < 31) continue;
            line.wholeDegree = m % 60 == 0;
            line.label = FormatDegMinShort(degrees);
            lines.push_back(std::move(line));
        }
    };
    walk(v.lonFrom, v.lonTo, true);
    walk(v.latFrom, v.latTo, false);
    return lines;
}

std::optional<MapScaleBar> scaleBar(const MapProjection& p) {
    const std::optional<double> unit = scaleUnitKm(p.viewWidthKm());
    if (!unit) return std::nullopt;
    const MapView& v = p.view();
    const std::optional<double> east = longitudeEastOf(v.latFrom, v.lonFrom, *unit);
    if (!east) return std::nullopt;
    MapScaleBar bar;
    bar.unitKm = *unit;
    bar.segmentPixels = p.x(*east) - p.x(v.lonFrom);
    const bool metres = *unit < 1;
    bar.unit = metres ? "m" : "km";
    for (int i = 0; i <= 5; ++i) bar.labels.push_back(wholeNumberText(i * *unit * (metres ? 1000 : 1)));
    return bar;
}

std::optional<std::vector<BorderPoint>> readBorders(const std::string& path, int& errorCode) {
    UniqueFd fd = openFile(path, O_RDONLY, 0, &errorCode);
    if (!fd) return std::nullopt;
    std::string data;
    if ((errorCode = readAll(fd.get(), data)) != 0) return std::nullopt;
    std::vector<BorderPoint> points;
    points.reserve(data.size() / 12);
    for (std::size_t at = 0; at + 12 <= data.size(); at += 12) {
        BorderPoint point;
        std::memcpy(&point.lon, data.data() + at, 4);
        std::memcpy(&point.lat, data.data() + at + 4, 4);
        point.startsLine = static_cast<signed char>(data[at + 8]) < 0;
        points.push_back(point);
    }
    return points;
}

std::vector<TTown> parseTowns(std::string_view text) {
    std::vector<TTown> towns;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t a = line.find(';');
        const std::size_t b = a == std::string_view::npos ? a : line.find(';', a + 1);
        const std::size_t c = b == std::string_view::npos ? b : line.find(';', b + 1);
        if (c == std::string_view::npos) continue;
        const std::optional<double> lat = parseDouble(line.substr(0, a));
        const std::optional<double> lon = parseDouble(line.substr(a + 1, b - a - 1));
        const std::optional<double> size = parseDouble(line.substr(b + 1, c - b - 1));
        if (!lat || !lon || !size || *size != std::trunc(*size) || std::fabs(*size) > 1000) continue;
        towns.push_back({*lat, *lon, static_cast<int>(*size), std::string(line.substr(c + 1))});
    }
    return towns;
}

bool TfrmMap::addCache(std::string_view waypoint) {
    TCacheRec rec;
    if (!FindCache(ctx_, waypoint, rec)) return false;
    caches_.push_back({rec.Waypoint, rec.Lat, rec.Lon, rec.CacheName.substr(0, 80)});
    return true;
}

void TfrmMap::onOpen() {
    overview_ = view_;
    removed_.clear();
    accepted_ = false;
    cacheInfoMode = false;
    showWpNames = false;
    const std::string townsPath = ctx_.workDirPath() + kTownsFileName;
    int err = 0;
    if (const std::optional<std::string> text = readFile(townsPath, &err)) {
        towns_ = parseTowns(*text);
    } else {
        towns_.clear();
        showErrorCode(ctx_.host(), err, "Fehler beim Lesen der Datei " + townsPath);
    }
    loadBorders();
}

void TfrmMap::onClose() {
    towns_.clear();
}

// Read once per opening: an error box from inside a repaint would come back with every repaint
// that closing the box causes.
void TfrmMap::loadBorders() {
    const std::string path = ctx_.workDirPath() + kBordersFileName;
    int err = 0;
    if (std::optional<std::vector<BorderPoint>> points = readBorders(path, err)) {
        borders_ = std::move(*points);
    } else {
        borders_.clear();
        showErrorCode(ctx_.host(), err, "Fehler beim Lesen der Datei " + path);
    }
}

void TfrmMap::paint(MapCanvas& canvas, int width, int height) {
    if (width <= 0 || height <= 0) return;
    canvas.fillRect({0, 0, width, height}, kMapWhite);
    canvas.frameRect({0, 0, width, height}, kMapBlack);
    view_ = correctAspect(view_, width, height);
    const MapProjection p(view_, width, height);
    if (showTowns) drawTowns(canvas, p);
    if (showGrid) drawGrid(canvas, p);
    drawBorders(canvas, p);
    drawCaches(canvas, p);
    drawRoute(canvas, p);
    if (showScale) drawScale(canvas, p);
}

int townRadius(int sizeClass) {
    return std::clamp(5 - sizeClass, 2, 4);
}

namespace {

// A town's name stands right of its dot, centred on its height.
MapRect townLabelBox(MapPoint at, int radius, int textWidth) {
    return {at.x + radius + 2, at.y - kTownLabelHeight / 2, textWidth, kTownLabelHeight};
}

bool boxesOverlap(const MapRect& a, const MapRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

}  // namespace

void TfrmMap::drawTowns(MapCanvas& canvas, const MapProjection& p) const {
    const int limit = townSizeLimit(p.viewWidthKm());
    std::vector<const TTown*> candidates;
    for (const TTown& town : towns_) {
        if (town.size > limit) continue;
        const MapPoint at{p.x(town.lon), p.y(town.lat)};
        if (at.x < 0 || at.y < 0 || at.x >= p.width() || at.y >= p.height()) continue;
        candidates.push_back(&town);
    }
    // The larger towns claim their room first; a town whose name would touch a name or a dot
    // already placed is left out, so that crowded regions stay readable.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TTown* a, const TTown* b) { return a->size < b->size; });
    struct Placed {
        MapPoint at;
        int radius;
        MapRect label;
        const TTown* town;
    };
    std::vector<Placed> shown;
    std::vector<MapRect> taken;
    for (const TTown* town : candidates) {
        const MapPoint at{p.x(town->lon), p.y(town->lat)};
        const int radius = townRadius(town->size);
        const MapRect dot{at.x - radius, at.y - radius, 2 * radius + 1, 2 * radius + 1};
        MapRect label = townLabelBox(at, radius, canvas.textWidth(town->name, kTownLabelPoints));
        // A name that would run off the right edge stands left of its dot.
        if (label.x + label.w > p.width() && at.x - radius - 2 - label.w >= 0)
            label.x = at.x - radius - 2 - label.w;
        const bool crowded = std::any_of(taken.begin(), taken.end(), [&](const MapRect& r) {
            return boxesOverlap(r, label) || boxesOverlap(r, dot);
        });
        if (crowded) continue;
        taken.push_back(dot);
        taken.push_back(label);
        shown.push_back({at, radius, label, town});
    }
    for (const Placed& t : shown) canvas.filledCircle(t.at, t.radius, kTownColour);
    for (const Placed& t : shown)
        canvas.text({t.label.x, t.label.y}, t.town->name, kTownLabelPoints, kMapBlack);
}

void TfrmMap::drawGrid(MapCanvas& canvas, const MapProjection& p) const {
    for (const MapGridLine& line : gridLines(p)) {
        const MapRgb colour = line.wholeDegree ? kGridDegreeColour : kGridColour;
        if (line.meridian) {
            canvas.line({line.position, 0}, {line.position, p.height()}, colour);
            canvas.verticalText({line.position + 7, 1}, line.label, 8, colour);
        } else {
            canvas.line({0, line.position}, {p.width(), line.position}, colour);
            canvas.text({1, line.position - 7}, line.label, 8, colour);
        }
    }
}

void TfrmMap::drawBorders(MapCanvas& canvas, const MapProjection& p) const {
    std::vector<MapPoint> run;
    const auto flush = [&] {
        if (run.size() > 1) canvas.polyline(run, kBorderColour);
        run.clear();
    };
    for (const BorderPoint& point : borders_) {
        if (point.startsLine) flush();
        run.push_back({p.x(point.lon), p.y(point.lat)});
    }
    flush();
}

void TfrmMap::drawCaches(MapCanvas& canvas, const MapProjection& p) const {
    std::vector<MapRect> crosses;
    crosses.reserve(caches_.size() * 2);
    for (const TExtCache& cache : caches_) {
        const int x = p.x(cache.lon), y = p.y(cache.lat);
        if (x < -10 || y < -10 || x > p.width() + 10 || y > p.height() + 10) continue;
        crosses.push_back({x - 2, y - 1, 5, 3});
        crosses.push_back({x - 1, y - 2, 3, 5});
    }
    canvas.fillRects(crosses, kMapBlack);
    if (!showWpNames) return;
    for (const TExtCache& cache : caches_) {
        const int x = p.x(cache.lon), y = p.y(cache.lat);
        if (x < -10 || y < -10 || x > p.width() + 10 || y > p.height() + 10) continue;
        canvas.text({x + 2, y - 4}, cache.waypoint, 8, kMapBlack);
    }
}

void TfrmMap::drawRoute(MapCanvas& canvas, const MapProjection& p) const {
    if (route_.size() < 2) return;
    std::vector<MapPoint> points;
    points.reserve(route_.size());
    for (const MapRoutePoint& point : route_) points.push_back({p.x(point.lon), p.y(point.lat)});
    canvas.polyline(points, kRouteColour);
}

void TfrmMap::drawScale(MapCanvas& canvas, const MapProjection& p) const {
    const std::optional<MapScaleBar> bar = scaleBar(p);
    if (!bar || bar->segmentPixels <= 0) return;
    const int y = p.height() - 10;
    const int x0 = 45;
    const int length = 5 * bar->segmentPixels;
    canvas.fillRect({x0, y - 10, length, 10}, kMapWhite);
    for (int segment = 2; segment <= 4; segment += 2)
        canvas.fillRect({x0 + (segment - 1) * bar->segmentPixels, y - 10, bar->segmentPixels, 10}, kMapBlack);
    canvas.frameRect({x0, y - 10, length + 1, 11}, kMapBlack);
    // A label that would run into the one before it is left out; the tick keeps its place.
    const int gap = std::max(4, canvas.textWidth(" ", 10));
    std::optional<int> lastRight;
    for (int i = 0; i <= 5; ++i) {
        const std::string& label = bar->labels[static_cast<std::size_t>(i)];
        const int tick = x0 + i * bar->segmentPixels;
        const int width = canvas.textWidth(label, 10);
        const int left = tick - width / 2;
        if (lastRight && left < *lastRight + gap) continue;
        canvas.text({left, y - 30}, label, 10, kMapBlack);
        lastRight = left + width;
    }
    canvas.text({x0 + length + 5, y - 15}, bar->unit, 10, kMapBlack);
}

std::string TfrmMap::captionAt(int x, int y, int width, int height) const {
    const MapProjection p(correctAspect(view_, width, height), width, height);
    return FormatLatLon(p.latAt(y), p.lonAt(x));
}

std::optional<std::size_t> TfrmMap::nearestCache(int x, int y, int width, int height) const {
    const MapProjection p(correctAspect(view_, width, height), width, height);
    const double lat = p.latAt(y), lon = p.lonAt(x);
    std::optional<std::size_t> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < caches_.size(); ++i) {
        const DistanceBearingResult d = DistanceBearing(lat, lon, caches_[i].lat, caches_[i].lon);
        const double distance = d.ok ? d.distanceKm : std::numeric_limits<double>::max();
        if (!best || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

TfrmMap::ClickAction TfrmMap::click(int x, int y, int width, int height, bool leftButton, bool shiftOnly) {
    view_ = correctAspect(view_, width, height);
    const MapProjection p(view_, width, height);
    const double lat = p.latAt(y), lon = p.lonAt(x);
    if (leftButton && (cacheInfoMode || shiftOnly)) return ClickAction::CacheInfo;
    const double factor = leftButton ? 0.5 : 2.0;
    if (leftButton && view_.lonSpan() <= kMinLonSpan) return ClickAction::None;
    const double halfLon = view_.lonSpan() * factor / 2, halfLat = view_.latSpan() * factor / 2;
    view_ = {lon - halfLon, lon + halfLon, lat - halfLat, lat + halfLat};
    changed();
    return leftButton ? ClickAction::ZoomedIn : ClickAction::ZoomedOut;
}

void TfrmMap::removeCache(std::size_t index) {
    if (index >= caches_.size()) return;
    removed_.push_back(caches_[index].waypoint);
    caches_.erase(caches_.begin() + static_cast<std::ptrdiff_t>(index));
    changed();
}

void TfrmMap::pan(int east, int north) {
    const double dLon = view_.lonSpan() / 4 * east, dLat = view_.latSpan() / 4 * north;
    view_.lonFrom += dLon;
    view_.lonTo += dLon;
    view_.latFrom += dLat;
    view_.latTo += dLat;
    changed();
}

void TfrmMap::showOverview() {
    view_ = overview_;
    changed();
}

void TfrmMap::zoomToCaches() {
    if (caches_.empty()) return;
    MapView box{caches_[0].lon, caches_[0].lon, caches_[0].lat, caches_[0].lat};
    for (const TExtCache& c : caches_) {
        box.lonFrom = std::min(box.lonFrom, c.lon);
        box.lonTo = std::max(box.lonTo, c.lon);
        box.latFrom = std::min(box.latFrom, c.lat);
        box.latTo = std::max(box.latTo, c.lat);
    }
    constexpr double kMargin = 1.0 / 30.0;
    view_ = {box.lonFrom - kMargin, box.lonTo + kMargin, box.latFrom - kMargin, box.latTo + kMargin};
    changed();
}

void TfrmMap::accept() {
    accepted_ = true;
    close();
}

void TfrmMap::reject() {
    accepted_ = false;
    close();
}

}  // namespace vellora
