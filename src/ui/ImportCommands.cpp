#include "ui/ImportCommands.h"

#include <QApplication>
#include <QWidget>

#include "core/RunContext.h"
#include "import/ArchiveList.h"
#include "shell/MainWindow.h"
#include "shell/UpdateCheck.h"
#include "ui/CacheDBLoadDialog.h"
#include "ui/CacheDetailsDialog.h"
#include "ui/ConvertProgressDialog.h"
#include "ui/DbFromListingsDialog.h"
#include "ui/DialogHost.h"
#include "ui/DialogUtil.h"
#include "ui/EditCacheDialog.h"
#include "ui/LoadFindsDialog.h"
#include "ui/LoadURLDialog.h"

namespace vellora {

ImportCommands::ImportCommands(RunContext& ctx, QWidget* window, std::function<void()> refreshStatusLine,
                               std::function<void()> runSettings)
    : QObject(window),
      ctx_(ctx),
      window_(window),
      refreshStatusLine_(std::move(refreshStatusLine)),
      runSettings_(std::move(runSettings)) {
    setObjectName(QStringLiteral("importCommands"));
    load_ = new CacheDBLoadDialog(ctx, window);
    convert_ = new ConvertProgressDialog(ctx, window);
    load_->afterClose = [this] {
        if (busyAfterDownload_) setBusy(true);
    };
    db_ = std::make_unique<TCacheDBCommands>(ctx, hooks());
}

ImportCommands::~ImportCommands() = default;

TCacheDBCommandHooks ImportCommands::hooks() {
    TCacheDBCommandHooks h;
    h.loadWindow = &load_->loadWindow();
    h.refreshStatusLine = [this] {
        setBusy(false);
        if (refreshStatusLine_) refreshStatusLine_();
    };
    h.showCacheDetails = [this](const TCacheRec& rec) {
        showCacheDetails(ctx_, rec, {}, convert_->isVisible() ? static_cast<QWidget*>(convert_) : window_);
    };
    h.attachConverter = [this](TfrmGCDBReader& reader) {
        setBusy(false);
        convert_->attach(reader);
    };
    h.converted = [this](const std::string&, const TfrmGCDBReader&) {
        convert_->detach();
        setBusy(true);  // the index is rebuilt next
    };
    return h;
}

void ImportCommands::run(const std::function<void()>& command, bool busyAfterDownload) {
    busyAfterDownload_ = busyAfterDownload;
    DialogHost commandHost(ctx_);
    // Whatever way the command ends, its windows go before the host they replaced.
    struct Cleanup {
        ImportCommands& c;
        ~Cleanup() {
            c.convert_->detach();
            if (c.load_->downloading()) c.load_->loadWindow().close();
            c.setBusy(false);
        }
    } cleanup{*this};
    command();
}

void ImportCommands::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void ImportCommands::readCacheDB() {
    run([this] { db_->mnuReadCacheDBClick(); });
}

void ImportCommands::readAdditionalCacheDBs() {
    run([this] { db_->mnuReadAdditionalCacheDBsClick(); });
}

void ImportCommands::convertLocalCacheDB() {
    run([this] { db_->lokaleCacheDBkonvertieren1Click(); });
}

void ImportCommands::convertAdditionalCacheDBs() {
    run([this] { db_->convertAdditionalCacheDBsClick(); });
}

void ImportCommands::dbFromListings() {
    DbFromListingsDialog dialog(ctx_, window_);
    dialog.model().onDatabaseChanged = refreshStatusLine_;
    execCentred(dialog, window_);
    if (refreshStatusLine_) refreshStatusLine_();
}

void ImportCommands::getArchiveList() {
    TArchiveListHooks hooks;
    hooks.showLoadWindow = [this](TfrmLoadURL& window) { return showLoadURLWindow(window, window_); };
    hooks.refreshStatusLine = refreshStatusLine_;
    GetArchiveList(ctx_, hooks);
}

void ImportCommands::editCache() {
    vellora::editCache(ctx_, TCacheRec{}, true, window_);
    if (refreshStatusLine_) refreshStatusLine_();
}

void ImportCommands::loadFinds() {
    if (!ensureUsernameForFinds(ctx_, runSettings_)) return;
    LoadFindsDialog dialog(ctx_, window_);
    execCentred(dialog, window_);
}

void ImportCommands::checkForUpdate() {
    run([this] { CheckForUpdate(ctx_, &load_->loadWindow()); }, false);
}

}  // namespace vellora
