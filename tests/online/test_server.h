// A real HTTP server on 127.0.0.1 for the online tests, over http or https: records every request it receives.
// For https it uses a certificate for 127.0.0.1 made once per test run, which only the tests' clients trust.
#pragma once

#include <httplib.h>

#include <QList>
#include <QProcess>
#include <QSslCertificate>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kelvara::test {

enum class Scheme { http, https };

// A self-signed certificate and its key for 127.0.0.1, made with openssl for this test run.
class TestCertificate {
public:
    static const TestCertificate& instance() {
        static const TestCertificate certificate;
        return certificate;
    }
    QString certificatePath() const { return m_folder.filePath(QStringLiteral("cert.pem")); }
    QString keyPath() const { return m_folder.filePath(QStringLiteral("key.pem")); }
    QList<QSslCertificate> certificates() const { return QSslCertificate::fromPath(certificatePath()); }

private:
    TestCertificate() {
        const int status = QProcess::execute(
            QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
             QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
             QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
             QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
             keyPath(), QStringLiteral("-out"), certificatePath()});
        if (status != 0 || certificates().isEmpty())
            throw std::runtime_error("openssl could not make the test certificate (scripts/setup.sh installs it)");
    }
    QTemporaryDir m_folder;
};

class TestServer {
public:
    struct Request {
        std::string method;
        std::string version;
        std::string path;
        httplib::Headers headers;

        std::string header(const std::string& name) const {
            const auto it = headers.find(name);
            return it == headers.end() ? std::string() : it->second;
        }
        bool hasHeader(const std::string& name) const { return headers.count(name) != 0; }
    };

    explicit TestServer(Scheme scheme = Scheme::http) : m_scheme(scheme), m_owned(makeServer(scheme)) {
        m_server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
            std::lock_guard lock(m_mutex);
            m_requests.push_back({request.method, request.version, request.path, request.headers});
            return httplib::Server::HandlerResponse::Unhandled;
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ~TestServer() {
        releaseStalls();
        m_server.stop();
        m_thread.join();
    }

    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    QUrl base() const {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                        .arg(m_scheme == Scheme::https ? QStringLiteral("https") : QStringLiteral("http"))
                        .arg(m_port));
    }
    Scheme scheme() const { return m_scheme; }
    QUrl url(const QString& path) const { return base().resolved(QUrl(path)); }

    // 200 with a Content-Length.
    void serve(const std::string& path, const std::string& body, const std::string& type = "text/plain") {
        m_server.Get(pattern(path), [body, type](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, type);
        });
    }
    // 200 without a Content-Length (chunked transfer).
    void serveChunked(const std::string& path, const std::string& body) {
        m_server.Get(pattern(path), [body](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("application/octet-stream", [body](size_t, httplib::DataSink& sink) {
                sink.write(body.data(), body.size());
                sink.done();
                return true;
            });
        });
    }
    void status(const std::string& path, int code, const std::string& body = "error page") {
        m_server.Get(pattern(path), [code, body](const httplib::Request&, httplib::Response& response) {
            response.status = code;
            response.set_content(body, "text/html");
        });
    }
    void redirect(const std::string& path, const std::string& target) {
        m_server.Get(pattern(path), [target](const httplib::Request&, httplib::Response& response) {
            response.set_redirect(target, 302);
        });
    }
    // Announces length bytes, sends half of them, then drops the connection.
    void dropMidBody(const std::string& path, std::size_t length) {
        m_server.Get(pattern(path), [length](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(length, "application/octet-stream",
                                          [length](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset > 0)
                                                  return false;
                                              const std::string half(length / 2, 'x');
                                              sink.write(half.data(), half.size());
                                              return true;
                                          });
        });
    }
    // Sends nothing until the test ends.
    void stall(const std::string& path) {
        m_server.Get(pattern(path), [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock lock(m_stallMutex);
            m_stallReleased.wait(lock, [this] { return m_stallsReleased; });
            response.set_content("too late", "text/plain");
        });
    }

    std::vector<Request> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int count(const std::string& path) const {
        std::lock_guard lock(m_mutex);
        int n = 0;
        for (const Request& request : m_requests)
            n += request.path == path ? 1 : 0;
        return n;
    }
    int total() const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_requests.size());
    }

    void releaseStalls() {
        {
            std::lock_guard lock(m_stallMutex);
            m_stallsReleased = true;
        }
        m_stallReleased.notify_all();
    }

private:
    static std::unique_ptr<httplib::Server> makeServer(Scheme scheme) {
        if (scheme == Scheme::http)
            return std::make_unique<httplib::Server>();
        const TestCertificate& certificate = TestCertificate::instance();
        return std::make_unique<httplib::SSLServer>(certificate.certificatePath().toLocal8Bit().constData(),
                                                    certificate.keyPath().toLocal8Bit().constData());
    }
    static std::string pattern(const std::string& path) {
        std::string escaped;
        for (char c : path) {
            if (c == '.' || c == '?' || c == '+')
                escaped += '\\';
            escaped += c;
        }
        return escaped;
    }

    Scheme m_scheme;
    std::unique_ptr<httplib::Server> m_owned;
    httplib::Server& m_server = *m_owned;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::mutex m_stallMutex;
    std::condition_variable m_stallReleased;
    bool m_stallsReleased = false;
};

} // namespace kelvara::test

Q_DECLARE_METATYPE(kelvara::test::Scheme)
