#include "ui/CacheTypeIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace vellora {

namespace {

struct Badge {
    QColor fill;
    QColor text;
    const char* letter;
    bool round;
};

// In the order of CacheTypeCode: Traditional, Multi, Virtual, Letterbox, Event, Webcam,
// Unknown (puzzle), Locationless, CITO, Earthcache, and any other type.
const std::array<Badge, 11> kBadges = {{
    {QColor(0x2e, 0x8b, 0x2e), Qt::white, "T", false},
    {QColor(0xe0, 0x8a, 0x00), Qt::white, "M", false},
    {QColor(0x3a, 0x7b, 0xd5), Qt::white, "V", true},
    {QColor(0x1f, 0x3f, 0x8f), Qt::white, "L", false},
    {QColor(0xc8, 0x28, 0x28), Qt::white, "E", true},
    {QColor(0x60, 0x60, 0x60), Qt::white, "W", true},
    {QColor(0x24, 0x5c, 0xc7), QColor(0xff, 0xe0, 0x40), "?", false},
    {QColor(0xd8, 0xc8, 0x90), QColor(0x40, 0x30, 0x10), "O", true},
    {QColor(0x58, 0xa8, 0x40), Qt::white, "C", true},
    {QColor(0x8b, 0x5a, 0x2b), Qt::white, "G", false},
    {QColor(0xb8, 0xb8, 0xb8), QColor(0x30, 0x30, 0x30), "-", false},
}};

}  // namespace

QPixmap cacheTypePixmap(int typeCode, int size) {
    const Badge& b = kBadges[static_cast<std::size_t>(typeCode >= 0 && typeCode < 11 ? typeCode : 10)];
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
    p.setPen(QPen(b.fill.darker(140), 1));
    p.setBrush(b.fill);
    if (b.round) {
        p.drawEllipse(r);
    } else {
        p.drawRoundedRect(r, size / 5.0, size / 5.0);
    }
    QFont font;
    font.setBold(true);
    font.setPixelSize(std::max(6, size * 11 / 16));
    p.setFont(font);
    p.setPen(b.text);
    p.drawText(r, Qt::AlignCenter, QString::fromLatin1(b.letter));
    return pm;
}

QIcon cacheTypeIcon(int typeCode) {
    QIcon icon;
    for (int size : {16, 24, 32}) icon.addPixmap(cacheTypePixmap(typeCode, size));
    return icon;
}

}  // namespace vellora
