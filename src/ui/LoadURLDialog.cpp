#include "ui/LoadURLDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "net/LoadURL.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

LoadURLDialog::LoadURLDialog(TfrmLoadURL& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("frmLoadURL"));
    setWindowTitle(qs(TfrmLoadURL::kCaption));

    auto value = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    url_ = value("lblURL");
    url_->setMinimumWidth(360);
    url_->setWordWrap(true);
    proxy_ = value("lblProxy");
    bytes_ = value("lblBytes");
    status_ = value("lblStatus");
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("pbDownload"));
    bar_->setRange(0, 1);
    bar_->setValue(0);

    auto* grid = new QGridLayout;
    const struct {
        const char* caption;
        QLabel* label;
    } rows[] = {{"URL:", url_}, {"Proxy:", proxy_}, {"Bytes:", bytes_}, {"Status:", status_}};
    int r = 0;
    for (const auto& row : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(row.caption), this), r, 0, Qt::AlignTop);
        grid->addWidget(row.label, r++, 1);
    }
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(bar_);

    timer_.setSingleShot(true);
    timer_.setInterval(kStartDelayMs);
    connect(&timer_, &QTimer::timeout, this, &LoadURLDialog::fetch);
    model_.setObserver(this);
    // Closing the window ends a running transfer at the client's next poll.
    model_.client().setAbortCheck([this] { return abort_; });
    update();
}

LoadURLDialog::~LoadURLDialog() {
    model_.setObserver(nullptr);
    model_.client().setAbortCheck(nullptr);
}

void LoadURLDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!fetching_ && !model_.closed() && !timer_.isActive()) timer_.start();
}

void LoadURLDialog::update() {
    url_->setText(qs(model_.urlText()));
    proxy_->setText(qs(model_.proxyHostText()));
    bytes_->setText(qs(model_.bytesText()));
    status_->setText(qs(model_.statusText()));
    const std::int64_t total = model_.bytesExpected();
    if (total > 0) {
        const double scale =
            total > INT_MAX ? static_cast<double>(INT_MAX) / static_cast<double>(total) : 1.0;
        bar_->setRange(0, static_cast<int>(static_cast<double>(total) * scale));
        bar_->setValue(
            static_cast<int>(static_cast<double>(std::min(model_.bytesReceived(), total)) * scale));
    } else if (fetching_ && model_.statusText() == "Downloading") {
        bar_->setRange(0, 0);  // size unknown: a busy bar
    } else {
        bar_->setRange(0, 1);
        bar_->setValue(model_.closed() && !failure_ ? 1 : 0);
    }
}

void LoadURLDialog::fetch() {
    if (fetching_ || model_.closed()) return;
    fetching_ = true;
    try {
        model_.timerFired();
    } catch (...) {
        failure_ = std::current_exception();
    }
    fetching_ = false;
    update();
    accept();
}

void LoadURLDialog::reject() {
    // The window closes itself when the fetch has ended; asked to close before, it aborts.
    abort_ = true;
    if (!fetching_) {
        timer_.stop();
        fetch();
    }
}

int showLoadURLWindow(TfrmLoadURL& model, QWidget* over) {
    model.show();
    LoadURLDialog dialog(model, over);
    execCentred(dialog, over);
    if (dialog.failure()) std::rethrow_exception(dialog.failure());
    return model.linesWritten();
}

}  // namespace vellora
