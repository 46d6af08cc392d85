#pragma once
// The settings dialog "Grundeinstellungen" as a model: the controls' values, the checks on the
// directories, the additional-home list operations, and OK / cancel. A Qt view binds to it.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

class SettingsDialogModel : public DialogModel {
public:
    static constexpr const char* kCaption = "Grundeinstellungen";
    static constexpr std::array<const char*, 5> kReminderItems = {"einem Tag", "einer Woche", "2 Wochen",
                                                                  "4 Wochen", "nie erinnern"};
    static constexpr std::array<int, 5> kReminderDays = {1, 7, 14, 28, -1};
    static constexpr std::size_t kMaxWidthLength = 5;

    // Fills every control from the settings record and opens. listClientWidth is what a cancel's
    // reload needs.
    SettingsDialogModel(RunContext& ctx, int listClientWidth);

    // Page "Pfade+Dateien"
    std::string workDir, outDir, templateFile;
    void browseWorkDir();
    void browseOutDir();
    void browseTemplate();

    // Page "Cache-Datenbank"
    std::string cacheDbUrl;
    bool useZippedDB = true;
    // Entries of both database lists: DB_CNameDE + " (" + DB_Filename + ")", in table order.
    std::vector<std::string> countryItems() const;
    int primaryIndex = -1;                // position in countryItems(), -1 = none
    std::vector<bool> additionalChecked;  // one per country entry
    int reminderIndex = 0;                // position in kReminderItems

    // Page "Heimkoordinaten"
    double homeLat = 0, homeLon = 0;
    void setPrimaryHome(double lat, double lon);
    // Names of the additional homes, sorted alphabetically without regard to case.
    std::vector<std::string> homeNames() const;
    // Position of a name in the settings' parallel lists, or -1.
    int homeIndexByName(const std::string& name) const;
    struct Home {
        std::string lat, lon, name;
    };
    Home home(int index) const;
    // "Neu" after the coordinate input ended with OK; returns false when the entry was rejected.
    bool addHome(double lat, double lon, const std::string& name);
    // "Ändern" after the coordinate input ended with OK.
    bool changeHome(int index, double lat, double lon, const std::string& name);
    // "Entfernen": also deletes the last numbered keys from the program file at once.
    void removeHome(int index);

    // Page "Ausgabe"
    std::string htmlMaxWidth;

    // Page "Proxy"
    bool useProxy = false;
    std::string proxyServer;
    std::string updateUrl;  // shown, not editable

    // Page "Sonstiges"
    bool showMessages = false, showTooltips = false;
    std::string username, gpxXmlInit, gpxGpxInit;
    bool memWinSize = false, memColSize = false;

    // OK: false (dialog stays open) when the directories are equal or the width is no number;
    // otherwise the settings are stored and the model closes.
    bool accept();
    // Any other way of closing: the settings are reloaded, every change is discarded.
    void reject();

private:
    void warnWhenDirectoriesEqual();

    RunContext& ctx_;
    int listClientWidth_;
};

}  // namespace vellora
