#include "ui/BuddyDialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

BuddyDialog::BuddyDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), model_(ctx) {
    setWindowTitle(qs(TfrmBuddylist::kCaption));
    setObjectName(QStringLiteral("frmBuddylist"));
    list_ = new QListWidget(this);
    list_->setMinimumSize(240, 220);
    edit_ = new QLineEdit(this);
    edit_->installEventFilter(this);
    add_ = new QPushButton(qs(TfrmBuddylist::kAddButton), this);
    remove_ = new QPushButton(qs(TfrmBuddylist::kRemoveButton), this);
    ok_ = new QPushButton(qs(TfrmBuddylist::kOkButton), this);
    cancel_ = new QPushButton(qs(TfrmBuddylist::kCancelButton), this);
    add_->setToolTip(qs("Den eingegebenen Namen in die Buddy-Liste aufnehmen"));
    remove_->setToolTip(qs("Den markierten Namen aus der Buddy-Liste entfernen"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(qs(TfrmBuddylist::kListLabel), this), 0, 0);
    layout->addWidget(list_, 1, 0, 3, 1);
    layout->addWidget(remove_, 1, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(qs(TfrmBuddylist::kNewEntryLabel), this), 4, 0);
    layout->addWidget(edit_, 5, 0);
    layout->addWidget(add_, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons, 6, 0, 1, 2);

    connect(edit_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.edNewEntryChange(cp(t)); });
    connect(add_, &QPushButton::clicked, this, [this] { model_.btnAddClick(); });
    connect(remove_, &QPushButton::clicked, this, [this] { model_.btnRemoveClick(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!updating_) model_.lbBuddiesClick(row);
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { model_.lbBuddiesDblClick(); });
    connect(ok_, &QPushButton::clicked, this, [this] { model_.btnOKClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.btnCancelClick(); });

    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

BuddyDialog::~BuddyDialog() {
    model_.setObserver(nullptr);
}

bool BuddyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn)) {
        model_.edNewEntryClick();
    }
    return QDialog::eventFilter(watched, event);
}

void BuddyDialog::modelChanged() {
    updating_ = true;
    bool same = list_->count() == static_cast<int>(model_.entries().size());
    for (int i = 0; same && i < list_->count(); ++i)
        same = list_->item(i)->text() == qs(model_.entries()[static_cast<std::size_t>(i)]);
    if (!same) {
        list_->clear();
        for (const auto& name : model_.entries()) list_->addItem(qs(name));
    }
    list_->setCurrentRow(model_.selectedIndex());
    updating_ = false;
    if (edit_->text() != qs(model_.newEntryText())) edit_->setText(qs(model_.newEntryText()));
    add_->setEnabled(model_.addEnabled());
    remove_->setEnabled(model_.removeEnabled());
    add_->setDefault(model_.addIsDefault());
    ok_->setDefault(!model_.addIsDefault());
}

void BuddyDialog::modelClosed() {
    if (model_.result() == TfrmBuddylist::Result::Ok) {
        accept();
    } else {
        QDialog::reject();
    }
}

void BuddyDialog::reject() {
    model_.btnCancelClick();
}

}  // namespace vellora
