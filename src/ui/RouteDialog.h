#pragma once
// The dialog "Caches entlang einer Route suchen" bound to RouteSearchModel, and its type filter
// "Cachefilter". "Ergebnis bearbeiten" opens the map window with the results and the route.
#include <QDialog>
#include <array>
#include <functional>

#include "tools/RouteSearch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vellora {

class RouteFilterDialog : public QDialog {
    Q_OBJECT
public:
    RouteFilterDialog(RouteTypeFilter& filter, QWidget* parent = nullptr);
    QCheckBox* typeBox(int code) const { return boxes_[static_cast<std::size_t>(code)]; }

    void accept() override;

private:
    RouteTypeFilter& filter_;
    std::array<QCheckBox*, 10> boxes_{};
};

class RouteDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    RouteDialog(RunContext& ctx, RouteTypeFilter& filter, QWidget* parent = nullptr);
    ~RouteDialog() override;

    RouteSearchModel& model() { return model_; }
    QComboBox* formatChoice() const { return format_; }
    QPushButton* loadButton() const { return load_; }
    QLineEdit* widthEdit() const { return width_; }
    QCheckBox* filterBox() const { return filterOn_; }
    QPushButton* calculateButton() const { return calculate_; }
    QPushButton* abortButton() const { return abort_; }
    QListWidget* resultList() const { return results_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* removeFindsButton() const { return removeFinds_; }
    QPushButton* mapButton() const { return map_; }
    QCheckBox* keepBox() const { return keep_; }
    QPushButton* transferButton() const { return transfer_; }
    QLabel* countLabel() const { return count_; }

    // Opens the filter dialog as the filter box asks for it (tests replace it).
    std::function<bool(RouteTypeFilter&)> runFilterDialog;

    // A running calculation is aborted first; the dialog closes on the next request.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void modelChanged() override;
    void modelClosed() override;
    void showDetails(int row);
    // "Ergebnis bearbeiten": the results and the route in the map window; the caches removed there
    // leave the result list when the map window is confirmed.
    void editInMap();

    RunContext& ctx_;
    RouteTypeFilter& filter_;
    RouteSearchModel model_;
    QComboBox* format_;
    QPushButton* load_;
    QLabel *source_, *points_, *action_, *count_;
    QLineEdit* width_;
    QCheckBox* filterOn_;
    QPushButton *calculate_, *abort_, *remove_, *removeFinds_, *map_, *transfer_, *close_;
    QListWidget* results_;
    QCheckBox* keep_;
    bool updating_ = false;
};

}  // namespace vellora
