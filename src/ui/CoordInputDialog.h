#pragma once
// The coordinate input dialog "Geograpische Koordinaten eingeben/ändern" bound to TCoordInput.
#include <QDialog>
#include <array>

#include "core/CoordInput.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellora {

class CoordInputDialog : public QDialog, private TCoordInputObserver {
    Q_OBJECT
public:
    // The model is set up by the caller (position, description); the dialog calls show() on it.
    CoordInputDialog(TCoordInput& model, bool showTooltips, QWidget* parent = nullptr);
    ~CoordInputDialog() override { model_.setObserver(nullptr); }

    QLineEdit* box(CoordBox b) const { return boxes_[static_cast<std::size_t>(b)]; }
    QComboBox* latHemisphere() const { return latHemi_; }
    QComboBox* lonHemisphere() const { return lonHemi_; }
    QLineEdit* description() const { return description_; }
    QPushButton* okButton() const { return ok_; }
    QLabel* problemLabel() const { return problem_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void boxFilled(CoordBox box, const std::string& text) override;
    void hemispheresChanged(int latIndex, int lonIndex) override;
    void okEnabledChanged(bool enabled) override;
    void problemChanged(const std::string& text) override;
    void okClicked();

    TCoordInput& model_;
    std::array<QLineEdit*, 6> boxes_{};
    QComboBox* latHemi_ = nullptr;
    QComboBox* lonHemi_ = nullptr;
    QGroupBox* descriptionGroup_ = nullptr;
    QLineEdit* description_ = nullptr;
    QPushButton* ok_ = nullptr;
    QLabel* problem_ = nullptr;
};

// Runs the dialog modally over `over`; true when it ended with OK (the model then holds the result).
bool editCoordinates(TCoordInput& model, QWidget* over, bool showTooltips);

}  // namespace vellora
