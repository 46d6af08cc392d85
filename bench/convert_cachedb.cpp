// Conversion of a country database of 1,000,000 lines: once into a working directory without a
// database (records stream straight into Caches.bin), and once into an existing database of
// 1,000,000 records, where half the lines name caches already there (Caches.bin.tmp, the merge
// with its append of 500,000 records). Either counts up to a current Caches.idx, as the commands
// leave it. The files are generated once into a temporary directory (VELLORA_BENCH_DIR chooses
// another and keeps them). Peak memory is the process's ru_maxrss, reported after each benchmark;
// the generators stream, so it is the conversion's own.
//
// The label carries hashes of the resulting Caches.bin and Caches.idx, to compare two builds.
//
// Peak memory against the file's size: BM_ConvertPeakMemory converts files of 250,000, 1,000,000
// and 2,000,000 lines (half of them caches the database holds) in a child process each, into an
// empty working directory and into the database of 1,000,000 records, and reports what each child
// held at its peak beyond what it held when it began. Flat means the same at every size.
//
// The floor: a minimal program that reads the same file in large blocks, takes the fields of each
// line apart without checks or entities, writes one record per line and one index pair per record
// (unsorted) and syncs both files as the conversion does. Each iteration runs the floor and the
// conversion back to back; the medians and their ratio are printed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/GCDBParse.h"
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

// lines lines, the first for cache number first: the caches below kRecords are in the database.
void writeCountryFile(const std::string& path, int lines, int first) {
    Output out(path);
    for (int n = 0; n < lines; ++n) {
        const int i = first + n;
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
        if (!std::filesystem::exists(country)) writeCountryFile(country, kLines, kRecords - kOverlap);
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

// The floor's record: the fields at the places the record format keeps them, nothing else.
void floorRecord(std::string_view line, char* out) {
    std::memset(out, 0, kCacheRecSize);
    std::int32_t id = 0;
    const char* p = line.data();
    const char* end = p + line.size();
    p = std::from_chars(p, end, id).ptr;
    std::memcpy(out, &id, sizeof id);
    const char* q1 = std::find(p, end, '"');
    const char* q2 = std::find(q1 + (q1 < end), end, '"');
    std::memcpy(
        out + 4, q1 + (q1 < end),
        std::min<std::size_t>(static_cast<std::size_t>(std::max<std::ptrdiff_t>(q2 - q1 - 1, 0)), 100));
    p = q2 + (q2 < end);
    double fields[5] = {};
    for (double& f : fields) {
        while (p < end && *p == ' ') ++p;
        p = std::from_chars(p, end, f).ptr;
    }
    std::memcpy(out + 136, &fields[3], 8);
    std::memcpy(out + 144, &fields[4], 8);
    for (int quoted = 0; quoted < 2; ++quoted) {
        q1 = std::find(p, end, '"');
        q2 = std::find(q1 + (q1 < end), end, '"');
        std::memcpy(
            out + 160 + 32 * quoted, q1 + (q1 < end),
            std::min<std::size_t>(static_cast<std::size_t>(std::max<std::ptrdiff_t>(q2 - q1 - 1, 0)), 30));
        p = q2 + (q2 < end);
    }
    while (p < end && *p == ' ') ++p;
    const char* wpEnd = std::find(p, end, ' ');
    std::memcpy(out + 230, p, std::min<std::size_t>(static_cast<std::size_t>(wpEnd - p), 16));
}

void runFloor(const std::string& source, const std::string& dir) {
    UniqueFd in = openFile(source, O_RDONLY);
    AtomicFileWriter records(dir + "floor.bin"), index(dir + "floor.idx");
    std::vector<char> block(1 << 20);
    std::string recordBuf, indexBuf, carry;
    char rec[kCacheRecSize];
    std::int32_t n = 0;
    const auto take = [&](std::string_view line) {
        if (line.empty()) return;
        floorRecord(line, rec);
        recordBuf.append(rec, kCacheRecSize);
        char pair[kIdxRecSize] = {};
        std::memcpy(pair, rec + 230, 16);
        std::memcpy(pair + 16, &n, sizeof n);
        ++n;
        indexBuf.append(pair, kIdxRecSize);
        if (recordBuf.size() >= (1u << 20)) {
            records.write(recordBuf);
            recordBuf.clear();
        }
    };
    for (;;) {
        const ssize_t got = ::read(in.get(), block.data(), block.size());
        if (got <= 0) break;
        std::string_view rest(block.data(), static_cast<std::size_t>(got));
        for (std::size_t nl; (nl = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(nl + 1)) {
            if (carry.empty()) {
                take(rest.substr(0, nl));
            } else {
                carry.append(rest.substr(0, nl));
                take(carry);
                carry.clear();
            }
        }
        carry.append(rest);
    }
    take(carry);
    records.write(recordBuf);
    index.write(indexBuf);
    if (records.commit() != 0 || index.commit() != 0) throw std::runtime_error("floor write failed");
}

// FNV-1a over a file, read in blocks so that it adds nothing to the peak: the label shows it for
// Caches.bin and Caches.idx, so that the results of two builds can be compared.
std::string fileHash(const std::string& path) {
    std::uint64_t h = 1469598103934665603ull;
    std::vector<char> block(1 << 20);
    if (UniqueFd fd = openFile(path, O_RDONLY); fd) {
        for (std::size_t got = 0; readFully(fd.get(), block.data(), block.size(), got) == 0 && got > 0;)
            for (std::size_t i = 0; i < got; ++i)
                h = (h ^ static_cast<unsigned char>(block[i])) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
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
    std::vector<double> ours, floor;
    for (auto _ : state) {
        std::filesystem::remove(target);
        std::filesystem::remove(f.dir + "Caches.bin.tmp");
        if (merge) std::filesystem::copy_file(f.pristineDb, target);
        auto start = std::chrono::steady_clock::now();
        runFloor(f.country, f.dir);
        floor.push_back(secondsSince(start));
        start = std::chrono::steady_clock::now();
        TfrmGCDBReader reader(ctx);
        converted = reader.ConverteHTTP(f.country, target, true);
        added = reader.counters().newRecords;
        // As the commands do after a conversion.
        if (!reader.indexCurrent()) RebuildIndex(ctx);
        ours.push_back(secondsSince(start));
        state.SetIterationTime(ours.back());
    }
    if (converted != kLines) state.SkipWithError("not every line was converted");
    if (merge && added != kLines - kOverlap)
        state.SkipWithError("the merge added the wrong number of records");
    state.SetLabel("Caches.bin " + fileHash(target) + " Caches.idx " + fileHash(f.dir + "Caches.idx"));
    state.counters["lines"] = kLines;
    state.counters["new_records"] = added;
    state.counters["peak_rss_MB"] = static_cast<double>(maxRssKb()) / 1024.0;
    state.counters["ours_ms"] = median(ours) * 1000;
    state.counters["floor_ms"] = median(floor) * 1000;
    state.counters["ratio_to_floor"] = median(floor) > 0 ? median(ours) / median(floor) : 0;
}

void BM_ConvertIntoEmptyWorkDir(benchmark::State& state) {
    convert(state, false);
}
void BM_ConvertAndMergeIntoMillionRecords(benchmark::State& state) {
    convert(state, true);
}

long residentKb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// What run holds at its peak beyond what the process held before, in MB, measured in a child
// process so that nothing of the benchmarks before it counts.
double childPeakMB(const std::function<void()>& run) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const long start = residentKb();
        run();
        const long own = maxRssKb() - start;
        [[maybe_unused]] const ssize_t w = ::write(fds[1], &own, sizeof own);
        ::_exit(0);
    }
    ::close(fds[1]);
    long own = -1024;
    if (::read(fds[0], &own, sizeof own) != static_cast<ssize_t>(sizeof own)) own = -1024;
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return static_cast<double>(own) / 1024.0;
}

void BM_ConvertPeakMemory(benchmark::State& state) {
    Files& f = files();
    const int lines = bench::benchSize(static_cast<int>(state.range(0)));
    const std::string dir = f.dir + "mem" + std::to_string(lines) + "/";
    std::filesystem::create_directories(dir);
    const std::string country = dir + "gc_germany.txt";
    if (!std::filesystem::exists(country)) writeCountryFile(country, lines, kRecords - lines / 2);
    const auto convertInto = [&](bool merge) {
        std::filesystem::remove(dir + "Caches.bin");
        std::filesystem::remove(dir + "Caches.bin.tmp");
        if (merge) std::filesystem::copy_file(f.pristineDb, dir + "Caches.bin");
        return childPeakMB([&] {
            NullHost host;
            RunContext ctx(host, dir);
            ctx.settings.HomeLat = 49.5;
            ctx.settings.HomeLong = 10.75;
            ctx.countries.entries.push_back({79, "gc_germany.txt", "Germany", "Deutschland"});
            TfrmGCDBReader reader(ctx);
            reader.ConverteHTTP(country, dir + "Caches.bin", true);
            if (!reader.indexCurrent()) RebuildIndex(ctx);
        });
    };
    double empty = 0, merged = 0;
    for (auto _ : state) {
        empty = convertInto(false);
        merged = convertInto(true);
    }
    state.counters["lines"] = lines;
    state.counters["empty_peak_MB"] = empty;
    state.counters["merge_peak_MB"] = merged;
    if (!f.keep) std::filesystem::remove_all(dir);
}

// The memory runs first, while the process is small.
BENCHMARK(BM_ConvertPeakMemory)
    ->Arg(250'000)
    ->Arg(1'000'000)
    ->Arg(2'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Registered in this order so that the second peak includes the first's (ru_maxrss only grows).
// Odd iteration counts give true medians.
BENCHMARK(BM_ConvertIntoEmptyWorkDir)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();
BENCHMARK(BM_ConvertAndMergeIntoMillionRecords)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

}  // namespace
}  // namespace vellora
