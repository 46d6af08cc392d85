#include "ui/EditorDialog.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "listing/Editor.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

EditorDialog::EditorDialog(RunContext& ctx, TfrmEditor& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("frmEditor"));
    setWindowTitle(qs(TfrmEditor::kCaption));

    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName(QStringLiteral("memLongDescription"));
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setPlainText(qs(model_.text));
    wordWrap_ = new QCheckBox(qs(TfrmEditor::kWordWrapBox), this);
    wordWrap_->setObjectName(QStringLiteral("cbWordWrap"));
    wordWrap_->setToolTip(qs("Lange Zeilen im Textfeld umbrechen"));
    wordWrap_->setChecked(model_.wordWrap);
    preview_ = new QPushButton(qs(TfrmEditor::kPreviewButton), this);
    preview_->setObjectName(QStringLiteral("btnPreview"));
    preview_->setToolTip(qs("Die ge\xE4nderte Langbeschreibung im Browser ansehen"));
    preview_->setAutoDefault(false);
    save_ = new QPushButton(qs(TfrmEditor::kSaveButton), this);
    save_->setObjectName(QStringLiteral("btnSave"));
    save_->setToolTip(qs("Die ge\xE4nderte Langbeschreibung in die konvertierte Beschreibung schreiben"));
    save_->setAutoDefault(false);
    discard_ = new QPushButton(qs(TfrmEditor::kDiscardButton), this);
    discard_->setObjectName(QStringLiteral("btnDiscard"));
    discard_->setToolTip(qs("Die \xC4nderungen verwerfen"));
    discard_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(wordWrap_);
    buttons->addStretch();
    buttons->addWidget(preview_);
    buttons->addWidget(save_);
    buttons->addWidget(discard_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editor_, 1);
    layout->addLayout(buttons);

    connect(wordWrap_, &QCheckBox::toggled, this, [this](bool on) {
        model_.wordWrap = on;
        applyWordWrap();
    });
    connect(editor_, &QPlainTextEdit::textChanged, this,
            [this] { model_.text = cp(editor_->toPlainText()); });
    connect(preview_, &QPushButton::clicked, this, [this] { model_.btnPreviewClick(); });
    connect(save_, &QPushButton::clicked, this, [this] {
        if (model_.btnSaveClick()) accept();
    });
    connect(discard_, &QPushButton::clicked, this, &EditorDialog::reject);

    applyWordWrap();
    resize(760, 540);
    applyTooltips(this, ctx.settings.ShowTooltips);
}

void EditorDialog::applyWordWrap() {
    const bool wrap = model_.wordWrap;
    editor_->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    editor_->setHorizontalScrollBarPolicy(model_.horizontalScrollBar() ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void EditorDialog::reject() {
    model_.btnDiscardClick();
    QDialog::reject();
}

bool editLongDescription(RunContext& ctx, const std::string& dir, const std::string& waypoint,
                         QWidget* over) {
    TfrmEditor model(ctx);
    if (!model.Edit(dir, waypoint)) return false;
    EditorDialog dialog(ctx, model, over);
    return execCentred(dialog, over) == QDialog::Accepted;
}

}  // namespace vellora
