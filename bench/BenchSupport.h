#pragma once
// Shared pieces of the benchmarks: a scratch directory and synthetic waypoints.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vellora::bench {

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

}  // namespace vellora::bench
