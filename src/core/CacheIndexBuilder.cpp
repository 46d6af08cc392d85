#include "core/CacheIndexBuilder.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

void CacheIndexBuilder::add(std::string_view waypoint) {
    Item item{};
    std::size_t pos = 0;
    for (const char c : waypoint.substr(0, TCacheRec::kWaypointMax)) item.text[pos++] = upperChar(c);
    while (pos < TCacheRec::kWaypointMax) item.text[pos++] = ' ';
    const auto res = std::to_chars(item.text + pos, item.text + sizeof item.text, next_);
    item.len = static_cast<std::uint8_t>(res.ptr - item.text);
    item.recordNo = next_++;
    items_.push_back(item);
}

int CacheIndexBuilder::write(RunContext& ctx) {
    std::sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
        const int c = std::memcmp(a.text, b.text, std::min(a.len, b.len));
        return c != 0 ? c < 0 : a.len < b.len;
    });
    std::string data(items_.size() * kIdxRecSize, '\0');
    char* out = data.data();
    for (const Item& item : items_) {
        encodeIdxRec(TIdxRec{std::string(item.text, TCacheRec::kWaypointMax), item.recordNo}, out);
        out += kIdxRecSize;
    }
    items_.clear();
    items_.shrink_to_fit();
    next_ = 0;
    AtomicWriteFailure failure = AtomicWriteFailure::None;
    const int code = writeFileAtomic(ctx.workDirPath() + "Caches.idx", data, failure);
    ctx.cacheIndex.clear();
    if (code == 0) return 0;
    debugError(ctx, "GCDBParse.RebuildIndex", "Caches.idx: " + systemErrorText(code));
    return failure == AtomicWriteFailure::Write ? -4 : -3;
}

}  // namespace vellora
