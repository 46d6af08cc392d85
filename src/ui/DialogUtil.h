#pragma once
// What every dialog of the program shares: it opens modal and centred over the window it was
// opened from, and its tool tips follow the setting "Tooltips anzeigen".
#include <QString>

class QDialog;
class QLineEdit;
class QWidget;

namespace vellora {

// Moves w so that it is centred over `over` (the screen when there is no visible `over`; never left
// of or above the screen's 0), and again each time it is shown, once its final size is known.
void centreOver(QWidget* w, const QWidget* over);
// Lays the dialog out, centres it over `over` and runs it modally; returns its result.
int execCentred(QDialog& dialog, const QWidget* over);

// Shows or hides the tool tips of a window and all its controls; hidden ones are kept, so that
// switching them on again brings them back.
void applyTooltips(QWidget* root, bool show);
// Makes a field read-only and look it: the window's background instead of an input field's, so
// that nobody tries to type into it (its text can still be selected and copied).
void setReadOnlyField(QLineEdit* edit, bool readOnly = true);

// Exempts a control from applyTooltips: its tip is its only label (an icon-only toolbar button).
void keepToolTip(QWidget* w);

}  // namespace vellora
