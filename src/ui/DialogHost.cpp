#include "ui/DialogHost.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>

#include "core/RunContext.h"
#include "ui/QtHost.h"

namespace vellora {

DialogHost::DialogHost(RunContext& ctx, ProgressSink sink)
    : ctx_(ctx), inner_(ctx.host()), sink_(std::move(sink)) {
    if (auto* qt = dynamic_cast<QtHost*>(&inner_)) {
        qt->clearAbort();
        innerRunsQt_ = true;
    } else {
        innerRunsQt_ = dynamic_cast<DialogHost*>(&inner_) != nullptr;
    }
    ctx_.setHost(*this);
}

DialogHost::~DialogHost() {
    if (&ctx_.host() == this) ctx_.setHost(inner_);
    if (auto* qt = dynamic_cast<QtHost*>(&inner_); qt && abort_) qt->clearAbort();
}

void DialogHost::requestAbort() {
    abort_ = true;
    if (auto* outer = dynamic_cast<DialogHost*>(&inner_)) {
        outer->requestAbort();
    } else if (auto* qt = dynamic_cast<QtHost*>(&inner_)) {
        qt->requestAbort();
    }
}

MsgResult DialogHost::message(MsgKind kind, MsgButtons buttons, const std::string& text) {
    if (!QApplication::overrideCursor()) return inner_.message(kind, buttons, text);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const MsgResult result = inner_.message(kind, buttons, text);
    QApplication::restoreOverrideCursor();
    return result;
}

void DialogHost::runQtEvents() {
    QApplication::processEvents();
}

void DialogHost::beginProgress(const std::string& text, std::int64_t max) {
    if (!sink_.begin) return inner_.beginProgress(text, max);
    sink_.begin(text, max);
    runQtEvents();
}

void DialogHost::setProgress(std::int64_t position) {
    if (!sink_.position) return inner_.setProgress(position);
    sink_.position(position);
    runQtEvents();
}

void DialogHost::setProgressText(const std::string& text) {
    if (!sink_.text) return inner_.setProgressText(text);
    sink_.text(text);
}

void DialogHost::endProgress() {
    if (!sink_.end) return inner_.endProgress();
    sink_.end();
}

void DialogHost::processEvents() {
    inner_.processEvents();
    if (!innerRunsQt_) runQtEvents();
}

}  // namespace vellora
