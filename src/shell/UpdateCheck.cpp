#include "shell/UpdateCheck.h"

#include <string>
#include <vector>

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/Host.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "import/GCDBReader.h"
#include "net/LoadURL.h"
#include "shell/MainWindow.h"

namespace vellora {
namespace {

// Characters from (1-based) start, as many as there are up to count.
std::string_view copyOf(std::string_view text, std::size_t start, std::size_t count) {
    if (start > text.size()) return {};
    return text.substr(start - 1, count);
}

}  // namespace

int versionDateKey(std::string_view date) {
    std::string key(copyOf(date, 7, 4));
    key += copyOf(date, 4, 2);
    key += copyOf(date, 1, 2);
    return parseInt32(key).value_or(0);
}

UpdateCheckResult CheckForUpdate(RunContext& ctx, TCacheDBLoadWindow* window) {
    Host& host = ctx.host();
    const std::string& url = ctx.settings.UpdateURL;
    if (url.empty()) {
        host.message(
            MsgKind::Error, MsgButtons::Ok,
            "Es ist keine URL f\xFCr die Updatepr\xFC"
            "fung hinterlegt.\r\n"
            "(Men\xFC: Datei / Grundeinstellungen / Proxy / URL f\xFCr Updateverf\xFCgbarkeit)\r\n\r\n"
            "Die Updatepr\xFC"
            "fung kann nicht durchgef\xFChrt werden.");
        return UpdateCheckResult::NoUrl;
    }

    const std::string path = ctx.workDirPath() + kVersionFileName;
    THttpClient client(ctx, kLoaderClient);
    client.setAbortCheck([&host] { return host.abortRequested(); });
    if (window) window->open(kUpdateTask, kUpdateContent, true);
    const bool loaded = getBinaryToFile(ctx, client, url, path, false, window ? &window->view() : nullptr);
    if (window) window->close();

    std::vector<std::string> lines;
    if (loaded) {
        if (const auto text = readFile(path)) lines = splitListLines(*text);
    }
    if (lines.size() < 2) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Die Updateverf\xFCgbarkeit konnte leider nicht \xFC"
                     "berpr\xFC"
                     "ft werden.");
        return UpdateCheckResult::Failed;
    }
    const std::string& version = lines[0];
    const std::string& date = lines[1];
    const std::string own = std::string(kProgramVersion) + " vom " + kProgramVersionDate;

    if (date == kProgramVersionDate && version == kProgramVersion) {
        host.message(MsgKind::Information, MsgButtons::Ok,
                     "Die eingesetzte Version des Vellora ist auf dem aktuellen Stand:\r\n\r\nVersion " +
                         version + " vom " + date);
        return UpdateCheckResult::Current;
    }
    if (versionDateKey(kProgramVersionDate) < versionDateKey(date)) {
        host.message(
            MsgKind::Warning, MsgButtons::Ok,
            "Die eingesetzte Version des Vellora ist veraltet!\r\n\r\nEingesetzte Version: " + own +
                "\r\nAktuell verf\xFCgbare Version: " + version + " vom " + date +
                "\r\n\r\nUm auf dem aktuellen Stand des Vellora zu sein, wird ein Update empfohlen.");
        return UpdateCheckResult::Outdated;
    }
    host.message(
        MsgKind::Warning, MsgButtons::Ok,
        "Die eingesetzte Version des Vellora ist neuer als \r\ndie momentan online verf\xFCgbare. "
        "Wenn Du nicht Harlof oder \r\nMirtel bist, hast Du diese Version wahrscheinlich geklaut.\r\n"
        "Setz' Dich in die n\xE4"
        "chste Ecke und sch\xE4m Dich! :-)\r\n\r\nEingesetzte Version: " +
            own + "\r\nAktuell verf\xFCgbare Version: " + version + " vom " + date);
    return UpdateCheckResult::Newer;
}

}  // namespace vellora
