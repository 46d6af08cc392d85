#pragma once
// The map window "Map" over TfrmMap: the drawing area, the pan and zoom buttons, the check boxes
// of "In Karte einblenden", and the details window of the cache nearest to a click.
#include <QDialog>
#include <QWidget>

#include "shell/Map.h"

class QCheckBox;
class QImage;
class QPainter;
class QPushButton;

namespace vellora {

// Draws the map into any QPainter (the window, or an image for tests and benchmarks).
class QtMapCanvas : public MapCanvas {
public:
    explicit QtMapCanvas(QPainter& painter) : painter_(painter) {}
    void fillRect(const MapRect& r, MapRgb colour) override;
    void fillRects(const std::vector<MapRect>& rects, MapRgb colour) override;
    void frameRect(const MapRect& r, MapRgb colour) override;
    void line(MapPoint from, MapPoint to, MapRgb colour) override;
    void polyline(const std::vector<MapPoint>& points, MapRgb colour) override;
    void filledCircle(MapPoint centre, int radius, MapRgb colour) override;
    void text(MapPoint at, std::string_view text, int pointSize, MapRgb colour) override;
    void verticalText(MapPoint at, std::string_view text, int pointSize, MapRgb colour) override;
    int textWidth(std::string_view text, int pointSize) override;

private:
    void useFont(int pointSize);
    QPainter& painter_;
};

// Paints the whole map into the image (antialiased, as the window does).
void renderMap(TfrmMap& model, QImage& image);

class MapArea : public QWidget {
    Q_OBJECT
public:
    MapArea(TfrmMap& model, QWidget* parent);
    QSize sizeHint() const override { return {640, 560}; }

signals:
    void pointed(const QString& caption);
    void cacheInfoRequested(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TfrmMap& model_;
};

class MapWindow : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    MapWindow(RunContext& ctx, TfrmMap& model, QWidget* parent = nullptr);
    ~MapWindow() override;

    // Opens modally, centred over the parent; true when closed with OK.
    bool run();

    TfrmMap* model() const { return &model_; }
    MapArea* area() const { return area_; }
    QPushButton* panButton(int east, int north) const;
    QPushButton* overviewButton() const { return overview_; }
    QPushButton* zoomToCachesButton() const { return zoomToCaches_; }
    QCheckBox* cacheInfoBox() const { return cacheInfo_; }
    QCheckBox* wpNamesBox() const { return wpNames_; }
    QCheckBox* scaleBox() const { return scale_; }
    QCheckBox* gridBox() const { return grid_; }
    QCheckBox* townsBox() const { return towns_; }

    // The details window of the cache nearest to the pixel; removes the cache when it ends with
    // "remove".
    void showCacheInfo(int x, int y);

private:
    void modelChanged() override;
    void syncBoxes();

    RunContext& ctx_;
    TfrmMap& model_;
    MapArea* area_ = nullptr;
    QPushButton* pan_[3][3] = {};
    QPushButton* overview_ = nullptr;
    QPushButton* zoomToCaches_ = nullptr;
    QCheckBox* cacheInfo_ = nullptr;
    QCheckBox* wpNames_ = nullptr;
    QCheckBox* scale_ = nullptr;
    QCheckBox* grid_ = nullptr;
    QCheckBox* towns_ = nullptr;
};

}  // namespace vellora
