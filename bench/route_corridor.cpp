// The corridor search along a 600 km route with W = 3 km over 1,000,000 caches spread over
// 47-55 N, 6-15 E: every cache tested at every sample point against the grid's candidates, and
// the whole calculation of the route dialog (grid, database lookups, result texts) on a
// Caches.bin of that size (about 296 MB, written once into a temporary directory).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Koord.h"
#include "core/NullHost.h"
#include "core/RunContext.h"
#include "tools/Corridor.h"
#include "tools/RouteSearch.h"

namespace vellora {
namespace {

const int kRecords = bench::benchSize(1'000'000);
constexpr double kWidthKm = 3.0;

struct Input {
    Input() {
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> lat(47.0, 55.0), lon(6.0, 15.0);
        entries.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i)
            entries.push_back({bench::syntheticWaypoint(i), lat(rng), lon(rng), i});
        // Hamburg towards Munich by way of Hanover, Kassel, Wuerzburg and Nuremberg.
        route = {{53.55, 10.0}, {52.37, 9.73}, {51.31, 9.49}, {49.79, 9.95}, {49.45, 11.08}, {48.14, 11.58}};
        // The last leg ends where the route reaches 600 km.
        const GeoPoint a = route[route.size() - 2];
        route.pop_back();
        const double rest = 600.0 - routeKm(route);
        const DistanceBearingResult toMunich = DistanceBearing(a.lat, a.lon, 48.14, 11.58);
        route.push_back(*Project(a.lat, a.lon, rest, toMunich.bearing));
    }
    static double routeKm(const std::vector<GeoPoint>& r) {
        double km = 0;
        for (std::size_t i = 1; i < r.size(); ++i)
            km += DistanceBearing(r[i - 1].lat, r[i - 1].lon, r[i].lat, r[i].lon).distanceKm;
        return km;
    }
    std::vector<RouteCacheEntry> entries;
    std::vector<GeoPoint> route;
};

Input& input() {
    static Input instance;
    return instance;
}

void countHits(benchmark::State& state, bool useGrid) {
    Input& in = input();
    std::size_t hits = 0;
    CorridorCallbacks callbacks;
    callbacks.onFound = [&](std::int32_t, double) { ++hits; };
    for (auto _ : state) {
        hits = 0;
        if (useGrid) {
            const CorridorGrid fresh(in.entries, kWidthKm);
            searchCorridor(in.entries, in.route, kWidthKm, &fresh, callbacks);
        } else {
            searchCorridor(in.entries, in.route, kWidthKm, nullptr, callbacks);
        }
    }
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["route_km"] = Input::routeKm(in.route);
}

// Every cache at every sample point, as the search is described.
void BM_CorridorPlain(benchmark::State& state) {
    countHits(state, false);
}
BENCHMARK(BM_CorridorPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

// The grid is built inside the timing: it depends on W.
void BM_CorridorGrid(benchmark::State& state) {
    countHits(state, true);
}
BENCHMARK(BM_CorridorGrid)->Unit(benchmark::kMillisecond);

struct BenchDb {
    BenchDb() {
        ctx = std::make_unique<RunContext>(host, dir.path());
        std::string data(static_cast<std::size_t>(kRecords) * kCacheRecSize, '\0');
        const Input& in = input();
        for (int i = 0; i < kRecords; ++i) {
            TCacheRec rec;
            rec.Waypoint = in.entries[static_cast<std::size_t>(i)].waypoint;
            rec.CacheName = "Synthetischer Cache Nummer " + std::to_string(i);
            rec.CacheType = "Traditional Cache";
            rec.Lat = in.entries[static_cast<std::size_t>(i)].lat;
            rec.Lon = in.entries[static_cast<std::size_t>(i)].lon;
            encodeCacheRec(rec, data.data() + static_cast<std::size_t>(i) * kCacheRecSize);
        }
        if (writeFileAtomic(dir.path() + "/Caches.bin", data) != 0)
            throw std::runtime_error("cannot write Caches.bin");
        if (RebuildIndex(*ctx) != 0) throw std::runtime_error("cannot build Caches.idx");
        std::string ovl = "[Symbol 1]\r\nPunkte=" + std::to_string(in.route.size()) + "\r\n";
        for (std::size_t i = 0; i < in.route.size(); ++i) {
            ovl += "XKoord" + std::to_string(i) + "=" + std::to_string(in.route[i].lon) + "\r\n";
            ovl += "YKoord" + std::to_string(i) + "=" + std::to_string(in.route[i].lat) + "\r\n";
        }
        routeFile = dir.path() + "/route.ovl";
        writeFileAtomic(routeFile, ovl);
    }
    bench::ScratchDir dir;
    NullHost host;
    std::unique_ptr<RunContext> ctx;
    std::string routeFile;
};

// "Berechnung starten" of the dialog: grid, search, a database lookup and a text per cache found.
void BM_RouteDialogCalculate(benchmark::State& state) {
    BenchDb db;
    LoadIndex(*db.ctx);
    RouteTypeFilter filter;
    RouteSearchModel model(*db.ctx, filter);
    model.open();
    model.loadRoute(db.routeFile);
    model.widthText = "3.0";
    // One calculation: the first at a width also builds the grid.
    for (auto _ : state) model.calculate();
    state.counters["results"] = static_cast<double>(model.results().size());
}
BENCHMARK(BM_RouteDialogCalculate)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vellora
