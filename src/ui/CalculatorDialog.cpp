#include "ui/CalculatorDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/DialogUtil.h"
#include "ui/KeyFilter.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

constexpr const char* kSearchTip =
    "Cache suchen und dessen Koordinaten \xFC"
    "bernehmen";

}  // namespace

CalculatorDialog::CalculatorDialog(CalculatorModel& model, bool showTooltips, QWidget* parent,
                                   CacheChooser chooseCache)
    : QDialog(parent), model_(model), chooseCache_(std::move(chooseCache)) {
    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(qs(CalculatorModel::kCaption));
    pages_ = new QTabWidget(this);

    auto* distancePage = new QWidget;
    auto* distanceGroup = new QGroupBox(qs(CalculatorModel::kDistancePage), distancePage);
    auto* dGrid = new QGridLayout(distanceGroup);
    using K = CalculatorModel::FieldKind;
    addRow(dGrid, 0, "Startkoordinate Breite:", model_.distStartLat, true, K::Degrees);
    addRow(dGrid, 1, "Startkoordinate L\xE4nge:", model_.distStartLon, false, K::Degrees);
    dGrid->addWidget(addSearchButton(distanceGroup, CalculatorModel::Group::DistanceStart), 0, 4, 2, 1);
    addRow(dGrid, 2, "Zielkoordinate Breite:", model_.distTargetLat, true, K::Degrees);
    addRow(dGrid, 3, "Zielkoordinate L\xE4nge:", model_.distTargetLon, false, K::Degrees);
    dGrid->addWidget(addSearchButton(distanceGroup, CalculatorModel::Group::DistanceTarget), 2, 4, 2, 1);
    distanceResult_ = new QLabel(distanceGroup);
    distanceResult_->setObjectName(QStringLiteral("lblDistResult"));
    dGrid->addWidget(distanceResult_, 4, 0, 1, 5);
    auto* dLayout = new QVBoxLayout(distancePage);
    dLayout->addWidget(distanceGroup);
    dLayout->addStretch();
    pages_->addTab(distancePage, qs(CalculatorModel::kDistancePage));

    auto* projectionPage = new QWidget;
    auto* projectionGroup = new QGroupBox(qs(CalculatorModel::kProjectionPage), projectionPage);
    auto* pGrid = new QGridLayout(projectionGroup);
    addRow(pGrid, 0, "Startkoordinate Breite:", model_.projStartLat, true, K::ProjectionDegrees);
    addRow(pGrid, 1, "Startkoordinate L\xE4nge:", model_.projStartLon, false, K::ProjectionDegrees);
    pGrid->addWidget(addSearchButton(projectionGroup, CalculatorModel::Group::ProjectionStart), 0, 4, 2, 1);
    auto numberEdit = [&](const char* name, int maxLength, std::string& target) {
        auto* e = new QLineEdit(projectionGroup);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(maxLength);
        KeyFilter::install(e, [](char c) { return CalculatorModel::filterKey(K::Decimal, c); });
        connect(e, &QLineEdit::textChanged, this, [this, &target](const QString& t) {
            if (updating_) return;
            target = cp(t);
            model_.inputChanged();
        });
        return e;
    };
    distance_ = numberEdit("edDistance", 7, model_.projDistance);
    bearing_ = numberEdit("edBearing", 6, model_.projBearing);
    pGrid->addWidget(new QLabel(qs("Entfernung in km:"), projectionGroup), 2, 0);
    pGrid->addWidget(distance_, 2, 1);
    pGrid->addWidget(new QLabel(qs("Richtungswinkel in Grad:"), projectionGroup), 3, 0);
    pGrid->addWidget(bearing_, 3, 1);
    for (int i = 0; i < 2; ++i) {
        projectionLines_[i] = new QLabel(projectionGroup);
        projectionLines_[i]->setObjectName(QStringLiteral("lblProjResult%1").arg(i + 1));
        pGrid->addWidget(projectionLines_[i], 4 + i, 0, 1, 5);
    }
    auto* pLayout = new QVBoxLayout(projectionPage);
    pLayout->addWidget(projectionGroup);
    pLayout->addStretch();
    pages_->addTab(projectionPage, qs(CalculatorModel::kProjectionPage));

    auto* close = new QPushButton(qs("Schlie\xDF"
                                     "en"),
                                  this);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(buttons);

    model_.setObserver(this);
    model_.open();
    pages_->setCurrentIndex(model_.page == CalculatorModel::Page::Distance ? 0 : 1);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int i) {
        model_.page = i == 0 ? CalculatorModel::Page::Distance : CalculatorModel::Page::Projection;
    });
    applyTooltips(this, showTooltips);
}

CalculatorDialog::~CalculatorDialog() {
    model_.close();
    model_.setObserver(nullptr);
}

void CalculatorDialog::addRow(QGridLayout* grid, int row, const char* label, CoordFields& f, bool latitude,
                              CalculatorModel::FieldKind degreeKind) {
    QWidget* parent = grid->parentWidget();
    auto* deg = new QLineEdit(parent);
    deg->setMaxLength(latitude ? 2 : 3);
    deg->setMaximumWidth(50);
    KeyFilter::install(deg, [degreeKind](char c) { return CalculatorModel::filterKey(degreeKind, c); });
    auto* min = new QLineEdit(parent);
    min->setMaxLength(6);
    min->setMaximumWidth(70);
    KeyFilter::install(
        min, [](char c) { return CalculatorModel::filterKey(CalculatorModel::FieldKind::Decimal, c); });
    auto* hemi = new QComboBox(parent);
    const auto& names = latitude ? CalculatorModel::kLatHemispheres : CalculatorModel::kLonHemispheres;
    for (const char* n : names) hemi->addItem(qs(n));
    grid->addWidget(new QLabel(qs(label), parent), row, 0);
    grid->addWidget(deg, row, 1);
    grid->addWidget(min, row, 2);
    grid->addWidget(hemi, row, 3);
    rows_.push_back({&f, deg, min, hemi});
    connect(deg, &QLineEdit::textChanged, this, [this, &f](const QString& t) {
        if (updating_) return;
        f.degrees = cp(t);
        model_.inputChanged();
    });
    connect(min, &QLineEdit::textChanged, this, [this, &f](const QString& t) {
        if (updating_) return;
        f.minutes = cp(t);
        model_.inputChanged();
    });
    connect(hemi, &QComboBox::currentIndexChanged, this, [this, &f](int i) {
        if (updating_) return;
        f.hemisphere = i;
        model_.inputChanged();
    });
}

QPushButton* CalculatorDialog::addSearchButton(QWidget* parent, CalculatorModel::Group group) {
    auto* b = new QPushButton(qs("Cache suchen..."), parent);
    b->setToolTip(qs(kSearchTip));
    b->setEnabled(static_cast<bool>(chooseCache_));
    connect(b, &QPushButton::clicked, this, [this, group] {
        if (const auto waypoint = chooseCache_()) model_.takeCacheCoordinates(group, *waypoint);
    });
    search_[static_cast<int>(group)] = b;
    return b;
}

QLineEdit* CalculatorDialog::degrees(const CoordFields& f) const {
    for (const Row& r : rows_)
        if (r.fields == &f) return r.degrees;
    return nullptr;
}

QLineEdit* CalculatorDialog::minutes(const CoordFields& f) const {
    for (const Row& r : rows_)
        if (r.fields == &f) return r.minutes;
    return nullptr;
}

QComboBox* CalculatorDialog::hemisphere(const CoordFields& f) const {
    for (const Row& r : rows_)
        if (r.fields == &f) return r.hemisphere;
    return nullptr;
}

void CalculatorDialog::modelChanged() {
    updating_ = true;
    for (const Row& r : rows_) {
        if (r.degrees->text() != qs(r.fields->degrees)) r.degrees->setText(qs(r.fields->degrees));
        if (r.minutes->text() != qs(r.fields->minutes)) r.minutes->setText(qs(r.fields->minutes));
        r.hemisphere->setCurrentIndex(r.fields->hemisphere);
    }
    if (distance_->text() != qs(model_.projDistance)) distance_->setText(qs(model_.projDistance));
    if (bearing_->text() != qs(model_.projBearing)) bearing_->setText(qs(model_.projBearing));
    distanceResult_->setText(qs(model_.distanceResult()));
    projectionLines_[0]->setText(qs(model_.projectionResult()[0]));
    projectionLines_[1]->setText(qs(model_.projectionResult()[1]));
    updating_ = false;
}

}  // namespace vellora
