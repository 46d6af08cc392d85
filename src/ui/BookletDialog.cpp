#include "ui/BookletDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/FileUtil.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "shell/Booklet.h"
#include "ui/BookletPrinter.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

BookletDialog::BookletDialog(const std::string& htmlPath, const std::string& pdfPath, QWidget* parent)
    : QDialog(parent), printer_(std::make_unique<BookletPrinter>(htmlPath, pdfPath)) {
    setWindowTitle(qs("Tourheft drucken"));
    setObjectName(QStringLiteral("frmBooklet"));
    auto* layout = new QVBoxLayout(this);
    auto* target = new QLabel(qs("Tourheft: ") + qPath(pdfPath), this);
    target->setTextInteractionFlags(Qt::TextSelectableByMouse);
    step_ = new QLabel(qs("Tourheft wird vorbereitet ..."), this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setMinimumWidth(360);
    abort_ = new QPushButton(qs("Abbrechen"), this);
    abort_->setObjectName(QStringLiteral("btnAbort"));
    layout->addWidget(target);
    layout->addWidget(step_);
    layout->addWidget(bar_);
    layout->addWidget(abort_, 0, Qt::AlignRight);
    connect(abort_, &QPushButton::clicked, this, &BookletDialog::reject);
    connect(printer_.get(), &BookletPrinter::progress, this, [this](int percent, const QString& step) {
        bar_->setValue(percent);
        step_->setText(step);
    });
    connect(printer_.get(), &BookletPrinter::finished, this, [this](bool ok, const QString& message) {
        ok_ = ok;
        message_ = message;
        if (ok)
            accept();
        else
            QDialog::reject();
    });
}

BookletDialog::~BookletDialog() = default;

void BookletDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    printer_->start();
}

void BookletDialog::reject() {
    // Closing the window stops the printing; the printer's end closes it.
    if (printer_->running())
        printer_->abort();
    else
        QDialog::reject();
}

void printBooklet(RunContext& ctx, QWidget* parent) {
    const std::string dir = ctx.outDirPath();
    std::string problem;
    const auto html = writeBookletHtml(ctx, dir, problem);
    if (!html) {
        ctx.host().message(MsgKind::Error, MsgButtons::Ok, problem);
        return;
    }
    const std::string pdf = joinPath(dir, kBookletFileName);
    BookletDialog dialog(*html, pdf, parent);
    execCentred(dialog, parent);
    if (dialog.succeeded()) {
        if (!ctx.host().openWithSystem(pdf))
            ctx.host().message(MsgKind::Information, MsgButtons::Ok, "Das Tourheft ist gedruckt: " + pdf);
    } else if (!dialog.printer().aborted()) {
        ctx.host().message(MsgKind::Error, MsgButtons::Ok, cp(dialog.message()));
    }
}

}  // namespace vellora
