#include "ui/LoadHTMLDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/RunContext.h"
#include "listing/LoadHTML.h"
#include "ui/DialogHost.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

QPushButton* button(const char* caption, const char* name, const char* tip, QWidget* parent) {
    auto* b = new QPushButton(qs(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    if (tip) b->setToolTip(qs(tip));
    return b;
}

QCheckBox* checkBox(const char* caption, const char* name, const char* tip, QWidget* parent) {
    auto* c = new QCheckBox(qs(caption), parent);
    c->setObjectName(QString::fromLatin1(name));
    if (tip) c->setToolTip(qs(tip));
    return c;
}

void setChecked(QAbstractButton* b, bool on) {
    if (b->isChecked() == on) return;
    QSignalBlocker block(b);
    b->setChecked(on);
}

}  // namespace

LoadHTMLDialog::LoadHTMLDialog(RunContext& ctx, TfrmLoadHTML& model, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(model) {
    setObjectName(QStringLiteral("frmLoadHTML"));
    setWindowTitle(qs(TfrmLoadHTML::kCaption));

    headline_ = new QLabel(this);
    headline_->setObjectName(QStringLiteral("lblHeadline"));
    headline_->setWordWrap(true);
    QFont bold = headline_->font();
    bold.setBold(true);
    headline_->setFont(bold);
    edit_ = button("bearbeiten", "btnEdit", "Die Arbeitsliste bearbeiten", this);
    why_ = button("Warum?", "btnWhy",
                  "Warum h\xF6"
                  "chstens 50 Cachebeschreibungen geladen werden",
                  this);
    auto* top = new QHBoxLayout;
    top->addWidget(headline_, 1);
    top->addWidget(edit_);
    top->addWidget(why_);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pcLoad"));
    optionsPage_ = buildOptionsPage();
    protocolPage_ = buildProtocolPage();
    pages_->addTab(optionsPage_, qs("Optionen"));
    pages_->addTab(protocolPage_, qs("Ladeprotokoll"));

    load_ = button("Laden", "btnLoad", "Die Cachebeschreibungen der Liste laden", this);
    mapsOnly_ = button("Nur Landkarten laden (ohne Caches)", "btnLoadMapsOnly",
                       "F\xFC"
                       "r alle Caches der Liste nur die Landkarte laden",
                       this);
    abort_ = button("Abbrechen", "btnAbort", "Das Laden nach dem aktuellen Cache beenden", this);
    close_ = button(
        "Schlie\xDF"
        "en",
        "btnClose", nullptr, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load_);
    buttons->addWidget(mapsOnly_);
    buttons->addStretch();
    buttons->addWidget(abort_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);

    transferHost_ = std::make_unique<DialogHost>(ctx_, progressBarSink(fileBar_), DialogHost::PerRun);

    connectOptions();
    connect(load_, &QPushButton::clicked, this, [this] { startRun(false); });
    connect(mapsOnly_, &QPushButton::clicked, this, [this] { startRun(true); });
    connect(abort_, &QPushButton::clicked, this, &LoadHTMLDialog::abortClicked);
    connect(close_, &QPushButton::clicked, this, &LoadHTMLDialog::closeWindow);
    connect(why_, &QPushButton::clicked, this, [this] { model_.btnWhyClick(); });
    connect(edit_, &QPushButton::clicked, this, [this] { model_.btnEditClick(); });

    autoLoadTimer_.setSingleShot(true);
    autoLoadTimer_.setInterval(TfrmLoadHTML::kAutoLoadMilliseconds);
    connect(&autoLoadTimer_, &QTimer::timeout, this, &LoadHTMLDialog::autoLoad);
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(TfrmLoadHTML::kCloseDelayMilliseconds);
    connect(&closeTimer_, &QTimer::timeout, this, &LoadHTMLDialog::closeWindow);

    model_.setObserver(this);
    resize(720, 560);
    update();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

LoadHTMLDialog::~LoadHTMLDialog() {
    model_.setObserver(nullptr);
}

QWidget* LoadHTMLDialog::buildOptionsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* existing = new QGroupBox(qs("Bereits vorhandene Cachebeschreibungen"), page);
    auto* e = new QGridLayout(existing);
    overwriteGroup_ = new QButtonGroup(this);
    const char* const overwriteTexts[] = {
        "nie \xFC"
        "berschreiben",
        "immer \xFC"
        "berschreiben",
        "\xFC"
        "berschreiben, wenn \xE4lter als"};
    for (int i = 0; i < 3; ++i) {
        overwrite_[static_cast<std::size_t>(i)] = new QRadioButton(qs(overwriteTexts[i]), existing);
        overwrite_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("rbOverwrite%1").arg(i));
        overwriteGroup_->addButton(overwrite_[static_cast<std::size_t>(i)], i);
    }
    age_ = new QLineEdit(existing);
    age_->setObjectName(QStringLiteral("edOverwriteAge"));
    age_->setMaxLength(4);
    age_->setFixedWidth(age_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    age_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), age_));
    age_->setToolTip(qs("Alter in Tagen, ab dem eine vorhandene Beschreibung ersetzt wird"));
    e->addWidget(overwrite_[0], 0, 0, 1, 3);
    e->addWidget(overwrite_[1], 1, 0, 1, 3);
    e->addWidget(overwrite_[2], 2, 0);
    e->addWidget(age_, 2, 1);
    e->addWidget(new QLabel(qs("Tage"), existing), 2, 2);
    e->setColumnStretch(3, 1);

    auto* imageBox = new QGroupBox(qs("Bilder"), page);
    auto* i = new QVBoxLayout(imageBox);
    images_ =
        checkBox("Cache-Images laden", "cbLoadImages", "Die Bilder der Cachebeschreibung mitladen", imageBox);
    remoteImages_ =
        checkBox("auch Bilder von fremden Servern", "cbRemoteImages",
                 "Auch Bilder der Langbeschreibung laden, die auf anderen Servern liegen", imageBox);
    i->addWidget(images_);
    i->addWidget(remoteImages_);

    auto* skipBox = new QGroupBox(qs("Nicht laden:"), page);
    auto* s = new QVBoxLayout(skipBox);
    noFound_ = checkBox("Gefundene Caches", "cbNoExclude", "Caches der Fundliste nicht laden", skipBox);
    noIgnored_ = checkBox("Ignorierte Caches", "cbNoIgnored", "Caches der Ignore-Liste nicht laden", skipBox);
    noArchived_ =
        checkBox("Archivierte Caches", "cbNoArchived", "Caches der Archivliste nicht laden", skipBox);
    s->addWidget(noFound_);
    s->addWidget(noIgnored_);
    s->addWidget(noArchived_);

    auto* mapBox = new QGroupBox(qs("Landkarte der Cachebeschreibung"), page);
    auto* m = new QGridLayout(mapBox);
    loadMap_ = checkBox("Landkarte laden", "cbLoadMap", "Zu jedem Cache eine Landkarte laden", mapBox);
    m->addWidget(loadMap_, 0, 0, 1, 4);
    mapKindGroup_ = new QButtonGroup(this);
    auto* kinds = new QHBoxLayout;
    for (int k = 0; k < kMapKindCount; ++k) {
        auto* r = new QRadioButton(qs(mapKindInfo(k).name), mapBox);
        r->setObjectName(QStringLiteral("rbMapKind%1").arg(k));
        mapKinds_[static_cast<std::size_t>(k)] = r;
        mapKindGroup_->addButton(r, k);
        kinds->addWidget(r);
    }
    kinds->addStretch();
    m->addLayout(kinds, 1, 0, 1, 4);
    zoom_ = new QComboBox(mapBox);
    zoom_->setObjectName(QStringLiteral("cbMapZoom"));
    zoom_->setToolTip(
        qs("Ma\xDF"
           "stab der Landkarte"));
    size_ = new QComboBox(mapBox);
    size_->setObjectName(QStringLiteral("cbMapSize"));
    size_->setToolTip(
        qs("Gr\xF6\xDF"
           "e der Landkarte"));
    size_->setMinimumContentsLength(16);
    zoom_->setMinimumContentsLength(18);
    m->addWidget(new QLabel(qs("Zoomfaktor:"), mapBox), 2, 0);
    m->addWidget(zoom_, 2, 1);
    m->addWidget(new QLabel(qs("Kartengr\xF6\xDF"
                               "e:"),
                            mapBox),
                 2, 2);
    m->addWidget(size_, 2, 3);
    m->setColumnStretch(4, 1);

    saveOpts_ = checkBox("Einstellungen speichern", "cbSaveOpts",
                         "Die Optionen beim Schlie\xDF"
                         "en speichern und beim n\xE4"
                         "chsten Mal wieder einstellen",
                         page);

    auto* row = new QHBoxLayout;
    row->addWidget(existing, 1);
    row->addWidget(skipBox);
    layout->addLayout(row);
    layout->addWidget(imageBox);
    layout->addWidget(mapBox);
    layout->addWidget(saveOpts_);
    layout->addStretch();
    return page;
}

QWidget* LoadHTMLDialog::buildProtocolPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    task_ = new QLabel(page);
    task_->setObjectName(QStringLiteral("lblTask"));
    QFont bold = task_->font();
    bold.setBold(true);
    task_->setFont(bold);
    content_ = new QLabel(page);
    content_->setObjectName(QStringLiteral("lblContent"));
    content_->setWordWrap(true);
    protocol_ = new QListWidget(page);
    protocol_->setObjectName(QStringLiteral("lbProtocol"));
    protocol_->setSelectionMode(QAbstractItemView::NoSelection);
    protocol_->setUniformItemSizes(true);

    auto* stats = new QGroupBox(qs("Ladestatistik"), page);
    auto* g = new QGridLayout(stats);
    for (int r = 0; r < kStatisticsRows; ++r) {
        auto* label = new QLabel(stats);
        auto* value = new QLabel(stats);
        label->setObjectName(QStringLiteral("lblStat%1").arg(r));
        value->setObjectName(QStringLiteral("lblStatValue%1").arg(r));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
        statLabels_[static_cast<std::size_t>(r)] = label;
        statValues_[static_cast<std::size_t>(r)] = value;
        g->addWidget(label, r, 0);
        g->addWidget(value, r, 1);
    }
    g->setRowStretch(kStatisticsRows, 1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(protocol_, 1);
    middle->addWidget(stats);

    subTask_ = new QLabel(page);
    subTask_->setObjectName(QStringLiteral("lblSubTask"));
    fileBar_ = new QProgressBar(page);
    fileBar_->setObjectName(QStringLiteral("pbFile"));
    fileBar_->setRange(0, 1);
    fileBar_->setValue(0);
    fileBar_->setToolTip(
        qs("Fortschritt der aktuellen \xDC"
           "bertragung"));
    overallBar_ = new QProgressBar(page);
    overallBar_->setObjectName(QStringLiteral("pbOverall"));
    overallBar_->setRange(0, 1);
    overallBar_->setValue(0);
    overallBar_->setToolTip(
        qs("Fortschritt \xFC"
           "ber die ganze Liste"));
    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(qs("Datei:"), page), 0, 0);
    bars->addWidget(fileBar_, 0, 1);
    bars->addWidget(new QLabel(qs("Gesamt:"), page), 1, 0);
    bars->addWidget(overallBar_, 1, 1);

    layout->addWidget(task_);
    layout->addWidget(content_);
    layout->addLayout(middle, 1);
    layout->addWidget(subTask_);
    layout->addLayout(bars);
    return page;
}

void LoadHTMLDialog::connectOptions() {
    TLoadOptions& o = model_.options;
    connect(overwriteGroup_, &QButtonGroup::idClicked, this, [this, &o](int id) {
        o.Overwrite = id;
        update();
    });
    connect(age_, &QLineEdit::textEdited, this,
            [&o](const QString& text) { o.OverwriteAge = sanitizeOverwriteAge(cp(text)); });
    connect(images_, &QCheckBox::toggled, this, [this, &o](bool on) {
        o.Images = on;
        update();
    });
    connect(remoteImages_, &QCheckBox::toggled, this, [&o](bool on) { o.RemoteImages = on; });
    connect(noFound_, &QCheckBox::toggled, this, [&o](bool on) { o.NoExclude = on; });
    connect(noIgnored_, &QCheckBox::toggled, this, [this](bool on) { model_.noIgnored = on; });
    connect(noArchived_, &QCheckBox::toggled, this, [&o](bool on) { o.NoArchived = on; });
    connect(loadMap_, &QCheckBox::toggled, this, [&o](bool on) { o.LoadMap = on; });
    connect(mapKindGroup_, &QButtonGroup::idClicked, this, [this, &o](int kind) {
        o.MapKind = kind;
        update();
    });
    connect(zoom_, &QComboBox::activated, this, [&o](int index) {
        o.MapZoom[static_cast<std::size_t>(std::clamp(o.MapKind, 0, kMapKindCount - 1))] = index;
    });
    connect(size_, &QComboBox::activated, this, [&o](int index) { o.MapSize = index; });
    connect(saveOpts_, &QCheckBox::toggled, this, [&o](bool on) { o.SaveOpts = on; });
}

void LoadHTMLDialog::fillMapChoices() {
    const int kind = std::clamp(model_.options.MapKind, 0, kMapKindCount - 1);
    if (kind == shownKind_) return;
    shownKind_ = kind;
    const TMapKindInfo& info = mapKindInfo(kind);
    QSignalBlocker blockZoom(zoom_), blockSize(size_);
    zoom_->clear();
    for (const char* scale : info.scales) zoom_->addItem(qs(scale));
    size_->clear();
    for (const char* size : info.sizes) size_->addItem(qs(size));
}

// The options as the model holds them; they change there when the window opens (stored options),
// when a run starts (an empty day field becomes "1") and for a manual list.
void LoadHTMLDialog::syncOptions() {
    const TLoadOptions& o = model_.options;
    setChecked(overwrite_[static_cast<std::size_t>(std::clamp(o.Overwrite, 0, 2))], true);
    if (cp(age_->text()) != o.OverwriteAge) age_->setText(qs(o.OverwriteAge));
    setChecked(images_, o.Images);
    setChecked(remoteImages_, o.RemoteImages);
    setChecked(noFound_, o.NoExclude);
    setChecked(noIgnored_, model_.noIgnored);
    setChecked(noArchived_, o.NoArchived);
    setChecked(loadMap_, o.LoadMap);
    const int kind = std::clamp(o.MapKind, 0, kMapKindCount - 1);
    setChecked(mapKinds_[static_cast<std::size_t>(kind)], true);
    fillMapChoices();
    QSignalBlocker blockZoom(zoom_), blockSize(size_);
    zoom_->setCurrentIndex(clampMapScale(kind, o.MapZoom[static_cast<std::size_t>(kind)]));
    size_->setCurrentIndex(size_->count() > 0 ? clampMapSize(kind, o.MapSize) : -1);
    setChecked(saveOpts_, o.SaveOpts);
}

void LoadHTMLDialog::update() {
    syncOptions();
    const bool quiet = model_.quiet();
    headline_->setText(qs(model_.headline()));
    headline_->setVisible(!quiet);
    pages_->setTabVisible(0, !quiet);
    // Follow the model's switches between the pages, and leave the user's own choice alone.
    if (model_.protocolVisible() && !protocolWasVisible_) pages_->setCurrentWidget(protocolPage_);
    if (model_.optionsVisible() && !optionsWereVisible_ && !quiet) pages_->setCurrentWidget(optionsPage_);
    protocolWasVisible_ = model_.protocolVisible();
    optionsWereVisible_ = model_.optionsVisible();

    optionsPage_->setEnabled(model_.optionsEnabled());
    remoteImages_->setEnabled(model_.remoteImagesEnabled());
    age_->setEnabled(model_.options.Overwrite == 2);
    size_->setEnabled(size_->count() > 0);

    const auto& lines = model_.protocolLines();
    if (lines.size() < protocolShown_) {
        protocol_->clear();
        protocolShown_ = 0;
    }
    if (lines.size() > protocolShown_) {
        for (std::size_t i = protocolShown_; i < lines.size(); ++i) {
            // A line cut off at the list's edge can be read whole in its tool tip.
            auto* item = new QListWidgetItem(qs(lines[i]), protocol_);
            item->setToolTip(item->text());
        }
        protocolShown_ = lines.size();
        protocol_->scrollToBottom();
    }
    task_->setText(qs(model_.taskText()));
    content_->setText(qs(model_.contentText()));
    content_->setVisible(!model_.contentText().empty());
    const int room = std::max(protocol_->width() - 40, 120);
    const QFontMetrics metrics = subTask_->fontMetrics();
    subTask_->setText(qs(elideMiddle(model_.subTaskText(), [&](std::string_view text) {
        return metrics.horizontalAdvance(qs(text)) <= room;
    })));

    const int max = model_.overallMax();
    overallBar_->setRange(0, std::max(max, 1));
    overallBar_->setValue(std::clamp(model_.overallPosition(), 0, std::max(max, 1)));
    const auto stats = statisticsLines(model_.statistics());
    for (std::size_t r = 0; r < statLabels_.size() && r < stats.size(); ++r) {
        const std::string& line = stats[r];
        const std::size_t blank = line.rfind(' ');
        statLabels_[r]->setText(qs(line.substr(0, blank)));
        statValues_[r]->setText(qs(blank == std::string::npos ? std::string() : line.substr(blank + 1)));
    }

    load_->setEnabled(model_.loadEnabled());
    mapsOnly_->setEnabled(model_.loadEnabled());
    load_->setVisible(!quiet);
    mapsOnly_->setVisible(!quiet);
    edit_->setVisible(!quiet);
    edit_->setEnabled(model_.editEnabled() && static_cast<bool>(model_.editWorkList));
    why_->setVisible(model_.whyVisible());
    abort_->setVisible(model_.abortVisible());
    abort_->setEnabled(model_.abortEnabled() && !hostAbortAsked_);
    close_->setEnabled(model_.closeEnabled());
    close_->setVisible(!quiet);

    if (model_.closeRequested() && !closeTimer_.isActive() && !model_.unattended()) closeTimer_.start();
    if (model_.isOpen()) modelClosed_ = false;
    if (modelClosed_ && !finished_ && isVisible()) {
        // Queued: the model may close in the middle of a run's call or before exec() has begun.
        finished_ = true;
        QTimer::singleShot(0, this,
                           [this] { done(model_.errorFlag() ? QDialog::Rejected : QDialog::Accepted); });
    }
}

void LoadHTMLDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    finished_ = false;
    if (model_.unattended() && !model_.running() && model_.isOpen()) autoLoadTimer_.start();
    update();
}

void LoadHTMLDialog::startRun(bool mapsOnly) {
    if (model_.running()) return;
    clearHostAbort(ctx_.host());
    hostAbortAsked_ = false;
    {
        ScopedHost scoped(ctx_, *transferHost_);
        if (mapsOnly) {
            model_.btnLoadMapsOnlyClick();
        } else {
            model_.btnLoadClick();
        }
    }
    update();
}

void LoadHTMLDialog::autoLoad() {
    clearHostAbort(ctx_.host());
    {
        ScopedHost scoped(ctx_, *transferHost_);
        model_.startUnattended();
    }
    model_.close();
    update();
}

void LoadHTMLDialog::abortClicked() {
    if (model_.quiet()) {
        // A stand-alone download polls the program's host.
        hostAbortAsked_ = true;
        requestHostAbort(ctx_.host());
        update();
        return;
    }
    model_.btnAbortClick();
}

void LoadHTMLDialog::closeWindow() {
    if (model_.running()) return;
    closeTimer_.stop();
    if (model_.quiet()) return;  // its caller closes it
    model_.close();
    update();
}

void LoadHTMLDialog::reject() {
    if (model_.quiet()) {
        if (model_.abortVisible() && model_.abortEnabled()) abortClicked();
        return;
    }
    closeWindow();
}

void LoadHTMLDialog::closeEvent(QCloseEvent* event) {
    // Only the model's closing ends the window; during a run it stays.
    event->ignore();
    reject();
}

void openLoadHTMLWindow(RunContext& ctx, TfrmLoadHTML& model, QWidget* over) {
    model.open();
    LoadHTMLDialog dialog(ctx, model, over);
    execCentred(dialog, over);
    // A window closed by other means still stores its options and tells the batch.
    model.close();
}

}  // namespace vellora
