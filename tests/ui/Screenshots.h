#pragma once
// When VELLORA_SCREENSHOT_DIR is set, the view tests save pictures of the windows they build, for
// looking at the layout (run them under a real X server for the platform's fonts and style).
#include <QApplication>
#include <QDir>
#include <QWidget>
#include <cstdlib>

namespace vellora::test {

inline void screenshot(QWidget* w, const char* name) {
    const char* dir = std::getenv("VELLORA_SCREENSHOT_DIR");
    if (!dir || !*dir || !w) return;
    w->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    w->grab().save(
        QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
}

}  // namespace vellora::test
