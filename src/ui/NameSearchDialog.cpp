#include "ui/NameSearchDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

NameSearchDialog::NameSearchDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), model_(ctx) {
    setWindowTitle(qs(TNameSearch::kCaption));
    setObjectName(QStringLiteral("frmNameSearch"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("edSearch"));
    searchButton_ = new QPushButton(qs("Suchen"), this);
    searchButton_->setObjectName(QStringLiteral("btnSearch"));
    searchButton_->setDefault(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lbResults"));
    list_->setUniformItemSizes(true);
    list_->setMinimumSize(420, 280);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblCount"));
    accept_ = new QPushButton(qs("\xDC"
                                 "bernehmen"),
                              this);
    accept_->setObjectName(QStringLiteral("btnAccept"));
    auto* cancel = new QPushButton(qs("Abbrechen"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(search_, 0, 0);
    layout->addWidget(searchButton_, 0, 1);
    layout->addWidget(list_, 1, 0, 1, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(count_, 1);
    bottom->addWidget(accept_);
    bottom->addWidget(cancel);
    layout->addLayout(bottom, 2, 0, 1, 2);

    connect(search_, &QLineEdit::textEdited, this, [this](const QString& t) {
        model_.searchText = cp(t);
        searchButton_->setEnabled(model_.searchEnabled());
    });
    connect(searchButton_, &QPushButton::clicked, this, [this] {
        if (model_.searchEnabled()) model_.search();
    });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int i = list_->row(item);
        if (!refreshing_ && (item->checkState() == Qt::Checked) != model_.ticked(i)) model_.toggle(i);
    });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { model_.toggle(list_->row(item)); });
    connect(accept_, &QPushButton::clicked, this, [this] {
        model_.accept();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &NameSearchDialog::reject);
    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

NameSearchDialog::~NameSearchDialog() {
    model_.setObserver(nullptr);
    if (model_.isOpen()) model_.close();
}

void NameSearchDialog::modelChanged() {
    refreshing_ = true;
    if (list_->count() != model_.count() ||
        (model_.count() > 0 && list_->item(0)->text() != qs(model_.line(0)))) {
        list_->clear();
        for (int i = 0; i < model_.count(); ++i) list_->addItem(qs(model_.line(i)));
    }
    for (int i = 0; i < model_.count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(model_.ticked(i) ? Qt::Checked : Qt::Unchecked);
    }
    searchButton_->setEnabled(model_.searchEnabled());
    count_->setText(qs(model_.countText()));
    accept_->setEnabled(model_.acceptEnabled());
    refreshing_ = false;
}

void NameSearchDialog::reject() {
    model_.cancel();
    QDialog::reject();
}

std::optional<std::string> chooseCacheByName(RunContext& ctx, QWidget* over) {
    NameSearchDialog dialog(ctx, over);
    if (execCentred(dialog, over) != QDialog::Accepted || dialog.model().chosen().empty())
        return std::nullopt;
    return dialog.model().chosen().front();
}

}  // namespace vellora
