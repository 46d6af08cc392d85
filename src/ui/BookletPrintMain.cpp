// vellora-booklet-print HTML PDF: prints a booklet HTML file (page-number marks not yet filled)
// into the finished PDF, progress on standard error. vellora-cli's booklet command runs it; it
// needs no display.
#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "ui/BookletPrinter.h"

namespace {

void reportUnlessEngineSetUp(QtMsgType, const QMessageLogContext&, const QString& message) {
    for (const char* noise : {"WebEngineContext used before", "GL Type:", "XDG_RUNTIME_DIR not set",
                              "propagateSizeHints", "No suitable graphics backend"})
        if (message.contains(QLatin1String(noise))) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: vellora-booklet-print HTML-DATEI PDF-DATEI\n");
        return 2;
    }
    const std::string html = argv[1], pdf = argv[2];
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a GPU the engine reports its whole set-up, which says nothing to a user of the command.
    qInstallMessageHandler(reportUnlessEngineSetUp);
    vellora::prepareWebEngineProcess();
    QGuiApplication app(argc, argv);
    vellora::BookletPrinter printer(html, pdf);
    int result = 1;
    int shown = -1;
    QObject::connect(&printer, &vellora::BookletPrinter::progress,
                     [&shown](int percent, const QString& step) {
                         if (percent == shown) return;
                         shown = percent;
                         std::fprintf(stderr, "%3d%% %s\n", percent, step.toLocal8Bit().constData());
                     });
    QObject::connect(&printer, &vellora::BookletPrinter::finished,
                     [&result](bool ok, const QString& message) {
                         if (!ok) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
                         result = ok ? 0 : 1;
                         QCoreApplication::quit();
                     });
    printer.start();
    if (printer.running()) QGuiApplication::exec();
    return result;
}
