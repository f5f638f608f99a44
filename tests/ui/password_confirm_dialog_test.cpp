// The real "Passwort bestätigen" dialog behind the Dialogs seam: modal over its owner, centred, the hint only
// when there is one, and what was typed handed back on OK only.
#include "ui/dialogs.h"
#include "ui/password_confirm_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using kelvara::PasswordConfirmDialog;

class PasswordConfirmDialogTest : public QObject {
    Q_OBJECT

private slots:
    void asksOnceMoreOverItsOwner_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("accepted");
        const QString hint = QStringLiteral("Kurzes Passwort: mit weniger als 12 Zeichen ist es schnell erraten.");
        QTest::newRow("short, OK") << hint << "geheim"
                                   << "OK" << true;
        QTest::newRow("long, OK") << QString() << "ein langes Passwort"
                                  << "OK" << true;
        QTest::newRow("Abbrechen") << hint << "geheim"
                                   << "Abbrechen" << false;
    }

    void asksOnceMoreOverItsOwner() {
        QFETCH(QString, hint);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(bool, accepted);
        QWidget owner;
        owner.setGeometry(200, 150, 625, 540);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        // Looked at from inside the dialog's wait, then answered.
        QString title;
        bool modal = false;
        QPoint offCentre(1000, 1000);
        bool hintShown = false;
        QString hintText;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        QString fieldName;
        QString fieldDescription;
        QStringList buttons;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<PasswordConfirmDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible())
                return;
            poll.stop();
            title = dialog->windowTitle();
            modal = dialog->isModal();
            offCentre = dialog->frameGeometry().center() - owner.frameGeometry().center();
            const auto* hintLabel = dialog->findChild<QLabel*>(QStringLiteral("passwordHint"));
            hintShown = hintLabel->isVisible();
            hintText = hintLabel->text();
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("repeatedPassword"));
            echo = field->echoMode();
            fieldName = field->accessibleName();
            fieldDescription = field->accessibleDescription();
            QTest::keyClicks(field, typed);
            QPushButton* chosen = nullptr;
            for (QPushButton* candidate : dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>()) {
                buttons << candidate->text();
                if (candidate->text() == button)
                    chosen = candidate;
            }
            QVERIFY(chosen != nullptr);
            chosen->click();
        });
        poll.start(10);

        kelvara::QtDialogs dialogs;
        const std::optional<QString> repeated = dialogs.repeatPassword(&owner, hint);
        QCOMPARE(title, QStringLiteral("Passwort bestätigen"));
        QVERIFY(modal);
        QVERIFY2(std::abs(offCentre.x()) <= 2 && std::abs(offCentre.y()) <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        QCOMPARE(hintShown, !hint.isEmpty());
        QCOMPARE(hintText, hint);
        QCOMPARE(echo, QLineEdit::Password);
        // A screen reader names the field and reads the prompt, and the hint when there is one.
        QCOMPARE(fieldName, QStringLiteral("Passwort wiederholen"));
        QVERIFY(fieldDescription.startsWith(QStringLiteral("Bitte geben Sie das Passwort")));
        QVERIFY(hint.isEmpty() ? !fieldDescription.contains(QStringLiteral("Kurzes"))
                               : fieldDescription.endsWith(hint));
        QCOMPARE(buttons, (QStringList{"OK", "Abbrechen"}));
        QCOMPARE(repeated.has_value(), accepted);
        if (accepted)
            QCOMPARE(*repeated, typed);
    }
};

QTEST_MAIN(PasswordConfirmDialogTest)
#include "password_confirm_dialog_test.moc"
