#include "tools/Corridor.h"

#include <algorithm>
#include <cmath>

#include "core/Koord.h"

namespace vellora {
namespace {

// Covers the tolerance of "identical points" and the rounding of the distance test.
constexpr double kMarginDeg = 1e-4;

double wrap360(double lon) {
    double l = std::fmod(lon, 360.0);
    if (l < 0) l += 360.0;
    if (l >= 360.0) l = 0;
    return l;
}

}  // namespace

std::vector<GeoPoint> legSamples(GeoPoint a, GeoPoint b, double widthKm) {
    std::vector<GeoPoint> out{a};
    const DistanceBearingResult r = DistanceBearing(a.lat, a.lon, b.lat, b.lon);
    if (!r.ok) return out;
    const double step = widthKm / std::sqrt(2.0);
    const double n = std::floor(r.distanceKm / step);
    GeoPoint s = a;
    for (double k = 0; k < n; ++k) {
        const auto next = Project(s.lat, s.lon, step, r.bearing);
        if (!next) break;
        s = *next;
        out.push_back(s);
    }
    return out;
}

CorridorGrid::CorridorGrid(const std::vector<RouteCacheEntry>& entries, double widthKm)
    : widthKm_(widthKm), entryCount_(entries.size()) {
    radiusDeg_ = widthKm / kEarthRadiusKm * 180.0 / kPi + kMarginDeg;
    cellDeg_ = std::clamp(2.0 * radiusDeg_, 0.02, 45.0);
    rows_ = static_cast<std::uint32_t>(std::ceil(180.0 / cellDeg_)) + 1;
    cols_ = static_cast<std::uint32_t>(std::ceil(360.0 / cellDeg_)) + 1;
    cells_.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RouteCacheEntry& e = entries[i];
        if (!(e.lat >= -90.0 && e.lat <= 90.0) || !std::isfinite(e.lon)) {
            always_.push_back(static_cast<std::int32_t>(i));
            continue;
        }
        const auto row = std::min(rows_ - 1, static_cast<std::uint32_t>((e.lat + 90.0) / cellDeg_));
        const auto col = std::min(cols_ - 1, static_cast<std::uint32_t>(wrap360(e.lon) / cellDeg_));
        cells_.push_back({row * cols_ + col, static_cast<std::int32_t>(i)});
    }
    std::sort(cells_.begin(), cells_.end(), [](const Cell& x, const Cell& y) {
        return x.key != y.key ? x.key < y.key : x.entry < y.entry;
    });
}

void CorridorGrid::addRange(std::uint32_t first, std::uint32_t last, std::vector<std::int32_t>& out) const {
    auto it = std::lower_bound(cells_.begin(), cells_.end(), first,
                               [](const Cell& c, std::uint32_t k) { return c.key < k; });
    for (; it != cells_.end() && it->key <= last; ++it) out.push_back(it->entry);
}

void CorridorGrid::candidates(double lat, double lon, std::vector<std::int32_t>& out) const {
    out.clear();
    if (!(lat >= -90.0 && lat <= 90.0) || !std::isfinite(lon)) {
        // A sample point off the sphere's latitude range: test everything.
        out.resize(entryCount_);
        for (std::size_t i = 0; i < entryCount_; ++i) out[i] = static_cast<std::int32_t>(i);
        return;
    }
    const double latLow = std::max(-90.0, lat - radiusDeg_);
    const double latHigh = std::min(90.0, lat + radiusDeg_);
    const auto row0 = static_cast<std::uint32_t>((latLow + 90.0) / cellDeg_);
    const auto row1 = std::min(rows_ - 1, static_cast<std::uint32_t>((latHigh + 90.0) / cellDeg_));
    // Half the longitude span of the circle; all longitudes when it reaches a pole.
    bool allColumns = std::fabs(lat) + radiusDeg_ >= 89.0;
    double halfSpan = 0;
    if (!allColumns) {
        const double r = radiusDeg_ * kPi / 180.0;
        const double x = std::sin(r) / std::cos(lat * kPi / 180.0);
        if (x >= 1.0) {
            allColumns = true;
        } else {
            halfSpan = std::asin(x) * 180.0 / kPi * (1.0 + 1e-6) + kMarginDeg;
            allColumns = halfSpan >= 179.0;
        }
    }
    const double center = wrap360(lon);
    for (std::uint32_t row = row0; row <= row1; ++row) {
        const std::uint32_t base = row * cols_;
        if (allColumns) {
            addRange(base, base + cols_ - 1, out);
            continue;
        }
        const double low = center - halfSpan, high = center + halfSpan;
        auto col = [this](double deg) {
            return std::min(cols_ - 1, static_cast<std::uint32_t>(deg / cellDeg_));
        };
        if (low < 0) {
            addRange(base, base + col(high), out);
            addRange(base + col(low + 360.0), base + cols_ - 1, out);
        } else if (high >= 360.0) {
            addRange(base, base + col(high - 360.0), out);
            addRange(base + col(low), base + cols_ - 1, out);
        } else {
            addRange(base + col(low), base + col(high), out);
        }
    }
    out.insert(out.end(), always_.begin(), always_.end());
    std::sort(out.begin(), out.end());
}

bool searchCorridor(const std::vector<RouteCacheEntry>& entries, const std::vector<GeoPoint>& route,
                    double widthKm, const CorridorGrid* grid, const CorridorCallbacks& callbacks) {
    std::vector<char> taken(entries.size(), 0);
    std::vector<std::int32_t> candidates;
    auto aborted = [&] { return callbacks.aborted && callbacks.aborted(); };
    auto test = [&](std::int32_t i, const GeoPoint& s) {
        if (taken[i]) return;
        const RouteCacheEntry& e = entries[i];
        const DistanceBearingResult r = DistanceBearing(s.lat, s.lon, e.lat, e.lon);
        if (!r.ok || !(r.distanceKm <= widthKm)) return;
        taken[i] = 1;
        if (callbacks.onFound) callbacks.onFound(i, r.distanceKm);
    };
    const int legs = static_cast<int>(route.size()) - 1;
    for (int j = 0; j < legs; ++j) {
        if (callbacks.onLeg) callbacks.onLeg(j + 1, legs);
        for (const GeoPoint& s : legSamples(route[j], route[j + 1], widthKm)) {
            if (aborted()) return false;
            if (grid) {
                grid->candidates(s.lat, s.lon, candidates);
                for (std::int32_t i : candidates) {
                    const bool wasTaken = taken[i];
                    test(i, s);
                    if (!wasTaken && taken[i] && aborted()) return false;
                }
            } else {
                for (std::int32_t i = 0; i < static_cast<std::int32_t>(entries.size()); ++i) {
                    const bool wasTaken = taken[i];
                    test(i, s);
                    if (!wasTaken && taken[i] && aborted()) return false;
                }
            }
        }
    }
    return !aborted();
}

}  // namespace vellora
