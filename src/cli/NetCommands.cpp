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

namespace {

int runArchiveLoad(CliEnv& env, const CliCall&) {
    const int lines = GetArchiveList(env.ctx);
    if (lines < 0) return 1;
    env.print(statusLineText(env.ctx));
    return 0;
}

int runUpdateCheck(CliEnv& env, const CliCall&) {
    const UpdateCheckResult result = CheckForUpdate(env.ctx);
    return result == UpdateCheckResult::NoUrl || result == UpdateCheckResult::Failed ? 1 : 0;
}

int runFindsLoad(CliEnv& env, const CliCall& call) {
    TfrmLoadFinds dialog(env.ctx);
    if (const auto text = call.value("--since")) {
        const auto since = parseDate(*text);
        if (!since) throw UsageError("--since " + *text + ": dd.MM.yyyy erwartet");
        dialog.loadComplete = false;
        dialog.earliestDate = *since;
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

}  // namespace

std::vector<CliCommand> netCommands() {
    return {
        {.words = "archive load",
         .summary = "L\xE4"
                    "dt die Archivliste und zeigt die Statuszeile.",
         .run = runArchiveLoad},
        {.words = "update-check",
         .summary = "Fragt nach einer neueren Programmversion.",
         .run = runUpdateCheck},
        {.words = "finds load",
         .options = {{.name = "--since",
                      .kind = OptionKind::Value,
                      .valueName = "dd.MM.yyyy",
                      .help = "nur die Funde ab diesem Tag statt aller"}},
         .summary = "L\xE4"
                    "dt die eigenen Cachefunde und f\xFChrt sie in die Fundliste.",
         .run = runFindsLoad},
    };
}

}  // namespace vellora
