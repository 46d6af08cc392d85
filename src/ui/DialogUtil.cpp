#include "ui/DialogUtil.h"

#include <QDialog>
#include <QVariant>
#include <QWidget>

#include "shell/MainWindow.h"

namespace vellora {

void centreOver(QWidget* w, const QWidget* over) {
    if (!w || !over) return;
    // A window given its size on purpose keeps it; the others take their layout's size.
    if (!w->testAttribute(Qt::WA_Resized)) w->adjustSize();
    const QRect frame = over->frameGeometry();
    const WindowGeometry main{frame.x(), frame.y(), frame.width(), frame.height()};
    const QSize size = w->frameGeometry().size().expandedTo(w->size());
    const auto [left, top] = centredPosition(main, size.width(), size.height());
    w->move(left, top);
}

int execCentred(QDialog& dialog, const QWidget* over) {
    dialog.setModal(true);
    centreOver(&dialog, over);
    return dialog.exec();
}

void applyTooltips(QWidget* root, bool show) {
    if (!root) return;
    static const char* const kKept = "velloraToolTip";
    auto apply = [&](QWidget* w) {
        QVariant kept = w->property(kKept);
        if (!kept.isValid()) {
            kept = w->toolTip();
            w->setProperty(kKept, kept);
        }
        w->setToolTip(show ? kept.toString() : QString());
    };
    apply(root);
    for (QWidget* w : root->findChildren<QWidget*>()) apply(w);
}

}  // namespace vellora
