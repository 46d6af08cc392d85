#pragma once
// The long-description editor "Editor" bound to TfrmEditor: the HTML of the long description in a
// plain text area, "Automatischer Zeilenumbruch", "Vorschau im Browser", "Speichern" and
// "Verwerfen".
#include <QDialog>
#include <string>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace vellora {

class RunContext;
class TfrmEditor;

class EditorDialog : public QDialog {
    Q_OBJECT
public:
    // The model has been opened (Edit returned true).
    EditorDialog(RunContext& ctx, TfrmEditor& model, QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return editor_; }
    QCheckBox* wordWrapBox() const { return wordWrap_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* discardButton() const { return discard_; }
    QPushButton* previewButton() const { return preview_; }

    // The window's own close discards, as "Verwerfen" does.
    void reject() override;

private:
    void applyWordWrap();

    TfrmEditor& model_;
    QPlainTextEdit* editor_ = nullptr;
    QCheckBox* wordWrap_ = nullptr;
    QPushButton *save_ = nullptr, *discard_ = nullptr, *preview_ = nullptr;
};

// "Langbeschreibung editieren" of the output directory browser for dir + waypoint +
// "_converted.html"; true when the edited text was saved.
bool editLongDescription(RunContext& ctx, const std::string& dir, const std::string& waypoint, QWidget* over);

}  // namespace vellora
