// The update check: version comparison, line splitting, installer names, every path of a check against a
// real server with the exact texts through the message seam, and the whole update path over http and https:
// where the installer lands and which releases are started with and without a release key.
#include "online/downloader.h"
#include "online/http_client.h"
#include "online/update_check.h"
#include "online/update_location.h"
#include "online/version_number.h"
#include "online_test_support.h"
#include "support/recording_dialogs.h"
#include "test_server.h"

#include <QSignalSpy>
#include <QTest>

using namespace kelvara;
using kelvara::test::MinisignKey;
using kelvara::test::OnlineSandbox;
using kelvara::test::RecordingDesktop;
using kelvara::test::RecordingDialogs;
using kelvara::test::Scheme;
using kelvara::test::TestServer;

namespace {
struct Download {
    QUrl url;
    QString fileName;
    bool startAfterwards;
};

// How a file of a release is signed on the test server.
enum class Signed { byMaker, tampered, missing, byStranger, legacyByMaker };

// The whole update path as the program wires it: the check, the question, the download window and the start.
struct UpdatePath {
    explicit UpdatePath(Scheme scheme) : server(scheme) { kelvara::test::trustTestCertificate(client); }

    void setReleaseKey(std::optional<signature::PublicKey> key) {
        services.releaseKey = key;
        check.setReleaseKey(key);
    }
    // The version file that offers version 9.9.9.9 with the installer at installerPath below the server.
    QByteArray versionFileFor(const QString& installerPath) const {
        return "9.9.9.9\r\n" + server.base().toString().toUtf8() + installerPath.toUtf8() + "\r\n";
    }
    // Serves that version file (and its signature, when one is given) and runs one check to its end.
    bool offer(const QString& installerPath, const QByteArray& versionFileSignature = {}) {
        server.serve("/kelvara.txt", versionFileFor(installerPath).toStdString());
        if (!versionFileSignature.isEmpty())
            server.serve("/kelvara.txt.minisig", versionFileSignature.toStdString());
        check.setInstalledVersion([] { return QStringLiteral("1.0.3.0"); });
        QSignalSpy finished(&check, &UpdateCheck::checkFinished);
        check.checkUpdates(QStringLiteral("kelvara.txt"));
        return finished.wait(20000);
    }

    OnlineSandbox sandbox;
    TestServer server;
    HttpClient client;
    RecordingDialogs dialogs;
    RecordingDesktop desktop;
    int quits = 0;
    DownloadServices services{client, dialogs, desktop, [this] { ++quits; }};
    UpdateCheck check{
        client, dialogs, server.base(),
        [this](const QUrl& url, const QString& name, bool start) { downloadFile(services, url, name, start); },
        [this] { ++quits; }};
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
    void installerNeverReplacesAProgramFile_data();
    void installerNeverReplacesAProgramFile();
    void onlySignedReleasesAreStarted_data();
    void onlySignedReleasesAreStarted();
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
    const char* const rows[][2] = {
        {"https://h/dl/kelvara_1.0.4_amd64.deb", "kelvara-update.deb"},
        {"https://h/dl/kelvara-1.0.4.x86_64.rpm", "kelvara-update.rpm"},
        {"https://h/dl/Kelvara-1.0.4.AppImage", "kelvara-update.AppImage"},
        {"https://h/dl/kelvara-1.0.4.TAR.GZ", "kelvara-update.tar.gz"},
        {"https://h/dl/kelvara-1.0.4.tar.xz", "kelvara-update.tar.xz"},
        {"https://h/dl/kelvara.zip?id=2", "kelvara-update.zip"},
        {"https://h/dl/setup.exe", "kelvara-update"},
        {"https://h/dl/kelvara", "kelvara-update"},
        {"https://h/dl/Kelvara.kvs", "kelvara-update"},
        {"https://h/dl/.deb", "kelvara-update"},
        {"https://h/dl/x.deb.sh", "kelvara-update"},
        {"https://h/dl/%2E%2E", "kelvara-update"},
        {"https://h/", "kelvara-update"},
        {"https://h", "kelvara-update"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
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

void UpdateCheckTest::installerNeverReplacesAProgramFile_data() {
    QTest::addColumn<Scheme>("scheme");
    QTest::addColumn<QString>("installerPath");
    for (const char* path : {"dl/kelvara", "dl/kelvara-cli", "dl/Kelvara.kvs", "dl/../x"})
        kelvara::test::addSchemeRows(path, [path](QTestData& row) { row << QString::fromLatin1(path); });
}

void UpdateCheckTest::installerNeverReplacesAProgramFile() {
    QFETCH(Scheme, scheme);
    QFETCH(QString, installerPath);
    UpdatePath path(scheme);
    // The program folder of a portable install, writable by the user.
    const QString program = path.sandbox.filesFolder();
    const QStringList programFiles{QStringLiteral("Kelvara.kvs"), QStringLiteral("kelvara"),
                                   QStringLiteral("kelvara-cli"), QStringLiteral("x")};
    for (const QString& name : programFiles)
        QVERIFY(kelvara::test::writeAll(program + QLatin1Char('/') + name, "program file " + name.toUtf8()));
    for (const char* served : {"/dl/kelvara", "/dl/kelvara-cli", "/dl/Kelvara.kvs", "/x", "/dl/../x"})
        path.server.serve(served, "from the server");
    path.dialogs.questionAnswers.enqueue(true);

    QVERIFY(path.offer(installerPath));

    QStringList inProgramFolder = path.sandbox.filesIn(program);
    inProgramFolder.sort();
    QCOMPARE(inProgramFolder, programFiles);
    for (const QString& name : programFiles)
        QCOMPARE(kelvara::test::readAll(program + QLatin1Char('/') + name), "program file " + name.toUtf8());
    const QString installer = path.sandbox.updatesFolder() + QStringLiteral("/kelvara-update");
    QCOMPARE(path.sandbox.filesIn(path.sandbox.updatesFolder()), QStringList{QStringLiteral("kelvara-update")});
    QCOMPARE(kelvara::test::readAll(installer), QByteArray("from the server"));
    const auto others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(path.sandbox.updatesFolder()) & others, QFile::Permissions());
    // Without a release key, what came from this computer is started.
    QCOMPARE(path.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(installer)});
    QVERIFY(path.sandbox.errors.isEmpty());
}

void UpdateCheckTest::onlySignedReleasesAreStarted_data() {
    QTest::addColumn<Scheme>("scheme");
    QTest::addColumn<bool>("withKey");
    QTest::addColumn<int>("versionFileSigned");
    QTest::addColumn<int>("installerSigned");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("started");
    const auto row = [](const char* name, bool withKey, Signed versionFile, Signed installer, bool asked,
                        bool started) {
        kelvara::test::addSchemeRows(
            name, [=](QTestData& data) { data << withKey << int(versionFile) << int(installer) << asked << started; });
    };
    row("signed release", true, Signed::byMaker, Signed::byMaker, true, true);
    row("legacy signatures", true, Signed::legacyByMaker, Signed::legacyByMaker, true, true);
    row("tampered installer", true, Signed::byMaker, Signed::tampered, true, false);
    row("unsigned installer", true, Signed::byMaker, Signed::missing, true, false);
    row("installer signed by another key", true, Signed::byMaker, Signed::byStranger, true, false);
    row("tampered version file", true, Signed::tampered, Signed::byMaker, false, false);
    row("unsigned version file", true, Signed::missing, Signed::byMaker, false, false);
    row("version file signed by another key", true, Signed::byStranger, Signed::byMaker, false, false);
    row("no key built in", false, Signed::missing, Signed::missing, true, true);
}

void UpdateCheckTest::onlySignedReleasesAreStarted() {
    QFETCH(Scheme, scheme);
    QFETCH(bool, withKey);
    QFETCH(int, versionFileSigned);
    QFETCH(int, installerSigned);
    QFETCH(bool, asked);
    QFETCH(bool, started);

    static const MinisignKey maker;
    static const MinisignKey stranger;
    // The signature of content as the row wants it; empty: none on the server.
    const auto signatureOf = [](int how, const QByteArray& content) {
        switch (Signed(how)) {
        case Signed::byMaker:
            return maker.sign(content);
        case Signed::legacyByMaker:
            return maker.sign(content, true);
        case Signed::tampered:
            return maker.sign(content + "x");
        case Signed::byStranger:
            return stranger.sign(content);
        case Signed::missing:
            break;
        }
        return QByteArray();
    };

    UpdatePath path(scheme);
    if (withKey)
        path.setReleaseKey(maker.publicKey);
    const QByteArray installer(100000, 'i');
    path.server.serve("/dl/kelvara_9.9.9.9_amd64.deb", installer.toStdString());
    const QByteArray installerSignature = signatureOf(installerSigned, installer);
    if (!installerSignature.isEmpty())
        path.server.serve("/dl/kelvara_9.9.9.9_amd64.deb.minisig", installerSignature.toStdString());
    // Yes to an honest offer; No to a forged one, which would end the program if it were asked at all.
    path.dialogs.questionAnswers.enqueue(asked);

    const QString installerPath = QStringLiteral("dl/kelvara_9.9.9.9_amd64.deb");
    QVERIFY(path.offer(installerPath, signatureOf(versionFileSigned, path.versionFileFor(installerPath))));

    QCOMPARE(path.dialogs.questions.size(), asked ? 1 : 0);
    QCOMPARE(path.quits, 0);
    QVERIFY(path.sandbox.errors.isEmpty());
    const QString target = path.sandbox.updatesFolder() + QStringLiteral("/kelvara-update.deb");
    if (!asked) {
        QVERIFY(path.dialogs.messages.isEmpty());
        QCOMPARE(path.server.count("/dl/kelvara_9.9.9.9_amd64.deb"), 0);
    } else if (started) {
        QVERIFY(path.dialogs.messages.isEmpty());
        QCOMPARE(kelvara::test::readAll(target), installer);
        QCOMPARE(path.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(target)});
    } else {
        QCOMPARE(path.dialogs.messageTexts(), QStringList{QString::fromUtf8(unsignedUpdateText)});
        QVERIFY(path.desktop.opened.isEmpty());
        QVERIFY(!QFile::exists(target));
    }
}

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
