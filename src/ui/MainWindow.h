#pragma once
// The main window "Vellora": menus and toolbar from the command table, the home selector, the
// quick info, the output directory browser in the middle and the status line. The command
// handlers are wired in one table (wireCommands); an item without a handler stays disabled.
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "shell/MainWindow.h"
#include "shell/Startup.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolBar;

namespace vellora {

class OutputBrowserWidget;
class RunContext;
class ListingCommands;
class GpxCommands;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // startupTimer: run the start-up sequence 200 ms after the window first shows (tests that
    // drive the window without its dialogs switch it off).
    explicit MainWindow(RunContext& ctx, bool startupTimer = true, QWidget* parent = nullptr);
    ~MainWindow() override;

    QAction* action(Cmd id) const;
    bool commandEnabled(Cmd id) const;
    QToolBar* toolbar() const { return toolbar_; }
    QLabel* statusText() const { return status_; }
    QLabel* homeLabel() const { return homeLabel_; }
    QLabel* homeCoordinates() const { return homeCoords_; }
    QSpinBox* homeUpDown() const { return homeUpDown_; }
    QLineEdit* quickInfoBox() const { return quickBox_; }
    QPushButton* quickInfoButton() const { return quickButton_; }
    QPushButton* mapButton() const { return mapButton_; }
    QLabel* quickInfoLine(int n) const;
    OutputBrowserWidget* browser() const { return browser_; }
    const HomeSelector& homeSelector() const { return homeSelector_; }
    StartupSequence& startupSequence() { return *startup_; }
    ListingCommands& listingCommands() { return *listing_; }

    void refreshStatus();
    void reloadTree();
    // Files dropped from the desktop (paths as the file system has them).
    void filesDropped(const std::vector<std::string>& paths);
    // Files named on the command line, handled as dropped once the start-up sequence has run.
    void setStartFiles(std::vector<std::string> paths) { startFiles_ = std::move(paths); }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    QWidget* buildTopPanel();
    void wireCommands();
    void runStartup();
    void showHome();
    void homeClicked(int position);
    void quickInfoLookup();
    void openSettings();
    void applyTooltipSetting();
    WindowGeometry currentGeometry() const;

    RunContext& ctx_;
    bool startupTimerEnabled_;
    bool shown_ = false;
    QTimer startupTimer_;
    std::unique_ptr<StartupSequence> startup_;
    HomeSelector homeSelector_;
    QuickInfo quickInfo_;
    ListingCommands* listing_ = nullptr;  // a child of the window
    GpxCommands* gpx_ = nullptr;          // a child of the window
    std::vector<std::string> startFiles_;
    std::map<Cmd, QAction*> actions_;
    CommandTable handlers_;
    QToolBar* toolbar_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* homeLabel_ = nullptr;
    QLabel* homeCoords_ = nullptr;
    QSpinBox* homeUpDown_ = nullptr;
    QLineEdit* quickBox_ = nullptr;
    QPushButton* quickButton_ = nullptr;
    QPushButton* mapButton_ = nullptr;
    QLabel* quickLines_[3] = {};
    OutputBrowserWidget* browser_ = nullptr;
    WindowGeometry closedGeometry_;
    bool closed_ = false;
};

}  // namespace vellora
