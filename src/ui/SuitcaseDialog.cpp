#include "ui/SuitcaseDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/FileProcs.h"
#include "core/RunContext.h"
#include "ui/DialogHost.h"
#include "ui/DialogUtil.h"
#include "ui/ListingCommands.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

struct ExportBox {
    const char* text;
    bool SuitcaseOptions::*member;
    const char* name;
};

const ExportBox kExportBoxes[] = {
    {"Cache-Datenbank", &SuitcaseOptions::ExpCacheDB, "cbExpCacheDB"},
    {"Arbeitsliste", &SuitcaseOptions::ExpWorklist, "cbExpWorklist"},
    {"Eigene Funde", &SuitcaseOptions::ExpFinds, "cbExpFinds"},
    {"Ignoreliste", &SuitcaseOptions::ExpIgnore, "cbExpIgnore"},
    {"geladene Beschreibungen, Bilder, Metadaten", &SuitcaseOptions::ExpDescr, "cbExpDescr"},
    {"auch aus Unterverzeichnissen", &SuitcaseOptions::ExpDescrSubdir, "cbExpDescrSubdir"},
    {"pers\xF6nliche Cachenotizen", &SuitcaseOptions::ExpNotes, "cbExpNotes"},
};

// The section tabs in the order "ActiveLoadPage" counts them.
const SuitcaseSection kTabSections[] = {SuitcaseSection::Database,     SuitcaseSection::WorkList,
                                        SuitcaseSection::Finds,        SuitcaseSection::IgnoreList,
                                        SuitcaseSection::Descriptions, SuitcaseSection::Notes};
const char* const kTabTitles[] = {"Cache-Datenbank", "Arbeitsliste",        "Fundliste",
                                  "Ignoreliste",     "Cachebeschreibungen", "Notizen"};

struct TakeOver {
    const char* text;
    bool SuitcaseOptions::*member;
};

// Indexed by SuitcaseSection.
const TakeOver kTakeOver[] = {
    {"Eintr\xE4ge aus dem Aktenkoffer in die aktuelle Datenbank \xFC"
     "bernehmen",
     &SuitcaseOptions::GetDB},
    {"Eintr\xE4ge aus dem Aktenkoffer in die aktuelle Arbeitsliste \xFC"
     "bernehmen",
     &SuitcaseOptions::GetWorkList},
    {"Eintr\xE4ge aus dem Aktenkoffer in die aktuelle Fundliste \xFC"
     "bernehmen",
     &SuitcaseOptions::GetFoundList},
    {"Eintr\xE4ge aus dem Aktenkoffer in die aktuelle Ignoreliste \xFC"
     "bernehmen",
     &SuitcaseOptions::GetIgnoreList},
    {"Eintr\xE4ge aus dem Aktenkoffer in die pers\xF6nlichen Notizen \xFC"
     "bernehmen",
     &SuitcaseOptions::GetNotes},
    {"Cachebeschreibungen aus dem Aktenkoffer \xFC"
     "bernehmen",
     &SuitcaseOptions::GetCaches},
};

QButtonGroup* radioGroup(const char* title, std::initializer_list<const char*> items, QWidget* parent,
                         QVBoxLayout* into) {
    auto* box = new QGroupBox(qs(title), parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    int id = 0;
    for (const char* item : items) {
        auto* radio = new QRadioButton(qs(item), box);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    into->addWidget(box);
    return group;
}

}  // namespace

NoteMergeDialog::NoteMergeDialog(const std::string& waypoint, const std::string& cacheName,
                                 const std::vector<std::string>& note, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditNotes"));
    setWindowTitle(qs("Cachenotizen editieren"));
    auto* group = new QGroupBox(qs("Cachenotizen zusammenf\xFChren"), this);
    auto* hint =
        new QLabel(qs("Sowohl lokal als auch im Aktenkoffer befanden sich Cachenotizen zum gleichen Cache. "
                      "Bitte die entsprechenden \xC4nderungen vornehmen und mit OK best\xE4tigen."),
                   group);
    hint->setWordWrap(true);
    auto* wp = new QLineEdit(qs(waypoint), group);
    wp->setReadOnly(true);
    wp->setObjectName(QStringLiteral("edWaypoint"));
    auto* name = new QLineEdit(qs(cacheName), group);
    name->setReadOnly(true);
    name->setObjectName(QStringLiteral("edCacheName"));
    std::string text;
    for (std::size_t i = 0; i < note.size(); ++i) text += (i ? "\n" : "") + note[i];
    edit_ = new QPlainTextEdit(qs(text), group);
    edit_->setObjectName(QStringLiteral("memNotes"));
    edit_->setMinimumSize(420, 200);
    auto* grid = new QGridLayout(group);
    grid->addWidget(hint, 0, 0, 1, 2);
    grid->addWidget(new QLabel(qs("Waypoint:"), group), 1, 0);
    grid->addWidget(wp, 1, 1);
    grid->addWidget(new QLabel(qs("Cachename:"), group), 2, 0);
    grid->addWidget(name, 2, 1);
    grid->addWidget(new QLabel(qs("Hinterlegte Notzien zu diesem Cache:"), group), 3, 0, 1, 2);
    grid->addWidget(edit_, 4, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

std::vector<std::string> NoteMergeDialog::note() const {
    return splitListLines(cp(edit_->toPlainText()));
}

SuitcaseSummaryDialog::SuitcaseSummaryDialog(const std::string& heading,
                                             const std::vector<std::string>& lines, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSummary"));
    setWindowTitle(qs(TfrmSuitcase::kSummaryCaption));
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("lbSummary"));
    list->setMinimumSize(420, 240);
    for (const auto& line : lines) list->addItem(qs(line));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qs(heading), this));
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
}

SuitcaseDialog::SuitcaseDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), model_(ctx) {
    setObjectName(QStringLiteral("frmSuitcase"));
    setWindowTitle(qs(TfrmSuitcase::kCaption));
    setMinimumWidth(680);

    pages_ = new QTabWidget(this);
    exportPage_ = new QWidget(pages_);
    auto* exportLayout = new QVBoxLayout(exportPage_);
    for (std::size_t i = 0; i < exportBoxes_.size(); ++i) {
        auto* box = new QCheckBox(qs(kExportBoxes[i].text), exportPage_);
        box->setObjectName(QString::fromLatin1(kExportBoxes[i].name));
        exportBoxes_[i] = box;
        exportLayout->addWidget(box);
        if (kExportBoxes[i].member == &SuitcaseOptions::ExpDescrSubdir) box->setContentsMargins(20, 0, 0, 0);
        connect(box, &QCheckBox::toggled, this, [this] { storeControls(); });
    }
    save_ = new QPushButton(qs(TfrmSuitcase::kSaveButton), exportPage_);
    save_->setObjectName(QStringLiteral("btnSave"));
    save_->setToolTip(qs("Die gew\xE4hlten Daten in eine Aktenkofferdatei schreiben"));
    exportLayout->addStretch();
    exportLayout->addWidget(save_, 0, Qt::AlignLeft);
    pages_->addTab(exportPage_, qs(TfrmSuitcase::kExportTab));

    importPage_ = new QWidget(pages_);
    auto* importLayout = new QVBoxLayout(importPage_);
    load_ = new QPushButton(qs(TfrmSuitcase::kLoadButton), importPage_);
    load_->setObjectName(QStringLiteral("btnLoad"));
    load_->setToolTip(qs("Eine Aktenkofferdatei lesen und zeigen, was sie enth\xE4lt"));
    importLayout->addWidget(load_, 0, Qt::AlignLeft);
    sections_ = new QTabWidget(importPage_);
    sections_->setObjectName(QStringLiteral("pcSections"));
    for (std::size_t tab = 0; tab < std::size(kTabSections); ++tab) {
        const SuitcaseSection section = kTabSections[tab];
        const auto s = std::size_t(section);
        auto* page = new QWidget(sections_);
        auto* layout = new QVBoxLayout(page);
        sectionText_[s] = new QLabel(page);
        sectionText_[s]->setWordWrap(true);
        layout->addWidget(sectionText_[s]);
        takeOver_[s] = new QCheckBox(qs(kTakeOver[s].text), page);
        layout->addWidget(takeOver_[s]);
        connect(takeOver_[s], &QCheckBox::toggled, this, [this] { storeControls(); });
        auto* options = new QWidget(page);
        auto* optionsLayout = new QVBoxLayout(options);
        optionsLayout->setContentsMargins(20, 0, 0, 0);
        sectionOptions_[s] = options;
        switch (section) {
            case SuitcaseSection::Database: {
                impDB_ = radioGroup("Verhalten bei doppelten Datenbank-Eintr\xE4gen",
                                    {"Lokale DB aktualisieren", "Lokale DB nicht \xE4ndern"}, options,
                                    optionsLayout);
                newWPList_ = new QCheckBox(qs("Wegpunktliste neuer Datens\xE4tze erstellen"), options);
                newWPFile_ = new QLabel(options);
                auto* change = new QPushButton(qs("\xC4ndern"), options);
                change->setObjectName(QStringLiteral("btnChangeNewWP"));
                connect(change, &QPushButton::clicked, this, [this] { model_.btnChangeNewWPClick(); });
                auto* row = new QHBoxLayout;
                row->addWidget(newWPFile_, 1);
                row->addWidget(change);
                optionsLayout->addWidget(newWPList_);
                optionsLayout->addLayout(row);
                connect(newWPList_, &QCheckBox::toggled, this, [this] { storeControls(); });
                break;
            }
            case SuitcaseSection::Finds:
                doubleFinds_ =
                    radioGroup("Verhalten bei doppelten Eintr\xE4gen",
                               {"Lokale Fundliste aus dem Aktenkoffer aktualisieren",
                                "Lokale Fundliste aktualisieren, wenn Datum im Aktenkoffer aktueller ist",
                                "Lokale Fundliste nicht \xE4ndern"},
                               options, optionsLayout);
                break;
            case SuitcaseSection::Descriptions:
                doubleCache_ = radioGroup("Bei vorhandenen Beschreibungen",
                                          {"Lokale Beschreibungen aktualisieren",
                                           "\xDC"
                                           "berschreiben, wenn aktueller",
                                           "Lokale Beschreibungen beibehalten"},
                                          options, optionsLayout);
                showSummary_ = new QCheckBox(qs("Zusammenfassung zeigen"), options);
                insertWorkList_ = new QCheckBox(qs("Arbeitsliste anpassen"), options);
                postCreate_ = new QCheckBox(qs("Cachebeschr. erzeugen"), options);
                for (QCheckBox* box : {showSummary_, insertWorkList_, postCreate_}) {
                    optionsLayout->addWidget(box);
                    connect(box, &QCheckBox::toggled, this, [this] { storeControls(); });
                }
                break;
            case SuitcaseSection::Notes:
                doubleNotes_ = radioGroup("Verhalten bei doppelten Eintr\xE4gen",
                                          {"Notizen aus dem Aktenkoffer \xFC"
                                           "bernehmen",
                                           "Beide Notizen \xFC"
                                           "bernehmen",
                                           "R\xFC"
                                           "ckfrage und Bearbeiten anbieten",
                                           "Lokale Notizen behalten"},
                                          options, optionsLayout);
                break;
            default:
                break;
        }
        layout->addWidget(options);
        layout->addStretch();
        sections_->addTab(page, qs(kTabTitles[tab]));
    }
    for (QButtonGroup* group : {impDB_, doubleFinds_, doubleCache_, doubleNotes_})
        connect(group, &QButtonGroup::idClicked, this, [this] { storeControls(); });
    connect(sections_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!updating_) model_.opts.ActiveLoadPage = index;
    });
    importLayout->addWidget(sections_, 1);
    commit_ = new QPushButton(qs(TfrmSuitcase::kCommitButton), importPage_);
    commit_->setObjectName(QStringLiteral("btnCommit"));
    commit_->setToolTip(
        qs("Die gew\xE4hlten Abschnitte in diese Installation \xFC"
           "bernehmen"));
    importLayout->addWidget(commit_, 0, Qt::AlignLeft);
    pages_->addTab(importPage_, qs(TfrmSuitcase::kImportTab));
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!updating_) model_.opts.ActivePage = index;
    });

    saveSettings_ = new QCheckBox(qs(TfrmSuitcase::kSaveSettingsBox), this);
    saveSettings_->setObjectName(QStringLiteral("cbSaveSettings"));
    connect(saveSettings_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_) model_.saveSettings = on;
    });
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("pbProgress"));
    progress_->setTextVisible(false);
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    close_->setObjectName(QStringLiteral("btnClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(saveSettings_);
    bottom->addStretch();
    bottom->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addLayout(bottom);

    connect(save_, &QPushButton::clicked, this, [this] { model_.btnSaveClick(); });
    connect(load_, &QPushButton::clicked, this, [this] { model_.btnLoadClick(); });
    connect(commit_, &QPushButton::clicked, this, [this] { model_.btnCommitClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { model_.close(); });

    ProgressSink sink;
    sink.begin = [this](const std::string&, std::int64_t max) {
        progress_->setRange(0, int(std::min<std::int64_t>(max, INT32_MAX)));
        progress_->setValue(0);
    };
    sink.position = [this](std::int64_t pos) {
        progress_->setValue(int(std::min<std::int64_t>(pos, INT32_MAX)));
    };
    sink.text = [this](const std::string& text) { status_->setText(qs(text)); };
    sink.end = [this] { progress_->setValue(0); };
    host_ = std::make_unique<DialogHost>(ctx, sink);

    model_.editNote = [this](const std::string& wp, const std::string& name,
                             const std::vector<std::string>& note) {
        NoteMergeDialog dialog(wp, name, note, this);
        execCentred(dialog, this);
        return dialog.note();
    };
    model_.showSummary = [this](const std::string& heading, const std::vector<std::string>& lines) {
        SuitcaseSummaryDialog dialog(heading, lines, this);
        execCentred(dialog, this);
    };
    model_.setObserver(this);
    model_.open();
    applyTooltips(this, ctx.settings.ShowTooltips);
}

SuitcaseDialog::~SuitcaseDialog() {
    model_.setObserver(nullptr);
    model_.close();
    if (busyCursor_) QApplication::restoreOverrideCursor();
}

void SuitcaseDialog::storeControls() {
    if (updating_) return;
    SuitcaseOptions& o = model_.opts;
    for (std::size_t i = 0; i < exportBoxes_.size(); ++i)
        o.*(kExportBoxes[i].member) = exportBoxes_[i]->isChecked();
    for (std::size_t s = 0; s < takeOver_.size(); ++s)
        if (takeOver_[s]->isEnabled()) o.*(kTakeOver[s].member) = takeOver_[s]->isChecked();
    o.ImpDB = impDB_->checkedId();
    o.AddNewDBRecsToCliplist = newWPList_->isChecked();
    o.DoubleFinds = doubleFinds_->checkedId();
    o.DoubleCache = doubleCache_->checkedId();
    o.ShowCacheSummary = showSummary_->isChecked();
    o.InsertWorkList = insertWorkList_->isChecked();
    o.PostCreateDescr = postCreate_->isChecked();
    o.DoubleNotes = doubleNotes_->checkedId();
    refresh();
}

void SuitcaseDialog::refresh() {
    updating_ = true;
    const TfrmSuitcase& m = model_;
    const SuitcaseOptions& o = m.opts;
    for (std::size_t i = 0; i < exportBoxes_.size(); ++i)
        exportBoxes_[i]->setChecked(o.*(kExportBoxes[i].member));
    exportBoxes_[5]->setEnabled(m.subdirEnabled());
    pages_->setTabVisible(0, m.exportTabVisible());
    pages_->setCurrentIndex(m.exportTabVisible() ? o.ActivePage : 1);
    load_->setEnabled(!m.loaded() && !m.busy());
    save_->setEnabled(!m.busy());
    sections_->setVisible(m.loaded());
    commit_->setVisible(m.loaded());
    commit_->setEnabled(!m.busy());
    for (std::size_t s = 0; s < takeOver_.size(); ++s) {
        const auto section = static_cast<SuitcaseSection>(s);
        std::string text;
        for (const auto& line : m.sectionTexts(section)) text += (text.empty() ? "" : "\n") + line;
        sectionText_[s]->setText(qs(text));
        takeOver_[s]->setChecked(o.*(kTakeOver[s].member));
        takeOver_[s]->setEnabled(m.sectionAvailable(section));
        sectionOptions_[s]->setEnabled(m.sectionOptionsEnabled(section));
    }
    takeOver_[std::size_t(SuitcaseSection::Notes)]->setVisible(m.notesVisible());
    if (m.loaded() && !loadShown_) {
        // A freshly loaded suitcase opens on the remembered section when it carries it, else on
        // the first section it carries.
        loadShown_ = true;
        const auto carries = [&m](int tab) {
            return tab >= 0 && tab < static_cast<int>(std::size(kTabSections)) &&
                   m.sectionAvailable(kTabSections[tab]);
        };
        if (!carries(o.ActiveLoadPage)) {
            for (int tab = 0; tab < static_cast<int>(std::size(kTabSections)); ++tab) {
                if (!carries(tab)) continue;
                model_.opts.ActiveLoadPage = tab;
                break;
            }
        }
    }
    sections_->setCurrentIndex(o.ActiveLoadPage);
    impDB_->button(o.ImpDB)->setChecked(true);
    doubleFinds_->button(o.DoubleFinds)->setChecked(true);
    doubleCache_->button(o.DoubleCache)->setChecked(true);
    doubleNotes_->button(o.DoubleNotes)->setChecked(true);
    newWPList_->setChecked(o.AddNewDBRecsToCliplist);
    newWPFile_->setText(qPath(o.NewWPFilename));
    showSummary_->setChecked(o.ShowCacheSummary);
    insertWorkList_->setChecked(o.InsertWorkList);
    postCreate_->setChecked(o.PostCreateDescr);
    saveSettings_->setChecked(m.saveSettings);
    status_->setText(qs(m.status()));
    close_->setEnabled(m.closeEnabled());
    if (m.busy() != busyCursor_) {
        busyCursor_ = m.busy();
        if (busyCursor_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    updating_ = false;
}

void SuitcaseDialog::reject() {
    if (!model_.closeEnabled()) return;
    model_.close();
}

void SuitcaseDialog::closeEvent(QCloseEvent* event) {
    if (!model_.closeEnabled()) {
        event->ignore();
        return;
    }
    model_.close();
    QDialog::closeEvent(event);
}

void openSuitcase(RunContext& ctx, QWidget* window, ListingCommands& listing,
                  const std::function<void()>& refresh) {
    bool generate = false;
    {
        SuitcaseDialog dialog(ctx, window);
        execCentred(dialog, window);
        generate = dialog.model().generatorRequested();
    }
    if (generate) listing.generateAllUnattended();
    if (refresh) refresh();
}

}  // namespace vellora
