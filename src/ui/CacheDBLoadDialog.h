#pragma once
// The download window: the loader window "Laden vom Internet" without its options, its load
// button and its list progress bar, as the cache database download and the update check show it.
// It presents the quiet instance of the loader's model (protocol, task, content, sub-task) and the
// transfer's progress in bytes; "Abbrechen" ends a running transfer.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>

#include "import/GCDBReader.h"
#include "listing/LoadHTML.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vellora {

class DialogHost;
class RunContext;

class CacheDBLoadDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    CacheDBLoadDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~CacheDBLoadDialog() override;

    // What the download commands drive.
    TCacheDBLoadWindow& loadWindow() { return window_; }
    TfrmLoadHTML& model() { return *model_; }
    // Called after the window closed itself (the caller's next step may be long).
    std::function<void()> afterClose;

    bool downloading() const { return host_ != nullptr; }
    QLabel* taskLabel() const { return task_; }
    QLabel* contentLabel() const { return content_; }
    QLabel* subTaskLabel() const { return subTask_; }
    QLabel* bytesLabel() const { return bytes_; }
    QListWidget* protocol() const { return protocol_; }
    QProgressBar* transferBar() const { return bar_; }
    QPushButton* abortButton() const { return abort_; }
    QPushButton* closeButton() const { return close_; }
    // The size the last transfer announced (0 when unknown) and the bytes it moved.
    std::int64_t lastTotal() const { return total_; }
    std::int64_t lastCount() const { return count_; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Window : public TCacheDBLoadWindow {
    public:
        explicit Window(CacheDBLoadDialog& d) : d_(d) {}
        void open(const std::string& task, const std::string& content, bool abortVisible) override {
            d_.openDownload(task, content, abortVisible);
        }
        void close() override { d_.closeDownload(); }
        TLoadWindowView& view() override { return d_.model(); }

    private:
        CacheDBLoadDialog& d_;
    };

    void openDownload(const std::string& task, const std::string& content, bool abortVisible);
    void closeDownload();
    void abortClicked();
    void refresh();
    void modelChanged() override { refresh(); }
    void modelClosed() override { refresh(); }
    void transferBegin(std::int64_t total);
    void transferWork(std::int64_t count);
    void transferEnd();
    void showBytes();

    RunContext& ctx_;
    std::unique_ptr<TfrmLoadHTML> model_;
    Window window_{*this};
    std::unique_ptr<DialogHost> host_;
    QLabel* task_ = nullptr;
    QLabel* content_ = nullptr;
    QLabel* subTask_ = nullptr;
    QLabel* bytes_ = nullptr;
    QListWidget* protocol_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* abort_ = nullptr;
    QPushButton* close_ = nullptr;
    std::int64_t total_ = 0, count_ = 0;
    double scale_ = 1;
};

}  // namespace vellora
