#include "ui/CacheTypeIcons.h"

#include <QPainter>
#include <QPixmap>

#include "ui/Resources.h"

namespace vellora {

namespace {

QPixmap otherTypeBadge(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    p.setBrush(QColor(0xc8, 0xc8, 0xc8));
    p.drawRoundedRect(r, size / 5.0, size / 5.0);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), std::max(1.5, size / 10.0)));
    p.drawLine(QPointF(size * 0.3, size * 0.5), QPointF(size * 0.7, size * 0.5));
    return pm;
}

}  // namespace

QIcon cacheTypeIcon(int typeCode) {
    if (typeCode >= 0 && typeCode <= 9) return programIcon(QStringLiteral("type%1").arg(typeCode));
    static const QIcon other = [] {
        QIcon icon;
        for (int size : {16, 24, 32}) icon.addPixmap(otherTypeBadge(size));
        return icon;
    }();
    return other;
}

}  // namespace vellora
