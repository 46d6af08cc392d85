#pragma once
// The dialog "GPX-Import" bound to TfrmGPXImp: file line, options, centre of the radius search,
// the pass-1 output that becomes the pending list, and the two pass buttons. A double click on a
// pending entry shows its details (both records for a changed cache) with the remove button.
#include <QDialog>

#include "import/GpxImport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vellora {

class GpxImportDialog : public QDialog, public DialogModel::Observer {
    Q_OBJECT
public:
    GpxImportDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~GpxImportDialog() override;

    TfrmGPXImp& model() { return model_; }
    // Opens the model on the file and shows the dialog modally, centred over the parent.
    int runOn(const std::string& path);

    QListWidget* list() const { return list_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* workButton() const { return work_; }
    QLabel* counterLabel() const { return counter_; }

    void modelChanged() override;
    void modelClosed() override;

protected:
    void reject() override;

private:
    void inspect(int row);

    RunContext& ctx_;
    TfrmGPXImp model_;
    QLabel* file_ = nullptr;
    QCheckBox* saveOpts_ = nullptr;
    QCheckBox* radSrch_ = nullptr;
    QCheckBox* getDescr_ = nullptr;
    QCheckBox* keepOld_ = nullptr;
    QLineEdit* radius_ = nullptr;
    QComboBox* centre_ = nullptr;
    QLabel* centreCoords_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* counter_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* work_ = nullptr;
    QPushButton* close_ = nullptr;
    bool listShowsPending_ = false;
    int shownLines_ = 0;
    bool updating_ = false;
};

}  // namespace vellora
