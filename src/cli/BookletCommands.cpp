#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "core/AppHome.h"
#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "shell/Booklet.h"

extern char** environ;

namespace vellora {

namespace {

constexpr const char* kPrintHelper = "vellora-booklet-print";

// The HTML engine runs in a helper beside this program, so that only this command pays for
// starting it and vellora-cli stays free of Qt.
std::string printHelperPath() {
    const std::string dir = executableDir();
    return dir.empty() ? kPrintHelper : joinPath(dir, kPrintHelper);
}

int runHelper(const std::string& helper, const std::string& html, const std::string& pdf,
              std::string& problem) {
    std::string arg0 = helper, arg1 = html, arg2 = pdf;
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    pid_t child = 0;
    if (const int error = posix_spawn(&child, helper.c_str(), nullptr, nullptr, argv, environ)) {
        problem = "Druckhilfe nicht startbar: " + helper + " (" + systemErrorText(error) + ")";
        return 1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return 1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    problem = "Druckhilfe abgebrochen: " + helper;
    return 1;
}

int runBooklet(CliEnv& env, const CliCall& call) {
    const auto dirOption = call.value("--dir");
    if (dirOption && dirOption->empty()) throw UsageError("--dir ohne Verzeichnis");
    const std::string dir = dirOption ? *dirOption : env.ctx.outDirPath();
    const auto output = call.value("-o");
    if (output && output->empty()) throw UsageError("-o ohne Datei");
    const std::string pdf = output ? *output : joinPath(dir, kBookletFileName);
    std::string problem;
    const auto html = writeBookletHtml(env.ctx, dir, problem);
    if (!html) {
        env.host.message(MsgKind::Error, MsgButtons::Ok, problem);
        return 1;
    }
    const int result = runHelper(printHelperPath(), *html, pdf, problem);
    if (!problem.empty()) env.host.message(MsgKind::Error, MsgButtons::Ok, problem);
    if (result == 0) env.print(pdf);
    return result;
}

}  // namespace

std::vector<CliCommand> bookletCommands() {
    return {
        {.words = "booklet",
         .options =
             {{.name = "-o",
               .kind = OptionKind::Value,
               .valueName = "FILE.pdf",
               .help = "die PDF-Datei (Vorgabe: Tourheft.pdf im Verzeichnis der Beschreibungen)"},
              {.name = "--dir",
               .kind = OptionKind::Value,
               .valueName = "DIR",
               .help = "das Verzeichnis der konvertierten Beschreibungen statt des Ausgabeverzeichnisses"}},
         .summary = "Druckt das Tourheft der konvertierten Beschreibungen als PDF und nennt seine Datei.",
         .run = runBooklet},
    };
}

}  // namespace vellora
