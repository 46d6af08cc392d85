#include "suitcase/SuitcaseMerge.h"

#include <algorithm>
#include <deque>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {

std::string upper(std::string_view text) {
    return upperCase(text);
}

struct KeyedRecords {
    std::vector<std::string> keys;
    std::vector<std::uint32_t> order;
};

KeyedRecords sortedKeys(std::string_view records) {
    KeyedRecords k;
    const std::size_t n = records.size() / kCacheRecSize;
    k.keys.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        k.keys.push_back(upper(cacheRecWaypoint(records.data() + i * kCacheRecSize)));
    k.order.resize(n);
    std::iota(k.order.begin(), k.order.end(), 0u);
    std::stable_sort(k.order.begin(), k.order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return k.keys[a] < k.keys[b]; });
    return k;
}

}  // namespace

void mergeWaypointList(std::vector<std::string>& local, const std::vector<std::string>& incoming, int& added,
                       int& present) {
    std::unordered_set<std::string> known;
    for (const auto& line : local) known.insert(upper(line));
    for (const auto& entry : incoming) {
        if (known.insert(upper(entry)).second) {
            local.push_back(entry);
            ++added;
        } else {
            ++present;
        }
    }
}

DbMergeResult mergeDatabase(std::string_view local, std::string_view incoming, bool takeIncoming,
                            const std::function<void(std::int64_t)>& progress) {
    DbMergeResult r;
    const KeyedRecords l = sortedKeys(local), s = sortedKeys(incoming);
    r.records.reserve((l.order.size() + s.order.size()) * kCacheRecSize);
    auto put = [&](std::string_view from, std::uint32_t index) {
        r.records.append(from.substr(std::size_t(index) * kCacheRecSize, kCacheRecSize));
    };
    std::size_t i = 0, j = 0;
    std::int64_t done = 0, reported = 0;
    while (i < l.order.size() || j < s.order.size()) {
        if (j == s.order.size() || (i < l.order.size() && l.keys[l.order[i]] < s.keys[s.order[j]])) {
            put(local, l.order[i++]);
            ++done;
        } else if (i == l.order.size() || s.keys[s.order[j]] < l.keys[l.order[i]]) {
            const std::uint32_t k = s.order[j++];
            put(incoming, k);
            r.newWaypoints.emplace_back(cacheRecWaypoint(incoming.data() + std::size_t(k) * kCacheRecSize));
            ++r.added;
            ++done;
        } else {
            if (takeIncoming) {
                put(incoming, s.order[j]);
                ++r.changed;
            } else {
                put(local, l.order[i]);
                ++r.discarded;
            }
            ++i;
            ++j;
            done += 2;
        }
        if (progress && done - reported >= 50) {
            reported = done;
            progress(done);
        }
    }
    return r;
}

bool mergeFinds(std::vector<TFoundRec>& local, const std::vector<TFoundRec>& incoming, DoubleFindsRule rule,
                int& added, int& updated) {
    std::unordered_map<std::string, std::deque<std::size_t>> byKey;
    for (std::size_t i = 0; i < incoming.size(); ++i) byKey[upper(incoming[i].Waypoint)].push_back(i);
    std::vector<bool> matched(incoming.size(), false);
    std::vector<TFoundRec> result;
    result.reserve(local.size() + incoming.size());
    int newUpdated = 0;
    for (const TFoundRec& rec : local) {
        const auto it = byKey.find(upper(rec.Waypoint));
        if (it == byKey.end() || it->second.empty()) {
            result.push_back(rec);
            continue;
        }
        const std::size_t k = it->second.front();
        it->second.pop_front();
        matched[k] = true;
        bool take = false;
        switch (rule) {
            case DoubleFindsRule::TakeIncoming:
                take = true;
                break;
            case DoubleFindsRule::TakeNewer: {
                const auto mine = parseDate(rec.FoundDate), theirs = parseDate(incoming[k].FoundDate);
                if (!mine || !theirs) return false;
                take = !(*mine > *theirs);
                break;
            }
            case DoubleFindsRule::KeepLocal:
                break;
        }
        if (take) {
            result.push_back(incoming[k]);
            ++newUpdated;
        } else {
            result.push_back(rec);
        }
    }
    int newAdded = 0;
    for (std::size_t k = 0; k < incoming.size(); ++k) {
        if (matched[k]) continue;
        result.push_back(incoming[k]);
        ++newAdded;
    }
    local = std::move(result);
    added += newAdded;
    updated += newUpdated;
    return true;
}

std::vector<std::string> mergeNotes(
    const std::vector<LocalNote>& local, std::vector<std::string> incoming, DoubleNotesRule rule,
    const std::function<std::vector<std::string>(const std::string&, const std::vector<std::string>&)>&
        edit) {
    std::vector<std::string> out;
    auto copyLocal = [&](const LocalNote& note) {
        out.push_back("[" + note.waypoint + "]");
        for (std::size_t n = 0; n < note.lines.size(); ++n)
            out.push_back("Z" + std::to_string(n) + "=" + note.lines[n]);
    };
    for (const LocalNote& note : local) {
        const std::string header = upper("[" + note.waypoint + "]");
        const auto at = std::find_if(incoming.begin(), incoming.end(),
                                     [&](const std::string& line) { return upper(line) == header; });
        if (at == incoming.end()) {
            copyLocal(note);
            continue;
        }
        const std::size_t h = static_cast<std::size_t>(at - incoming.begin());
        std::size_t end = h + 1;
        while (end < incoming.size() && !incoming[end].empty() && incoming[end][0] == 'Z') ++end;
        const std::vector<std::string> theirs(incoming.begin() + long(h) + 1, incoming.begin() + long(end));
        switch (rule) {
            case DoubleNotesRule::TakeIncoming:
                out.push_back("[" + note.waypoint + "]");
                out.insert(out.end(), theirs.begin(), theirs.end());
                break;
            case DoubleNotesRule::Combine:
            case DoubleNotesRule::CombineAndEdit: {
                std::vector<std::string> combined{kLocalNotesMarker};
                combined.insert(combined.end(), note.lines.begin(), note.lines.end());
                combined.push_back(kImportedNotesMarker);
                for (const auto& line : theirs) {
                    const std::size_t eq = line.find('=');
                    combined.push_back(eq == std::string::npos ? std::string() : line.substr(eq + 1));
                }
                if (rule == DoubleNotesRule::CombineAndEdit && edit) combined = edit(note.waypoint, combined);
                copyLocal({note.waypoint, combined});
                break;
            }
            case DoubleNotesRule::KeepLocal:
                copyLocal(note);
                break;
        }
        std::size_t sectionEnd = h + 1;
        while (sectionEnd < incoming.size() &&
               (incoming[sectionEnd].empty() || incoming[sectionEnd][0] != '['))
            ++sectionEnd;
        incoming.erase(incoming.begin() + long(h), incoming.begin() + long(sectionEnd));
    }
    out.insert(out.end(), incoming.begin(), incoming.end());
    return out;
}

}  // namespace vellora
