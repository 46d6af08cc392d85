#pragma once
// Cache and index records put together byte by byte at their documented offsets, without the
// codec under test, so that tests compare the codec with an independent picture of the format.
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellora::test {

inline void putLE(std::string& buf, std::size_t off, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) buf[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void putI32(std::string& buf, std::size_t off, std::int32_t v) {
    putLE(buf, off, static_cast<std::uint32_t>(v), 4);
}
inline void putF64(std::string& buf, std::size_t off, double v) {
    putLE(buf, off, std::bit_cast<std::uint64_t>(v), 8);
}
inline void putF32(std::string& buf, std::size_t off, float v) {
    putLE(buf, off, std::bit_cast<std::uint32_t>(v), 4);
}
inline void putStr(std::string& buf, std::size_t off, std::string_view s) {
    buf[off] = static_cast<char>(s.size());
    buf.replace(off + 1, s.size(), s);
}

struct HandRec {
    std::int32_t id = 0;
    std::string name;
    double hidden = 0, lat = 0, lon = 0;
    std::string type, size, waypoint, difficulty, terrain;
    std::int32_t country = 0;
    float homeDist = 0;
    std::uint8_t valid = 0;
};

// 296 bytes with every unused byte zero.
inline std::string handCacheRec(const HandRec& r) {
    std::string b(296, '\0');
    putI32(b, 0, r.id);
    putStr(b, 4, r.name);
    putF64(b, 128, r.hidden);
    putF64(b, 136, r.lat);
    putF64(b, 144, r.lon);
    putStr(b, 152, r.type);
    putStr(b, 173, r.size);
    putStr(b, 194, r.waypoint);
    putStr(b, 211, r.difficulty);
    putStr(b, 215, r.terrain);
    putI32(b, 220, r.country);
    putF32(b, 224, r.homeDist);
    b[228] = static_cast<char>(r.valid);
    return b;
}

// A record that only carries a waypoint (and a position that passes the plausibility check).
inline std::string handCacheRec(std::string_view waypoint) {
    HandRec r;
    r.waypoint = waypoint;
    r.name = "Cache " + std::string(waypoint);
    r.lat = 49.5;
    r.lon = 8.25;
    r.country = 79;
    return handCacheRec(r);
}

// 24 bytes: key as a length-prefixed string, three zero bytes, record number.
inline std::string handIdxRec(std::string_view key, std::int32_t recordNo) {
    std::string b(24, '\0');
    putStr(b, 0, key);
    putI32(b, 20, recordNo);
    return b;
}

}  // namespace vellora::test
