#pragma once
// The collector's copy of the cache database: the records as the file holds them, decoded when
// one is asked for, so that a million records cost the size of the file and no allocation each.
// Records the editor changed or added are kept decoded beside them.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/CacheRec.h"

namespace vellora {

class RunContext;

class CacheSnapshot {
public:
    // Reads Caches.bin as LoadAllCaches does (wait window, reported failures).
    void load(RunContext& ctx);
    void clear();
    int count() const { return rawCount_ + added_.count(); }
    TCacheRec at(int pos) const;
    // The waypoint the record was stored under (an edit does not change it).
    std::string_view key(int pos) const;
    double lat(int pos) const;
    double lon(int pos) const;
    void replace(int pos, const TCacheRec& rec);
    // Appends; returns the new position.
    int add(const TCacheRec& rec);

private:
    const char* raw(int pos) const { return bytes_.data() + static_cast<std::size_t>(pos) * kCacheRecSize; }

    std::string bytes_;
    int rawCount_ = 0;
    std::unordered_map<int, TCacheRec> edited_;  // position -> record, over the stored bytes
    TCacheList added_;                           // positions from rawCount_ on
};

}  // namespace vellora
