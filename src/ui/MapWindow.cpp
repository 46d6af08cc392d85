#include "ui/MapWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/CacheRec.h"
#include "core/GCDBParse.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

QColor qcolour(MapRgb c) {
    return QColor(c.r, c.g, c.b);
}

}  // namespace

void QtMapCanvas::useFont(int pointSize) {
    QFont font = painter_.font();
    if (font.pointSize() != pointSize) {
        font.setPointSize(pointSize);
        painter_.setFont(font);
    }
}

void QtMapCanvas::fillRect(const MapRect& r, MapRgb colour) {
    painter_.fillRect(r.x, r.y, r.w, r.h, qcolour(colour));
}

void QtMapCanvas::fillRects(const std::vector<MapRect>& rects, MapRgb colour) {
    // Whole-pixel crosses need no antialiasing; drawing them as one batch keeps 100,000 fast.
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(qcolour(colour));
    QList<QRect> list;
    list.reserve(static_cast<qsizetype>(rects.size()));
    for (const MapRect& r : rects) list.append(QRect(r.x, r.y, r.w, r.h));
    painter_.drawRects(list);
    painter_.restore();
}

void QtMapCanvas::frameRect(const MapRect& r, MapRgb colour) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(qcolour(colour));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(r.x, r.y, r.w - 1, r.h - 1);
    painter_.restore();
}

void QtMapCanvas::line(MapPoint from, MapPoint to, MapRgb colour) {
    painter_.setPen(qcolour(colour));
    painter_.drawLine(from.x, from.y, to.x, to.y);
}

void QtMapCanvas::polyline(const std::vector<MapPoint>& points, MapRgb colour) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const MapPoint& p : points) polygon.append(QPoint(p.x, p.y));
    painter_.setPen(QPen(qcolour(colour), 1));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolyline(polygon);
}

void QtMapCanvas::filledCircle(MapPoint centre, int radius, MapRgb colour) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(qcolour(colour));
    painter_.drawEllipse(QPoint(centre.x, centre.y), radius, radius);
}

void QtMapCanvas::text(MapPoint at, std::string_view text, int pointSize, MapRgb colour) {
    useFont(pointSize);
    painter_.setPen(qcolour(colour));
    painter_.drawText(at.x, at.y + painter_.fontMetrics().ascent(), qs(text));
}

void QtMapCanvas::verticalText(MapPoint at, std::string_view text, int pointSize, MapRgb colour) {
    useFont(pointSize);
    painter_.save();
    painter_.setPen(qcolour(colour));
    painter_.translate(at.x, at.y);
    painter_.rotate(90);
    painter_.drawText(0, painter_.fontMetrics().ascent(), qs(text));
    painter_.restore();
}

int QtMapCanvas::textWidth(std::string_view text, int pointSize) {
    useFont(pointSize);
    return painter_.fontMetrics().horizontalAdvance(qs(text));
}

void renderMap(TfrmMap& model, QImage& image) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QtMapCanvas canvas(painter);
    model.paint(canvas, image.width(), image.height());
}

MapArea::MapArea(TfrmMap& model, QWidget* parent) : QWidget(parent), model_(model) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(300, 250);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MapArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QtMapCanvas canvas(painter);
    model_.paint(canvas, width(), height());
}

void MapArea::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit pointed(qs(model_.captionAt(at.x(), at.y(), width(), height())));
}

void MapArea::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    if (!left && event->button() != Qt::RightButton) return;
    const bool shiftOnly = event->modifiers() == Qt::ShiftModifier;
    if (model_.click(at.x(), at.y(), width(), height(), left, shiftOnly) == TfrmMap::ClickAction::CacheInfo)
        emit cacheInfoRequested(at.x(), at.y());
}

MapWindow::MapWindow(RunContext& ctx, TfrmMap& model, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(model) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(qs(TfrmMap::kCaption));
    setMinimumSize(TfrmMap::kMinWidth, TfrmMap::kMinHeight);
    model_.setObserver(this);

    area_ = new MapArea(model_, this);
    area_->setObjectName(QStringLiteral("imgMap"));
    connect(area_, &MapArea::pointed, this, &QWidget::setWindowTitle);
    connect(area_, &MapArea::cacheInfoRequested, this, &MapWindow::showCacheInfo);

    auto* side = new QVBoxLayout;
    auto* panGrid = new QGridLayout;
    panGrid->setSpacing(2);
    static const char* const kArrows[3][3] = {
        {"\xE2\x86\x96", "\xE2\x86\x91", "\xE2\x86\x97"},
        {"\xE2\x86\x90", nullptr, "\xE2\x86\x92"},
        {"\xE2\x86\x99", "\xE2\x86\x93", "\xE2\x86\x98"},
    };
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const int east = col - 1, north = 1 - row;
            auto* button = new QPushButton(this);
            button->setFixedSize(32, 32);
            if (east == 0 && north == 0) {
                button->setText(QString::fromUtf8("\xE2\x8C\x82"));  // a house: the whole map
                button->setObjectName(QStringLiteral("btnOverview"));
                button->setToolTip(qs(TfrmMap::kOverviewHint));
                connect(button, &QPushButton::clicked, this, [this] { model_.showOverview(); });
                overview_ = button;
            } else {
                button->setText(QString::fromUtf8(kArrows[row][col]));
                button->setObjectName(QStringLiteral("btnPan%1%2").arg(east + 1).arg(north + 1));
                button->setToolTip(qs(TfrmMap::kPanHint));
                connect(button, &QPushButton::clicked, this,
                        [this, east, north] { model_.pan(east, north); });
            }
            pan_[row][col] = button;
            panGrid->addWidget(button, row, col);
        }
    }
    side->addLayout(panGrid);

    zoomToCaches_ = new QPushButton(qs(TfrmMap::kZoomToCachesButton), this);
    zoomToCaches_->setObjectName(QStringLiteral("btnZoomToCaches"));
    connect(zoomToCaches_, &QPushButton::clicked, this, [this] { model_.zoomToCaches(); });
    side->addWidget(zoomToCaches_);

    cacheInfo_ = new QCheckBox(qs(TfrmMap::kCacheInfoBox), this);
    cacheInfo_->setObjectName(QStringLiteral("cbCacheInfo"));
    connect(cacheInfo_, &QCheckBox::toggled, this, [this](bool on) {
        model_.cacheInfoMode = on;
        area_->setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });
    side->addWidget(cacheInfo_);

    auto* group = new QGroupBox(qs(TfrmMap::kShowGroup), this);
    auto* groupLayout = new QVBoxLayout(group);
    const auto addBox = [&](const char* caption, const char* name, bool TfrmMap::*member) {
        auto* box = new QCheckBox(qs(caption), group);
        box->setObjectName(QString::fromLatin1(name));
        connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
            model_.*member = on;
            model_.optionsChanged();
        });
        groupLayout->addWidget(box);
        return box;
    };
    wpNames_ = addBox(TfrmMap::kWpNamesBox, "cbWPNames", &TfrmMap::showWpNames);
    scale_ = addBox(TfrmMap::kScaleBox, "cbScale", &TfrmMap::showScale);
    grid_ = addBox(TfrmMap::kGridBox, "cbGrid", &TfrmMap::showGrid);
    towns_ = addBox(TfrmMap::kTownsBox, "cbTowns", &TfrmMap::showTowns);
    side->addWidget(group);
    side->addStretch();

    auto* ok = new QPushButton(qs(TfrmMap::kOkButton), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setToolTip(qs(TfrmMap::kOkHint));
    connect(ok, &QPushButton::clicked, this, [this] {
        model_.accept();
        accept();
    });
    auto* cancel = new QPushButton(qs(TfrmMap::kCancelButton), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setToolTip(qs(TfrmMap::kCancelHint));
    connect(cancel, &QPushButton::clicked, this, [this] {
        model_.reject();
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] { model_.reject(); });
    side->addWidget(ok);
    side->addWidget(cancel);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(area_, 1);
    layout->addLayout(side);
    resize(820, 620);
}

MapWindow::~MapWindow() {
    model_.setObserver(nullptr);
}

QPushButton* MapWindow::panButton(int east, int north) const {
    if (east < -1 || east > 1 || north < -1 || north > 1) return nullptr;
    return pan_[1 - north][east + 1];
}

void MapWindow::syncBoxes() {
    const QSignalBlocker b1(cacheInfo_), b2(wpNames_), b3(scale_), b4(grid_), b5(towns_);
    cacheInfo_->setChecked(model_.cacheInfoMode);
    wpNames_->setChecked(model_.showWpNames);
    scale_->setChecked(model_.showScale);
    grid_->setChecked(model_.showGrid);
    towns_->setChecked(model_.showTowns);
    area_->setCursor(model_.cacheInfoMode ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool MapWindow::run() {
    model_.open();
    syncBoxes();
    const bool ok = execCentred(*this, parentWidget()) == QDialog::Accepted;
    model_.close();
    return ok && model_.accepted();
}

void MapWindow::modelChanged() {
    syncBoxes();
    area_->update();
}

void MapWindow::showCacheInfo(int x, int y) {
    const std::optional<std::size_t> index = model_.nearestCache(x, y, area_->width(), area_->height());
    if (!index) return;
    TCacheRec rec;
    if (!FindCache(ctx_, model_.caches()[*index].waypoint, rec)) return;
    CacheDetailsDialog details(ctx_, this);
    details.model().record = rec;
    details.model().foundDate.clear();
    details.model().captionText = " ";
    details.model().removeButtonVisible = true;
    details.refresh();
    execCentred(details, this);
    if (details.model().result() == TfrmCacheDetails::Result::Remove) model_.removeCache(*index);
}

}  // namespace vellora
