#include "listing/TileCache.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/FileUtil.h"

namespace vellora {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSuffix = ".tile";

std::string hexHash(std::string_view text) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    static const char* digits = "0123456789abcdef";
    std::string s(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) s[static_cast<std::size_t>(i)] = digits[h & 15];
    return s;
}

}  // namespace

std::string TMapTileCache::fileFor(const std::string& url) const {
    return joinPath(dir_, hexHash(url) + std::string(kSuffix));
}

// File layout: the address, the expiry in seconds, then the tile's bytes; the address guards
// against two addresses of one hash.
std::optional<std::string> TMapTileCache::fresh(const std::string& url, std::int64_t now) const {
    const auto text = readFile(fileFor(url));
    if (!text) return std::nullopt;
    const std::size_t first = text->find('\n');
    if (first == std::string::npos || text->compare(0, first, url) != 0) return std::nullopt;
    const std::size_t second = text->find('\n', first + 1);
    if (second == std::string::npos) return std::nullopt;
    std::int64_t expires = 0;
    for (std::size_t i = first + 1; i < second; ++i) {
        if ((*text)[i] < '0' || (*text)[i] > '9') return std::nullopt;
        expires = expires * 10 + ((*text)[i] - '0');
    }
    if (expires <= now) return std::nullopt;
    return text->substr(second + 1);
}

void TMapTileCache::store(const std::string& url, std::string_view bytes, std::int64_t expiresAt) {
    if (makeDirs(dir_) != 0) return;  // without a cache the map still loads
    std::string record = url + "\n" + std::to_string(std::max<std::int64_t>(0, expiresAt)) + "\n";
    record.append(bytes);
    if (writeFileAtomic(fileFor(url), record) == 0) trim(fileFor(url));
}

void TMapTileCache::trim(const std::string& keep) const {
    struct Entry {
        fs::path path;
        fs::file_time_type time;
        std::uintmax_t size;
    };
    std::vector<Entry> entries;
    std::uint64_t total = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() != kSuffix || it->path().filename() == fs::path(keep).filename()) continue;
        std::error_code e;
        const auto size = it->file_size(e);
        const auto time = it->last_write_time(e);
        if (e) continue;
        entries.push_back({it->path(), time, size});
        total += size;
    }
    total += fileSize(keep).value_or(0);
    if (total <= maxBytes_) return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
    for (const Entry& e : entries) {
        if (total <= maxBytes_) break;
        std::error_code r;
        if (fs::remove(e.path, r)) total -= e.size;
    }
}

}  // namespace vellora
