// The program's one HTTP client: GET requests (http and https) to the maker's web server, without cookies or
// redirects.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace kelvara {

// How a request ended.
struct HttpResult {
    enum class Outcome {
        success,    // a 2xx reply, received completely
        errorReply, // the server answered with a status outside 200-299 (redirects included)
        failure,    // no complete reply: name resolution, connection, time-out, broken transfer
    };
    Outcome outcome = Outcome::failure;
    int status = 0;  // the reply's status code, 0 when none arrived
    QByteArray body; // filled by fetch() on success
    QString error;   // what went wrong, in clear words (empty on success)

    bool ok() const { return outcome == Outcome::success; }
};

class HttpClient final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTransferTimeout{30000};
    static constexpr qint64 defaultMaxBodyBytes = 16 * 1024 * 1024;

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    // A request that receives nothing for this long fails like a broken connection.
    void setTransferTimeout(std::chrono::milliseconds timeout) { m_transferTimeout = timeout; }
    std::chrono::milliseconds transferTimeout() const { return m_transferTimeout; }

    // Certificate authorities this client trusts besides the system's (a test's own certificate).
    void addTrustedCertificates(const QList<QSslCertificate>& certificates) { m_extraCertificates += certificates; }

    // Starts a GET with the client's settings; nullptr for addresses other than http and https.
    // The caller owns the reply and releases it with deleteLater() once it has finished.
    QNetworkReply* get(const QUrl& url);

    // Fetches the whole body (at most maxBodyBytes) and calls done once with the result, later, from the event
    // loop; done is dropped when context is destroyed first. Returns the reply so that the caller may abort it
    // (done then reports a failure), or nullptr when the address was refused (done still reports it).
    QNetworkReply* fetch(const QUrl& url, QObject* context, std::function<void(const HttpResult&)> done,
                         qint64 maxBodyBytes = defaultMaxBodyBytes);

    // The outcome of a finished reply, without its body.
    static HttpResult resultOf(QNetworkReply* reply);
    // The status code of a reply, 0 when no status line has arrived.
    static int statusCode(const QNetworkReply* reply);
    // http and https only: the client never reads local files or other schemes for the server.
    static bool isSupported(const QUrl& url);

private:
    QNetworkAccessManager* m_manager;
    std::chrono::milliseconds m_transferTimeout = defaultTransferTimeout;
    QList<QSslCertificate> m_extraCertificates;
};

} // namespace kelvara
