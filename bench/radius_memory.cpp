// Peak memory of `vellora-cli worklist radius` over a database of 1,000,000 records, against a bare
// program that holds the same records in memory and computes the same distances. Each runs in a
// child process of its own; its ru_maxrss is the figure, printed beside the database's size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "core/Koord.h"

namespace vellora {
namespace {

const int kRecords = bench::benchSize(1'000'000);
constexpr double kCentreLat = 51.0, kCentreLon = 10.5;

struct Database {
    Database() {
        std::mt19937 rng(42);
        static constexpr std::array<const char*, 4> kTypes = {"Traditional Cache", "Multi-cache",
                                                              "Unknown Cache", "Event Cache"};
        std::string data(static_cast<std::size_t>(kRecords) * kCacheRecSize, '\0');
        for (int i = 0; i < kRecords; ++i) {
            TCacheRec rec = bench::syntheticRecord(i, rng, kTypes);
            encodeCacheRec(rec, data.data() + static_cast<std::size_t>(i) * kCacheRecSize);
        }
        path = scratch.path() + "/Caches.bin";
        bytes = data.size();
        if (writeFileAtomic(path, data) != 0) throw std::runtime_error("Caches.bin");
    }
    bench::ScratchDir scratch;
    std::string path;
    std::size_t bytes = 0;
};

Database& database() {
    static Database db;
    return db;
}

// The child's peak resident size in MB; -1 when it failed.
template <typename Child>
double childPeakMB(Child child) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) ::_exit(child());
    int status = 0;
    rusage ru{};
    if (::wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return static_cast<double>(ru.ru_maxrss) / 1024.0;
}

int runCli(const std::string& home) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 1);
    const std::string centre = "51,10.5";
    ::execl(VELLORA_CLI_PATH, "vellora-cli", "--home", home.c_str(), "worklist", "radius", "--radius", "25",
            "--center", centre.c_str(), static_cast<char*>(nullptr));
    return 127;
}

// The database's bytes whole in memory, one distance per record from its position fields.
int bareScan(const std::string& path) {
    const auto data = readFile(path);
    if (!data) return 1;
    int inside = 0;
    for (std::size_t off = 0; off + kCacheRecSize <= data->size(); off += kCacheRecSize) {
        double lat = 0, lon = 0;
        std::memcpy(&lat, data->data() + off + 136, sizeof lat);
        std::memcpy(&lon, data->data() + off + 144, sizeof lon);
        const DistanceBearingResult d = DistanceBearing(kCentreLat, kCentreLon, lat, lon);
        if (d.ok && d.distanceKm <= 25.0) ++inside;
    }
    benchmark::DoNotOptimize(inside);
    return 0;
}

void BM_RadiusPeakMemory(benchmark::State& state) {
    Database& db = database();
    std::vector<double> cli, bare;
    for (auto _ : state) {
        cli.push_back(childPeakMB([&] { return runCli(db.scratch.path()); }));
        bare.push_back(childPeakMB([&] { return bareScan(db.path); }));
    }
    if (std::count(cli.begin(), cli.end(), -1.0) > 0)
        state.SkipWithError("vellora-cli worklist radius failed");
    std::sort(cli.begin(), cli.end());
    std::sort(bare.begin(), bare.end());
    const double dbMB = static_cast<double>(db.bytes) / (1024.0 * 1024.0);
    state.counters["database_MB"] = dbMB;
    state.counters["radius_peak_MB"] = cli[cli.size() / 2];
    state.counters["bare_scan_peak_MB"] = bare[bare.size() / 2];
    state.counters["radius_peak_to_database"] = cli[cli.size() / 2] / dbMB;
}
BENCHMARK(BM_RadiusPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace vellora
