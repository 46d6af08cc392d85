// vellora-booklet-print HTML PDF: prints a booklet HTML file (page-number marks not yet filled)
// into the finished PDF, progress on standard error. vellora-cli's booklet command runs it; it
// needs no display.
#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "shell/MainWindow.h"
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
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && first == "--help") {
        std::printf(
            "%s",
            "Aufruf: vellora-booklet-print HTML-DATEI PDF-DATEI\n"
            "\n"
            "Druckt das Tourheft (HTML mit Seitenzahl-Marken, im Verzeichnis der Beschreibungen) als\n"
            "PDF: A4 hoch, Inhaltsverzeichnis mit Seitenzahlen, \"Seite N von M\" am Fu\xC3\x9F jeder "
            "Seite.\n"
            "vellora-cli booklet ruft es auf; ohne Anzeige druckt es unsichtbar (offscreen).\n"
            "\n"
            "  --help     diese Hilfe\n"
            "  --version  Version des Programms\n");
        return 0;
    }
    if (argc == 2 && first == "--version") {
        std::printf("vellora-booklet-print %s\n", vellora::kProgramVersion);
        return 0;
    }
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
