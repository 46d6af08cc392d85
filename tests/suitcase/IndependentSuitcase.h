#pragma once
// A second reader and writer of the suitcase format, written from the format description alone
// and sharing nothing with the module, so that the module is never checked against itself.
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellora::test::indep {

struct Image {
    std::string name;
    std::string data;
};

struct Block {
    std::string waypoint;
    double time = 0;
    std::string subdir;
    std::string page, meta;
    std::string mapName, map;
    std::vector<Image> images;
};

struct Suitcase {
    std::vector<std::string> db;     // 296-byte records
    std::vector<std::string> work;   // entries
    std::vector<std::string> finds;  // 440-byte records
    std::vector<std::string> ignore;
    std::string notes;
    std::vector<Block> blocks;
};

inline void le(std::string& out, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}
inline void i32(std::string& out, std::int64_t v) {
    le(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)), 4);
}
inline void text(std::string& out, const std::string& s, std::size_t width) {
    out.push_back(static_cast<char>(s.size()));
    out += s;
    out.append(width - 1 - s.size(), '\0');
}
inline void file(std::string& out, const std::string& data) {
    i32(out, static_cast<std::int64_t>(data.size()));
    out += data;
}

inline std::string write(const Suitcase& s) {
    std::string out;
    i32(out, static_cast<std::int64_t>(s.db.size()));
    for (const auto& r : s.db) out += r;
    i32(out, static_cast<std::int64_t>(s.work.size()));
    for (const auto& w : s.work) text(out, w, 13);
    i32(out, static_cast<std::int64_t>(s.finds.size()));
    for (const auto& r : s.finds) out += r;
    i32(out, static_cast<std::int64_t>(s.ignore.size()));
    for (const auto& w : s.ignore) text(out, w, 13);
    file(out, s.notes);
    i32(out, static_cast<std::int64_t>(s.blocks.size()));
    for (const auto& b : s.blocks) {
        text(out, b.waypoint, 13);
        le(out, std::bit_cast<std::uint64_t>(b.time), 8);
        text(out, b.subdir, 256);
        file(out, b.page);
        file(out, b.meta);
        text(out, b.mapName, 256);
        file(out, b.map);
        i32(out, static_cast<std::int64_t>(b.images.size()));
        for (const auto& im : b.images) {
            text(out, im.name, 256);
            file(out, im.data);
        }
    }
    return out;
}

class Cursor {
public:
    explicit Cursor(std::string_view d) : d_(d) {}
    bool ok() const { return ok_; }
    std::size_t pos() const { return p_; }
    std::string take(std::size_t n) {
        if (!ok_ || d_.size() - p_ < n) {
            ok_ = false;
            return {};
        }
        std::string r(d_.substr(p_, n));
        p_ += n;
        return r;
    }
    std::int64_t i32() {
        const std::string b = take(4);
        if (!ok_) return 0;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[i]);
        return static_cast<std::int32_t>(v);
    }
    double date() {
        const std::string b = take(8);
        if (!ok_) return 0;
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[i]);
        return std::bit_cast<double>(v);
    }
    std::string text(std::size_t width) {
        const std::string b = take(width);
        if (!ok_) return {};
        const auto len = static_cast<unsigned char>(b[0]);
        if (len > width - 1) ok_ = false;
        return ok_ ? b.substr(1, len) : std::string();
    }
    std::string file() {
        const std::int64_t n = i32();
        if (n < 0) ok_ = false;
        return ok_ ? take(static_cast<std::size_t>(n)) : std::string();
    }

private:
    std::string_view d_;
    std::size_t p_ = 0;
    bool ok_ = true;
};

// Nothing when the bytes are not exactly one suitcase.
inline std::optional<Suitcase> read(std::string_view bytes) {
    Cursor c(bytes);
    Suitcase s;
    auto count = [&] {
        const std::int64_t n = c.i32();
        return n < 0 || n > static_cast<std::int64_t>(bytes.size()) ? (c.take(bytes.size() + 1), 0) : n;
    };
    for (std::int64_t i = 0, n = count(); i < n && c.ok(); ++i) s.db.push_back(c.take(296));
    for (std::int64_t i = 0, n = count(); i < n && c.ok(); ++i) s.work.push_back(c.text(13));
    for (std::int64_t i = 0, n = count(); i < n && c.ok(); ++i) s.finds.push_back(c.take(440));
    for (std::int64_t i = 0, n = count(); i < n && c.ok(); ++i) s.ignore.push_back(c.text(13));
    s.notes = c.file();
    for (std::int64_t i = 0, n = count(); i < n && c.ok(); ++i) {
        Block b;
        b.waypoint = c.text(13);
        b.time = c.date();
        b.subdir = c.text(256);
        b.page = c.file();
        b.meta = c.file();
        b.mapName = c.text(256);
        b.map = c.file();
        for (std::int64_t k = 0, m = count(); k < m && c.ok(); ++k) {
            Image im;
            im.name = c.text(256);
            im.data = c.file();
            b.images.push_back(std::move(im));
        }
        s.blocks.push_back(std::move(b));
    }
    if (!c.ok() || c.pos() != bytes.size()) return std::nullopt;
    return s;
}

// A 440-byte own-finds record: latitude, longitude, then length-prefixed texts at 16, 33, 154, 175.
inline std::string findRecord(const std::string& waypoint, const std::string& date,
                              const std::string& name = "", double lat = 0, double lon = 0) {
    std::string r(440, '\0');
    auto put = [&](std::size_t off, const std::string& s) {
        r[off] = static_cast<char>(s.size());
        r.replace(off + 1, s.size(), s);
    };
    for (int i = 0; i < 8; ++i) r[i] = static_cast<char>(std::bit_cast<std::uint64_t>(lat) >> (8 * i) & 0xFF);
    for (int i = 0; i < 8; ++i)
        r[8 + i] = static_cast<char>(std::bit_cast<std::uint64_t>(lon) >> (8 * i) & 0xFF);
    put(16, waypoint);
    put(33, name);
    put(154, "Traditional Cache");
    put(175, date);
    return r;
}

}  // namespace vellora::test::indep
