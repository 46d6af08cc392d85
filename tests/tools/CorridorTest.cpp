#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/Koord.h"
#include "tools/Corridor.h"

namespace vellora {
namespace {

struct Hit {
    std::int32_t entry;
    double distanceKm;
    bool operator==(const Hit&) const = default;
};

std::vector<Hit> run(const std::vector<RouteCacheEntry>& entries, const std::vector<GeoPoint>& route,
                     double w, const CorridorGrid* grid) {
    std::vector<Hit> hits;
    CorridorCallbacks callbacks;
    callbacks.onFound = [&](std::int32_t i, double d) { hits.push_back({i, d}); };
    EXPECT_TRUE(searchCorridor(entries, route, w, grid, callbacks));
    return hits;
}

TEST(LegSamples, StepWidthOverRootTwoAlongTheLeg) {
    // A leg of 10 km due east (along a great circle), W = 3 km: C = 2.1213 km, n = 4.
    const GeoPoint a{49.5, 10.75};
    const auto b = Project(a.lat, a.lon, 10.0, 90);
    ASSERT_TRUE(b);
    const auto samples = legSamples(a, *b, 3.0);
    ASSERT_EQ(samples.size(), 5u);
    const double expected[] = {0, 2.12, 4.24, 6.36, 8.49};
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const DistanceBearingResult r = DistanceBearing(a.lat, a.lon, samples[k].lat, samples[k].lon);
        ASSERT_TRUE(r.ok);
        EXPECT_NEAR(k == 0 ? 0.0 : r.distanceKm, expected[k], 0.005) << k;
    }
    // Identical points: the start is the only sample.
    EXPECT_EQ(legSamples(a, a, 3.0).size(), 1u);
}

// The grid only narrows the candidates: on many random routes, also over the 180th meridian and
// near the poles, it gives exactly the hits of testing every cache at every sample point.
TEST(CorridorGrid, FindsExactlyWhatThePlainSearchFinds) {
    std::mt19937 rng(20061208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
    int totalHits = 0;
    for (int round = 0; round < 160; ++round) {
        const double w = round % 3 == 0 ? uniform(0.11, 1.0) : uniform(1.0, 12.0);
        // Where the route runs: anywhere, over the 180th meridian, or near a pole.
        GeoPoint start;
        switch (round % 4) {
            case 0:
                start = {uniform(-70, 70), uniform(-180, 180)};
                break;
            case 1:
                start = {uniform(-60, 60), uniform(179.7, 180.0) * (round % 8 == 1 ? 1 : -1)};
                break;
            case 2:
                start = {uniform(89.2, 90.0) * (round % 8 == 2 ? 1 : -1), uniform(-180, 180)};
                break;
            default:
                start = {uniform(-89, 89), uniform(-180, 180)};
                break;
        }
        std::vector<GeoPoint> route{start};
        const int legs = 1 + round % 4;
        for (int j = 0; j < legs; ++j) {
            const auto next = Project(route.back().lat, route.back().lon, uniform(0, std::min(40.0, 25 * w)),
                                      uniform(0, 360));
            ASSERT_TRUE(next);
            route.push_back(*next);
        }
        if (round % 10 == 0) route.push_back(route.back());  // a leg of identical points

        std::vector<RouteCacheEntry> entries;
        for (int i = 0; i < 1000; ++i) {
            const GeoPoint& near = route[static_cast<std::size_t>(i) % route.size()];
            GeoPoint p;
            if (i % 5 == 0) {
                p = {uniform(-90, 90), uniform(-180, 180)};
            } else {
                const auto q =
                    Project(near.lat, near.lon, uniform(0, 2.5 * w + 30 * unit(rng)), uniform(0, 360));
                p = *q;
                // Database longitudes lie in -180 ... 180.
                p.lon = std::remainder(p.lon, 360.0);
            }
            entries.push_back({"GC" + std::to_string(i), p.lat, p.lon, i});
        }
        // Records a real database may hold by mistake, and the 180th meridian written both ways.
        entries.push_back({"GCODD1", 95.0, 10.0, 0});
        entries.push_back({"GCODD2", std::numeric_limits<double>::quiet_NaN(), 10.0, 0});
        entries.push_back({"GCODD3", start.lat, start.lon + 360.0, 0});
        entries.push_back({"GCODD4", start.lat, start.lon > 0 ? start.lon - 360.0 : start.lon + 360.0, 0});
        entries.push_back({"GCODD5", start.lat, 180.0, 0});
        entries.push_back({"GCODD6", start.lat, -180.0, 0});

        const CorridorGrid grid(entries, w);
        const auto plain = run(entries, route, w, nullptr);
        const auto fast = run(entries, route, w, &grid);
        ASSERT_EQ(fast, plain) << "round " << round << " W " << w << " start " << start.lat << " "
                               << start.lon;
        totalHits += static_cast<int>(plain.size());
    }
    EXPECT_GT(totalHits, 500);
}

TEST(CorridorSearch, CachesAreFoundOnceInLegSampleAndDatabaseOrder) {
    const GeoPoint a{49.5, 10.75};
    const GeoPoint b = *Project(a.lat, a.lon, 10, 90);
    const GeoPoint c = *Project(b.lat, b.lon, 10, 0);
    const std::vector<GeoPoint> route{a, b, c};
    auto at = [](GeoPoint p, double km, double bearing) {
        const GeoPoint q = *Project(p.lat, p.lon, km, bearing);
        return RouteCacheEntry{"", q.lat, q.lon, 0};
    };
    std::vector<RouteCacheEntry> entries = {
        at(a, 7.0, 90),  // near the third sample of leg 1
        at(a, 1.0, 0),   // near the first sample
        at(b, 0.5, 45),  // within W of both legs: found with leg 1's samples
        at(c, 2.9, 0),   // within W of the end point only, which is no sample
        at(a, 2.0, 90),  // database order after the first entry at the same sample
    };
    const auto hits = run(entries, route, 3.0, nullptr);
    std::vector<std::int32_t> order;
    for (const Hit& h : hits) order.push_back(h.entry);
    EXPECT_EQ(order, (std::vector<std::int32_t>{1, 4, 0, 2}));
}

TEST(CorridorSearch, AbortStopsBeforeTheNextSamplePoint) {
    const GeoPoint a{49.5, 10.75};
    const GeoPoint b = *Project(a.lat, a.lon, 10, 90);
    std::vector<RouteCacheEntry> entries = {{"", a.lat, a.lon, 0}, {"", b.lat, b.lon, 1}};
    int polls = 0;
    std::vector<std::int32_t> found;
    CorridorCallbacks callbacks;
    callbacks.onFound = [&](std::int32_t i, double) { found.push_back(i); };
    callbacks.aborted = [&] { return ++polls > 1; };
    EXPECT_FALSE(searchCorridor(entries, {a, b}, 3.0, nullptr, callbacks));
    EXPECT_EQ(found, std::vector<std::int32_t>{0});
}

}  // namespace
}  // namespace vellora
