// The collector's radius search over a database of 1,000,000 records, against a bare loop over the
// same in-memory records computing the same distances; the ratio benchmark runs both in turn and
// reports radius time / bare time. Also sorting a work list of 100,000 entries.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "BenchSupport.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/Koord.h"
#include "core/NullHost.h"
#include "core/RunContext.h"
#include "worklist/WPCol.h"

namespace vellora {
namespace {

const int kRecords = bench::benchSize(1'000'000);
const int kListed = bench::benchSize(100'000);
constexpr double kCentreLat = 51.0, kCentreLon = 10.5;

struct Setup {
    Setup() {
        ctx = std::make_unique<RunContext>(host, scratch.path());
        ctx->settings.HomeLat = kCentreLat;
        ctx->settings.HomeLong = kCentreLon;
        std::mt19937 rng(42);
        static constexpr std::array<const char*, 4> kTypes = {"Traditional Cache", "Multi-cache",
                                                              "Unknown Cache", "Event Cache"};
        std::string data(static_cast<std::size_t>(kRecords) * kCacheRecSize, '\0');
        std::string list;
        for (int i = 0; i < kRecords; ++i) {
            TCacheRec rec = bench::syntheticRecord(i, rng, kTypes);
            if (i % 5 == 0) rec.CacheSize = "Micro";
            encodeCacheRec(rec, data.data() + static_cast<std::size_t>(i) * kCacheRecSize);
            if (i % 10 == 0) list += rec.Waypoint + "\r\n";
        }
        if (writeFileAtomic(scratch.path() + "/Caches.bin", data) != 0)
            throw std::runtime_error("Caches.bin");
        if (writeFileAtomic(scratch.path() + "/" + kClipboardListFileName, list) != 0)
            throw std::runtime_error("list");
        collector = std::make_unique<TWPCollector>(*ctx);
        collector->open();
        collector->saveSettings = false;
        collector->options.filter.SkipArchived = true;
        collector->options.filter.SkipOldEvents = true;
        collector->radiusText = "25";
    }

    bench::ScratchDir scratch;
    NullHost host;
    std::unique_ptr<RunContext> ctx;
    std::unique_ptr<TWPCollector> collector;
};

Setup& setup() {
    static Setup instance;
    return instance;
}

int radiusOnce(TWPCollector& c) {
    c.selectList(kWorkList);
    c.removeAll();
    return c.radiusSearch();
}

int bareOnce(const TWPCollector& c) {
    int inside = 0;
    const CacheSnapshot& records = c.snapshot();
    for (int pos = 0; pos < records.count(); ++pos) {
        const DistanceBearingResult d =
            DistanceBearing(kCentreLat, kCentreLon, records.lat(pos), records.lon(pos));
        if (d.ok && d.distanceKm <= 25.0) ++inside;
    }
    return inside;
}

void BM_RadiusSearch(benchmark::State& state) {
    TWPCollector& c = *setup().collector;
    int added = 0;
    for (auto _ : state) added = radiusOnce(c);
    state.counters["added"] = added;
}
BENCHMARK(BM_RadiusSearch)->Unit(benchmark::kMillisecond);

void BM_BareDistanceLoop(benchmark::State& state) {
    const TWPCollector& c = *setup().collector;
    int inside = 0;
    for (auto _ : state) benchmark::DoNotOptimize(inside = bareOnce(c));
    state.counters["inside"] = inside;
}
BENCHMARK(BM_BareDistanceLoop)->Unit(benchmark::kMillisecond);

// Both in turn in every iteration, so that both see the same machine load.
void BM_RadiusToBareRatio(benchmark::State& state) {
    TWPCollector& c = *setup().collector;
    using Clock = std::chrono::steady_clock;
    double radius = 0, bare = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(radiusOnce(c));
        auto t1 = Clock::now();
        benchmark::DoNotOptimize(bareOnce(c));
        auto t2 = Clock::now();
        radius += std::chrono::duration<double>(t1 - t0).count();
        bare += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = radius / bare;
}
BENCHMARK(BM_RadiusToBareRatio)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SortHundredThousand(benchmark::State& state) {
    TWPCollector& c = *setup().collector;
    c.selectList(kClipboardList);
    if (c.current().count() != kListed) state.SkipWithError("clipboard list not loaded");
    int column = 0;
    for (auto _ : state) c.sortBy(column++ % 5);
}
BENCHMARK(BM_SortHundredThousand)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellora
