#include "worklist/WaypointPositions.h"

#include <algorithm>

#include "core/UpperCase.h"

namespace vellora {

bool WaypointPositions::keyOf(std::string_view waypoint, Key& key) {
    // A NUL inside would look like padding.
    if (waypoint.size() > key.size() || waypoint.find('\0') != std::string_view::npos) return false;
    key.fill('\0');
    for (std::size_t i = 0; i < waypoint.size(); ++i) key[i] = upperChar(waypoint[i]);
    return true;
}

WaypointPositions::Key WaypointPositions::keyAt(std::int32_t pos) const {
    Key key;
    keyOf(list_->key(pos), key);
    return key;
}

void WaypointPositions::clear() {
    order_ = {};
    longWaypoints_.clear();
}

void WaypointPositions::assign(const CacheSnapshot& list) {
    clear();
    list_ = &list;
    // Sorted with the keys at hand, then only the positions are kept.
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        Entry e{};
        if (keyOf(list.key(i), e.key)) {
            e.pos = i;
            entries.push_back(e);
        } else {
            longWaypoints_[upperCase(list.key(i))] = i;
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.key != b.key ? a.key < b.key : a.pos < b.pos; });
    order_.reserve(entries.size());
    for (const Entry& e : entries) order_.push_back(e.pos);
}

int WaypointPositions::find(std::string_view waypoint) const {
    Key key;
    if (!keyOf(waypoint, key)) {
        const auto it = longWaypoints_.find(upperCase(waypoint));
        return it == longWaypoints_.end() ? -1 : it->second;
    }
    // The last entry of the key holds its latest position.
    const auto it = std::upper_bound(order_.begin(), order_.end(), key,
                                     [this](const Key& k, std::int32_t pos) { return k < keyAt(pos); });
    if (it == order_.begin() || keyAt(*std::prev(it)) != key) return -1;
    return *std::prev(it);
}

void WaypointPositions::add(std::string_view waypoint, int pos) {
    Key key;
    if (!keyOf(waypoint, key)) {
        longWaypoints_[upperCase(waypoint)] = pos;
        return;
    }
    const auto it = std::upper_bound(order_.begin(), order_.end(), key,
                                     [this](const Key& k, std::int32_t p) { return k < keyAt(p); });
    order_.insert(it, pos);
}

}  // namespace vellora
