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

constexpr const char* kUsage = "zip list ARCHIVE | zip extract ARCHIVE DIR [MASK]";

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

}  // namespace

int runZipCommand(CliEnv& env, const Args& args) {
    if (args.empty()) throw UsageError(kUsage);
    const std::string& sub = args[0];
    if (sub == "list") {
        requireArgs(args, 2, 2, kUsage);
        return listArchive(env, args[1]);
    }
    if (sub == "extract") {
        requireArgs(args, 3, 4, kUsage);
        return extractArchive(env, args[1], args[2], args.size() > 3 ? args[3] : "*.*");
    }
    throw UsageError(kUsage);
}

}  // namespace vellora
