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

void WaypointPositions::clear() {
    entries_ = {};
    longWaypoints_.clear();
}

void WaypointPositions::assign(const CacheSnapshot& list) {
    clear();
    entries_.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        Entry e{};
        if (keyOf(list.key(i), e.key)) {
            e.pos = i;
            entries_.push_back(e);
        } else {
            longWaypoints_[upperCase(list.key(i))] = i;
        }
    }
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.key != b.key ? a.key < b.key : a.pos < b.pos; });
}

int WaypointPositions::find(std::string_view waypoint) const {
    Key key;
    if (!keyOf(waypoint, key)) {
        const auto it = longWaypoints_.find(upperCase(waypoint));
        return it == longWaypoints_.end() ? -1 : it->second;
    }
    // The last entry of the key holds its latest position.
    const auto it = std::upper_bound(entries_.begin(), entries_.end(), key,
                                     [](const Key& k, const Entry& e) { return k < e.key; });
    if (it == entries_.begin() || std::prev(it)->key != key) return -1;
    return std::prev(it)->pos;
}

void WaypointPositions::add(std::string_view waypoint, int pos) {
    Entry e{};
    if (!keyOf(waypoint, e.key)) {
        longWaypoints_[upperCase(waypoint)] = pos;
        return;
    }
    e.pos = pos;
    const auto it = std::upper_bound(entries_.begin(), entries_.end(), e.key,
                                     [](const Key& k, const Entry& x) { return k < x.key; });
    entries_.insert(it, e);
}

}  // namespace vellora
