// Program start: the four windows in order, the placement settings file, the message loop, shutdown.
#include "app/command_line_files.h"
#include "app/main_window.h"
#include "app/running_marker.h"
#include "online/online_services.h"
#include "placement/window_placement.h"
#include "settings/ini_file.h"
#include "ui/app_paths.h"
#include "ui/application.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "ui/language.h"
#include "ui/pictures.h"
#include "ui/process_window.h"

#include <QTimer>

#include <memory>
#include <optional>

int main(int argc, char** argv) {
    if (const std::optional<int> status = kelvara::answerInformationOptions(argc, argv))
        return *status;
    // Tells the installer that Kelvara runs, until the program has ended.
    const kelvara::RunningMarker runningMarker;
    kelvara::Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Norvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvara"));
    // The application id of the desktop entry, the icon and the metadata (share/linux).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.norvane.Kelvara"));
    QApplication::setWindowIcon(kelvara::applicationIcon());
    const QStringList files = kelvara::commandLineFiles(QCoreApplication::arguments());
    // The window closes the program itself, after its placement is saved; hidden dialogs do not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // German, or English for a system whose first language is not German (KELVARA_LANGUAGE=de|en decides).
    kelvara::installTranslations(kelvara::languageAtStart());

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
        // Files from the command line ("open with") follow the first show and the consent it may ask for; a quit
        // posted meanwhile comes first.
        auto* openWith = new kelvara::CommandLineFiles(mainWindow, dialogs, files);
        QTimer::singleShot(0, &mainWindow, [&mainWindow, openWith] {
            mainWindow.show();
            QMetaObject::invokeMethod(openWith, &kelvara::CommandLineFiles::start, Qt::QueuedConnection);
        });
        exitCode = QCoreApplication::exec();
    }
    settings.save();
    return exitCode;
}
