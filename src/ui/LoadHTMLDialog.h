#pragma once
// The loader window "Laden vom Internet" bound to TfrmLoadHTML: the options page (existing
// listings, images, skip lists, the map box "Landkarte der Cachebeschreibung", saving the options),
// the protocol page with the current task, the progress of the transfer and of the whole list, and
// the load statistics; "Laden", "Nur Landkarten laden (ohne Caches)", "Abbrechen", "Schließen",
// "bearbeiten" and "Warum?". In batch mode the run starts 300 ms after the window shows and the
// window closes when it has ended. The quiet instance (the database download's window) shows its
// protocol only and is closed by its caller.
#include <QDialog>
#include <QTimer>
#include <array>
#include <memory>

#include "core/DialogModel.h"
#include "listing/MapImages.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vellora {

class DialogHost;
class RunContext;
class TfrmLoadHTML;

class LoadHTMLDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    static constexpr int kStatisticsRows = 7;

    // The model has been opened (open, or showDownload for the quiet instance) or is opened
    // while the window stands; the window follows it as its observer.
    LoadHTMLDialog(RunContext& ctx, TfrmLoadHTML& model, QWidget* parent = nullptr);
    ~LoadHTMLDialog() override;

    TfrmLoadHTML& model() { return model_; }
    // The host that shows a transfer's progress in the window's file bar; runs of this window use
    // it by themselves, a stand-alone download can put it into the context around its request.
    DialogHost& transferProgress() { return *transferHost_; }

    QTabWidget* pages() const { return pages_; }
    QWidget* optionsPage() const { return optionsPage_; }
    QWidget* protocolPage() const { return protocolPage_; }
    QLabel* headline() const { return headline_; }
    QRadioButton* overwriteChoice(int i) const { return overwrite_[static_cast<std::size_t>(i)]; }
    QLineEdit* overwriteAge() const { return age_; }
    QCheckBox* imagesBox() const { return images_; }
    QCheckBox* remoteImagesBox() const { return remoteImages_; }
    QCheckBox* foundBox() const { return noFound_; }
    QCheckBox* ignoredBox() const { return noIgnored_; }
    QCheckBox* archivedBox() const { return noArchived_; }
    QCheckBox* loadMapBox() const { return loadMap_; }
    QRadioButton* mapKind(int kind) const { return mapKinds_[static_cast<std::size_t>(kind)]; }
    QComboBox* zoomChoice() const { return zoom_; }
    QComboBox* sizeChoice() const { return size_; }
    QCheckBox* saveOptionsBox() const { return saveOpts_; }
    QListWidget* protocol() const { return protocol_; }
    QLabel* taskText() const { return task_; }
    QLabel* contentText() const { return content_; }
    QLabel* subTaskText() const { return subTask_; }
    QProgressBar* fileBar() const { return fileBar_; }
    QProgressBar* overallBar() const { return overallBar_; }
    QLabel* statisticsValue(int row) const { return statValues_[static_cast<std::size_t>(row)]; }
    QLabel* statisticsLabel(int row) const { return statLabels_[static_cast<std::size_t>(row)]; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* mapsOnlyButton() const { return mapsOnly_; }
    QPushButton* abortButton() const { return abort_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* whyButton() const { return why_; }

    // "Laden" and "Nur Landkarten laden (ohne Caches)" as the buttons do it.
    void startRun(bool mapsOnly);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildOptionsPage();
    QWidget* buildProtocolPage();
    void connectOptions();
    void fillMapChoices();
    void syncOptions();
    void update();
    void modelChanged() override { update(); }
    void modelClosed() override {
        modelClosed_ = true;
        update();
    }
    void abortClicked();
    void autoLoad();
    void closeWindow();

    RunContext& ctx_;
    TfrmLoadHTML& model_;
    std::unique_ptr<DialogHost> transferHost_;
    QTabWidget* pages_ = nullptr;
    QWidget *optionsPage_ = nullptr, *protocolPage_ = nullptr;
    QLabel* headline_ = nullptr;
    std::array<QRadioButton*, 3> overwrite_{};
    QButtonGroup* overwriteGroup_ = nullptr;
    QLineEdit* age_ = nullptr;
    QCheckBox *images_ = nullptr, *remoteImages_ = nullptr;
    QCheckBox *noFound_ = nullptr, *noIgnored_ = nullptr, *noArchived_ = nullptr;
    QCheckBox* loadMap_ = nullptr;
    std::array<QRadioButton*, kMapKindCount> mapKinds_{};
    QButtonGroup* mapKindGroup_ = nullptr;
    QComboBox *zoom_ = nullptr, *size_ = nullptr;
    int shownKind_ = -1;
    QCheckBox* saveOpts_ = nullptr;
    QListWidget* protocol_ = nullptr;
    std::size_t protocolShown_ = 0;
    QLabel *task_ = nullptr, *content_ = nullptr, *subTask_ = nullptr;
    QProgressBar *fileBar_ = nullptr, *overallBar_ = nullptr;
    std::array<QLabel*, kStatisticsRows> statLabels_{}, statValues_{};
    QPushButton *load_ = nullptr, *mapsOnly_ = nullptr, *abort_ = nullptr, *close_ = nullptr;
    QPushButton *edit_ = nullptr, *why_ = nullptr;
    bool optionsWereVisible_ = false, protocolWasVisible_ = false;
    bool hostAbortAsked_ = false;
    bool finished_ = false;
    // The model closed since it was last open (a model not yet opened has not closed).
    bool modelClosed_ = false;
    QTimer autoLoadTimer_, closeTimer_;
};

// "&Cachebeschreibungen laden" (and the output directory browser's reload of marked listings,
// which hands the waypoints to the model first): opens the window over `over` and returns when it
// has closed.
void openLoadHTMLWindow(RunContext& ctx, TfrmLoadHTML& model, QWidget* over);

}  // namespace vellora
