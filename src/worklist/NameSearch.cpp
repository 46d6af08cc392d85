#include "worklist/NameSearch.h"

#include "core/GCDBParse.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {
constexpr std::size_t kLineMax = 139;
constexpr std::size_t kMatchMax = 136;
}  // namespace

std::string waypointOfNameLine(std::string_view line) {
    const auto open = line.rfind('[');
    if (open != std::string_view::npos) line.remove_prefix(open + 1);
    std::string wp;
    for (char c : line) {
        const char u = upperChar(c);
        if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) wp += u;
    }
    return wp;
}

void TNameSearch::onOpen() {
    searchText.clear();
    lines_.clear();
    ticked_.clear();
    chosen_.clear();
    db_ = LoadAllCaches(ctx_, nullptr, "Cacheliste wird gelesen");
}

int TNameSearch::search() {
    lines_.clear();
    ticked_.clear();
    const std::string text = upperCase(searchText);
    std::string joined;
    for (const auto& e : db_.entries()) {
        const TCacheRec& r = e.obj.rec;
        joined.assign(r.CacheName);
        joined += r.Waypoint;
        if (joined.size() > kMatchMax) joined.resize(kMatchMax);
        if (upperCase(joined).find(text) == std::string::npos) continue;
        std::string line = r.CacheName + " [" + r.Waypoint + "]";
        if (line.size() > kLineMax) line.resize(kLineMax);
        const std::string wp = waypointOfNameLine(line);
        bool tick = false;
        for (const auto& c : chosen_) tick = tick || c == wp;
        lines_.push_back(std::move(line));
        ticked_.push_back(tick);
    }
    changed();
    return count();
}

void TNameSearch::toggle(int i) {
    if (i < 0 || i >= count()) return;
    const bool on = !ticked_[static_cast<std::size_t>(i)];
    ticked_.assign(ticked_.size(), false);
    ticked_[static_cast<std::size_t>(i)] = on;
    chosen_.clear();
    if (on) chosen_.push_back(waypointOfNameLine(lines_[static_cast<std::size_t>(i)]));
    changed();
}

std::string TNameSearch::countText() const {
    return std::to_string(chosen_.size()) + " Caches markiert";
}

void TNameSearch::cancel() {
    chosen_.clear();
    close();
}

}  // namespace vellora
