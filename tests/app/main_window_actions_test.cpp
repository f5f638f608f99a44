// The main window's actions end to end: file dialogs and drops, dropped text, text and clipboard, folder runs,
// and the worker thread that keeps the window painted while it blocks input.
#include "app/main_window.h"
#include "app/operation_runner.h"
#include "operations/file_routines.h"
#include "support/core_recording_ui.h"
#include "support/recording_dialogs.h"
#include "ui/drop_panel.h"
#include "ui/process_window.h"
#include "ui/unexpected_error.h"

#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <stdexcept>

using kelvara::MainWindow;
using kelvara::ProcessWindow;
using kelvara::test::RecordingDialogs;
using ReplaceAnswer = kelvara::Dialogs::ReplaceAnswer;

namespace {
void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sends the events of a drag that ends in a drop; returns whether the drop was accepted and its action.
std::pair<bool, Qt::DropAction> dragAndDrop(QWidget* target, QMimeData* data) {
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return {drop.isAccepted(), drop.dropAction()};
}

QMimeData* filesData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// Answers the file dialogs like RecordingDialogs and notes, for every message, whether the progress window
// stood on screen at that moment.
class ProgressProbeDialogs final : public kelvara::Dialogs {
public:
    const ProcessWindow* progress = nullptr;
    RecordingDialogs answers;
    QList<bool> progressVisibleAtMessage;

    void message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override {
        progressVisibleAtMessage.append(progress != nullptr && progress->isVisible());
        answers.message(parent, text, caption, icon);
    }
    bool question(QWidget* parent, const QString& text, const QString& caption) override {
        return answers.question(parent, text, caption);
    }
    QString openFileName(QWidget* parent) override { return answers.openFileName(parent); }
    QString saveFileName(QWidget* parent, const QString& proposedName, const QString& defaultSuffix) override {
        return answers.saveFileName(parent, proposedName, defaultSuffix);
    }
    QString folderName(QWidget* parent, const QString& title) override { return answers.folderName(parent, title); }
    ReplaceAnswer replaceQuestion(QWidget* parent, const QString& text) override {
        return answers.replaceQuestion(parent, text);
    }
};

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The mirror rule: a source path lands below the target with its root left off.
QString mirrored(const QString& target, const QString& sourcePath) {
    return target + QLatin1Char('/') + QDir::cleanPath(sourcePath).mid(QDir::rootPath().size());
}
} // namespace

class MainWindowActionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_dialogs = std::make_unique<RecordingDialogs>();
        m_window = std::make_unique<MainWindow>(*m_dialogs);
        m_progress = new ProcessWindow(m_window.get());
        m_window->setProgressWindow(m_progress);
        m_window->show();
        edit1()->setText(QStringLiteral("geheim"));
    }

    void cleanup() {
        m_window.reset();
        m_dir.reset();
        kelvara::setUnexpectedErrorSink({});
    }

    void encryptAndDecryptThroughTheDialogs() {
        const QString plain = path("Bericht.pdf");
        writeFile(plain, "Inhalt des Berichts\n");
        m_dialogs->openAnswers << plain;
        m_dialogs->saveAnswers << path("out/Bericht.pdf.kvra");
        QDir().mkpath(path("out"));
        m_window->encryptFile();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->saveRequests.value(0),
                 qMakePair(QStringLiteral("Bericht.pdf.kvra"), QStringLiteral("kvra")));
        QCOMPARE(m_dialogs->messageTexts(), QStringList{QStringLiteral("Datei verschlüsselt")});
        QVERIFY(readFile(path("out/Bericht.pdf.kvra")).size() >= 32 + 20);

        m_dialogs->openAnswers << path("out/Bericht.pdf.kvra");
        m_dialogs->saveAnswers << path("out/Bericht.pdf");
        m_window->decryptFile();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->saveRequests.value(1), qMakePair(QStringLiteral("Bericht.pdf"), QStringLiteral("pdf")));
        QCOMPARE(m_dialogs->messageTexts().value(1), QStringLiteral("File decrypted"));
        QCOMPARE(readFile(path("out/Bericht.pdf")), QByteArray("Inhalt des Berichts\n"));
        QCOMPARE(m_dialogs->openRequests, 2);
    }

    void wrongPasswordIsRefusedAndWritesNothing() {
        const QString plain = path("a.txt");
        writeFile(plain, "abc");
        m_dialogs->openAnswers << plain;
        m_dialogs->saveAnswers << path("a.txt.kvra");
        m_window->encryptFile();
        m_window->waitForIdle();
        edit1()->setText(QStringLiteral("anders"));
        m_dialogs->messages.clear();
        m_dialogs->saveAnswers << path("b.txt");
        m_window->handleFiles({path("a.txt.kvra")});
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->messageTexts(), QStringList{QStringLiteral("Falsches Passwort")});
        QVERIFY(!QFile::exists(path("b.txt")));
        QCOMPARE(m_dialogs->openRequests, 1);
    }

    void cancelledDialogsEndTheActionQuietly() {
        m_window->encryptFile(); // open dialog cancelled
        QCOMPARE(m_dialogs->openRequests, 1);
        QVERIFY(m_dialogs->saveRequests.isEmpty());
        writeFile(path("x.txt"), "x");
        m_dialogs->openAnswers << path("x.txt");
        m_window->decryptFile(); // save dialog cancelled
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->saveRequests.size(), 1);
        QVERIFY(m_dialogs->messages.isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("x.txt")});
    }

    // Decrypting a name without ".kvra" proposes the source's own name: saving over it must not destroy it.
    void targetThatIsTheSourceIsRefused() {
        const QString source = path("notiz.txt");
        writeFile(source, "wertvoll");
        m_dialogs->openAnswers << source;
        m_dialogs->saveAnswers << m_dir->path() + QStringLiteral("/./notiz.txt");
        m_window->decryptFile();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->saveRequests.value(0), qMakePair(QStringLiteral("notiz.txt"), QStringLiteral("txt")));
        QCOMPARE(m_dialogs->messages.size(), 1);
        QVERIFY(m_dialogs->messages.first().text.startsWith(QStringLiteral("Quelle und Ziel sind dieselbe Datei")));
        QCOMPARE(readFile(source), QByteArray("wertvoll"));
        QVERIFY(!m_window->runner().isBusy());
    }

    void fileDropChoosesTheActionByTheName_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("proposal");
        QTest::addColumn<QString>("suffix");
        // clang-format off
        QTest::newRow("plain file is encrypted") << "DropPanel1" << "Bericht.pdf" << "Bericht.pdf.kvra" << "kvra";
        QTest::newRow("kvra file is decrypted") << "DropPanel1" << "Bericht.pdf.kvra" << "Bericht.pdf" << "pdf";
        QTest::newRow("upper-case extension") << "DropPanel1" << "Bericht.KVRA" << "Bericht.KVRA.kvra" << "kvra";
        QTest::newRow("every .kvra is removed") << "DropPanel1" << "a.kvra.kvra" << "a" << "";
        QTest::newRow(".kvra inside the name") << "DropPanel1" << "x.kvra.txt" << "x.kvra.txt.kvra" << "kvra";
        QTest::newRow("on the explanation") << "Label2" << "Bericht.pdf.kvra" << "Bericht.pdf" << "pdf";
        QTest::newRow("on a symbol") << "SpeedButton3" << "Bericht.pdf" << "Bericht.pdf.kvra" << "kvra";
        // clang-format on
    }

    void fileDropChoosesTheActionByTheName() {
        QFETCH(QString, target);
        QFETCH(QString, name);
        QFETCH(QString, proposal);
        QFETCH(QString, suffix);
        writeFile(path(name), "x");
        std::unique_ptr<QMimeData> data(filesData({path(name)}));
        const auto [accepted, action] = dragAndDrop(m_window->findChild<QWidget*>(target), data.get());
        // The drop returns to the file manager before any dialog opens: a modal dialog inside the drop
        // would hold the drag source until the dialog is closed.
        QCOMPARE(m_dialogs->saveRequests.size(), 0);
        QCoreApplication::processEvents();
        m_window->waitForIdle();
        QVERIFY(accepted);
        QCOMPARE(m_dialogs->openRequests, 0);
        QCOMPARE(m_dialogs->saveRequests.size(), 1);
        QCOMPARE(m_dialogs->saveRequests.first(), qMakePair(proposal, suffix));
    }

    // Several files in one drop: each by its own name, next to its source, no save dialog; a wrong password
    // skips its file and the run goes on; one message sums it up.
    void severalDroppedFilesAreHandledInOneRun() {
        writeFile(path("a.txt"), "eins");
        writeFile(path("d.pdf"), QByteArray(3000, 'd'));
        writeFile(path("klar/b.txt"), "zwei");
        writeFile(path("klar/c"), "drei");
        encryptWith(path("klar/b.txt"), path("b.txt.kvra"), u"geheim");
        encryptWith(path("klar/c"), path("c.kvra"), u"anders");
        std::unique_ptr<QMimeData> data(filesData({path("a.txt"), path("c.kvra"), path("d.pdf"), path("b.txt.kvra")}));
        QVERIFY(dragAndDrop(m_window->findChild<QWidget*>(QStringLiteral("DropPanel1")), data.get()).first);
        QCoreApplication::processEvents();
        m_window->waitForIdle();

        QVERIFY(m_dialogs->saveRequests.isEmpty());
        QVERIFY(m_dialogs->replaceQuestions.isEmpty());
        QCOMPARE(m_dialogs->messageTexts(),
                 QStringList{"2 Dateien verschlüsselt, 1 Datei entschlüsselt, 1 übersprungen:\n" +
                             native(path("c.kvra")) + ": Falsches Passwort"});
        QCOMPARE(readFile(path("b.txt")), QByteArray("zwei"));
        QVERIFY(!QFile::exists(path("c")));
        QCOMPARE(readFile(path("a.txt.kvra")).size(), 32 + 4);
        QCOMPARE(readFile(path("d.pdf.kvra")).size(), 32 + 3000);
        // The last file of the drop was the last one handled; the bar ends full.
        QCOMPARE(m_progress->text(), QStringLiteral("Datei 4 von 4 wird entschlüsselt !"));
        QCOMPARE(m_progress->position(), m_progress->maximum());
        QVERIFY(!m_progress->isVisible());
    }

    void existingTargetsAreAskedAbout_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("firstReplaced");
        QTest::addColumn<bool>("secondReplaced");
        QTest::addColumn<QString>("summary");
        const auto yes = int(ReplaceAnswer::replace);
        const auto no = int(ReplaceAnswer::keep);
        const QString kept = "1 Datei verschlüsselt, 1 übersprungen:\n%1: Datei (Ausgabe) existiert bereits und "
                             "wird nicht ersetzt: %2";
        QTest::newRow("Ja, Nein") << QList<int>{yes, no} << 2 << true << false << kept;
        QTest::newRow("Alle ersetzen") << QList<int>{int(ReplaceAnswer::replaceAll)} << 1 << true << true
                                       << "2 Dateien verschlüsselt";
        QTest::newRow("Abbrechen") << QList<int>{int(ReplaceAnswer::cancel)} << 1 << false << false << "";
    }

    void existingTargetsAreAskedAbout() {
        QFETCH(QList<int>, answers);
        QFETCH(int, questions);
        QFETCH(bool, firstReplaced);
        QFETCH(bool, secondReplaced);
        QFETCH(QString, summary);
        writeFile(path("x.txt"), "neu");
        writeFile(path("y.txt"), "neu");
        writeFile(path("x.txt.kvra"), "alt");
        writeFile(path("y.txt.kvra"), "alt");
        for (const int answer : answers)
            m_dialogs->replaceAnswers << ReplaceAnswer(answer);
        m_window->handleFiles({path("x.txt"), path("y.txt")});
        m_window->waitForIdle();

        QCOMPARE(m_dialogs->replaceQuestions.size(), questions);
        QCOMPARE(m_dialogs->replaceQuestions.value(0),
                 "Die Datei existiert bereits:\n" + native(path("x.txt.kvra")) + "\nSoll sie ersetzt werden ?");
        QCOMPARE(readFile(path("x.txt.kvra")) != "alt", firstReplaced);
        QCOMPARE(readFile(path("y.txt.kvra")) != "alt", secondReplaced);
        QCOMPARE(m_dialogs->messageTexts(),
                 summary.isEmpty() ? QStringList()
                                   : QStringList{summary.arg(native(path("y.txt")), native(path("y.txt.kvra")))});
    }

    void droppedFolderIsTakenAsAFileToEncrypt() {
        QDir().mkpath(path("Ordner"));
        m_dialogs->saveAnswers << path("Ordner.kvra");
        m_window->handleFiles({path("Ordner")});
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->saveRequests.value(0).first, QStringLiteral("Ordner.kvra"));
        QCOMPARE(m_dialogs->messages.size(), 1);
        QVERIFY(!QFile::exists(path("Ordner.kvra")));
    }

    void droppedTextReplacesTheMemoOutsideTheFilePanel_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("memo") << "Memo1";
        QTest::newRow("password field") << "Edit1";
        QTest::newRow("free area") << "Panel2";
        QTest::newRow("explanation of the text group") << "Label3";
    }

    void droppedTextReplacesTheMemoOutsideTheFilePanel() {
        QFETCH(QString, target);
        QWidget* widget = m_window->findChild<QWidget*>(target);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(widget))
            widget = memo->viewport();
        memo1()->setPlainText(QStringLiteral("alter Text"));
        QMimeData text;
        text.setText(QStringLiteral("Zeile 1\nZeile 2"));
        const auto [accepted, action] = dragAndDrop(widget, &text);
        QVERIFY(accepted);
        QCOMPARE(action, Qt::CopyAction);
        QCOMPARE(memo1()->toPlainText(), QStringLiteral("Zeile 1\nZeile 2"));
        QCOMPARE(edit1()->text(), QStringLiteral("geheim"));

        // Files dropped outside the panel, or data without text: the copy effect is shown, nothing changes.
        std::unique_ptr<QMimeData> files(filesData({path("y.txt")}));
        QCOMPARE(dragAndDrop(widget, files.get()).second, Qt::CopyAction);
        QMimeData nothing;
        nothing.setData(QStringLiteral("application/octet-stream"), "\x01\x02");
        QCOMPARE(dragAndDrop(widget, &nothing).second, Qt::CopyAction);
        QCOMPARE(memo1()->toPlainText(), QStringLiteral("Zeile 1\nZeile 2"));
        QVERIFY(m_dialogs->saveRequests.isEmpty());
    }

    void textRoundTripThroughMemoAndClipboard() {
        const QString original = QStringLiteral("Grüße aus Köln\nzweite Zeile\n\nEnde");
        memo1()->setPlainText(original);
        m_window->encryptTextToClipboard();
        const QString encrypted = memo1()->toPlainText();
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z0-9+/]+={0,2}$")).match(encrypted).hasMatch());
        QCOMPARE(QGuiApplication::clipboard()->text(), encrypted);
        QCOMPARE(memo1()->textCursor().selectedText(), encrypted);
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("x-kde-passwordManagerHint")));
        QCOMPARE(m_window->clipboardCountdownText(), QString());
        // The same text and password give the same Base64 text.
        memo1()->setPlainText(original);
        m_window->encryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText(), encrypted);

        m_window->decryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText(), original);
        QCOMPARE(QGuiApplication::clipboard()->text(), original);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("x-kde-passwordManagerHint")),
                 QByteArray("secret"));
        QCOMPARE(m_window->clipboardCountdownText(), QStringLiteral("Zwischenablage wird in 30 s geleert"));
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    void textLengthsAndWrappedBase64() {
        memo1()->setPlainText(QStringLiteral("a"));
        m_window->encryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText().size(), 4);
        QVERIFY(memo1()->toPlainText().endsWith(QStringLiteral("==")));
        memo1()->setPlainText(QStringLiteral("abc"));
        m_window->encryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText().size(), 4);
        QVERIFY(!memo1()->toPlainText().contains(QLatin1Char('=')));

        // A mail program broke the Base64 text into lines: it still decrypts.
        memo1()->setPlainText(QStringLiteral("Ein etwas längerer Text, der über mehrere Zeilen verteilt wird."));
        m_window->encryptTextToClipboard();
        QString wrapped = memo1()->toPlainText();
        for (qsizetype at = 20; at < wrapped.size(); at += 21)
            wrapped.insert(at, QLatin1Char('\n'));
        memo1()->setPlainText(wrapped);
        m_window->decryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText(),
                 QStringLiteral("Ein etwas längerer Text, der über mehrere Zeilen verteilt wird."));

        memo1()->clear();
        m_window->encryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText(), QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    void wrongTextPasswordGivesOtherTextWithoutMessage() {
        memo1()->setPlainText(QStringLiteral("vertraulich"));
        m_window->encryptTextToClipboard();
        edit1()->setText(QStringLiteral("falsch"));
        m_window->decryptTextToClipboard();
        QVERIFY(memo1()->toPlainText() != QStringLiteral("vertraulich"));
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    // What cannot be encrypted or decrypted faithfully is refused with a message; the memo keeps its text and
    // nothing is written.
    void unfaithfulInputIsRefusedAndKept() {
        QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
        const QString foreign = QStringLiteral("Привет 😀 und Grüße");
        memo1()->setPlainText(foreign);
        m_window->encryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText(), foreign);
        QCOMPARE(m_dialogs->messageTexts().size(), 1);
        QVERIFY(m_dialogs->messageTexts().value(0).contains(QStringLiteral("П, р, и, в, е")));
        const QString notBase64 = QStringLiteral("abc!efgh");
        memo1()->setPlainText(notBase64);
        m_window->decryptTextToClipboard();
        QCOMPARE(memo1()->toPlainText(), notBase64);
        QVERIFY(m_dialogs->messageTexts().value(1).startsWith(QStringLiteral("Der Text ist kein verschlüsselter")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("vorher"));

        writeFile(path("leer.kvra"), QByteArray());
        m_dialogs->saveAnswers << path("leer");
        m_window->handleFiles({path("leer.kvra")});
        m_window->waitForIdle();
        QVERIFY(m_dialogs->messageTexts().value(2).startsWith(QStringLiteral("Die Datei ist keine verschlüsselte")));
        QVERIFY(!QFile::exists(path("leer")));
    }

    void folderRunEncryptsAndDecryptsAMirrorTree() {
        const QString source = path("quelle");
        writeFile(source + "/a.txt", "eins");
        writeFile(source + "/unter/b.txt", "zwei");
        writeFile(source + "/unter/tiefer/c.bin", QByteArray(20000, '\x5a'));
        writeFile(source + "/.versteckt", "wird ausgelassen");
        QDir().mkpath(source + "/leer");
        const QString target = path("ziel");
        QDir().mkpath(target);

        m_dialogs->folderAnswers << source << target;
        m_dialogs->questionAnswers << true;
        m_window->encryptFolder();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->folderTitles, (QStringList{"Quellordner wählen", "Zielordner wählen"}));
        QCOMPARE(m_dialogs->questions, QStringList{"Sollen die Daten von " + native(source) + " nach " +
                                                   native(target) + " verschlüsselt werden ?"});
        QVERIFY(m_dialogs->messages.isEmpty());
        const QString mirror = mirrored(target, source);
        QVERIFY(QFileInfo(mirror + "/leer").isDir());
        QVERIFY(!QFile::exists(mirror + "/.versteckt"));
        QVERIFY(readFile(mirror + "/unter/tiefer/c.bin") != QByteArray(20000, '\x5a'));
        QVERIFY(!m_progress->isVisible());
        QCOMPARE(m_progress->text(), QStringLiteral("Daten werden verschlüsselt !"));
        QCOMPARE(m_progress->maximum(), 2);
        QCOMPARE(m_progress->position(), 2);

        const QString second = path("zurueck");
        QDir().mkpath(second);
        m_dialogs->folderAnswers << mirror << second;
        m_dialogs->questionAnswers << true;
        m_window->decryptFolder();
        m_window->waitForIdle();
        QVERIFY(m_dialogs->questions.value(1).endsWith(QStringLiteral(" entschlüsselt werden ?")));
        QCOMPARE(m_progress->text(), QStringLiteral("Daten werden entschlüsselt !"));
        const QString back = mirrored(second, mirror);
        QCOMPARE(readFile(back + "/a.txt"), QByteArray("eins"));
        QCOMPARE(readFile(back + "/unter/b.txt"), QByteArray("zwei"));
        QCOMPARE(readFile(back + "/unter/tiefer/c.bin"), QByteArray(20000, '\x5a'));
    }

    void folderRunEndsBeforeAnyChangeWhenCancelledOrDenied() {
        const QString source = path("quelle");
        writeFile(source + "/a.txt", "eins");
        const QString target = path("ziel");
        QDir().mkpath(target);

        m_window->encryptFolder(); // first picker cancelled
        QCOMPARE(m_dialogs->folderTitles.size(), 1);
        m_dialogs->folderAnswers << source; // second picker cancelled
        m_window->encryptFolder();
        QCOMPARE(m_dialogs->folderTitles.size(), 3);
        m_dialogs->folderAnswers << source << target;
        m_dialogs->questionAnswers << false;
        m_window->decryptFolder();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->questions.size(), 1);
        QVERIFY(QDir(target).isEmpty());
        QVERIFY(!m_progress->isVisible());
    }

    void folderRunWrongPasswordReportsEachFileAndGoesOn() {
        const QString source = path("quelle");
        writeFile(source + "/a.txt", "eins");
        writeFile(source + "/b.txt", "zwei");
        const QString target = path("ziel");
        m_dialogs->folderAnswers << source << target;
        m_dialogs->questionAnswers << true;
        m_window->encryptFolder();
        m_window->waitForIdle();
        edit1()->setText(QStringLiteral("anders"));
        const QString second = path("zurueck");
        m_dialogs->folderAnswers << mirrored(target, source) << second;
        m_dialogs->questionAnswers << true;
        m_window->decryptFolder();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->messageTexts(), (QStringList{"Falsches Passwort", "Falsches Passwort"}));
        QVERIFY(!QFile::exists(mirrored(second, mirrored(target, source)) + "/a.txt"));
    }

    // A run is off the UI thread: timers fire, the window paints, input and closing are held back,
    // and the routine's messages are shown on the UI thread and wait for OK.
    void runKeepsTheWindowAliveButBlocked() {
        QSemaphore release;
        QThread* workerThread = nullptr;
        auto& runner = m_window->runner();
        QSignalSpy finished(&runner, &kelvara::OperationRunner::operationFinished);
        QVERIFY(runner.start([&](kelvara::UserInterface& ui) {
            workerThread = QThread::currentThread();
            release.acquire();
            ui.notify(kelvara::Notice{kelvara::NoticeKind::encrypted, false, {}, {}, {}});
        }));
        QVERIFY(!runner.start([](kelvara::UserInterface&) {}));

        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(0);
        QTRY_VERIFY(ticks > 2);
        QVERIFY(!m_window->grab().isNull());

        QTest::keyClicks(edit1(), QStringLiteral("xyz"));
        QCOMPARE(edit1()->text(), QStringLiteral("geheim"));
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        m_window->encryptFile();
        QCOMPARE(m_dialogs->openRequests, 0);

        release.release();
        m_window->waitForIdle();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_dialogs->messageTexts(), QStringList{QStringLiteral("Datei verschlüsselt")});
        QVERIFY(workerThread != nullptr && workerThread != QThread::currentThread());

        QTest::keyClicks(edit1(), QStringLiteral("!"));
        QCOMPARE(edit1()->text(), QStringLiteral("geheim!"));
    }

    void errorEscapingARunIsReportedAndClosesTheProgressWindow() {
        QStringList reports;
        kelvara::setUnexpectedErrorSink([&](const QString& text) { reports << text; });
        m_window->runner().start([](kelvara::UserInterface& ui) {
            ui.progressBegin(kelvara::ProgressPhase::encrypting, 10);
            throw std::runtime_error("Pfad zu lang");
        });
        m_window->waitForIdle();
        QCOMPARE(reports, QStringList{QStringLiteral("Pfad zu lang")});
        QVERIFY(!m_progress->isVisible());
        QVERIFY(m_window->close());
    }

    void bigFileShowsItsBytesInTheProgressWindow() {
        const qint64 size = 5 * 1024 * 1024 + 3;
        QByteArray content(size, '\0');
        for (qint64 i = 0; i < size; ++i)
            content[i] = static_cast<char>(i * 7);
        writeFile(path("gross.bin"), content);
        m_dialogs->saveAnswers << path("gross.bin.kvra");
        m_window->handleFiles({path("gross.bin")});
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->messageTexts(), QStringList{QStringLiteral("Datei verschlüsselt")});
        QCOMPARE(m_progress->text(), QStringLiteral("Datei wird verschlüsselt !"));
        QCOMPARE(m_progress->maximum(), static_cast<int>(size));
        QCOMPARE(m_progress->position(), static_cast<int>(size));
        QVERIFY(!m_progress->isVisible());

        m_dialogs->saveAnswers << path("gross.zurueck");
        m_window->handleFiles({path("gross.bin.kvra")});
        m_window->waitForIdle();
        QCOMPARE(readFile(path("gross.zurueck")), content);
        QCOMPARE(m_progress->text(), QStringLiteral("Datei wird entschlüsselt !"));
    }

    // The closing message of a big single file stands alone: the progress window has gone before it appears,
    // also for decryption, whose output is the check block shorter than the input the bar counts.
    void bigFileProgressIsGoneBeforeTheClosingMessage() {
        ProgressProbeDialogs dialogs;
        MainWindow window(dialogs);
        auto* progress = new ProcessWindow(&window);
        dialogs.progress = progress;
        window.setProgressWindow(progress);
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("geheim"));
        writeFile(path("gross.bin"), QByteArray(5 * 1024 * 1024 + 17, '\x33'));

        dialogs.answers.saveAnswers << path("gross.bin.kvra") << path("gross.zurueck") << path("gross.falsch");
        window.handleFiles({path("gross.bin")});
        window.waitForIdle();
        window.handleFiles({path("gross.bin.kvra")});
        window.waitForIdle();
        window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("anders"));
        window.handleFiles({path("gross.bin.kvra")});
        window.waitForIdle();

        QCOMPARE(dialogs.answers.messageTexts(),
                 (QStringList{"Datei verschlüsselt", "File decrypted", "Falsches Passwort"}));
        QCOMPARE(progress->text(), QStringLiteral("Datei wird entschlüsselt !"));
        QCOMPARE(dialogs.progressVisibleAtMessage, (QList<bool>{false, false, false}));
        QCOMPARE(readFile(path("gross.zurueck")), QByteArray(5 * 1024 * 1024 + 17, '\x33'));
    }

    void smallFileLeavesTheProgressWindowAlone() {
        writeFile(path("klein.txt"), "klein");
        m_dialogs->saveAnswers << path("klein.txt.kvra");
        m_window->handleFiles({path("klein.txt")});
        m_window->waitForIdle();
        QCOMPARE(m_progress->text(), QStringLiteral("Kelvara"));
        QVERIFY(!m_progress->isVisible());
    }

private:
    QString path(const QString& name) const { return m_dir->path() + QLatin1Char('/') + name; }
    static void encryptWith(const QString& source, const QString& target, const std::u16string& password) {
        kelvara::test::RecordingUserInterface ui;
        QCOMPARE(kelvara::encryptSingleFile(std::filesystem::path(source.toStdString()),
                                            std::filesystem::path(target.toStdString()), password,
                                            kelvara::Report::failures, ui),
                 kelvara::FileResult::success);
    }
    QLineEdit* edit1() const { return m_window->findChild<QLineEdit*>(QStringLiteral("Edit1")); }
    QPlainTextEdit* memo1() const { return m_window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
    ProcessWindow* m_progress = nullptr;
};

QTEST_MAIN(MainWindowActionsTest)
#include "main_window_actions_test.moc"
