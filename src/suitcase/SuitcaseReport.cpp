// The report of an import: the changes per section, the refused entries and the summary of the
// descriptions carried.
#include "suitcase/Suitcase.h"

#include <fcntl.h>

#include "core/CacheRec.h"
#include "core/CacheRecordReader.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {

std::string num(std::int64_t n) {
    return std::to_string(n);
}

}  // namespace

std::string TfrmSuitcase::cacheName(const std::string& waypoint) {
    const auto names = cacheNames({waypoint});
    return names.begin()->second;
}

std::map<std::string, std::string> TfrmSuitcase::cacheNames(const std::vector<std::string>& waypoints) const {
    // One pass over the database for all names; "?" for a cache it does not hold.
    std::map<std::string, std::string> names;
    for (const auto& wp : waypoints) names.emplace(upperCase(wp), "?");
    std::size_t open = names.size();
    if (open == 0) return names;
    const UniqueFd db = openFile(ctx_.workDirPath() + "Caches.bin", O_RDONLY);
    if (!db) return names;
    CacheRecordReader reader(db.get());
    for (const char* bytes = reader.next(); open > 0 && bytes; bytes = reader.next()) {
        const auto it = names.find(upperCase(cacheRecWaypoint(bytes)));
        if (it == names.end() || it->second != "?") continue;
        it->second = decodeCacheRec(bytes).CacheName;
        --open;
    }
    return names;
}

void TfrmSuitcase::showRejected() {
    if (rejected_.empty() || rejectedShown_ == rejected_.size()) return;
    rejectedShown_ = rejected_.size();
    std::string text =
        "Folgende Eintr\xE4ge aus dem Aktenkoffer wurden zur\xFC"
        "ckgewiesen und nicht \xFC"
        "bernommen:\r\n";
    for (const auto& line : rejected_) text += line + "\r\n";
    ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, text);
}

void TfrmSuitcase::buildReport() {
    const SuitcaseCounters& c = counters_;
    auto line = [](const char* label, bool changedSomething, const std::string& text) {
        return std::string(label) + (changedSomething ? text : std::string("keine \xC4nderung")) + "\r\n";
    };
    report_ = "Folgende \xC4nderungen wurden auf dieser Vellora-Instanz durchgef\xFChrt:\r\n\r\n";
    report_ += line(
        "Arbeitsliste: ", c.workListNew > 0,
        num(c.workListNew) + " neue Eintr\xE4ge, " + num(c.workListPresent) + " waren bereits vorhanden");
    report_ +=
        line("Ignoreliste: ", c.ignoreNew > 0,
             num(c.ignoreNew) + " neue Eintr\xE4ge, " + num(c.ignorePresent) + " waren bereits vorhanden");
    report_ += line("Cache-Datenbank: ", c.dbNew + c.dbChanged > 0,
                    num(c.dbNew) + " neue Eintr\xE4ge, " + num(c.dbChanged) + " ge\xE4nderte Eintr\xE4ge, " +
                        num(c.dbDiscarded) + " Datens\xE4tze verworfen");
    report_ +=
        line("Eigene Funde: ", findsTaken_ && c.findsNew + c.findsUpdated > 0,
             num(c.findsNew) + " neue Eintr\xE4ge, " + num(c.findsUpdated) + " aktualisierte Eintr\xE4ge.");
    report_ += line("Cache-Beschreibungen: ", descrTaken_ && c.descrNew + c.descrReplaced > 0,
                    num(c.descrNew) + " neue, " + num(c.descrReplaced) + " ersetzte, " +
                        num(c.descrDiscarded) + " verworfene Beschreibungen.");
}

void TfrmSuitcase::showCacheSummary() {
    setStatus("Zusammenfassung wird erstellt");
    std::vector<std::string> all = transferred_;
    all.insert(all.end(), discarded_.begin(), discarded_.end());
    const auto names = cacheNames(all);
    auto named = [&](const std::string& wp) { return wp + ": " + names.at(upperCase(wp)); };
    if (transferred_.empty()) summary_.push_back(kNoDescriptionsTransferred);
    for (const auto& wp : transferred_) summary_.push_back(named(wp));
    if (!discarded_.empty()) {
        summary_.push_back(kDiscardedHeading);
        for (const auto& wp : discarded_) summary_.push_back(named(wp));
    }
    if (showSummary) showSummary(kSummaryHeading, summary_);
}

}  // namespace vellora
