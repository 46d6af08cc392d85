#include "import/ArchiveList.h"

#include <stdexcept>
#include <string>

#include "core/FileProcs.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "net/LoadURL.h"

namespace vellora {

int GetArchiveList(RunContext& ctx, const TArchiveListHooks& hooks) {
    Host& host = ctx.host();
    // The fixed address of the program; the setting ArchiveUrl is not consulted here.
    TfrmLoadURL window(host);
    window.setURL(ctx.services.archiveList);
    window.setProxy(ctx.settings.UseProxy ? ctx.settings.ProxyServer : std::string());
    window.setDestination(ctx.workDirPath() + kArchivedListFileName);
    window.setKeepInMemoryOnly(false);

    int lines = 0;
    bool failed = false;
    try {
        lines = hooks.showLoadWindow ? hooks.showLoadWindow(window) : window.execute();
    } catch (const EHttpError& e) {
        // A malformed proxy port: the window never fetched.
        host.message(MsgKind::Error, MsgButtons::Ok, std::string(e.className()) + " : " + e.what());
        failed = true;
    } catch (const std::runtime_error& e) {
        host.message(MsgKind::Error, MsgButtons::Ok, e.what());
        failed = true;
    }

    if (ctx.settings.ShowMessages)
        host.message(MsgKind::Information, MsgButtons::Ok, std::to_string(lines) + kArchiveLoadedText);
    if (hooks.refreshStatusLine) hooks.refreshStatusLine();
    return failed ? -1 : lines;
}

}  // namespace vellora
