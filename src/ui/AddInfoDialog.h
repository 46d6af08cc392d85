#pragma once
// The notes dialog "Persönliche Cache-Zusatzinformationen" bound to TfrmAddInfo.
#include <QDialog>

#include "shell/AddInfo.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace vellora {

class AddInfoDialog : public QDialog {
    Q_OBJECT
public:
    AddInfoDialog(RunContext& ctx, const std::string& waypoint, QWidget* parent = nullptr);

    TfrmAddInfo& model() { return model_; }
    QPlainTextEdit* editor() const { return editor_; }
    QCheckBox* lineBreakBox() const { return lineBreak_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* eraseButton() const { return erase_; }

private:
    void applyLineBreak();

    TfrmAddInfo model_;
    QPlainTextEdit* editor_ = nullptr;
    QCheckBox* lineBreak_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* erase_ = nullptr;
};

// Opens the notes dialog for a waypoint, modal and centred over `over`; true when it ended with OK.
bool editNotes(RunContext& ctx, const std::string& waypoint, QWidget* over);

}  // namespace vellora
