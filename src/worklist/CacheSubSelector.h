#pragma once
// "Ergebnisliste der Namensuche": the hits of the collector's add-by-name, "CacheName (Waypoint)"
// lines kept sorted ignoring case, each with a tick. Windows-1252.
#include <string>
#include <string_view>
#include <vector>

#include "core/DialogModel.h"

namespace vellora {

// "Weg (alt) (GC1X2Y)" -> "GC1X2Y": without the last character, cut after the last "(".
std::string waypointOfHitLine(std::string_view line);

class TCacheSubSelector : public DialogModel {
public:
    // The lines are sorted on the way in; every line starts ticked.
    void setLines(std::vector<std::string> lines);
    const std::vector<std::string>& lines() const { return lines_; }
    int count() const { return static_cast<int>(lines_.size()); }
    bool ticked(int i) const { return ticked_.at(static_cast<std::size_t>(i)); }
    void setTicked(int i, bool on);
    // "&Alle mark." / "&Keinen mark."
    void markAll();
    void markNone();
    // The details view closed with (remove) or without the remove action.
    void detailsClosed(int i, bool removed) { setTicked(i, !removed); }
    // The waypoints of the ticked lines, in line order.
    std::vector<std::string> tickedWaypoints() const;
    const std::vector<bool>& ticks() const { return ticked_; }

    static constexpr const char* kCaption = "Ergebnisliste der Namensuche";

private:
    std::vector<std::string> lines_;
    std::vector<bool> ticked_;
};

}  // namespace vellora
