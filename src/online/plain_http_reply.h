// A GET over plain http that sends exactly the program's own headers (Qt's HTTP layer adds Accept-Language
// whenever a request has none, and the program is German whatever the system's language is).
#pragma once

#include <QNetworkReply>
#include <QTimer>

#include <chrono>

class QTcpSocket;

namespace kelvara {

// Behaves as a reply of QNetworkAccessManager with manual redirects does: a complete answer finishes with
// NoError whatever its status; a transfer that stalls for the timeout fails with OperationCanceledError.
class PlainHttpReply final : public QNetworkReply {
    Q_OBJECT
public:
    PlainHttpReply(const QUrl& url, const QList<QPair<QByteArray, QByteArray>>& headers,
                   std::chrono::milliseconds transferTimeout, QObject* parent = nullptr);
    ~PlainHttpReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;

private:
    enum class Stage { statusLine, headers, body, chunkSize, chunkData, chunkEnd, trailer, done };

    void sendRequest(const QList<QPair<QByteArray, QByteArray>>& headers);
    void receive();
    bool parseHead();
    bool parseBody();
    void takeBody(qint64 bytes);
    void socketFailed();
    void connectionClosed();
    void finish(NetworkError error, const QString& text);

    QTcpSocket* m_socket;
    QTimer m_stallTimer;
    QByteArray m_incoming; // received, not yet parsed
    QByteArray m_body;     // parsed body, not yet read by the user
    Stage m_stage = Stage::statusLine;
    qint64 m_bodyLength = -1; // from Content-Length; -1: until the chunks end or the connection closes
    qint64 m_chunkLeft = 0;
    qint64 m_received = 0;
    bool m_chunked = false;
};

} // namespace kelvara
