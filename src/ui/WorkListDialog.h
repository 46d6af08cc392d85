#pragma once
// The window "Arbeits-, Fund- und Ignoreliste" over TWPCollector: three add pages, the four list
// buttons and the garbage target (drop targets for rows dragged from the list), the list as a
// model/view table that stays quick with very long lists, its context menu and a status line.
#include <QAbstractTableModel>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <functional>
#include <vector>

#include "worklist/WPCol.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace vellora {

class RunContext;

// The rows of the collector's current list, texts computed when they are drawn.
class WorkListTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit WorkListTableModel(TWPCollector& collector, QObject* parent = nullptr);
    static constexpr const char* kRowsMime = "application/x-vellora-worklist-rows";

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    void reset();

    // The view rows a drag carries.
    static std::vector<int> rowsOf(const QMimeData* mime);

private:
    TWPCollector& c_;
    std::array<QIcon, 11> icons_;
};

// A control that takes rows dragged from the list.
class RowDropTarget : public QPushButton {
    Q_OBJECT
public:
    RowDropTarget(const QString& text, QWidget* parent);
    std::function<void(const std::vector<int>&)> onDrop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class WorkListDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    WorkListDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~WorkListDialog() override;

    TWPCollector& model() { return model_; }
    QTableView* view() const { return view_; }
    WorkListTableModel* tableModel() const { return table_; }
    RowDropTarget* listButton(int n) const { return listButtons_.at(static_cast<std::size_t>(n - 1)); }
    RowDropTarget* garbageTarget() const { return garbage_; }
    QLabel* headline() const { return headline_; }
    QLabel* statusLine() const { return status_; }
    QTabWidget* pages() const { return pages_; }
    QLineEdit* waypointField() const { return waypoint_; }
    QPushButton* addWaypointButton() const { return addWaypoint_; }
    QLineEdit* nameField() const { return name_; }
    QPushButton* addNameButton() const { return addName_; }
    QLineEdit* radiusField() const { return radius_; }
    QPushButton* radiusButton() const { return radiusAdd_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QMenu* contextMenu() const { return menu_; }
    QAction* menuAction(const char* objectName) const;
    // The marked rows in view order.
    std::vector<int> markedRows() const;
    // Sizes every column to its widest text in the current font.
    void fitColumns();

    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void modelChanged() override;
    void modelClosed() override;
    QWidget* buildNamePage();
    QWidget* buildRadiusPage();
    QWidget* buildFilePage();
    void buildMenu();
    void refreshControls();
    void refreshStatus();
    void showDetails(int row);
    void correctCacheData();
    void manualCentre();
    // Shows the waypoints of the marked rows (all rows when markedOnly is false) in the map window.
    void showInMap(bool markedOnly);
    bool selectHits(std::vector<std::string>& lines, std::vector<bool>& ticked);

    RunContext& ctx_;
    TWPCollector model_;
    WorkListTableModel* table_ = nullptr;
    QTableView* view_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QLabel* headline_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit *waypoint_ = nullptr, *name_ = nullptr, *radius_ = nullptr;
    QPushButton *addWaypoint_ = nullptr, *addName_ = nullptr, *radiusAdd_ = nullptr, *load_ = nullptr;
    QPushButton *manual_ = nullptr, *save_ = nullptr, *cancel_ = nullptr;
    QCheckBox* preselect_ = nullptr;
    QComboBox *centre_ = nullptr, *reference_ = nullptr;
    QLabel* centreText_ = nullptr;
    QCheckBox *typeFilter_ = nullptr, *dateFilter_ = nullptr, *skipArchived_ = nullptr,
              *skipOldEvents_ = nullptr;
    QCheckBox *skipMicros_ = nullptr, *ignoreFinds_ = nullptr, *saveSettings_ = nullptr;
    std::array<QCheckBox*, kFilterTypeCount> types_{};
    QDateEdit *filterDate_ = nullptr, *findsDate_ = nullptr;
    std::array<QRadioButton*, 3> formats_{};
    std::array<RowDropTarget*, 4> listButtons_{};
    RowDropTarget* garbage_ = nullptr;
    QMenu* menu_ = nullptr;
    bool refreshing_ = false;
    bool saving_ = false;
    int fittedList_ = -1, fittedCount_ = -1;
};

// Opens the window modally over `over`; true when it ended with "Speichern".
bool openWorkListEditor(RunContext& ctx, QWidget* over);

}  // namespace vellora
