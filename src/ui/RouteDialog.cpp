#include "ui/RouteDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "tools/RouteFiles.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/DialogUtil.h"
#include "ui/KeyFilter.h"
#include "ui/MapWindow.h"
#include "ui/QtText.h"

namespace vellora {

RouteFilterDialog::RouteFilterDialog(RouteTypeFilter& filter, QWidget* parent)
    : QDialog(parent), filter_(filter) {
    setObjectName(QStringLiteral("frmCacheFilter"));
    setWindowTitle(qs(RouteTypeFilter::kCaption));
    auto* group = new QGroupBox(qs(RouteTypeFilter::kPrompt), this);
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < 10; ++i) {
        boxes_[i] = new QCheckBox(qs(RouteTypeFilter::kTypeNames[i]), group);
        boxes_[i]->setChecked(filter.types[i]);
        grid->addWidget(boxes_[i], i % 5, i / 5);
    }
    auto* ok = new QPushButton(qs("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(qs("Abbrechen"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void RouteFilterDialog::accept() {
    for (int i = 0; i < 10; ++i) filter_.types[i] = boxes_[i]->isChecked();
    QDialog::accept();
}

RouteDialog::RouteDialog(RunContext& ctx, RouteTypeFilter& filter, QWidget* parent)
    : QDialog(parent), ctx_(ctx), filter_(filter), model_(ctx, filter) {
    setObjectName(QStringLiteral("frmRouteCaches"));
    setWindowTitle(qs(RouteSearchModel::kCaption));
    runFilterDialog = [this](RouteTypeFilter& f) {
        RouteFilterDialog dialog(f, this);
        return execCentred(dialog, this) == QDialog::Accepted;
    };

    auto* source = new QGroupBox(qs("Route"), this);
    format_ = new QComboBox(source);
    format_->setObjectName(QStringLiteral("cbFormat"));
    for (const char* name : RouteSearchModel::kFormatNames) format_->addItem(qs(name));
    load_ = new QPushButton(qs("Datei laden..."), source);
    load_->setObjectName(QStringLiteral("btnLoad"));
    load_->setToolTip(qs("Eine Routendatei im gew\xE4hlten Format laden"));
    source_ = new QLabel(source);
    points_ = new QLabel(source);
    width_ = new QLineEdit(source);
    width_->setObjectName(QStringLiteral("edWidth"));
    width_->setMaximumWidth(80);
    KeyFilter::install(width_, [](char c) { return RouteSearchModel::filterWidthKey(c); });
    filterOn_ = new QCheckBox(qs("Suchergebnis filtern"), source);
    filterOn_->setObjectName(QStringLiteral("cbFilter"));
    auto* s = new QGridLayout(source);
    s->addWidget(new QLabel(qs("Format der Quelldatei:"), source), 0, 0);
    s->addWidget(format_, 0, 1);
    s->addWidget(load_, 0, 2);
    s->addWidget(source_, 1, 0, 1, 3);
    s->addWidget(points_, 2, 0, 1, 3);
    s->addWidget(new QLabel(qs("Korridorbreite in km:"), source), 3, 0);
    s->addWidget(width_, 3, 1);
    s->addWidget(filterOn_, 3, 2);

    calculate_ = new QPushButton(qs("Berechnung starten"), this);
    calculate_->setObjectName(QStringLiteral("btnCalc"));
    abort_ = new QPushButton(qs("Berechnung abbrechen"), this);
    abort_->setObjectName(QStringLiteral("btnAbort"));
    action_ = new QLabel(this);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblCount"));
    auto* run = new QHBoxLayout;
    run->addWidget(calculate_);
    run->addWidget(abort_);
    run->addWidget(action_, 1);

    results_ = new QListWidget(this);
    results_->setObjectName(QStringLiteral("lbResults"));
    results_->setMinimumSize(480, 220);
    remove_ = new QPushButton(qs("Mark. l\xF6schen (Entf)"), this);
    removeFinds_ = new QPushButton(qs("Finds entfernen"), this);
    map_ = new QPushButton(qs("Ergebnis bearbeiten"), this);
    keep_ = new QCheckBox(qs("in Arbeitsliste vorhandene Waypoints behalten"), this);
    transfer_ = new QPushButton(qs("Ergebnis in Arbeitsliste"), this);
    transfer_->setObjectName(QStringLiteral("btnTransfer"));
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    auto* prune = new QHBoxLayout;
    prune->addWidget(remove_);
    prune->addWidget(removeFinds_);
    prune->addWidget(map_);
    prune->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(keep_);
    bottom->addWidget(transfer_);
    bottom->addStretch();
    bottom->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addLayout(run);
    layout->addWidget(count_);
    layout->addWidget(results_, 1);
    layout->addLayout(prune);
    layout->addLayout(bottom);

    connect(format_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!updating_) model_.format = static_cast<RouteFormat>(i);
    });
    connect(load_, &QPushButton::clicked, this, [this] { model_.chooseAndLoadRoute(); });
    connect(width_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (updating_) return;
        model_.widthText = cp(t);
        modelChanged();
    });
    connect(filterOn_, &QCheckBox::clicked, this,
            [this](bool on) { model_.filterDialogClosed(on && runFilterDialog(filter_)); });
    connect(calculate_, &QPushButton::clicked, this, [this] { model_.calculate(); });
    connect(abort_, &QPushButton::clicked, this, [this] { model_.abort(); });
    connect(remove_, &QPushButton::clicked, this, [this] { model_.removeResult(results_->currentRow()); });
    connect(removeFinds_, &QPushButton::clicked, this, [this] { model_.removeFinds(); });
    connect(map_, &QPushButton::clicked, this, &RouteDialog::editInMap);
    connect(results_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { showDetails(results_->row(item)); });
    connect(keep_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) model_.keepWorkList = on;
    });
    connect(transfer_, &QPushButton::clicked, this, [this] { model_.transfer(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

RouteDialog::~RouteDialog() {
    model_.close();
    model_.setObserver(nullptr);
}

void RouteDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && model_.canPrune()) {
        model_.removeResult(results_->currentRow());
        return;
    }
    QDialog::keyPressEvent(event);
}

void RouteDialog::reject() {
    // A running calculation ends first; closing meanwhile would pull the list from under it.
    if (model_.running()) {
        model_.abort();
        return;
    }
    QDialog::reject();
}

void RouteDialog::showDetails(int row) {
    const auto rec = model_.resultDetails(row);
    if (!rec) return;
    CacheDetailsDialog details(ctx_, this);
    details.model().record = *rec;
    details.model().removeButtonVisible = true;
    details.refresh();
    execCentred(details, this);
    if (details.model().result() == TfrmCacheDetails::Result::Remove) model_.removeResult(row);
}

void RouteDialog::modelClosed() {
    if (model_.transferred()) accept();
}

void RouteDialog::modelChanged() {
    updating_ = true;
    const bool idle = !model_.running();
    format_->setCurrentIndex(static_cast<int>(model_.format));
    source_->setText(qs(model_.sourceText()));
    points_->setText(qs(model_.pointCountText()));
    if (width_->text() != qs(model_.widthText)) width_->setText(qs(model_.widthText));
    filterOn_->setChecked(model_.filterOn);
    action_->setText(qs(model_.actionText()));
    count_->setText(qs(model_.countText()));
    keep_->setChecked(model_.keepWorkList);
    const auto& results = model_.results();
    const auto shown = static_cast<std::size_t>(results_->count());
    // While a calculation adds lines they are appended, so selection and scrolling stay; any other
    // change fills the list anew.
    const bool grown =
        results.size() > shown &&
        (shown == 0 || results_->item(static_cast<int>(shown) - 1)->text() == qs(results[shown - 1]));
    if (!grown) {
        bool same = results.size() == shown;
        for (std::size_t i = 0; same && i < shown; ++i)
            same = results_->item(static_cast<int>(i))->text() == qs(results[i]);
        if (!same) results_->clear();
    }
    for (auto i = static_cast<std::size_t>(results_->count()); i < results.size(); ++i)
        results_->addItem(qs(results[i]));
    for (QWidget* w : std::initializer_list<QWidget*>{format_, load_, width_, filterOn_, keep_})
        w->setEnabled(idle);
    calculate_->setEnabled(model_.canCalculate());
    abort_->setEnabled(!idle);
    remove_->setEnabled(model_.canPrune());
    removeFinds_->setEnabled(model_.canPrune());
    transfer_->setEnabled(model_.canPrune());
    map_->setEnabled(model_.canPrune());
    close_->setEnabled(idle);
    updating_ = false;
}

void RouteDialog::editInMap() {
    TfrmMap map(ctx_);
    map.clearCaches();
    map.clearRoute();
    map.setView({6, 14, 47, 55});
    for (const std::string& result : model_.results()) map.addCache(RouteSearchModel::resultWaypoint(result));
    int number = 0;
    for (const std::string& text : model_.routePoints()) {
        GeoPoint point;
        if (parseRoutePoint(text, point)) map.addRoutePoint(++number, point.lat, point.lon);
    }
    MapWindow window(ctx_, map, this);
    if (window.run()) model_.removeWaypoints(map.removed());
}

}  // namespace vellora
