#pragma once
// The small URL loader window "Load from URL" bound to TfrmLoadURL: address, proxy host, bytes,
// status and a progress bar. It fetches 250 ms after it shows and closes itself; closing it
// during the transfer aborts the transfer.
#include <QDialog>
#include <QTimer>
#include <exception>

#include "core/DialogModel.h"

class QLabel;
class QProgressBar;

namespace vellora {

class TfrmLoadURL;

class LoadURLDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    static constexpr int kStartDelayMs = 250;

    // The model must have been shown (TfrmLoadURL::show) before.
    explicit LoadURLDialog(TfrmLoadURL& model, QWidget* parent = nullptr);
    ~LoadURLDialog() override;

    QLabel* urlText() const { return url_; }
    QLabel* proxyText() const { return proxy_; }
    QLabel* bytesText() const { return bytes_; }
    QLabel* statusText() const { return status_; }
    QProgressBar* progressBar() const { return bar_; }
    bool fetching() const { return fetching_; }
    // The failure of the fetch, if any (rethrown by showLoadURLWindow).
    std::exception_ptr failure() const { return failure_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void modelChanged() override { update(); }
    void fetch();
    void update();

    TfrmLoadURL& model_;
    QLabel *url_ = nullptr, *proxy_ = nullptr, *bytes_ = nullptr, *status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QTimer timer_;
    bool fetching_ = false;
    bool abort_ = false;
    std::exception_ptr failure_;
};

// Shows the window over `over` until it has fetched and closed itself; returns the lines written.
// A malformed proxy setting (EHttpError) or a failed fetch (std::runtime_error with the error's
// class name, " : " and its message) is thrown to the caller, as the model's execute() does.
int showLoadURLWindow(TfrmLoadURL& model, QWidget* over);

}  // namespace vellora
