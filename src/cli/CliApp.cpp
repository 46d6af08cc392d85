#include "cli/CliApp.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <string_view>

#include "cli/Commands.h"
#include "core/AppHome.h"
#include "core/Cp1252.h"
#include "core/GCDBParse.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "shell/MainWindow.h"

namespace vellora {
namespace {

// The list width the CLI passes where the window's list would give one (only column defaults use it).
constexpr int kNominalListClientWidth = 600;

struct CommandGroup {
    std::string_view name;
    int (*run)(CliEnv&, const Args&);
};

constexpr CommandGroup kGroups[] = {
    {"init", runInitCommand},
    {"config", runConfigCommand},
    {"db", runDbCommand},
    {"geo", runGeoCommand},
    {"notes", runNotesCommand},
    {"rot13", runRot13Command},
    {"zip", runZipCommand},
    {"extract", runExtractCommand},
    {"generate", runGenerateCommand},
    {"index", runIndexCommand},
    {"edit-long", runEditLongCommand},
    {"load", runLoadCommand},
    {"archive", runArchiveCommand},
    {"update-check", runUpdateCheckCommand},
    {"finds", runFindsCommand},
    {"export", runExportCommand},
    {"mapview", runMapViewCommand},
    {"gpx", runGpxCommand},
    {"drop", runDropCommand},
    {"worklist", runWorkListCommand},
    {"namesearch", runNameSearchCommand},
    {"suitcase", runSuitcaseCommand},
    {"route", runRouteCommand},
    {"calc", runCalcCommand},
    {"utm", runUtmCommand},
};

// One line per command: the words that name it, then its arguments. The table gives the usage of
// one command and lets a malformed command line be refused before the home is created.
struct CommandUsage {
    std::string_view group, sub, line;
};

constexpr CommandUsage kCommandUsages[] = {
    {"init", "", "init"},
    {"config", "get", "config get SECTION KEY"},
    {"config", "set", "config set SECTION KEY VALUE"},
    {"db", "find", "db find WAYPOINT"},
    {"db", "list", "db list [--fields F,...] [--near LAT,LON --radius KM]"},
    {"db", "put", "db put"},
    {"db", "count", "db count"},
    {"db", "delete", "db delete WAYPOINT"},
    {"db", "rebuild-index", "db rebuild-index"},
    {"db", "check", "db check"},
    {"db", "download", "db download [--additional]"},
    {"db", "convert", "db convert [--additional]"},
    {"db", "from-listings", "db from-listings [DIR] [--update] [--no-worklist]"},
    {"geo", "distance", "geo distance LAT1 LON1 LAT2 LON2"},
    {"geo", "format", "geo format LAT LON"},
    {"notes", "get", "notes get WAYPOINT"},
    {"notes", "set", "notes set WAYPOINT"},
    {"notes", "erase", "notes erase WAYPOINT"},
    {"rot13", "", "rot13 TEXT"},
    {"zip", "list", "zip list ARCHIVE"},
    {"zip", "extract", "zip extract ARCHIVE DIR [MASK]"},
    {"extract", "", "extract FILE"},
    {"generate", "", "generate [--outdir]"},
    {"index", "", "index [--dir DIR]"},
    {"edit-long", "", "edit-long WAYPOINT [--dir DIR] [--set]"},
    {"load", "", "load [--maps-only]"},
    {"archive", "load", "archive load"},
    {"update-check", "", "update-check"},
    {"finds", "load", "finds load [--since dd.MM.yyyy]"},
    // Commands with several forms or options in any order check their words themselves ("*").
    {"export", "*",
     "export --format gpx|loc|csv|ovl|realmaps|ozi|xml [--template NAME] [--utf8-names] --source "
     "work|finds|db|dir:PATH -o FILE"},
    {"export", "*", "export db-csv FILE"},
    {"mapview", "*", "mapview --source work|finds|dir:PATH [--size 0|1|2]"},
    {"gpx", "*", "gpx import FILE [--radius KM] [--center HOME|NAME] [--extract] [--keep-old]"},
    {"drop", "*", "drop FILE..."},
    {"worklist", "*", "worklist show [--list work|finds|ignore|clipboard]"},
    {"worklist", "*", "worklist add WAYPOINT... [--list L]"},
    {"worklist", "*",
     "worklist radius --radius KM [--center HOME|NAME|LAT,LON] [--types T,...] [--since dd.MM.yyyy] "
     "[--keep-archived] [--keep-old-events] [--skip-micros] [--list L]"},
    {"worklist", "*", "worklist from-file gpx|loc|txt FILE... [--list L]"},
    {"worklist", "*", "worklist move WAYPOINT... --to L [--list L]"},
    {"worklist", "*", "worklist remove-finds|remove-archived|clear [--list L]"},
    {"namesearch", "*", "namesearch TEXT"},
    {"suitcase", "*", "suitcase export FILE [--sections db,worklist,finds,ignore,notes,descr] [--subdirs]"},
    {"suitcase", "*",
     "suitcase import FILE [--db update|keep] [--finds 0|1|2] [--notes 0|1|3] [--descr 0|1|2] "
     "[--no-worklist-adjust] [--summary] [--no-generate]"},
    {"route", "*",
     "route --format ovl|coo|mapsource FILE... --width KM [--filter T,...] [--replace] [--remove-finds]"},
    {"calc", "distance", "calc distance LAT LON LAT LON"},
    {"calc", "project", "calc project LAT LON KM DEG"},
    {"utm", "to", "utm to LAT LON"},
    {"utm", "from", "utm from ZONE BAND EASTING NORTHING"},
    {"help", "", "help [BEFEHL]"},
};

// Commands that only read: they start the configuration without writing it ("" takes every form).
constexpr struct {
    std::string_view group, sub;
} kQueryCommands[] = {
    {"config", "get"}, {"db", "find"},  {"db", "list"},     {"db", "count"}, {"worklist", "show"},
    {"notes", "get"},  {"zip", "list"}, {"geo", ""},        {"calc", ""},    {"utm", ""},
    {"rot13", ""},     {"extract", ""}, {"namesearch", ""},
};

bool isQueryCommand(std::string_view group, std::string_view sub) {
    return std::any_of(std::begin(kQueryCommands), std::end(kQueryCommands),
                       [&](const auto& q) { return q.group == group && (q.sub.empty() || q.sub == sub); });
}

constexpr const char* kUsageHead = "Aufruf: vellora-cli [--home DIR] [--yes|--no] BEFEHL ...";

std::string fullUsage() {
    std::string text = std::string(kUsageHead) + "\n       vellora-cli --version\nBefehle:\n";
    for (const auto& u : kCommandUsages) text += "  " + std::string(u.line) + "\n";
    return text;
}

std::string groupUsage(std::string_view group) {
    std::string text;
    for (const auto& u : kCommandUsages) {
        if (u.group == group) text += "Aufruf: vellora-cli " + std::string(u.line) + "\n";
    }
    return text;
}

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t end = std::min(line.find(' ', i), line.size());
        if (end > i) out.emplace_back(line.substr(i, end - i));
        i = end + 1;
    }
    return out;
}

// Checks the arguments after the command words against the usage line: every required argument
// there, no unknown option, no surplus. Returns the problem, or nothing.
std::optional<std::string> usageProblem(const CommandUsage& usage, const std::vector<std::string>& given) {
    std::vector<std::string> required, optional, flags, valued;
    const auto tokens = words(usage.line);
    const std::size_t skip = usage.sub.empty() ? 1 : 2;
    int depth = 0;
    for (std::size_t k = skip; k < tokens.size(); ++k) {
        std::string t = tokens[k];
        const bool opens = !t.empty() && t.front() == '[';
        if (opens) ++depth, t.erase(0, 1);
        const bool closes = !t.empty() && t.back() == ']';
        if (closes) t.pop_back();
        if (t.rfind("--", 0) == 0) {
            const std::string name = t.substr(0, t.find('|'));
            const bool takesValue = !closes && k + 1 < tokens.size() && tokens[k + 1].rfind("--", 0) != 0 &&
                                    tokens[k + 1].front() != '[';
            (takesValue ? valued : flags).push_back(name);
            if (takesValue) {
                ++k;
                if (!tokens[k].empty() && tokens[k].back() == ']') --depth;
            }
        } else {
            (depth > 0 ? optional : required).push_back(t);
        }
        if (closes) --depth;
    }
    const auto has = [](const std::vector<std::string>& list, const std::string& v) {
        return std::find(list.begin(), list.end(), v) != list.end();
    };
    std::size_t positional = 0;
    for (std::size_t k = 0; k < given.size(); ++k) {
        const std::string& a = given[k];
        if (a.rfind("--", 0) == 0 && a.size() > 2) {
            if (has(valued, a)) {
                if (k + 1 >= given.size()) return a + ": Wert fehlt";
                ++k;
            } else if (!has(flags, a)) {
                return "Unbekannte Option: " + a;
            }
            continue;
        }
        ++positional;
    }
    if (positional < required.size()) return required[positional] + " fehlt";
    // rot13 takes its text in several words as well.
    if (positional > required.size() + optional.size() && usage.group != "rot13") return "Zu viele Argumente";
    return std::nullopt;
}

}  // namespace

int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
           std::ostream& err) {
    std::optional<std::string> home;
    ConsoleHost::Answer answer = ConsoleHost::Answer::Default;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--home") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                err << "--home ohne Verzeichnis\n" << kUsageHead << "\n";
                return 2;
            }
            home = arguments[++i];
        } else if (a.rfind("--home=", 0) == 0) {
            if (a.size() == 7) {
                err << "--home ohne Verzeichnis\n" << kUsageHead << "\n";
                return 2;
            }
            home = a.substr(7);
        } else if (a == "--yes") {
            answer = ConsoleHost::Answer::Yes;
        } else if (a == "--no") {
            answer = ConsoleHost::Answer::No;
        } else if (a == "--help" || a == "-h") {
            out << fullUsage();
            return 0;
        } else if (a == "--version") {
            out << "vellora-cli " << kProgramVersion << "\n";
            return 0;
        } else if (a.rfind("--", 0) == 0) {
            err << "Unbekannte Option: " << a << "\n" << fullUsage();
            return 2;
        } else {
            break;
        }
    }
    if (i >= arguments.size()) {
        err << "Befehl fehlt\n" << fullUsage();
        return 2;
    }
    const std::string& name = arguments[i];
    if (name == "help") {
        if (i + 1 < arguments.size()) {
            const std::string usage = groupUsage(arguments[i + 1]);
            if (usage.empty()) {
                err << "Unbekannter Befehl: " << arguments[i + 1] << "\n" << fullUsage();
                return 2;
            }
            out << usage;
        } else {
            out << fullUsage();
        }
        return 0;
    }
    const CommandGroup* group = nullptr;
    for (const auto& g : kGroups) {
        if (g.name == name) group = &g;
    }
    if (!group) {
        err << "Unbekannter Befehl: " << name << "\n" << fullUsage();
        return 2;
    }
    // The command line is checked before anything is created.
    {
        const CommandUsage* usage = nullptr;
        const std::string sub = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
        bool hasSubs = false, checksItself = false;
        for (const auto& u : kCommandUsages) {
            if (u.group != name) continue;
            checksItself = checksItself || u.sub == "*";
            hasSubs = hasSubs || !u.sub.empty();
            if (u.sub.empty() || u.sub == sub) usage = &u;
        }
        // Commands marked "*" report their own usage errors.
        if (!checksItself) {
            if (!usage) {
                err << (sub.empty() ? name + ": Unterbefehl fehlt"
                                    : "Unbekannter Befehl: " + name + " " + sub)
                    << "\n"
                    << groupUsage(name);
                return 2;
            }
            const std::vector<std::string> rest(
                arguments.begin() + static_cast<std::ptrdiff_t>(i + (hasSubs ? 2 : 1)), arguments.end());
            if (const auto problem = usageProblem(*usage, rest)) {
                err << std::string(usage->group) << (usage->sub.empty() ? "" : " ") << std::string(usage->sub)
                    << ": " << *problem << "\nAufruf: vellora-cli " << std::string(usage->line) << "\n";
                return 2;
            }
        }
    }
    Args args;
    for (std::size_t k = i + 1; k < arguments.size(); ++k) args.push_back(cp1252FromUtf8(arguments[k]));

    ConsoleHost host(err, answer);
    try {
        const std::string homeDir =
            resolveAppHome(home ? std::optional(cp1252FromUtf8(*home)) : std::nullopt);
        prepareAppHome(homeDir, findDataDir());
        RunContext ctx(host, homeDir);
        startConfiguration(ctx, isQueryCommand(name, args.empty() ? std::string() : args[0])
                                    ? ConfigStart::Query
                                    : ConfigStart::Run);
        loadSettings(ctx, kNominalListClientWidth);
        // A run killed while writing the database leaves its temporary files and perhaps a stale index.
        RecoverCacheDB(ctx);
        CliEnv env{ctx, host, in, out};
        const int code = group->run(env, args);
        out.flush();
        return code;
    } catch (const UsageError& e) {
        if (const auto* refused = dynamic_cast<const ArgumentError*>(&e))
            err << captionOf(MsgKind::Error) << ": " << utf8FromCp1252(refused->reason()) << "\n";
        err << "Aufruf: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << captionOf(MsgKind::Error) << ": " << utf8FromCp1252(e.what()) << "\n";
        return 1;
    }
}

}  // namespace vellora
