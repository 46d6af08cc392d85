#include "ui/EditCacheDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/DateUtil.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"
#include "ui/CoordInputDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

QDate qDate(TDateTime t) {
    const DateParts p = decodeDateTime(std::floor(t));
    return QDate(p.year, p.month, p.day);
}

TDateTime fromQDate(const QDate& d) {
    return encodeDate(d.year(), d.month(), d.day());
}

template <std::size_t N>
QComboBox* choice(const char* name, const std::array<const char*, N>& texts, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const char* t : texts) box->addItem(qs(t));
    return box;
}

// Keeps the cursor where it was when the model's text replaces the field's.
void setFieldText(QLineEdit* field, const QString& text) {
    if (field->text() == text) return;
    const int pos = field->cursorPosition();
    field->setText(text);
    field->setCursorPosition(std::min(pos, static_cast<int>(text.size())));
}

}  // namespace

EditCacheDialog::EditCacheDialog(TfrmEditCache& model, RunContext& ctx, QWidget* parent)
    : QDialog(parent), model_(model), ctx_(ctx) {
    setObjectName(QStringLiteral("frmEditCache"));
    setWindowTitle(qs(TfrmEditCache::kCaption));

    auto* searchGroup = new QGroupBox(qs("Cache suchen"), this);
    search_ = new QLineEdit(searchGroup);
    search_->setObjectName(QStringLiteral("edSearchWaypoint"));
    search_->setMaxLength(static_cast<int>(TCacheRec::kWaypointMax));
    search_->setToolTip(qs("Waypoint des Caches, der in der Datenbank gesucht werden soll"));
    searchButton_ = new QPushButton(qs("Suchen / Anzeigen"), searchGroup);
    searchButton_->setObjectName(QStringLiteral("btnSearch"));
    searchButton_->setToolTip(qs("Den Cache in der Datenbank suchen und seine Daten zeigen"));
    auto* searchLayout = new QHBoxLayout(searchGroup);
    searchLayout->addWidget(new QLabel(qs("Waypoint:"), searchGroup));
    searchLayout->addWidget(search_);
    searchLayout->addWidget(searchButton_);
    searchLayout->addStretch();

    auto* dataGroup = new QGroupBox(qs("Cachedaten"), this);
    id_ = new QLabel(dataGroup);
    id_->setObjectName(QStringLiteral("lblCacheID"));
    name_ = new QLineEdit(dataGroup);
    name_->setObjectName(QStringLiteral("edCacheName"));
    name_->setMaxLength(static_cast<int>(TCacheRec::kCacheNameMax));
    name_->setMinimumWidth(360);
    waypoint_ = new QLineEdit(dataGroup);
    waypoint_->setObjectName(QStringLiteral("edWaypoint"));
    waypoint_->setMaxLength(static_cast<int>(TCacheRec::kWaypointMax));
    type_ = choice("cbCacheType", kEditCacheTypes, dataGroup);
    size_ = choice("cbCacheSize", kEditCacheSizes, dataGroup);
    difficulty_ = choice("cbDifficulty", kEditRatings, dataGroup);
    terrain_ = choice("cbTerrain", kEditRatings, dataGroup);
    country_ = new QComboBox(dataGroup);
    country_->setObjectName(QStringLiteral("cbCountry"));
    for (const std::string& c : model_.countryChoices()) country_->addItem(qs(c));
    coordButton_ = new QPushButton(qs("Koordinaten:"), dataGroup);
    coordButton_->setObjectName(QStringLiteral("btnCoord"));
    coordButton_->setToolTip(qs("Die Koordinaten des Caches eingeben oder \xE4ndern"));
    coords_ = new QLabel(dataGroup);
    coords_->setObjectName(QStringLiteral("lblCoords"));
    coords_->setMinimumWidth(220);
    date_ = new QDateEdit(dataGroup);
    date_->setObjectName(QStringLiteral("dtHidden"));
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_->setCalendarPopup(true);
    date_->setMinimumDate(QDate(1899, 12, 30));

    auto* grid = new QGridLayout(dataGroup);
    int row = 0;
    auto addRow = [&](const char* caption, QWidget* w) {
        grid->addWidget(new QLabel(qs(caption), dataGroup), row, 0);
        grid->addWidget(w, row++, 1);
    };
    addRow("Cache-ID:", id_);
    addRow("Cachename:", name_);
    addRow("Waypoint:", waypoint_);
    addRow("Cachetyp:", type_);
    addRow(
        "Cachegr\xF6\xDF"
        "e:",
        size_);
    addRow("Difficulty:", difficulty_);
    addRow("Terrain:", terrain_);
    addRow("Land:", country_);
    grid->addWidget(coordButton_, row, 0);
    grid->addWidget(coords_, row++, 1);
    addRow("Versteckt am:", date_);
    grid->setColumnStretch(1, 1);
    for (QComboBox* box : {type_, size_, difficulty_, terrain_, country_})
        grid->setAlignment(box, Qt::AlignLeft);
    grid->setAlignment(waypoint_, Qt::AlignLeft);
    grid->setAlignment(date_, Qt::AlignLeft);

    save_ = new QPushButton(qs("Speichern"), this);
    save_->setObjectName(QStringLiteral("btnCommit"));
    save_->setToolTip(qs("Den Cache in der Datenbank speichern"));
    erase_ = new QPushButton(qs("aus DB l\xF6schen"), this);
    erase_->setObjectName(QStringLiteral("btnErase"));
    erase_->setToolTip(qs("Den Cache aus der Datenbank entfernen"));
    new_ = new QPushButton(qs("Neu eingeben"), this);
    new_->setObjectName(QStringLiteral("btnNew"));
    new_->setToolTip(qs("Einen neuen Cache von Hand eingeben"));
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    close_->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addWidget(erase_);
    buttons->addWidget(new_);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(searchGroup);
    layout->addWidget(dataGroup);
    layout->addLayout(buttons);

    connect(search_, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!updating_) model_.setSearchWaypoint(upperCase(cp(t)));
    });
    connect(search_, &QLineEdit::returnPressed, this, [this] { model_.btnSearchClick(); });
    connect(searchButton_, &QPushButton::clicked, this, [this] { model_.btnSearchClick(); });
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!updating_) model_.setName(cp(t));
    });
    connect(waypoint_, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!updating_) model_.setWaypoint(cp(t));
    });
    connect(type_, &QComboBox::activated, this, [this](int i) { model_.setTypeIndex(i); });
    connect(size_, &QComboBox::activated, this, [this](int i) { model_.setSizeIndex(i); });
    connect(difficulty_, &QComboBox::activated, this, [this](int i) { model_.setDifficultyIndex(i); });
    connect(terrain_, &QComboBox::activated, this, [this](int i) { model_.setTerrainIndex(i); });
    connect(country_, &QComboBox::activated, this, [this](int i) { model_.setCountryIndex(i); });
    connect(date_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!updating_) model_.setHiddenDate(fromQDate(d));
    });
    connect(coordButton_, &QPushButton::clicked, this, [this] {
        model_.btnCoordClick(
            [this](TCoordInput& input) { return editCoordinates(input, this, ctx_.settings.ShowTooltips); });
    });
    connect(save_, &QPushButton::clicked, this, &EditCacheDialog::saveClicked);
    connect(erase_, &QPushButton::clicked, this, [this] { model_.btnEraseClick(); });
    connect(new_, &QPushButton::clicked, this, [this] { model_.btnNewClick(); });
    connect(close_, &QPushButton::clicked, this, &EditCacheDialog::closeClicked);

    model_.setObserver(this);
    refresh();
    applyTooltips(this, ctx.settings.ShowTooltips);
    (model_.searchMode() ? search_ : name_)->setFocus();
}

EditCacheDialog::~EditCacheDialog() {
    model_.setObserver(nullptr);
}

void EditCacheDialog::refresh() {
    updating_ = true;
    const TfrmEditCache& m = model_;
    setFieldText(search_, qs(m.searchWaypoint()));
    id_->setText(qs(m.idText()));
    setFieldText(name_, qs(m.name()));
    setFieldText(waypoint_, qs(m.waypoint()));
    type_->setCurrentIndex(m.typeIndex());
    size_->setCurrentIndex(m.sizeIndex());
    difficulty_->setCurrentIndex(m.difficultyIndex());
    terrain_->setCurrentIndex(m.terrainIndex());
    country_->setCurrentIndex(m.countryIndex());
    coords_->setText(qs(m.coordText()));
    date_->setDate(qDate(m.hiddenDate()));
    search_->setEnabled(m.searchMode());
    searchButton_->setEnabled(m.searchMode());
    waypoint_->setEnabled(m.searchMode());
    erase_->setEnabled(m.eraseEnabled());
    updating_ = false;
}

void EditCacheDialog::saveClicked() {
    model_.btnCommitClick();
    if (!model_.isOpen()) accept();
}

void EditCacheDialog::closeClicked() {
    model_.btnCloseClick();
    accept();
}

TCacheRec editCache(RunContext& ctx, const TCacheRec& rec, bool searchMode, QWidget* over) {
    return EditCache(ctx, rec, searchMode, [&](TfrmEditCache& model) {
        EditCacheDialog dialog(model, ctx, over);
        execCentred(dialog, over);
    });
}

}  // namespace vellora
