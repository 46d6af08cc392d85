#include "ui/LoadFindsDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "core/DateUtil.h"
#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

LoadFindsDialog::LoadFindsDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), model_(ctx) {
    setObjectName(QStringLiteral("frmLoadFinds"));
    setWindowTitle(qs(TfrmLoadFinds::kCaption));

    auto* options = new QGroupBox(qs("Optionen"), this);
    complete_ = new QCheckBox(qs(TfrmLoadFinds::kCompleteBox), options);
    complete_->setObjectName(QStringLiteral("cbComplete"));
    complete_->setToolTip(qs("Alle eigenen Funde laden, ohne Beschr\xE4nkung des Zeitraums"));
    from_ = new QDateEdit(options);
    from_->setObjectName(QStringLiteral("dtFrom"));
    from_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    from_->setCalendarPopup(true);
    from_->setToolTip(qs("Funde vor diesem Tag werden nicht mehr geladen"));
    auto* rangeLayout = new QHBoxLayout;
    rangeLayout->addWidget(new QLabel(qs(TfrmLoadFinds::kRangeLabel), options));
    rangeLayout->addWidget(from_);
    rangeLayout->addWidget(new QLabel(qs(TfrmLoadFinds::kRangeEnd), options));
    rangeLayout->addStretch();
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(complete_);
    optionsLayout->addLayout(rangeLayout);

    auto* protocolGroup = new QGroupBox(qs("Protokoll"), this);
    protocol_ = new QListWidget(protocolGroup);
    protocol_->setObjectName(QStringLiteral("lbProtocol"));
    protocol_->setMinimumSize(460, 240);
    busy_ = new QProgressBar(protocolGroup);
    busy_->setObjectName(QStringLiteral("aniBusy"));
    busy_->setTextVisible(false);
    busy_->setToolTip(qs("L\xE4uft, solange Seiten geladen werden"));
    page_ = new QLabel(protocolGroup);
    page_->setObjectName(QStringLiteral("lblPage"));
    page_->setMinimumWidth(120);
    auto* busyRow = new QHBoxLayout;
    busyRow->addWidget(busy_, 1);
    busyRow->addWidget(page_);
    auto* protocolLayout = new QVBoxLayout(protocolGroup);
    protocolLayout->addWidget(protocol_);
    protocolLayout->addLayout(busyRow);

    load_ = new QPushButton(qs("Finds laden"), this);
    load_->setObjectName(QStringLiteral("btnLoad"));
    load_->setToolTip(
        qs("Die eigenen Funde von der Listing-Seite laden und in die Fundliste \xFC"
           "bernehmen"));
    cancel_ = new QPushButton(qs("Abbrechen"), this);
    cancel_->setObjectName(QStringLiteral("btnCancel"));
    cancel_->setToolTip(qs("Nach der laufenden Seite aufh\xF6ren; die Fundliste bleibt unver\xE4ndert"));
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    close_->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(protocolGroup, 1);
    layout->addLayout(buttons);

    connect(complete_, &QCheckBox::toggled, this, [this](bool on) {
        if (updating_) return;
        model_.loadComplete = on;
        refresh();
    });
    connect(from_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!updating_) model_.earliestDate = encodeDate(d.year(), d.month(), d.day());
    });
    connect(load_, &QPushButton::clicked, this, [this] { model_.btnLoadClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        model_.btnCancelClick();
        refresh();
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    // The pauses between pages run on the dialog's timer, so the window stays usable meanwhile;
    // a timer still pending when the dialog goes does not fire.
    model_.startTimer = [this](int ms, std::function<void()> fire) {
        QTimer::singleShot(ms, this, [fire = std::move(fire)] { fire(); });
    };
    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

LoadFindsDialog::~LoadFindsDialog() {
    model_.setObserver(nullptr);
    model_.close();
    model_.startTimer = nullptr;
}

void LoadFindsDialog::refresh() {
    updating_ = true;
    const TfrmLoadFinds& m = model_;
    complete_->setChecked(m.loadComplete);
    const DateParts d = decodeDateTime(std::floor(m.earliestDate));
    from_->setDate(QDate(d.year, d.month, d.day));
    complete_->setEnabled(m.optionsEnabled());
    from_->setEnabled(m.dateEnabled());

    const auto& lines = m.protocol();
    if (static_cast<std::size_t>(protocol_->count()) > lines.size()) protocol_->clear();
    for (auto i = static_cast<std::size_t>(protocol_->count()); i < lines.size(); ++i)
        protocol_->addItem(qs(lines[i]));
    if (protocol_->count() > 0) protocol_->scrollToBottom();

    // A running bar while loading, an empty one otherwise.
    busy_->setRange(0, m.busy() ? 0 : 1);
    busy_->setValue(0);
    if (m.pageNumber() > 0 && m.totalPages() > 0) {
        page_->setText(
            qs("Seite " + std::to_string(m.pageNumber()) + " von " + std::to_string(m.totalPages())));
    } else if (m.pageNumber() > 0) {
        page_->setText(qs("Seite " + std::to_string(m.pageNumber())));
    } else {
        page_->clear();
    }

    load_->setEnabled(m.loadEnabled());
    cancel_->setEnabled(m.cancelEnabled());
    close_->setEnabled(m.closeEnabled());
    updating_ = false;
}

void LoadFindsDialog::reject() {
    if (!model_.closeEnabled()) return;
    QDialog::reject();
}

void LoadFindsDialog::closeEvent(QCloseEvent* event) {
    if (!model_.closeEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vellora
