#include "ui/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/CoordInput.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "ui/CoordInputDialog.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

QString coordPairText(double lat, double lon) {
    return qs(FormatCoord(kCoordLatitude, lat)) + QStringLiteral("     ") +
           qs(FormatCoord(kCoordLongitude, lon));
}

QPushButton* browseButton(QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("durchsuchen"), parent);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

SettingsDialog::SettingsDialog(RunContext& ctx, int listClientWidth, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(ctx, listClientWidth) {
    setWindowTitle(qs(SettingsDialogModel::kCaption));
    setObjectName(QStringLiteral("frmSettings"));
    editCoordinates = [this](TCoordInput& input) {
        return vellora::editCoordinates(input, this, ctx_.settings.ShowTooltips);
    };

    pages_ = new QTabWidget(this);
    pages_->addTab(pathsPage(), QStringLiteral("Pfade+Dateien"));
    pages_->addTab(databasePage(), QStringLiteral("Cache-Datenbank"));
    pages_->addTab(homesPage(), QStringLiteral("Heimkoordinaten"));
    pages_->addTab(outputPage(), QStringLiteral("Ausgabe"));
    pages_->addTab(proxyPage(), QStringLiteral("Proxy"));
    pages_->addTab(otherPage(), QStringLiteral("Sonstiges"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &SettingsDialog::okClicked);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(buttons);
    // Long texts (paths, the GPX start tag) show their beginning.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setCursorPosition(0);
    resize(620, 470);
    applyTooltips(this, ctx.settings.ShowTooltips);
}

QWidget* SettingsDialog::pathsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto row = [&](const char* caption, QLineEdit*& edit, QPushButton*& button, const std::string& value,
                   bool readOnly, const char* tip) {
        auto* group = new QGroupBox(qs(caption), page);
        auto* h = new QHBoxLayout(group);
        edit = new QLineEdit(qPath(value), group);
        setReadOnlyField(edit, readOnly);
        edit->setToolTip(qs(tip));
        button = browseButton(group);
        h->addWidget(edit, 1);
        h->addWidget(button);
        layout->addWidget(group);
    };
    QPushButton* browseTemplate = nullptr;
    row("Arbeitsverzeichnis", workDir_, browseWork_, model_.workDir, true,
        "Verzeichnis der Cache-Datenbank, der Listen und der pers\xF6nlichen Dateien");
    row("Ausgabeverzeichnis", outDir_, browseOut_, model_.outDir, true,
        "Verzeichnis der geladenen und konvertierten Cachebeschreibungen");
    row("Template-Datei", template_, browseTemplate, model_.templateFile, false,
        "HTML-Vorlage der konvertierten Cachebeschreibungen");
    layout->addStretch();

    connect(browseWork_, &QPushButton::clicked, this, [this] {
        model_.browseWorkDir();
        workDir_->setText(qPath(model_.workDir));
    });
    connect(browseOut_, &QPushButton::clicked, this, [this] {
        model_.browseOutDir();
        outDir_->setText(qPath(model_.outDir));
    });
    connect(browseTemplate, &QPushButton::clicked, this, [this] {
        model_.templateFile = pathOf(template_->text());
        model_.browseTemplate();
        template_->setText(qPath(model_.templateFile));
    });
    return page;
}

QWidget* SettingsDialog::databasePage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    dbUrl_ = new QLineEdit(qs(model_.cacheDbUrl), page);
    dbUrl_->setToolTip(qs("Adresse des Servers, von dem die Cache-Datenbanken geladen werden"));
    zipped_ = new QCheckBox(qs("gezippte CacheDBs laden"), page);
    zipped_->setChecked(model_.useZippedDB);
    primary_ = new QComboBox(page);
    additional_ = new QListWidget(page);
    const auto items = model_.countryItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        primary_->addItem(qs(items[i]));
        auto* item = new QListWidgetItem(qs(items[i]), additional_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(
            i < model_.additionalChecked.size() && model_.additionalChecked[i] ? Qt::Checked : Qt::Unchecked);
    }
    primary_->setCurrentIndex(model_.primaryIndex);
    primary_->setToolTip(qs("Die Cache-Datenbank, die beim Laden immer verwendet wird"));
    additional_->setToolTip(qs("Weitere L\xE4nder, deren Cache-Datenbanken zus\xE4tzlich geladen werden"));
    reminder_ = new QComboBox(page);
    for (const char* item : SettingsDialogModel::kReminderItems) reminder_->addItem(qs(item));
    reminder_->setCurrentIndex(model_.reminderIndex);
    reminder_->setToolTip(qs("Nach welcher Zeit an das Neuladen der Cache-Datenbank erinnert wird"));

    layout->addWidget(new QLabel(qs("Adresse des Cache-DB-Servers:"), page), 0, 0);
    layout->addWidget(dbUrl_, 0, 1);
    layout->addWidget(zipped_, 1, 1);
    layout->addWidget(new QLabel(qs("Prim\xE4re Cache-DB"), page), 2, 0);
    layout->addWidget(primary_, 2, 1);
    layout->addWidget(new QLabel(qs("weitere Cache-DBs im Suchpfad"), page), 3, 0, Qt::AlignTop);
    layout->addWidget(additional_, 3, 1);
    layout->addWidget(new QLabel(qs("Update-Erinnerung nach"), page), 4, 0);
    layout->addWidget(reminder_, 4, 1, Qt::AlignLeft);
    layout->setRowStretch(3, 1);
    return page;
}

QWidget* SettingsDialog::homesPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* primaryGroup = new QGroupBox(qs("Heimkoordinaten"), page);
    auto* p = new QHBoxLayout(primaryGroup);
    homeText_ = new QLabel(primaryGroup);
    changePrimary_ = new QPushButton(qs("\xC4"
                                        "ndern"),
                                     primaryGroup);
    changePrimary_->setAutoDefault(false);
    changePrimary_->setToolTip(qs("Die Heimkoordinaten eingeben"));
    p->addWidget(homeText_, 1);
    p->addWidget(changePrimary_);
    layout->addWidget(primaryGroup);

    auto* group = new QGroupBox(qs("Weitere Koordinaten (Urlaub, Zweitwohnsitz etc.)"), page);
    auto* g = new QGridLayout(group);
    homes_ = new QListWidget(group);
    homeCoords_ = new QLabel(group);
    newHome_ = new QPushButton(qs("Neu"), group);
    changeHome_ = new QPushButton(qs("\xC4"
                                     "ndern"),
                                  group);
    removeHome_ = new QPushButton(qs("Entfernen"), group);
    newHome_->setToolTip(qs("Ein weiteres Koordinatenpaar mit Namen anlegen"));
    changeHome_->setToolTip(
        qs("Das markierte Koordinatenpaar \xE4"
           "ndern"));
    removeHome_->setToolTip(qs("Das markierte Koordinatenpaar entfernen"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {newHome_, changeHome_, removeHome_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    g->addWidget(homes_, 0, 0);
    g->addLayout(buttons, 0, 1);
    g->addWidget(homeCoords_, 1, 0, 1, 2);
    layout->addWidget(group, 1);

    connect(changePrimary_, &QPushButton::clicked, this, &SettingsDialog::changePrimaryClicked);
    connect(newHome_, &QPushButton::clicked, this, &SettingsDialog::newHomeClicked);
    connect(changeHome_, &QPushButton::clicked, this, &SettingsDialog::changeHomeClicked);
    connect(removeHome_, &QPushButton::clicked, this, &SettingsDialog::removeHomeClicked);
    connect(homes_, &QListWidget::currentRowChanged, this, [this] { showSelectedHome(); });
    showPrimaryHome();
    fillHomes({});
    return page;
}

QWidget* SettingsDialog::outputPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(
        qs("Max. Breite einer HTML-Seite (so dass sie vollst\xE4ndig gedruckt werden kann)"), page);
    label->setWordWrap(true);
    maxWidth_ = new QLineEdit(qs(model_.htmlMaxWidth), page);
    maxWidth_->setMaxLength(static_cast<int>(SettingsDialogModel::kMaxWidthLength));
    maxWidth_->setFixedWidth(80);
    maxWidth_->setToolTip(qs("Breite in Pixeln"));
    auto* row = new QHBoxLayout;
    row->addWidget(maxWidth_);
    row->addWidget(new QLabel(qs("Pixel"), page));
    row->addStretch();
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addStretch();
    return page;
}

QWidget* SettingsDialog::proxyPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    useProxy_ = new QCheckBox(qs("Internet \xFC"
                                 "ber Proxy-Server ansprechen"),
                              page);
    useProxy_->setChecked(model_.useProxy);
    proxyLabel_ = new QLabel(qs("Proxy-Server (http://server:port):"), page);
    proxy_ = new QLineEdit(qs(model_.proxyServer), page);
    proxy_->setToolTip(qs("Adresse des Proxy-Servers mit Schema, Server und Port"));
    updateUrl_ = new QLineEdit(qs(model_.updateUrl), page);
    setReadOnlyField(updateUrl_);
    layout->addWidget(useProxy_, 0, 0, 1, 2);
    layout->addWidget(proxyLabel_, 1, 0);
    layout->addWidget(proxy_, 1, 1);
    layout->addWidget(new QLabel(qs("Adresse der Update-Pr\xFC"
                                    "fung:"),
                                 page),
                      2, 0);
    layout->addWidget(updateUrl_, 2, 1);
    layout->setRowStretch(3, 1);
    auto visible = [this](bool on) {
        proxyLabel_->setVisible(on);
        proxy_->setVisible(on);
    };
    connect(useProxy_, &QCheckBox::toggled, this, visible);
    visible(model_.useProxy);
    return page;
}

QWidget* SettingsDialog::otherPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    showMessages_ = new QCheckBox(qs("Informationsdialoge anzeigen"), page);
    showMessages_->setChecked(model_.showMessages);
    showTooltips_ = new QCheckBox(qs("Tooltips anzeigen"), page);
    showTooltips_->setChecked(model_.showTooltips);
    username_ = new QLineEdit(qs(model_.username), page);
    username_->setToolTip(qs("Dein Benutzername bei Tovaro (f\xFCr das Laden der eigenen Funde)"));
    xmlInit_ = new QLineEdit(qs(model_.gpxXmlInit), page);
    gpxInit_ = new QLineEdit(qs(model_.gpxGpxInit), page);
    xmlInit_->setToolTip(qs("Erste Zeile jeder geschriebenen GPX-Datei"));
    gpxInit_->setToolTip(qs("Zweite Zeile jeder geschriebenen GPX-Datei"));
    auto* remember = new QGroupBox(qs("beim Beenden merken:"), page);
    auto* r = new QHBoxLayout(remember);
    memWinSize_ = new QCheckBox(qs("Hauptfenstergr\xF6\xDF"
                                   "e"),
                                remember);
    memWinSize_->setChecked(model_.memWinSize);
    memColSize_ = new QCheckBox(qs("Spaltenbreiten"), remember);
    memColSize_->setChecked(model_.memColSize);
    r->addWidget(memWinSize_);
    r->addWidget(memColSize_);
    r->addStretch();

    layout->addWidget(showMessages_, 0, 0, 1, 2);
    layout->addWidget(showTooltips_, 1, 0, 1, 2);
    layout->addWidget(new QLabel(qs("Benutzername bei Tovaro:"), page), 2, 0);
    layout->addWidget(username_, 2, 1);
    layout->addWidget(new QLabel(qs("XML-Init-Tag:"), page), 3, 0);
    layout->addWidget(xmlInit_, 3, 1);
    layout->addWidget(new QLabel(qs("GPX-Init-Tag:"), page), 4, 0);
    layout->addWidget(gpxInit_, 4, 1);
    layout->addWidget(remember, 5, 0, 1, 2);
    layout->setRowStretch(6, 1);
    return page;
}

void SettingsDialog::showPrimaryHome() {
    homeText_->setText(coordPairText(model_.homeLat, model_.homeLon));
}

void SettingsDialog::fillHomes(const std::string& select) {
    homes_->blockSignals(true);
    homes_->clear();
    int row = -1;
    const auto names = model_.homeNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        homes_->addItem(qs(names[i]));
        if (!select.empty() && names[i] == select) row = static_cast<int>(i);
    }
    homes_->setCurrentRow(row);
    homes_->blockSignals(false);
    showSelectedHome();
}

void SettingsDialog::showSelectedHome() {
    QListWidgetItem* item = homes_->currentItem();
    const int index = item ? model_.homeIndexByName(cp(item->text())) : -1;
    changeHome_->setEnabled(index >= 0);
    removeHome_->setEnabled(index >= 0);
    if (index < 0) {
        homeCoords_->clear();
        return;
    }
    const auto home = model_.home(index);
    homeCoords_->setText(coordPairText(parseDouble(home.lat).value_or(0), parseDouble(home.lon).value_or(0)));
}

void SettingsDialog::changePrimaryClicked() {
    TCoordInput input;
    input.latitude = model_.homeLat;
    input.longitude = model_.homeLon;
    input.enableDescription(kHomeDescriptionTitle, "Heimkoordinaten", false);
    if (!editCoordinates(input)) return;
    model_.setPrimaryHome(input.latitude, input.longitude);
    showPrimaryHome();
}

void SettingsDialog::newHomeClicked() {
    TCoordInput input;
    input.enableDescription(kHomeDescriptionTitle, "", true);
    if (!editCoordinates(input)) return;
    if (model_.addHome(input.latitude, input.longitude, input.description())) fillHomes(input.description());
}

void SettingsDialog::changeHomeClicked() {
    QListWidgetItem* item = homes_->currentItem();
    const int index = item ? model_.homeIndexByName(cp(item->text())) : -1;
    if (index < 0) return;
    const auto home = model_.home(index);
    TCoordInput input;
    input.latitude = parseDouble(home.lat).value_or(0);
    input.longitude = parseDouble(home.lon).value_or(0);
    input.enableDescription(kHomeDescriptionTitle, home.name, true);
    if (!editCoordinates(input)) return;
    const bool changed = model_.changeHome(index, input.latitude, input.longitude, input.description());
    fillHomes(changed ? input.description() : home.name);
}

void SettingsDialog::removeHomeClicked() {
    QListWidgetItem* item = homes_->currentItem();
    const int index = item ? model_.homeIndexByName(cp(item->text())) : -1;
    if (index < 0) return;
    model_.removeHome(index);
    fillHomes({});
}

void SettingsDialog::copyToModel() {
    model_.templateFile = pathOf(template_->text());
    model_.cacheDbUrl = cp(dbUrl_->text());
    model_.useZippedDB = zipped_->isChecked();
    model_.primaryIndex = primary_->currentIndex();
    for (int i = 0; i < additional_->count() && i < static_cast<int>(model_.additionalChecked.size()); ++i) {
        model_.additionalChecked[static_cast<std::size_t>(i)] =
            additional_->item(i)->checkState() == Qt::Checked;
    }
    model_.reminderIndex = reminder_->currentIndex();
    model_.htmlMaxWidth = cp(maxWidth_->text());
    model_.useProxy = useProxy_->isChecked();
    model_.proxyServer = cp(proxy_->text());
    model_.showMessages = showMessages_->isChecked();
    model_.showTooltips = showTooltips_->isChecked();
    model_.username = cp(username_->text());
    model_.gpxXmlInit = cp(xmlInit_->text());
    model_.gpxGpxInit = cp(gpxInit_->text());
    model_.memWinSize = memWinSize_->isChecked();
    model_.memColSize = memColSize_->isChecked();
}

void SettingsDialog::okClicked() {
    copyToModel();
    if (!model_.accept()) return;
    closing_ = true;
    accept();
}

void SettingsDialog::reject() {
    if (!closing_) {
        closing_ = true;
        model_.reject();
    }
    QDialog::reject();
}

}  // namespace vellora
