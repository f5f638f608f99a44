// Shows unexpected errors in a window (continue or close the program) and saves them as bugreport.txt.
#include "ui/unexpected_error.h"

#include "ui/file_version.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <mutex>

namespace kelvara {

namespace {
// The translation context of the report's texts.
struct UnexpectedError {
    Q_DECLARE_TR_FUNCTIONS(kelvara::UnexpectedError)
};

std::mutex sinkMutex;

std::function<void(const QString&)>& sinkSlot() {
    static std::function<void(const QString&)> sink;
    return sink;
}

void saveBugReport(const QString& description) {
    const QString path = bugReportPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    file.write(bugReportText(description).toUtf8());
    file.commit();
}

// The window: the error, where the report was saved, and the choice to go on or to close the program.
void showReportWindow(const QString& description) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kelvara"),
                    UnexpectedError::tr("Im Programm ist ein unerwarteter Fehler aufgetreten:\n\n%1\n\n"
                                        "Der Fehlerbericht wurde unter %2 gespeichert.")
                        .arg(description, QDir::toNativeSeparators(bugReportPath())),
                    QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* continueButton = box.addButton(UnexpectedError::tr("Weiter"), QMessageBox::AcceptRole);
    continueButton->setObjectName(QString::fromLatin1(continueButtonName));
    QPushButton* quitButton = box.addButton(UnexpectedError::tr("Programm beenden"), QMessageBox::DestructiveRole);
    quitButton->setObjectName(QString::fromLatin1(quitButtonName));
    box.setDefaultButton(continueButton);
    box.exec();
    if (box.clickedButton() == quitButton)
        QCoreApplication::exit(1);
}
} // namespace

QString bugReportPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/bugreport.txt");
}

QString bugReportText(const QString& description) {
    return UnexpectedError::tr("Zeit: %1\nVersion: %2\nFehler: %3\n")
        .arg(QDateTime::currentDateTime().toString(Qt::ISODate), getFileVersion(), description);
}

void reportUnexpectedError(const QString& description) {
    // Windows belong to the user-interface thread: a report from elsewhere waits there for the user.
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [description] { reportUnexpectedError(description); }, Qt::BlockingQueuedConnection);
        return;
    }

    saveBugReport(description);

    std::function<void(const QString&)> sink;
    {
        std::lock_guard lock(sinkMutex);
        sink = sinkSlot();
    }
    if (sink) {
        sink(description);
        return;
    }
    // A second error while the window is open is saved but not shown again on top of the first.
    static bool showing = false;
    if (showing || qobject_cast<QApplication*>(app) == nullptr)
        return;
    showing = true;
    showReportWindow(description);
    showing = false;
}

void setUnexpectedErrorSink(std::function<void(const QString&)> sink) {
    std::lock_guard lock(sinkMutex);
    sinkSlot() = std::move(sink);
}

} // namespace kelvara
