#pragma once
// The start-up sequence of the main window, run once from its timer 200 ms after the window
// showed: the splash, the first-start set-up with the settings dialog, the check of the cache
// database with the download offer and the age reminder, and the seasonal greeting. Everything
// that shows a window is a hook, so the sequence runs the same with or without a view.
#include <functional>
#include <string>

namespace vellora {

class RunContext;
struct TProcSettings;

struct StartupHooks {
    // The about window as a splash that closes itself after 3 seconds (returns at once).
    std::function<void()> showSplash;
    // Developer mode is off: the "Errortracker" item disappears.
    std::function<void()> hideErrortracker;
    // Opens the settings dialog; its model sets SettingsConfirmed on OK.
    std::function<void()> runSettingsDialog;
    // Applies ShowTooltips to the main window and the dialogs.
    std::function<void()> applyTooltips;
    // The command "Primäre Cache-DB laden und konvertieren"; unset while it is not available.
    std::function<void()> readCacheDB;
    std::function<void()> refreshStatus;
    // The greeting window "Fröhliche Weihnachten" (returns when it is closed).
    std::function<void()> showGreeting;
};

inline constexpr const char* kFirstStartInfo =
    "Dies ist der erste Programmstart des Vellora.\r\n\r\nIm n\xE4"
    "chsten Schritt wird deshalb zun\xE4"
    "chst der Dialog der Programmeinstellungen gezeigt. Bitte dort alle Einstellungen, vor allem Proxyserver "
    "(falls notwendig), Verzeichnisse, Home-Koordinaten sowie die Einstellungen zu den verwendeten "
    "Cache-Datenbanken \xFC"
    "berpr\xFC"
    "fen und gegebenenfalls \xE4"
    "ndern. Andernfalls ist ein fehlerfreies Arbeiten mit dem Programm nicht m\xF6glich!";
inline constexpr const char* kConfirmSettingsOnce =
    "Bitte einmalig den Dialog der Programmeinstellungen mit \"OK\" best\xE4tigen, damit die Einstellungen "
    "gespeichert werden!";
inline constexpr const char* kNoDatabaseQuestion =
    "Es wurde keine Cache-Datenbank gefunden. Die Cache-Datenbank ist Voraussetzung f\xFCr das Arbeiten mit "
    "diesem Programm.\r\nSoll die Cache-Datenbank jetzt aus dem Internet geladen werden? (Diese Funktion "
    "kann "
    "auch jederzeit mit dem Befehl \"Datei / Prim\xE4re Cache-DB laden und konvertieren\" oder mit der "
    "Tastenkombination <STRG>+<L> manuell gestartet werden.)";

// The reminder for a database of the given age in days.
std::string databaseAgeQuestion(int days);

// The output directory a first start proposes: WorkDir + "/ausgabe" when it can be created and
// written; nothing otherwise.
std::string firstStartOutputDir(const std::string& workDir);

// What a first start switches on before the user confirms the settings: messages and tool tips.
void proposeFirstStartSwitches(TProcSettings& s);

class StartupSequence {
public:
    StartupSequence(RunContext& ctx, StartupHooks hooks) : ctx_(ctx), hooks_(std::move(hooks)) {}

    bool started() const { return started_; }
    // The timer's tick: runs the sequence the first time, later ticks do nothing.
    void run();

private:
    void firstStart();
    bool checkDatabase();
    void greeting();

    RunContext& ctx_;
    StartupHooks hooks_;
    bool started_ = false;
};

}  // namespace vellora
