#include "core/SettingsDialog.h"

#include <algorithm>

#include "core/FileUtil.h"
#include "core/Host.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr const char* kSameDirsTail =
    " Das Ausgabe- und das Arbeitsverzeichnis sind gleich. Dies kann zu unerwarteten Effekten beim Arbeiten "
    "mit "
    "dem Programm f\xFChren.\r\nUm dies zu vermeiden, kann der Einstellungs-Dialog erst dann mit OK beendet "
    "werden, wenn unterschiedliche Ausgabe- und Arbeitsverzeichnisse ausgew\xE4hlt wurden.";

constexpr const char* kNoName = "Kein Name f\xFCr das Koordinatenpaar angegeben - Eingabe wird verworfen!";
constexpr const char* kNameExists =
    "Der vergebene Name f\xFCr das Koordinatenpaar existiert schon - Eingabe wird verworfen!";

int reminderIndexOf(int days) {
    switch (days) {
        case -1:
            return 4;
        case 7:
            return 1;
        case 14:
            return 2;
        case 28:
            return 3;
        default:
            return 0;
    }
}

}  // namespace

SettingsDialogModel::SettingsDialogModel(RunContext& ctx, int listClientWidth)
    : ctx_(ctx), listClientWidth_(listClientWidth) {
    const TProcSettings& s = ctx.settings;
    workDir = s.WorkDir;
    outDir = s.OutDir;
    templateFile = s.Template;
    cacheDbUrl = s.CacheDBUrl;
    useZippedDB = s.UseZippedDB;
    const int count = ctx.countries.count();
    primaryIndex = s.CacheDBPrimary >= 1 && s.CacheDBPrimary <= count ? s.CacheDBPrimary - 1 : -1;
    if (s.CacheDBPrimary == 0 && count >= 3) primaryIndex = 2;
    additionalChecked.assign(static_cast<std::size_t>(count), false);
    for (int n = 0; n < count && n < 50; ++n)
        additionalChecked[static_cast<std::size_t>(n)] = s.UseCacheDB[n] > 0;
    reminderIndex = reminderIndexOf(s.DBAutoloadInterval);
    homeLat = s.HomeLat;
    homeLon = s.HomeLong;
    htmlMaxWidth = std::to_string(s.HTMLMaxWidth);
    useProxy = s.UseProxy;
    proxyServer = s.ProxyServer;
    updateUrl = s.UpdateURL;
    showMessages = s.ShowMessages;
    showTooltips = s.ShowTooltips;
    username = s.Username;
    gpxXmlInit = s.GPX_XMLInit;
    gpxGpxInit = s.GPX_GPXInit;
    memWinSize = s.Main_MemWinSize;
    memColSize = s.Main_MemColSize;
    open();
}

void SettingsDialogModel::warnWhenDirectoriesEqual() {
    if (workDir == outDir)
        ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, std::string("Warnung!") + kSameDirsTail);
}

void SettingsDialogModel::browseWorkDir() {
    if (auto dir = ctx_.host().chooseFolder("Bitte Verzeichnis ausw\xE4hlen", ctx_.programDir()))
        workDir = *dir;
    warnWhenDirectoriesEqual();
}

void SettingsDialogModel::browseOutDir() {
    if (auto dir = ctx_.host().chooseFolder("Bitte Verzeichnis ausw\xE4hlen", ctx_.programDir()))
        outDir = *dir;
    warnWhenDirectoriesEqual();
}

void SettingsDialogModel::browseTemplate() {
    FileDialogOptions chooser;
    chooser.title = "Template-Datei ausw\xE4hlen";
    chooser.filters = {FileFilter{"HTML-Dateien", "*.htm;*.html"}};
    chooser.startDir = ctx_.workDirPath();
    auto files = ctx_.host().chooseOpenFiles(chooser, false);
    if (!files.empty()) templateFile = files.front();
}

std::vector<std::string> SettingsDialogModel::countryItems() const {
    std::vector<std::string> items;
    for (const auto& e : ctx_.countries.entries) items.push_back(e.DB_CNameDE + " (" + e.DB_Filename + ")");
    return items;
}

void SettingsDialogModel::setPrimaryHome(double lat, double lon) {
    homeLat = lat;
    homeLon = lon;
}

std::vector<std::string> SettingsDialogModel::homeNames() const {
    std::vector<std::string> names = ctx_.settings.AddHomeTxt;
    std::stable_sort(names.begin(), names.end(), LessNoCase{});
    return names;
}

int SettingsDialogModel::homeIndexByName(const std::string& name) const {
    const auto& names = ctx_.settings.AddHomeTxt;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<int>(i);
    }
    return -1;
}

SettingsDialogModel::Home SettingsDialogModel::home(int index) const {
    const TProcSettings& s = ctx_.settings;
    const auto i = static_cast<std::size_t>(index);
    return Home{s.AddHomeLat.at(i), s.AddHomeLon.at(i), s.AddHomeTxt.at(i)};
}

bool SettingsDialogModel::addHome(double lat, double lon, const std::string& name) {
    TProcSettings& s = ctx_.settings;
    if (name.empty()) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kNoName);
        return false;
    }
    for (const auto& existing : s.AddHomeTxt) {
        if (equalsNoCase(existing, name)) {
            ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kNameExists);
            return false;
        }
    }
    s.AddHomeLat.push_back(formatHomeCoordinate(lat));
    s.AddHomeLon.push_back(formatHomeCoordinate(lon));
    s.AddHomeTxt.push_back(name);
    return true;
}

bool SettingsDialogModel::changeHome(int index, double lat, double lon, const std::string& name) {
    TProcSettings& s = ctx_.settings;
    if (index < 0 || static_cast<std::size_t>(index) >= s.AddHomeTxt.size()) return false;
    if (name.empty()) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kNoName);
        return false;
    }
    const auto i = static_cast<std::size_t>(index);
    s.AddHomeLat[i] = formatHomeCoordinate(lat);
    s.AddHomeLon[i] = formatHomeCoordinate(lon);
    s.AddHomeTxt[i] = name;
    return true;
}

void SettingsDialogModel::removeHome(int index) {
    TProcSettings& s = ctx_.settings;
    if (index < 0 || static_cast<std::size_t>(index) >= s.AddHomeTxt.size()) return;
    const auto i = static_cast<std::ptrdiff_t>(index);
    s.AddHomeLat.erase(s.AddHomeLat.begin() + i);
    s.AddHomeLon.erase(s.AddHomeLon.begin() + i);
    s.AddHomeTxt.erase(s.AddHomeTxt.begin() + i);
    const std::string n = std::to_string(s.AddHomeTxt.size() + 1);
    IniFile& ini = ctx_.programConf();
    IniFile::Batch batch(ini);
    ini.deleteKey(kProgramSection, "AddHomeLat" + n);
    ini.deleteKey(kProgramSection, "AddHomeLon" + n);
    ini.deleteKey(kProgramSection, "AddHomeTxt" + n);
}

bool SettingsDialogModel::accept() {
    if (workDir == outDir) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, std::string("Fehler!") + kSameDirsTail);
        return false;
    }
    // A directory the program cannot write would only show later, as loads that fail without a reason.
    const std::pair<const char*, const std::string*> dirs[] = {{"Arbeitsverzeichnis", &workDir},
                                                               {"Ausgabeverzeichnis", &outDir}};
    for (const auto& [label, dir] : dirs) {
        if (dir->empty()) continue;
        if (const int error = probeWritableDir(*dir); error != 0) {
            ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                                std::string("Das ") + label + " " + *dir +
                                    " kann nicht angelegt oder beschrieben werden:\r\n" +
                                    systemErrorText(error));
            return false;
        }
    }
    const auto width = parseInt32(htmlMaxWidth);
    if (!width) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                            "'" + htmlMaxWidth + "' ist kein g\xFCltiger Integerwert");
        return false;
    }
    TProcSettings& s = ctx_.settings;
    s.WorkDir = workDir;
    s.OutDir = outDir;
    s.Template = templateFile;
    s.CacheDBUrl = cacheDbUrl;
    s.UseZippedDB = useZippedDB;
    s.CacheDBPrimary = primaryIndex >= 0 ? primaryIndex + 1 : 0;
    s.UseCacheDB.fill(0);
    s.CacheDBCount = 0;
    for (std::size_t n = 0; n < additionalChecked.size() && n < s.UseCacheDB.size(); ++n) {
        if (additionalChecked[n]) {
            s.UseCacheDB[n] = 1;
            ++s.CacheDBCount;
        }
    }
    s.DBAutoloadInterval = kReminderDays.at(static_cast<std::size_t>(std::clamp(reminderIndex, 0, 4)));
    s.HomeLat = homeLat;
    s.HomeLong = homeLon;
    s.HTMLMaxWidth = *width;
    s.UseProxy = useProxy;
    s.ProxyServer = proxyServer;
    s.ShowMessages = showMessages;
    s.ShowTooltips = showTooltips;
    s.Username = username;
    s.GPX_XMLInit = gpxXmlInit;
    s.GPX_GPXInit = gpxGpxInit;
    s.Main_MemWinSize = memWinSize;
    s.Main_MemColSize = memColSize;
    s.SettingsConfirmed = true;
    saveSettings(ctx_);
    if (s.ShowMessages)
        ctx_.host().message(MsgKind::Information, MsgButtons::Ok,
                            "Ge\xE4nderte Konfiguration wurde gespeichert");
    close();
    return true;
}

void SettingsDialogModel::reject() {
    loadSettings(ctx_, listClientWidth_);
    ctx_.settings.SettingsConfirmed = false;
    close();
}

}  // namespace vellora
