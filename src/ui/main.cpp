// The desktop program: vellora [--home DIR] [--help] [--version] [FILE...]
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AppHome.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "shell/ProgramArgs.h"
#include "ui/BookletPrinter.h"
#include "ui/DialogKeyRules.h"
#include "ui/MainWindow.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"

int main(int argc, char** argv) {
    // Help, version and usage errors need no window system: handled before QApplication exists.
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + std::max(argc, 1));
    const vellora::ProgramArgs parsed = vellora::parseProgramArgs(arguments, std::cout, std::cerr);
    if (parsed.exitCode) return *parsed.exitCode;
    const std::optional<std::string> homeArgument = parsed.home;

    // Qt's own file dialog writes dates in the form of the system's locale, not the default one:
    // the time category is German unless the user fixed every category with LC_ALL.
    if (qEnvironmentVariableIsEmpty("LC_ALL")) qputenv("LC_TIME", "de_DE.UTF-8");
    vellora::prepareWebEngineProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setDesktopFileName(QStringLiteral("vellora"));
    vellora::installDialogKeyRules(app);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Qt's own dialogs (file choosers, colour chooser) in German where the translations exist.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

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
        // Relative file names are meant from where the program was started.
        std::vector<std::string> files;
        for (const std::string& f : parsed.files)
            files.push_back(vellora::pathOf(QFileInfo(QString::fromLocal8Bit(f.c_str())).absoluteFilePath()));
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
