// Program start: the four windows in order, the placement settings file, the message loop, shutdown.
#include "app/main_window.h"
#include "app/placeholder_windows.h"
#include "ui/app_paths.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/process_window.h"

#ifdef KELVARA_HAVE_PLACEMENT
#include "placement/window_placement.h"
#include "settings/ini_file.h"
#endif

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

int main(int argc, char** argv) {
    kelvara::Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Norvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvara"));
    // The window closes the program itself, also as a tool window (which Qt does not count as a last window).
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // German texts on the standard buttons ("Ja", "Nein", "Abbrechen").
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslator);

#ifdef KELVARA_HAVE_PLACEMENT
    // The settings store is read before the main window exists and written once after it is gone.
    kelvara::IniFile settings(kelvara::appPaths::writableFolder().toStdU16String() + u"/Kelvara.kvs");
    settings.load();
#endif

    kelvara::QtDialogs dialogs;
    int exitCode = 0;
    {
        kelvara::MainWindow mainWindow(dialogs);
#ifdef KELVARA_HAVE_PLACEMENT
        kelvara::WindowPlacement placement(settings);
        mainWindow.setPlacementHandlers([&placement](QWidget& window) { placement.restore(window); },
                                        [&placement](QWidget& window) { placement.save(window); });
#endif
        auto* process = new kelvara::ProcessWindow(&mainWindow);
        mainWindow.setProgressWindow(process);
        auto* consent = new kelvara::DatenschutzForm(&mainWindow);
        auto* about = new kelvara::AboutForm(&mainWindow);
        mainWindow.setAboutAction([about] { about->exec(); });
        Q_UNUSED(consent);
        QObject::connect(&mainWindow, &kelvara::MainWindow::closed, &app, &QCoreApplication::quit);

        mainWindow.show();
        exitCode = QCoreApplication::exec();
    }
#ifdef KELVARA_HAVE_PLACEMENT
    settings.save();
#endif
    return exitCode;
}
