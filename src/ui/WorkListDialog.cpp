#include "ui/WorkListDialog.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>
#include <set>

#include "core/CoordInput.h"
#include "core/RunContext.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/CacheSubSelectorDialog.h"
#include "ui/CacheTypeIcons.h"
#include "ui/ColumnFit.h"
#include "ui/CoordInputDialog.h"
#include "ui/DialogUtil.h"
#include "ui/EditCacheDialog.h"
#include "ui/MapWindow.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

constexpr const char* kCaption = "Arbeits-, Fund- und Ignoreliste";
constexpr int kNameColumn = 1;

QDate qDate(TDateTime d) {
    const DateParts p = decodeDateTime(d);
    return QDate(p.year, p.month, p.day);
}

TDateTime fromQDate(const QDate& d) {
    return encodeDate(d.year(), d.month(), d.day());
}

// Uppercases every typed letter of the waypoint field.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

// ---- table model

WorkListTableModel::WorkListTableModel(TWPCollector& collector, QObject* parent)
    : QAbstractTableModel(parent), c_(collector) {
    for (int i = 0; i < 11; ++i) icons_[static_cast<std::size_t>(i)] = cacheTypeIcon(i);
}

int WorkListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : c_.rowCount();
}

int WorkListTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return c_.currentList() == kFindsList ? kWPColumnCount : kWPColumnCount - 1;
}

QVariant WorkListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= c_.rowCount()) return {};
    if (role == Qt::DisplayRole) return qs(c_.cellText(index.row(), index.column()));
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int code = std::clamp(CacheTypeCode(c_.rowRec(index.row()).CacheType), 0, 10);
        return icons_[static_cast<std::size_t>(code)];
    }
    if (role == Qt::TextAlignmentRole && (index.column() == 2 || index.column() == 6 || index.column() == 7))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant WorkListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kWPColumnCount)
        return {};
    return qs(kWPColumnTitles[section]);
}

Qt::ItemFlags WorkListTableModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

QStringList WorkListTableModel::mimeTypes() const {
    return {QString::fromLatin1(kRowsMime)};
}

QMimeData* WorkListTableModel::mimeData(const QModelIndexList& indexes) const {
    std::set<int> rows;
    for (const QModelIndex& i : indexes) rows.insert(i.row());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint32>(rows.size());
    for (int r : rows) out << static_cast<qint32>(r);
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kRowsMime), bytes);
    return mime;
}

std::vector<int> WorkListTableModel::rowsOf(const QMimeData* mime) {
    std::vector<int> rows;
    if (!mime || !mime->hasFormat(QString::fromLatin1(kRowsMime))) return rows;
    QDataStream in(mime->data(QString::fromLatin1(kRowsMime)));
    qint32 n = 0;
    in >> n;
    for (qint32 i = 0; i < n && !in.atEnd(); ++i) {
        qint32 r = 0;
        in >> r;
        rows.push_back(r);
    }
    return rows;
}

void WorkListTableModel::reset() {
    beginResetModel();
    endResetModel();
}

// ---- drop targets

RowDropTarget::RowDropTarget(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAcceptDrops(true);
}

void RowDropTarget::dragEnterEvent(QDragEnterEvent* event) {
    if (isEnabled() && event->mimeData()->hasFormat(QString::fromLatin1(WorkListTableModel::kRowsMime)))
        event->acceptProposedAction();
}

void RowDropTarget::dropEvent(QDropEvent* event) {
    const std::vector<int> rows = WorkListTableModel::rowsOf(event->mimeData());
    event->acceptProposedAction();
    if (onDrop && !rows.empty()) onDrop(rows);
}

// ---- the window

WorkListDialog::WorkListDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx), model_(ctx) {
    setWindowTitle(qs(kCaption));
    setObjectName(QStringLiteral("frmWPCol"));
    model_.selectHits = [this](std::vector<std::string>& lines, std::vector<bool>& ticked) {
        return selectHits(lines, ticked);
    };

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pcAdd"));
    pages_->addTab(buildNamePage(), qs("Name / Waypoint"));
    pages_->addTab(buildRadiusPage(), qs("Radiussuche"));
    pages_->addTab(buildFilePage(), qs("aus Datei"));

    // Left: the list buttons, the garbage target, the reference point and the finds date.
    auto* side = new QVBoxLayout;
    for (int n = 1; n <= 4; ++n) {
        auto* b = new RowDropTarget(qs(kWPLists[n - 1].button), this);
        b->setObjectName(QStringLiteral("btnList%1").arg(n));
        b->setCheckable(true);
        b->setToolTip(
            qs("Liste zeigen; markierte Caches hierher ziehen, um sie in diese Liste zu verschieben"));
        b->onDrop = [this, n](const std::vector<int>& rows) { model_.moveRows(rows, n); };
        connect(b, &QPushButton::clicked, this, [this, n] { model_.selectList(n); });
        listButtons_[static_cast<std::size_t>(n - 1)] = b;
        side->addWidget(b);
    }
    garbage_ = new RowDropTarget(qs("Papierkorb"), this);
    garbage_->setObjectName(QStringLiteral("imgGarbage"));
    garbage_->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    garbage_->setMinimumHeight(48);
    garbage_->setToolTip(qs("Markierte Caches hierher ziehen, um sie aus der Liste zu l\xF6schen"));
    garbage_->onDrop = [this](const std::vector<int>& rows) { model_.removeRows(rows); };
    side->addSpacing(8);
    side->addWidget(garbage_);
    side->addSpacing(8);
    side->addWidget(new QLabel(qs("Bezugspunkt f\xFCr Entfernungen:"), this));
    reference_ = new QComboBox(this);
    reference_->setObjectName(QStringLiteral("cbReference"));
    side->addWidget(reference_);
    side->addWidget(new QLabel(qs("Datum f\xFCr Funde"), this));
    findsDate_ = new QDateEdit(this);
    findsDate_->setObjectName(QStringLiteral("dtFindsDate"));
    findsDate_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    findsDate_->setCalendarPopup(true);
    side->addWidget(findsDate_);
    side->addStretch();

    headline_ = new QLabel(this);
    headline_->setObjectName(QStringLiteral("lblListTitle"));
    QFont bold = headline_->font();
    bold.setBold(true);
    headline_->setFont(bold);
    table_ = new WorkListTableModel(model_, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("lvCaches"));
    view_->setModel(table_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setDragEnabled(true);
    view_->setDragDropMode(QAbstractItemView::DragOnly);
    view_->setDefaultDropAction(Qt::MoveAction);
    view_->setShowGrid(false);
    view_->setWordWrap(false);
    view_->setAlternatingRowColors(true);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Fixed row heights keep very long lists quick to draw and scroll.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->verticalHeader()->hide();
    view_->setTextElideMode(Qt::ElideRight);
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    // The name takes what the other columns leave and is cut short, so that every column stays in
    // the window.
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->viewport()->installEventFilter(this);
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { model_.sortBy(c); });
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { showDetails(i.row()); });
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { menu_->exec(view_->viewport()->mapToGlobal(p)); });
    buildMenu();

    auto* right = new QVBoxLayout;
    right->addWidget(headline_);
    right->addWidget(view_, 1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(side);
    middle->addLayout(right, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    saveSettings_ = new QCheckBox(qs("Einstellungen speichern"), this);
    saveSettings_->setObjectName(QStringLiteral("cbSaveSettings"));
    save_ = new QPushButton(qs("Speichern"), this);
    save_->setObjectName(QStringLiteral("btnSave"));
    save_->setToolTip(
        qs("Alle Listen speichern und das Fenster schlie\xDF"
           "en"));
    cancel_ = new QPushButton(qs("Abbrechen"), this);
    cancel_->setObjectName(QStringLiteral("btnCancel"));
    save_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(saveSettings_);
    bottom->addWidget(save_);
    bottom->addWidget(cancel_);

    // The add pages take what their controls need; the list gets the rest of the height.
    pages_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    connect(save_, &QPushButton::clicked, this, [this] {
        // The model closes inside save(): the flag tells modelClosed() how the window ends.
        saving_ = true;
        model_.save();
        saving_ = false;
    });
    connect(cancel_, &QPushButton::clicked, this, &WorkListDialog::reject);
    connect(saveSettings_, &QCheckBox::toggled, this, [this](bool on) { model_.saveSettings = on; });
    connect(reference_, &QComboBox::activated, this, [this](int i) { model_.setReferenceIndex(i); });
    connect(findsDate_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!refreshing_) model_.findsDate = fromQDate(d);
    });
    connect(pages_, &QTabWidget::currentChanged, this, [this](int i) {
        if (!refreshing_) model_.options.ActivePage = i;
    });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { refreshStatus(); });

    model_.setObserver(this);
    model_.open();
    for (const auto& choice : model_.homeChoices()) {
        reference_->addItem(qs(choice));
        centre_->addItem(qs(choice));
    }
    refreshControls();
    fitColumns();
    applyTooltips(this, ctx.settings.ShowTooltips);
    resize(1000, 720);
}

WorkListDialog::~WorkListDialog() {
    // Hidden here, while the collector still exists: hiding lays out the table, which asks it for rows.
    hide();
    model_.setObserver(nullptr);
    if (model_.isOpen()) model_.close();
}

QWidget* WorkListDialog::buildNamePage() {
    auto* page = new QWidget(this);
    auto* g = new QGridLayout(page);
    waypoint_ = new QLineEdit(page);
    waypoint_->setObjectName(QStringLiteral("edWaypoint"));
    waypoint_->setMaxLength(static_cast<int>(TCacheRec::kWaypointMax));
    waypoint_->setValidator(new UpperCaseValidator(waypoint_));
    addWaypoint_ = new QPushButton(qs("Hinzuf\xFCgen"), page);
    addWaypoint_->setObjectName(QStringLiteral("btnAddWaypoint"));
    name_ = new QLineEdit(page);
    name_->setObjectName(QStringLiteral("edName"));
    addName_ = new QPushButton(qs("Hinzuf\xFCgen"), page);
    addName_->setObjectName(QStringLiteral("btnAddName"));
    preselect_ = new QCheckBox(qs("Treffer vor dem Hinzuf\xFCgen zur Auswahl zeigen"), page);
    preselect_->setObjectName(QStringLiteral("cbPreselectMultiFinds"));
    g->addWidget(new QLabel(qs("Wegpunkt (GCxxxx):"), page), 0, 0);
    g->addWidget(waypoint_, 0, 1);
    g->addWidget(addWaypoint_, 0, 2);
    g->addWidget(new QLabel(qs("Name / Besitzer oder Teile davon (minimal 3 Buchstaben):"), page), 1, 0);
    g->addWidget(name_, 1, 1);
    g->addWidget(addName_, 1, 2);
    g->addWidget(preselect_, 2, 1, 1, 2);
    g->setColumnStretch(1, 1);
    g->setRowStretch(3, 1);
    connect(waypoint_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.waypointText = cp(t); });
    connect(waypoint_, &QLineEdit::returnPressed, addWaypoint_, &QPushButton::click);
    connect(addWaypoint_, &QPushButton::clicked, this, [this] { model_.addByWaypoint(model_.waypointText); });
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) {
        model_.nameText = cp(t);
        addName_->setEnabled(model_.addByNameEnabled());
    });
    connect(name_, &QLineEdit::returnPressed, addName_, &QPushButton::click);
    connect(addName_, &QPushButton::clicked, this, [this] { model_.addByName(); });
    connect(preselect_, &QCheckBox::toggled, this,
            [this](bool on) { model_.options.PreselectMultiFinds = on; });
    return page;
}

QWidget* WorkListDialog::buildRadiusPage() {
    auto* page = new QWidget(this);
    auto* g = new QGridLayout(page);
    g->addWidget(new QLabel(qs("Caches im Umkreis um ein Home oder um manuelle Koordinaten suchen"), page), 0,
                 0, 1, 4);
    centre_ = new QComboBox(page);
    centre_->setObjectName(QStringLiteral("cbCentre"));
    manual_ = new QPushButton(qs("Zentrum manuell..."), page);
    manual_->setObjectName(QStringLiteral("btnManualCentre"));
    centreText_ = new QLabel(page);
    centreText_->setObjectName(QStringLiteral("lblCentre"));
    radius_ = new QLineEdit(page);
    radius_->setObjectName(QStringLiteral("edRadius"));
    radius_->setMaximumWidth(radius_->fontMetrics().horizontalAdvance(QStringLiteral("000000.0")) + 16);
    radius_->installEventFilter(this);
    radiusAdd_ = new QPushButton(qs("Hinzuf\xFCgen"), page);
    radiusAdd_->setObjectName(QStringLiteral("btnRadiusSearch"));
    g->addWidget(new QLabel(qs("Zentrum:"), page), 1, 0);
    g->addWidget(centre_, 1, 1);
    g->addWidget(manual_, 1, 2);
    g->addWidget(centreText_, 1, 3);
    g->addWidget(new QLabel(qs("Radius (km):"), page), 2, 0);
    g->addWidget(radius_, 2, 1);
    g->addWidget(radiusAdd_, 2, 2);

    auto* filters = new QGroupBox(qs("Filter"), page);
    auto* f = new QGridLayout(filters);
    typeFilter_ = new QCheckBox(qs("Nur diese Cachetypen:"), filters);
    typeFilter_->setObjectName(QStringLiteral("cbFilterCacheType"));
    f->addWidget(typeFilter_, 0, 0);
    for (int i = 0; i < kFilterTypeCount; ++i) {
        auto* box = new QCheckBox(qs(kFilterTypeCaptions[i]), filters);
        box->setObjectName(QStringLiteral("cbType%1").arg(i));
        types_[static_cast<std::size_t>(i)] = box;
        f->addWidget(box, 1 + i / 5, i % 5);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            if (!refreshing_) model_.options.filter.FilterCTypes[static_cast<std::size_t>(i)] = on;
        });
    }
    dateFilter_ = new QCheckBox(qs("Nur neuere Caches als:"), filters);
    dateFilter_->setObjectName(QStringLiteral("cbFilterCacheDate"));
    filterDate_ = new QDateEdit(filters);
    filterDate_->setObjectName(QStringLiteral("dtFilterDate"));
    filterDate_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    filterDate_->setCalendarPopup(true);
    skipArchived_ = new QCheckBox(qs("Archivierte verwerfen"), filters);
    skipOldEvents_ = new QCheckBox(qs("alte Events verwerfen"), filters);
    skipMicros_ = new QCheckBox(qs("Mikrocaches verwerfen"), filters);
    ignoreFinds_ = new QCheckBox(qs("Finds && Ignores verwerfen"), filters);
    skipArchived_->setObjectName(QStringLiteral("cbSkipArchived"));
    skipOldEvents_->setObjectName(QStringLiteral("cbSkipOldEvents"));
    skipMicros_->setObjectName(QStringLiteral("cbSkipMicros"));
    ignoreFinds_->setObjectName(QStringLiteral("cbIgnoreFinds"));
    f->addWidget(dateFilter_, 3, 0);
    f->addWidget(filterDate_, 3, 1);
    f->addWidget(skipArchived_, 4, 0);
    f->addWidget(skipOldEvents_, 4, 1);
    f->addWidget(skipMicros_, 4, 2);
    f->addWidget(ignoreFinds_, 4, 3);
    g->addWidget(filters, 3, 0, 1, 4);
    g->setColumnStretch(3, 1);

    const auto bindBool = [this](QCheckBox* box, bool TCacheFilterOptions::*member) {
        connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
            if (refreshing_) return;
            model_.options.filter.*member = on;
            refreshControls();
        });
    };
    bindBool(typeFilter_, &TCacheFilterOptions::FilterCacheType);
    bindBool(dateFilter_, &TCacheFilterOptions::FilterCacheDate);
    bindBool(skipArchived_, &TCacheFilterOptions::SkipArchived);
    bindBool(skipOldEvents_, &TCacheFilterOptions::SkipOldEvents);
    bindBool(skipMicros_, &TCacheFilterOptions::SkipMicros);
    connect(ignoreFinds_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) model_.options.IgnoreFinds = on;
    });
    connect(filterDate_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!refreshing_) model_.options.filter.FilterDate = fromQDate(d);
    });
    connect(centre_, &QComboBox::activated, this, [this](int i) { model_.setCentreIndex(i); });
    connect(manual_, &QPushButton::clicked, this, &WorkListDialog::manualCentre);
    connect(radius_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.radiusText = cp(t); });
    connect(radius_, &QLineEdit::returnPressed, radiusAdd_, &QPushButton::click);
    connect(radiusAdd_, &QPushButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        model_.radiusSearch();
        QApplication::restoreOverrideCursor();
    });
    return page;
}

QWidget* WorkListDialog::buildFilePage() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    auto* group = new QButtonGroup(page);
    const char* captions[3] = {"GPX-Standard", ".loc-Datei (Tovaro)", "Waypoint-Textdatei"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(qs(captions[i]), page);
        r->setObjectName(QStringLiteral("rbFormat%1").arg(i));
        formats_[static_cast<std::size_t>(i)] = r;
        group->addButton(r, i);
        v->addWidget(r);
    }
    load_ = new QPushButton(qs("Laden"), page);
    load_->setObjectName(QStringLiteral("btnLoadFile"));
    auto* row = new QHBoxLayout;
    row->addWidget(load_);
    row->addStretch();
    v->addLayout(row);
    v->addStretch();
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { model_.options.ImportFormatIndex = id; });
    connect(load_, &QPushButton::clicked, this, [this] { model_.loadFromChosenFiles(); });
    return page;
}

void WorkListDialog::buildMenu() {
    menu_ = new QMenu(this);
    const auto add = [this](const char* name, const char* caption, const QKeySequence& key, auto slot) {
        QAction* a = menu_->addAction(qs(caption));
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            view_->addAction(a);
        }
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("mnuDeleteMarked", "Markierte Caches l\xF6schen", QKeySequence(Qt::Key_Delete),
        [this] { model_.deleteMarkedRows(markedRows()); });
    add("mnuDeleteAll", "Alle Caches l\xF6schen", QKeySequence(Qt::CTRL | Qt::Key_Delete),
        [this] { model_.removeAll(); });
    menu_->addSeparator();
    add("mnuMarkAll", "alle Caches markieren", QKeySequence(Qt::CTRL | Qt::Key_A),
        [this] { view_->selectAll(); });
    add("mnuMarkNone", "keinen Cache markieren", QKeySequence(Qt::CTRL | Qt::Key_N),
        [this] { view_->clearSelection(); });
    add("mnuInvertMarks", "Markierungen umkehren", QKeySequence(), [this] {
        const QModelIndex first = table_->index(0, 0);
        const QModelIndex last = table_->index(table_->rowCount() - 1, table_->columnCount() - 1);
        if (!first.isValid()) return;
        view_->selectionModel()->select(QItemSelection(first, last),
                                        QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    });
    menu_->addSeparator();
    add("mnuRemoveFinds", "Finds und Ignores entfernen", QKeySequence(),
        [this] { model_.removeFindsAndIgnores(); });
    add("mnuRemoveArchived", "Archivierte Caches entfernen", QKeySequence(),
        [this] { model_.removeArchived(); });
    add("mnuTakeFoundDate",
        "Found-Datum \xFC"
        "bernehmen",
        QKeySequence(), [this] { model_.takeOverFoundDate(markedRows()); });
    menu_->addSeparator();
    add("mnuCorrectCache", "Cachedaten in der DB korrigieren", QKeySequence(),
        [this] { correctCacheData(); });
    add("mnuSetCentre", "als Zentrum f\xFCr Radiussuche setzen", QKeySequence(), [this] {
        if (model_.setCentreFromRow(view_->currentIndex().row())) pages_->setCurrentIndex(1);
    });
    menu_->addSeparator();
    add("mnuMapMarked", "Markierte Caches in Landkarte zeigen", QKeySequence(), [this] { showInMap(true); });
    add("mnuMapAll", "Alle Caches in Landkarte zeigen", QKeySequence(), [this] { showInMap(false); });
}

void WorkListDialog::showInMap(bool markedOnly) {
    const std::vector<int> rows = markedRows();
    if (markedOnly && rows.empty()) return;
    TfrmMap map(ctx_);
    map.clearCaches();
    map.clearRoute();
    map.setView({6, 14, 47, 55});
    for (const std::string& waypoint : model_.mapWaypoints(markedOnly ? rows : std::vector<int>{}))
        map.addCache(waypoint);
    MapWindow window(ctx_, map, this);
    if (window.run()) model_.removeWaypoints(map.removed());
}

QAction* WorkListDialog::menuAction(const char* objectName) const {
    return menu_->findChild<QAction*>(QString::fromLatin1(objectName));
}

std::vector<int> WorkListDialog::markedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : view_->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void WorkListDialog::fitColumns() {
    const QFontMetrics fm = view_->fontMetrics();
    QHeaderView* header = view_->horizontalHeader();
    const int columns = table_->columnCount();
    const int rows = model_.rowCount();
    // Per column: the width for title and entries, and the least width that still shows the entries.
    std::vector<int> fits(static_cast<std::size_t>(columns), 0), least(static_cast<std::size_t>(columns), 0);
    for (int c = 0; c < columns; ++c) {
        if (c == kNameColumn) continue;
        int width = 0;
        // Measuring every text of a long list costs too much: the longest texts by bytes stand for
        // the rest.
        std::vector<std::pair<std::size_t, int>> longest;
        for (int r = 0; r < rows; ++r) {
            const std::size_t len = model_.cellText(r, c).size();
            if (longest.size() < 16) {
                longest.emplace_back(len, r);
                std::push_heap(longest.begin(), longest.end(), std::greater<>());
            } else if (len > longest.front().first) {
                std::pop_heap(longest.begin(), longest.end(), std::greater<>());
                longest.back() = {len, r};
                std::push_heap(longest.begin(), longest.end(), std::greater<>());
            }
            if (c == 2 || c == 3 || c == 4 || c == 9) r += std::max(1, rows / 200);  // fixed-format texts
        }
        QString widest;
        for (const auto& [len, r] : longest) {
            const QString text = qs(model_.cellText(r, c));
            if (fm.horizontalAdvance(text) > width) {
                width = fm.horizontalAdvance(text);
                widest = text;
            }
        }
        // The title with room for the sort arrow, or the widest entry (with the type icon).
        fits[static_cast<std::size_t>(c)] = columnFitWidth(view_, header, c, widest, c == 0);
        const int icon = c == 0 ? style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view_) + 8 : 0;
        least[static_cast<std::size_t>(c)] =
            std::min(fits[static_cast<std::size_t>(c)], width + 2 * fm.averageCharWidth() + icon);
    }
    // In a narrow window the titles give way first (they are cut short), then the name, so that
    // every column stays in view; the name column takes what is left.
    const int nameLeast = fm.horizontalAdvance(QStringLiteral("Cachename")) + 2 * fm.averageCharWidth();
    int excess = 0;
    if (view_->isVisible()) {
        excess = nameLeast - view_->viewport()->width();
        for (int w : fits) excess += w;
    }
    // Titles much wider than their entries (Diff, Terr) give first.
    std::vector<std::size_t> byRoom(static_cast<std::size_t>(columns));
    std::iota(byRoom.begin(), byRoom.end(), std::size_t{0});
    std::stable_sort(byRoom.begin(), byRoom.end(),
                     [&](std::size_t a, std::size_t b) { return fits[a] - least[a] > fits[b] - least[b]; });
    for (const std::size_t i : byRoom) {
        if (excess <= 0) break;
        const int give = std::min(excess, fits[i] - least[i]);
        fits[i] -= give;
        excess -= give;
    }
    header->setMinimumSectionSize(std::min(header->minimumSectionSize(), 24));
    for (int c = 0; c < columns; ++c) {
        if (c == kNameColumn) {
            header->setSectionResizeMode(c, QHeaderView::Stretch);
            continue;
        }
        header->setSectionResizeMode(c, QHeaderView::Interactive);
        view_->setColumnWidth(c, fits[static_cast<std::size_t>(c)]);
    }
    fittedList_ = model_.currentList();
    fittedCount_ = model_.current().count();
}

void WorkListDialog::modelChanged() {
    if (refreshing_ || !model_.isOpen()) return;
    table_->reset();
    refreshControls();
    if (fittedList_ != model_.currentList() || fittedCount_ != model_.current().count()) fitColumns();
}

void WorkListDialog::modelClosed() {
    done(saving_ ? QDialog::Accepted : QDialog::Rejected);
}

void WorkListDialog::refreshControls() {
    refreshing_ = true;
    const WPColOptions& opts = model_.options;
    headline_->setText(qs(model_.headline()));
    view_->horizontalHeader()->setSortIndicator(
        model_.sortColumn(), model_.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    for (int n = 1; n <= 4; ++n) listButton(n)->setChecked(n == model_.currentList());
    if (waypoint_->text() != qs(model_.waypointText)) waypoint_->setText(qs(model_.waypointText));
    if (name_->text() != qs(model_.nameText)) name_->setText(qs(model_.nameText));
    if (radius_->text() != qs(model_.radiusText)) radius_->setText(qs(model_.radiusText));
    addName_->setEnabled(model_.addByNameEnabled());
    preselect_->setChecked(opts.PreselectMultiFinds);
    const TCacheFilterOptions& f = opts.filter;
    typeFilter_->setChecked(f.FilterCacheType);
    for (int i = 0; i < kFilterTypeCount; ++i) {
        types_[static_cast<std::size_t>(i)]->setChecked(f.FilterCTypes[static_cast<std::size_t>(i)]);
        types_[static_cast<std::size_t>(i)]->setEnabled(f.FilterCacheType);
    }
    dateFilter_->setChecked(f.FilterCacheDate);
    filterDate_->setDate(qDate(f.FilterDate));
    filterDate_->setEnabled(f.FilterCacheDate);
    skipArchived_->setChecked(f.SkipArchived);
    skipOldEvents_->setChecked(f.SkipOldEvents);
    skipMicros_->setChecked(f.SkipMicros);
    ignoreFinds_->setChecked(opts.IgnoreFinds);
    const int choices = static_cast<int>(model_.homeChoices().size());
    centre_->setVisible(choices > 1);
    centre_->setCurrentIndex(opts.RadSearchHomeIndex < choices ? opts.RadSearchHomeIndex : 0);
    reference_->setCurrentIndex(opts.RadSearchHomeIndexGlobal < choices ? opts.RadSearchHomeIndexGlobal : 0);
    centreText_->setText(qs(model_.centreText()));
    const int format = std::clamp(opts.ImportFormatIndex, 0, 2);
    formats_[static_cast<std::size_t>(format)]->setChecked(true);
    pages_->setCurrentIndex(std::clamp(opts.ActivePage, 0, 2));
    findsDate_->setDate(qDate(model_.findsDate));
    saveSettings_->setChecked(model_.saveSettings);
    menuAction("mnuRemoveFinds")->setEnabled(model_.removeFindsEnabled());
    menuAction("mnuRemoveArchived")->setEnabled(model_.removeFindsEnabled());
    menuAction("mnuTakeFoundDate")->setEnabled(model_.takeFoundDateEnabled());
    refreshing_ = false;
    refreshStatus();
}

void WorkListDialog::refreshStatus() {
    std::string text;
    for (int n = 1; n <= 4; ++n) {
        if (n > 1) text += "   ";
        text += std::string(kWPLists[n - 1].title) + ": " + std::to_string(model_.list(n).count());
    }
    text += "   markiert: " + std::to_string(view_->selectionModel()->selectedRows().size());
    if (model_.modified()) text += "   (ge\xE4ndert)";
    status_->setText(qs(text));
}

bool WorkListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (view_ && watched == view_->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
        return false;
    }
    if (watched == radius_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Enter starts the search.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return false;
        const QString t = key->text();
        if (t.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        const QChar ch = t.front();
        if (ch.unicode() == 0x7F) return false;
        const char out = ch.unicode() < 128 ? filterRadiusKey(static_cast<char>(ch.unicode())) : 0;
        if (out == 0) return true;
        if (out != static_cast<char>(ch.unicode())) {
            radius_->insert(QString(QChar(out)));
            model_.radiusText = cp(radius_->text());
            return true;
        }
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

void WorkListDialog::showDetails(int row) {
    if (row < 0 || row >= model_.rowCount()) return;
    const auto rec = model_.detailsRecord(row);
    if (!rec) return;
    CacheDetailsDialog dialog(ctx_, this);
    dialog.model().record = *rec;
    dialog.model().removeButtonVisible = true;
    dialog.model().keepButtonVisible = true;
    if (model_.currentList() == kFindsList)
        dialog.model().foundDate = formatDate(model_.rowRec(row).foundDate());
    dialog.refresh();
    execCentred(dialog, this);
    if (dialog.model().result() == TfrmCacheDetails::Result::Remove) model_.removeRowAfterDetails(row);
}

void WorkListDialog::correctCacheData() {
    const int row = view_->currentIndex().row();
    if (row < 0 || row >= model_.rowCount()) return;
    const auto db = model_.detailsRecord(row);
    const TCacheRec start = db ? *db : placeholderRec(model_.rowRec(row).Waypoint, false);
    const TCacheRec edited = editCache(ctx_, start, false, this);
    model_.correctCacheData(edited);
}

void WorkListDialog::manualCentre() {
    TCoordInput input;
    input.latitude = model_.refLat();
    input.longitude = model_.refLon();
    CoordInputDialog dialog(input, ctx_.settings.ShowTooltips, this);
    dialog.setWindowTitle(qs("Suchzentrum manuell eingeben"));
    if (execCentred(dialog, this) == QDialog::Accepted)
        model_.setCentreManual(input.latitude, input.longitude);
}

bool WorkListDialog::selectHits(std::vector<std::string>& lines, std::vector<bool>& ticked) {
    CacheSubSelectorDialog dialog(ctx_, this);
    dialog.model().setLines(lines);
    const bool ok = execCentred(dialog, this) == QDialog::Accepted;
    lines = dialog.model().lines();
    ticked = dialog.model().ticks();
    return ok;
}

void WorkListDialog::reject() {
    if (!model_.isOpen()) {
        QDialog::reject();
        return;
    }
    model_.cancel();  // closes (and so ends the dialog) unless the user keeps it open
}

bool openWorkListEditor(RunContext& ctx, QWidget* over) {
    WorkListDialog dialog(ctx, over);
    return execCentred(dialog, over) == QDialog::Accepted;
}

}  // namespace vellora
