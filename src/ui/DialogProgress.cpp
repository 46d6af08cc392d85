#include "ui/DialogProgress.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <climits>

#include "core/RunContext.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"

namespace vellora {

DialogProgressHost::DialogProgressHost(Host& inner, QProgressBar* bar, QLabel* text, bool keepFinalPosition)
    : inner_(inner), bar_(bar), text_(text), keepFinalPosition_(keepFinalPosition) {}

MsgResult DialogProgressHost::message(MsgKind kind, MsgButtons buttons, const std::string& text) {
    return inner_.message(kind, buttons, text);
}

void DialogProgressHost::beginProgress(const std::string& text, std::int64_t max) {
    if (++depth_ > 1) {
        inner_.beginProgress(text, max);
        return;
    }
    max = std::max<std::int64_t>(max, 0);
    // Byte counts of large downloads do not fit the bar's int range.
    scale_ = max > INT_MAX ? static_cast<double>(INT_MAX) / static_cast<double>(max) : 1.0;
    if (bar_) {
        bar_->setRange(0, static_cast<int>(static_cast<double>(max) * scale_));
        bar_->setValue(0);
    }
    if (text_) text_->setText(qs(text));
}

void DialogProgressHost::setProgress(std::int64_t position) {
    if (depth_ > 1) {
        inner_.setProgress(position);
        return;
    }
    if (bar_)
        bar_->setValue(static_cast<int>(static_cast<double>(std::max<std::int64_t>(position, 0)) * scale_));
}

void DialogProgressHost::setProgressText(const std::string& text) {
    if (depth_ > 1) {
        inner_.setProgressText(text);
        return;
    }
    if (text_) text_->setText(qs(text));
}

void DialogProgressHost::endProgress() {
    if (depth_ > 1) {
        --depth_;
        inner_.endProgress();
        return;
    }
    depth_ = 0;
    if (bar_ && !keepFinalPosition_) bar_->setValue(0);
}

void DialogProgressHost::processEvents() {
    inner_.processEvents();
}

bool DialogProgressHost::abortRequested() {
    return inner_.abortRequested();
}

std::vector<std::string> DialogProgressHost::chooseOpenFiles(const FileDialogOptions& chooser,
                                                             bool multiple) {
    return inner_.chooseOpenFiles(chooser, multiple);
}

std::optional<std::string> DialogProgressHost::chooseSaveFile(const FileDialogOptions& chooser) {
    return inner_.chooseSaveFile(chooser);
}

std::optional<std::string> DialogProgressHost::chooseFolder(const std::string& title,
                                                            const std::string& startDir) {
    return inner_.chooseFolder(title, startDir);
}

std::optional<Rgb> DialogProgressHost::chooseColour(Rgb initial) {
    return inner_.chooseColour(initial);
}

bool DialogProgressHost::openWithSystem(const std::string& pathOrUrl) {
    return inner_.openWithSystem(pathOrUrl);
}

void DialogProgressHost::setClipboardText(const std::string& text) {
    inner_.setClipboardText(text);
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
    while (auto* progress = dynamic_cast<DialogProgressHost*>(h)) h = &progress->inner();
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
