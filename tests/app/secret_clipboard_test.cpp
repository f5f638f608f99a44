// The clipboard's secret: its hints, the countdown, and clearing only what is still the secret.
#include "app/secret_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using kelvara::SecretClipboard;

namespace {
QClipboard* clipboard() {
    return QGuiApplication::clipboard();
}
} // namespace

class SecretClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void init() { clipboard()->clear(); }

    void secretCarriesTheHintOfEveryPlatform() {
        SecretClipboard secret(nullptr, std::chrono::hours(1));
        secret.putSecret(QStringLiteral("Kontonummer 1234"));
        const QMimeData* data = clipboard()->mimeData();
        QVERIFY(data != nullptr);
        QCOMPARE(data->text(), QStringLiteral("Kontonummer 1234"));
        QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
        for (const char* format : {"ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory",
                                   "CanUploadToCloudClipboard"})
            QCOMPARE(data->data(QString::fromLatin1(format)), QByteArray(4, '\0'));
        QVERIFY(data->hasFormat(QStringLiteral("org.nspasteboard.ConcealedType")));
        QCOMPARE(secret.statusText(), QStringLiteral("Zwischenablage wird in 30 s geleert"));
    }

    // The countdown runs 30 ticks down to nothing; the clipboard is cleared only while it holds the secret.
    void countdownClearsOnlyAnUnchangedClipboard() {
        SecretClipboard secret(nullptr, std::chrono::milliseconds(2));
        QSignalSpy status(&secret, &SecretClipboard::statusTextChanged);
        secret.putSecret(QStringLiteral("geheim"));
        QTRY_COMPARE(secret.statusText(), QString());
        QCOMPARE(clipboard()->text(), QString());
        QCOMPARE(status.size(), 31);
        QCOMPARE(status.at(1).at(0).toString(), QStringLiteral("Zwischenablage wird in 29 s geleert"));
        QCOMPARE(status.at(29).at(0).toString(), QStringLiteral("Zwischenablage wird in 1 s geleert"));

        // Something else copied meanwhile: the countdown goes at once and the clipboard stays as it is.
        secret.putSecret(QStringLiteral("geheim"));
        clipboard()->setText(QStringLiteral("vom Benutzer kopiert"));
        // Windows tells of the change through a message, so it may come a moment later.
        QTRY_COMPARE(secret.statusText(), QString());
        QTest::qWait(100);
        QCOMPARE(clipboard()->text(), QStringLiteral("vom Benutzer kopiert"));
    }

    // An ordinary text (the encrypted Base64 text) ends the countdown and stays; so does anything the user copied
    // before the program ends, while a secret still there goes with the program.
    void ordinaryTextAndTheEndOfTheProgram() {
        auto secret = std::make_unique<SecretClipboard>(nullptr, std::chrono::milliseconds(2));
        secret->putSecret(QStringLiteral("geheim"));
        secret->putText(QStringLiteral("QmFzZTY0"));
        QCOMPARE(secret->statusText(), QString());
        QTest::qWait(100);
        QCOMPARE(clipboard()->text(), QStringLiteral("QmFzZTY0"));
        QVERIFY(!clipboard()->mimeData()->hasFormat(QStringLiteral("x-kde-passwordManagerHint")));

        secret->putSecret(QStringLiteral("geheim"));
        secret.reset();
        QCOMPARE(clipboard()->text(), QString());
        secret = std::make_unique<SecretClipboard>(nullptr, std::chrono::hours(1));
        secret->putSecret(QStringLiteral("geheim"));
        clipboard()->setText(QStringLiteral("anderes"));
        secret.reset();
        QCOMPARE(clipboard()->text(), QStringLiteral("anderes"));
    }

    // Where the system ignores changes from an inactive program, the secret goes when the program is active again.
    void refusedChangeWaitsForActivation() {
        SecretClipboard secret(nullptr, std::chrono::milliseconds(2), [] { return false; });
        secret.putSecret(QStringLiteral("geheim"));
        QTRY_COMPARE(secret.statusText(),
                     QStringLiteral("Zwischenablage wird geleert, sobald Kelvara wieder aktiv ist"));
        QCOMPARE(clipboard()->text(), QStringLiteral("geheim"));
        emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(clipboard()->text(), QString());
        QCOMPARE(secret.statusText(), QString());
    }
};

QTEST_MAIN(SecretClipboardTest)
#include "secret_clipboard_test.moc"
