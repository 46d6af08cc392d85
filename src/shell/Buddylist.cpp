#include "shell/Buddylist.h"

#include <algorithm>

#include "core/FileProcs.h"
#include "core/Global.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

TfrmBuddylist::TfrmBuddylist(RunContext& ctx) : ctx_(ctx) {}

std::string TfrmBuddylist::filePath() const {
    return ctx_.workDirPath() + kBuddiesFileName;
}

void TfrmBuddylist::FormShow() {
    entries_ = readListFile(filePath());
    std::stable_sort(entries_.begin(), entries_.end(), LessNoCase{});
    newEntry_.clear();
    selected_ = -1;
    addIsDefault_ = false;
    result_ = Result::Open;
    if (observer_) {
        observer_->entriesChanged();
        observer_->selectionChanged();
        observer_->controlsChanged();
    }
}

void TfrmBuddylist::edNewEntryChange(const std::string& text) {
    if (text == newEntry_) return;
    newEntry_ = text;
    if (observer_) observer_->controlsChanged();
}

void TfrmBuddylist::edNewEntryClick() {
    if (addIsDefault_) return;
    addIsDefault_ = true;
    if (observer_) observer_->controlsChanged();
}

void TfrmBuddylist::insertSorted(std::string name) {
    // After the equal ones, as a sorted list box places a new item.
    const auto at = std::upper_bound(entries_.begin(), entries_.end(), name, LessNoCase{});
    const int pos = static_cast<int>(at - entries_.begin());
    entries_.insert(at, std::move(name));
    // The selection stays on the entry it was on.
    if (selected_ >= pos) ++selected_;
}

void TfrmBuddylist::btnAddClick() {
    if (newEntry_.empty()) return;
    insertSorted(newEntry_);
    newEntry_.clear();
    if (observer_) {
        observer_->entriesChanged();
        observer_->selectionChanged();
        observer_->controlsChanged();
    }
}

void TfrmBuddylist::lbBuddiesClick(int index) {
    const int next = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
    if (next == selected_) return;
    selected_ = next;
    if (observer_) {
        observer_->selectionChanged();
        observer_->controlsChanged();
    }
}

void TfrmBuddylist::removeSelected() {
    if (selected_ < 0) return;
    entries_.erase(entries_.begin() + selected_);
    selected_ = -1;
    if (observer_) {
        observer_->entriesChanged();
        observer_->selectionChanged();
        observer_->controlsChanged();
    }
}

void TfrmBuddylist::lbBuddiesDblClick() {
    removeSelected();
}

void TfrmBuddylist::btnRemoveClick() {
    removeSelected();
}

bool TfrmBuddylist::btnOKClick() {
    const std::string path = filePath();
    if (const int err = writeListFile(path, entries_); err != 0) {
        showErrorCode(ctx_.host(), err, kWriteErrorText + path);
        return false;
    }
    close(Result::Ok);
    return true;
}

void TfrmBuddylist::btnCancelClick() {
    close(Result::Cancel);
}

void TfrmBuddylist::close(Result result) {
    result_ = result;
    if (observer_) observer_->closed(result);
}

}  // namespace vellora
