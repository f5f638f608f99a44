// HTTP GET with fixed headers, no cookies, no redirects and a transfer time limit, for http and https alike
// through QNetworkAccessManager.
#include "online/http_client.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

#include <limits>
#include <memory>

namespace kelvara {

namespace {

// A cookie jar that keeps nothing and offers nothing, so no cookie is ever sent or stored.
class NoCookieJar final : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl&) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

// Marks replies that the client aborted itself because the body grew beyond the limit.
constexpr const char* tooLargeProperty = "kelvaraBodyTooLarge";

int toMilliseconds(std::chrono::milliseconds timeout) {
    const auto count = timeout.count();
    if (count > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(count < 1 ? 1 : count);
}

QString failureText(QNetworkReply* reply) {
    const QString address = reply->url().toDisplayString();
    if (reply->property(tooLargeProperty).toBool())
        return HttpClient::tr("Die Antwort von %1 ist zu groß.").arg(address);
    switch (reply->error()) {
    case QNetworkReply::OperationCanceledError:
        return HttpClient::tr("Der Server %1 hat zu lange nicht geantwortet (Zeitüberschreitung).").arg(address);
    case QNetworkReply::HostNotFoundError:
        return HttpClient::tr("Der Server von %1 wurde nicht gefunden.").arg(address);
    case QNetworkReply::ConnectionRefusedError:
        return HttpClient::tr("Der Server von %1 hat die Verbindung abgelehnt.").arg(address);
    case QNetworkReply::RemoteHostClosedError:
        return HttpClient::tr("Der Server hat die Verbindung zu %1 vorzeitig getrennt.").arg(address);
    default:
        break;
    }
    return HttpClient::tr("Die Verbindung zu %1 ist fehlgeschlagen: %2").arg(address, reply->errorString());
}

} // namespace

HttpClient::HttpClient(QObject* parent) : QObject(parent), m_manager(new QNetworkAccessManager(this)) {
    m_manager->setCookieJar(new NoCookieJar(m_manager));
    m_manager->setProxy(QNetworkProxy::NoProxy);
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_manager->setStrictTransportSecurityEnabled(false);
}

HttpClient::~HttpClient() = default;

bool HttpClient::isSupported(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QNetworkReply* HttpClient::get(const QUrl& url) {
    if (!isSupported(url))
        return nullptr;
    QNetworkRequest request(url);
    request.setRawHeader("Accept", QByteArrayLiteral("text/html, */*"));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Mozilla/3.0 (compatible; Kelvara)"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(toMilliseconds(m_transferTimeout));
    if (!m_extraCertificates.isEmpty()) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(m_extraCertificates);
        request.setSslConfiguration(configuration);
    }
    return m_manager->get(request);
}

int HttpClient::statusCode(const QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

HttpResult HttpClient::resultOf(QNetworkReply* reply) {
    HttpResult result;
    result.status = statusCode(reply);
    const bool statusOk = result.status >= 200 && result.status <= 299;
    if (statusOk && reply->error() == QNetworkReply::NoError && !reply->property(tooLargeProperty).toBool()) {
        result.outcome = HttpResult::Outcome::success;
    } else if (result.status != 0 && !statusOk) {
        result.outcome = HttpResult::Outcome::errorReply;
        result.error = tr("HTTP-Fehler: %1").arg(result.status);
    } else {
        result.outcome = HttpResult::Outcome::failure;
        result.error = failureText(reply);
    }
    return result;
}

QNetworkReply* HttpClient::fetch(const QUrl& url, QObject* context, std::function<void(const HttpResult&)> done,
                                 qint64 maxBodyBytes) {
    QNetworkReply* reply = get(url);
    if (reply == nullptr) {
        HttpResult refused;
        refused.error = tr("Die Adresse \"%1\" ist keine http- oder https-Adresse.").arg(url.toDisplayString());
        QTimer::singleShot(0, context, [done = std::move(done), refused] { done(refused); });
        return nullptr;
    }
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBodyBytes](qint64 received, qint64) {
        if (received > maxBodyBytes && !reply->property(tooLargeProperty).toBool()) {
            reply->setProperty(tooLargeProperty, true);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, context, [reply, done = std::move(done)] {
        HttpResult result = resultOf(reply);
        if (result.ok())
            result.body = reply->readAll();
        reply->deleteLater();
        done(result);
    });
    // A reply whose context went away first is still released.
    connect(reply, &QNetworkReply::finished, reply, [reply, guard = QPointer<QObject>(context)] {
        if (guard.isNull())
            reply->deleteLater();
    });
    return reply;
}

} // namespace kelvara
