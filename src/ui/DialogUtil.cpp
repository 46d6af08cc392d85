#include "ui/DialogUtil.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include "shell/MainWindow.h"

namespace vellora {

namespace {

// The rectangle a window is centred in: the window it was opened from, or the screen.
QRect centringFrame(const QWidget* w, const QWidget* over) {
    if (over && over->isVisible()) return over->frameGeometry();
    const QScreen* screen = over ? over->screen() : w->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void moveCentred(QWidget* w, const QWidget* over) {
    const QRect frame = centringFrame(w, over);
    if (!frame.isValid()) return;
    const WindowGeometry main{frame.x(), frame.y(), frame.width(), frame.height()};
    const QSize size = w->frameGeometry().size().expandedTo(w->size());
    const auto [left, top] = centredPosition(main, size.width(), size.height());
    w->move(left, top);
}

// A window learns its final size only while it is shown (a message box lays itself out in its
// show event), so it is centred again right after its own show handling, before it appears.
class CentreOnShow : public QObject {
public:
    CentreOnShow(QWidget* w, const QWidget* over) : QObject(w), over_(const_cast<QWidget*>(over)) {
        setObjectName(QStringLiteral("velloraCentreOnShow"));
        w->installEventFilter(this);
    }
    void setOver(const QWidget* over) { over_ = const_cast<QWidget*>(over); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || event->type() != QEvent::Show || event->spontaneous()) return false;
        static_cast<QObject*>(w)->event(event);
        moveCentred(w, over_);
        return true;
    }

private:
    QPointer<QWidget> over_;
};

}  // namespace

void centreOver(QWidget* w, const QWidget* over) {
    if (!w) return;
    // A window given its size on purpose keeps it; the others take their layout's size.
    if (!w->testAttribute(Qt::WA_Resized)) w->adjustSize();
    moveCentred(w, over);
    if (auto* keeper =
            w->findChild<CentreOnShow*>(QStringLiteral("velloraCentreOnShow"), Qt::FindDirectChildrenOnly))
        keeper->setOver(over);
    else
        new CentreOnShow(w, over);
}

int execCentred(QDialog& dialog, const QWidget* over) {
    dialog.setModal(true);
    centreOver(&dialog, over);
    return dialog.exec();
}

namespace {
constexpr const char* kAlwaysTip = "velloraAlwaysTip";
}  // namespace

void setReadOnlyField(QLineEdit* edit, bool readOnly) {
    if (!edit) return;
    edit->setReadOnly(readOnly);
    QPalette palette = edit->palette();
    const QPalette standard = edit->style()->standardPalette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(
            group, QPalette::Base,
            readOnly ? palette.color(group, QPalette::Window) : standard.color(group, QPalette::Base));
    }
    edit->setPalette(palette);
}

void keepToolTip(QWidget* w) {
    if (w) w->setProperty(kAlwaysTip, true);
}

void applyTooltips(QWidget* root, bool show) {
    if (!root) return;
    static const char* const kKept = "velloraToolTip";
    auto apply = [&](QWidget* w) {
        if (w->property(kAlwaysTip).toBool()) return;
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
