#pragma once
// The dialog "Buddy-Liste verwalten" bound to TfrmBuddylist.
#include <QDialog>

#include "shell/Buddylist.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace vellora {

class RunContext;

class BuddyDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    explicit BuddyDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~BuddyDialog() override;

    TfrmBuddylist& model() { return model_; }
    QListWidget* list() const { return list_; }
    QLineEdit* newEntry() const { return edit_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* okButton() const { return ok_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void modelChanged() override;
    void modelClosed() override;
    void reject() override;

    TfrmBuddylist model_;
    QListWidget* list_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool updating_ = false;
};

}  // namespace vellora
