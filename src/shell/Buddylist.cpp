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

void TfrmBuddylist::onOpen() {
    entries_ = readListFile(filePath());
    std::stable_sort(entries_.begin(), entries_.end(), LessNoCase{});
    newEntry_.clear();
    selected_ = -1;
    addIsDefault_ = false;
    result_ = Result::Open;
}

void TfrmBuddylist::edNewEntryChange(const std::string& text) {
    if (text == newEntry_) return;
    newEntry_ = text;
    changed();
}

void TfrmBuddylist::edNewEntryClick() {
    if (addIsDefault_) return;
    addIsDefault_ = true;
    changed();
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
    changed();
}

void TfrmBuddylist::lbBuddiesClick(int index) {
    const int next = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
    if (next == selected_) return;
    selected_ = next;
    changed();
}

void TfrmBuddylist::removeSelected() {
    if (selected_ < 0) return;
    entries_.erase(entries_.begin() + selected_);
    selected_ = -1;
    changed();
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
    finish(Result::Ok);
    return true;
}

void TfrmBuddylist::btnCancelClick() {
    finish(Result::Cancel);
}

void TfrmBuddylist::finish(Result result) {
    result_ = result;
    close();
}

}  // namespace vellora
