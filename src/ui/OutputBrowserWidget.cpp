#include "ui/OutputBrowserWidget.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/RunContext.h"
#include "ui/CacheTypeIcons.h"
#include "ui/ColumnFit.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;
// What the columns must show in full: a seven-character waypoint, a name (header only), a distance.
const QStringList kColumnSamples = {QStringLiteral("GC1ABCD"), QString(), QStringLiteral("12345,6")};

}  // namespace

OutputBrowserWidget::OutputBrowserWidget(RunContext& ctx, Host& host, QWidget* parent)
    : QWidget(parent), model_(std::make_unique<OutputBrowser>(ctx, host)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(splitter_);

    tree_ = new QTreeWidget(splitter_);
    tree_->setObjectName("tvDir");
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setAcceptDrops(true);
    tree_->viewport()->setAcceptDrops(true);
    tree_->setDropIndicatorShown(true);
    tree_->viewport()->installEventFilter(this);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* right = new QWidget(splitter_);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(2);
    caption_ = new QLabel(right);
    caption_->setObjectName("lblListCaption");
    caption_->setContentsMargins(4, 2, 4, 2);
    rightLayout->addWidget(caption_);
    list_ = new QTreeWidget(right);
    list_->setObjectName("lvDescr");
    list_->setColumnCount(3);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSectionsMovable(false);
    QStringList titles;
    for (const char* t : OutputBrowser::kColumnTitles) titles << qs(t);
    list_->setHeaderLabels(titles);
    rightLayout->addWidget(list_);

    splitter_->addWidget(tree_);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({220, 600});

    buildMenus();

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (updating_ || !item) return;
        model_->tvDirChange(item->data(0, kNodeRole).toInt());
    });
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        menuChanged();
        treeMenu_->exec(tree_->viewport()->mapToGlobal(pos));
    });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { syncMarksFromView(); });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (updating_) return;
        model_->setFocused(item ? item->data(0, kEntryRole).toInt() : -1);
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { model_->lvDblClick(item->data(0, kEntryRole).toInt()); });
    connect(list_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { model_->lvColumnClick(column); });
    connect(list_->header(), &QHeaderView::sectionResized, this, [this] {
        if (!updating_) model_->setColumnWidths(columnWidths());
    });
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        menuChanged();
        listMenu_->exec(list_->viewport()->mapToGlobal(pos));
    });

    model_->setObserver(this);
    treeChanged();
    listChanged();
}

OutputBrowserWidget::~OutputBrowserWidget() {
    model_->setObserver(nullptr);
}

void OutputBrowserWidget::buildMenus() {
    auto add = [this](QMenu* menu, QWidget* owner, const char* caption, const char* shortcut, auto handler) {
        auto* a = new QAction(qs(caption), owner);
        a->setObjectName(QString::fromLatin1(caption));
        if (shortcut) {
            a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            owner->addAction(a);
        }
        connect(a, &QAction::triggered, this, [this, handler] {
            syncMarksFromView();
            handler(*model_);
        });
        menu->addAction(a);
        return a;
    };
    using M = OutputBrowser;

    treeMenu_ = new QMenu(tree_);
    auto* create = new QAction(qs(M::kCreateDirItem), tree_);
    create->setObjectName(QString::fromLatin1(M::kCreateDirItem));
    connect(create, &QAction::triggered, this, [this] { createNewDirectory(); });
    treeMenu_->addAction(create);
    add(treeMenu_, tree_, M::kEraseDirItem, nullptr, [](M& m) { m.EraseDirClick(); });
    add(treeMenu_, tree_, M::kEraseAllDirsItem, nullptr, [](M& m) { m.EraseAllDirsClick(); });
    add(treeMenu_, tree_, M::kCleanUpItem, nullptr, [](M& m) { m.gewhltesVerzeichnisaufrumen1Click(); });
    add(treeMenu_, tree_, M::kSavedPagesToWorkListItem, nullptr,
        [](M& m) { m.OriginalbeschreibungeninArbeitsliste1Click(); });

    listMenu_ = new QMenu(list_);
    add(listMenu_, list_, M::kShowInBrowserItem, "F6", [](M& m) { m.ShowInBrowserClick(); });
    add(listMenu_, list_, M::kEditLongDescrItem, nullptr, [](M& m) { m.EditLongDescrClick(); });
    add(listMenu_, list_, M::kShowOnMapItem, nullptr, [](M& m) { m.mnuShowGoogleMapsClick(); });
    listMenu_->addSeparator();
    add(listMenu_, list_, M::kMarkAllItem, "Ctrl+A", [](M& m) { m.MarkAllClick(); });
    add(listMenu_, list_, M::kMarkNoneItem, "Ctrl+N", [](M& m) { m.MarkNoneClick(); });
    add(listMenu_, list_, M::kMarkInvertItem, nullptr, [](M& m) { m.MarkInvertClick(); });
    add(listMenu_, list_, M::kCopyPathItem, "Ctrl+C", [](M& m) { m.Dateipfadkopieren1Click(); });
    listMenu_->addSeparator();
    add(listMenu_, list_, M::kMarkWorkListItem, nullptr, [](M& m) { m.MarkWorkListClick(); });
    add(listMenu_, list_, M::kMarkExcludeListItem, nullptr, [](M& m) { m.MarkExcludeListClick(); });
    listMenu_->addSeparator();
    add(listMenu_, list_, M::kCreateIndexItem, "Ctrl+I", [](M& m) { m.CreateIndexFromDir(); });
    add(listMenu_, list_, M::kShowIndexItem, "Shift+F6", [](M& m) { m.Indexdateianzeigen1Click(); });
    add(listMenu_, list_, M::kExportDirItem, "Ctrl+E", [](M& m) { m.CSVExportdiesesVerzeichnisses1Click(); });
    listMenu_->addSeparator();
    add(listMenu_, list_, M::kDeleteMarkedItem, "Del", [](M& m) { m.DeleteMarkedClick(); });
    add(listMenu_, list_, M::kReloadMarkedItem, nullptr, [](M& m) { m.ReloadMarkedClick(); });
    menuChanged();
}

QAction* OutputBrowserWidget::action(const char* caption) const {
    const QString name = QString::fromLatin1(caption);
    for (QMenu* menu : {treeMenu_, listMenu_}) {
        for (QAction* a : menu->actions()) {
            if (a->objectName() == name) return a;
        }
    }
    return nullptr;
}

void OutputBrowserWidget::reloadTree() {
    model_->reloadTree();
}
void OutputBrowserWidget::rebuildList() {
    model_->rebuildList();
}
void OutputBrowserWidget::setSelectedHome(double lat, double lon) {
    model_->setSelectedHome(lat, lon);
}
int OutputBrowserWidget::sortColumn() const {
    return model_->sortColumn();
}
int OutputBrowserWidget::sortDirection() const {
    return model_->sortDirection();
}
void OutputBrowserWidget::setSort(int column, int direction) {
    model_->setSort(column, direction);
}

std::array<int, 3> OutputBrowserWidget::columnWidths() const {
    return {list_->columnWidth(0), list_->columnWidth(1), list_->columnWidth(2)};
}

void OutputBrowserWidget::setColumnWidths(const std::array<int, 3>& widths) {
    model_->setColumnWidths(widths);
    applyColumnWidths();
}

int OutputBrowserWidget::listClientWidth() const {
    return list_->viewport()->width();
}

void OutputBrowserWidget::applyColumnWidths() {
    const bool was = updating_;
    updating_ = true;
    model_->setListClientWidth(listClientWidth());
    const auto widths = model_->columnWidths();
    for (int i = 0; i < 3; ++i) list_->setColumnWidth(i, std::max(widths[static_cast<std::size_t>(i)], 24));
    // Stored pixel widths were chosen for another font or scale: never narrower than a waypoint
    // with its icon and the header texts need.
    fitColumns(list_, kColumnSamples, {0});
    updating_ = was;
}

// Observer ----------------------------------------------------------------------------------

void OutputBrowserWidget::treeChanged() {
    const bool was = updating_;
    updating_ = true;
    const auto& nodes = model_->nodes();
    if (tree_->topLevelItemCount() != 1 ||
        tree_->topLevelItem(0)->childCount() + 1 != static_cast<int>(nodes.size()) || [&] {
            for (int i = 1; i < static_cast<int>(nodes.size()); ++i) {
                if (pathOf(tree_->topLevelItem(0)->child(i - 1)->text(0)) !=
                    nodes[static_cast<std::size_t>(i)].caption) {
                    return true;
                }
            }
            return false;
        }()) {
        tree_->clear();
        auto* root = new QTreeWidgetItem(tree_, QStringList(qPath(nodes[0].caption)));
        root->setData(0, kNodeRole, 0);
        root->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
        for (int i = 1; i < static_cast<int>(nodes.size()); ++i) {
            auto* child =
                new QTreeWidgetItem(root, QStringList(qPath(nodes[static_cast<std::size_t>(i)].caption)));
            child->setData(0, kNodeRole, i);
            child->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
        }
        tree_->expandAll();
    }
    tree_->setToolTip(qPath(model_->treeHint()));
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    const int selected = model_->selectedNode();
    QTreeWidgetItem* item = selected == 0 ? root : root->child(selected - 1);
    tree_->setCurrentItem(item);
    updateTreeIcons();
    updating_ = was;
}

void OutputBrowserWidget::updateTreeIcons() {
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (!root) return;
    root->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    for (int i = 0; i < root->childCount(); ++i) {
        const bool selected = model_->selectedNode() == i + 1;
        root->child(i)->setIcon(
            0, style()->standardIcon(selected ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
    }
}

void OutputBrowserWidget::listChanged() {
    const bool was = updating_;
    updating_ = true;
    list_->clear();
    const auto& entries = model_->entries();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        auto* item = new QTreeWidgetItem(QStringList{qs(e.waypoint), qs(e.name), qs(e.distance)});
        item->setData(0, kEntryRole, static_cast<int>(i));
        item->setIcon(0, cacheTypeIcon(e.icon));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        items.push_back(item);
    }
    list_->addTopLevelItems(items);
    list_->header()->setSortIndicator(
        model_->sortColumn(), model_->sortDirection() == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    caption_->setText(qs(model_->listCaption()));
    applyMarksToView();
    if (model_->focused() >= 0) {
        list_->setCurrentItem(list_->topLevelItem(model_->focused()), 0, QItemSelectionModel::NoUpdate);
    }
    applyColumnWidths();
    updateTreeIcons();
    updating_ = was;
}

void OutputBrowserWidget::marksChanged() {
    const bool was = updating_;
    updating_ = true;
    applyMarksToView();
    updating_ = was;
}

void OutputBrowserWidget::applyMarksToView() {
    const auto& entries = model_->entries();
    for (int i = 0; i < list_->topLevelItemCount() && i < static_cast<int>(entries.size()); ++i) {
        list_->topLevelItem(i)->setSelected(entries[static_cast<std::size_t>(i)].marked);
    }
}

void OutputBrowserWidget::syncMarksFromView() {
    if (updating_) return;
    std::vector<bool> marks(static_cast<std::size_t>(list_->topLevelItemCount()), false);
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        marks[static_cast<std::size_t>(i)] = list_->topLevelItem(i)->isSelected();
    model_->setAllMarks(marks);
}

void OutputBrowserWidget::menuChanged() {
    using M = OutputBrowser;
    action(M::kSavedPagesToWorkListItem)->setEnabled(model_->savedPagesToWorkListEnabled());
    action(M::kEditLongDescrItem)->setEnabled(model_->editLongDescrEnabled());
    action(M::kShowOnMapItem)->setEnabled(model_->showOnMapEnabled());
    action(M::kCreateIndexItem)->setEnabled(model_->createIndexEnabled());
    QAction* show = action(M::kShowIndexItem);
    show->setEnabled(model_->showIndexEnabled());
    show->setText(qs(model_->showIndexCaption()));
    action(M::kExportDirItem)->setEnabled(model_->exportEnabled());
    action(M::kReloadMarkedItem)->setEnabled(model_->reloadMarkedEnabled());
}

void OutputBrowserWidget::busyChanged(bool busy, bool areaDisabled) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (areaDisabled) setEnabled(false);
    } else {
        QApplication::restoreOverrideCursor();
        setEnabled(true);
    }
}

// Directories and dragging ------------------------------------------------------------------

void OutputBrowserWidget::createNewDirectory() {
    QInputDialog dialog(this);
    dialog.setWindowTitle(qs(OutputBrowser::kCreateDirCaption));
    dialog.setLabelText(qs(OutputBrowser::kCreateDirPrompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9 !\\-._]*")), edit));
    }
    if (execCentred(dialog, window()) != QDialog::Accepted) return;
    model_->CreateNewDirClick(pathOf(dialog.textValue()));
}

void OutputBrowserWidget::dropOnNode(int node) {
    syncMarksFromView();
    model_->moveMarkedTo(node);
}

bool OutputBrowserWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tree_->viewport()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            // Only entries of the description list, and only onto a node.
            const bool ok = e->source() == list_ && tree_->itemAt(e->position().toPoint()) != nullptr;
            if (ok) {
                e->setDropAction(Qt::MoveAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            QTreeWidgetItem* item = tree_->itemAt(e->position().toPoint());
            if (e->source() != list_ || !item) {
                e->ignore();
                return true;
            }
            // Leave nothing for the list to remove: the files are moved, the list is rebuilt.
            e->setDropAction(Qt::CopyAction);
            e->accept();
            const int node = item->data(0, kNodeRole).toInt();
            QMetaObject::invokeMethod(
                this, [this, node] { dropOnNode(node); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}

}  // namespace vellora
