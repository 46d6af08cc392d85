#include "ui/DialogKeyRules.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace vellora {

void dropAutoDefaults(QDialog* dialog) {
    if (!dialog) return;
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->window() == dialog && !button->isDefault()) button->setAutoDefault(false);
    }
}

namespace {

class DialogKeyRules : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            // Before QDialog picks its first auto-default button as the default.
            if (auto* dialog = qobject_cast<QDialog*>(watched)) dropAutoDefaults(dialog);
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        // A button that is not auto-default would pass Enter on to the dialog's default button.
        if (!button || button->autoDefault() || button->isDefault() || !button->hasFocus() ||
            !button->isEnabled() || !qobject_cast<QDialog*>(button->window()))
            return false;
        button->click();
        return true;
    }
};

}  // namespace

void installDialogKeyRules(QApplication& app) {
    if (app.findChild<DialogKeyRules*>(QStringLiteral("velloraDialogKeyRules"), Qt::FindDirectChildrenOnly))
        return;
    auto* rules = new DialogKeyRules(&app);
    rules->setObjectName(QStringLiteral("velloraDialogKeyRules"));
    app.installEventFilter(rules);
}

}  // namespace vellora
