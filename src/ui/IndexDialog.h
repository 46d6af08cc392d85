#pragma once
// The index dialog "Indexseite erzeugen" bound to TfrmIndex: how many converted descriptions
// there are and when the index was last written, the Pocket PC variant, the table's columns, sort
// column and direction, which caches, the home for distances, the index file with "wählen", "und
// danach anzeigen" and saving the options. In batch mode the index is written 200 ms after the
// dialog shows and the dialog closes.
#include <QDialog>
#include <QTimer>
#include <array>
#include <optional>
#include <string>

#include "listing/Index.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vellora {

class RunContext;

class IndexDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    static constexpr int kAutoLoadMs = 200;

    // The model has been opened for its directory.
    IndexDialog(RunContext& ctx, TfrmIndex& model, QWidget* parent = nullptr);
    ~IndexDialog() override;

    TfrmIndex& model() { return model_; }

    QLabel* countText() const { return count_; }
    QLabel* dateText() const { return date_; }
    QCheckBox* pocketPCBox() const { return pocketPC_; }
    QCheckBox* columnBox(int i) const { return columns_[static_cast<std::size_t>(i)]; }
    QComboBox* sortChoice() const { return sort_; }
    QRadioButton* ascDesc(int i) const { return ascDesc_[static_cast<std::size_t>(i)]; }
    QRadioButton* addWhich(int i) const { return addWhich_[static_cast<std::size_t>(i)]; }
    QComboBox* homeChoice() const { return home_; }
    QLineEdit* fileEdit() const { return file_; }
    QPushButton* chooseButton() const { return choose_; }
    QCheckBox* showImmediateBox() const { return showImmediate_; }
    QCheckBox* saveOptionsBox() const { return saveOpts_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void modelChanged() override;
    void modelClosed() override;
    void autoLoad();

    RunContext& ctx_;
    TfrmIndex& model_;
    QLabel *count_ = nullptr, *date_ = nullptr;
    QCheckBox* pocketPC_ = nullptr;
    std::array<QCheckBox*, TfrmIndex::kColumnBoxes.size()> columns_{};
    QComboBox* sort_ = nullptr;
    std::array<QRadioButton*, 2> ascDesc_{}, addWhich_{};
    QButtonGroup *ascDescGroup_ = nullptr, *addWhichGroup_ = nullptr;
    QComboBox* home_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* choose_ = nullptr;
    QCheckBox *showImmediate_ = nullptr, *saveOpts_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr;
    QWidget* tableOptions_ = nullptr;
    bool writing_ = false;
    bool finished_ = false;
    QTimer autoLoadTimer_;
};

// "&Indexseite erzeugen" (no directory: the output directory) and the output directory browser's
// index of a subdirectory: opens the dialog over `over`; true when "Indexdatei erzeugen" wrote it.
bool openIndexDialog(RunContext& ctx, TfrmIndex& model, QWidget* over,
                     const std::optional<std::string>& dir = std::nullopt);

}  // namespace vellora
