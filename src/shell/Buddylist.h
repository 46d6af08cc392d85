#pragma once
// The dialog that edits the buddy list (WorkDirPath + "Buddies.txt"): its state, texts and
// operations. A view binds its controls to it, forwards the user's actions to the handlers and
// refreshes itself when the observer is told that something changed.
#include <string>
#include <vector>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

class TfrmBuddylist : public DialogModel {
public:
    static constexpr const char* kCaption = "Buddy-Liste verwalten";
    static constexpr const char* kListLabel = "Aktuelle Buddy-Liste:";
    static constexpr const char* kNewEntryLabel = "Neuen Eintrag hinzuf\xFCgen:";
    static constexpr const char* kAddButton = "Hinzuf\xFCgen";
    static constexpr const char* kRemoveButton = "Entfernen";
    static constexpr const char* kOkButton = "OK";
    static constexpr const char* kCancelButton = "Abbrechen";
    static constexpr const char* kWriteErrorText = "Fehler beim Schreiben der Datei ";

    enum class Result { Open, Ok, Cancel };

    explicit TfrmBuddylist(RunContext& ctx);

    // Opening (open()) fills the list from Buddies.txt (missing or unreadable: empty, no message),
    // sorted without regard to case; both buttons disabled.

    // The box "Neuen Eintrag hinzufügen:".
    void edNewEntryChange(const std::string& text);
    void edNewEntryClick();
    // "Hinzufügen": adds the box's text as it stands (repeats allowed) and empties the box.
    void btnAddClick();

    // Selects an entry (-1 clears the selection).
    void lbBuddiesClick(int index);
    void lbBuddiesDblClick();
    // "Entfernen": removes the selected entry.
    void btnRemoveClick();

    // "OK": writes the whole list, CR LF, and closes. A failed write is reported and the dialog
    // stays open, so that the edits are not lost; returns whether it closed.
    bool btnOKClick();
    // "Abbrechen": closes without writing.
    void btnCancelClick();
    // How it closed: the view reads it in modelClosed().

    const std::vector<std::string>& entries() const { return entries_; }
    int selectedIndex() const { return selected_; }
    const std::string& newEntryText() const { return newEntry_; }
    bool addEnabled() const { return !newEntry_.empty(); }
    bool removeEnabled() const { return selected_ >= 0; }
    // Whether "Hinzufügen" is the default button (else "OK" is).
    bool addIsDefault() const { return addIsDefault_; }
    Result result() const { return result_; }
    std::string filePath() const;

private:
    void insertSorted(std::string name);
    void removeSelected();
    void onOpen() override;
    void finish(Result result);

    RunContext& ctx_;
    std::vector<std::string> entries_;
    std::string newEntry_;
    int selected_ = -1;
    bool addIsDefault_ = false;
    Result result_ = Result::Open;
};

}  // namespace vellora
