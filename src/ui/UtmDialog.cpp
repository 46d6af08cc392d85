#include "ui/UtmDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/KeyFilter.h"
#include "ui/QtText.h"

namespace vellora {

UtmDialog::UtmDialog(RunContext& ctx, QWidget* parent,
                     std::function<std::optional<std::string>()> chooseCache)
    : QDialog(parent), model_(ctx) {
    setObjectName(QStringLiteral("frmUTM"));
    setWindowTitle(qs(UtmDialogModel::kCaption));
    using K = UtmDialogModel::FieldKind;
    auto edit = [](QWidget* group, const char* name, const char* lengthKey, K kind) {
        auto* e = new QLineEdit(group);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(UtmDialogModel::maxLength(lengthKey));
        e->setMaximumWidth(90);
        KeyFilter::install(e, [kind](char c) { return UtmDialogModel::filterKey(kind, c); });
        return e;
    };

    auto* geo = new QGroupBox(qs("Angaben in Breitengrad / L\xE4ngengrad"), this);
    latDeg_ = edit(geo, "edLatDeg", "latDegrees", K::Degrees);
    latMin_ = edit(geo, "edLatMin", "minutes", K::Minutes);
    lonDeg_ = edit(geo, "edLonDeg", "lonDegrees", K::Degrees);
    lonMin_ = edit(geo, "edLonMin", "minutes", K::Minutes);
    latHemi_ = new QComboBox(geo);
    latHemi_->setObjectName(QStringLiteral("cbLatHemi"));
    for (const char* n : CalculatorModel::kLatHemispheres) latHemi_->addItem(qs(n));
    lonHemi_ = new QComboBox(geo);
    lonHemi_->setObjectName(QStringLiteral("cbLonHemi"));
    for (const char* n : CalculatorModel::kLonHemispheres) lonHemi_->addItem(qs(n));
    auto* g = new QGridLayout(geo);
    g->addWidget(new QLabel(qs("Breitengrad:"), geo), 0, 0);
    g->addWidget(latDeg_, 0, 1);
    g->addWidget(latMin_, 0, 2);
    g->addWidget(latHemi_, 0, 3);
    g->addWidget(new QLabel(qs("L\xE4ngengrad:"), geo), 1, 0);
    g->addWidget(lonDeg_, 1, 1);
    g->addWidget(lonMin_, 1, 2);
    g->addWidget(lonHemi_, 1, 3);
    search_ = new QPushButton(qs("Cachekoord. suchen"), geo);
    search_->setObjectName(QStringLiteral("btnSearchCache"));
    search_->setEnabled(static_cast<bool>(chooseCache));
    connect(search_, &QPushButton::clicked, this, [this, chooseCache] {
        takeFields();
        if (const auto waypoint = chooseCache()) model_.takeCacheCoordinates(*waypoint);
    });
    g->addWidget(search_, 2, 0, 1, 4);

    auto* utm = new QGroupBox(qs("Angaben in UTM"), this);
    zone_ = edit(utm, "edZone", "zone", K::Digits);
    easting_ = edit(utm, "edEasting", "easting", K::Digits);
    northing_ = edit(utm, "edNorthing", "northing", K::Digits);
    band_ = new QComboBox(utm);
    band_->setObjectName(QStringLiteral("cbBand"));
    for (const char* b = UtmDialogModel::kBands; *b; ++b) band_->addItem(QString(QChar(*b)));
    auto* u = new QGridLayout(utm);
    const char* labels[] = {"Zone", "Z.Feld", "Ostwert", "Nordwert"};
    QWidget* fields[] = {zone_, band_, easting_, northing_};
    for (int i = 0; i < 4; ++i) {
        u->addWidget(new QLabel(qs(labels[i]), utm), 0, i);
        u->addWidget(fields[i], 1, i);
    }

    toUtm_ = new QPushButton(qs("in UTM umrechnen"), this);
    toUtm_->setObjectName(QStringLiteral("btnToUTM"));
    toLatLon_ = new QPushButton(qs("in L/B umrechnen"), this);
    toLatLon_->setObjectName(QStringLiteral("btnToLatLon"));
    auto* close = new QPushButton(qs("Schlie\xDF"
                                     "en"),
                                  this);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(toUtm_, &QPushButton::clicked, this, [this] {
        takeFields();
        model_.toUtmClick();
    });
    connect(toLatLon_, &QPushButton::clicked, this, [this] {
        takeFields();
        model_.toLatLonClick();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(toUtm_);
    buttons->addWidget(toLatLon_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(geo);
    layout->addWidget(utm);
    layout->addLayout(buttons);

    // Tab walks the rows as they are read: each line left to right, then the next.
    QWidget* const order[] = {latDeg_, latMin_, latHemi_, lonDeg_,   lonMin_, lonHemi_,  search_,
                              zone_,   band_,   easting_, northing_, toUtm_,  toLatLon_, close};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

UtmDialog::~UtmDialog() {
    model_.close();
    model_.setObserver(nullptr);
}

void UtmDialog::takeFields() {
    model_.lat = {cp(latDeg_->text()), cp(latMin_->text()), latHemi_->currentIndex()};
    model_.lon = {cp(lonDeg_->text()), cp(lonMin_->text()), lonHemi_->currentIndex()};
    model_.zone = cp(zone_->text());
    model_.band = static_cast<char>(band_->currentText().front().unicode());
    model_.easting = cp(easting_->text());
    model_.northing = cp(northing_->text());
}

void UtmDialog::modelChanged() {
    latDeg_->setText(qs(model_.lat.degrees));
    latMin_->setText(qs(model_.lat.minutes));
    latHemi_->setCurrentIndex(model_.lat.hemisphere);
    lonDeg_->setText(qs(model_.lon.degrees));
    lonMin_->setText(qs(model_.lon.minutes));
    lonHemi_->setCurrentIndex(model_.lon.hemisphere);
    zone_->setText(qs(model_.zone));
    const char* band = std::strchr(UtmDialogModel::kBands, model_.band);
    if (band && *band) band_->setCurrentIndex(static_cast<int>(band - UtmDialogModel::kBands));
    easting_->setText(qs(model_.easting));
    northing_->setText(qs(model_.northing));
}

}  // namespace vellora
