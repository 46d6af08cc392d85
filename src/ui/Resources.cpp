#include "ui/Resources.h"

#include <QtGlobal>

// Outside any namespace, as the resource macro requires.
static void initVelloraResources() {
    Q_INIT_RESOURCE(vellora);
}

namespace vellora {

void ensureResources() {
    static const bool done = (initVelloraResources(), true);
    (void)done;
}

QIcon programIcon(const QString& name) {
    ensureResources();
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

QPixmap programPixmap(const QString& name, int width, int height) {
    return programIcon(name).pixmap(QSize(width, height));
}

}  // namespace vellora
