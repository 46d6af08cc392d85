// Conversion of a country database of 1,000,000 lines: once into a working directory without a
// database (records stream straight into Caches.bin), and once into an existing database of
// 1,000,000 records, where half the lines name caches already there (Caches.bin.tmp, the merge
// with its append of 500,000 records and the index rebuild). The files are generated once into a
// temporary directory (VELLORA_BENCH_DIR chooses another and keeps them). Peak memory is the
// process's ru_maxrss, reported after each benchmark; the generators stream, so it is the
// conversion's own.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/CacheRec.h"
#include "core/Host.h"
#include "core/NullHost.h"
#include "core/RunContext.h"
#include "import/GCDBReader.h"

namespace vellora {
namespace {

const int kLines = bench::benchSize(1'000'000);
const int kRecords = bench::benchSize(1'000'000);
const int kOverlap = bench::benchSize(500'000);  // lines whose cache the database holds already

double latOf(int i) {
    return 47.3 + (i % 9973) * 0.0005;
}
double lonOf(int i) {
    return 5.9 + (i % 9967) * 0.0009;
}

long maxRssKb() {
    rusage ru{};
    ::getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

class Output {
public:
    explicit Output(const std::string& path) : f_(std::fopen(path.c_str(), "wb")) {
        if (!f_) throw std::runtime_error("cannot create " + path);
        std::setvbuf(f_, nullptr, _IOFBF, 1 << 20);
    }
    ~Output() { std::fclose(f_); }
    void put(std::string_view s) { std::fwrite(s.data(), 1, s.size(), f_); }

private:
    std::FILE* f_;
};

struct Files {
    Files() {
        if (const char* d = std::getenv("VELLORA_BENCH_DIR")) {
            dir = d;
            keep = true;
            std::filesystem::create_directories(dir);
        } else {
            std::string templ = (std::filesystem::temp_directory_path() / "vellora-convert-XXXXXX").string();
            if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
            dir = templ;
        }
        dir += "/";
        country = dir + "gc_germany.txt";
        pristineDb = dir + "Caches.bin.orig";
        if (!std::filesystem::exists(country)) {
            Output out(country);
            for (int n = 0; n < kLines; ++n) {
                const int i = kRecords - kOverlap + n;
                char line[256];
                const int len =
                    std::snprintf(line, sizeof line,
                                  "%d \"Cache Nummer %d am Wald &amp; Feld\" %d %02d %02d %.6f %.6f \"%s\" "
                                  "\"%s\" %s 1 %d.5 %d\n",
                                  1000000 + i, i, 2001 + i % 6, 1 + i % 12, 1 + i % 28, latOf(i), lonOf(i),
                                  i % 3 ? "Traditional Cache" : "Multi-cache", i % 2 ? "Small" : "Regular",
                                  bench::syntheticWaypoint(i).c_str(), 1 + i % 4, 1 + i % 5);
                out.put(std::string_view(line, static_cast<std::size_t>(len)));
            }
        }
        if (!std::filesystem::exists(pristineDb)) {
            Output out(pristineDb);
            char buf[kCacheRecSize];
            for (int i = 0; i < kRecords; ++i) {
                TCacheRec r;
                r.CacheID = 1000000 + i;
                r.CacheName = "Cache Nummer " + std::to_string(i);
                r.Lat = latOf(i);
                r.Lon = lonOf(i);
                r.CacheType = "Traditional Cache";
                r.CacheSize = "Small";
                r.Waypoint = bench::syntheticWaypoint(i);
                r.Difficulty = std::string("2");
                r.Terrain = std::string("3");
                r.CountryID = 79;
                r.Valid = 1;
                encodeCacheRec(r, buf);
                out.put(std::string_view(buf, sizeof buf));
            }
        }
    }
    ~Files() {
        if (!keep) std::filesystem::remove_all(dir);
    }
    std::string dir, country, pristineDb;
    bool keep = false;
};

Files& files() {
    static Files f;
    return f;
}

void convert(benchmark::State& state, bool merge) {
    Files& f = files();
    NullHost host;
    RunContext ctx(host, f.dir);
    ctx.settings.HomeLat = 49.5;
    ctx.settings.HomeLong = 10.75;
    ctx.countries.entries.push_back({79, "gc_germany.txt", "Germany", "Deutschland"});
    const std::string target = f.dir + "Caches.bin";
    int converted = 0, added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(target);
        std::filesystem::remove(f.dir + "Caches.bin.tmp");
        if (merge) std::filesystem::copy_file(f.pristineDb, target);
        state.ResumeTiming();
        TfrmGCDBReader reader(ctx);
        converted = reader.ConverteHTTP(f.country, target, true);
        added = reader.counters().newRecords;
    }
    if (converted != kLines) state.SkipWithError("not every line was converted");
    if (merge && added != kLines - kOverlap)
        state.SkipWithError("the merge added the wrong number of records");
    state.counters["lines"] = kLines;
    state.counters["new_records"] = added;
    state.counters["peak_rss_MB"] = static_cast<double>(maxRssKb()) / 1024.0;
    state.counters["lines_per_s"] = benchmark::Counter(
        static_cast<double>(kLines) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ConvertIntoEmptyWorkDir(benchmark::State& state) {
    convert(state, false);
}
void BM_ConvertAndMergeIntoMillionRecords(benchmark::State& state) {
    convert(state, true);
}

// Registered in this order so that the second peak includes the first's (ru_maxrss only grows).
BENCHMARK(BM_ConvertIntoEmptyWorkDir)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ConvertAndMergeIntoMillionRecords)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace vellora
