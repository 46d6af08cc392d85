// worklist ... and namesearch: each worklist command opens the collector, does one thing, prints
// what changed in the lists and saves as the window's "Speichern" does. The window's stored options
// are read but never written from here: a flag changes one run only.
#include <algorithm>
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

constexpr const char* kWorkListUsage =
    "worklist show [--list work|finds|ignore|clipboard] | worklist add WAYPOINT... [--list L] | "
    "worklist radius --radius KM [--center HOME|NAME|LAT,LON] [--types T,...] [--since dd.MM.yyyy] "
    "[--keep-archived] [--keep-old-events] [--skip-micros] [--list L] | worklist from-file gpx|loc|txt "
    "FILE... "
    "[--list L] | worklist move WAYPOINT... --to L [--list L] | worklist remove-finds [--list L] | "
    "worklist remove-archived [--list L] | worklist clear [--list L]";

int listNumber(const std::string& name) {
    static const std::map<std::string, int> kNames = {
        {"work", kWorkList}, {"finds", kFindsList}, {"ignore", kIgnoreList}, {"clipboard", kClipboardList}};
    const auto it = kNames.find(name);
    if (it == kNames.end()) throw UsageError(kWorkListUsage);
    return it->second;
}

// Positional words and "--flag value" / "--switch" options.
struct Parsed {
    std::vector<std::string> words;
    std::map<std::string, std::string> values;
    std::vector<std::string> switches;
    bool has(const std::string& s) const {
        return std::find(switches.begin(), switches.end(), s) != switches.end();
    }
};

Parsed parse(const Args& args, std::size_t from, const std::vector<std::string>& valueFlags,
             const std::vector<std::string>& switchFlags) {
    Parsed p;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (std::find(valueFlags.begin(), valueFlags.end(), a) != valueFlags.end()) {
            if (i + 1 >= args.size()) throw UsageError(kWorkListUsage);
            p.values[a] = args[++i];
        } else if (std::find(switchFlags.begin(), switchFlags.end(), a) != switchFlags.end()) {
            p.switches.push_back(a);
        } else if (a.rfind("--", 0) == 0) {
            throw UsageError(kWorkListUsage);
        } else {
            p.words.push_back(a);
        }
    }
    return p;
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

void selectListOption(TWPCollector& c, const Parsed& p) {
    const auto it = p.values.find("--list");
    c.selectList(it == p.values.end() ? kWorkList : listNumber(it->second));
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

void applyRadiusOptions(TWPCollector& c, const Parsed& p) {
    c.radiusText = p.values.at("--radius");
    if (const auto it = p.values.find("--center"); it != p.values.end()) {
        const std::string& centre = it->second;
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
    if (const auto it = p.values.find("--types"); it != p.values.end()) {
        f.FilterCacheType = true;
        f.FilterCTypes = {};
        std::string rest = it->second + ",";
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
    if (const auto it = p.values.find("--since"); it != p.values.end()) {
        const auto date = parseDate(it->second);
        if (!date) throw UsageError("--since dd.MM.yyyy");
        f.FilterCacheDate = true;
        f.FilterDate = *date;
    }
    if (p.has("--keep-archived")) f.SkipArchived = false;
    if (p.has("--keep-old-events")) f.SkipOldEvents = false;
    if (p.has("--skip-micros")) f.SkipMicros = true;
}

}  // namespace

int runWorkListCommand(CliEnv& env, const Args& args) {
    if (args.empty()) throw UsageError(kWorkListUsage);
    const std::string& sub = args[0];
    Parsed p;
    if (sub == "radius") {
        p = parse(args, 1, {"--radius", "--center", "--types", "--since", "--list"},
                  {"--keep-archived", "--keep-old-events", "--skip-micros"});
        if (!p.words.empty() || !p.values.count("--radius")) throw UsageError(kWorkListUsage);
    } else {
        p = parse(args, 1, {"--list", "--to"}, {});
    }
    const bool wantsWords = sub == "add" || sub == "from-file" || sub == "move";
    if (wantsWords == p.words.empty() || (sub == "move") != static_cast<bool>(p.values.count("--to")))
        throw UsageError(kWorkListUsage);

    TWPCollector c(env.ctx);
    c.open();
    c.saveSettings = false;
    if (sub == "radius") applyRadiusOptions(c, p);
    selectListOption(c, p);

    if (sub == "show") {
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

    const ListWaypoints before = allWaypoints(c);
    int code = 0;
    if (sub == "add") {
        for (const auto& w : p.words) {
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
    } else if (sub == "radius") {
        if (c.radiusSearch() < 0) code = 1;
    } else if (sub == "from-file") {
        static const std::map<std::string, WPFileFormat> kFormats = {
            {"gpx", WPFileFormat::Gpx}, {"loc", WPFileFormat::Loc}, {"txt", WPFileFormat::Text}};
        const auto it = kFormats.find(p.words[0]);
        if (it == kFormats.end() || p.words.size() < 2) throw UsageError(kWorkListUsage);
        c.loadFromFiles(it->second, std::vector<std::string>(p.words.begin() + 1, p.words.end()));
        // The waypoints of the readable files are kept; the run still fails.
        if (c.unreadableFiles() > 0) code = 1;
    } else if (sub == "move") {
        const int target = listNumber(p.values.at("--to"));
        c.moveRows(rowsOf(c, p.words, env), target);
    } else if (sub == "remove-finds" || sub == "remove-archived") {
        if (!c.removeFindsEnabled()) {
            env.print("Nur in der Arbeitsliste und der Zwischenablage m\xF6glich");
            c.cancel();
            return 1;
        }
        if (sub == "remove-finds")
            c.removeFindsAndIgnores();
        else
            c.removeArchived();
    } else if (sub == "clear") {
        c.removeAll();
    } else {
        throw UsageError(kWorkListUsage);
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

int runNameSearchCommand(CliEnv& env, const Args& args) {
    if (args.empty()) throw UsageError("namesearch TEXT");
    std::string text = args.front();
    for (std::size_t i = 1; i < args.size(); ++i) text += ' ' + args[i];
    if (text.size() < 3) throw UsageError("namesearch TEXT (mindestens 3 Zeichen)");
    TNameSearch search(env.ctx);
    search.open();
    search.searchText = text;
    search.search();
    for (int i = 0; i < search.count(); ++i) env.print(search.line(i));
    env.print(std::to_string(search.count()) + " Caches gefunden");
    search.cancel();
    return search.count() > 0 ? 0 : 1;
}

}  // namespace vellora
