// HTTP/1.1 GET over a TCP socket: status line, headers, and a body by length, in chunks or up to the close.
#include "online/plain_http_reply.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <algorithm>
#include <cstring>

namespace kelvara {

namespace {
QNetworkReply::NetworkError toReplyError(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::RemoteHostClosedError:
        return QNetworkReply::RemoteHostClosedError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

// One line ended by CR LF (or a lone LF) from the front of buffer; false while the line is incomplete.
bool takeLine(QByteArray& buffer, QByteArray& line) {
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0)
        return false;
    line = buffer.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    buffer.remove(0, end + 1);
    return true;
}
} // namespace

PlainHttpReply::PlainHttpReply(const QUrl& url, const QList<QPair<QByteArray, QByteArray>>& headers,
                               std::chrono::milliseconds transferTimeout, QObject* parent)
    : QNetworkReply(parent), m_socket(new QTcpSocket(this)) {
    setUrl(url);
    setOperation(QNetworkAccessManager::GetOperation);
    setRequest(QNetworkRequest(url));
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);

    m_stallTimer.setSingleShot(true);
    m_stallTimer.setInterval(transferTimeout);
    connect(&m_stallTimer, &QTimer::timeout, this,
            [this] { finish(OperationCanceledError, QStringLiteral("Zeitüberschreitung")); });
    connect(m_socket, &QTcpSocket::connected, this, [this, headers] { sendRequest(headers); });
    connect(m_socket, &QTcpSocket::readyRead, this, &PlainHttpReply::receive);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &PlainHttpReply::socketFailed);
    m_socket->setProxy(QNetworkProxy::NoProxy);
    m_socket->connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    m_stallTimer.start();
}

PlainHttpReply::~PlainHttpReply() = default;

void PlainHttpReply::sendRequest(const QList<QPair<QByteArray, QByteArray>>& headers) {
    QByteArray target = url().path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url().hasQuery())
        target += '?' + url().query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url().host(QUrl::FullyEncoded).toLatin1();
    if (url().port() > 0 && url().port() != 80)
        host += ':' + QByteArray::number(url().port());

    QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto& [name, value] : headers)
        request += name + ": " + value + "\r\n";
    // One request per connection: the reply ends at the latest when the server closes.
    request += "Connection: close\r\n\r\n";
    m_socket->write(request);
    m_stallTimer.start();
}

void PlainHttpReply::receive() {
    if (m_stage == Stage::done)
        return;
    m_stallTimer.start();
    m_incoming += m_socket->readAll();
    if (m_stage == Stage::statusLine || m_stage == Stage::headers) {
        if (!parseHead())
            return;
    }
    if (!parseBody())
        return;
    if (m_stage == Stage::done)
        finish(NoError, {});
}

// Status line and headers; true once they are complete and valid.
bool PlainHttpReply::parseHead() {
    QByteArray line;
    while (m_stage != Stage::body && takeLine(m_incoming, line)) {
        if (m_stage == Stage::statusLine) {
            const QList<QByteArray> parts = line.split(' ');
            bool ok = false;
            const int status = parts.size() >= 2 && parts[0].startsWith("HTTP/1.") ? parts[1].toInt(&ok) : 0;
            if (!ok) {
                finish(ProtocolFailure, QStringLiteral("Ungültige Antwort des Servers"));
                return false;
            }
            setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
            m_stage = Stage::headers;
        } else if (line.isEmpty()) {
            m_stage = Stage::body;
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            setRawHeader(name, value);
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                m_bodyLength = value.toLongLong();
            else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0)
                m_chunked = value.toLower().contains("chunked");
        }
    }
    if (m_stage != Stage::body)
        return false;
    if (m_chunked) {
        m_bodyLength = -1;
        m_stage = Stage::chunkSize;
    } else if (m_bodyLength >= 0) {
        setHeader(QNetworkRequest::ContentLengthHeader, m_bodyLength);
    }
    emit metaDataChanged();
    if (m_bodyLength == 0)
        m_stage = Stage::done;
    return true;
}

// Moves what has arrived of the body into the readable buffer; false when the reply has failed.
bool PlainHttpReply::parseBody() {
    QByteArray line;
    while (!m_incoming.isEmpty() && m_stage != Stage::done) {
        switch (m_stage) {
        case Stage::body: {
            const qint64 wanted =
                m_bodyLength < 0 ? m_incoming.size() : std::min<qint64>(m_incoming.size(), m_bodyLength - m_received);
            takeBody(wanted);
            if (m_bodyLength >= 0 && m_received >= m_bodyLength)
                m_stage = Stage::done;
            break;
        }
        case Stage::chunkSize: {
            if (!takeLine(m_incoming, line))
                return true;
            bool ok = false;
            m_chunkLeft = line.split(';').first().trimmed().toLongLong(&ok, 16);
            if (!ok || m_chunkLeft < 0) {
                finish(ProtocolFailure, QStringLiteral("Ungültige Antwort des Servers"));
                return false;
            }
            m_stage = m_chunkLeft == 0 ? Stage::trailer : Stage::chunkData;
            break;
        }
        case Stage::chunkData: {
            const qint64 wanted = std::min<qint64>(m_incoming.size(), m_chunkLeft);
            takeBody(wanted);
            m_chunkLeft -= wanted;
            if (m_chunkLeft == 0)
                m_stage = Stage::chunkEnd;
            break;
        }
        case Stage::chunkEnd:
            if (!takeLine(m_incoming, line))
                return true;
            m_stage = Stage::chunkSize;
            break;
        case Stage::trailer:
            if (!takeLine(m_incoming, line))
                return true;
            if (line.isEmpty())
                m_stage = Stage::done;
            break;
        default:
            return true;
        }
    }
    return true;
}

void PlainHttpReply::takeBody(qint64 bytes) {
    if (bytes <= 0)
        return;
    m_body += m_incoming.left(bytes);
    m_incoming.remove(0, bytes);
    m_received += bytes;
    emit downloadProgress(m_received, m_bodyLength);
    if (m_stage != Stage::done && !isFinished())
        emit readyRead();
}

void PlainHttpReply::socketFailed() {
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError) {
        connectionClosed();
        return;
    }
    finish(toReplyError(m_socket->error()), m_socket->errorString());
}

// Without a length the body ends with the connection; with one, a close before it is a broken transfer.
void PlainHttpReply::connectionClosed() {
    if (m_stage == Stage::done)
        return;
    m_incoming += m_socket->readAll();
    if (m_stage == Stage::body || m_stage == Stage::chunkSize || m_stage == Stage::chunkData)
        parseBody();
    if (isFinished())
        return;
    if (m_stage == Stage::body && m_bodyLength < 0)
        finish(NoError, {});
    else if (m_stage == Stage::done)
        finish(NoError, {});
    else
        finish(RemoteHostClosedError, QStringLiteral("Der Server hat die Verbindung vorzeitig getrennt"));
}

void PlainHttpReply::abort() {
    finish(OperationCanceledError, QStringLiteral("Abgebrochen"));
}

void PlainHttpReply::finish(NetworkError error, const QString& text) {
    if (isFinished())
        return;
    m_stage = Stage::done;
    m_stallTimer.stop();
    m_socket->disconnect(this);
    m_socket->abort();
    if (error != NoError)
        setError(error, text);
    setFinished(true);
    // The signals come from the event loop: a receiver may delete this reply (and its socket, which may be
    // inside its own signal right now) as soon as it hears that the reply has finished.
    QMetaObject::invokeMethod(
        this,
        [this, error] {
            if (error != NoError)
                emit errorOccurred(error);
            else if (!m_body.isEmpty())
                emit readyRead();
            emit finished();
        },
        Qt::QueuedConnection);
}

qint64 PlainHttpReply::bytesAvailable() const {
    return m_body.size() + QNetworkReply::bytesAvailable();
}

qint64 PlainHttpReply::readData(char* data, qint64 maxSize) {
    const qint64 count = std::min<qint64>(maxSize, m_body.size());
    if (count == 0)
        return isFinished() ? -1 : 0;
    std::memcpy(data, m_body.constData(), static_cast<size_t>(count));
    m_body.remove(0, count);
    return count;
}

} // namespace kelvara
