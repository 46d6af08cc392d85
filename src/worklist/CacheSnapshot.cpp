#include "worklist/CacheSnapshot.h"

#include <bit>
#include <stdexcept>

#include "core/CacheDBBytes.h"

namespace vellora {

namespace {

double storedDouble(const char* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
    return std::bit_cast<double>(bits);
}

}  // namespace

void CacheSnapshot::load(RunContext& ctx) {
    clear();
    bytes_ = LoadAllCacheBytes(ctx);
    rawCount_ = static_cast<int>(bytes_.size() / kCacheRecSize);
}

void CacheSnapshot::clear() {
    bytes_ = {};
    rawCount_ = 0;
    edited_.clear();
    added_.clear();
}

TCacheRec CacheSnapshot::at(int pos) const {
    if (pos >= rawCount_) return added_.at(pos - rawCount_);
    if (pos < 0) throw std::out_of_range("CacheSnapshot");
    if (const auto it = edited_.find(pos); it != edited_.end()) return it->second;
    return decodeCacheRec(raw(pos));
}

std::string_view CacheSnapshot::key(int pos) const {
    if (pos >= rawCount_) return added_.key(pos - rawCount_);
    if (pos < 0) throw std::out_of_range("CacheSnapshot");
    return cacheRecWaypoint(raw(pos));
}

double CacheSnapshot::lat(int pos) const {
    if (pos >= rawCount_) return added_.at(pos - rawCount_).Lat;
    if (!edited_.empty()) {
        if (const auto it = edited_.find(pos); it != edited_.end()) return it->second.Lat;
    }
    return storedDouble(raw(pos) + 136);
}

double CacheSnapshot::lon(int pos) const {
    if (pos >= rawCount_) return added_.at(pos - rawCount_).Lon;
    if (!edited_.empty()) {
        if (const auto it = edited_.find(pos); it != edited_.end()) return it->second.Lon;
    }
    return storedDouble(raw(pos) + 144);
}

void CacheSnapshot::replace(int pos, const TCacheRec& rec) {
    if (pos >= rawCount_) {
        added_.replace(pos - rawCount_, rec);
    } else if (pos >= 0) {
        edited_[pos] = rec;
    } else {
        throw std::out_of_range("CacheSnapshot");
    }
}

int CacheSnapshot::add(const TCacheRec& rec) {
    return rawCount_ + added_.add(rec);
}

}  // namespace vellora
