#pragma once
// The map tile cache in the home: a tile is reused, without asking the server, for as long as the
// server's caching headers allowed when it was fetched. One file per tile address holds its expiry
// and its bytes; past the size limit the least recently written tiles go.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

inline constexpr const char* kTileCacheDirName = "TileCache";

class TMapTileCache {
public:
    TMapTileCache(std::string dir, std::uint64_t maxBytes) : dir_(std::move(dir)), maxBytes_(maxBytes) {}

    // The stored tile while it has not expired at now (seconds since 1970).
    std::optional<std::string> fresh(const std::string& url, std::int64_t now) const;
    // Stores the tile until expiresAt, then keeps the cache within its size.
    void store(const std::string& url, std::string_view bytes, std::int64_t expiresAt);

    std::string fileFor(const std::string& url) const;

private:
    void trim(const std::string& keep) const;

    std::string dir_;
    std::uint64_t maxBytes_;
};

}  // namespace vellora
