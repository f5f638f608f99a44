// Streams a download into a temporary file beside the target and commits it only after a complete transfer.
#include "online/downloader.h"

#include "online/http_client.h"
#include "online/release_check.h"
#include "online/screen_centre.h"
#include "online/update_location.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "ui/unexpected_error.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkReply>
#include <QProgressBar>
#include <QSaveFile>
#include <QTimer>

#include <limits>

namespace kelvara {

namespace {
constexpr qint64 chunkBytes = 64 * 1024;

bool isSuccessStatus(int status) {
    return status >= 200 && status <= 299;
}
} // namespace

Downloader::Downloader(HttpClient& client, const QUrl& url, const QString& fileName, const QString& folder,
                       QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_client(client), m_url(url),
      m_fileName(fileName), m_downLoadedFile(QDir(folder).filePath(fileName)), m_progressBar(new QProgressBar(this)) {
    setObjectName(QStringLiteral("Downloader"));
    setWindowTitle(tr("Downloader"));
    setFixedSize(412, 61);
    setModal(true);
    QFont tahoma;
    tahoma.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    tahoma.setPixelSize(11);
    setFont(tahoma);

    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setGeometry(8, 24, 393, 17);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
}

Downloader::~Downloader() {
    if (m_reply != nullptr) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void Downloader::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    centreOnScreen(this);
    // Let the window paint first, then start.
    QTimer::singleShot(0, this, &Downloader::startTransfer);
}

void Downloader::closeEvent(QCloseEvent* event) {
    if (m_outcome == Outcome::notFinished)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void Downloader::reject() {
    if (m_outcome != Outcome::notFinished)
        QDialog::reject();
}

void Downloader::startTransfer() {
    if (!HttpClient::isSupported(m_url)) {
        finish(Outcome::failure,
               tr("Die Adresse \"%1\" ist keine http- oder https-Adresse.").arg(m_url.toDisplayString()));
        return;
    }
    // The body goes into a temporary file beside the target; the target is replaced only by commit().
    m_file = new QSaveFile(m_downLoadedFile, this);
    if (!m_file->open(QIODevice::WriteOnly)) {
        finish(Outcome::failure, tr("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                                     .arg(QDir::toNativeSeparators(m_downLoadedFile), m_file->errorString()));
        return;
    }
    m_reply = m_client.get(m_url);
    m_reply->setReadBufferSize(chunkBytes);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &Downloader::httpWork);
    connect(m_reply, &QNetworkReply::readyRead, this, &Downloader::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &Downloader::transferFinished);
}

void Downloader::httpWork(qint64 received, qint64) {
    // Only the length the reply announced counts: without a Content-Length the bar stays where it is (Qt reports
    // the received size as the total at the end).
    bool announced = false;
    const qint64 total =
        m_reply == nullptr ? 0 : m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    if (!announced || total <= 0)
        return;
    // Bars count in int: scale sizes of 2 GiB and more down until they fit.
    int shift = 0;
    while ((total >> shift) > std::numeric_limits<int>::max())
        ++shift;
    m_progressBar->setRange(0, static_cast<int>(total >> shift));
    m_progressBar->setValue(static_cast<int>(qMin(received, total) >> shift));
}

void Downloader::readBody() {
    if (m_reply == nullptr || m_writeFailed)
        return;
    // The body of an error reply is not the file: it is read and dropped.
    if (!isSuccessStatus(HttpClient::statusCode(m_reply))) {
        while (m_reply->bytesAvailable() > 0)
            m_reply->read(chunkBytes);
        return;
    }
    while (m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(chunkBytes);
        if (m_file->write(chunk) != chunk.size()) {
            m_writeFailed = true;
            if (!m_reply->isFinished())
                m_reply->abort();
            return;
        }
    }
}

void Downloader::transferFinished() {
    readBody();
    const HttpResult result = HttpClient::resultOf(m_reply);
    m_statusCode = result.status;
    m_reply->deleteLater();
    m_reply = nullptr;

    if (m_writeFailed) {
        const QString reason = m_file->errorString();
        m_file->cancelWriting();
        m_file->commit();
        finish(Outcome::failure, tr("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                                     .arg(QDir::toNativeSeparators(m_downLoadedFile), reason));
        return;
    }
    if (!result.ok()) {
        m_file->cancelWriting();
        m_file->commit(); // removes the temporary file, leaves an existing file as it was
        finish(result.outcome == HttpResult::Outcome::errorReply ? Outcome::errorReply : Outcome::failure,
               result.outcome == HttpResult::Outcome::errorReply ? QString() : result.error);
        return;
    }
    if (!m_file->commit()) {
        finish(Outcome::failure, tr("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                                     .arg(QDir::toNativeSeparators(m_downLoadedFile), m_file->errorString()));
        return;
    }
    finish(Outcome::success);
}

void Downloader::finish(Outcome outcome, const QString& errorText) {
    m_outcome = outcome;
    m_errorText = errorText;
    done(outcome == Outcome::success ? QDialog::Accepted : QDialog::Rejected);
}

bool mayStartDownloadedFile(const QUrl& source) {
    if (source.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        return true;
    const QString host = source.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

void downloadFile(DownloadServices& services, const QUrl& url, const QString& fileName, bool startAfterwards) {
    const QString folder = installerFolder();
    if (folder.isEmpty()) {
        reportUnexpectedError(Downloader::tr("Der Ordner für das Update kann nicht angelegt werden: %1")
                                  .arg(QDir::toNativeSeparators(userDataFolder())));
        return;
    }
    Downloader window(services.client, url, fileName, folder);
    window.exec();

    switch (window.outcome()) {
    case Downloader::Outcome::errorReply:
        services.dialogs.message(nullptr, Downloader::tr("HTTP-Fehler: %1").arg(window.statusCode()));
        if (services.quit)
            services.quit();
        return;
    case Downloader::Outcome::failure:
    case Downloader::Outcome::notFinished:
        reportUnexpectedError(
            window.errorText().isEmpty()
                ? Downloader::tr("Das Update konnte nicht geladen werden.")
                : Downloader::tr("Das Update konnte nicht geladen werden. %1").arg(window.errorText()));
        return;
    case Downloader::Outcome::success:
        break;
    }
    if (!startAfterwards)
        return;
    const QString path = QDir::toNativeSeparators(window.downLoadedFile());
    if (services.releaseKey) {
        const QByteArray signatureText = fetchSignature(services.client, url);
        if (signatureText.isEmpty() || !isSignedFile(*services.releaseKey, signatureText, window.downLoadedFile())) {
            QFile::remove(window.downLoadedFile());
            services.dialogs.message(nullptr, Downloader::tr(unsignedUpdateText), {}, Dialogs::Icon::warning);
            return;
        }
    } else if (!mayStartDownloadedFile(url)) {
        services.dialogs.message(
            nullptr,
            Downloader::tr("Das Update wurde über eine unverschlüsselte Verbindung (http) geladen und wird deshalb "
                           "nicht automatisch gestartet, denn unterwegs könnte es verändert worden sein. Die Datei "
                           "liegt unter:\n%1")
                .arg(path),
            {}, Dialogs::Icon::warning);
        return;
    }
    if (!services.desktop.open(QUrl::fromLocalFile(window.downLoadedFile())))
        services.dialogs.message(
            nullptr, Downloader::tr("Das Update konnte nicht gestartet werden. Die Datei liegt unter:\n%1").arg(path),
            {}, Dialogs::Icon::warning);
}

} // namespace kelvara
