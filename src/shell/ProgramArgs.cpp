#include "shell/ProgramArgs.h"

#include <ostream>

#include "shell/MainWindow.h"

namespace vellora {

ProgramArgs parseProgramArgs(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ProgramArgs result;
    auto usageError = [&](const std::string& problem) {
        err << problem << "\n" << kProgramUsage << "\n";
        result.exitCode = 2;
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kProgramUsage << "\n"
                << "  --home VERZEICHNIS  Programmverzeichnis (sonst $VELLORA_HOME oder "
                   "$XDG_DATA_HOME/vellora)\n"
                << "  --help              diese Hilfe\n"
                << "  --version           Version des Programms\n"
                << "  DATEI...            GPX- und ZIP-Dateien, die importiert werden\n";
            result.exitCode = 0;
            return result;
        }
        if (a == "--version") {
            out << "vellora " << kProgramVersion << "\n";
            result.exitCode = 0;
            return result;
        }
        if (a == "--home") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return usageError("--home ohne Verzeichnis");
            result.home = args[++i];
        } else if (a.rfind("--home=", 0) == 0) {
            if (a.size() == 7) return usageError("--home ohne Verzeichnis");
            result.home = a.substr(7);
        } else if (a.rfind("-", 0) == 0) {
            return usageError("Unbekanntes Argument: " + a);
        } else {
            result.files.push_back(a);
        }
    }
    return result;
}

}  // namespace vellora
