// Catches what event handlers throw and what would otherwise end the program without a word.
#include "ui/application.h"

#include "ui/unexpected_error.h"

#include <cstdlib>
#include <exception>

namespace kelvara {

namespace {
[[noreturn]] void onTerminate() {
    if (std::current_exception()) {
        try {
            throw;
        } catch (...) {
            reportUnexpectedError(describeCurrentException());
        }
    } else {
        reportUnexpectedError(Application::tr("Das Programm wurde unerwartet beendet."));
    }
    std::abort();
}
} // namespace

QString describeCurrentException() {
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return Application::tr("Unbekannter Fehler");
    }
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    std::set_terminate(onTerminate);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportUnexpectedError(describeCurrentException());
    }
    return false;
}

} // namespace kelvara
