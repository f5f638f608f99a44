// The HTTP client against a real server: its headers, no cookies, and how every kind of reply ends.
#include "online/http_client.h"
#include "online/server_url.h"
#include "online_test_support.h"
#include "test_server.h"

#include "kelvara_version.h"

#include <QSignalSpy>
#include <QTest>

#include <optional>

using namespace kelvara;
using kelvara::test::Scheme;
using kelvara::test::TestServer;

Q_DECLARE_METATYPE(HttpResult::Outcome)

namespace {
// Fetches url and waits for the result.
std::optional<HttpResult> fetchAndWait(HttpClient& client, const QUrl& url,
                                       qint64 maxBytes = HttpClient::defaultMaxBodyBytes) {
    QObject context;
    std::optional<HttpResult> result;
    client.fetch(
        url, &context, [&result](const HttpResult& r) { result = r; }, maxBytes);
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, 10000))
        return std::nullopt;
    return result;
}
} // namespace

class HttpClientTest : public QObject {
    Q_OBJECT
private slots:
    void sendsItsHeadersAndNoCookies_data();
    void sendsItsHeadersAndNoCookies();
    void repliesEndAsTheyShould_data();
    void repliesEndAsTheyShould();
    void refusesOtherSchemesWithoutARequest();
    void failsWhenNoServerListens();
    void refusesAnUntrustedCertificate();
    void failsWhenTheBodyIsTooLarge();
    void serverAddressFromBuildOrEnvironment();
};

void HttpClientTest::sendsItsHeadersAndNoCookies_data() {
    QTest::addColumn<Scheme>("scheme");
    kelvara::test::addSchemeRows("page");
}

void HttpClientTest::sendsItsHeadersAndNoCookies() {
    QFETCH(Scheme, scheme);
    TestServer server(scheme);
    server.serve("/page", "hello");
    HttpClient client;
    kelvara::test::trustTestCertificate(client);

    // The first reply tries to set a cookie; the second request must not carry it.
    for (int i = 0; i < 2; ++i) {
        const auto result = fetchAndWait(client, server.url(QStringLiteral("page")));
        QVERIFY(result && result->ok());
    }
    const auto requests = server.requests();
    QCOMPARE(requests.size(), std::size_t{2});
    for (const auto& request : requests) {
        QCOMPARE(request.method, std::string("GET"));
        QCOMPARE(request.version, std::string("HTTP/1.1"));
        QCOMPARE(request.header("Accept"), std::string("text/html, */*"));
        QCOMPARE(request.header("User-Agent"), std::string("Mozilla/3.0 (compatible; Kelvara)"));
        QVERIFY(!request.hasHeader("Cookie"));
    }
}

void HttpClientTest::repliesEndAsTheyShould_data() {
    QTest::addColumn<Scheme>("scheme");
    QTest::addColumn<QString>("path");
    QTest::addColumn<HttpResult::Outcome>("outcome");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");

    using Outcome = HttpResult::Outcome;
    const auto row = [](const char* name, const char* path, Outcome outcome, int status, const char* body) {
        kelvara::test::addSchemeRows(
            name, [=](QTestData& data) { data << QString(path) << outcome << status << QByteArray(body); });
    };
    row("200 with length", "length", Outcome::success, 200, "0123456789");
    row("200 chunked", "chunked", Outcome::success, 200, "abcdefghij");
    row("302 is not followed", "moved", Outcome::errorReply, 302, "");
    row("404", "missing", Outcome::errorReply, 404, "");
    row("500", "broken", Outcome::errorReply, 500, "");
    row("dropped mid-body", "dropped", Outcome::failure, 200, "");
    row("stall", "stall", Outcome::failure, 0, "");
}

void HttpClientTest::repliesEndAsTheyShould() {
    QFETCH(Scheme, scheme);
    QFETCH(QString, path);
    QFETCH(HttpResult::Outcome, outcome);
    QFETCH(int, status);
    QFETCH(QByteArray, body);

    TestServer server(scheme);
    server.serve("/length", "0123456789");
    server.serveChunked("/chunked", "abcdefghij");
    server.serve("/target", "the redirect target");
    server.redirect("/moved", "/target");
    server.status("/missing", 404);
    server.status("/broken", 500);
    server.dropMidBody("/dropped", 100000);
    server.stall("/stall");

    HttpClient client;
    kelvara::test::trustTestCertificate(client);
    client.setTransferTimeout(std::chrono::milliseconds(300));
    const auto result = fetchAndWait(client, server.url(path));
    QVERIFY(result.has_value());
    QCOMPARE(result->outcome, outcome);
    if (outcome != HttpResult::Outcome::failure || status != 0)
        QCOMPARE(result->status, status);
    QCOMPARE(result->body, body);
    QCOMPARE(result->error.isEmpty(), outcome == HttpResult::Outcome::success);
    QCOMPARE(server.count("/target"), 0);
}

void HttpClientTest::refusesOtherSchemesWithoutARequest() {
    kelvara::test::OnlineSandbox sandbox;
    const QString local = sandbox.filesFolder() + QStringLiteral("/secret.txt");
    QVERIFY(kelvara::test::writeAll(local, "secret"));
    HttpClient client;
    QVERIFY(client.get(QUrl::fromLocalFile(local)) == nullptr);
    const auto result = fetchAndWait(client, QUrl::fromLocalFile(local));
    QVERIFY(result.has_value());
    QCOMPARE(result->outcome, HttpResult::Outcome::failure);
    QVERIFY(result->body.isEmpty());
}

void HttpClientTest::failsWhenNoServerListens() {
    QUrl closed;
    {
        TestServer server;
        closed = server.url(QStringLiteral("kelvara.txt"));
    }
    HttpClient client;
    const auto result = fetchAndWait(client, closed);
    QVERIFY(result.has_value());
    QCOMPARE(result->outcome, HttpResult::Outcome::failure);
    QCOMPARE(result->status, 0);
}

void HttpClientTest::refusesAnUntrustedCertificate() {
    TestServer server(Scheme::https);
    server.serve("/kelvara.txt", "9.9.9.9\r\n");
    HttpClient client; // trusts the system's authorities only
    const auto result = fetchAndWait(client, server.url(QStringLiteral("kelvara.txt")));
    QVERIFY(result.has_value());
    QCOMPARE(result->outcome, HttpResult::Outcome::failure);
    QVERIFY(result->body.isEmpty());
}

void HttpClientTest::failsWhenTheBodyIsTooLarge() {
    TestServer server;
    server.serve("/big", std::string(4096, 'b'));
    HttpClient client;
    const auto result = fetchAndWait(client, server.url(QStringLiteral("big")), 1024);
    QVERIFY(result.has_value());
    QCOMPARE(result->outcome, HttpResult::Outcome::failure);
    QVERIFY(result->body.isEmpty());
}

void HttpClientTest::serverAddressFromBuildOrEnvironment() {
    qunsetenv("KELVARA_SERVER_URL");
    QCOMPARE(serverBaseUrl(), withTrailingSlash(QStringLiteral(KELVARA_SERVER_URL_DEFAULT)));
    QVERIFY(serverBaseUrl().toString().endsWith(QLatin1Char('/')));

    qputenv("KELVARA_SERVER_URL", "http://127.0.0.1:8080");
    QCOMPARE(serverBaseUrl(), QUrl(QStringLiteral("http://127.0.0.1:8080/")));
    qputenv("KELVARA_SERVER_URL", "https://www.example.org/kelvara/");
    QCOMPARE(serverBaseUrl().resolved(QUrl(QStringLiteral("nvbanner.php?id=2"))),
             QUrl(QStringLiteral("https://www.example.org/kelvara/nvbanner.php?id=2")));
    qunsetenv("KELVARA_SERVER_URL");
}

QTEST_MAIN(HttpClientTest)
#include "http_client_test.moc"
