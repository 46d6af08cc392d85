#pragma once
// The corridor search along a route: sample points every W / sqrt(2) km along each leg, and every
// cache within W of a sample point, found once, in the order legs, sample points, database order.
// A spatial grid yields the candidates of a sample point; the result is the same as testing every
// cache at every sample point.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/Projection.h"

namespace vellora {

struct RouteCacheEntry {
    std::string waypoint;
    double lat = 0;
    double lon = 0;
    std::int32_t recordNo = 0;
};

// The sample points of one leg from a to b: a, then steps of widthKm / sqrt(2) along the initial
// bearing at a; b itself only when the leg length is a multiple of the step.
std::vector<GeoPoint> legSamples(GeoPoint a, GeoPoint b, double widthKm);

// Cache positions bucketed by latitude rows and longitude columns, for one corridor width.
class CorridorGrid {
public:
    CorridorGrid(const std::vector<RouteCacheEntry>& entries, double widthKm);

    double widthKm() const { return widthKm_; }
    // Every entry that may lie within widthKm of (lat, lon), ascending (database order); may hold
    // more, never fewer.
    void candidates(double lat, double lon, std::vector<std::int32_t>& out) const;

private:
    struct Cell {
        std::uint32_t key;
        std::int32_t entry;
    };
    void addRange(std::uint32_t first, std::uint32_t last, std::vector<std::int32_t>& out) const;

    double widthKm_;
    double radiusDeg_;
    double cellDeg_;
    std::uint32_t rows_, cols_;
    std::size_t entryCount_;
    std::vector<Cell> cells_;           // sorted by key, then entry
    std::vector<std::int32_t> always_;  // positions no cell holds (outside -90 ... 90): always tested
};

struct CorridorCallbacks {
    // Before the legs' sampling: leg is 1-based.
    std::function<void(int leg, int legs)> onLeg;
    // An entry within the corridor, with its distance from the sample point.
    std::function<void(std::int32_t entry, double distanceKm)> onFound;
    // Tested before each sample point and after each entry found.
    std::function<bool()> aborted;
};

// Runs the search over route points; grid may be null (every entry tested at every sample point).
// Returns false when it was aborted.
bool searchCorridor(const std::vector<RouteCacheEntry>& entries, const std::vector<GeoPoint>& route,
                    double widthKm, const CorridorGrid* grid, const CorridorCallbacks& callbacks);

}  // namespace vellora
