#pragma once
// "Ergebnisliste der Namensuche" over TCacheSubSelector: the hits with their ticks.
#include <QDialog>

#include "worklist/CacheSubSelector.h"

class QListWidget;
class QPushButton;

namespace vellora {

class RunContext;

class CacheSubSelectorDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    CacheSubSelectorDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~CacheSubSelectorDialog() override;

    TCacheSubSelector& model() { return model_; }
    QListWidget* list() const { return list_; }
    QPushButton* acceptButton() const { return accept_; }

private:
    void modelChanged() override;
    void showDetails(int i);

    RunContext& ctx_;
    TCacheSubSelector model_;
    QListWidget* list_ = nullptr;
    QPushButton* accept_ = nullptr;
    bool refreshing_ = false;
};

}  // namespace vellora
