#include "shell/Startup.h"

#include <cmath>

#include "core/FileIO.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "shell/MainWindow.h"

namespace vellora {

std::string databaseAgeQuestion(int days) {
    return "Alter der Cache-Datenbank: " + std::to_string(days) + " Tage." + "\r\n" +
           "Laut den Grundeinstellungen sollte die Cache-Datenbank " +
           "neu geladen werden. Soll dies jetzt geschehen?" + "\r\n" +
           "(Diese Erinnerungsmeldung kann in den " + "Optionen unter \"" +
           "Internet+Cache-DB\" deaktiviert werden, indem \"Cache-DB Update-Erinnerung\" " +
           "auf \"nie erinnern\" gesetzt wird.)";
}

std::string firstStartOutputDir(const std::string& workDir) {
    const std::string dir = withoutTrailingSlash(workDir) + "/ausgabe";
    // An existing directory is as good as a new one; the write test decides.
    return probeWritableDir(dir) == 0 ? dir : std::string();
}

void proposeFirstStartSwitches(TProcSettings& s) {
    s.ShowMessages = true;
    s.ShowTooltips = true;
}

void StartupSequence::run() {
    if (started_) return;
    started_ = true;
    bool greetingAllowed = true;

    if (!fileExists(ctx_.workDirPath() + kDeveloperMarkerFile)) {
        if (hooks_.hideErrortracker) hooks_.hideErrortracker();
        if (hooks_.showSplash) hooks_.showSplash();
    }
    if (!ctx_.configExisted) {
        greetingAllowed = false;
        firstStart();
    }
    if (hooks_.applyTooltips) hooks_.applyTooltips();
    if (!checkDatabase()) greetingAllowed = false;
    if (greetingAllowed) greeting();
}

void StartupSequence::firstStart() {
    TProcSettings& s = ctx_.settings;
    const std::string outputDir = firstStartOutputDir(s.WorkDir);
    // A cancelled settings dialog reloads the stored settings; the next round shows the
    // first-start proposals again instead of an output directory equal to the working directory.
    auto propose = [&] {
        if (!outputDir.empty()) s.OutDir = outputDir;
        proposeFirstStartSwitches(s);
        s.SettingsConfirmed = false;
    };
    propose();
    ctx_.host().message(MsgKind::Information, MsgButtons::Ok, kFirstStartInfo);
    if (!hooks_.runSettingsDialog) return;
    for (;;) {
        hooks_.runSettingsDialog();
        if (s.SettingsConfirmed) break;
        ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, kConfirmSettingsOnce);
        propose();
    }
}

// Returns whether the database is there and plausible.
bool StartupSequence::checkDatabase() {
    const int interval = ctx_.settings.DBAutoloadInterval;
    const std::string dbPath = ctx_.workDirPath() + "Caches.bin";
    // A run killed while writing the database leaves its temporary files and perhaps a stale index.
    RecoverCacheDB(ctx_);
    if (!fileExists(dbPath)) {
        if (ctx_.host().message(MsgKind::Confirmation, MsgButtons::YesNo, kNoDatabaseQuestion) ==
            MsgResult::Yes) {
            if (hooks_.readCacheDB) hooks_.readCacheDB();
            if (hooks_.refreshStatus) hooks_.refreshStatus();
        }
        return false;
    }
    if (!CheckCacheDB(ctx_)) return false;
    const auto modified = fileModified(dbPath);
    const int fileDay = modified ? static_cast<int>(std::floor(*modified)) : 0;
    if (hooks_.refreshStatus) hooks_.refreshStatus();
    const int today = static_cast<int>(std::floor(ctx_.now()));
    if (modified && interval >= 1 && today >= fileDay + interval) {
        if (ctx_.host().message(MsgKind::Confirmation, MsgButtons::YesNo,
                                databaseAgeQuestion(today - fileDay)) == MsgResult::Yes) {
            if (hooks_.readCacheDB) hooks_.readCacheDB();
            if (hooks_.refreshStatus) hooks_.refreshStatus();
        }
    }
    return true;
}

void StartupSequence::greeting() {
    const DateParts today = decodeDateTime(ctx_.now());
    if (today.month != 12 || today.day < 18 || today.day > 30 || today.year == ctx_.settings.LXM) return;
    ctx_.settings.LXM = today.year;
    saveSettings(ctx_);
    if (hooks_.showGreeting) hooks_.showGreeting();
}

}  // namespace vellora
