// Exporting the whole cache database (100,000 caches) to GPX, against gpsbabel converting the same
// caches from a CSV file to GPX. The last benchmark runs both once and reports the ratio
// ours / gpsbabel (below 1: we are faster). gpsbabel is optional; without it only ours runs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "core/NullHost.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "export/ListExport.h"

namespace vellora {
namespace {

const int kCaches = bench::benchSize(100'000);

struct ExportBench {
    ExportBench() {
        ctx = std::make_unique<RunContext>(host, dir.path());
        ctx->settings.GPX_XMLInit = kDefaultGpxXmlInit;
        ctx->settings.GPX_GPXInit = kDefaultGpxGpxInit;
        std::mt19937 rng(7);
        static constexpr std::array<const char*, 4> kTypes = {"Traditional Cache", "Multi-cache",
                                                              "Unknown Cache", "Earthcache"};
        std::string db, csv = "lat,lon,name,desc\n";
        db.reserve(static_cast<std::size_t>(kCaches) * kCacheRecSize);
        for (int i = 0; i < kCaches; ++i) {
            TCacheRec rec = bench::syntheticRecord(i, rng, kTypes);
            rec.CacheName = "Synthetischer Cache M\xFChle Nummer " + std::to_string(i);
            db += encodeCacheRec(rec);
            csv += formatFixed(rec.Lat, 6) + "," + formatFixed(rec.Lon, 6) + "," + rec.Waypoint +
                   ",Synthetischer Cache Muehle Nummer " + std::to_string(i) + "\n";
        }
        writeFileAtomic(dir.path() + "/Caches.bin", db);
        writeFileAtomic(dir.path() + "/caches.csv", csv);
        job.opts.ExpList = kSourceDatabase;
        job.opts.Format = kFormatGpx;
        job.opts.GPXHomeExp = false;
        haveGpsbabel = std::system("command -v gpsbabel >/dev/null 2>&1") == 0;
    }

    double ours() {
        const auto start = std::chrono::steady_clock::now();
        const ExportOutcome outcome = exportToFile(*ctx, job, dir.path() + "/ours.gpx");
        if (outcome.count != kCaches || outcome.error != 0) throw std::runtime_error("export failed");
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    double gpsbabel() {
        const std::string cmd =
            "gpsbabel -i unicsv -f '" + dir.path() + "/caches.csv' -o gpx -F '" + dir.path() + "/babel.gpx'";
        const auto start = std::chrono::steady_clock::now();
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("gpsbabel failed");
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    bench::ScratchDir dir;
    NullHost host;
    std::unique_ptr<RunContext> ctx;
    ExportJob job;
    bool haveGpsbabel = false;
};

ExportBench& fixture() {
    static ExportBench bench;
    return bench;
}

void BM_ExportDatabaseToGpx(benchmark::State& state) {
    ExportBench& b = fixture();
    for (auto _ : state) state.SetIterationTime(b.ours());
    state.SetItemsProcessed(state.iterations() * kCaches);
}
BENCHMARK(BM_ExportDatabaseToGpx)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_GpsbabelCsvToGpx(benchmark::State& state) {
    ExportBench& b = fixture();
    if (!b.haveGpsbabel) {
        state.SkipWithError("gpsbabel is not installed");
        return;
    }
    for (auto _ : state) state.SetIterationTime(b.gpsbabel());
    state.SetItemsProcessed(state.iterations() * kCaches);
}
BENCHMARK(BM_GpsbabelCsvToGpx)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Best of three for each, and their ratio.
void BM_RatioOursToGpsbabel(benchmark::State& state) {
    ExportBench& b = fixture();
    if (!b.haveGpsbabel) {
        state.SkipWithError("gpsbabel is not installed");
        return;
    }
    double ours = 1e9, theirs = 1e9;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            ours = std::min(ours, b.ours());
            theirs = std::min(theirs, b.gpsbabel());
        }
        state.SetIterationTime(ours + theirs);
    }
    state.counters["ours_s"] = ours;
    state.counters["gpsbabel_s"] = theirs;
    state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_RatioOursToGpsbabel)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellora
