// The window's language: the choice at start, and the window in English once the translation is installed.
#include "app/main_window.h"
#include "support/recording_dialogs.h"
#include "ui/dialogs.h"
#include "ui/language.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using kelvara::Language;

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void choice_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<bool>("english");
        // clang-format off
        QTest::newRow("German system") << "" << QStringList{"de-DE", "en-US"} << false;
        QTest::newRow("bare de") << "" << QStringList{"de"} << false;
        QTest::newRow("Austrian, underscore") << "" << QStringList{"de_AT"} << false;
        QTest::newRow("Swiss") << "" << QStringList{"de-CH"} << false;
        QTest::newRow("English first") << "" << QStringList{"en-US", "de-DE"} << true;
        QTest::newRow("French") << "" << QStringList{"fr-FR"} << true;
        QTest::newRow("Sorbian in Germany") << "" << QStringList{"dsb-DE"} << true;
        QTest::newRow("no languages") << "" << QStringList{} << false;
        QTest::newRow("en overrides German") << "en" << QStringList{"de-DE"} << true;
        QTest::newRow("de overrides English") << "de" << QStringList{"en-GB"} << false;
        QTest::newRow("EN in capitals") << " EN " << QStringList{"de-DE"} << true;
        QTest::newRow("unknown value ignored (German)") << "fr" << QStringList{"de-DE"} << false;
        QTest::newRow("unknown value ignored (English)") << "english" << QStringList{"en-GB"} << true;
        // clang-format on
    }
    void choice() {
        QFETCH(QString, variable);
        QFETCH(QStringList, uiLanguages);
        QFETCH(bool, english);
        QCOMPARE(kelvara::chooseLanguage(variable, uiLanguages) == Language::english, english);
    }

    // With the English translation installed, the window, its hints, a message and a real message box read English.
    void windowInEnglish() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(kelvara::installTranslations(Language::english));
        kelvara::test::RecordingDialogs dialogs;
        kelvara::MainWindow window(dialogs);

        const auto* passwordLabel = window.findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(passwordLabel->text(), QStringLiteral("&Password"));
        QVERIFY2(passwordLabel->width() >= passwordLabel->sizeHint().width(), "the English label is cut");
        QCOMPARE(window.findChild<QGroupBox*>(QStringLiteral("GroupBox2"))->title(), QStringLiteral("Files"));
        QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("Button1"))->text(), QStringLiteral("Quit"));
        QCOMPARE(window.findChild<QToolButton*>(QStringLiteral("SpeedButton3"))->toolTip(),
                 QStringLiteral("Encrypt a file (Ctrl+E)"));

        window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->setPlainText(QStringLiteral("not Base64 !"));
        window.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
        QCOMPARE(dialogs.messageTexts(),
                 QStringList{"The text is not an encrypted text (not valid Base64).\nThe text is left unchanged."});

        QStringList buttons;
        QTimer::singleShot(0, this, [&buttons] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            box->reject();
        });
        kelvara::QtDialogs real;
        QCOMPARE(real.replaceQuestion(nullptr, QStringLiteral("x")), kelvara::Dialogs::ReplaceAnswer::cancel);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Cancel", "No", "Replace all", "Yes"}));
    }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
