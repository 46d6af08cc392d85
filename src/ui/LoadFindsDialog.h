#pragma once
// The finds dialog "Eigene Finds einlesen" bound to TfrmLoadFinds: the date range, the protocol,
// the busy animation while pages are loaded (a second apart, from the dialog's timer), "Finds
// laden", "Abbrechen" and the close button.
#include <QDialog>

#include "core/DialogModel.h"
#include "import/LoadFinds.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vellora {

class LoadFindsDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    LoadFindsDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~LoadFindsDialog() override;

    TfrmLoadFinds& model() { return model_; }

    QCheckBox* completeBox() const { return complete_; }
    QDateEdit* fromDate() const { return from_; }
    QListWidget* protocol() const { return protocol_; }
    QProgressBar* busyAnimation() const { return busy_; }
    QLabel* pageLabel() const { return page_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* closeButton() const { return close_; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void modelChanged() override { refresh(); }

    TfrmLoadFinds model_;
    bool updating_ = false;
    QCheckBox* complete_ = nullptr;
    QDateEdit* from_ = nullptr;
    QListWidget* protocol_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QLabel* page_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace vellora
