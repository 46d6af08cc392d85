#include "cli/CliApp.h"

#include <iostream>
#include <optional>
#include <string_view>

#include "cli/Commands.h"
#include "core/AppHome.h"
#include "core/Cp1252.h"
#include "core/IniFile.h"
#include "core/Settings.h"

namespace vellora {
namespace {

// The list width the CLI passes where the window's list would give one (only column defaults use it).
constexpr int kNominalListClientWidth = 600;

struct CommandGroup {
    std::string_view name;
    int (*run)(CliEnv&, const Args&);
};

constexpr CommandGroup kGroups[] = {
    {"init", runInitCommand}, {"config", runConfigCommand}, {"db", runDbCommand},
    {"geo", runGeoCommand},   {"notes", runNotesCommand},   {"rot13", runRot13Command},
    {"zip", runZipCommand},
    {"extract", runExtractCommand},
    {"generate", runGenerateCommand},
    {"index", runIndexCommand},
    {"edit-long", runEditLongCommand},
    {"load", runLoadCommand},
    {"archive", runArchiveCommand},
    {"update-check", runUpdateCheckCommand},
    {"finds", runFindsCommand},
    {"route", runRouteCommand}, {"calc", runCalcCommand}, {"utm", runUtmCommand},
};

constexpr const char* kUsage =
    "Aufruf: vellora-cli [--home DIR] [--yes|--no] BEFEHL ...\n"
    "Befehle:\n"
    "  init\n"
    "  config get SECTION KEY | config set SECTION KEY VALUE\n"
    "  db find WAYPOINT | db put | db count | db delete WAYPOINT | db rebuild-index | db check\n"
    "  db download [--additional] | db convert [--additional] | db from-listings [DIR] [--update] [--no-worklist]\n"
    "  geo distance LAT1 LON1 LAT2 LON2 | geo format LAT LON\n"
    "  notes get WAYPOINT | notes set WAYPOINT | notes erase WAYPOINT\n"
    "  rot13 TEXT\n"
    "  zip list ARCHIVE | zip extract ARCHIVE DIR [MASK]\n"
    "  extract FILE\n"
    "  generate [--outdir]\n"
    "  index [--dir DIR]\n"
    "  edit-long WAYPOINT [--dir DIR] [--set]\n"
    "  load [--maps-only]\n"
    "  archive load\n"
    "  update-check\n"
    "  finds load [--since dd.MM.yyyy]\n"
    "  route --format ovl|coo|mapsource FILE... --width KM [--filter T,...] [--keep] [--remove-finds]\n"
    "  calc distance LAT LON LAT LON | calc project LAT LON KM DEG\n"
    "  utm to LAT LON | utm from ZONE BAND EASTING NORTHING\n";

}  // namespace

int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err) {
    std::optional<std::string> home;
    ConsoleHost::Answer answer = ConsoleHost::Answer::Default;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--home" && i + 1 < arguments.size()) {
            home = arguments[++i];
        } else if (a.rfind("--home=", 0) == 0) {
            home = a.substr(7);
        } else if (a == "--yes") {
            answer = ConsoleHost::Answer::Yes;
        } else if (a == "--no") {
            answer = ConsoleHost::Answer::No;
        } else if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        } else {
            break;
        }
    }
    if (i >= arguments.size()) {
        err << kUsage;
        return 2;
    }
    const CommandGroup* group = nullptr;
    for (const auto& g : kGroups) {
        if (g.name == arguments[i]) group = &g;
    }
    if (!group) {
        err << "Unbekannter Befehl: " << arguments[i] << "\n" << kUsage;
        return 2;
    }
    Args args;
    for (std::size_t k = i + 1; k < arguments.size(); ++k) args.push_back(cp1252FromUtf8(arguments[k]));

    ConsoleHost host(err, answer);
    try {
        const std::string homeDir = resolveAppHome(home ? std::optional(cp1252FromUtf8(*home)) : std::nullopt);
        prepareAppHome(homeDir, findDataDir());
        RunContext ctx(host, homeDir);
        startConfiguration(ctx);
        loadSettings(ctx, kNominalListClientWidth);
        CliEnv env{ctx, host, in, out};
        const int code = group->run(env, args);
        out.flush();
        return code;
    } catch (const UsageError& e) {
        err << "Aufruf: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << captionOf(MsgKind::Error) << ": " << utf8FromCp1252(e.what()) << "\n";
        return 1;
    }
}

}  // namespace vellora
