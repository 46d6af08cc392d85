#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "core/Host.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "shell/About.h"
#include "ui/AboutDialog.h"
#include "ui/BookletDialog.h"
#include "ui/BuddyDialog.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/DialogUtil.h"
#include "ui/ExportCommands.h"
#include "ui/GpxCommands.h"
#include "ui/ImportCommands.h"
#include "ui/ListingCommands.h"
#include "ui/OutputBrowserWidget.h"
#include "ui/QtText.h"
#include "ui/Resources.h"
#include "ui/Rot13Dialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SuitcaseDialog.h"
#include "ui/ToolCommands.h"
#include "ui/WorkListCommands.h"

namespace vellora {

MainWindow::MainWindow(RunContext& ctx, bool startupTimer, QWidget* parent)
    : QMainWindow(parent),
      ctx_(ctx),
      startupTimerEnabled_(startupTimer),
      homeSelector_(ctx),
      quickInfo_(ctx) {
    ensureResources();
    setWindowTitle(qs(kMainCaption));
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(programIcon(QStringLiteral("vellora")));
    setAcceptDrops(true);

    browser_ = new OutputBrowserWidget(ctx, ctx.host(), this);
    browser_->actions().showDetails = [this](const TCacheRec& rec, const std::string& dir) {
        showCacheDetails(ctx_, rec, dir, this);
    };

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(buildTopPanel());
    layout->addWidget(browser_, 1);
    setCentralWidget(central);

    status_ = new QLabel(qs(kInitialStatusText), this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    statusBar()->addWidget(status_, 1);

    buildMenus();
    wireCommands();

    StartupHooks hooks;
    hooks.showSplash = [this] { vellora::showSplash(ctx_, this); };
    hooks.hideErrortracker = [this] { action(Cmd::Errortracker)->setVisible(false); };
    hooks.runSettingsDialog = [this] { openSettings(); };
    hooks.applyTooltips = [this] { applyTooltipSetting(); };
    hooks.readCacheDB = [this] { handlers_.run(Cmd::ReadCacheDB); };
    hooks.refreshStatus = [this] { refreshStatus(); };
    hooks.showGreeting = [this] {
        GreetingDialog greeting(this);
        execCentred(greeting, this);
    };
    startup_ = std::make_unique<StartupSequence>(ctx, std::move(hooks));
    startupTimer_.setSingleShot(true);
    startupTimer_.setInterval(200);
    connect(&startupTimer_, &QTimer::timeout, this, &MainWindow::runStartup);
    resize(1000, 700);
}

MainWindow::~MainWindow() {
    finishMainWindow(ctx_, closed_ ? closedGeometry_ : currentGeometry());
}

QWidget* MainWindow::buildTopPanel() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);

    auto* home = new QGroupBox(qs("Home"), panel);
    auto* h = new QGridLayout(home);
    homeLabel_ = new QLabel(home);
    homeLabel_->setObjectName(QStringLiteral("lblHome"));
    homeLabel_->setToolTip(qs("Doppelklick w\xE4hlt die prim\xE4ren Heimkoordinaten"));
    homeLabel_->installEventFilter(this);
    QFont bold = homeLabel_->font();
    bold.setBold(true);
    homeLabel_->setFont(bold);
    homeCoords_ = new QLabel(home);
    homeCoords_->setObjectName(QStringLiteral("lblHomeCoords"));
    homeUpDown_ = new QSpinBox(home);
    homeUpDown_->setObjectName(QStringLiteral("udHome"));
    homeUpDown_->setRange(0, HomeSelector::kMaxPosition);
    homeUpDown_->setToolTip(qs("Heimkoordinaten f\xFCr die Entfernungen der Liste w\xE4hlen"));
    h->addWidget(homeLabel_, 0, 0);
    h->addWidget(homeUpDown_, 0, 1, 2, 1);
    h->addWidget(homeCoords_, 1, 0);
    h->setColumnStretch(0, 1);
    connect(homeUpDown_, &QSpinBox::valueChanged, this, &MainWindow::homeClicked);

    auto* quick = new QGroupBox(qs("Quick-Info"), panel);
    auto* q = new QGridLayout(quick);
    quickBox_ = new QLineEdit(quick);
    quickBox_->setObjectName(QStringLiteral("edQuickInfo"));
    quickBox_->setMaxLength(static_cast<int>(QuickInfo::kMaxLength));
    quickBox_->setFixedWidth(110);
    quickBox_->setToolTip(qs("Waypoint eines Caches eingeben und mit <Enter> nachschlagen"));
    quickBox_->installEventFilter(this);
    quickButton_ = new QPushButton(qs("Info"), quick);
    quickButton_->setObjectName(QStringLiteral("btnQuickInfo"));
    quickButton_->setToolTip(qs("Den Cache in der Cache-Datenbank nachschlagen"));
    mapButton_ = new QPushButton(qs("Karte"), quick);
    mapButton_->setObjectName(QStringLiteral("btnQuickMap"));
    mapButton_->setToolTip(qs("Den Cache in der Kartenansicht zeigen"));
    mapButton_->hide();
    for (int i = 0; i < 3; ++i) {
        quickLines_[i] = new QLabel(quick);
        quickLines_[i]->setObjectName(QStringLiteral("lblQuickInfo%1").arg(i + 1));
        quickLines_[i]->setMinimumWidth(300);
    }
    QFont boldLine = quickLines_[0]->font();
    boldLine.setBold(true);
    quickLines_[0]->setFont(boldLine);
    q->addWidget(quickBox_, 0, 0);
    q->addWidget(quickButton_, 1, 0);
    q->addWidget(mapButton_, 2, 0);
    for (int i = 0; i < 3; ++i) q->addWidget(quickLines_[i], i, 1);
    q->setColumnStretch(1, 1);
    connect(quickButton_, &QPushButton::clicked, this, &MainWindow::quickInfoLookup);
    connect(quickBox_, &QLineEdit::textEdited, this, [this](const QString& text) {
        // Pasted text goes through the same filter as typed keys (characters beyond ASCII never pass).
        QString ascii;
        for (QChar c : text) ascii += c.unicode() < 128 ? c : QChar(' ');
        const QString clean = qs(QuickInfo::filterText(cp(ascii)));
        if (clean != text) {
            const int pos = quickBox_->cursorPosition();
            quickBox_->setText(clean);
            quickBox_->setCursorPosition(std::min(pos, static_cast<int>(clean.size())));
        }
    });

    row->addWidget(home, 1);
    row->addWidget(quick, 2);
    return panel;
}

void MainWindow::buildMenus() {
    std::map<std::string, QMenu*> menus;
    for (const char* caption : kMenus) menus[caption] = menuBar()->addMenu(qs(caption));
    std::map<std::string, QMenu*> submenus;
    toolbar_ = addToolBar(qs("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("tbMain"));
    toolbar_->setIconSize(QSize(24, 24));
    toolbar_->setMovable(false);
    for (const auto& c : kCommands) {
        QMenu* menu = menus.at(c.menu);
        if (c.submenu) {
            const std::string key = std::string(c.menu) + "/" + c.submenu;
            auto it = submenus.find(key);
            if (it == submenus.end()) it = submenus.emplace(key, menu->addMenu(qs(c.submenu))).first;
            menu = it->second;
        }
        if (c.menuGroupStart) menu->addSeparator();
        QAction* a = menu->addAction(qs(c.caption));
        a->setObjectName(QString::fromLatin1(c.handler));
        if (*c.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(c.shortcut)));
        a->setCheckable(c.checkable);
        a->setVisible(!c.hidden);
        if (c.icon) {
            a->setIcon(programIcon(QString::fromLatin1(c.icon)));
            // The button shows only its icon: caption and shortcut are its label, whatever the
            // tool tip setting says.
            QString tip = qs(c.caption).remove(QLatin1Char('&'));
            if (!a->shortcut().isEmpty())
                tip += QStringLiteral(" (") + a->shortcut().toString(QKeySequence::NativeText) +
                       QLatin1Char(')');
            a->setToolTip(tip);
            toolbar_->addAction(a);
            keepToolTip(toolbar_->widgetForAction(a));
            if (c.toolbarGroupEnd) toolbar_->addSeparator();
        }
        actions_[c.id] = a;
    }
    action(Cmd::Toolbar)->setChecked(true);
}

QAction* MainWindow::action(Cmd id) const {
    return actions_.at(id);
}

bool MainWindow::commandEnabled(Cmd id) const {
    return handlers_.enabled(id);
}

// The one place where a command gets its handler: one row {Cmd::X, handler} in the table below.
// Items of parts that are not part of the program yet have no row here and stay disabled.
void MainWindow::wireCommands() {
    auto* imports = new ImportCommands(
        ctx_, this, [this] { refreshStatus(); }, [this] { openSettings(); });
    gpx_ = new GpxCommands(ctx_, this, [this] { refreshStatus(); });
    listing_ = new ListingCommands(
        ctx_, this, [this] { reloadTree(); }, [this] { browser_->rebuildList(); });
    wireLoaderEditButton(listing_->loader(), ctx_, this);
    browser_->actions().editLongDescription = [this](const std::string& dir, const std::string& waypoint) {
        listing_->editLongDescription(dir, waypoint);
    };
    auto* exports = new ExportCommands(ctx_, this, browser_->model());
    // The quick info's "Karte": the map-service view of the looked-up cache.
    connect(mapButton_, &QPushButton::clicked, this, [this, exports] {
        if (const auto& rec = quickInfo_.record()) exports->showOneCache(rec->Lat, rec->Lon);
    });
    browser_->actions().createIndex = [this](const std::string& dir) { listing_->createIndex(dir); };
    browser_->actions().reloadListings = [this](const std::vector<std::string>& waypoints) {
        listing_->reloadListings(waypoints);
    };

    handlers_ = {
        {Cmd::Grundeinstellungen, [this] { openSettings(); }},
        {Cmd::BuddyList,
         [this] {
             BuddyDialog dialog(ctx_, this);
             execCentred(dialog, this);
         }},
        {Cmd::Debug, [this] { action(Cmd::Debug)->setChecked(toggleDebugMode(ctx_)); }},
        {Cmd::RebuildIndex, [this] { rebuildCacheIndex(ctx_); }},
        {Cmd::Beenden, [this] { close(); }},
        {Cmd::UpdateMainWindow, [this] { reloadTree(); }},
        {Cmd::Toolbar, [this] { toolbar_->setVisible(action(Cmd::Toolbar)->isChecked()); }},
        {Cmd::LoadFinds, [imports] { imports->loadFinds(); }},
        {Cmd::Export, [exports] { exports->exportList(); }},
        {Cmd::GoogleMaps, [exports] { exports->showCachesOnMap(); }},
        {Cmd::ReadCacheDB, [imports] { imports->readCacheDB(); }},
        {Cmd::ReadAdditionalCacheDBs, [imports] { imports->readAdditionalCacheDBs(); }},
        {Cmd::ConvertLocalCacheDB, [imports] { imports->convertLocalCacheDB(); }},
        {Cmd::ConvertAdditionalCacheDBs, [imports] { imports->convertAdditionalCacheDBs(); }},
        {Cmd::ImportGPX, [this] { gpx_->importGpx(); }},
        {Cmd::DbFromListings, [imports] { imports->dbFromListings(); }},
        {Cmd::GetArchiveList, [imports] { imports->getArchiveList(); }},
        {Cmd::EditCache, [imports] { imports->editCache(); }},
        {Cmd::CheckForUpdate, [imports] { imports->checkForUpdate(); }},
        {Cmd::Suitcase,
         [this] { openSuitcase(ctx_, this, *listing_, [this] { reloadTree(), refreshStatus(); }); }},
        {Cmd::Batch, [this] { listing_->startBatch(); }},
        {Cmd::Booklet, [this] { printBooklet(ctx_, this); }},
        {Cmd::WorkList, workListCommand(ctx_, this, [this] { refreshStatus(); })},
        {Cmd::LoadHTML, [this] { listing_->loadListings(); }},
        {Cmd::CreateDescriptions, [this] { listing_->createDescriptions(); }},
        {Cmd::IndexPage, [this] { listing_->createIndex(); }},
        {Cmd::Rot13,
         [this] {
             Rot13Dialog dialog(ctx_.settings.ShowTooltips, this);
             execCentred(dialog, this);
         }},
        {Cmd::About,
         [this] {
             AboutDialog about(ctx_, false, this);
             execCentred(about, this);
         }},
        {Cmd::OnlineDocumentation, [this] { ctx_.host().openWithSystem(kOnlineManual); }},
        {Cmd::Errortracker, [this] { ctx_.host().openWithSystem(kErrorTracker); }},
    };
    ToolCommands::wire(ctx_, this, handlers_);

    for (const auto& c : kCommands) {
        QAction* a = action(c.id);
        const bool wired = commandEnabled(c.id);
        a->setEnabled(wired);
        if (wired) connect(a, &QAction::triggered, this, [this, id = c.id] { handlers_.run(id); });
    }
}

QLabel* MainWindow::quickInfoLine(int n) const {
    return n >= 1 && n <= 3 ? quickLines_[n - 1] : nullptr;
}

void MainWindow::refreshStatus() {
    status_->setText(qs(statusLineText(ctx_)));
}

void MainWindow::reloadTree() {
    browser_->reloadTree();
}

void MainWindow::showHome() {
    homeLabel_->setText(qs(homeSelector_.label()));
    homeLabel_->setStyleSheet(homeSelector_.labelIsPrimary() ? QStringLiteral("color: blue;")
                                                             : QStringLiteral("color: black;"));
    homeCoords_->setText(qs(homeSelector_.coordText()));
    QSignalBlocker block(homeUpDown_);
    homeUpDown_->setValue(homeSelector_.position());
    browser_->setSelectedHome(homeSelector_.lat(), homeSelector_.lon());
}

void MainWindow::homeClicked(int position) {
    if (homeSelector_.click(position)) {
        showHome();
    } else {
        QSignalBlocker block(homeUpDown_);
        homeUpDown_->setValue(homeSelector_.position());
    }
}

void MainWindow::quickInfoLookup() {
    quickInfo_.lookup(cp(quickBox_->text()));
    quickLines_[0]->setText(qs(quickInfo_.nameLine()));
    quickLines_[1]->setText(qs(quickInfo_.typeLine()));
    quickLines_[2]->setText(qs(quickInfo_.coordLine()));
    mapButton_->setVisible(quickInfo_.mapButtonVisible());
    mapButton_->setEnabled(commandEnabled(Cmd::GoogleMaps));
}

void MainWindow::openSettings() {
    SettingsDialog dialog(ctx_, browser_->listClientWidth(), this);
    const bool ok = execCentred(dialog, this) == QDialog::Accepted;
    if (ok) {
        homeSelector_.evaluate();
        showHome();
        reloadTree();
    }
    applyTooltipSetting();
}

void MainWindow::applyTooltipSetting() {
    applyTooltips(this, ctx_.settings.ShowTooltips);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == homeLabel_ && event->type() == QEvent::MouseButtonDblClick) {
        homeSelector_.labelDoubleClick();
        showHome();
        return true;
    }
    if (watched == quickBox_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            quickInfoLookup();
            return true;
        }
        const QString text = key->text();
        if (text.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        const QChar c = text.front();
        if (c.unicode() == 0x7F) return false;  // Del is an editing key, not a character
        char out = 0;
        if (c.unicode() >= 128 ||
            QuickInfo::filterKey(static_cast<char>(c.unicode()), out) != QuickInfo::Key::Take)
            return true;
        if (out != static_cast<char>(c.unicode())) {
            quickBox_->insert(QString(QChar(out)));
            return true;
        }
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    loadSettings(ctx_, browser_->listClientWidth());
    applyTooltipSetting();
    homeSelector_.evaluate();
    showHome();
    reloadTree();
    const WindowGeometry g = restoredGeometry(ctx_, currentGeometry());
    move(g.left, g.top);
    resize(g.width, g.height);
    const TProcSettings& s = ctx_.settings;
    browser_->setSort(s.Main_ColumnToSort, s.Main_SortDir);
    browser_->setColumnWidths({s.Main_Col1Width, s.Main_Col2Width, s.Main_Col3Width});
    if (startupTimerEnabled_) startupTimer_.start();
}

void MainWindow::runStartup() {
    startupTimer_.stop();
    startup_->run();
    if (!startFiles_.empty()) filesDropped(std::exchange(startFiles_, {}));
}

WindowGeometry MainWindow::currentGeometry() const {
    return WindowGeometry{x(), y(), width(), height()};
}

void MainWindow::closeEvent(QCloseEvent* event) {
    closedGeometry_ = currentGeometry();
    closed_ = true;
    saveWindowState(ctx_,
                    ListState{browser_->sortColumn(), browser_->sortDirection(), browser_->columnWidths()},
                    closedGeometry_);
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.push_back(pathOf(url.toLocalFile()));
    }
    event->acceptProposedAction();
    raise();
    activateWindow();
    filesDropped(paths);
}

void MainWindow::filesDropped(const std::vector<std::string>& paths) {
    gpx_->filesDropped(paths);
}

}  // namespace vellora
