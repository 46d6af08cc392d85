#pragma once
// The main window's commands of the database acquisition and their views: the four cache database
// commands with the download window, the conversion's progress window, the details of the nearest
// new cache centred over that window and the busy cursor while an archive is unpacked or the index
// rebuilt; the database from saved listings, the cache editor, the archive list, the own finds and
// the update check.
#include <QObject>
#include <functional>
#include <memory>

#include "import/GCDBReader.h"

class QWidget;

namespace vellora {

class CacheDBLoadDialog;
class ConvertProgressDialog;
class RunContext;

class ImportCommands : public QObject {
    Q_OBJECT
public:
    // window: the main window, which the windows are centred over and which owns this object.
    ImportCommands(RunContext& ctx, QWidget* window, std::function<void()> refreshStatusLine,
                   std::function<void()> runSettings);
    ~ImportCommands() override;

    // "Cache-Datenbank"
    void readCacheDB();
    void readAdditionalCacheDBs();
    void convertLocalCacheDB();
    void convertAdditionalCacheDBs();
    void dbFromListings();
    void getArchiveList();
    void editCache();
    // "Eigene Cachefunde von Tovaro laden": asks for the user name first when there is none.
    void loadFinds();
    // "Updateverfügbarkeit prüfen"
    void checkForUpdate();

    CacheDBLoadDialog* loadDialog() const { return load_; }
    ConvertProgressDialog* convertDialog() const { return convert_; }

private:
    TCacheDBCommandHooks hooks();
    // Runs one command with the download and conversion windows. busyAfterDownload: the busy
    // cursor from the download window's closing (an archive is unpacked, a conversion follows).
    void run(const std::function<void()>& command, bool busyAfterDownload = true);
    void setBusy(bool busy);

    RunContext& ctx_;
    QWidget* window_;
    std::function<void()> refreshStatusLine_;
    std::function<void()> runSettings_;
    CacheDBLoadDialog* load_ = nullptr;
    ConvertProgressDialog* convert_ = nullptr;
    std::unique_ptr<TCacheDBCommands> db_;
    bool busy_ = false;
    bool busyAfterDownload_ = true;
};

}  // namespace vellora
