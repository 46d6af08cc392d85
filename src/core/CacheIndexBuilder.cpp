#include "core/CacheIndexBuilder.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

using Item = CacheIndexBuilder::Item;

static_assert(TCacheRec::kWaypointMax == 16, "the key compares as two words");

std::uint64_t bigEndianWord(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

void putBigEndianWord(std::uint64_t v, char* p) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    std::memcpy(p, &v, sizeof v);
}

// Record numbers in the order of their decimal texts.
bool numberTextLess(std::int32_t a, std::int32_t b) {
    char ta[12], tb[12];
    const std::size_t la = static_cast<std::size_t>(std::to_chars(ta, ta + sizeof ta, a).ptr - ta);
    const std::size_t lb = static_cast<std::size_t>(std::to_chars(tb, tb + sizeof tb, b).ptr - tb);
    const int c = std::memcmp(ta, tb, std::min(la, lb));
    return c != 0 ? c < 0 : la < lb;
}

inline bool itemLess(const Item& a, const Item& b) {
    if (a.head != b.head) return a.head < b.head;
    if (a.tail != b.tail) return a.tail < b.tail;
    return numberTextLess(a.recordNo, b.recordNo);
}

// One sorted run at the merge: the items of memory, or those of the scratch file read piecewise.
struct RunCursor {
    const Item* cur = nullptr;
    const Item* end = nullptr;
    std::vector<Item> buffer;
    std::uint64_t nextItem = 0;  // of the scratch file
    std::uint64_t left = 0;      // still in the scratch file

    // Moves to the next item; false at the end of the run or on a read error (error set).
    bool advance(int fd, int& error) { return ++cur != end || fill(fd, error); }

    // Reads the next piece of the scratch file's run.
    bool fill(int fd, int& error) {
        if (left == 0) return false;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        const std::size_t bytes = take * sizeof(Item);
        std::size_t got = 0;
        error = preadFully(fd, reinterpret_cast<char*>(buffer.data()), bytes, nextItem * sizeof(Item), got);
        if (error == 0 && got != bytes) error = EIO;
        if (error != 0) return false;
        nextItem += take;
        left -= take;
        cur = buffer.data();
        end = cur + take;
        return true;
    }
};

constexpr std::size_t kOutputPairs = (std::size_t{1} << 20) / kIdxRecSize;
// Items read ahead per run of the scratch file, at least.
constexpr std::size_t kMinRunBuffer = 64;

}  // namespace

CacheIndexBuilder::CacheIndexBuilder(std::string spillDir, std::size_t runKeys)
    : spillDir_(std::move(spillDir)), runKeys_(std::max<std::size_t>(runKeys, 1)) {}

void CacheIndexBuilder::add(std::string_view waypoint) {
    if (items_.size() >= runKeys_ && !spillFailed_) spill();
    char key[TCacheRec::kWaypointMax];
    std::size_t pos = 0;
    const auto& upper = upperTable();
    for (const char c : waypoint.substr(0, TCacheRec::kWaypointMax))
        key[pos++] = static_cast<char>(upper[static_cast<unsigned char>(c)]);
    while (pos < TCacheRec::kWaypointMax) key[pos++] = ' ';
    items_.push_back(Item{bigEndianWord(key), bigEndianWord(key + 8), next_++});
}

void CacheIndexBuilder::spill() {
    if (!scratch_) scratch_ = openScratchFile(spillDir_);
    std::sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return itemLess(a, b); });
    const std::uint64_t first = runs_.empty() ? 0 : runs_.back().first + runs_.back().count;
    if (!scratch_ || writeAll(scratch_.get(), std::string_view(reinterpret_cast<const char*>(items_.data()),
                                                               items_.size() * sizeof(Item))) != 0) {
        // The keys then stay in memory: the index is worth more than the memory.
        spillFailed_ = true;
        return;
    }
    runs_.push_back(Run{first, items_.size()});
    items_.clear();
}

int CacheIndexBuilder::mergeInto(AtomicFileWriter& out) {
    std::sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return itemLess(a, b); });
    std::vector<RunCursor> cursors(runs_.size() + 1);
    const std::size_t perRun = std::max(kMinRunBuffer, runKeys_ / (runs_.size() + 1));
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        RunCursor& c = cursors[r];
        c.buffer.resize(perRun);
        c.nextItem = runs_[r].first;
        c.left = runs_[r].count;
    }
    cursors.back().cur = items_.data();
    cursors.back().end = items_.data() + items_.size();

    // A heap of the runs by their current item, smallest on top.
    const auto later = [](const RunCursor* a, const RunCursor* b) { return itemLess(*b->cur, *a->cur); };
    std::vector<RunCursor*> heap;
    int error = 0;
    for (RunCursor& c : cursors) {
        if (c.cur != c.end || c.fill(scratch_.get(), error)) heap.push_back(&c);
        if (error != 0) return error;
    }
    std::make_heap(heap.begin(), heap.end(), later);

    std::string pairs(kOutputPairs * kIdxRecSize, '\0');
    std::size_t used = 0;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        RunCursor* top = heap.back();
        const Item& item = *top->cur;
        char key[TCacheRec::kWaypointMax];
        putBigEndianWord(item.head, key);
        putBigEndianWord(item.tail, key + 8);
        encodeIdxRec(std::string_view(key, sizeof key), item.recordNo, pairs.data() + used);
        used += kIdxRecSize;
        if (used == pairs.size()) {
            if (const int code = out.write(pairs)) return code;
            used = 0;
        }
        if (top->advance(scratch_.get(), error)) {
            std::push_heap(heap.begin(), heap.end(), later);
        } else {
            if (error != 0) return error;
            heap.pop_back();
        }
    }
    return out.write(std::string_view(pairs.data(), used));
}

void CacheIndexBuilder::reset() {
    items_.clear();
    items_.shrink_to_fit();
    runs_.clear();
    scratch_.reset();
    spillFailed_ = false;
    next_ = 0;
}

int CacheIndexBuilder::write(RunContext& ctx) {
    AtomicFileWriter out(ctx.workDirPath() + "Caches.idx");
    int code = out.error();
    bool atCreate = out.failedAtCreate();
    if (code == 0) {
        code = mergeInto(out);
        if (code == 0) {
            code = out.commit();
            atCreate = out.failedAtCreate();
        }
    }
    reset();
    ctx.cacheIndex.clear();
    if (code == 0) return 0;
    debugError(ctx, "GCDBParse.RebuildIndex", "Caches.idx: " + systemErrorText(code));
    return atCreate ? -3 : -4;
}

}  // namespace vellora
