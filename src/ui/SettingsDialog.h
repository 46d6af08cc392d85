#pragma once
// The settings dialog "Grundeinstellungen" bound to SettingsDialogModel: six pages, the folder and
// file choosers, the additional homes with the coordinate input.
#include <QDialog>
#include <functional>

#include "core/SettingsDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vellora {

class RunContext;
class TCoordInput;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(RunContext& ctx, int listClientWidth, QWidget* parent = nullptr);

    SettingsDialogModel& model() { return model_; }
    // Runs the coordinate input for a home; true when it ended with OK. Tests replace it.
    std::function<bool(TCoordInput&)> editCoordinates;

    QTabWidget* pages() const { return pages_; }
    QLineEdit* workDirEdit() const { return workDir_; }
    QLineEdit* outDirEdit() const { return outDir_; }
    QPushButton* browseWorkDirButton() const { return browseWork_; }
    QPushButton* browseOutDirButton() const { return browseOut_; }
    QComboBox* primaryDatabase() const { return primary_; }
    QListWidget* additionalDatabases() const { return additional_; }
    QComboBox* reminder() const { return reminder_; }
    QLabel* primaryHomeText() const { return homeText_; }
    QListWidget* homeList() const { return homes_; }
    QLabel* homeCoordText() const { return homeCoords_; }
    QPushButton* newHomeButton() const { return newHome_; }
    QPushButton* changeHomeButton() const { return changeHome_; }
    QPushButton* removeHomeButton() const { return removeHome_; }
    QPushButton* changePrimaryButton() const { return changePrimary_; }
    QLineEdit* maxWidthEdit() const { return maxWidth_; }
    QCheckBox* useProxyBox() const { return useProxy_; }
    QLineEdit* proxyEdit() const { return proxy_; }
    QLineEdit* usernameEdit() const { return username_; }
    QCheckBox* showTooltipsBox() const { return showTooltips_; }
    QPushButton* okButton() const { return ok_; }

    void reject() override;

private:
    QWidget* pathsPage();
    QWidget* databasePage();
    QWidget* homesPage();
    QWidget* outputPage();
    QWidget* proxyPage();
    QWidget* otherPage();
    void fillHomes(const std::string& select);
    void showSelectedHome();
    void showPrimaryHome();
    void copyToModel();
    void okClicked();
    void newHomeClicked();
    void changeHomeClicked();
    void removeHomeClicked();
    void changePrimaryClicked();

    RunContext& ctx_;
    SettingsDialogModel model_;
    QTabWidget* pages_ = nullptr;
    QLineEdit *workDir_ = nullptr, *outDir_ = nullptr, *template_ = nullptr;
    QPushButton *browseWork_ = nullptr, *browseOut_ = nullptr;
    QLineEdit* dbUrl_ = nullptr;
    QCheckBox* zipped_ = nullptr;
    QComboBox* primary_ = nullptr;
    QListWidget* additional_ = nullptr;
    QComboBox* reminder_ = nullptr;
    QLabel* homeText_ = nullptr;
    QPushButton* changePrimary_ = nullptr;
    QListWidget* homes_ = nullptr;
    QLabel* homeCoords_ = nullptr;
    QPushButton *newHome_ = nullptr, *changeHome_ = nullptr, *removeHome_ = nullptr;
    QLineEdit* maxWidth_ = nullptr;
    QCheckBox* useProxy_ = nullptr;
    QLabel* proxyLabel_ = nullptr;
    QLineEdit* proxy_ = nullptr;
    QLineEdit* updateUrl_ = nullptr;
    QCheckBox *showMessages_ = nullptr, *showTooltips_ = nullptr;
    QLineEdit *username_ = nullptr, *xmlInit_ = nullptr, *gpxInit_ = nullptr;
    QCheckBox *memWinSize_ = nullptr, *memColSize_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool closing_ = false;
};

// The heading of the coordinate input's description box for homes.
inline constexpr const char* kHomeDescriptionTitle = "Beschreibung des Koordinatenpaares";

}  // namespace vellora
