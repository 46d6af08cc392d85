#pragma once
// "Cache nach Name suchen" over TNameSearch: one cache chosen from the database by its name.
#include <QDialog>
#include <optional>
#include <string>

#include "worklist/NameSearch.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vellora {

class NameSearchDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    NameSearchDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~NameSearchDialog() override;

    TNameSearch& model() { return model_; }
    QLineEdit* searchField() const { return search_; }
    QPushButton* searchButton() const { return searchButton_; }
    QListWidget* list() const { return list_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* acceptButton() const { return accept_; }

    void reject() override;

private:
    void modelChanged() override;

    TNameSearch model_;
    QLineEdit* search_ = nullptr;
    QPushButton *searchButton_ = nullptr, *accept_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* count_ = nullptr;
    bool refreshing_ = false;
};

// Runs the dialog over `over`; the first chosen waypoint, or nothing when cancelled.
std::optional<std::string> chooseCacheByName(RunContext& ctx, QWidget* over);

}  // namespace vellora
