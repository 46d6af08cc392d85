#pragma once
// The dialog "Umrechnung Länge/Breite <=> UTM" bound to UtmDialogModel. "Cachekoord. suchen"
// asks chooseCache for a waypoint; without one it stays disabled.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "tools/Utm.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vellora {

class UtmDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    UtmDialog(RunContext& ctx, QWidget* parent = nullptr,
              std::function<std::optional<std::string>()> chooseCache = {});
    ~UtmDialog() override;

    UtmDialogModel& model() { return model_; }
    QLineEdit* latDegrees() const { return latDeg_; }
    QLineEdit* latMinutes() const { return latMin_; }
    QComboBox* latHemisphere() const { return latHemi_; }
    QLineEdit* lonDegrees() const { return lonDeg_; }
    QLineEdit* lonMinutes() const { return lonMin_; }
    QComboBox* lonHemisphere() const { return lonHemi_; }
    QLineEdit* zone() const { return zone_; }
    QComboBox* band() const { return band_; }
    QLineEdit* easting() const { return easting_; }
    QLineEdit* northing() const { return northing_; }
    QPushButton* toUtmButton() const { return toUtm_; }
    QPushButton* toLatLonButton() const { return toLatLon_; }
    QPushButton* searchButton() const { return search_; }

private:
    void modelChanged() override;
    void takeFields();

    UtmDialogModel model_;
    QLineEdit *latDeg_, *latMin_, *lonDeg_, *lonMin_, *zone_, *easting_, *northing_;
    QComboBox *latHemi_, *lonHemi_, *band_;
    QPushButton *toUtm_, *toLatLon_, *search_;
};

}  // namespace vellora
