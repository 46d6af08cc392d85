#pragma once
// The views of the map-service export: "Caches in GoogleMaps zeigen" (which caches, map size)
// and "in GoogleMaps zeigen" (display and zoom of one cache).
#include <QDialog>

#include "export/MapView.h"

class QComboBox;

namespace vellora {

class MapViewDialog : public QDialog {
    Q_OBJECT
public:
    // The model keeps its choices for the run.
    MapViewDialog(MapViewModel& model, QWidget* parent);

private:
    MapViewModel& model_;
    QComboBox* source_;
    QComboBox* size_;
};

class ShowOneCacheDialog : public QDialog {
    Q_OBJECT
public:
    ShowOneCacheDialog(ShowOneCacheModel& model, QWidget* parent);

private:
    ShowOneCacheModel& model_;
    QComboBox* display_;
    QComboBox* zoom_;
};

}  // namespace vellora
