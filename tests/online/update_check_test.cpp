// The update check: version comparison, line splitting, installer names, and every path of a check against a
// real server with the exact texts through the message seam.
#include "online/http_client.h"
#include "online/update_check.h"
#include "online/version_number.h"
#include "online_test_support.h"
#include "support/recording_dialogs.h"
#include "test_server.h"

#include <QSignalSpy>
#include <QTest>

using namespace kelvara;
using kelvara::test::OnlineSandbox;
using kelvara::test::RecordingDialogs;
using kelvara::test::TestServer;

namespace {
struct Download {
    QUrl url;
    QString fileName;
    bool startAfterwards;
};
} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT
private slots:
    void comparesPartByPart_data();
    void comparesPartByPart();
    void rejectsWhatIsNoVersion_data();
    void rejectsWhatIsNoVersion();
    void splitsLinesAtEveryLineEnd_data();
    void splitsLinesAtEveryLineEnd();
    void namesTheInstaller_data();
    void namesTheInstaller();
    void checkAgainstTheServer_data();
    void checkAgainstTheServer();
    void noOfferWhenTheServerIsGone();
    void missingInstallerAddressIsReported();
    void onlyOneOfferAtATime();
};

void UpdateCheckTest::comparesPartByPart_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<bool>("newer");

    QTest::newRow("same") << "1.0.3.0"
                          << "1.0.3.0" << false;
    QTest::newRow("build higher") << "1.0.3.1"
                                  << "1.0.3.0" << true;
    QTest::newRow("minor beats a two-digit release") << "1.1.0.0"
                                                     << "1.0.10.0" << true;
    QTest::newRow("release beats a two-digit build") << "1.0.1.0"
                                                     << "1.0.0.12" << true;
    QTest::newRow("two-digit build is not newer") << "1.0.0.12"
                                                  << "1.0.1.0" << false;
    QTest::newRow("release beats build 9") << "1.0.1.0"
                                           << "1.0.0.9" << true;
    QTest::newRow("older major") << "1.9.9.9"
                                 << "2.0.0.0" << false;
    QTest::newRow("missing parts count 0") << "1.0"
                                           << "1.0.0.0" << false;
    QTest::newRow("short newer") << "2"
                                 << "1.9.9.9" << true;
    QTest::newRow("leading zeros") << "1.02.0.0"
                                   << "1.1.0.0" << true;
}

void UpdateCheckTest::comparesPartByPart() {
    QFETCH(QString, server);
    QFETCH(QString, installed);
    QFETCH(bool, newer);
    const auto serverVersion = VersionNumber::parse(server);
    const auto installedVersion = VersionNumber::parse(installed);
    QVERIFY(serverVersion && installedVersion);
    QCOMPARE(*serverVersion > *installedVersion, newer);
}

void UpdateCheckTest::rejectsWhatIsNoVersion_data() {
    QTest::addColumn<QString>("text");
    for (const char* text : {"", "abc", "1..2", "1.2.3.4.5", "1.0a", "-1.0", ".1", "1.", "1234567890", "1,0,3,0"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void UpdateCheckTest::rejectsWhatIsNoVersion() {
    QFETCH(QString, text);
    QVERIFY(!VersionNumber::parse(text).has_value());
}

void UpdateCheckTest::splitsLinesAtEveryLineEnd_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << "1.0.3.1\r\nhttps://h/a.deb\r\n" << QStringList{"1.0.3.1", "https://h/a.deb"};
    QTest::newRow("LF") << "1.0.3.1\nhttps://h/a.deb\n" << QStringList{"1.0.3.1", "https://h/a.deb"};
    QTest::newRow("CR only") << "1.0.3.1\rhttps://h/a.deb\r" << QStringList{"1.0.3.1", "https://h/a.deb"};
    QTest::newRow("no final end") << "1.0.3.1\r\nx" << QStringList{"1.0.3.1", "x"};
    QTest::newRow("empty lines kept") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("mixed") << "a\rb\nc\r\nd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("LF CR is two ends") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("nothing") << "" << QStringList{};
    QTest::newRow("one empty line") << "\r\n" << QStringList{""};
}

void UpdateCheckTest::splitsLinesAtEveryLineEnd() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitLines(text), lines);
}

void UpdateCheckTest::namesTheInstaller_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");
#ifdef Q_OS_WIN
    QTest::newRow("always update.exe") << "https://h/dl/kelvara_1.0.4.deb"
                                       << "update.exe";
#else
    QTest::newRow("last segment") << "https://h/dl/kelvara_1.0.4_amd64.deb"
                                  << "kelvara_1.0.4_amd64.deb";
    QTest::newRow("query ignored") << "https://h/dl/setup.exe?id=2"
                                   << "setup.exe";
    QTest::newRow("no segment") << "https://h/"
                                << "kelvara-update";
    QTest::newRow("no path") << "https://h"
                             << "kelvara-update";
    QTest::newRow("dot dot") << "https://h/dl/%2E%2E"
                             << "kelvara-update";
#endif
}

void UpdateCheckTest::namesTheInstaller() {
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(installerFileName(QUrl(url)), name);
}

void UpdateCheckTest::checkAgainstTheServer_data() {
    QTest::addColumn<QByteArray>("versionFile");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("downloaded");
    QTest::addColumn<bool>("quits");

    const QStringList none;
    const QStringList notPossible{QStringLiteral("Prüfung auf Updates zur Zeit nicht möglich!")};
    const QStringList declined{QStringLiteral(
        "Ohne Update kann diese Software nicht mehr verwendet werden! Bitte installieren Sie das Update!")};
    const QByteArray newer("1.0.3.1\r\nhttps://example.org/dl/kelvara_1.0.3.1.deb\r\n");

    QTest::newRow("same version") << QByteArray("1.0.3.0\r\nhttps://example.org/dl/k.deb\r\n") << true << none << false
                                  << false << false;
    QTest::newRow("older on the server") << QByteArray("1.0.2.9\nhttps://example.org/dl/k.deb\n") << true << none
                                         << false << false << false;
    QTest::newRow("newer, No") << newer << false << declined << true << false << true;
    QTest::newRow("newer, Yes") << newer << true << none << true << true << false;
    QTest::newRow("newer, CR only") << QByteArray("1.0.3.1\rhttps://example.org/dl/kelvara_1.0.3.1.deb\r") << true
                                    << none << true << true << false;
    QTest::newRow("letters") << QByteArray("neu\r\nhttps://example.org/dl/k.deb\r\n") << true << notPossible << false
                             << false << false;
    QTest::newRow("empty line 1") << QByteArray("\r\nhttps://example.org/dl/k.deb\r\n") << true << notPossible << false
                                  << false << false;
    QTest::newRow("empty file") << QByteArray() << true << none << false << false << false;
}

void UpdateCheckTest::checkAgainstTheServer() {
    QFETCH(QByteArray, versionFile);
    QFETCH(bool, answerYes);
    QFETCH(QStringList, messages);
    QFETCH(bool, asked);
    QFETCH(bool, downloaded);
    QFETCH(bool, quits);

    OnlineSandbox sandbox;
    TestServer server;
    server.serve("/kelvara.txt", versionFile.toStdString());
    HttpClient client;
    RecordingDialogs dialogs;
    dialogs.questionAnswers.enqueue(answerYes);
    QList<Download> downloads;
    int quitCount = 0;
    UpdateCheck check(
        client, dialogs, server.base(),
        [&downloads](const QUrl& url, const QString& name, bool start) {
            downloads.append({url, name, start});
        },
        [&quitCount] { ++quitCount; });
    check.setInstalledVersion([] { return QStringLiteral("1.0.3.0"); });

    QSignalSpy finished(&check, &UpdateCheck::checkFinished);
    check.checkUpdates(QStringLiteral("kelvara.txt"));
    QVERIFY(finished.wait(10000));

    QCOMPARE(server.count("/kelvara.txt"), 1);
    QCOMPARE(dialogs.messageTexts(), messages);
    QCOMPARE(dialogs.questions.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(dialogs.questions.first(),
                 QStringLiteral("Eine neuer Version ist verfügbar soll das Update herunter geladen werden?\n\n"
                                "Installierte Version:  1.0.3.0\nneue Version:  1.0.3.1"));
        QCOMPARE(dialogs.questionCaptions.first(), QStringLiteral("UPDATE"));
        // No owner: the main window stays usable while the question waits.
        QCOMPARE(dialogs.questionParents.first(), nullptr);
    }
    QCOMPARE(downloads.size(), downloaded ? 1 : 0);
    if (downloaded) {
        QCOMPARE(downloads.first().url, QUrl(QStringLiteral("https://example.org/dl/kelvara_1.0.3.1.deb")));
        QCOMPARE(downloads.first().fileName, installerFileName(downloads.first().url));
        QVERIFY(downloads.first().startAfterwards);
    }
    QCOMPARE(quitCount, quits ? 1 : 0);
    QVERIFY(sandbox.errors.isEmpty());
    QVERIFY(!check.isBusy());
}

void UpdateCheckTest::noOfferWhenTheServerIsGone() {
    OnlineSandbox sandbox;
    TestServer server;
    server.status("/kelvara.txt", 404);
    server.redirect("/moved.txt", "/kelvara.txt");
    HttpClient client;
    RecordingDialogs dialogs;
    int downloads = 0;
    UpdateCheck check(
        client, dialogs, server.base(), [&downloads](const QUrl&, const QString&, bool) { ++downloads; }, [] {});
    check.setInstalledVersion([] { return QStringLiteral("1.0.0.0"); });
    QSignalSpy finished(&check, &UpdateCheck::checkFinished);

    check.checkUpdates(QStringLiteral("kelvara.txt"));
    QVERIFY(finished.wait(10000));
    check.checkUpdates(QStringLiteral("moved.txt"));
    QVERIFY(finished.wait(10000));

    QUrl closedBase;
    {
        TestServer gone;
        closedBase = gone.base();
    }
    UpdateCheck offline(client, dialogs, closedBase, {}, [] {});
    QSignalSpy offlineFinished(&offline, &UpdateCheck::checkFinished);
    offline.checkUpdates(QStringLiteral("kelvara.txt"));
    QVERIFY(offlineFinished.wait(10000));

    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(dialogs.questions.isEmpty());
    QCOMPARE(downloads, 0);
    QCOMPARE(server.count("/kelvara.txt"), 1);
    QVERIFY(sandbox.errors.isEmpty());
}

void UpdateCheckTest::missingInstallerAddressIsReported() {
    OnlineSandbox sandbox;
    TestServer server;
    server.serve("/kelvara.txt", "1.0.3.1\r\n");
    server.serve("/local.txt", "1.0.3.1\r\nfile:///etc/passwd\r\n");
    HttpClient client;
    RecordingDialogs dialogs;
    dialogs.questionAnswers << true << true;
    int downloads = 0;
    UpdateCheck check(
        client, dialogs, server.base(), [&downloads](const QUrl&, const QString&, bool) { ++downloads; }, [] {});
    check.setInstalledVersion([] { return QStringLiteral("1.0.3.0"); });
    QSignalSpy finished(&check, &UpdateCheck::checkFinished);

    check.checkUpdates(QStringLiteral("kelvara.txt"));
    QVERIFY(finished.wait(10000));
    check.checkUpdates(QStringLiteral("local.txt"));
    QVERIFY(finished.wait(10000));

    QCOMPARE(dialogs.questions.size(), 2);
    QCOMPARE(downloads, 0);
    QCOMPARE(sandbox.errors.size(), 2);
}

void UpdateCheckTest::onlyOneOfferAtATime() {
    OnlineSandbox sandbox;
    TestServer server;
    server.serve("/kelvara.txt", "1.0.3.1\r\nhttps://example.org/dl/k.deb\r\n");
    HttpClient client;
    RecordingDialogs dialogs;
    dialogs.questionAnswers << true << true;
    int downloads = 0;
    UpdateCheck* checkPointer = nullptr;
    UpdateCheck check(
        client, dialogs, server.base(),
        [&](const QUrl&, const QString&, bool) {
            ++downloads;
            // The banner reloads while the download window is open: that check must do nothing.
            checkPointer->checkUpdates(QStringLiteral("kelvara.txt"));
            QTest::qWait(200);
        },
        [] {});
    checkPointer = &check;
    check.setInstalledVersion([] { return QStringLiteral("1.0.3.0"); });
    QSignalSpy finished(&check, &UpdateCheck::checkFinished);

    check.checkUpdates(QStringLiteral("kelvara.txt"));
    check.checkUpdates(QStringLiteral("kelvara.txt")); // while the first request runs
    QVERIFY(finished.wait(10000));
    QTest::qWait(200);

    QCOMPARE(server.count("/kelvara.txt"), 1);
    QCOMPARE(dialogs.questions.size(), 1);
    QCOMPARE(downloads, 1);
    QCOMPARE(finished.size(), 1);

    // Once it is over, the next check asks again.
    check.checkUpdates(QStringLiteral("kelvara.txt"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(dialogs.questions.size(), 2);
}

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
