#include "ui/CacheSubSelectorDialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/GCDBParse.h"
#include "core/RunContext.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

CacheSubSelectorDialog::CacheSubSelectorDialog(RunContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setWindowTitle(qs(TCacheSubSelector::kCaption));
    setObjectName(QStringLiteral("frmCacheSubSelector"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lbHits"));
    list_->setUniformItemSizes(true);
    list_->setMinimumSize(420, 300);
    auto* all = new QPushButton(qs("&Alle mark."), this);
    auto* none = new QPushButton(qs("&Keinen mark."), this);
    accept_ = new QPushButton(qs("&\xDC"
                                 "bernehmen"),
                              this);
    accept_->setObjectName(QStringLiteral("btnAccept"));
    auto* discard = new QPushButton(qs("Verwerfen"), this);
    discard->setObjectName(QStringLiteral("btnDiscard"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch();
    buttons->addWidget(accept_);
    buttons->addWidget(discard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    connect(all, &QPushButton::clicked, this, [this] { model_.markAll(); });
    connect(none, &QPushButton::clicked, this, [this] { model_.markNone(); });
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(discard, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!refreshing_) model_.setTicked(list_->row(item), item->checkState() == Qt::Checked);
    });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { showDetails(list_->row(item)); });
    model_.setObserver(this);
    applyTooltips(this, ctx.settings.ShowTooltips);
}

CacheSubSelectorDialog::~CacheSubSelectorDialog() {
    model_.setObserver(nullptr);
}

void CacheSubSelectorDialog::modelChanged() {
    refreshing_ = true;
    if (list_->count() != model_.count()) {
        list_->clear();
        for (const auto& line : model_.lines()) list_->addItem(qs(line));
    }
    for (int i = 0; i < model_.count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(model_.ticked(i) ? Qt::Checked : Qt::Unchecked);
    }
    refreshing_ = false;
}

void CacheSubSelectorDialog::showDetails(int i) {
    if (i < 0 || i >= model_.count()) return;
    TCacheRec rec;
    if (!FindCache(ctx_, waypointOfHitLine(model_.lines()[static_cast<std::size_t>(i)]), rec)) return;
    CacheDetailsDialog dialog(ctx_, this);
    dialog.model().record = rec;
    dialog.model().removeButtonVisible = true;
    dialog.model().keepButtonVisible = true;
    dialog.refresh();
    execCentred(dialog, this);
    model_.detailsClosed(i, dialog.model().result() == TfrmCacheDetails::Result::Remove);
}

}  // namespace vellora
