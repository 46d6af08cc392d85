#pragma once
// The protocol every dialog model follows. A model holds a dialog's state, options, enabling
// rules and operations; its view (ui/) draws it and forwards the user's actions. The model tells
// its view about changes through one Observer; it never shows anything itself (the host does).
//
//   model.setObserver(&view);   // the view redraws in modelChanged(), closes in modelClosed()
//   model.open();                // loads options, fills lists; unattended models may run at once
//   ... model.someAction(); ...  // each action ends with changed()
//   model.close();               // stores options; Running becomes ClosedAfterRun
//
// Unattended use (the batch, the suitcase follow-up) sets the flag before open(), drives the
// same model without a view and reads runState() afterwards.

namespace vellora {

enum class RunState {
    NotRun,          // not started since the last reset
    Running,         // its operation is under way
    ClosedAfterRun,  // it ran and has been closed since
};

class DialogModel {
public:
    class Observer {
    public:
        virtual ~Observer() = default;
        // Options, texts, lists or the enabled state of controls changed: redraw.
        virtual void modelChanged() {}
        // The model closed itself (after an unattended run, or an action that ends the dialog).
        virtual void modelClosed() {}
    };

    virtual ~DialogModel() = default;

    void setObserver(Observer* observer) { observer_ = observer; }
    Observer* observer() const { return observer_; }

    // Runs without a user: no questions beyond those the operation must ask, closes when done.
    void setUnattended(bool on) { unattended_ = on; }
    bool unattended() const { return unattended_; }

    bool isOpen() const { return open_; }
    RunState runState() const { return runState_; }
    // The batch resets the state before it opens the dialog again.
    void resetRunState() { runState_ = RunState::NotRun; }

    // Opening: marks the model open, then onOpen() loads options and fills the lists.
    void open() {
        open_ = true;
        onOpen();
        changed();
    }
    // Any way of closing: onClose() stores options; a run in progress or finished counts as run
    // (a model whose batch waits for any close marks itself in onClose()).
    void close() {
        if (!open_ || !closable()) return;
        onClose();
        open_ = false;
        if (runState_ == RunState::Running) runState_ = RunState::ClosedAfterRun;
        if (observer_) observer_->modelClosed();
    }

    // The unattended run: what the view's start timer triggers after showing (or the batch at
    // once without a view). It ends by closing the model.
    virtual void startUnattended() {}

protected:
    virtual void onOpen() {}
    virtual void onClose() {}
    // A model whose operation cannot be interrupted refuses to close while it runs.
    virtual bool closable() const { return true; }

    void setRunning() { runState_ = RunState::Running; }
    // A run that ended without closing the dialog still counts as run once it closes.
    void setRunState(RunState state) { runState_ = state; }
    void changed() {
        if (observer_) observer_->modelChanged();
    }

private:
    Observer* observer_ = nullptr;
    bool unattended_ = false;
    bool open_ = false;
    RunState runState_ = RunState::NotRun;
};

}  // namespace vellora
