#include "ui/Rot13Dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

Rot13Dialog::Rot13Dialog(bool showTooltips, QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs(Rot13DialogModel::kCaption));
    setObjectName(QStringLiteral("frmRot13"));
    text_ = new QPlainTextEdit(this);
    text_->setMinimumSize(460, 260);
    text_->installEventFilter(this);
    rot13_ = new QPushButton(qs(Rot13DialogModel::kRot13Button), this);
    rot13_->setToolTip(qs("Den ganzen Text mit ROT13 codieren bzw. decodieren"));
    auto* close = new QPushButton(qs("Schlie\xDF"
                                     "en"),
                                  this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(rot13_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);

    model_.setObserver(this);
    connect(text_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_) model_.setText(cp(text_->toPlainText()));
    });
    connect(rot13_, &QPushButton::clicked, this, [this] { model_.rot13Click(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    showText();
    rot13_->setFocus();
    applyTooltips(this, showTooltips);
}

bool Rot13Dialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::FocusIn) model_.textFieldFocused();
    return QDialog::eventFilter(watched, event);
}

void Rot13Dialog::showText() {
    updating_ = true;
    text_->setPlainText(qs(model_.text()));
    updating_ = false;
}

}  // namespace vellora
