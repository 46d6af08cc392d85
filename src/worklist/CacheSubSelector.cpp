#include "worklist/CacheSubSelector.h"

#include <algorithm>

#include "core/UpperCase.h"

namespace vellora {

std::string waypointOfHitLine(std::string_view line) {
    if (line.empty()) return {};
    line.remove_suffix(1);
    const auto open = line.rfind('(');
    if (open != std::string_view::npos) line.remove_prefix(open + 1);
    return std::string(line);
}

void TCacheSubSelector::setLines(std::vector<std::string> lines) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
    lines_ = std::move(lines);
    ticked_.assign(lines_.size(), true);
    changed();
}

void TCacheSubSelector::setTicked(int i, bool on) {
    if (i < 0 || i >= count()) return;
    ticked_[static_cast<std::size_t>(i)] = on;
    changed();
}

void TCacheSubSelector::markAll() {
    ticked_.assign(lines_.size(), true);
    changed();
}

void TCacheSubSelector::markNone() {
    ticked_.assign(lines_.size(), false);
    changed();
}

std::vector<std::string> TCacheSubSelector::tickedWaypoints() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (ticked_[i]) out.push_back(waypointOfHitLine(lines_[i]));
    return out;
}

}  // namespace vellora
