#pragma once
// The view of the output directory browser: the directory tree on the left, the list of
// converted descriptions on the right, both context menus, and dragging marked entries onto a
// tree node. Everything it does is an operation of shell/OutputBrowser; this class only binds
// the Qt controls to it. The main window wires the operations of other dialogs through
// actions() before it shows.
#include <QWidget>
#include <array>
#include <memory>

#include "shell/OutputBrowser.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace vellora {

class Host;
class RunContext;

class OutputBrowserWidget : public QWidget, private OutputBrowser::Observer {
    Q_OBJECT
public:
    OutputBrowserWidget(RunContext& ctx, Host& host, QWidget* parent = nullptr);
    ~OutputBrowserWidget() override;

    // Builds the tree anew and selects the root (which rebuilds the list).
    void reloadTree();
    // Rebuilds the list of the selected directory.
    void rebuildList();
    // The home the distance column is measured from; rebuilds the list.
    void setSelectedHome(double lat, double lon);

    int sortColumn() const;
    int sortDirection() const;
    void setSort(int column, int direction);
    // The widths of the three list columns; setting them also sets the stored widths.
    std::array<int, 3> columnWidths() const;
    void setColumnWidths(const std::array<int, 3>& widths);
    // The width of the list's client area (the settings derive default widths from it).
    int listClientWidth() const;

    OutputBrowser& model() { return *model_; }
    OutputBrowser::Actions& actions() { return model_->actions(); }

    // The controls, for the main window's layout and for tests.
    QTreeWidget* tree() const { return tree_; }
    QTreeWidget* list() const { return list_; }
    QLabel* listCaption() const { return caption_; }
    QMenu* treeMenu() const { return treeMenu_; }
    QMenu* listMenu() const { return listMenu_; }
    // A menu action by its caption as the model names it (nullptr when there is none).
    QAction* action(const char* caption) const;

    // Asks for a new directory's name ("Eingabe") and creates it.
    void createNewDirectory();
    // Drops the marked entries onto a tree node (as a drag does).
    void dropOnNode(int node);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // OutputBrowser::Observer
    void treeChanged() override;
    void listChanged() override;
    void marksChanged() override;
    void menuChanged() override;
    void busyChanged(bool busy, bool areaDisabled) override;

    void buildMenus();
    void applyMarksToView();
    void syncMarksFromView();
    void applyColumnWidths();
    void updateTreeIcons();

    std::unique_ptr<OutputBrowser> model_;
    QSplitter* splitter_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* caption_ = nullptr;
    QMenu* treeMenu_ = nullptr;
    QMenu* listMenu_ = nullptr;
    bool updating_ = false;
};

}  // namespace vellora
