// archive load, update-check, finds load: the small network commands. Messages go through the
// console host; the finds protocol and the status line go to standard output.
#include <cmath>
#include <cstddef>
#include <string>

#include "cli/Commands.h"
#include "core/DateUtil.h"
#include "import/ArchiveList.h"
#include "import/LoadFinds.h"
#include "shell/MainWindow.h"
#include "shell/UpdateCheck.h"

namespace vellora {

int runArchiveCommand(CliEnv& env, const Args& args) {
    constexpr const char* kUsage = "archive load";
    requireArgs(args, 1, 1, kUsage);
    if (args[0] != "load") throw UsageError(kUsage);
    const int lines = GetArchiveList(env.ctx);
    if (lines < 0) return 1;
    env.print(statusLineText(env.ctx));
    return 0;
}

int runUpdateCheckCommand(CliEnv& env, const Args& args) {
    requireArgs(args, 0, 0, "update-check");
    const UpdateCheckResult result = CheckForUpdate(env.ctx);
    return result == UpdateCheckResult::NoUrl || result == UpdateCheckResult::Failed ? 1 : 0;
}

int runFindsCommand(CliEnv& env, const Args& args) {
    constexpr const char* kUsage = "finds load [--since dd.MM.yyyy]";
    if (args.empty() || args[0] != "load") throw UsageError(kUsage);
    TfrmLoadFinds dialog(env.ctx);
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--since" && i + 1 < args.size()) {
            const auto since = parseDate(args[++i]);
            if (!since) throw UsageError(kUsage);
            dialog.loadComplete = false;
            dialog.earliestDate = *since;
        } else {
            throw UsageError(kUsage);
        }
    }
    // The console has no settings dialog: the question about the user name can only end the command.
    if (!ensureUsernameForFinds(env.ctx, [&env] {
            env.print("Der Username wird mit \"vellora-cli config set Program Username NAME\" eingetragen.");
        }))
        return 1;

    ConsoleHost::installInterruptHandler();
    // The protocol goes to the console line by line as it grows.
    struct ProtocolPrinter : DialogModel::Observer {
        ProtocolPrinter(CliEnv& console, const TfrmLoadFinds& model) : console_(console), model_(model) {}
        void modelChanged() override {
            const auto& lines = model_.protocol();
            if (lines.size() < printed_) printed_ = 0;
            for (; printed_ < lines.size(); ++printed_) console_.print(lines[printed_]);
        }
        CliEnv& console_;
        const TfrmLoadFinds& model_;
        std::size_t printed_ = 0;
    } printer(env, dialog);
    dialog.setObserver(&printer);
    dialog.btnLoadClick();
    dialog.setObserver(nullptr);
    return dialog.merged() ? 0 : 1;
}

}  // namespace vellora
