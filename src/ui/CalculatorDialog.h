#pragma once
// The calculator "Wegpunktberechnungen" (distance page and projection page) bound to
// CalculatorModel. The cache search buttons ask chooseCache for a waypoint; without one they
// stay disabled.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/Calculator.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vellora {

class CalculatorDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    // The model outlives the dialog: its numbers are kept for the run of the program.
    // Lets the user pick a cache (the name search); nothing when cancelled.
    using CacheChooser = std::function<std::optional<std::string>()>;

    CalculatorDialog(CalculatorModel& model, bool showTooltips, QWidget* parent = nullptr,
                     CacheChooser chooseCache = {});
    ~CalculatorDialog() override;

    QTabWidget* pages() const { return pages_; }
    // Fields by the model's inputs, for tests.
    QLineEdit* degrees(const CoordFields& f) const;
    QLineEdit* minutes(const CoordFields& f) const;
    QComboBox* hemisphere(const CoordFields& f) const;
    QLineEdit* distanceEdit() const { return distance_; }
    QLineEdit* bearingEdit() const { return bearing_; }
    QLabel* distanceResult() const { return distanceResult_; }
    QLabel* projectionLine(int n) const { return projectionLines_[n]; }
    QPushButton* searchButton(CalculatorModel::Group group) const { return search_[static_cast<int>(group)]; }

private:
    struct Row {
        CoordFields* fields;
        QLineEdit* degrees;
        QLineEdit* minutes;
        QComboBox* hemisphere;
    };
    void addRow(QGridLayout* grid, int row, const char* label, CoordFields& f, bool latitude,
                CalculatorModel::FieldKind degreeKind);
    void modelChanged() override;
    QPushButton* addSearchButton(QWidget* parent, CalculatorModel::Group group);

    CalculatorModel& model_;
    QTabWidget* pages_ = nullptr;
    std::vector<Row> rows_;
    QLineEdit* distance_ = nullptr;
    QLineEdit* bearing_ = nullptr;
    QLabel* distanceResult_ = nullptr;
    QLabel* projectionLines_[2] = {nullptr, nullptr};
    CacheChooser chooseCache_;
    QPushButton* search_[3] = {nullptr, nullptr, nullptr};
    bool updating_ = false;
};

}  // namespace vellora
