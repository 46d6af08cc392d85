#include "ui/CacheDetailsDialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/RunContext.h"
#include "ui/AddInfoDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"
#include "ui/Resources.h"

namespace vellora {

QPixmap ratingBarPixmap(int width) {
    const int w = std::max(width, 1);
    QPixmap pm(w, kRatingBarPixelsPerPoint);
    pm.fill(Qt::transparent);
    if (width <= 0) return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath star;
    const double r1 = 8.0, r2 = 3.4;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double r = i % 2 ? r2 : r1;
        const QPointF pt(9 + r * std::cos(a), 9.5 + r * std::sin(a));
        if (i == 0) {
            star.moveTo(pt);
        } else {
            star.lineTo(pt);
        }
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x6a, 0x10), 0.8));
    p.setBrush(QColor(0xf5, 0xb8, 0x00));
    for (int x = 0; x < width; x += kRatingBarPixelsPerPoint) p.drawPath(star.translated(x, 0));
    return pm;
}

QLabel* CacheDetailsDialog::addLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->installEventFilter(this);
    labels_[name] = label;
    return label;
}

QLabel* CacheDetailsDialog::label(const char* name) const {
    const auto it = labels_.find(name);
    return it == labels_.end() ? nullptr : it->second;
}

CacheDetailsDialog::CacheDetailsDialog(RunContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(ctx) {
    setWindowTitle(qs(kCacheDetailsCaption));
    setObjectName(QStringLiteral("frmCacheDetails"));
    setMinimumWidth(500);

    QLabel* found = addLabel("lblFound", this);
    QFont bold = found->font();
    bold.setBold(true);
    found->setFont(bold);
    found->setStyleSheet(QStringLiteral("color: #1f6b37;"));
    addLabel("lblFoundDate", this);

    const QString white = QStringLiteral("QGroupBox { background: white; }");
    auto* cacheGroup = new QGroupBox(QStringLiteral("Cache"), this);
    cacheGroup->setStyleSheet(white);
    cacheGroup->installEventFilter(this);
    auto* cacheLayout = new QHBoxLayout(cacheGroup);
    QLabel* picture = addLabel("imgType", cacheGroup);
    picture->setFixedSize(48, 48);
    QLabel* name = addLabel("lblCacheName", cacheGroup);
    name->setWordWrap(true);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 2);
    name->setFont(big);
    cacheLayout->addWidget(picture);
    cacheLayout->addWidget(name, 1);

    auto* detailsGroup = new QGroupBox(QStringLiteral("Details"), this);
    detailsGroup->setStyleSheet(white);
    detailsGroup->installEventFilter(this);
    auto* grid = new QGridLayout(detailsGroup);
    int row = 0;
    auto pair = [&](const char* caption, const char* captionName, const char* valueName) {
        QLabel* c = addLabel(captionName, detailsGroup);
        c->setText(qs(caption));
        grid->addWidget(c, row, 0);
        grid->addWidget(addLabel(valueName, detailsGroup), row, 1);
        ++row;
    };
    pair("Cache-ID:", "capCacheID", "lblCacheID");
    pair("Waypoint:", "capWaypoint", "lblWaypoint");
    pair("Cachesize:", "capCacheSize", "lblCacheSize");
    pair("Difficulty:", "capDifficulty", "lblDifficulty");
    grid->addWidget(addLabel("barDifficulty", detailsGroup), row - 1, 2);
    pair("Terrain:", "capTerrain", "lblTerrain");
    grid->addWidget(addLabel("barTerrain", detailsGroup), row - 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(2, 5 * kRatingBarPixelsPerPoint);

    auto* info = new QGridLayout;
    row = 0;
    auto line = [&](const char* caption, const char* captionName, const char* valueName) {
        QLabel* c = addLabel(captionName, this);
        c->setText(qs(caption));
        info->addWidget(c, row, 0);
        info->addWidget(addLabel(valueName, this), row, 1);
        ++row;
    };
    line("Versteckt:", "capHidden", "lblHidden");
    line("Koordinaten:", "capCoords", "lblCoords");
    info->addWidget(addLabel("lblDistance", this), row++, 0, 1, 2);
    line("Land:", "capCountry", "lblCountry");
    info->setColumnStretch(1, 1);

    show_ = new QPushButton(qs(kShowButton), this);
    show_->setAutoDefault(false);
    notePresent_ = new QPushButton(programIcon(QStringLiteral("notes-present")), qs("Notizen"), this);
    notePresent_->setObjectName(QStringLiteral("btnNotePresent"));
    noNote_ = new QPushButton(programIcon(QStringLiteral("notes-none")), qs("Notizen"), this);
    noNote_->setObjectName(QStringLiteral("btnNoteNone"));
    for (QPushButton* b : {notePresent_, noNote_}) {
        b->setToolTip(qs(kNotesHint));
        b->setAutoDefault(false);
        b->setIconSize(QSize(20, 20));
    }
    keep_ = new QPushButton(qs("Behalten"), this);
    keep_->setToolTip(qs(kKeepHint));
    remove_ = new QPushButton(qs("Entfernen"), this);
    remove_->setToolTip(qs(kRemoveHint));
    for (QPushButton* b : {keep_, remove_}) b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(show_);
    buttons->addWidget(notePresent_);
    buttons->addWidget(noNote_);
    buttons->addStretch();
    buttons->addWidget(keep_);
    buttons->addWidget(remove_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label("lblFound"));
    layout->addWidget(label("lblFoundDate"));
    layout->addWidget(cacheGroup);
    layout->addWidget(detailsGroup);
    layout->addLayout(info);
    layout->addLayout(buttons);

    connect(show_, &QPushButton::clicked, this, [this] { model_.showClick(); });
    connect(notePresent_, &QPushButton::clicked, this, &CacheDetailsDialog::openNotes);
    connect(noNote_, &QPushButton::clicked, this, &CacheDetailsDialog::openNotes);
    connect(keep_, &QPushButton::clicked, this, [this] {
        model_.keepClick();
        finish();
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        model_.removeClick();
        finish();
    });
    // Keys anywhere in the window close it; the window filters its own keys too.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void CacheDetailsDialog::refresh() {
    model_.open();
    const TCacheRec& r = model_.record;
    auto set = [this](const char* name, const std::string& text) { label(name)->setText(qs(text)); };
    set("lblFound", model_.foundLineText());
    label("lblFound")->setVisible(model_.foundLineVisible());
    set("lblFoundDate", model_.foundDateText());
    label("lblFoundDate")->setVisible(model_.foundDateVisible());
    const int type = model_.typePicture();
    label("imgType")->setPixmap(type >= 0 ? programPixmap(QStringLiteral("type%1").arg(type), 48, 48)
                                          : QPixmap());
    set("lblCacheName", r.CacheName);
    set("lblCacheID", model_.cacheIdText());
    set("lblWaypoint", r.Waypoint);
    set("lblCacheSize", r.CacheSize);
    set("lblDifficulty", model_.difficultyText());
    set("lblTerrain", model_.terrainText());
    label("barDifficulty")->setPixmap(ratingBarPixmap(model_.difficultyBar()));
    label("barTerrain")->setPixmap(ratingBarPixmap(model_.terrainBar()));
    set("lblHidden", model_.hiddenText());
    set("lblCoords", model_.coordinatesText());
    set("lblDistance", model_.distanceText());
    set("lblCountry", model_.countryText());
    show_->setVisible(model_.showButtonVisible());
    notePresent_->setVisible(model_.notesButton() == TfrmCacheDetails::NotesButton::NotePresent);
    noNote_->setVisible(model_.notesButton() == TfrmCacheDetails::NotesButton::NoNote);
    keep_->setVisible(model_.keepButtonVisible);
    remove_->setVisible(model_.removeButtonVisible);
    applyTooltips(this, ctx_.settings.ShowTooltips);
}

void CacheDetailsDialog::setRed(const char* name, bool red) {
    if (QLabel* l = label(name))
        l->setStyleSheet(red ? QStringLiteral("color: red;") : QStringLiteral("color: black;"));
}

void CacheDetailsDialog::markDifferences(const TCacheRec& other) {
    const auto d = model_.compareWith(other);
    const std::pair<bool, std::array<const char*, 2>> pairs[] = {
        {d.cacheId, {"capCacheID", "lblCacheID"}},       {d.name, {"lblCacheName", "lblCacheName"}},
        {d.hidden, {"capHidden", "lblHidden"}},          {d.coordinates, {"capCoords", "lblCoords"}},
        {d.coordinates, {"lblDistance", "lblDistance"}}, {d.size, {"capCacheSize", "lblCacheSize"}},
        {d.waypoint, {"capWaypoint", "lblWaypoint"}},    {d.difficulty, {"capDifficulty", "lblDifficulty"}},
        {d.terrain, {"capTerrain", "lblTerrain"}},       {d.country, {"capCountry", "lblCountry"}},
    };
    for (const auto& [red, names] : pairs) {
        for (const char* n : names) setRed(n, red);
    }
}

void CacheDetailsDialog::openNotes() {
    editNotes(ctx_, model_.record.Waypoint, this);
    model_.notesChanged();
    notePresent_->setVisible(model_.notesButton() == TfrmCacheDetails::NotesButton::NotePresent);
    noNote_->setVisible(model_.notesButton() == TfrmCacheDetails::NotesButton::NoNote);
}

void CacheDetailsDialog::finish() {
    accept();
}

void CacheDetailsDialog::mousePressEvent(QMouseEvent* event) {
    model_.click();
    finish();
    event->accept();
}

bool CacheDetailsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        (qobject_cast<QLabel*>(watched) || qobject_cast<QGroupBox*>(watched))) {
        model_.click();
        finish();
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        (watched == this || isAncestorOf(static_cast<QWidget*>(watched)))) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control || key->key() == Qt::Key_Alt ||
            key->key() == Qt::Key_Meta)
            return false;
        const bool modifier = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const auto k =
            key->key() == Qt::Key_Delete ? TfrmCacheDetails::Key::Delete : TfrmCacheDetails::Key::Other;
        if (model_.keyPressed(k, modifier)) finish();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TfrmCacheDetails::Result showCacheDetails(RunContext& ctx, const TCacheRec& rec, const std::string& directory,
                                          QWidget* over) {
    CacheDetailsDialog dialog(ctx, over);
    dialog.model().record = rec;
    dialog.model().directory = directory;
    dialog.refresh();
    execCentred(dialog, over);
    return dialog.model().result();
}

}  // namespace vellora
