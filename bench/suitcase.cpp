// The suitcase with a database of 1,000,000 records and 1,000 saved listings (page, meta file,
// map, two images): export and import, against plainly copying the same files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/NullHost.h"
#include "core/RunContext.h"
#include "suitcase/Suitcase.h"

namespace vellora::bench {
namespace {

const int kRecords = benchSize(1000000);
const int kDescriptions = benchSize(1000);

struct Installation {
    explicit Installation(const std::string& dir) : ctx(host, dir) {
        ctx.settings.WorkDir = dir + "/work";
        ctx.settings.OutDir = dir + "/work/out";
        makeDirs(ctx.outDirPath());
    }
    NullHost host{MsgResult::Ok};
    RunContext ctx;
};

struct World {
    World() : a(scratch.path() + "/a"), b(scratch.path() + "/b") {
        std::string db;
        db.reserve(std::size_t(kRecords) * kCacheRecSize);
        TCacheRec rec;
        rec.CacheName = "Ein synthetischer Cache mit einem recht langen Namen";
        rec.CacheType = "Traditional Cache";
        rec.CacheSize = "Regular";
        rec.Difficulty = "2.5";
        rec.Terrain = "3";
        for (int i = 0; i < kRecords; ++i) {
            rec.Waypoint = "GC" + std::to_string(1000000 + i);
            rec.Lat = 49 + i * 1e-6;
            db += encodeCacheRec(rec);
        }
        writeFileAtomic(a.ctx.workDirPath() + "Caches.bin", db);
        const std::string out = a.ctx.outDirPath();
        const std::string page(20000, 'p'), map(10000, 'm'), image(15000, 'i');
        for (int i = 0; i < kDescriptions; ++i) {
            const std::string wp = "GC" + std::to_string(1000000 + i * 997);
            writeFileAtomic(out + wp + ".html", page);
            writeFileAtomic(out + wp + ".meta",
                            "0#" + wp + "_i0.jpg\r\n0#\r\n0#\r\n1#" + wp + "_i1.jpg\r\n1#\r\n1#\r\n");
            writeFileAtomic(out + wp + "_map.png", map);
            writeFileAtomic(out + wp + "_i0.jpg", image);
            writeFileAtomic(out + wp + "_i1.jpg", image);
        }
        // The importing side holds the same database, so every record is compared and rewritten.
        writeFileAtomic(b.ctx.workDirPath() + "Caches.bin", db);
        suitcase = scratch.path() + "/Carry.vellora";
    }
    ScratchDir scratch;
    Installation a, b;
    std::string suitcase;
};

World& world() {
    static World w;
    return w;
}

void exportOnce(World& w) {
    TfrmSuitcase d(w.a.ctx);
    d.open();
    d.saveSettings = false;
    d.opts.ExpCacheDB = d.opts.ExpDescr = true;
    d.opts.ExpWorklist = d.opts.ExpFinds = d.opts.ExpIgnore = d.opts.ExpNotes = false;
    if (!d.exportTo(w.suitcase)) throw std::runtime_error("export failed");
}

void BM_CopyFiles(benchmark::State& state) {
    World& w = world();
    namespace fs = std::filesystem;
    const fs::path target = w.scratch.path() + "/copy";
    for (auto _ : state) {
        fs::remove_all(target);
        fs::create_directories(target / "out");
        fs::copy_file(w.a.ctx.workDirPath() + "Caches.bin", target / "Caches.bin");
        for (const auto& e : fs::directory_iterator(w.a.ctx.outDirPath()))
            fs::copy_file(e.path(), target / "out" / e.path().filename());
    }
}

// The same copy made durable file by file, as the program writes its own files.
void BM_CopyFilesSynced(benchmark::State& state) {
    World& w = world();
    namespace fs = std::filesystem;
    const std::string target = w.scratch.path() + "/copy/";
    for (auto _ : state) {
        fs::remove_all(target);
        makeDirs(target + "out");
        copyFileAtomic(w.a.ctx.workDirPath() + "Caches.bin", target + "Caches.bin");
        for (const auto& e : fs::directory_iterator(w.a.ctx.outDirPath()))
            copyFileAtomic(e.path().string(), target + "out/" + e.path().filename().string());
    }
}

void BM_Export(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) exportOnce(w);
    state.counters["MB"] = double(fileSize(w.suitcase).value_or(0)) / 1e6;
}

void BM_Import(benchmark::State& state) {
    World& w = world();
    exportOnce(w);
    for (auto _ : state) {
        TfrmSuitcase d(w.b.ctx);
        d.open();
        d.saveSettings = false;
        if (!d.loadFrom(w.suitcase)) throw std::runtime_error("load failed");
        d.opts.ImpDB = 0;
        d.opts.DoubleCache = 0;
        d.opts.ShowCacheSummary = true;
        d.btnCommitClick();
        if (d.counters().dbChanged != kRecords ||
            d.counters().descrNew + d.counters().descrReplaced != kDescriptions)
            throw std::runtime_error("import incomplete");
    }
}

BENCHMARK(BM_CopyFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CopyFilesSynced)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace vellora::bench
