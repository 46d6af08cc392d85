#pragma once
// "Cache nach Name suchen": one cache chosen by a part of its name or waypoint, over a copy of
// the cache database read at every open. Windows-1252.
#include <string>
#include <string_view>
#include <vector>

#include "core/CacheRec.h"
#include "core/DialogModel.h"

namespace vellora {

class RunContext;

// "CacheName [Waypoint]" -> "WAYPOINT": letters and digits behind the last "[", upper case.
std::string waypointOfNameLine(std::string_view line);

class TNameSearch : public DialogModel {
public:
    explicit TNameSearch(RunContext& ctx) : ctx_(ctx) {}

    std::string searchText;
    bool searchEnabled() const { return searchText.size() >= 3; }
    // "Suchen": replaces the lines; returns their number.
    int search();

    int count() const { return static_cast<int>(lines_.size()); }
    const std::string& line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    bool ticked(int i) const { return ticked_.at(static_cast<std::size_t>(i)); }
    // A click on the tick or a double click on the line.
    void toggle(int i);

    const std::vector<std::string>& chosen() const { return chosen_; }
    // "1 Caches markiert"
    std::string countText() const;
    bool acceptEnabled() const { return !chosen_.empty(); }
    // "Übernehmen" closes with the choice, "Abbrechen" empties it first.
    void accept() { close(); }
    void cancel();

    const TCacheList& database() const { return db_; }

    static constexpr const char* kCaption = "Cache nach Name suchen";

protected:
    void onOpen() override;
    void onClose() override { db_.clear(); }

private:
    RunContext& ctx_;
    TCacheList db_;
    std::vector<std::string> lines_;
    std::vector<bool> ticked_;
    std::vector<std::string> chosen_;
};

}  // namespace vellora
