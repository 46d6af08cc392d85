// The cache database at full size: 1,000,000 records (about 296 MB), generated once into a
// temporary directory. Lookups through the index, the index rebuild, the index load, reading the
// whole database, and the file search a lookup falls back to without an index.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Host.h"
#include "core/NullHost.h"
#include "core/RunContext.h"

namespace vellora {
namespace {

const int kRecords = bench::benchSize(1'000'000);

struct BenchDb {
    BenchDb() {
        std::string templ = (std::filesystem::temp_directory_path() / "vellora-bench-XXXXXX").string();
        if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        dir = templ;
        noIndexDir = dir + "/noindex";
        makeDirs(noIndexDir);
        ctx = std::make_unique<RunContext>(host, dir);
        noIndexCtx = std::make_unique<RunContext>(host, noIndexDir);

        std::mt19937 rng(42);
        static constexpr std::array<const char*, 4> kTypes = {"Traditional Cache", "Multi-cache",
                                                              "Unknown Cache", "Earthcache"};
        std::string data(static_cast<std::size_t>(kRecords) * kCacheRecSize, '\0');
        waypoints.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            const TCacheRec rec = bench::syntheticRecord(i, rng, kTypes);
            encodeCacheRec(rec, data.data() + static_cast<std::size_t>(i) * kCacheRecSize);
            waypoints.push_back(rec.Waypoint);
        }
        if (writeFileAtomic(dir + "/Caches.bin", data) != 0)
            throw std::runtime_error("cannot write Caches.bin");
        if (::link((dir + "/Caches.bin").c_str(), (noIndexDir + "/Caches.bin").c_str()) != 0) {
            throw std::runtime_error("cannot link Caches.bin");
        }
        if (RebuildIndex(*ctx) != 0) throw std::runtime_error("cannot build Caches.idx");
    }
    ~BenchDb() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    NullHost host;
    std::string dir, noIndexDir;
    std::unique_ptr<RunContext> ctx, noIndexCtx;
    std::vector<std::string> waypoints;
};

BenchDb& db() {
    static BenchDb instance;
    return instance;
}

void BM_FindCache(benchmark::State& state) {
    BenchDb& d = db();
    LoadIndex(*d.ctx);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, kRecords - 1);
    std::vector<std::string> queries;
    for (int i = 0; i < 4096; ++i) queries.push_back(d.waypoints[static_cast<std::size_t>(pick(rng))]);
    std::size_t q = 0;
    TCacheRec rec;
    for (auto _ : state) {
        if (!FindCache(*d.ctx, queries[q++ & 4095], rec)) state.SkipWithError("waypoint not found");
        benchmark::DoNotOptimize(rec);
    }
}
BENCHMARK(BM_FindCache);

void BM_FindCacheMissing(benchmark::State& state) {
    BenchDb& d = db();
    LoadIndex(*d.ctx);
    TCacheRec rec;
    for (auto _ : state) {
        if (FindCache(*d.ctx, "GCNOTHERE", rec)) state.SkipWithError("found a missing waypoint");
        benchmark::DoNotOptimize(rec);
    }
}
BENCHMARK(BM_FindCacheMissing);

void BM_LoadIndex(benchmark::State& state) {
    BenchDb& d = db();
    for (auto _ : state) {
        LoadIndex(*d.ctx);
        if (d.ctx->cacheIndex.entries.size() != static_cast<std::size_t>(kRecords))
            state.SkipWithError("short index");
    }
}
BENCHMARK(BM_LoadIndex)->Unit(benchmark::kMillisecond);

void BM_RebuildIndex(benchmark::State& state) {
    BenchDb& d = db();
    for (auto _ : state) {
        if (RebuildIndex(*d.ctx) != 0) state.SkipWithError("RebuildIndex failed");
    }
}
BENCHMARK(BM_RebuildIndex)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadAllCaches(benchmark::State& state) {
    BenchDb& d = db();
    for (auto _ : state) {
        bool complete = false;
        TCacheList list = LoadAllCaches(*d.ctx, &complete);
        if (!complete || list.count() != kRecords) state.SkipWithError("incomplete read");
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(BM_LoadAllCaches)->Unit(benchmark::kMillisecond)->Iterations(5);

// Without Caches.idx a lookup reads the file up to the record; the last record is the worst case.
void BM_FindCacheWithoutIndex(benchmark::State& state) {
    BenchDb& d = db();
    const std::string last = d.waypoints.back();
    TCacheRec rec;
    for (auto _ : state) {
        if (!FindCache(*d.noIndexCtx, last, rec)) state.SkipWithError("waypoint not found");
        benchmark::DoNotOptimize(rec);
    }
}
BENCHMARK(BM_FindCacheWithoutIndex)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace vellora
