#pragma once
// The program's pictures (data/icons, compiled in): "settings", "type0" ... by name.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vellora {

// Registers the compiled-in pictures; safe to call any number of times.
void ensureResources();

QIcon programIcon(const QString& name);
// The picture rendered at the given size in device-independent pixels.
QPixmap programPixmap(const QString& name, int width, int height);

}  // namespace vellora
