#include "ui/ExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

QComboBox* combo(QWidget* parent, std::initializer_list<const char*> items, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    for (const char* item : items) c->addItem(qs(item));
    return c;
}

QLineEdit* digits(QWidget* parent, int maxDigits, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxDigits);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    e->setMaximumWidth(60);
    return e;
}

void setCombo(QComboBox* c, int index) {
    if (c && index >= 0 && index < c->count()) c->setCurrentIndex(index);
}

// The editor shows line feeds; the template keeps CR LF.
std::string withCrLf(const QString& text) {
    std::string s = cp(text);
    replaceAll(s, "\r\n", "\n");
    replaceAll(s, "\n", "\r\n");
    return s;
}

}  // namespace

QCheckBox* ExportDialog::check(QWidget* page, const char* caption, bool ListExportOpts::*member,
                               const char* name) {
    auto* box = new QCheckBox(qs(caption), page);
    box->setObjectName(QString::fromLatin1(name));
    checks_.emplace_back(box, member);
    connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
        if (updating_) return;
        model_.opts().*member = on;
        modelChanged();
    });
    return box;
}

ExportDialog::ExportDialog(RunContext& ctx, ListExportModel& model, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(model) {
    setWindowTitle(qs("Export"));
    setObjectName(QStringLiteral("frmExport"));

    source_ = combo(this, {"Arbeitsliste", "Eigene Funde", "Alle Caches in der DB"}, "cbExpList");
    dirNote_ = new QLabel(
        qs("(Es werden alle Caches exportiert, die sich im gew\xE4hlten Verzeichnis befinden.)"), this);
    dirNote_->setObjectName(QStringLiteral("lblDirMode"));
    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("cbFormat"));
    for (int f = 0; f < kFormatCount; ++f) format_->addItem(qs(exportFormatInfo(f).caption));
    pages_ = new QStackedWidget(this);

    // 0 overlay
    auto* ovl = new QWidget(pages_);
    auto* ovlForm = new QFormLayout(ovl);
    ovlForm->addRow(check(ovl, "auch Waypointname ausgeben", &ListExportOpts::OVLcbLabel, "OVLcbLabel"));
    ovlColour_ = combo(ovl, {"rot", "gr\xFCn", "blau", "gelb", "schwarz", "wei\xDF", "violett", "t\xFCrkis"},
                       "OVLcbbColor");
    ovlSize_ = combo(ovl, {"sehr klein", "klein", "mittel", "gro\xDF", "sehr gro\xDF"}, "OVLcbbSize");
    ovlForm->addRow(qs("Schriftfarbe:"), ovlColour_);
    ovlForm->addRow(qs("Schriftgr\xF6\xDF"
                       "e:"),
                    ovlSize_);
    pages_->addWidget(ovl);
    // 1 LOC
    auto* loc = new QWidget(pages_);
    auto* locLayout = new QVBoxLayout(loc);
    locLayout->addWidget(check(loc, kUtf8NamesCaption, &ListExportOpts::UTF8Names, "UTF8NamesLoc"));
    locLayout->addStretch();
    pages_->addWidget(loc);
    // 2 CSV
    auto* csv = new QWidget(pages_);
    auto* csvGrid = new QGridLayout(csv);
    const std::pair<const char*, bool ListExportOpts::*> columns[] = {
        {"Cache-ID", &ListExportOpts::CSVcbID},
        {"Cachename", &ListExportOpts::CSVcbName},
        {"Versteckt am", &ListExportOpts::CSVcbHiddendate},
        {"Koordinaten", &ListExportOpts::CSVcbCoord},
        {"L\xE4nge / Breite", &ListExportOpts::CSVcbLatLon},
        {"Koordinaten im Merkatorformat (GGMMSS.ss)", &ListExportOpts::CSVcbMerkatorCoord},
        {"Cachegr\xF6\xDF"
         "e",
         &ListExportOpts::CSVcbSize},
        {"Cachetyp", &ListExportOpts::CSVcbType},
        {"Waypoint", &ListExportOpts::CSVcbWaypoint},
        {"Difficulty", &ListExportOpts::CSVcbDifficulty},
        {"Terrain", &ListExportOpts::CSVcbTerrain},
        {"Land", &ListExportOpts::CSVcbCountry},
        {"Home-Entf.", &ListExportOpts::CSVcbHomedist},
        {"Funddatum", &ListExportOpts::CSVcbFounddate},
    };
    int row = 0;
    for (const auto& [caption, member] : columns) {
        QCheckBox* box = check(csv, caption, member, caption);
        if (member == &ListExportOpts::CSVcbFounddate) foundDate_ = box;
        csvGrid->addWidget(box, row / 2, row % 2);
        ++row;
    }
    row = (row + 1) / 2;
    csvGrid->addWidget(check(csv, "Spaltennamen in Zeile 1", &ListExportOpts::CSVcbHeadline, "CSVcbHeadline"),
                       row, 0);
    csvGrid->addWidget(check(csv, "Zahlenspalten in Anf\xFChrungszeichen", &ListExportOpts::CSVcbQuoteNums,
                             "CSVcbQuoteNums"),
                       row, 1);
    csvSeparator_ = combo(csv, {"Komma ( , )", "Punkt ( . )"}, "CSVcbDecimalSeparator");
    csvHome_ = combo(csv, {"HOME"}, "CSVcbHome");
    for (const auto& name : ctx_.settings.AddHomeTxt) csvHome_->addItem(qs(name));
    csvGrid->addWidget(new QLabel(qs("Dezimaltrennzeichen:"), csv), row + 1, 0);
    csvGrid->addWidget(csvSeparator_, row + 1, 1);
    csvGrid->addWidget(new QLabel(qs("Zentrum (Home):"), csv), row + 2, 0);
    csvGrid->addWidget(csvHome_, row + 2, 1);
    pages_->addWidget(csv);
    // 3 RealMaps
    auto* psion = new QWidget(pages_);
    auto* psionForm = new QFormLayout(psion);
    psionInfo_ = combo(psion, {"Cachename", "Waypoint", "Waypoint und Cachename"}, "PsionInfo");
    psionForm->addRow(qs("Als Info ausgeben"), psionInfo_);
    pages_->addWidget(psion);
    // 4 OziExplorer
    auto* ozi = new QWidget(pages_);
    auto* oziGrid = new QGridLayout(ozi);
    oziNumber_ = combo(ozi, {"durchlaufend", "immer -1"}, "OziNumber");
    oziDate_ = combo(ozi, {"Versteckdatum", "Tagesdatum"}, "OziDate");
    oziFont_ = digits(ozi, 3, "OziFontsize");
    oziSymSize_ = digits(ozi, 3, "OziSymSize");
    oziGrid->addWidget(new QLabel(qs("Nummer:"), ozi), 0, 0);
    oziGrid->addWidget(oziNumber_, 0, 1);
    oziGrid->addWidget(new QLabel(qs("Datum:"), ozi), 0, 2);
    oziGrid->addWidget(oziDate_, 0, 3);
    oziGrid->addWidget(new QLabel(qs("Fontgr\xF6\xDF"
                                     "e"),
                                  ozi),
                       1, 0);
    oziGrid->addWidget(oziFont_, 1, 1);
    oziGrid->addWidget(new QLabel(qs("Symbolgr\xF6\xDF"
                                     "e"),
                                  ozi),
                       1, 2);
    oziGrid->addWidget(oziSymSize_, 1, 3);
    oziGrid->addWidget(check(ozi, "Fett", &ListExportOpts::OziBold, "OziBold"), 2, 0);
    oziGrid->addWidget(check(ozi, "Waypoint + Cachename tauschen", &ListExportOpts::OziSwap, "OziSwap"), 2, 1,
                       1, 3);
    const char* groups[] = {"TRADITIONAL CACHE", "MULTI-CACHE", "UNKNOWN CACHE", "andere"};
    for (int g = 0; g < 4; ++g) {
        oziGrid->addWidget(new QLabel(qs(groups[g]), ozi), 3 + g, 0);
        oziSym_[static_cast<std::size_t>(g)] = digits(ozi, 4, ("OziSym" + std::to_string(g + 1)).c_str());
        oziGrid->addWidget(new QLabel(qs("Symbol"), ozi), 3 + g, 1);
        oziGrid->addWidget(oziSym_[static_cast<std::size_t>(g)], 3 + g, 2);
        auto* bg = new QPushButton(qs("H"), ozi);
        auto* fg = new QPushButton(qs("V"), ozi);
        bg->setMaximumWidth(30);
        fg->setMaximumWidth(30);
        auto* colours = new QHBoxLayout;
        colours->addWidget(bg);
        colours->addWidget(fg);
        oziGrid->addLayout(colours, 3 + g, 3);
        connect(bg, &QPushButton::clicked, this, [this, g] { model_.chooseOziColour(g, true); });
        connect(fg, &QPushButton::clicked, this, [this, g] { model_.chooseOziColour(g, false); });
        connect(oziSym_[static_cast<std::size_t>(g)], &QLineEdit::textEdited, this,
                [this, g](const QString& t) { model_.opts().OziSym[static_cast<std::size_t>(g)] = cp(t); });
    }
    pages_->addWidget(ozi);
    // 5 GPX
    auto* gpx = new QWidget(pages_);
    auto* gpxLayout = new QVBoxLayout(gpx);
    gpxLayout->addWidget(
        check(gpx, "HOME-Referenzpunkte exportieren", &ListExportOpts::GPXHomeExp, "GPXHomeExp"));
    whichHomes_ = combo(gpx, {"nur prim\xE4res Home", "alle definierten Homes"}, "GPXWhichHomes");
    auto* homesRow = new QHBoxLayout;
    homesRow->addWidget(new QLabel(qs("Homes f\xFCr Export"), gpx));
    homesRow->addWidget(whichHomes_);
    gpxLayout->addLayout(homesRow);
    gpxLayout->addWidget(check(gpx, kUtf8NamesCaption, &ListExportOpts::UTF8Names, "UTF8Names"));
    gpxLayout->addWidget(new QLabel(qs("Waypoint-Template:"), gpx));
    gpxTemplate_ = new QPlainTextEdit(gpx);
    gpxTemplate_->setObjectName(QStringLiteral("memWPTemplate"));
    gpxLayout->addWidget(gpxTemplate_);
    pages_->addWidget(gpx);
    // 6 XML template
    auto* xml = new QWidget(pages_);
    auto* xmlForm = new QFormLayout(xml);
    template_ = new QComboBox(xml);
    template_->setObjectName(QStringLiteral("cbXMLTemplate"));
    xmlForm->addRow(qs("Vorlage bitte w\xE4hlen:"), template_);
    pages_->addWidget(xml);

    save_ = new QCheckBox(qs("Einstellungen speichern"), this);
    save_->setObjectName(QStringLiteral("cbSaveOpts"));
    auto* exportButton = new QPushButton(qs("Exportieren"), this);
    exportButton->setObjectName(QStringLiteral("btnExport"));
    auto* closeButton = new QPushButton(qs("Schlie\xDF"
                                           "en"),
                                        this);

    auto* top = new QFormLayout;
    top->addRow(qs("zu exportierende Liste"), source_);
    top->addRow(dirNote_);
    top->addRow(qs("Ausgabeformat"), format_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* box = new QGroupBox(qs("Optionen"), this);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(pages_);
    layout->addWidget(box);
    layout->addLayout(buttons);
    resize(560, 460);

    const auto onCombo = [this](QComboBox* c, auto apply) {
        connect(c, &QComboBox::currentIndexChanged, this, [this, apply](int i) {
            if (updating_ || i < 0) return;
            apply(i);
            modelChanged();
        });
    };
    onCombo(source_, [this](int i) { model_.setSource(i); });
    onCombo(format_, [this](int i) { model_.setFormat(i); });
    onCombo(csvSeparator_, [this](int i) { model_.opts().CSVcbDecimalSeparator = i; });
    onCombo(csvHome_, [this](int i) { model_.opts().CSVcbHome = i; });
    onCombo(ovlColour_, [this](int i) { model_.opts().OVLcbbColor = i; });
    onCombo(ovlSize_, [this](int i) { model_.opts().OVLcbbSize = i; });
    onCombo(psionInfo_, [this](int i) { model_.opts().PsionInfo = i; });
    onCombo(oziNumber_, [this](int i) { model_.opts().OziNumber = i; });
    onCombo(oziDate_, [this](int i) { model_.opts().OziDate = i; });
    onCombo(whichHomes_, [this](int i) { model_.opts().GPXWhichHomes = i; });
    connect(template_, &QComboBox::activated, this, [this](int i) {
        if (!updating_ && i > 0) model_.chooseTemplate(i - 1);
    });
    connect(oziFont_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.opts().OziFontsize = cp(t); });
    connect(oziSymSize_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.opts().OziSymSize = cp(t); });
    connect(gpxTemplate_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_) model_.gpxTemplate() = withCrLf(gpxTemplate_->toPlainText());
    });
    connect(save_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) model_.setSaveOptions(on);
    });
    connect(exportButton, &QPushButton::clicked, this, [this] { model_.exportRun(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    model_.setObserver(this);
    model_.open();
    updating_ = true;
    gpxTemplate_->setPlainText(qs(model_.gpxTemplate()));
    updating_ = false;
    applyTooltips(this, ctx_.settings.ShowTooltips);
}

ExportDialog::~ExportDialog() {
    model_.setObserver(nullptr);
}

void ExportDialog::done(int result) {
    // Every way of leaving stores the options (when asked) and ends directory mode.
    if (model_.isOpen()) {
        model_.setObserver(nullptr);
        model_.close();
    }
    QDialog::done(result);
}

void ExportDialog::modelChanged() {
    updating_ = true;
    const ListExportOpts& o = model_.opts();
    source_->setVisible(!model_.directoryMode());
    dirNote_->setVisible(model_.directoryMode());
    setCombo(source_, o.ExpList);
    setCombo(format_, o.Format);
    pages_->setCurrentIndex(o.Format);
    for (auto& [box, member] : checks_) box->setChecked(o.*member);
    foundDate_->setEnabled(model_.foundDateOffered());
    setCombo(csvSeparator_, o.CSVcbDecimalSeparator);
    setCombo(csvHome_, o.CSVcbHome);
    csvHome_->setEnabled(model_.homeChoiceOffered());
    setCombo(ovlColour_, o.OVLcbbColor);
    setCombo(ovlSize_, o.OVLcbbSize);
    ovlColour_->setEnabled(model_.overlayLabelOptionsOffered());
    ovlSize_->setEnabled(model_.overlayLabelOptionsOffered());
    setCombo(psionInfo_, o.PsionInfo);
    setCombo(oziNumber_, o.OziNumber);
    setCombo(oziDate_, o.OziDate);
    oziFont_->setText(qs(o.OziFontsize));
    oziSymSize_->setText(qs(o.OziSymSize));
    for (std::size_t g = 0; g < 4; ++g) oziSym_[g]->setText(qs(o.OziSym[g]));
    setCombo(whichHomes_, o.GPXWhichHomes);
    whichHomes_->setEnabled(o.GPXHomeExp);
    template_->clear();
    template_->addItem(qs("bitte w\xE4hlen"));
    for (const auto& t : model_.templates()) template_->addItem(qs(t.name));
    template_->setCurrentIndex(model_.chosenTemplate() + 1);
    save_->setChecked(model_.saveOptions());
    updating_ = false;
}

}  // namespace vellora
