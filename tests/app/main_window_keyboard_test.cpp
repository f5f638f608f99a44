// The main window from the keyboard: every shortcut runs its action wherever the focus is, mnemonics move the
// focus to their fields, and every control carries the name a screen reader reads.
#include "app/main_window.h"
#include "app/operation_runner.h"
#include "support/recording_dialogs.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using kelvara::MainWindow;
using kelvara::test::RecordingDialogs;

class MainWindowKeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        m_dialogs = std::make_unique<RecordingDialogs>();
        m_window = std::make_unique<MainWindow>(*m_dialogs);
        m_window->setAboutAction([this] { ++m_abouts; });
        m_abouts = 0;
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void shortcutRunsItsActionWhereverTheFocusIs_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        const QList<std::pair<const char*, const char*>> shortcuts{
            {"Ctrl+E", "encrypt file"},
            {"Ctrl+D", "decrypt file"},
            {"Ctrl+Shift+E", "password confirmation asked"},
            {"Ctrl+Shift+D", "not an encrypted text"},
            {"F1", "About window"},
            {"Ctrl+Q", "window closed"},
        };
        for (const char* focus : {"Button1", "Memo1", "Edit1"})
            for (const auto& [keys, effect] : shortcuts)
                QTest::addRow("%s in %s", keys, focus) << focus << QKeySequence(QString::fromLatin1(keys)) << effect;
    }

    // Each shortcut presses its button (or opens the About window): the recorded dialogs show which action ran.
    // The edits keep their text: they did not take the keys for themselves.
    void shortcutRunsItsActionWhereverTheFocusIs() {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("x.txt"));
        m_dialogs->openAnswers << file;
        password()->setText(QStringLiteral("geheim"));
        memo()->setPlainText(QStringLiteral("Hallo"));
        m_window->findChild<QWidget*>(focus)->setFocus();
        QSignalSpy closed(m_window.get(), &MainWindow::closed);

        QTest::keySequence(QApplication::focusWidget(), keys);

        if (effect == QLatin1String("encrypt file"))
            QTRY_COMPARE(m_dialogs->saveRequests.value(0),
                         qMakePair(QStringLiteral("x.txt.kvra"), QStringLiteral("kvra")));
        else if (effect == QLatin1String("decrypt file"))
            QTRY_COMPARE(m_dialogs->saveRequests.value(0), qMakePair(QStringLiteral("x.txt"), QStringLiteral("txt")));
        else if (effect == QLatin1String("password confirmation asked"))
            QTRY_COMPARE(m_dialogs->repeatHints.size(), 1);
        else if (effect == QLatin1String("not an encrypted text"))
            QTRY_VERIFY(m_dialogs->messageTexts().value(0).startsWith("Der Text ist kein verschlüsselter Text"));
        else if (effect == QLatin1String("About window"))
            QCOMPARE(m_abouts, 1);
        else
            QTRY_COMPARE(closed.count(), 1);
        // Exactly one action ran.
        QCOMPARE(m_dialogs->saveRequests.size() + m_dialogs->repeatHints.size() + m_dialogs->messages.size() +
                     m_abouts + closed.count(),
                 1);
        QCOMPARE(password()->text(), QStringLiteral("geheim"));
        QCOMPARE(memo()->toPlainText(), QStringLiteral("Hallo"));
    }

    // While a file run goes on the window takes no input: its shortcuts wait as its buttons do.
    void shortcutsDoNothingWhileARunGoesOn() {
        QSemaphore release;
        QVERIFY(m_window->runner().start([&](kelvara::UserInterface&) { release.acquire(); }));
        QSignalSpy closed(m_window.get(), &MainWindow::closed);
        memo()->setFocus();
        for (const char* keys : {"Ctrl+E", "Ctrl+D", "Ctrl+Shift+E", "Ctrl+Shift+D", "F1", "Ctrl+Q", "Ctrl+Shift+P"})
            QTest::keySequence(memo(), QKeySequence(QString::fromLatin1(keys)));
        QTest::qWait(250); // longer than a button's animated click
        release.release();
        m_window->waitForIdle();
        QCOMPARE(m_dialogs->openRequests + m_dialogs->repeatHints.size() + m_dialogs->messages.size(), 0);
        QCOMPARE(m_abouts, 0);
        QCOMPARE(closed.count(), 0);
        QCOMPARE(password()->echoMode(), QLineEdit::Password);
    }

    void mnemonicLeadsToItsField_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("letter");
        QTest::addColumn<QString>("field");
        for (const char* from : {"Button1", "Memo1", "Edit1"}) {
            QTest::addRow("Alt+P from %s", from) << from << int(Qt::Key_P) << "Edit1";
            QTest::addRow("Alt+T from %s", from) << from << int(Qt::Key_T) << "Memo1";
        }
    }

    void mnemonicLeadsToItsField() {
        QFETCH(QString, from);
        QFETCH(int, letter);
        QFETCH(QString, field);
        m_window->findChild<QWidget*>(from)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(letter), Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), field);
    }

    // The eye inside the password field takes no focus; Ctrl+Shift+P switches it from anywhere in the window.
    void eyeSwitchesByItsShortcut() {
        memo()->setFocus();
        QTest::keySequence(memo(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
        QCOMPARE(password()->echoMode(), QLineEdit::Normal);
        QTest::keySequence(memo(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
        QCOMPARE(password()->echoMode(), QLineEdit::Password);
        QCOMPARE(QApplication::focusWidget(), memo());
    }

    void everyControlIsNamed_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        const QString withKeys = QStringLiteral("%1 (%2)");
        const auto keys = [](const char* sequence) {
            return QKeySequence(QString::fromLatin1(sequence)).toString(QKeySequence::NativeText);
        };
        // clang-format off
        QTest::newRow("SpeedButton3") << "Datei verschlüsseln" << withKeys.arg("Datei verschlüsseln", keys("Ctrl+E"));
        QTest::newRow("SpeedButton4") << "Datei entschlüsseln" << withKeys.arg("Datei entschlüsseln", keys("Ctrl+D"));
        QTest::newRow("SpeedButton5") << "Text verschlüsseln"
            << withKeys.arg("Text verschlüsseln und in Zwischenablage", keys("Ctrl+Shift+E"));
        QTest::newRow("SpeedButton6") << "Text entschlüsseln"
            << withKeys.arg("Text entschlüsseln und in Zwischenablage", keys("Ctrl+Shift+D"));
        QTest::newRow("SpeedButton1") << "Ordner verschlüsseln" << "Ordner verschlüsseln";
        QTest::newRow("SpeedButton2") << "Ordner entschlüsseln" << "Ordner entschlüsseln";
        QTest::newRow("Button1") << "Beenden" << withKeys.arg("Beendet kelVara", keys("Ctrl+Q"));
        QTest::newRow("Image2") << "Über Kelvara" << withKeys.arg("Über Kelvara", keys("F1"));
        QTest::newRow("Edit1") << "Passwort" << "";
        QTest::newRow("Memo1") << "Text der verschlüsselt werden soll" << "";
        QTest::newRow("StatusBar1") << "Statusleiste" << "";
        QTest::newRow("DropPanel1") << "Dateien" << "";
        // clang-format on
    }

    // Names as the accessibility layer reports them; an empty expected description only asks for one.
    void everyControlIsNamed() {
        QFETCH(QString, name);
        QFETCH(QString, description);
        QWidget* control = m_window->findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(control != nullptr);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        if (description.isEmpty())
            QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
        else
            QCOMPARE(accessible->text(QAccessible::Description), description);
    }

private:
    QLineEdit* password() const { return m_window->findChild<QLineEdit*>(QStringLiteral("Edit1")); }
    QPlainTextEdit* memo() const { return m_window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }

    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
    int m_abouts = 0;
};

QTEST_MAIN(MainWindowKeyboardTest)
#include "main_window_keyboard_test.moc"
