#include "core/FoundList.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>

#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {

void putDouble(unsigned char* at, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

double getDouble(const unsigned char* at) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

void putShortString(unsigned char* at, std::size_t maxLen, std::string_view text) {
    const std::size_t n = std::min(text.size(), maxLen);
    at[0] = static_cast<unsigned char>(n);
    std::copy_n(text.data(), n, at + 1);
}

std::string getShortString(const unsigned char* at, std::size_t maxLen) {
    const std::size_t n = std::min<std::size_t>(at[0], maxLen);
    return std::string(reinterpret_cast<const char*>(at + 1), n);
}

const std::string kEmptyKey;

}  // namespace

FoundRecBytes encodeFoundRec(const TFoundRec& rec) {
    FoundRecBytes b{};
    putDouble(&b[TFoundRec::kLatOffset], rec.Lat);
    putDouble(&b[TFoundRec::kLonOffset], rec.Lon);
    putShortString(&b[TFoundRec::kWaypointOffset], TFoundRec::kWaypointMax, rec.Waypoint);
    putShortString(&b[TFoundRec::kCacheNameOffset], TFoundRec::kCacheNameMax, rec.CacheName);
    putShortString(&b[TFoundRec::kCacheTypeOffset], TFoundRec::kCacheTypeMax, rec.CacheType);
    putShortString(&b[TFoundRec::kFoundDateOffset], TFoundRec::kFoundDateMax, rec.FoundDate);
    return b;
}

void encodeFoundRec(const TFoundRec& rec, std::string& appendTo) {
    const FoundRecBytes b = encodeFoundRec(rec);
    appendTo.append(reinterpret_cast<const char*>(b.data()), b.size());
}

TFoundRec decodeFoundRec(std::string_view bytes) {
    TFoundRec rec;
    if (bytes.size() < TFoundRec::kSize) return rec;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    rec.Lat = getDouble(b + TFoundRec::kLatOffset);
    rec.Lon = getDouble(b + TFoundRec::kLonOffset);
    rec.Waypoint = getShortString(b + TFoundRec::kWaypointOffset, TFoundRec::kWaypointMax);
    rec.CacheName = getShortString(b + TFoundRec::kCacheNameOffset, TFoundRec::kCacheNameMax);
    rec.CacheType = getShortString(b + TFoundRec::kCacheTypeOffset, TFoundRec::kCacheTypeMax);
    rec.FoundDate = getShortString(b + TFoundRec::kFoundDateOffset, TFoundRec::kFoundDateMax);
    return rec;
}

int TFoundList::add(const TFoundRec& rec) {
    entries_.push_back(Entry{rec.Waypoint, std::make_unique<TFoundClass>(rec)});
    return count() - 1;
}

TFoundRec TFoundList::get(int pos) const {
    return valid(pos) ? entries_[pos].object->Rec : TFoundRec{};
}

const std::string& TFoundList::key(int pos) const {
    return valid(pos) ? entries_[pos].key : kEmptyKey;
}

TFoundClass* TFoundList::object(int pos) {
    return valid(pos) ? entries_[pos].object.get() : nullptr;
}

const TFoundClass* TFoundList::object(int pos) const {
    return valid(pos) ? entries_[pos].object.get() : nullptr;
}

void TFoundList::consume(int pos) {
    if (valid(pos)) entries_[pos].object->Rec.Waypoint.clear();
}

bool TFoundList::isConsumed(int pos) const {
    return valid(pos) && entries_[pos].object->Rec.Waypoint.empty();
}

void TFoundList::deleteAt(int pos) {
    if (valid(pos)) entries_.erase(entries_.begin() + pos);
}

int TFoundList::indexOf(std::string_view key) const {
    for (int i = 0; i < count(); ++i) {
        if (equalsNoCase(entries_[i].key, key)) return i;
    }
    return -1;
}

int readFoundRecords(const std::string& path, std::vector<TFoundRec>& records) {
    records.clear();
    int error = 0;
    const UniqueFd fd = openFile(path, O_RDONLY, 0, &error);
    if (!fd) return error;
    // Read in chunks so that the complete records before a failing read are kept.
    std::string buffer;
    char chunk[TFoundRec::kSize * 64];
    for (;;) {
        std::size_t n = 0;
        if ((error = readFully(fd.get(), chunk, sizeof chunk, n)) != 0 || n == 0) break;
        buffer.append(chunk, n);
        std::size_t used = 0;
        while (buffer.size() - used >= TFoundRec::kSize) {
            records.push_back(decodeFoundRec(std::string_view(buffer).substr(used, TFoundRec::kSize)));
            used += TFoundRec::kSize;
        }
        buffer.erase(0, used);
    }
    return error;
}

int readFoundList(const std::string& path, TFoundList& list) {
    list.clear();
    std::vector<TFoundRec> records;
    const int error = readFoundRecords(path, records);
    for (const auto& rec : records) list.add(rec);
    return error;
}

int writeFoundRecords(const std::string& path, const std::vector<TFoundRec>& records) {
    std::string data;
    data.reserve(records.size() * TFoundRec::kSize);
    for (const auto& rec : records) encodeFoundRec(rec, data);
    return writeFileAtomic(path, data);
}

int writeFoundList(const std::string& path, const TFoundList& list) {
    std::string data;
    data.reserve(static_cast<std::size_t>(list.count()) * TFoundRec::kSize);
    for (int i = 0; i < list.count(); ++i) {
        if (!list.isConsumed(i)) encodeFoundRec(list.object(i)->Rec, data);
    }
    return writeFileAtomic(path, data);
}

}  // namespace vellora
