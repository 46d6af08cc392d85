// The desktop program: vellora [--home DIR] [FILE...]
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AppHome.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "ui/MainWindow.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setDesktopFileName(QStringLiteral("vellora"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Qt's own dialogs (file choosers, colour chooser) in German where the translations exist.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    std::optional<std::string> homeArgument;
    // Files named after the options are handled as if dropped on the window (GPX, ZIP).
    std::vector<std::string> files;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--home") && i + 1 < args.size()) {
            homeArgument = vellora::pathOf(args[++i]);
        } else if (args[i].startsWith(QLatin1String("--home="))) {
            homeArgument = vellora::pathOf(args[i].mid(7));
        } else if (!args[i].startsWith(QLatin1String("--"))) {
            files.push_back(vellora::pathOf(QFileInfo(args[i]).absoluteFilePath()));
        } else {
            QMessageBox::critical(nullptr, QStringLiteral("Vellora"),
                                  QStringLiteral("Aufruf: vellora [--home VERZEICHNIS] [DATEI...]"));
            return 2;
        }
    }

    const std::string home = vellora::resolveAppHome(homeArgument);
    try {
        vellora::prepareAppHome(home, vellora::findDataDir());
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, vellora::qs("Fehler"), vellora::qs(e.what()));
        return 1;
    }

    vellora::QtHost host;
    vellora::RunContext ctx(host, home);
    int result = 0;
    try {
        vellora::startConfiguration(ctx);
        vellora::MainWindow window(ctx);
        window.setStartFiles(files);
        host.setWindow(&window);
        window.show();
        result = QApplication::exec();
        host.setWindow(nullptr);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, vellora::qs("Fehler"), vellora::qs(e.what()));
        result = 1;
    }
    ctx.programConf().flush();
    return result;
}
