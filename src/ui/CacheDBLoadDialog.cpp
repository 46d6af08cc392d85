#include "ui/CacheDBLoadDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

#include "core/RunContext.h"
#include "ui/DialogHost.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

QString groupedNumber(std::int64_t n) {
    return QLocale(QLocale::German, QLocale::Germany).toString(static_cast<qlonglong>(n));
}

}  // namespace

CacheDBLoadDialog::CacheDBLoadDialog(RunContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(std::make_unique<TfrmLoadHTML>(ctx, true)) {
    setObjectName(QStringLiteral("frmLoadHTML"));
    setWindowTitle(qs(TfrmLoadHTML::kCaption));
    setWindowModality(Qt::ApplicationModal);

    task_ = new QLabel(this);
    task_->setObjectName(QStringLiteral("lblTask"));
    QFont bold = task_->font();
    bold.setBold(true);
    task_->setFont(bold);
    content_ = new QLabel(this);
    content_->setObjectName(QStringLiteral("lblContent"));

    auto* group = new QGroupBox(qs("Protokoll"), this);
    protocol_ = new QListWidget(group);
    protocol_->setObjectName(QStringLiteral("lbProtocol"));
    protocol_->setMinimumSize(520, 200);
    protocol_->setToolTip(qs("Was beim Laden geschieht"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(protocol_);

    subTask_ = new QLabel(this);
    subTask_->setObjectName(QStringLiteral("lblSubTask"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("pbTransfer"));
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setToolTip(
        qs("Fortschritt der laufenden \xDC"
           "bertragung"));
    bytes_ = new QLabel(this);
    bytes_->setObjectName(QStringLiteral("lblBytes"));

    abort_ = new QPushButton(qs("Abbrechen"), this);
    abort_->setObjectName(QStringLiteral("btnAbort"));
    abort_->setToolTip(
        qs("Die laufende \xDC"
           "bertragung abbrechen"));
    close_ = new QPushButton(qs("Schlie\xDF"
                                "en"),
                             this);
    close_->setObjectName(QStringLiteral("btnClose"));
    close_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(abort_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(task_);
    layout->addWidget(content_);
    layout->addWidget(group, 1);
    layout->addWidget(subTask_);
    layout->addWidget(bar_);
    layout->addWidget(bytes_);
    layout->addLayout(buttons);

    connect(abort_, &QPushButton::clicked, this, &CacheDBLoadDialog::abortClicked);
    connect(close_, &QPushButton::clicked, this, &QDialog::hide);
    model_->setObserver(this);
    applyTooltips(this, ctx_.settings.ShowTooltips);
    refresh();
}

CacheDBLoadDialog::~CacheDBLoadDialog() {
    model_->setObserver(nullptr);
}

void CacheDBLoadDialog::openDownload(const std::string& task, const std::string& content, bool abortVisible) {
    ProgressSink sink;
    sink.begin = [this](const std::string&, std::int64_t max) { transferBegin(max); };
    sink.position = [this](std::int64_t n) { transferWork(n); };
    sink.text = [](const std::string&) {};  // the sub-task line names the transfer already
    sink.end = [this] { transferEnd(); };
    host_ = std::make_unique<DialogHost>(ctx_, std::move(sink));
    protocol_->clear();
    total_ = count_ = 0;
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bytes_->clear();
    model_->showDownload(task, content, abortVisible);
    abort_->setVisible(abortVisible);
    abort_->setEnabled(abortVisible);
    close_->setEnabled(false);
    applyTooltips(this, ctx_.settings.ShowTooltips);
    centreOver(this, parentWidget());
    show();
    raise();
    QApplication::processEvents();
}

void CacheDBLoadDialog::closeDownload() {
    host_.reset();
    hide();
    if (afterClose) afterClose();
}

void CacheDBLoadDialog::abortClicked() {
    if (!host_) return;
    host_->requestAbort();
    abort_->setEnabled(false);
    model_->addProtocolLine("*** Abbruch durch Benutzer ***");
}

void CacheDBLoadDialog::reject() {
    // The window closes itself when the transfer has ended; closing it earlier aborts the transfer.
    if (host_) {
        if (abort_->isVisible() && abort_->isEnabled()) abortClicked();
        return;
    }
    QDialog::reject();
}

void CacheDBLoadDialog::closeEvent(QCloseEvent* event) {
    if (host_) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void CacheDBLoadDialog::refresh() {
    const TfrmLoadHTML& m = *model_;
    task_->setText(qs(m.taskText()));
    content_->setText(qs(m.contentText()));
    const auto& lines = m.protocolLines();
    if (static_cast<std::size_t>(protocol_->count()) > lines.size()) protocol_->clear();
    for (auto i = static_cast<std::size_t>(protocol_->count()); i < lines.size(); ++i)
        protocol_->addItem(qs(lines[i]));
    if (protocol_->count() > 0) protocol_->scrollToBottom();

    const QFontMetrics fm(subTask_->font());
    const int room = std::max(protocol_->width(), protocol_->minimumWidth()) - 40;
    const std::string shown =
        elideMiddle(m.subTaskText(), [&](std::string_view t) { return fm.horizontalAdvance(qs(t)) <= room; });
    subTask_->setText(qs(shown));
    subTask_->setToolTip(qs(m.subTaskText()));
}

void CacheDBLoadDialog::transferBegin(std::int64_t total) {
    total_ = std::max<std::int64_t>(total, 0);
    count_ = 0;
    scale_ = total_ > INT_MAX ? static_cast<double>(INT_MAX) / static_cast<double>(total_) : 1.0;
    // An unknown size shows a running bar.
    bar_->setRange(0, static_cast<int>(static_cast<double>(total_) * scale_));
    bar_->setValue(0);
    showBytes();
}

void CacheDBLoadDialog::transferWork(std::int64_t count) {
    count_ = count;
    if (total_ > 0) bar_->setValue(static_cast<int>(static_cast<double>(std::min(count, total_)) * scale_));
    showBytes();
}

void CacheDBLoadDialog::transferEnd() {
    bar_->setRange(0, 1);
    bar_->setValue(0);
    showBytes();
}

void CacheDBLoadDialog::showBytes() {
    QString text = groupedNumber(count_);
    if (total_ > 0) text += QStringLiteral(" / ") + groupedNumber(total_);
    bytes_->setText(text + QStringLiteral(" Bytes"));
}

}  // namespace vellora
