#include "ui/AddInfoDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

AddInfoDialog::AddInfoDialog(RunContext& ctx, const std::string& waypoint, QWidget* parent)
    : QDialog(parent), model_(ctx, waypoint) {
    setObjectName(QStringLiteral("frmAddInfo"));
    model_.open();
    setWindowTitle(qs(model_.caption()));

    editor_ = new QPlainTextEdit(this);
    editor_->setMinimumSize(520, 280);
    QStringList lines;
    for (const auto& line : model_.lines()) lines << qs(line);
    editor_->setPlainText(lines.join(QLatin1Char('\n')));
    lineBreak_ = new QCheckBox(qs(kLineBreakBox), this);
    lineBreak_->setChecked(model_.lineBreak());
    lineBreak_->setToolTip(qs("Lange Zeilen im Editor umbrechen"));
    save_ = new QPushButton(qs(kAddInfoSave), this);
    erase_ = new QPushButton(qs(kAddInfoErase), this);
    erase_->setToolTip(qs("Die Zusatzinformationen zu diesem Cache l\xF6schen"));
    auto* cancel = new QPushButton(qs(kAddInfoCancel), this);
    save_->setDefault(false);
    save_->setAutoDefault(false);
    erase_->setAutoDefault(false);
    cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lineBreak_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(erase_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editor_);
    layout->addLayout(buttons);

    connect(lineBreak_, &QCheckBox::toggled, this, [this](bool on) {
        model_.setLineBreak(on);
        applyLineBreak();
    });
    connect(save_, &QPushButton::clicked, this, [this] {
        if (model_.save(splitEditorLines(cp(editor_->toPlainText())))) accept();
    });
    connect(erase_, &QPushButton::clicked, this, [this] {
        if (model_.erase()) {
            editor_->clear();
            accept();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    applyLineBreak();
    editor_->setFocus();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

void AddInfoDialog::applyLineBreak() {
    const bool wrap = model_.lineBreak();
    editor_->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    editor_->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool editNotes(RunContext& ctx, const std::string& waypoint, QWidget* over) {
    AddInfoDialog dialog(ctx, waypoint, over);
    return execCentred(dialog, over) == QDialog::Accepted;
}

}  // namespace vellora
