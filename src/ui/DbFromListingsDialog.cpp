#include "ui/DbFromListingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

DbFromListingsDialog::DbFromListingsDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), model_(ctx) {
    setObjectName(QStringLiteral("frmDbFromListings"));
    setWindowTitle(qs(TfrmDbFromListings::kCaption));

    auto* dirGroup = new QGroupBox(qs(TfrmDbFromListings::kDirGroup), this);
    outputDir_ = new QRadioButton(qs("Ausgabeverzeichnis"), dirGroup);
    outputDir_->setObjectName(QStringLiteral("rbOutDir"));
    outputDir_->setToolTip(qs("Die Cachebeschreibungen im Ausgabeverzeichnis einlesen"));
    otherDir_ = new QRadioButton(qs("Anderer Speicherort"), dirGroup);
    otherDir_->setObjectName(QStringLiteral("rbOtherDir"));
    otherDir_->setToolTip(qs("Die Cachebeschreibungen im unten angegebenen Verzeichnis einlesen"));
    auto* dirChoice = new QButtonGroup(this);
    dirChoice->addButton(outputDir_);
    dirChoice->addButton(otherDir_);
    directory_ = new QLineEdit(dirGroup);
    directory_->setObjectName(QStringLiteral("edDirectory"));
    directory_->setMinimumWidth(300);
    directory_->setToolTip(qs("Verzeichnis mit gespeicherten Cachebeschreibungen (GC*.htm, GC*.html)"));
    browse_ = new QPushButton(qs("durchsuchen"), dirGroup);
    browse_->setObjectName(QStringLiteral("btnBrowse"));
    browse_->setToolTip(qs("Das Verzeichnis ausw\xE4hlen"));
    auto* dirLayout = new QGridLayout(dirGroup);
    dirLayout->addWidget(outputDir_, 0, 0, 1, 3);
    dirLayout->addWidget(otherDir_, 1, 0, 1, 3);
    dirLayout->addWidget(new QLabel(qs("Verzeichnis:"), dirGroup), 2, 0);
    dirLayout->addWidget(directory_, 2, 1);
    dirLayout->addWidget(browse_, 2, 2);
    dirLayout->setColumnStretch(1, 1);

    auto* existingGroup = new QGroupBox(qs(TfrmDbFromListings::kExistingGroup), this);
    skip_ = new QRadioButton(qs("\xFC"
                                "berspringen"),
                             existingGroup);
    skip_->setObjectName(QStringLiteral("rbSkip"));
    skip_->setToolTip(qs("Caches, die schon in der Datenbank stehen, unver\xE4ndert lassen"));
    update_ = new QRadioButton(qs("Datenbank updaten"), existingGroup);
    update_->setObjectName(QStringLiteral("rbUpdate"));
    update_->setToolTip(qs("Caches, deren Daten sich ge\xE4ndert haben, in der Datenbank erneuern"));
    auto* existingChoice = new QButtonGroup(this);
    existingChoice->addButton(skip_);
    existingChoice->addButton(update_);
    auto* existingLayout = new QHBoxLayout(existingGroup);
    existingLayout->addWidget(skip_);
    existingLayout->addWidget(update_);
    existingLayout->addStretch();

    workList_ = new QCheckBox(qs(TfrmDbFromListings::kWorkListBox), this);
    workList_->setObjectName(QStringLiteral("cbAddToWorkList"));
    workList_->setToolTip(qs("Die neu aufgenommenen Caches an die Arbeitsliste anh\xE4ngen"));

    auto* protocolGroup = new QGroupBox(qs("Protokoll"), this);
    protocol_ = new QListWidget(protocolGroup);
    protocol_->setObjectName(QStringLiteral("lbProtocol"));
    protocol_->setMinimumSize(460, 200);
    busy_ = new QProgressBar(protocolGroup);
    busy_->setObjectName(QStringLiteral("pbBusy"));
    busy_->setTextVisible(false);
    busy_->setRange(0, 1);
    busy_->setValue(0);
    auto* protocolLayout = new QVBoxLayout(protocolGroup);
    protocolLayout->addWidget(protocol_);
    protocolLayout->addWidget(busy_);

    start_ = new QPushButton(qs("Start"), this);
    start_->setObjectName(QStringLiteral("btnStart"));
    start_->setToolTip(
        qs("Die Cachebeschreibungen einlesen und in die Datenbank \xFC"
           "bernehmen"));
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    close_->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dirGroup);
    layout->addWidget(existingGroup);
    layout->addWidget(workList_);
    layout->addWidget(protocolGroup, 1);
    layout->addLayout(buttons);

    connect(outputDir_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) model_.directory = TfrmDbFromListings::Directory::Output;
    });
    connect(otherDir_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) model_.directory = TfrmDbFromListings::Directory::Other;
    });
    connect(directory_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.otherDirectory = pathOf(text); });
    connect(browse_, &QPushButton::clicked, this, [this] { model_.btnBrowseClick(); });
    connect(skip_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) model_.existing = TfrmDbFromListings::Existing::Skip;
    });
    connect(update_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) model_.existing = TfrmDbFromListings::Existing::Update;
    });
    connect(workList_, &QCheckBox::toggled, this, [this](bool on) { model_.addToWorkList = on; });
    connect(start_, &QPushButton::clicked, this, &DbFromListingsDialog::startClicked);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

DbFromListingsDialog::~DbFromListingsDialog() {
    model_.setObserver(nullptr);
    model_.close();
}

void DbFromListingsDialog::startClicked() {
    if (running_ || !model_.startEnabled()) return;
    running_ = true;
    busy_->setRange(0, 0);
    refresh();
    model_.btnStartClick();
    running_ = false;
    busy_->setRange(0, 1);
    busy_->setValue(0);
    refresh();
}

void DbFromListingsDialog::refresh() {
    const TfrmDbFromListings& m = model_;
    const bool output = m.directory == TfrmDbFromListings::Directory::Output;
    outputDir_->setChecked(output);
    otherDir_->setChecked(!output);
    if (pathOf(directory_->text()) != m.otherDirectory) directory_->setText(qPath(m.otherDirectory));
    skip_->setChecked(m.existing == TfrmDbFromListings::Existing::Skip);
    update_->setChecked(m.existing == TfrmDbFromListings::Existing::Update);
    workList_->setChecked(m.addToWorkList);
    // The options are read during a run (the work list is written back at its end only when the
    // box is ticked), so they stay as they were until it has ended.
    for (QWidget* w : std::initializer_list<QWidget*>{outputDir_, otherDir_, directory_, browse_, skip_,
                                                      update_, workList_})
        w->setEnabled(!running_);

    const auto& lines = m.protocol();
    if (static_cast<std::size_t>(protocol_->count()) > lines.size()) protocol_->clear();
    for (auto i = static_cast<std::size_t>(protocol_->count()); i < lines.size(); ++i)
        protocol_->addItem(qs(lines[i]));
    if (protocol_->count() > 0) protocol_->scrollToBottom();

    start_->setEnabled(m.startEnabled() && !running_);
    close_->setEnabled(m.closeEnabled() && !running_);
}

void DbFromListingsDialog::reject() {
    if (running_ || !model_.closeEnabled()) return;
    QDialog::reject();
}

void DbFromListingsDialog::closeEvent(QCloseEvent* event) {
    if (running_ || !model_.closeEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vellora
