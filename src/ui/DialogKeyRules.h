#pragma once
// Enter runs the action of the control that has the focus and nothing else: push buttons of a
// dialog are not auto-default (Enter in a field would otherwise click the first button of the
// window as well), a focused button is clicked by Enter, and only a default that a dialog names
// on purpose (setDefault, the accept button of a button box) answers Enter from a field.

class QApplication;
class QDialog;

namespace vellora {

// Installed once on the application; applies to every dialog each time it is shown.
void installDialogKeyRules(QApplication& app);
// The same rule for one dialog, applied now (a dialog that adds buttons while it is shown).
void dropAutoDefaults(QDialog* dialog);

}  // namespace vellora
