// The download window against a real server: its bar, the file replaced only after success, the failures with
// the old file kept, and the start seam called only after a complete transfer.
#include "online/downloader.h"
#include "online/http_client.h"
#include "online_test_support.h"
#include "support/recording_dialogs.h"
#include "test_server.h"

#include <QProgressBar>
#include <QTest>
#include <QTimer>

using namespace kelvara;
using kelvara::test::OnlineSandbox;
using kelvara::test::RecordingDesktop;
using kelvara::test::RecordingDialogs;
using kelvara::test::Scheme;
using kelvara::test::TestServer;

namespace {
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

// Records the bar while a download runs.
struct BarRecorder {
    QList<int> values;
    QList<int> maximums;
    void follow() {
        QTimer::singleShot(0, [this] {
            auto* window = qobject_cast<Downloader*>(QApplication::activeModalWidget());
            if (window == nullptr)
                return;
            QProgressBar* bar = window->progressBar();
            QObject::connect(bar, &QProgressBar::valueChanged, bar, [this, bar](int value) {
                values.append(value);
                maximums.append(bar->maximum());
            });
        });
    }
};

struct Fixture {
    explicit Fixture(Scheme scheme = Scheme::http) : server(scheme) { kelvara::test::trustTestCertificate(client); }

    OnlineSandbox sandbox;
    TestServer server;
    HttpClient client;
    RecordingDialogs dialogs;
    RecordingDesktop desktop;
    int quits = 0;
    DownloadServices services{client, dialogs, desktop, [this] { ++quits; }};

    QString target() const { return sandbox.updatesFolder() + QStringLiteral("/kelvara-update.deb"); }
};
} // namespace

class DownloaderTest : public QObject {
    Q_OBJECT
private slots:
    void barRunsToFullWithAContentLength_data();
    void barRunsToFullWithAContentLength();
    void barStaysWithoutAContentLength();
    void failuresKeepTheOldFile_data();
    void failuresKeepTheOldFile();
    void unwritableFolderFetchesNothing();
    void showingAgainStartsNoSecondTransfer();
    void windowLooksAsSpecified();
    void startsOnlyWhatCameSafely_data();
    void startsOnlyWhatCameSafely();
};

void DownloaderTest::barRunsToFullWithAContentLength_data() {
    QTest::addColumn<Scheme>("scheme");
    kelvara::test::addSchemeRows("installer");
}

void DownloaderTest::barRunsToFullWithAContentLength() {
    QFETCH(Scheme, scheme);
    Fixture f(scheme);
    const std::string body = pattern(300000);
    f.server.serve("/dl/kelvara-update.deb", body, "application/octet-stream");
    QVERIFY(QDir().mkpath(f.sandbox.updatesFolder()));
    QVERIFY(kelvara::test::writeAll(f.target(), "the old installer"));

    BarRecorder bar;
    bar.follow();
    downloadFile(f.services, f.server.url(QStringLiteral("dl/kelvara-update.deb")),
                 QStringLiteral("kelvara-update.deb"), true);

    QCOMPARE(kelvara::test::readAll(f.target()), QByteArray::fromStdString(body));
    QVERIFY(!bar.values.isEmpty());
    QCOMPARE(bar.values.last(), int(body.size()));
    QCOMPARE(bar.maximums.last(), int(body.size()));
    QVERIFY(std::is_sorted(bar.values.begin(), bar.values.end()));
    QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.target())});
    QCOMPARE(f.sandbox.filesIn(f.sandbox.updatesFolder()), QStringList{QStringLiteral("kelvara-update.deb")});
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.quits, 0);
    QCOMPARE(f.server.count("/dl/kelvara-update.deb"), 1);
}

void DownloaderTest::barStaysWithoutAContentLength() {
    Fixture f;
    const std::string body = pattern(200000);
    f.server.serveChunked("/dl/kelvara-update.deb", body);

    BarRecorder bar;
    bar.follow();
    downloadFile(f.services, f.server.url(QStringLiteral("dl/kelvara-update.deb")),
                 QStringLiteral("kelvara-update.deb"), false);

    QCOMPARE(kelvara::test::readAll(f.target()), QByteArray::fromStdString(body));
    QVERIFY(bar.values.isEmpty());
    QVERIFY(f.desktop.opened.isEmpty()); // not asked to start it
    QVERIFY(f.sandbox.errors.isEmpty());
}

void DownloaderTest::failuresKeepTheOldFile_data() {
    QTest::addColumn<Scheme>("scheme");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message"); // empty: reported as an unexpected error instead
    const auto row = [](const char* name, const char* path, const char* message) {
        kelvara::test::addSchemeRows(name, [=](QTestData& data) { data << QString(path) << QString(message); });
    };
    row("404", "missing", "HTTP-Fehler: 404");
    row("302", "moved", "HTTP-Fehler: 302");
    row("dropped mid-body", "dropped", "");
    row("stall", "stall", "");
}

void DownloaderTest::failuresKeepTheOldFile() {
    QFETCH(Scheme, scheme);
    QFETCH(QString, path);
    QFETCH(QString, message);

    Fixture f(scheme);
    f.server.status("/missing", 404);
    f.server.redirect("/moved", "/elsewhere.deb");
    f.server.serve("/elsewhere.deb", "redirected body");
    f.server.dropMidBody("/dropped", 400000);
    f.server.stall("/stall");
    f.client.setTransferTimeout(std::chrono::milliseconds(300));
    QVERIFY(QDir().mkpath(f.sandbox.updatesFolder()));
    QVERIFY(kelvara::test::writeAll(f.target(), "the old installer"));

    downloadFile(f.services, f.server.url(path), QStringLiteral("kelvara-update.deb"), true);

    QCOMPARE(kelvara::test::readAll(f.target()), QByteArray("the old installer"));
    QCOMPARE(f.sandbox.filesIn(f.sandbox.updatesFolder()), QStringList{QStringLiteral("kelvara-update.deb")});
    QVERIFY(f.desktop.opened.isEmpty());
    QCOMPARE(f.server.count("/elsewhere.deb"), 0);
    if (message.isEmpty()) {
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.sandbox.errors.size(), 1);
        QCOMPARE(f.quits, 0);
    } else {
        QCOMPARE(f.dialogs.messageTexts(), QStringList{message});
        QVERIFY(f.sandbox.errors.isEmpty());
        QCOMPARE(f.quits, 1);
    }
}

void DownloaderTest::unwritableFolderFetchesNothing() {
    Fixture f;
    f.server.serve("/dl/kelvara-update.deb", "body");
    setUserDataFolderOverride(f.sandbox.impossibleFolder());

    downloadFile(f.services, f.server.url(QStringLiteral("dl/kelvara-update.deb")),
                 QStringLiteral("kelvara-update.deb"), true);

    QCOMPARE(f.server.total(), 0);
    QCOMPARE(f.sandbox.errors.size(), 1);
    QVERIFY(f.desktop.opened.isEmpty());
    QCOMPARE(f.quits, 0);
}

void DownloaderTest::showingAgainStartsNoSecondTransfer() {
    Fixture f;
    f.server.serve("/dl/kelvara-update.deb", pattern(1000), "application/octet-stream");
    Downloader window(f.client, f.server.url(QStringLiteral("dl/kelvara-update.deb")),
                      QStringLiteral("kelvara-update.deb"), f.sandbox.filesFolder());
    window.show();
    window.hide();
    window.exec();
    QCOMPARE(window.outcome(), Downloader::Outcome::success);
    QCOMPARE(f.server.count("/dl/kelvara-update.deb"), 1);
}

void DownloaderTest::windowLooksAsSpecified() {
    Fixture f;
    Downloader window(f.client, QUrl(QStringLiteral("https://example.org/x")), QStringLiteral("x"),
                      f.sandbox.filesFolder());
    QCOMPARE(window.windowTitle(), QStringLiteral("Downloader"));
    QCOMPARE(window.size(), QSize(412, 61));
    QVERIFY(window.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!(window.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
    QCOMPARE(window.progressBar()->geometry(), QRect(8, 24, 393, 17));
    QCOMPARE(window.progressBar()->value(), 0);
    QCOMPARE(window.progressBar()->maximum(), 100);
    QCOMPARE(window.downLoadedFile(), f.sandbox.filesFolder() + QStringLiteral("/x"));
}

void DownloaderTest::startsOnlyWhatCameSafely_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("mayStart");
    QTest::newRow("https") << "https://example.org/dl/k.deb" << true;
    QTest::newRow("http elsewhere") << "http://example.org/dl/k.deb" << false;
    QTest::newRow("http loopback v4") << "http://127.0.0.1:8080/k.deb" << true;
    QTest::newRow("http loopback v6") << "http://[::1]:8080/k.deb" << true;
    QTest::newRow("http localhost") << "http://localhost/k.deb" << true;
    QTest::newRow("http private net") << "http://192.168.1.2/k.deb" << false;
}

void DownloaderTest::startsOnlyWhatCameSafely() {
    QFETCH(QString, url);
    QFETCH(bool, mayStart);
    QCOMPARE(mayStartDownloadedFile(QUrl(url)), mayStart);
}

QTEST_MAIN(DownloaderTest)
#include "downloader_test.moc"
