#include "ui/IndexDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

// The column boxes in the order of TfrmIndex::kColumnBoxes, with the options they set.
constexpr std::array<bool IndexOptions::*, TfrmIndex::kColumnBoxes.size()> kColumnOptions = {
    &IndexOptions::colName, &IndexOptions::colHidden, &IndexOptions::colCoord, &IndexOptions::colDistance,
    &IndexOptions::colType, &IndexOptions::colSize,   &IndexOptions::colDT};

template <class T>
T* named(T* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(QString::fromLatin1(name));
    if (tip) w->setToolTip(qs(tip));
    return w;
}

void setChecked(QAbstractButton* b, bool on) {
    if (b->isChecked() == on) return;
    QSignalBlocker block(b);
    b->setChecked(on);
}

}  // namespace

IndexDialog::IndexDialog(RunContext& ctx, TfrmIndex& model, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(model) {
    setObjectName(QStringLiteral("frmIndex"));
    setWindowTitle(qs(TfrmIndex::kCaption));

    count_ = named(new QLabel(this), "lblCount");
    QFont bold = count_->font();
    bold.setBold(true);
    count_->setFont(bold);
    date_ = named(new QLabel(this), "lblIndexDate");
    pocketPC_ = named(new QCheckBox(qs(TfrmIndex::kPocketPCBox), this), "cbPPC",
                      "Eine einfache Liste ohne Tabelle und ohne Sortierung schreiben");

    tableOptions_ = new QGroupBox(qs("Spalten der Indextabelle"), this);
    auto* cols = new QGridLayout(tableOptions_);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        columns_[i] = new QCheckBox(qs(TfrmIndex::kColumnBoxes[i]), tableOptions_);
        columns_[i]->setObjectName(QStringLiteral("cbColumn%1").arg(i));
        cols->addWidget(columns_[i], static_cast<int>(i % 4), static_cast<int>(i / 4));
    }
    auto* sortRow = new QHBoxLayout;
    sort_ = named(new QComboBox(tableOptions_), "cbSortOrder", "Spalte, nach der die Tabelle sortiert wird");
    for (const char* item : TfrmIndex::kSortItems) sort_->addItem(qs(item));
    ascDescGroup_ = new QButtonGroup(this);
    sortRow->addWidget(new QLabel(qs("Sortieren nach:"), tableOptions_));
    sortRow->addWidget(sort_);
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(qs(TfrmIndex::kAscDescItems[static_cast<std::size_t>(i)]), tableOptions_);
        r->setObjectName(QStringLiteral("rbAscDesc%1").arg(i));
        ascDesc_[static_cast<std::size_t>(i)] = r;
        ascDescGroup_->addButton(r, i);
        sortRow->addWidget(r);
    }
    sortRow->addStretch();
    cols->addLayout(sortRow, 4, 0, 1, 2);

    auto* which = new QGroupBox(qs("Caches"), this);
    auto* w = new QVBoxLayout(which);
    addWhichGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(qs(TfrmIndex::kAddWhichItems[static_cast<std::size_t>(i)]), which);
        r->setObjectName(QStringLiteral("rbAddWhich%1").arg(i));
        addWhich_[static_cast<std::size_t>(i)] = r;
        addWhichGroup_->addButton(r, i);
        w->addWidget(r);
    }
    auto* homeRow = new QHBoxLayout;
    home_ =
        named(new QComboBox(which), "cbHome", "Heimkoordinaten, von denen die Entfernungen berechnet werden");
    for (const auto& item : model_.homeItems()) home_->addItem(qs(item));
    home_->setMinimumContentsLength(12);
    homeRow->addWidget(new QLabel(qs("Entfernung von:"), which));
    homeRow->addWidget(home_);
    homeRow->addStretch();
    w->addLayout(homeRow);

    auto* fileBox = new QGroupBox(qs("Indexdatei"), this);
    auto* f = new QHBoxLayout(fileBox);
    file_ = named(new QLineEdit(fileBox), "edFilename",
                  "Die Indexdatei geh\xF6rt in das Verzeichnis der "
                  "Beschreibungen, da sie relativ verlinkt");
    file_->setMinimumWidth(360);
    choose_ = named(new QPushButton(qs(TfrmIndex::kChooseButton), fileBox), "btnChooseFile",
                    "Einen anderen Namen f\xFCr die Indexdatei w\xE4hlen");
    choose_->setAutoDefault(false);
    f->addWidget(file_, 1);
    f->addWidget(choose_);

    showImmediate_ = named(new QCheckBox(qs(TfrmIndex::kShowImmediateBox), this), "cbShowImmediate",
                           "Die Indexdatei danach im Browser \xF6"
                           "ffnen");
    saveOpts_ = named(new QCheckBox(qs(TfrmIndex::kSaveOptsBox), this), "cbSaveOpts",
                      "Die Optionen beim Schlie\xDF"
                      "en speichern und beim n\xE4"
                      "chsten Mal wieder einstellen");
    ok_ = named(new QPushButton(qs(TfrmIndex::kOkButton), this), "btnOK");
    ok_->setDefault(true);
    cancel_ = named(new QPushButton(qs("Abbrechen"), this), "btnCancel");
    cancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(showImmediate_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(date_);
    layout->addWidget(pocketPC_);
    layout->addWidget(tableOptions_);
    layout->addWidget(which);
    layout->addWidget(fileBox);
    layout->addWidget(saveOpts_);
    layout->addLayout(buttons);

    IndexOptions& o = model_.options;
    connect(pocketPC_, &QCheckBox::toggled, this, [this, &o](bool on) {
        o.pocketPC = on;
        modelChanged();
    });
    for (std::size_t i = 0; i < columns_.size(); ++i)
        connect(columns_[i], &QCheckBox::toggled, this, [&o, i](bool on) { o.*kColumnOptions[i] = on; });
    connect(sort_, &QComboBox::activated, this, [&o](int index) { o.sortOrder = index; });
    connect(ascDescGroup_, &QButtonGroup::idClicked, this, [&o](int id) { o.ascDesc = id; });
    connect(addWhichGroup_, &QButtonGroup::idClicked, this, [&o](int id) { o.addWhich = id; });
    connect(home_, &QComboBox::activated, this, [&o](int index) { o.home = index; });
    connect(file_, &QLineEdit::textEdited, this, [&o](const QString& text) { o.fileName = pathOf(text); });
    connect(choose_, &QPushButton::clicked, this, [this] { model_.btnChooseFileClick(); });
    connect(showImmediate_, &QCheckBox::toggled, this, [&o](bool on) { o.showImmediate = on; });
    connect(saveOpts_, &QCheckBox::toggled, this, [&o](bool on) { o.saveOpts = on; });
    connect(ok_, &QPushButton::clicked, this, [this] {
        writing_ = true;
        model_.btnOKClick();
        writing_ = false;
    });
    connect(cancel_, &QPushButton::clicked, this, &IndexDialog::reject);

    autoLoadTimer_.setSingleShot(true);
    autoLoadTimer_.setInterval(kAutoLoadMs);
    connect(&autoLoadTimer_, &QTimer::timeout, this, &IndexDialog::autoLoad);

    model_.setObserver(this);
    modelChanged();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

IndexDialog::~IndexDialog() {
    model_.setObserver(nullptr);
}

void IndexDialog::modelChanged() {
    const IndexOptions& o = model_.options;
    count_->setText(qs(model_.countText()));
    date_->setText(qs(model_.indexDateText()));
    setChecked(pocketPC_, o.pocketPC);
    for (std::size_t i = 0; i < columns_.size(); ++i) setChecked(columns_[i], o.*kColumnOptions[i]);
    {
        QSignalBlocker block(sort_);
        sort_->setCurrentIndex(std::clamp(o.sortOrder, 0, sort_->count() - 1));
    }
    setChecked(ascDesc_[o.ascDesc == 1 ? 1 : 0], true);
    setChecked(addWhich_[o.addWhich == 0 ? 0 : 1], true);
    {
        QSignalBlocker block(home_);
        home_->setCurrentIndex(o.home >= 0 && o.home < home_->count() ? o.home : 0);
    }
    if (pathOf(file_->text()) != o.fileName) {
        file_->setText(qPath(o.fileName));
        file_->setCursorPosition(0);
    }
    setChecked(showImmediate_, o.showImmediate);
    setChecked(saveOpts_, o.saveOpts);

    // The columns and the sort belong to the table; the Pocket PC list has neither.
    tableOptions_->setEnabled(!o.pocketPC);
    for (auto* r : addWhich_) r->setEnabled(model_.addWhichEnabled());
    home_->setEnabled(model_.homeEnabled());
    ok_->setEnabled(model_.okEnabled());
    showImmediate_->setEnabled(model_.showImmediateEnabled());
}

void IndexDialog::modelClosed() {
    if (finished_) return;
    finished_ = true;
    autoLoadTimer_.stop();
    // The model closes only after a written index or on "Abbrechen".
    const int result = writing_ ? Accepted : Rejected;
    QTimer::singleShot(0, this, [this, result] { done(result); });
}

void IndexDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (model_.unattended() && model_.isOpen() && !finished_) autoLoadTimer_.start();
}

void IndexDialog::autoLoad() {
    model_.startUnattended();
}

void IndexDialog::reject() {
    if (!model_.isOpen()) {
        modelClosed();
        return;
    }
    model_.close();
}

bool openIndexDialog(RunContext& ctx, TfrmIndex& model, QWidget* over,
                     const std::optional<std::string>& dir) {
    model.open(dir);
    IndexDialog dialog(ctx, model, over);
    return execCentred(dialog, over) == QDialog::Accepted;
}

}  // namespace vellora
