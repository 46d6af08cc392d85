#include "ui/ConvertProgressDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <climits>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "import/GCDBReader.h"
#include "ui/DialogHost.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

namespace {

constexpr int kPathWidth = 480;

QLabel* pathLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(kPathWidth);
    return label;
}

}  // namespace

ConvertProgressDialog::ConvertProgressDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmGCDBReader"));
    setWindowTitle(qs(TfrmGCDBReader::kCaption));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    heading_ = new QLabel(qs(TfrmGCDBReader::kConvertHeading), this);
    heading_->setObjectName(QStringLiteral("lblHeading"));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);

    auto* sourceGroup = new QGroupBox(qs(TfrmGCDBReader::kSourceGroup), this);
    source_ = pathLabel("lblSource", sourceGroup);
    (new QVBoxLayout(sourceGroup))->addWidget(source_);
    auto* targetGroup = new QGroupBox(qs(TfrmGCDBReader::kTargetGroup), this);
    target_ = pathLabel("lblTarget", targetGroup);
    (new QVBoxLayout(targetGroup))->addWidget(target_);

    auto* countCaption = new QLabel(qs(TfrmGCDBReader::kCountLabel), this);
    count_ = new QLabel(QStringLiteral("0"), this);
    count_->setObjectName(QStringLiteral("lblCount"));
    count_->setMinimumWidth(90);
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("pbProgress"));
    bar_->setTextVisible(false);

    auto* countRow = new QGridLayout;
    countRow->addWidget(countCaption, 0, 0);
    countRow->addWidget(count_, 0, 1);
    countRow->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(sourceGroup);
    layout->addWidget(targetGroup);
    layout->addLayout(countRow);
    layout->addWidget(bar_);
}

ConvertProgressDialog::~ConvertProgressDialog() {
    detach();
}

void ConvertProgressDialog::attach(TfrmGCDBReader& reader) {
    detach();
    reader_ = &reader;
    highest_ = 0;
    // In place before the reader's window shows: its progress begins with the showing.
    ProgressSink sink;
    // The window shows the reader's own texts and count; the bar follows them in sync().
    sink.begin = [](const std::string&, std::int64_t) {};
    sink.position = [](std::int64_t) {};
    sink.text = [](const std::string&) {};
    sink.end = [] {};
    host_ = std::make_unique<DialogHost>(ctx_, std::move(sink));
    reader.setObserver(this);
    sync();
}

void ConvertProgressDialog::detach() {
    if (reader_) reader_->setObserver(nullptr);
    reader_ = nullptr;
    hideWindow();
    host_.reset();
}

void ConvertProgressDialog::showWindow() {
    shownHeading_.clear();
    mergeRecords_ = 0;
    bar_->setRange(0, 0);
    centreOver(this, parentWidget());
    show();
    raise();
    QApplication::processEvents();
}

void ConvertProgressDialog::hideWindow() {
    hide();
}

void ConvertProgressDialog::closeEvent(QCloseEvent* event) {
    if (reader_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ConvertProgressDialog::showPath(QLabel* label, const std::string& path) {
    const QString full = qPath(path);
    const QFontMetrics fm(label->font());
    label->setText(fm.elidedText(full, Qt::ElideMiddle, std::max(label->width(), kPathWidth)));
    label->setToolTip(full);
}

void ConvertProgressDialog::sync() {
    if (!reader_) return;
    const TfrmGCDBReader& r = *reader_;
    if (r.visible() && !isVisible()) showWindow();
    if (r.heading() != shownHeading_) {
        shownHeading_ = r.heading();
        heading_->setText(qs(r.heading()));
        // Converting, the number of lines is not known beforehand; merging, the records of the
        // new file are its size in records.
        mergeRecords_ = 0;
        if (r.heading() == TfrmGCDBReader::kMergeHeading) {
            if (const auto size = fileSize(r.sourceText()); size && *size > 0)
                mergeRecords_ = static_cast<std::int64_t>(*size / kCacheRecSize);
        }
        bar_->setRange(0, static_cast<int>(std::min<std::int64_t>(mergeRecords_, INT_MAX)));
        bar_->setValue(0);
    }
    showPath(source_, r.sourceText());
    showPath(target_, r.targetText());
    count_->setText(qs(r.countText()));
    if (const auto n = parseInt(r.countText())) {
        highest_ = std::max<std::int64_t>(highest_, *n);
        if (mergeRecords_ > 0) bar_->setValue(static_cast<int>(std::min<std::int64_t>(*n, mergeRecords_)));
    }
    if (!r.visible() && isVisible()) hideWindow();
}

}  // namespace vellora
