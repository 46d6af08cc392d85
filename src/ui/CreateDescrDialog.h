#pragma once
// The generator dialog "Cachebeschreibungen erzeugen" bound to TCreateDescr: which caches
// ("Folgende Cachebeschreibungen erzeugen"), the options of logs, images, hints, map, home and
// removals, the template, saving the options, and the run with its progress bar, "Start" and
// "Abbrechen". In batch mode the run starts 200 ms after the dialog shows and the dialog closes
// when it has ended.
#include <QDialog>
#include <QTimer>
#include <array>
#include <memory>

#include "core/DialogModel.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vellora {

class DialogHost;
class RunContext;
class TCreateDescr;

class CreateDescrDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    static constexpr int kAutoLoadMs = 200;
    static constexpr int kRemovalCount = 8;

    // The model has been opened; unattended (the batch's mode) it runs by itself.
    CreateDescrDialog(RunContext& ctx, TCreateDescr& model, QWidget* parent = nullptr);
    ~CreateDescrDialog() override;

    TCreateDescr& model() { return model_; }
    bool running() const { return running_; }

    QRadioButton* choice(int i) const { return choice_[static_cast<std::size_t>(i)]; }
    QLabel* headline() const { return headline_; }
    QCheckBox* keepOldBox() const { return keepOld_; }
    QCheckBox* logsBox() const { return logs_; }
    QComboBox* maxLogs() const { return maxLogs_; }
    QCheckBox* boldLogsBox() const { return boldLogs_; }
    QCheckBox* imagesBox() const { return images_; }
    QRadioButton* imageKind(int i) const { return imageKind_[static_cast<std::size_t>(i)]; }
    QRadioButton* hints(int i) const { return hints_[static_cast<std::size_t>(i)]; }
    QComboBox* homeChoice() const { return home_; }
    QComboBox* mapSize() const { return resize_; }
    QListWidget* mapOrder() const { return mapOrder_; }
    QPushButton* mapUpButton() const { return mapUp_; }
    QPushButton* mapDownButton() const { return mapDown_; }
    // 0 body, 1 background, 2 images, 3 tables, 4 style, 5 links, 6 font, 7 all tags.
    QCheckBox* removalBox(int i) const { return removal_[static_cast<std::size_t>(i)]; }
    QLineEdit* templateEdit() const { return template_; }
    QPushButton* chooseTemplateButton() const { return chooseTemplate_; }
    QCheckBox* saveOptionsBox() const { return saveOpts_; }
    QLabel* statusText() const { return status_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }

    // "Start" as the button does it.
    void start();
    // "Abbrechen" and the window's own close.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildListBox();
    QWidget* buildContentBox();
    QWidget* buildRemovalBox();
    QWidget* buildMapBox();
    void syncOptions();
    void updateEnabling();
    void fillMapOrder();
    void modelChanged() override;
    void chooseTemplate();
    void finish();

    RunContext& ctx_;
    TCreateDescr& model_;
    std::unique_ptr<DialogHost> progressHost_;
    std::array<QRadioButton*, 2> choice_{};
    QButtonGroup* choiceGroup_ = nullptr;
    QLabel* headline_ = nullptr;
    QCheckBox *keepOld_ = nullptr, *logs_ = nullptr, *boldLogs_ = nullptr, *images_ = nullptr;
    QComboBox* maxLogs_ = nullptr;
    std::array<QRadioButton*, 2> imageKind_{};
    QButtonGroup* imageKindGroup_ = nullptr;
    std::array<QRadioButton*, 3> hints_{};
    QButtonGroup* hintsGroup_ = nullptr;
    QComboBox *home_ = nullptr, *resize_ = nullptr;
    QListWidget* mapOrder_ = nullptr;
    QPushButton *mapUp_ = nullptr, *mapDown_ = nullptr;
    std::array<QCheckBox*, kRemovalCount> removal_{};
    QLineEdit* template_ = nullptr;
    QPushButton* chooseTemplate_ = nullptr;
    QCheckBox* saveOpts_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton *start_ = nullptr, *cancel_ = nullptr;
    QList<QWidget*> optionControls_;
    bool running_ = false;
    bool started_ = false;
    bool finished_ = false;
    QTimer autoLoadTimer_;
};

// "&Cachebeschreibungen erzeugen": opens the dialog over `over`; true when it ended with OK.
bool openCreateDescrDialog(RunContext& ctx, TCreateDescr& model, QWidget* over);

}  // namespace vellora
