#pragma once
// The dialog "Datenbank aus Cachebeschreibungen befüllen" bound to TfrmDbFromListings: the
// directory to search, what to do with caches already in the database, the work-list option, the
// protocol, "Start" and "Schließen".
#include <QDialog>

#include "core/DialogModel.h"
#include "import/DbFromListings.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vellora {

class DbFromListingsDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    DbFromListingsDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~DbFromListingsDialog() override;

    TfrmDbFromListings& model() { return model_; }

    QRadioButton* outputDirButton() const { return outputDir_; }
    QRadioButton* otherDirButton() const { return otherDir_; }
    QLineEdit* directoryField() const { return directory_; }
    QPushButton* browseButton() const { return browse_; }
    QRadioButton* skipButton() const { return skip_; }
    QRadioButton* updateButton() const { return update_; }
    QCheckBox* workListBox() const { return workList_; }
    QListWidget* protocol() const { return protocol_; }
    QProgressBar* busyBar() const { return busy_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* closeButton() const { return close_; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void modelChanged() override { refresh(); }
    void startClicked();

    TfrmDbFromListings model_;
    bool running_ = false;
    QRadioButton* outputDir_ = nullptr;
    QRadioButton* otherDir_ = nullptr;
    QLineEdit* directory_ = nullptr;
    QPushButton* browse_ = nullptr;
    QRadioButton* skip_ = nullptr;
    QRadioButton* update_ = nullptr;
    QCheckBox* workList_ = nullptr;
    QListWidget* protocol_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace vellora
