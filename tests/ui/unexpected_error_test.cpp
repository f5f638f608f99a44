// The handler of unexpected errors: the saved report, the window's two choices, and errors out of event handlers.
#include "ui/application.h"
#include "ui/file_version.h"
#include "ui/unexpected_error.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <stdexcept>

namespace {
QString readReport() {
    QFile file(kelvara::bugReportPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Clicks the named button of the report window as soon as it is open.
void answerReportWindowWith(const char* buttonName) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, buttonName] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        if (auto* button = modal->findChild<QPushButton*>(QString::fromLatin1(buttonName)))
            button->click();
        poll->deleteLater();
    });
    poll->start(10);
}

class Throwing : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Ereignis fehlgeschlagen");
        return QObject::event(event);
    }
};
} // namespace

class UnexpectedErrorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() {
        kelvara::setUnexpectedErrorSink({});
        QFile::remove(kelvara::bugReportPath());
    }

    void reportIsSavedWithTimeVersionAndText() {
        QStringList seen;
        kelvara::setUnexpectedErrorSink([&](const QString& text) { seen << text; });
        kelvara::reportUnexpectedError(QStringLiteral("Datenträger voll"));
        QCOMPARE(seen, QStringList{QStringLiteral("Datenträger voll")});
        QVERIFY(kelvara::bugReportPath().startsWith(
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)));
        const QString report = readReport();
        QVERIFY(report.contains(QStringLiteral("Fehler: Datenträger voll")));
        QVERIFY(report.contains(QStringLiteral("Version: ") + kelvara::getFileVersion()));
        QVERIFY(QRegularExpression(QStringLiteral("Zeit: \\d{4}-\\d\\d-\\d\\dT")).match(report).hasMatch());
    }

    void reportFromAWorkerThreadReachesTheUiThread() {
        QThread* receivedOn = nullptr;
        kelvara::setUnexpectedErrorSink([&](const QString&) { receivedOn = QThread::currentThread(); });
        std::unique_ptr<QThread> worker(QThread::create([] { kelvara::reportUnexpectedError(QStringLiteral("x")); }));
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        QCOMPARE(receivedOn, QThread::currentThread());
    }

    void windowLetsTheUserGoOn() {
        answerReportWindowWith(kelvara::continueButtonName);
        kelvara::reportUnexpectedError(QStringLiteral("weiter bitte"));
        QVERIFY(readReport().contains(QStringLiteral("weiter bitte")));
        // The program goes on: a nested loop still runs to its own end.
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&loop] { loop.exit(7); });
        QCOMPARE(loop.exec(), 7);
    }

    void windowCanCloseTheProgram() {
        QEventLoop loop;
        QTimer::singleShot(0, [] {
            answerReportWindowWith(kelvara::quitButtonName);
            kelvara::reportUnexpectedError(QStringLiteral("beenden"));
        });
        // Closing the program ends the running loops with exit code 1.
        QCOMPARE(loop.exec(), 1);
    }

    void errorThrownByAnEventHandlerIsCaught() {
        QStringList seen;
        kelvara::setUnexpectedErrorSink([&](const QString& text) { seen << text; });
        Throwing target;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
        QCOMPARE(seen, QStringList{QStringLiteral("Ereignis fehlgeschlagen")});
    }
};

int main(int argc, char** argv) {
    kelvara::Application app(argc, argv);
    UnexpectedErrorTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "unexpected_error_test.moc"
