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

constexpr const char* kUsageHead = "Aufruf: vellora-cli [--home DIR] [--yes|--no] BEFEHL ...";

// The options before the command; runCli reads them itself.
const CliOption kProgramOptions[] = {
    {.name = "--home",
     .kind = OptionKind::Value,
     .valueName = "DIR",
     .help = "das Home-Verzeichnis (Vorgabe: das des Programms)"},
    {.name = "--yes", .help = "jede Frage mit Ja beantworten"},
    {.name = "--no", .help = "jede Frage mit Nein beantworten"},
    {.name = "--help", .help = "diese Hilfe zeigen (auch -h)"},
    {.name = "--version", .help = "die Programmversion zeigen"},
};

const CliCommand kHelpCommand{.words = "help",
                              .arguments = {{"BEFEHL", ArgCount::Optional}},
                              .summary = "Zeigt alle Befehle oder die eines Befehls mit ihren Optionen."};

// Every command word sequence with the help command last.
std::vector<const CliCommand*> listedCommands() {
    std::vector<const CliCommand*> list;
    for (const CliCommand& c : allCommands()) list.push_back(&c);
    list.push_back(&kHelpCommand);
    return list;
}

std::string_view firstWord(std::string_view words) {
    return words.substr(0, words.find(' '));
}

std::string_view secondWord(std::string_view words) {
    const std::size_t blank = words.find(' ');
    return blank == std::string_view::npos ? std::string_view() : words.substr(blank + 1);
}

std::string fullUsage() {
    std::string text = std::string(kUsageHead) + "\n       vellora-cli --version\nBefehle:\n";
    for (const CliCommand* c : listedCommands()) text += "  " + usageLine(*c) + "\n";
    return text;
}

// The whole help: the usage, then each option of the program and each command described.
std::string fullHelp() {
    std::string text = fullUsage() + "\nOptionen:\n";
    std::size_t width = 0;
    for (const CliOption& o : kProgramOptions)
        width = std::max(width, o.name.size() + o.valueName.size() + 1);
    for (const CliOption& o : kProgramOptions) {
        std::string names = std::string(o.name) + (o.valueName.empty() ? "" : " " + std::string(o.valueName));
        names.resize(width, ' ');
        text += "  " + names + "  " + std::string(o.help) + "\n";
    }
    text += "\nBeschreibung der Befehle:\n";
    for (const CliCommand* c : listedCommands()) text += helpText(*c);
    return text;
}

std::string groupUsage(std::string_view group) {
    std::string text;
    for (const CliCommand* c : listedCommands()) {
        if (firstWord(c->words) == group) text += "Aufruf: vellora-cli " + usageLine(*c) + "\n";
    }
    return text;
}

std::string groupHelp(std::string_view group) {
    std::string text;
    for (const CliCommand* c : listedCommands()) {
        if (firstWord(c->words) == group) text += helpText(*c);
    }
    return text.empty() ? text : groupUsage(group) + text;
}

// The command named by the words at `at`: a command with a second word takes precedence over
// one without ("export db-csv" before "export").
const CliCommand* findCommand(const std::vector<std::string>& arguments, std::size_t at) {
    const std::string_view next = at + 1 < arguments.size() ? std::string_view(arguments[at + 1]) : "";
    const CliCommand* single = nullptr;
    for (const CliCommand& c : allCommands()) {
        if (firstWord(c.words) != arguments[at]) continue;
        const std::string_view sub = secondWord(c.words);
        if (sub.empty()) single = &c;
        if (!sub.empty() && sub == next) return &c;
    }
    return single;
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
            out << utf8FromCp1252(fullHelp());
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
            const std::string help = groupHelp(arguments[i + 1]);
            if (help.empty()) {
                err << "Unbekannter Befehl: " << arguments[i + 1] << "\n" << fullUsage();
                return 2;
            }
            out << utf8FromCp1252(help);
        } else {
            out << utf8FromCp1252(fullHelp());
        }
        return 0;
    }
    const CliCommand* command = findCommand(arguments, i);
    if (!command) {
        const std::string usage = groupUsage(name);
        if (usage.empty()) {
            err << "Unbekannter Befehl: " << name << "\n" << fullUsage();
        } else {
            const bool noSub = i + 1 >= arguments.size();
            err << (noSub ? name + ": Unterbefehl fehlt"
                          : "Unbekannter Befehl: " + name + " " + arguments[i + 1])
                << "\n"
                << usage;
        }
        return 2;
    }
    const auto refuse = [&](const std::string& problem) {
        err << std::string(command->words) << ": " << utf8FromCp1252(problem) << "\nAufruf: vellora-cli "
            << usageLine(*command) << "\n";
        return 2;
    };
    // The command line is checked before anything is created.
    std::vector<std::string> words;
    const std::size_t first = i + (secondWord(command->words).empty() ? 1 : 2);
    for (std::size_t k = first; k < arguments.size(); ++k) words.push_back(cp1252FromUtf8(arguments[k]));
    const CliParse parsed = parseCommandLine(*command, words);
    if (!parsed.call) return refuse(parsed.problem);

    ConsoleHost host(err, answer);
    try {
        const std::string homeDir =
            resolveAppHome(home ? std::optional(cp1252FromUtf8(*home)) : std::nullopt);
        prepareAppHome(homeDir, findDataDir());
        RunContext ctx(host, homeDir);
        startConfiguration(ctx, command->readOnly ? ConfigStart::Query : ConfigStart::Run);
        loadSettings(ctx, kNominalListClientWidth);
        // A run killed while writing the database leaves its temporary files and perhaps a stale index.
        RecoverCacheDB(ctx);
        CliEnv env{ctx, host, in, out};
        const int code = command->run(env, *parsed.call);
        out.flush();
        return code;
    } catch (const UsageError& e) {
        return refuse(e.what());
    } catch (const std::exception& e) {
        err << captionOf(MsgKind::Error) << ": " << utf8FromCp1252(e.what()) << "\n";
        return 1;
    }
}

const std::vector<CliCommand>& allCommands() {
    static const std::vector<CliCommand> commands = [] {
        std::vector<CliCommand> all;
        for (auto* part :
             {initConfigCommands, dbCommands, dbImportCommands, geoCommands, notesCommands, rot13Commands,
              zipCommands, listingCommands, indexEditCommands, loadCommands, netCommands, exportCommands,
              gpxCommands, workListCommands, suitcaseCommands, toolCommands, bookletCommands}) {
            for (CliCommand& c : part()) all.push_back(std::move(c));
        }
        return all;
    }();
    return commands;
}

}  // namespace vellora
