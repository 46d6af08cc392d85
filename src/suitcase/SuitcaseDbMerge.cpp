#include "suitcase/SuitcaseDbMerge.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

#include "core/CacheRec.h"
#include "core/CacheRecordReader.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {

// Byte order of the zero-padded text, then the shorter first, is the order of the texts.
std::uint64_t bigEndian(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    return v;
}

enum class Take { Local, Incoming };
enum class Kind { LocalOnly, Added, Changed, Discarded };

// The one merge walk over both key lists; step gets the side and record taken and what it means.
template <typename Step>
void walkMerge(const MergeKeys& l, const MergeKeys& s, bool takeIncoming, Step&& step) {
    std::size_t i = 0, j = 0;
    while (i < l.size() || j < s.size()) {
        const int c = i == l.size() ? 1 : j == s.size() ? -1 : l.compare(i, s, j);
        if (c < 0) {
            step(Take::Local, l.record(i++), Kind::LocalOnly);
        } else if (c > 0) {
            step(Take::Incoming, s.record(j++), Kind::Added);
        } else {
            if (takeIncoming)
                step(Take::Incoming, s.record(j), Kind::Changed);
            else
                step(Take::Local, l.record(i), Kind::Discarded);
            ++i;
            ++j;
        }
    }
}

// Records of a run by number, read through a window that grows while they are asked for in order.
class RecordWindow {
public:
    explicit RecordWindow(const RecordRun& run) : run_(run), buf_(kWindow * kCacheRecSize) {}

    // The record's bytes, or nullptr when it cannot be read (error()).
    const char* record(std::uint32_t index) {
        if (index < first_ || index >= first_ + held_) {
            const std::size_t want = index == first_ + held_ ? kWindow : 1;
            const std::size_t n = std::min<std::size_t>(want, std::size_t(run_.count - index));
            std::size_t got = 0;
            error_ = preadFully(run_.fd, buf_.data(), n * kCacheRecSize,
                                run_.offset + std::uint64_t(index) * kCacheRecSize, got);
            if (error_ == 0 && got < n * kCacheRecSize) error_ = EIO;  // the file shrank
            if (error_ != 0) return nullptr;
            first_ = index;
            held_ = n;
        }
        return buf_.data() + std::size_t(index - first_) * kCacheRecSize;
    }
    int error() const { return error_; }

private:
    static constexpr std::size_t kWindow = 4096;
    RecordRun run_;
    std::vector<char> buf_;
    std::uint32_t first_ = 0;
    std::size_t held_ = 0;
    int error_ = 0;
};

}  // namespace

int MergeKeys::read(const RecordRun& run, const std::function<bool(std::string_view)>& accept) {
    keys_.clear();
    keys_.reserve(std::size_t(run.count));
    if (run.count > 0 && ::lseek(run.fd, off_t(run.offset), SEEK_SET) < 0) return errno;
    const auto& upper = upperTable();
    CacheRecordReader reader(run.fd);
    for (std::int64_t n = 0; n < run.count; ++n) {
        const char* bytes = reader.next();
        if (!bytes) return reader.error() != 0 ? reader.error() : EIO;
        const std::string_view wp = cacheRecWaypoint(bytes);
        if (accept && !accept(wp)) continue;
        unsigned char text[16] = {};
        for (std::size_t p = 0; p < wp.size(); ++p) text[p] = upper[static_cast<unsigned char>(wp[p])];
        keys_.push_back({bigEndian(text), bigEndian(text + 8), std::uint32_t(wp.size()), std::uint32_t(n)});
    }
    // Equal texts stay in file order. A database written by a merge is in order already.
    const auto less = [](const Key& a, const Key& b) {
        return std::tie(a.high, a.low, a.len, a.record) < std::tie(b.high, b.low, b.len, b.record);
    };
    if (!std::is_sorted(keys_.begin(), keys_.end(), less)) std::sort(keys_.begin(), keys_.end(), less);
    return 0;
}

int MergeKeys::compare(std::size_t i, const MergeKeys& other, std::size_t j) const {
    const Key& a = keys_[i];
    const Key& b = other.keys_[j];
    const auto x = std::tie(a.high, a.low, a.len), y = std::tie(b.high, b.low, b.len);
    return x < y ? -1 : y < x ? 1 : 0;
}

DbMergeCounts planDatabaseMerge(const MergeKeys& local, const MergeKeys& incoming, bool takeIncoming) {
    DbMergeCounts counts;
    walkMerge(local, incoming, takeIncoming, [&](Take, std::uint32_t, Kind kind) {
        if (kind == Kind::Added) ++counts.added;
        if (kind == Kind::Changed) ++counts.changed;
        if (kind == Kind::Discarded) ++counts.discarded;
    });
    return counts;
}

DbMergeIo writeDatabaseMerge(const RecordRun& local, const MergeKeys& localKeys, const RecordRun& incoming,
                             const MergeKeys& incomingKeys, bool takeIncoming, AtomicFileWriter& out,
                             std::vector<std::string>& newWaypoints,
                             const std::function<void(std::int64_t)>& progress) {
    constexpr std::size_t kFlushAt = 1 << 20;
    RecordWindow mine(local), theirs(incoming);
    std::string buffer;
    buffer.reserve(kFlushAt + kCacheRecSize);
    DbMergeIo io;
    std::int64_t done = 0, reported = 0;
    walkMerge(localKeys, incomingKeys, takeIncoming, [&](Take side, std::uint32_t record, Kind kind) {
        if (io.code != 0) return;
        RecordWindow& from = side == Take::Local ? mine : theirs;
        const char* bytes = from.record(record);
        if (!bytes) {
            io = {from.error(), side == Take::Local ? &local : &incoming};
            return;
        }
        buffer.append(bytes, kCacheRecSize);
        if (kind == Kind::Added) newWaypoints.emplace_back(cacheRecWaypoint(bytes));
        if (buffer.size() >= kFlushAt) {
            io.code = out.write(buffer);
            buffer.clear();
        }
        done += kind == Kind::Changed || kind == Kind::Discarded ? 2 : 1;
        if (progress && done - reported >= 50) {
            reported = done;
            progress(done);
        }
    });
    if (io.code == 0 && !buffer.empty()) io.code = out.write(buffer);
    return io;
}

}  // namespace vellora
