#include "ui/DialogHost.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <climits>
#include <memory>

#include "core/RunContext.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"

namespace vellora {

ProgressSink progressBarSink(QProgressBar* bar, QLabel* text, bool keepFinalPosition) {
    struct State {
        QPointer<QProgressBar> bar;
        QPointer<QLabel> text;
        double scale = 1;
    };
    auto state = std::make_shared<State>(State{bar, text, 1.0});
    ProgressSink sink;
    sink.outermostOnly = true;
    sink.begin = [state](const std::string& caption, std::int64_t max) {
        max = std::max<std::int64_t>(max, 0);
        // Byte counts of large downloads do not fit the bar's int range.
        state->scale = max > INT_MAX ? static_cast<double>(INT_MAX) / static_cast<double>(max) : 1.0;
        if (state->bar) {
            state->bar->setRange(0, static_cast<int>(static_cast<double>(max) * state->scale));
            state->bar->setValue(0);
        }
        if (state->text) state->text->setText(qs(caption));
    };
    sink.position = [state](std::int64_t position) {
        if (state->bar)
            state->bar->setValue(
                static_cast<int>(static_cast<double>(std::max<std::int64_t>(position, 0)) * state->scale));
    };
    sink.text = [state](const std::string& caption) {
        if (state->text) state->text->setText(qs(caption));
    };
    sink.end = [state, keepFinalPosition] {
        if (state->bar && !keepFinalPosition) state->bar->setValue(0);
    };
    return sink;
}

DialogHost::DialogHost(RunContext& ctx, ProgressSink sink, Placement placement)
    : ctx_(ctx), inner_(ctx.host()), sink_(std::move(sink)), placement_(placement) {
    auto* qt = dynamic_cast<QtHost*>(&inner_);
    innerRunsQt_ = qt != nullptr || dynamic_cast<DialogHost*>(&inner_) != nullptr;
    if (placement_ != WholeLife) return;
    if (qt) qt->clearAbort();
    ctx_.setHost(*this);
}

DialogHost::~DialogHost() {
    if (placement_ != WholeLife) return;
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
    ++depth_;
    if (!sink_.begin || !ownsProgress()) return inner_.beginProgress(text, max);
    sink_.begin(text, max);
    runQtEvents();
}

void DialogHost::setProgress(std::int64_t position) {
    if (!sink_.position || !ownsProgress()) return inner_.setProgress(position);
    sink_.position(position);
    runQtEvents();
}

void DialogHost::setProgressText(const std::string& text) {
    if (!sink_.text || !ownsProgress()) return inner_.setProgressText(text);
    sink_.text(text);
}

void DialogHost::endProgress() {
    const bool own = ownsProgress();
    depth_ = std::max(depth_ - 1, 0);
    if (!sink_.end || !own) return inner_.endProgress();
    sink_.end();
}

void DialogHost::processEvents() {
    inner_.processEvents();
    if (!innerRunsQt_) runQtEvents();
}

ScopedHost::ScopedHost(RunContext& ctx, Host& host) : ctx_(ctx), previous_(ctx.host()) {
    ctx_.setHost(host);
}

ScopedHost::~ScopedHost() {
    ctx_.setHost(previous_);
}

namespace {

QtHost* programHost(Host& host) {
    Host* h = &host;
    while (auto* dialog = dynamic_cast<DialogHost*>(h)) h = &dialog->replaced();
    return dynamic_cast<QtHost*>(h);
}

}  // namespace

void clearHostAbort(Host& host) {
    if (QtHost* qt = programHost(host)) qt->clearAbort();
}

void requestHostAbort(Host& host) {
    if (QtHost* qt = programHost(host)) qt->requestAbort();
}

}  // namespace vellora
