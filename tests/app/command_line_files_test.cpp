// "Open with": files from the window's command line, after the password dialog, handled in order like drops.
#include "app/command_line_files.h"
#include "app/main_window.h"
#include "operations/file_routines.h"
#include "support/core_recording_ui.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using kelvara::CommandLineFiles;
using kelvara::MainWindow;
using kelvara::test::RecordingDialogs;

namespace {
void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class CommandLineFilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_window = std::make_unique<MainWindow>(m_dialogs);
        m_window->show();
    }

    void cleanup() {
        m_window.reset();
        m_dialogs = RecordingDialogs();
        m_dir.reset();
    }

    void parsesFilesInOrderAsAbsolutePaths() {
        // An absolute path stays as it is: "/data/b.kvra" here, with its drive on Windows.
        const QString absolute = QDir::rootPath() + QStringLiteral("data/b.kvra");
        const QStringList files =
            kelvara::commandLineFiles({QStringLiteral("kelvara"), absolute, QStringLiteral("a.txt"),
                                       QStringLiteral("--"), QStringLiteral("-v.txt")});
        QCOMPARE(files, QStringList({absolute, QDir::current().absoluteFilePath("a.txt"),
                                     QDir::current().absoluteFilePath("-v.txt")}));
    }

    void decryptsKvraAndEncryptsOtherFilesWithTheTypedPassword() {
        writeFile(path("plain.txt"), "Klartext\n");
        kelvara::test::RecordingUserInterface core;
        kelvara::encryptSingleFile(std::filesystem::path(path("plain.txt").toStdString()),
                                   std::filesystem::path(path("secret.txt.kvra").toStdString()), u"geheim",
                                   kelvara::Report::failures, core);
        writeFile(path("other.pdf"), "anderes\n");
        m_dialogs.passwordAnswers << QStringLiteral("geheim");

        run({path("secret.txt.kvra"), path("other.pdf")});

        // Several files are one drop: each target next to its source, one summary at the end.
        QCOMPARE(m_dialogs.passwordRequests, 1);
        QCOMPARE(passwordField(), QStringLiteral("geheim"));
        QVERIFY(m_dialogs.saveRequests.isEmpty());
        QCOMPARE(m_dialogs.messageTexts(), QStringList{QStringLiteral("1 Datei verschlüsselt, 1 Datei entschlüsselt")});
        QCOMPARE(readFile(path("secret.txt")), QByteArray("Klartext\n"));
        QCOMPARE(readFile(path("other.pdf.kvra")).size(), 32 + 8);
    }

    void oneFileGoesThroughTheSaveDialog() {
        writeFile(path("plain.txt"), "Klartext\n");
        m_dialogs.passwordAnswers << QStringLiteral("geheim");
        m_dialogs.saveAnswers << path("elsewhere.kvra");

        run({path("plain.txt")});

        QCOMPARE(m_dialogs.saveRequests,
                 (QList<QPair<QString, QString>>{{QStringLiteral("plain.txt.kvra"), QStringLiteral("kvra")}}));
        QCOMPARE(m_dialogs.messageTexts(), QStringList{QStringLiteral("Datei verschlüsselt")});
        QCOMPARE(readFile(path("elsewhere.kvra")).size(), 32 + 9);
    }

    void abbrechenHandlesNothing() {
        writeFile(path("plain.txt"), "Klartext\n");
        m_dialogs.saveAnswers << path("plain.txt.kvra");

        run({path("plain.txt")});

        QCOMPARE(m_dialogs.passwordRequests, 1);
        QVERIFY(m_dialogs.saveRequests.isEmpty());
        QVERIFY(m_dialogs.messages.isEmpty());
        QVERIFY(passwordField().isEmpty());
        QVERIFY(!QFile::exists(path("plain.txt.kvra")));
    }

    void missingFileIsReportedAndTheNextGoesOn() {
        writeFile(path("there.txt"), "da\n");
        m_dialogs.passwordAnswers << QStringLiteral("geheim");

        run({path("missing.txt"), path("there.txt")});

        QCOMPARE(m_dialogs.messageTexts().size(), 1);
        const QString summary = m_dialogs.messageTexts().constFirst();
        QVERIFY2(summary.startsWith(QStringLiteral("1 Datei verschlüsselt, 1 übersprungen:\n")), qPrintable(summary));
        QVERIFY2(summary.contains(QStringLiteral("Datei (Eingabe) kann nicht geöffnet werden")), qPrintable(summary));
        QVERIFY(!QFile::exists(path("missing.txt.kvra")));
        QCOMPARE(readFile(path("there.txt.kvra")).size(), 32 + 3);
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString passwordField() const { return m_window->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(); }

    void run(const QStringList& files) {
        auto* openWith = new CommandLineFiles(*m_window, m_dialogs, files);
        QSignalSpy finished(openWith, &CommandLineFiles::finished);
        openWith->start();
        QTRY_COMPARE(finished.size(), 1);
        m_window->waitForIdle();
    }

    RecordingDialogs m_dialogs;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(CommandLineFilesTest)
#include "command_line_files_test.moc"
