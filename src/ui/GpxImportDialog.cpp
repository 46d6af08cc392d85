#include "ui/GpxImportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

GpxImportDialog::GpxImportDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx), model_(ctx) {
    setObjectName(QStringLiteral("frmGPXImp"));
    setWindowTitle(qs(TfrmGPXImp::kCaption));

    file_ = new QLabel(this);
    file_->setObjectName(QStringLiteral("lblFile"));
    file_->setWordWrap(true);

    auto* options = new QGroupBox(qs("Optionen"), this);
    const auto box = [&](const char* text, const char* name) {
        auto* b = new QCheckBox(qs(text), options);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    saveOpts_ = box(TfrmGPXImp::kSaveOptsBox, "cbSaveOpts");
    radSrch_ = box(TfrmGPXImp::kRadSrchBox, "cbRadSrch");
    getDescr_ = box(TfrmGPXImp::kGetDescrBox, "cbGetDescr");
    keepOld_ = box(TfrmGPXImp::kKeepOldBox, "cbKeepOld");
    radius_ = new QLineEdit(options);
    radius_->setObjectName(QStringLiteral("edRadius"));
    radius_->setMaximumWidth(80);
    centre_ = new QComboBox(options);
    centre_->setObjectName(QStringLiteral("cbHome"));
    centreCoords_ = new QLabel(options);
    centreCoords_->setObjectName(QStringLiteral("lblHomeCoords"));
    auto* grid = new QGridLayout(options);
    grid->addWidget(radSrch_, 0, 0, 1, 4);
    grid->addWidget(new QLabel(qs("Radius (km):"), options), 1, 0);
    grid->addWidget(radius_, 1, 1);
    grid->addWidget(new QLabel(qs("um:"), options), 1, 2);
    grid->addWidget(centre_, 1, 3);
    grid->addWidget(centreCoords_, 2, 3);
    grid->addWidget(getDescr_, 3, 0, 1, 4);
    grid->addWidget(keepOld_, 4, 0, 1, 4);
    grid->addWidget(saveOpts_, 5, 0, 1, 4);
    grid->setColumnStretch(3, 1);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox"));
    list_->setMinimumSize(520, 240);
    list_->setUniformItemSizes(true);
    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("lblCounter"));

    start_ = new QPushButton(qs(TfrmGPXImp::kStartButton), this);
    start_->setObjectName(QStringLiteral("btnStart"));
    start_->setToolTip(qs("Die GPX-Datei einlesen und mit der Datenbank vergleichen"));
    work_ = new QPushButton(qs(TfrmGPXImp::kWorkButton), this);
    work_->setObjectName(QStringLiteral("btnWork"));
    work_->setToolTip(qs("Die neuen und ge\xE4nderten Caches in die Datenbank schreiben"));
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    close_->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(work_);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file_);
    layout->addWidget(options);
    layout->addWidget(list_, 1);
    layout->addWidget(counter_);
    layout->addLayout(buttons);

    const auto bind = [this](QCheckBox* b, bool GPXImpOpts::*member) {
        connect(b, &QCheckBox::toggled, this, [this, member](bool on) {
            if (updating_) return;
            model_.options.*member = on;
            modelChanged();
        });
    };
    bind(saveOpts_, &GPXImpOpts::SaveOpts);
    bind(radSrch_, &GPXImpOpts::RadSrch);
    bind(getDescr_, &GPXImpOpts::GetDescr);
    bind(keepOld_, &GPXImpOpts::KeepOld);
    connect(radius_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = radius_->cursorPosition();
        model_.setRadiusText(cp(text));
        radius_->setCursorPosition(cursor);
    });
    connect(centre_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!updating_) model_.setCentre(index);
    });
    connect(start_, &QPushButton::clicked, this, [this] { model_.btnStartClick(); });
    connect(work_, &QPushButton::clicked, this, [this] { model_.btnWorkClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { model_.close(); });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { inspect(list_->row(item)); });

    model_.setObserver(this);
    applyTooltips(this, ctx.settings.ShowTooltips);
}

GpxImportDialog::~GpxImportDialog() {
    model_.setObserver(nullptr);
}

int GpxImportDialog::runOn(const std::string& path) {
    model_.setFile(path);
    list_->clear();
    listShowsPending_ = false;
    shownLines_ = 0;
    model_.open();
    return execCentred(*this, parentWidget());
}

void GpxImportDialog::modelChanged() {
    const TfrmGPXImp& m = model_;
    updating_ = true;
    setWindowTitle(qs(m.caption()));
    file_->setText(qs(m.fileInfo()));
    saveOpts_->setChecked(m.options.SaveOpts);
    radSrch_->setChecked(m.options.RadSrch);
    getDescr_->setChecked(m.options.GetDescr);
    keepOld_->setChecked(m.options.KeepOld);
    if (cp(radius_->text()) != m.options.Radius) radius_->setText(qs(m.options.Radius));
    const auto names = m.centreChoices();
    if (centre_->count() != static_cast<int>(names.size())) {
        centre_->clear();
        for (const auto& n : names) centre_->addItem(qs(n));
    }
    centre_->setCurrentIndex(m.centre());
    centre_->setEnabled(m.centreEnabled() && m.optionsEnabled());
    centreCoords_->setText(qs(m.centreCoordinates()));
    for (QWidget* w : std::initializer_list<QWidget*>{saveOpts_, radSrch_, getDescr_, keepOld_, radius_})
        w->setEnabled(m.optionsEnabled());
    start_->setEnabled(m.startEnabled());
    work_->setEnabled(m.workEnabled());
    close_->setEnabled(m.closeEnabled());
    counter_->setText(qs(m.counterText()));

    // The output pane grows line by line; the pending list replaces it after pass 1.
    if (m.showingPending()) {
        if (!listShowsPending_ || list_->count() != static_cast<int>(m.pending().size())) {
            list_->clear();
            QStringList lines;
            for (const auto& e : m.pending()) lines << qs(e.line);
            list_->addItems(lines);
            listShowsPending_ = true;
        }
    } else {
        const auto& lines = m.outputLines();
        if (static_cast<int>(lines.size()) < shownLines_) {
            list_->clear();
            shownLines_ = 0;
        }
        QStringList more;
        for (std::size_t i = static_cast<std::size_t>(shownLines_); i < lines.size(); ++i)
            more << qs(lines[i]);
        list_->addItems(more);
        shownLines_ = static_cast<int>(lines.size());
        if (!more.isEmpty()) list_->scrollToBottom();
        listShowsPending_ = false;
    }
    updating_ = false;
}

void GpxImportDialog::modelClosed() {
    list_->clear();
    shownLines_ = 0;
    listShowsPending_ = false;
    if (isVisible()) accept();
}

void GpxImportDialog::reject() {
    if (!model_.closeEnabled()) return;
    model_.close();
    QDialog::reject();
}

void GpxImportDialog::inspect(int row) {
    if (!model_.showingPending()) return;
    const auto shown = model_.inspect(row);
    if (!shown) return;
    CacheDetailsDialog upper(ctx_, this);
    upper.setWindowTitle(qs("Neuer Cache"));
    upper.model().record = shown->imported;
    upper.model().removeButtonVisible = true;
    upper.model().notesAllowed = false;
    upper.refresh();
    if (!shown->existing) {
        execCentred(upper, this);
    } else {
        upper.setStyleSheet(QStringLiteral("QDialog { background-color: #FFFFE0; }"));
        upper.markDifferences(*shown->existing);
        CacheDetailsDialog lower(ctx_, this);
        lower.setWindowTitle(qs("Vorhandener Cache"));
        lower.model().record = *shown->existing;
        lower.model().notesAllowed = false;
        lower.refresh();
        lower.markDifferences(shown->imported);
        lower.showButton()->hide();
        lower.keepButton()->hide();
        lower.removeButton()->hide();
        upper.adjustSize();
        lower.adjustSize();
        const QPoint c = mapToGlobal(rect().center());
        upper.move(c.x() - upper.width() / 2, std::max(0, c.y() - upper.height()));
        lower.move(c.x() - lower.width() / 2, c.y());
        lower.show();
        upper.exec();
        lower.close();
    }
    if (upper.model().result() == TfrmCacheDetails::Result::Remove) model_.removeEntry(row);
}

}  // namespace vellora
