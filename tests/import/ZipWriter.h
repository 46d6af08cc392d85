#pragma once
// A small ZIP writer for tests: builds archives in memory with stored or deflated members and lets
// a test bend every field (names, attributes, CRC, sizes, data descriptors, ZIP64 records).
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::test {

struct ZipEntry {
    std::string name;
    std::string data;                         // the uncompressed content
    std::uint16_t method = 0;                 // 0 and 8 are compressed here; others need `compressed`
    std::optional<std::string> compressed{};  // the member's data as stored, when given
    std::uint16_t flags = 0;
    std::uint16_t versionMadeBy = 0x031E;  // Unix, 3.0
    std::uint32_t externalAttributes = 0100644u << 16;
    std::uint16_t dosDate = (26 << 9) | (3 << 5) | 15;    // 15.03.2006
    std::uint16_t dosTime = (14 << 11) | (30 << 5) | 10;  // 14:30:20
    std::optional<std::uint32_t> crc{};                   // overrides the real CRC-32
    std::optional<std::uint64_t> declaredSize{};          // overrides the uncompressed size
    bool dataDescriptor = false;                          // sizes and CRC behind the data (flag bit 3)
    bool zip64 = false;                                   // sizes and offset in a ZIP64 extra field
};

inline void putLe(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string rawDeflate(std::string_view data) {
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib");
    std::string out(deflateBound(&zs, data.size()) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

inline std::uint32_t crcOf(std::string_view data) {
    return static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()),
                                            static_cast<uInt>(data.size())));
}

// A whole archive; with zip64EndRecord the end of the central directory goes through the ZIP64
// end record and its locator.
inline std::string buildZip(const std::vector<ZipEntry>& entries, bool zip64EndRecord = false) {
    std::string out, central;
    for (const ZipEntry& e : entries) {
        const std::string body = e.compressed ? *e.compressed : e.method == 8 ? rawDeflate(e.data) : e.data;
        const std::uint32_t crc = e.crc.value_or(crcOf(e.data));
        const std::uint64_t usize = e.declaredSize.value_or(e.data.size());
        const std::uint64_t csize = body.size();
        const std::uint16_t flags = static_cast<std::uint16_t>(e.flags | (e.dataDescriptor ? 0x0008 : 0));
        const std::uint64_t offset = out.size();

        std::string localExtra;
        if (e.zip64) {
            putLe(localExtra, 0x0001, 2);
            putLe(localExtra, 16, 2);
            putLe(localExtra, e.dataDescriptor ? 0 : usize, 8);
            putLe(localExtra, e.dataDescriptor ? 0 : csize, 8);
        }
        putLe(out, 0x04034b50, 4);
        putLe(out, e.zip64 ? 45 : 20, 2);
        putLe(out, flags, 2);
        putLe(out, e.method, 2);
        putLe(out, e.dosTime, 2);
        putLe(out, e.dosDate, 2);
        putLe(out, e.dataDescriptor ? 0 : crc, 4);
        putLe(out, e.zip64 ? 0xFFFFFFFF : e.dataDescriptor ? 0 : csize, 4);
        putLe(out, e.zip64 ? 0xFFFFFFFF : e.dataDescriptor ? 0 : usize, 4);
        putLe(out, e.name.size(), 2);
        putLe(out, localExtra.size(), 2);
        out += e.name;
        out += localExtra;
        out += body;
        if (e.dataDescriptor) {
            putLe(out, 0x08074b50, 4);
            putLe(out, crc, 4);
            putLe(out, csize, e.zip64 ? 8 : 4);
            putLe(out, usize, e.zip64 ? 8 : 4);
        }

        std::string extra;
        if (e.zip64) {
            putLe(extra, 0x0001, 2);
            putLe(extra, 24, 2);
            putLe(extra, usize, 8);
            putLe(extra, csize, 8);
            putLe(extra, offset, 8);
        }
        putLe(central, 0x02014b50, 4);
        putLe(central, e.versionMadeBy, 2);
        putLe(central, e.zip64 ? 45 : 20, 2);
        putLe(central, flags, 2);
        putLe(central, e.method, 2);
        putLe(central, e.dosTime, 2);
        putLe(central, e.dosDate, 2);
        putLe(central, crc, 4);
        putLe(central, e.zip64 ? 0xFFFFFFFF : csize, 4);
        putLe(central, e.zip64 ? 0xFFFFFFFF : usize, 4);
        putLe(central, e.name.size(), 2);
        putLe(central, extra.size(), 2);
        putLe(central, 0, 2);  // comment
        putLe(central, 0, 2);  // disk
        putLe(central, 0, 2);  // internal attributes
        putLe(central, e.externalAttributes, 4);
        putLe(central, e.zip64 ? 0xFFFFFFFF : offset, 4);
        central += e.name;
        central += extra;
    }
    const std::uint64_t cdOffset = out.size();
    out += central;
    if (zip64EndRecord) {
        const std::uint64_t z64Pos = out.size();
        putLe(out, 0x06064b50, 4);
        putLe(out, 44, 8);
        putLe(out, 45, 2);
        putLe(out, 45, 2);
        putLe(out, 0, 4);
        putLe(out, 0, 4);
        putLe(out, entries.size(), 8);
        putLe(out, entries.size(), 8);
        putLe(out, central.size(), 8);
        putLe(out, cdOffset, 8);
        putLe(out, 0x07064b50, 4);
        putLe(out, 0, 4);
        putLe(out, z64Pos, 8);
        putLe(out, 1, 4);
    }
    putLe(out, 0x06054b50, 4);
    putLe(out, 0, 2);
    putLe(out, 0, 2);
    putLe(out, zip64EndRecord ? 0xFFFF : entries.size(), 2);
    putLe(out, zip64EndRecord ? 0xFFFF : entries.size(), 2);
    putLe(out, zip64EndRecord ? 0xFFFFFFFF : central.size(), 4);
    putLe(out, zip64EndRecord ? 0xFFFFFFFF : cdOffset, 4);
    putLe(out, 0, 2);
    return out;
}

}  // namespace vellora::test
