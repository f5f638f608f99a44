// Program start: the four windows in order, the placement settings file, the message loop, shutdown.
#include "app/main_window.h"
#include "online/online_services.h"
#include "placement/window_placement.h"
#include "settings/ini_file.h"
#include "ui/app_paths.h"
#include "ui/application.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "ui/process_window.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
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

    // The settings store is read before the main window exists and written once after it is gone.
    kelvara::IniFile settings(kelvara::appPaths::writableFolder().toStdU16String() + u"/Kelvara.kvs");
    settings.load();

    // The placement outlives the window: a window ended by a quit (not by its own close) saves at destruction.
    kelvara::WindowPlacement placement(settings);
    kelvara::QtDialogs dialogs;
    kelvara::QtDesktop desktop;
    int exitCode = 0;
    {
        kelvara::MainWindow mainWindow(dialogs);
        mainWindow.setPlacementHandlers([&placement](QWidget& window) { placement.restore(window); },
                                        [&placement](QWidget& window) { placement.save(window); });
        auto* process = new kelvara::ProcessWindow(&mainWindow);
        mainWindow.setProgressWindow(process);
        // Creates the consent window and then the About window; nothing goes to the network before consent.
        auto* online = new kelvara::OnlineServices(&mainWindow, mainWindow.bannerArea(), dialogs, desktop);
        mainWindow.setConsentCheck([online] { online->checkConsent(); });
        mainWindow.setAboutAction([online] { online->showAbout(); });
        QObject::connect(&mainWindow, &kelvara::MainWindow::closed, &app, &QCoreApplication::quit);

        // The loop shows the window, so the consent window and every other dialog of the first show run inside
        // it: Qt drops a quit that arrives before the loop runs, and the program would go on without consent.
        QTimer::singleShot(0, &mainWindow, &QWidget::show);
        exitCode = QCoreApplication::exec();
    }
    settings.save();
    return exitCode;
}
