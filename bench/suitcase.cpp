// The suitcase with a database of 1,000,000 records and 1,000 saved listings (page, meta file,
// map, two images): export and import, against plainly copying the same files (without a sync, and
// with one sync of the file system at the end, the least a durable import pays). Each import runs
// in a process of its own, so that its peak memory is its own: into an empty home and into a home
// that already holds the same database. Every round starts after a sync, so that writing back or
// deleting the last round's files is not billed to the next. The hashes of the resulting Caches.bin and
// Caches.idx let two builds be compared.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
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
    World() : a(scratch.path() + "/a"), b(scratch.path() + "/b"), empty(scratch.path() + "/empty") {
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
    Installation a, b, empty;
    std::string suitcase;
};

double gCopySeconds = 0;         // the best plain copy, for the ratio
double gCopyOneSyncSeconds = 0;  // the best copy followed by one sync of the file system

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

// Copies the database and the descriptions as they are into a fresh folder, after a sync so that
// the last round's files are gone from the disk's queue; the seconds the copy took. With
// syncOnce, one sync of the file system ends it: the least a durable import has to pay.
double copyWorld(benchmark::State& state, World& w, bool syncOnce) {
    namespace fs = std::filesystem;
    const fs::path target = w.scratch.path() + "/copy";
    state.PauseTiming();
    fs::remove_all(target);
    ::sync();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    fs::create_directories(target / "out");
    fs::copy_file(w.a.ctx.workDirPath() + "Caches.bin", target / "Caches.bin");
    for (const auto& e : fs::directory_iterator(w.a.ctx.outDirPath()))
        fs::copy_file(e.path(), target / "out" / e.path().filename());
    if (syncOnce)
        if (UniqueFd fd = openFile(target.string(), O_RDONLY | O_DIRECTORY); fd) ::syncfs(fd.get());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CopyFiles(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) {
        const double seconds = copyWorld(state, w, false);
        gCopySeconds = gCopySeconds > 0 ? std::min(gCopySeconds, seconds) : seconds;
    }
}

void BM_CopyFilesOneSync(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) {
        const double seconds = copyWorld(state, w, true);
        gCopyOneSyncSeconds = gCopyOneSyncSeconds > 0 ? std::min(gCopyOneSyncSeconds, seconds) : seconds;
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

// FNV-1a over a file, to compare the result of two builds.
std::string fileHash(const std::string& path) {
    std::uint64_t h = 1469598103934665603ull;
    std::string data;
    if (UniqueFd fd = openFile(path, O_RDONLY); fd) readAll(fd.get(), data);
    for (const char c : data) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

// The import as the child runs it: 0 when every record and description arrived.
int importInto(const std::string& root, const std::string& suitcase) {
    Installation home(root);
    const bool holdsDb = fileExists(home.ctx.workDirPath() + "Caches.bin");
    TfrmSuitcase d(home.ctx);
    d.open();
    d.saveSettings = false;
    if (!d.loadFrom(suitcase)) return 1;
    d.opts.ImpDB = 0;
    d.opts.DoubleCache = 0;
    d.opts.ShowCacheSummary = true;
    d.btnCommitClick();
    const int records = holdsDb ? d.counters().dbChanged : d.counters().dbNew;
    return records == kRecords && d.counters().descrNew + d.counters().descrReplaced == kDescriptions ? 0 : 2;
}

struct ChildUsage {
    std::uint64_t peakBytes = 0;
    double userSeconds = 0, systemSeconds = 0;
};

// Runs the import in a child process; its peak resident memory and its processor time.
ChildUsage importInChild(const std::string& root, const std::string& suitcase) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::execl("/proc/self/exe", "bench_suitcase", "--import-child", root.c_str(), suitcase.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("import failed");
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {static_cast<std::uint64_t>(usage.ru_maxrss) * 1024, seconds(usage.ru_utime),
            seconds(usage.ru_stime)};
}

// Import into the home that holds the same database (arg 1) or into an empty home (arg 0).
void BM_Import(benchmark::State& state) {
    World& w = world();
    exportOnce(w);
    Installation& home = state.range(0) ? w.b : w.empty;
    const std::string root = w.scratch.path() + (state.range(0) ? "/b" : "/empty");
    const std::string work = home.ctx.workDirPath();
    const double dbBytes = double(fileSize(w.a.ctx.workDirPath() + "Caches.bin").value_or(1));
    std::uint64_t peak = 0;
    double best = 1e9, user = 0, system = 0;  // the processor time of the fastest round
    for (auto _ : state) {
        state.PauseTiming();
        if (!state.range(0)) {
            std::filesystem::remove_all(work);
            makeDirs(home.ctx.outDirPath());
        }
        ::sync();  // writing back the last round's files or their deletion is not this import's work
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const ChildUsage used = importInChild(root, w.suitcase);
        peak = std::max(peak, used.peakBytes);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds < best) {
            best = seconds;
            user = used.userSeconds;
            system = used.systemSeconds;
        }
    }
    state.counters["child_user_s"] = user;
    state.counters["child_sys_s"] = system;
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["peak_x_db"] = double(peak) / dbBytes;
    if (gCopySeconds > 0) state.counters["x_copy"] = best / gCopySeconds;
    if (gCopyOneSyncSeconds > 0) state.counters["x_synced_copy"] = best / gCopyOneSyncSeconds;
    state.SetLabel("Caches.bin " + fileHash(work + "Caches.bin") + " Caches.idx " +
                   fileHash(work + "Caches.idx"));
}

BENCHMARK(BM_CopyFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CopyFilesOneSync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CopyFilesSynced)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Import)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace vellora::bench

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--import-child") == 0)
        return vellora::bench::importInto(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
