#pragma once
// Deterministic random numbers for the synthetic world. Everything the stand-in serves is derived
// from the world seed through these functions, so the same seed gives the same bytes on every
// platform: no std::random_device and no standard distributions (their results are unspecified).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellora::sim {

inline constexpr std::uint64_t splitmix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// A well-mixed 64-bit value from up to three inputs.
inline constexpr std::uint64_t mixHash(std::uint64_t a, std::uint64_t b = 0, std::uint64_t c = 0) {
    return splitmix64(splitmix64(splitmix64(a) ^ b) ^ c);
}

// FNV-1a over bytes, then mixed; for deriving seeds from texts (user names, paths).
inline constexpr std::uint64_t hashText(std::string_view text, std::uint64_t seed = 0) {
    std::uint64_t h = 0xCBF29CE484222325ULL ^ seed;
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001B3ULL;
    }
    return splitmix64(h);
}

// xoshiro256** seeded through splitmix64.
class Rng {
public:
    explicit constexpr Rng(std::uint64_t seed) {
        std::uint64_t x = seed;
        for (auto& w : s_) {
            x += 0x9E3779B97F4A7C15ULL;
            w = splitmix64(x);
        }
    }

    constexpr std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // 0 <= result < n (n > 0), by multiply-high; the bias is far below anything observable here.
    constexpr std::uint32_t below(std::uint32_t n) {
        return static_cast<std::uint32_t>(((next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
    }
    // lo <= result <= hi
    constexpr int range(int lo, int hi) {
        return lo + static_cast<int>(below(static_cast<std::uint32_t>(hi - lo + 1)));
    }
    // [0, 1) with 53 bits.
    constexpr double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    constexpr bool chance(double p) { return unit() < p; }

    template <typename T, std::size_t N>
    constexpr const T& pick(const T (&items)[N]) {
        return items[below(static_cast<std::uint32_t>(N))];
    }

    // Approximately normal (sum of four uniforms), mean 0, deviation 1; no library functions.
    constexpr double gaussian() {
        double s = 0;
        for (int i = 0; i < 4; ++i) s += unit();
        return (s - 2.0) * 1.7320508075688772;
    }

private:
    static constexpr std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4]{};
};

}  // namespace vellora::sim
