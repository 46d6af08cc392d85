#include "ui/CreateDescrDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
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
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Host.h"
#include "core/RunContext.h"
#include "listing/CreateDescr.h"
#include "ui/DialogHost.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

// The removal boxes in their order, with the options they set.
struct RemovalBox {
    const char* caption;
    const char* name;
    bool TCrDescOptions::*option;
};
constexpr std::array<RemovalBox, CreateDescrDialog::kRemovalCount> kRemovals = {{
    {"Body- und Hintergrundsound-Tags", "cbRmBody", &TCrDescOptions::RmBody},
    {"Hintergrundbilder und -farben", "cbRmBGColor", &TCrDescOptions::RmBGColor},
    {"Bilder (Image-Tags)", "cbRmImg", &TCrDescOptions::RmImg},
    {"Tabellen", "cbRmTables", &TCrDescOptions::RmTables},
    {"Style-Elemente und -Attribute", "cbRmStyle", &TCrDescOptions::RmStyle},
    {"Hyperlinks", "cbRmHREF", &TCrDescOptions::RmHREF},
    {"Font-Tags", "cbRmFont", &TCrDescOptions::RmFont},
    {"Alle HTML-Tags (ohne <BR>)", "cbRmAll", &TCrDescOptions::RmAll},
}};
constexpr int kRmAll = CreateDescrDialog::kRemovalCount - 1;

constexpr std::array<const char*, 2> kChoiceItems = {"alle Caches in der Arbeitsliste",
                                                     "alle Caches im Ausgabeverzeichnis"};
constexpr std::array<const char*, 2> kImageKindItems = {"untereinander", "verkleinert, 2-spaltig"};
constexpr std::array<const char*, 3> kHintItems = {"als Klartext", "ROT13-codiert", "wei\xDF auf wei\xDF"};
constexpr std::array<const char*, 3> kResizeItems = {
    "100 % (Originalgr\xF6\xDF"
    "e)",
    "67 %", "50 %"};
constexpr std::array<const char*, 6> kMaxLogItems = {"3", "5", "10", "15", "20", "30"};

template <class T>
T* named(T* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(QString::fromLatin1(name));
    if (tip) w->setToolTip(qs(tip));
    return w;
}

void setChecked(QAbstractButton* b, bool on) {
    QSignalBlocker block(b);
    b->setChecked(on);
}

}  // namespace

CreateDescrDialog::CreateDescrDialog(RunContext& ctx, TCreateDescr& model, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(model) {
    setObjectName(QStringLiteral("frmCreateDescr"));
    setWindowTitle(qs("Cachebeschreibungen erzeugen"));

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildListBox());
    left->addWidget(buildContentBox());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buildRemovalBox());
    right->addWidget(buildMapBox());
    right->addStretch();
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* templateRow = new QHBoxLayout;
    template_ = named(new QLineEdit(this), "edTemplateFile", "HTML-Vorlage der konvertierten Beschreibungen");
    chooseTemplate_ = named(new QPushButton(qs("w\xE4hlen"), this), "btnChooseTemplate",
                            "Eine andere Template-Datei w\xE4hlen");
    chooseTemplate_->setAutoDefault(false);
    templateRow->addWidget(new QLabel(qs("Template-Datei:"), this));
    templateRow->addWidget(template_, 1);
    templateRow->addWidget(chooseTemplate_);

    saveOpts_ = named(new QCheckBox(qs("eingestellte Optionen speichern"), this), "cbSaveOpts",
                      "Die Optionen beim Schlie\xDF"
                      "en speichern und beim n\xE4"
                      "chsten Mal wieder einstellen");
    status_ = named(new QLabel(this), "lblStatus");
    progress_ = named(new QProgressBar(this), "pbProgress",
                      "Fortschritt \xFC"
                      "ber die Caches der Liste");
    progress_->setRange(0, 1);
    progress_->setValue(0);

    start_ = named(new QPushButton(qs("Start"), this), "btnStart", "Die Cachebeschreibungen erzeugen");
    start_->setDefault(true);
    cancel_ = named(new QPushButton(qs("Abbrechen"), this), "btnCancel");
    cancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveOpts_);
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(templateRow);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    optionControls_ = {keepOld_,  logs_,  maxLogs_, boldLogs_, images_,         home_,    resize_,
                       mapOrder_, mapUp_, mapDown_, template_, chooseTemplate_, saveOpts_};
    for (auto* b : choice_) optionControls_ << b;
    for (auto* b : imageKind_) optionControls_ << b;
    for (auto* b : hints_) optionControls_ << b;
    for (auto* b : removal_) optionControls_ << b;

    TCrDescOptions& o = model_.options;
    connect(choiceGroup_, &QButtonGroup::idClicked, this, [this](int id) { model_.setChoice(id); });
    connect(keepOld_, &QCheckBox::toggled, this, [&o](bool on) { o.KeepOld = on; });
    connect(logs_, &QCheckBox::toggled, this, [this, &o](bool on) {
        o.Logs = on;
        updateEnabling();
    });
    connect(maxLogs_, &QComboBox::editTextChanged, this, [&o](const QString& text) { o.MaxLogs = cp(text); });
    connect(boldLogs_, &QCheckBox::toggled, this, [&o](bool on) { o.BoldLogs = on; });
    connect(images_, &QCheckBox::toggled, this, [this, &o](bool on) {
        o.CacheImages = on;
        updateEnabling();
    });
    connect(imageKindGroup_, &QButtonGroup::idClicked, this, [&o](int id) { o.ImageKind = id; });
    connect(hintsGroup_, &QButtonGroup::idClicked, this, [&o](int id) { o.Hints = id; });
    connect(home_, &QComboBox::activated, this, [&o](int index) { o.Home = index; });
    connect(resize_, &QComboBox::activated, this, [&o](int index) { o.Resize = index; });
    for (int i = 0; i < kRemovalCount; ++i) {
        connect(removal_[static_cast<std::size_t>(i)], &QCheckBox::toggled, this, [this, &o, i](bool on) {
            o.*kRemovals[static_cast<std::size_t>(i)].option = on;
            updateEnabling();
        });
    }
    connect(mapUp_, &QPushButton::clicked, this, [this] { model_.moveMap(-1); });
    connect(mapDown_, &QPushButton::clicked, this, [this] { model_.moveMap(1); });
    connect(mapOrder_, &QListWidget::currentRowChanged, this, [this](int row) { model_.selectMapRow(row); });
    // The field shows the template in use; only a changed text becomes the dialog's own template.
    connect(template_, &QLineEdit::textEdited, this,
            [&o](const QString& text) { o.TemplateFile = pathOf(text); });
    connect(chooseTemplate_, &QPushButton::clicked, this, &CreateDescrDialog::chooseTemplate);
    connect(saveOpts_, &QCheckBox::toggled, this, [&o](bool on) { o.SaveOpts = on; });
    connect(start_, &QPushButton::clicked, this, &CreateDescrDialog::start);
    connect(cancel_, &QPushButton::clicked, this, &CreateDescrDialog::reject);

    progressHost_ =
        std::make_unique<DialogHost>(ctx_, progressBarSink(progress_, status_, true), DialogHost::PerRun);
    autoLoadTimer_.setSingleShot(true);
    autoLoadTimer_.setInterval(kAutoLoadMs);
    connect(&autoLoadTimer_, &QTimer::timeout, this, &CreateDescrDialog::start);

    syncOptions();
    model_.setObserver(this);
    applyTooltips(this, ctx.settings.ShowTooltips);
}

CreateDescrDialog::~CreateDescrDialog() {
    model_.setObserver(nullptr);
}

QWidget* CreateDescrDialog::buildListBox() {
    auto* box = new QGroupBox(qs("Folgende Cachebeschreibungen erzeugen"), this);
    auto* l = new QVBoxLayout(box);
    choiceGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(qs(kChoiceItems[static_cast<std::size_t>(i)]), box);
        r->setObjectName(QStringLiteral("rbChoice%1").arg(i));
        choice_[static_cast<std::size_t>(i)] = r;
        choiceGroup_->addButton(r, i);
        l->addWidget(r);
    }
    headline_ = named(new QLabel(box), "lblHeadline");
    QFont bold = headline_->font();
    bold.setBold(true);
    headline_->setFont(bold);
    l->addWidget(headline_);
    keepOld_ = named(new QCheckBox(qs("Bereits vorhandene Beschreibungen behalten"), box), "cbKeepOld",
                     "Caches mit einer konvertierten Beschreibung \xFC"
                     "berspringen");
    l->addWidget(keepOld_);
    return box;
}

QWidget* CreateDescrDialog::buildContentBox() {
    auto* box = new QGroupBox(qs("Inhalt der Beschreibung"), this);
    auto* g = new QGridLayout(box);
    logs_ = named(new QCheckBox(qs("Logs \xFC"
                                   "bernehmen"),
                                box),
                  "cbLogs",
                  "Die Logs der Cachebeschreibung in die konvertierte Beschreibung \xFC"
                  "bernehmen");
    maxLogs_ = named(new QComboBox(box), "cbMaxLogs",
                     "Anzahl der \xFC"
                     "bernommenen Logs; leer oder 0: alle");
    maxLogs_->setEditable(true);
    for (const char* item : kMaxLogItems) maxLogs_->addItem(qs(item));
    maxLogs_->lineEdit()->setPlaceholderText(qs("alle"));
    maxLogs_->setMinimumContentsLength(5);
    boldLogs_ = named(new QCheckBox(qs("Logdatum und Finder fett darstellen"), box), "cbBoldLogs");
    g->addWidget(logs_, 0, 0, 1, 2);
    g->addWidget(new QLabel(qs("Anzahl Logs:"), box), 1, 0);
    g->addWidget(maxLogs_, 1, 1, Qt::AlignLeft);
    g->addWidget(boldLogs_, 2, 0, 1, 3);

    images_ = named(new QCheckBox(qs("Cache-Images \xFC"
                                     "bernehmen"),
                                  box),
                    "cbCacheimages", "Die geladenen Bilder des Caches in die Beschreibung setzen");
    g->addWidget(images_, 3, 0, 1, 3);
    imageKindGroup_ = new QButtonGroup(this);
    auto* kinds = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(qs(kImageKindItems[static_cast<std::size_t>(i)]), box);
        r->setObjectName(QStringLiteral("rbImageKind%1").arg(i));
        imageKind_[static_cast<std::size_t>(i)] = r;
        imageKindGroup_->addButton(r, i);
        kinds->addWidget(r);
    }
    kinds->addStretch();
    g->addLayout(kinds, 4, 0, 1, 3);

    g->addWidget(new QLabel(qs("Hinweis (Hint):"), box), 5, 0, 1, 3);
    hintsGroup_ = new QButtonGroup(this);
    auto* hintRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(qs(kHintItems[static_cast<std::size_t>(i)]), box);
        r->setObjectName(QStringLiteral("rbHints%1").arg(i));
        hints_[static_cast<std::size_t>(i)] = r;
        hintsGroup_->addButton(r, i);
        hintRow->addWidget(r);
    }
    hintRow->addStretch();
    g->addLayout(hintRow, 6, 0, 1, 3);

    home_ = named(new QComboBox(box), "cbHome", "Heimkoordinaten, von denen die Entfernung berechnet wird");
    for (const auto& name : model_.homeItems()) home_->addItem(qs(name));
    home_->setMinimumContentsLength(12);
    g->addWidget(new QLabel(qs("Entfernung von:"), box), 7, 0);
    g->addWidget(home_, 7, 1, 1, 2, Qt::AlignLeft);
    g->setColumnStretch(2, 1);
    return box;
}

QWidget* CreateDescrDialog::buildRemovalBox() {
    auto* box = new QGroupBox(qs("Aus der Langbeschreibung entfernen"), this);
    auto* l = new QVBoxLayout(box);
    for (int i = 0; i < kRemovalCount; ++i) {
        const RemovalBox& r = kRemovals[static_cast<std::size_t>(i)];
        removal_[static_cast<std::size_t>(i)] = named(new QCheckBox(qs(r.caption), box), r.name);
        l->addWidget(removal_[static_cast<std::size_t>(i)]);
    }
    removal_[kRmAll]->setToolTip(
        qs("Nur Zeilenumbr\xFC"
           "che bleiben stehen; die anderen Optionen entfallen dann"));
    return box;
}

QWidget* CreateDescrDialog::buildMapBox() {
    auto* box = new QGroupBox(qs("Landkarte"), this);
    auto* g = new QGridLayout(box);
    resize_ = named(new QComboBox(box), "cbResize",
                    "Gr\xF6\xDF"
                    "e der Landkarte in der Beschreibung");
    for (const char* item : kResizeItems) resize_->addItem(qs(item));
    g->addWidget(new QLabel(qs("Kartengr\xF6\xDF"
                               "e:"),
                            box),
                 0, 0);
    g->addWidget(resize_, 0, 1, Qt::AlignLeft);
    g->addWidget(new QLabel(qs("Reihenfolge der Kartendienste:"), box), 1, 0, 1, 2);
    mapOrder_ = named(new QListWidget(box), "lbMapOrder",
                      "Die erste vorhandene Landkarte in dieser Reihenfolge kommt in die Beschreibung");
    mapUp_ = named(new QPushButton(qs("nach oben"), box), "btnMapUp");
    mapDown_ = named(new QPushButton(qs("nach unten"), box), "btnMapDown");
    mapUp_->setAutoDefault(false);
    mapDown_->setAutoDefault(false);
    auto* moves = new QVBoxLayout;
    moves->addWidget(mapUp_);
    moves->addWidget(mapDown_);
    moves->addStretch();
    g->addWidget(mapOrder_, 2, 0, 1, 2);
    g->addLayout(moves, 2, 2);
    g->setColumnStretch(1, 1);
    return box;
}

void CreateDescrDialog::syncOptions() {
    const TCrDescOptions& o = model_.options;
    setChecked(choice_[model_.choice == 1 ? 1 : 0], true);
    headline_->setText(qs(model_.headline()));
    setChecked(keepOld_, o.KeepOld);
    setChecked(logs_, o.Logs);
    {
        QSignalBlocker block(maxLogs_);
        maxLogs_->setEditText(qs(o.MaxLogs));
    }
    setChecked(boldLogs_, o.BoldLogs);
    setChecked(images_, o.CacheImages);
    setChecked(imageKind_[o.ImageKind == 0 ? 0 : 1], true);
    setChecked(hints_[static_cast<std::size_t>(std::clamp(o.Hints, 0, 2))], true);
    {
        QSignalBlocker block(home_);
        home_->setCurrentIndex(o.Home >= 0 && o.Home < home_->count() ? o.Home : 0);
    }
    {
        QSignalBlocker block(resize_);
        resize_->setCurrentIndex(std::clamp(o.Resize, 0, 2));
    }
    for (int i = 0; i < kRemovalCount; ++i)
        setChecked(removal_[static_cast<std::size_t>(i)], o.*kRemovals[static_cast<std::size_t>(i)].option);
    fillMapOrder();
    // All five services in view, without a scroll bar.
    mapOrder_->setFixedHeight(mapOrder_->sizeHintForRow(0) * mapOrder_->count() +
                              2 * mapOrder_->frameWidth() + 2);
    template_->setText(qPath(model_.templatePath()));
    template_->setCursorPosition(0);
    setChecked(saveOpts_, o.SaveOpts);
    updateEnabling();
}

void CreateDescrDialog::fillMapOrder() {
    QSignalBlocker block(mapOrder_);
    const auto& order = model_.options.MapOrder;
    if (mapOrder_->count() != static_cast<int>(order.size())) {
        mapOrder_->clear();
        for (const auto& item : order) mapOrder_->addItem(qs(item));
    } else {
        for (int i = 0; i < mapOrder_->count(); ++i)
            mapOrder_->item(i)->setText(qs(order[static_cast<std::size_t>(i)]));
    }
    mapOrder_->setCurrentRow(model_.mapRow());
}

void CreateDescrDialog::modelChanged() {
    headline_->setText(qs(model_.headline()));
    fillMapOrder();
    updateEnabling();
}

void CreateDescrDialog::updateEnabling() {
    for (QWidget* w : optionControls_) w->setEnabled(model_.optionsEditable());
    maxLogs_->setEnabled(model_.maxLogsEnabled());
    boldLogs_->setEnabled(model_.boldLogsEnabled());
    for (auto* b : imageKind_) b->setEnabled(model_.imageKindEnabled());
    for (int i = 0; i < kRemovalCount; ++i)
        removal_[static_cast<std::size_t>(i)]->setEnabled(model_.removalEnabled(i));
    home_->setEnabled(model_.homeEnabled());
    mapUp_->setEnabled(model_.mapUpEnabled());
    mapDown_->setEnabled(model_.mapDownEnabled());
    start_->setEnabled(model_.startEnabled() && !started_);
}

void CreateDescrDialog::chooseTemplate() {
    FileDialogOptions chooser;
    chooser.title = "Template-Datei ausw\xE4hlen";
    chooser.filters = {FileFilter{"HTML-Dateien", "*.htm;*.html"}, FileFilter{"Alle Dateien", "*.*"}};
    chooser.startDir = ctx_.workDirPath();
    const auto files = ctx_.host().chooseOpenFiles(chooser, false);
    if (files.empty()) return;
    model_.options.TemplateFile = files.front();
    template_->setText(qPath(files.front()));
    template_->setCursorPosition(0);
}

void CreateDescrDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (model_.unattended() && !started_ && !finished_) autoLoadTimer_.start();
}

void CreateDescrDialog::start() {
    if (started_ || finished_) return;
    started_ = true;
    running_ = true;
    updateEnabling();
    clearHostAbort(ctx_.host());
    {
        ScopedHost scoped(ctx_, *progressHost_);
        if (model_.unattended()) {
            model_.startUnattended();
        } else {
            model_.btnStartClick();
        }
    }
    running_ = false;
    if (!model_.isOpen()) {
        finish();
        return;
    }
    // Nothing ran (the template is missing): the dialog stays open for another try.
    started_ = false;
    updateEnabling();
    if (model_.unattended()) {
        model_.close();
        finish();
    }
}

void CreateDescrDialog::reject() {
    if (finished_) return;
    // "Abbrechen": the caches not yet reached are passed over, and the dialog closes at once.
    model_.cancel();
    finish();
}

void CreateDescrDialog::finish() {
    if (finished_) return;
    finished_ = true;
    autoLoadTimer_.stop();
    const int result = model_.closedWithOk() ? QDialog::Accepted : QDialog::Rejected;
    // Queued: "Abbrechen" arrives in the middle of the run's call.
    QTimer::singleShot(0, this, [this, result] { done(result); });
}

bool openCreateDescrDialog(RunContext& ctx, TCreateDescr& model, QWidget* over) {
    model.open();
    CreateDescrDialog dialog(ctx, model, over);
    return execCentred(dialog, over) == QDialog::Accepted;
}

}  // namespace vellora
