#pragma once
// Shared pieces of the benchmarks: a scratch directory, synthetic waypoints and cache records.
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "core/CacheRec.h"

namespace vellora::bench {

// A smoke run (VELLORA_BENCH_SMOKE set, as the test command does) only checks that each benchmark
// still builds and runs: the sizes shrink to a thousandth, the figures mean nothing.
inline bool smokeRun() {
    static const bool smoke = std::getenv("VELLORA_BENCH_SMOKE") != nullptr;
    return smoke;
}

// The number of records, caches or pages a benchmark works on.
inline int benchSize(int full) {
    return smokeRun() ? std::max(1, full / 1000) : full;
}

// A temporary directory removed at the end (unless keep is set).
class ScratchDir {
public:
    ScratchDir() {
        std::string templ = (std::filesystem::temp_directory_path() / "vellora-bench-XXXXXX").string();
        if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!keep) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    bool keep = false;

private:
    std::string path_;
};

// "GC" + five base-36 digits; the multiplier is coprime to 36^5, so every i gives its own waypoint
// and creation order is not waypoint order.
inline std::string syntheticWaypoint(int i) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::uint64_t code = (static_cast<std::uint64_t>(i) * 7919u + 12345u) % 60466176u;
    std::string wp = "GC00000";
    for (int pos = 6; pos >= 2; --pos, code /= 36) wp[static_cast<std::size_t>(pos)] = kDigits[code % 36];
    return wp;
}

// Cache record i of a synthetic database: a position in Germany drawn from rng (latitude first),
// the type types[i % 4], a regular size and the ratings 1.5/2. Benchmarks change what they need.
inline TCacheRec syntheticRecord(int i, std::mt19937& rng, const std::array<const char*, 4>& types) {
    std::uniform_real_distribution<double> lat(47.0, 55.0), lon(6.0, 15.0);
    TCacheRec rec;
    rec.CacheID = i + 1;
    rec.Waypoint = syntheticWaypoint(i);
    rec.CacheName = "Synthetischer Cache Nummer " + std::to_string(i);
    rec.HiddenDate = 36526 + i % 3000;
    rec.Lat = lat(rng);
    rec.Lon = lon(rng);
    rec.CacheType = types[static_cast<std::size_t>(i % 4)];
    rec.CacheSize = "Regular";
    rec.Difficulty = "1.5";
    rec.Terrain = "2";
    rec.CountryID = 79;
    rec.Valid = 1;
    return rec;
}

}  // namespace vellora::bench
