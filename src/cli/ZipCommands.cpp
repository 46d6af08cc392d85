#include <fcntl.h>

#include <cstdio>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Host.h"
#include "import/Unzip.h"

namespace vellora {
namespace {

std::string hex8(std::uint32_t v) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

// Why an archive cannot be read at all, or nothing when it can be opened.
std::optional<std::string> unreadable(const std::string& archive) {
    int error = 0;
    if (openFile(archive, O_RDONLY, 0, &error)) return std::nullopt;
    return "Das Archiv " + archive +
           " kann nicht ge\xF6"
           "ffnet werden: " +
           systemErrorText(error);
}

int listArchive(CliEnv& env, const std::string& archive) {
    if (const auto problem = unreadable(archive)) {
        env.host.message(MsgKind::Error, MsgButtons::Ok, *problem);
        return 1;
    }
    const auto members = ListMembers(archive);
    if (members.empty())
        env.host.message(MsgKind::Error, MsgButtons::Ok,
                         archive + " ist kein ZIP-Archiv, oder sein Inhaltsverzeichnis ist nicht lesbar.");
    for (const TZipMember& m : members) {
        env.print(m.name + '\t' + std::to_string(m.method) + '\t' + std::to_string(m.compressedSize) + '\t' +
                  std::to_string(m.uncompressedSize) + '\t' + hex8(m.crc32));
    }
    return members.empty() ? 1 : 0;
}

int extractArchive(CliEnv& env, const std::string& archive, const std::string& dir, const std::string& mask) {
    TUnzipReport report;
    const int result =
        ExtractMembers(archive, dir, mask, report, kMaxZipMemberSize, env.ctx.settings.UnzipMaxTotalMB);
    // The code goes to standard output for scripts; the reason to standard error.
    if (result < 0) {
        const auto problem = result == kUnzipCannotOpen ? unreadable(archive) : std::nullopt;
        env.host.message(MsgKind::Error, MsgButtons::Ok,
                         problem ? *problem : archive + ": " + unzipErrorText(result));
        env.print(std::to_string(result));
        return 1;
    }
    for (const std::string& name : report.refused) {
        env.host.message(MsgKind::Warning, MsgButtons::Ok,
                         "Nicht entpackt (unsicherer Name oder symbolische Verkn\xFCpfung): " + name);
    }
    if (report.failure != TUnzipFailure::None) {
        env.host.message(
            MsgKind::Error, MsgButtons::Ok,
            "Entpacken abgebrochen bei " + report.failedMember + ": " + unzipFailureText(report.failure));
    }
    // Nothing written though members matched: every one was refused.
    if (result == 0 && !report.refused.empty() && report.failure == TUnzipFailure::None) {
        env.host.message(MsgKind::Error, MsgButtons::Ok, "Keine Datei entpackt: " + archive);
    }
    env.print(std::to_string(result));
    return report.failure == TUnzipFailure::None && !(result == 0 && !report.refused.empty()) ? 0 : 1;
}

int runList(CliEnv& env, const CliCall& call) {
    return listArchive(env, call.argument(0));
}

int runExtract(CliEnv& env, const CliCall& call) {
    const auto& a = call.arguments();
    return extractArchive(env, a[0], a[1], a.size() > 2 ? a[2] : "*.*");
}

}  // namespace

std::vector<CliCommand> zipCommands() {
    return {
        {.words = "zip list",
         .arguments = {{"ARCHIVE"}},
         .summary = "Listet die Dateien eines ZIP-Archivs: Name, Methode, Gr\xF6\xDF"
                    "en und CRC.",
         .run = runList,
         .readOnly = true},
        {.words = "zip extract",
         .arguments = {{"ARCHIVE"}, {"DIR"}, {"MASK", ArgCount::Optional}},
         .summary =
             "Entpackt die Dateien eines ZIP-Archivs (alle oder die zur Maske passenden) in ein Verzeichnis.",
         .run = runExtract},
    };
}

}  // namespace vellora
