#pragma once
// The dialog "ROT13 codieren / decodieren" bound to Rot13DialogModel.
#include <QDialog>

#include "tools/Rot13.h"

class QPlainTextEdit;
class QPushButton;

namespace vellora {

class Rot13Dialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    explicit Rot13Dialog(bool showTooltips, QWidget* parent = nullptr);
    ~Rot13Dialog() override { model_.setObserver(nullptr); }

    Rot13DialogModel& model() { return model_; }
    QPlainTextEdit* text() const { return text_; }
    QPushButton* rot13Button() const { return rot13_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showText();
    void modelChanged() override { showText(); }

    Rot13DialogModel model_;
    QPlainTextEdit* text_ = nullptr;
    QPushButton* rot13_ = nullptr;
    bool updating_ = false;
};

}  // namespace vellora
