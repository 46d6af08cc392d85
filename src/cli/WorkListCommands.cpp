// worklist ... and namesearch: each worklist command opens the collector, does one thing, prints
// what changed in the lists and saves as the window's "Speichern" does. The window's stored options
// are read but never written from here: a flag changes one run only.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/DateUtil.h"
#include "core/NumberText.h"
#include "core/UpperCase.h"
#include "worklist/NameSearch.h"
#include "worklist/WPCol.h"

namespace vellora {
namespace {

int listNumber(const std::string& name) {
    static const std::map<std::string, int> kNames = {
        {"work", kWorkList}, {"finds", kFindsList}, {"ignore", kIgnoreList}, {"clipboard", kClipboardList}};
    const auto it = kNames.find(name);
    if (it == kNames.end()) throw UsageError(name + ": keine Liste (work, finds, ignore, clipboard)");
    return it->second;
}

using ListWaypoints = std::vector<std::vector<std::string>>;

ListWaypoints allWaypoints(const TWPCollector& c) {
    ListWaypoints out(4);
    for (int n = 1; n <= 4; ++n)
        for (const auto& r : c.list(n).records()) out[static_cast<std::size_t>(n - 1)].push_back(r.Waypoint);
    return out;
}

// "+ GC12AB (Arbeitsliste)" for every entry that came, "- ..." for every entry that went.
void printChanges(const CliEnv& env, const ListWaypoints& before, const ListWaypoints& after) {
    for (std::size_t n = 0; n < 4; ++n) {
        std::map<std::string, int> count;
        for (const auto& w : before[n]) ++count[w];
        std::vector<std::string> added;
        for (const auto& w : after[n]) {
            if (count[w] > 0)
                --count[w];
            else
                added.push_back(w);
        }
        for (const auto& w : before[n]) {
            if (count[w] > 0) {
                --count[w];
                env.print("- " + w + " (" + kWPLists[n].title + ")");
            }
        }
        for (const auto& w : added) env.print("+ " + w + " (" + kWPLists[n].title + ")");
    }
}

void selectListOption(TWPCollector& c, const CliCall& call) {
    const auto list = call.value("--list");
    c.selectList(list ? listNumber(*list) : kWorkList);
}

std::vector<int> rowsOf(const TWPCollector& c, const std::vector<std::string>& waypoints, const CliEnv& env) {
    std::vector<int> rows;
    for (const auto& w : waypoints) {
        bool found = false;
        for (int row = 0; row < c.rowCount(); ++row) {
            if (equalsNoCase(c.rowRec(row).Waypoint, w)) {
                rows.push_back(row);
                found = true;
            }
        }
        if (!found) env.print(w + ": nicht in der " + kWPLists[c.currentList() - 1].title);
    }
    return rows;
}

void applyRadiusOptions(TWPCollector& c, const CliCall& call) {
    c.radiusText = *call.value("--radius");
    if (const auto given = call.value("--center")) {
        const std::string& centre = *given;
        const auto choices = c.homeChoices();
        const auto named = std::find_if(choices.begin(), choices.end(),
                                        [&](const std::string& ch) { return equalsNoCase(ch, centre); });
        if (named != choices.end()) {
            c.setCentreIndex(static_cast<int>(named - choices.begin()));
        } else {
            const auto comma = centre.find(',');
            const auto lat = comma == std::string::npos ? std::nullopt : parseDouble(centre.substr(0, comma));
            const auto lon =
                comma == std::string::npos ? std::nullopt : parseDouble(centre.substr(comma + 1));
            if (!lat || !lon || *lat < -90 || *lat > 90 || *lon < -180 || *lon > 180)
                throw UsageError("--center HOME|NAME|LAT,LON (LAT,LON in Dezimalgrad mit \".\")");
            c.setCentreManual(*lat, *lon);
        }
    }
    TCacheFilterOptions& f = c.options.filter;
    if (const auto types = call.value("--types")) {
        f.FilterCacheType = true;
        f.FilterCTypes = {};
        std::string rest = *types + ",";
        for (std::size_t pos; (pos = rest.find(',')) != std::string::npos; rest.erase(0, pos + 1)) {
            const std::string name = rest.substr(0, pos);
            if (name.empty()) continue;
            int found = -1;
            for (int i = 0; i < kFilterTypeCount; ++i)
                if (equalsNoCase(name, kFilterTypeCaptions[i])) found = i;
            if (found < 0)
                throw UsageError(
                    "--types: "
                    "Traditional,Multi,Virtual,Letterbox,Event,Webcam,Mystery,Locationless,CITO-Event,Earth");
            f.FilterCTypes[static_cast<std::size_t>(found)] = true;
        }
    }
    if (const auto since = call.value("--since")) {
        const auto date = parseDate(*since);
        if (!date) throw UsageError("--since dd.MM.yyyy");
        f.FilterCacheDate = true;
        f.FilterDate = *date;
    }
    if (call.has("--keep-archived")) f.SkipArchived = false;
    if (call.has("--keep-old-events")) f.SkipOldEvents = false;
    if (call.has("--skip-micros")) f.SkipMicros = true;
}

// Opens the collector on the list of --list, runs one change and saves as the window's "Speichern"
// does; prints what changed in the lists. A change returning -1 ends the command with 1 and
// changes nothing.
int changeLists(CliEnv& env, const CliCall& call, const std::function<int(TWPCollector&)>& change,
                const std::function<void(TWPCollector&)>& prepare = {}) {
    TWPCollector c(env.ctx);
    c.open();
    c.saveSettings = false;
    if (prepare) prepare(c);
    selectListOption(c, call);
    const ListWaypoints before = allWaypoints(c);
    const int code = change(c);
    if (code < 0) {
        c.cancel();
        return 1;
    }
    printChanges(env, before, allWaypoints(c));
    if (!c.modified()) {
        c.cancel();
        return code;
    }
    if (!c.save()) {
        // The console cannot keep the collector open: what was not written is lost, as reported.
        c.close();
        return 1;
    }
    for (int n = 1; n <= 4; ++n)
        env.print(std::string(kWPLists[n - 1].title) + ": " + std::to_string(c.list(n).count()));
    return code;
}

int runShow(CliEnv& env, const CliCall& call) {
    TWPCollector c(env.ctx);
    c.open();
    c.saveSettings = false;
    selectListOption(c, call);
    env.print(c.headline());
    for (int row = 0; row < c.rowCount(); ++row) {
        std::string line;
        const int columns = c.currentList() == kFindsList ? kWPColumnCount : kWPColumnCount - 1;
        for (int col = 0; col < columns; ++col) line += (col ? "\t" : "") + c.cellText(row, col);
        env.print(line);
    }
    c.cancel();
    return 0;
}

int runAdd(CliEnv& env, const CliCall& call) {
    return changeLists(env, call, [&](TWPCollector& c) {
        for (const auto& w : call.arguments()) {
            switch (c.addByWaypoint(w)) {
                case TWPCollector::AddResult::AlreadyThere:
                    env.print(w + ": schon in der " + kWPLists[c.currentList() - 1].title);
                    break;
                case TWPCollector::AddResult::Refused:
                    env.print(w + ": als Fund oder ignorierter Cache nicht aufgenommen");
                    break;
                default:
                    break;
            }
        }
        return 0;
    });
}

int runRadius(CliEnv& env, const CliCall& call) {
    return changeLists(
        env, call, [](TWPCollector& c) { return c.radiusSearch() < 0 ? 1 : 0; },
        [&](TWPCollector& c) { applyRadiusOptions(c, call); });
}

int runFromFile(CliEnv& env, const CliCall& call) {
    static const std::map<std::string, WPFileFormat> kFormats = {
        {"gpx", WPFileFormat::Gpx}, {"loc", WPFileFormat::Loc}, {"txt", WPFileFormat::Text}};
    const auto format = kFormats.find(call.argument(0));
    if (format == kFormats.end()) throw UsageError(call.argument(0) + ": gpx, loc oder txt erwartet");
    return changeLists(env, call, [&](TWPCollector& c) {
        c.loadFromFiles(format->second,
                        std::vector<std::string>(call.arguments().begin() + 1, call.arguments().end()));
        // The waypoints of the readable files are kept; the run still fails.
        return c.unreadableFiles() > 0 ? 1 : 0;
    });
}

int runMove(CliEnv& env, const CliCall& call) {
    const int target = listNumber(*call.value("--to"));
    return changeLists(env, call, [&](TWPCollector& c) {
        c.moveRows(rowsOf(c, call.arguments(), env), target);
        return 0;
    });
}

// remove-finds and remove-archived work only on the work list and the clipboard.
int removeFrom(CliEnv& env, const CliCall& call, int (TWPCollector::*remove)()) {
    return changeLists(env, call, [&](TWPCollector& c) {
        if (!c.removeFindsEnabled()) {
            env.print("Nur in der Arbeitsliste und der Zwischenablage m\xF6glich");
            return -1;
        }
        (c.*remove)();
        return 0;
    });
}

int runRemoveFinds(CliEnv& env, const CliCall& call) {
    return removeFrom(env, call, &TWPCollector::removeFindsAndIgnores);
}

int runRemoveArchived(CliEnv& env, const CliCall& call) {
    return removeFrom(env, call, &TWPCollector::removeArchived);
}

int runClear(CliEnv& env, const CliCall& call) {
    return changeLists(env, call, [](TWPCollector& c) {
        c.removeAll();
        return 0;
    });
}

int runNameSearch(CliEnv& env, const CliCall& call) {
    const std::string text = call.text();
    if (text.size() < 3) throw UsageError("TEXT hat weniger als 3 Zeichen");
    TNameSearch search(env.ctx);
    search.open();
    search.searchText = text;
    search.search();
    for (int i = 0; i < search.count(); ++i) env.print(search.line(i));
    env.print(std::to_string(search.count()) + " Caches gefunden");
    search.cancel();
    return search.count() > 0 ? 0 : 1;
}

}  // namespace

std::vector<CliCommand> workListCommands() {
    const CliOption list{.name = "--list",
                         .kind = OptionKind::Value,
                         .valueName = "L",
                         .help = "die Liste: work (Vorgabe), finds, ignore oder clipboard"};
    return {
        {.words = "worklist show",
         .options = {{.name = "--list",
                      .kind = OptionKind::Value,
                      .valueName = "work|finds|ignore|clipboard",
                      .help = "die Liste (Vorgabe: work)"}},
         .summary = "Zeigt eine Liste mit ihren Spalten, durch Tabulatoren getrennt.",
         .run = runShow,
         .readOnly = true},
        {.words = "worklist add",
         .arguments = {{"WAYPOINT", ArgCount::OneOrMore}},
         .options = {list},
         .summary = "Nimmt Caches der Datenbank in eine Liste auf.",
         .run = runAdd},
        {.words = "worklist radius",
         .options = {{.name = "--radius",
                      .kind = OptionKind::Value,
                      .valueName = "KM",
                      .help = "der Umkreis in km",
                      .required = true},
                     {.name = "--center",
                      .kind = OptionKind::Value,
                      .valueName = "HOME|NAME|LAT,LON",
                      .help = "die Mitte: das Home, ein weiteres Home oder ein Punkt in Dezimalgrad"},
                     {.name = "--types",
                      .kind = OptionKind::Value,
                      .valueName = "T,...",
                      .help = "nur diese Cachetypen (Traditional, Multi, ...)"},
                     {.name = "--since",
                      .kind = OptionKind::Value,
                      .valueName = "dd.MM.yyyy",
                      .help = "nur Caches, die ab diesem Tag versteckt wurden"},
                     {.name = "--keep-archived", .help = "archivierte Caches nicht auslassen"},
                     {.name = "--keep-old-events", .help = "vergangene Events nicht auslassen"},
                     {.name = "--skip-micros", .help = "Micro-Caches auslassen"},
                     list},
         .summary = "Nimmt die Caches im Umkreis um einen Punkt in eine Liste auf (Radiussuche).",
         .run = runRadius},
        {.words = "worklist from-file",
         .arguments = {{"gpx|loc|txt"}, {"FILE", ArgCount::OneOrMore}},
         .options = {list},
         .summary = "Nimmt die Wegpunkte von Dateien in eine Liste auf.",
         .run = runFromFile},
        {.words = "worklist move",
         .arguments = {{"WAYPOINT", ArgCount::OneOrMore}},
         .options = {{.name = "--to",
                      .kind = OptionKind::Value,
                      .valueName = "L",
                      .help = "die Liste, in die sie kommen",
                      .required = true},
                     list},
         .summary = "Verschiebt Eintr\xE4ge in eine andere Liste.",
         .run = runMove},
        {.words = "worklist remove-finds",
         .options = {list},
         .summary = "Entfernt Funde und ignorierte Caches aus der Arbeitsliste oder der Zwischenablage.",
         .run = runRemoveFinds},
        {.words = "worklist remove-archived",
         .options = {list},
         .summary = "Entfernt archivierte Caches aus der Arbeitsliste oder der Zwischenablage.",
         .run = runRemoveArchived},
        {.words = "worklist clear", .options = {list}, .summary = "Leert eine Liste.", .run = runClear},
        {.words = "namesearch",
         .arguments = {{"TEXT", ArgCount::Text}},
         .summary = "Sucht Caches der Datenbank nach einem Teil ihres Namens (mindestens 3 Zeichen).",
         .run = runNameSearch,
         .readOnly = true},
    };
}

}  // namespace vellora
