// Page display, picture fetching and animation for the banner view.
#include "online/banner_view.h"

#include "online/http_client.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QNetworkReply>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

namespace kelvara {

namespace {
bool isRemote(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// The file-system path or resource path behind a local picture address; empty when it is none.
QString localPath(const QUrl& url) {
    if (url.isLocalFile())
        return url.toLocalFile();
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("qrc"))
        return QLatin1Char(':') + url.path();
    if (scheme.isEmpty())
        return url.path();
    // A Windows path such as C:\Program Files\Kelvara\Kelvaraadv.gif reads as the scheme "c".
    if (scheme.size() == 1)
        return QUrl::fromPercentEncoding(url.toEncoded());
    return {};
}
} // namespace

BannerView::BannerView(HttpClient& client, QWidget* parent) : QTextBrowser(parent), m_client(client) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    // Pages lie flush in the strip, as their margin-free bodies ask; Qt's documents keep 4 pixels by default.
    document()->setDocumentMargin(0);
}

BannerView::~BannerView() {
    stopPage();
}

void BannerView::stopPage() {
    ++m_generation;
    for (const QPointer<QNetworkReply>& request : std::as_const(m_requests)) {
        if (!request.isNull())
            request->abort();
    }
    m_requests.clear();
    qDeleteAll(m_movies);
    m_movies.clear();
    m_pending.clear();
    m_shown.clear();
}

void BannerView::showPage(const QString& html, const QUrl& baseUrl, bool allowLocalPictures) {
    stopPage();
    m_html = html;
    m_baseUrl = baseUrl;
    m_allowLocalPictures = allowLocalPictures;
    m_completeSent = false;
    document()->setBaseUrl(baseUrl);
    setHtml(html);

    const QStringList sources = pictureSources();
    for (const QString& source : sources) {
        const QUrl url = resolve(source);
        if (m_pending.contains(url) || m_shown.contains(url) || m_pending.size() >= maxPictures)
            continue;
        loadPicture(url);
    }
    // Report completion from the event loop, as a browser does, also for a page without pictures.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            finishIfComplete();
    });
}

QUrl BannerView::resolve(const QString& source) const {
    // The same resolution as QTextDocument::resource(), so that added pictures are found under this address.
    return m_baseUrl.resolved(QUrl(source));
}

QStringList BannerView::pictureSources() const {
    QStringList sources;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                sources.append(format.toImageFormat().name());
        }
    }
    return sources;
}

void BannerView::loadPicture(const QUrl& url) {
    if (isRemote(url)) {
        m_pending.insert(url);
        const quint64 generation = m_generation;
        QNetworkReply* request = m_client.fetch(
            url, this,
            [this, url, generation](const HttpResult& result) {
                if (generation != m_generation)
                    return;
                if (result.ok())
                    pictureArrived(url, result.body);
                pictureDone(url);
            },
            maxPictureBytes);
        if (request != nullptr)
            m_requests.append(request);
        return;
    }
    const QString path = localPath(url);
    if (!m_allowLocalPictures || path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= maxPictureBytes)
        pictureArrived(url, file.readAll());
}

void BannerView::pictureArrived(const QUrl& url, const QByteArray& bytes) {
    auto* buffer = new QBuffer;
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    QImageReader probe(buffer);
    const bool animated = probe.supportsAnimation() && probe.imageCount() != 1;
    buffer->seek(0);

    if (animated) {
        auto* movie = new QMovie(this);
        buffer->setParent(movie);
        movie->setDevice(buffer);
        movie->setCacheMode(QMovie::CacheAll);
        connect(movie, &QMovie::frameChanged, this, [this, movie, url] {
            document()->addResource(QTextDocument::ImageResource, url, movie->currentPixmap());
            viewport()->update();
        });
        m_movies.insert(url, movie);
        movie->start();
        if (!movie->isValid()) {
            m_movies.remove(url);
            delete movie;
            return;
        }
    } else {
        const QImage image = QImage::fromData(bytes);
        delete buffer;
        if (image.isNull())
            return;
        document()->addResource(QTextDocument::ImageResource, url, image);
    }
    m_shown.insert(url);
    // The picture's real size replaces the placeholder's: lay the page out again.
    document()->markContentsDirty(0, document()->characterCount());
}

void BannerView::pictureDone(const QUrl& url) {
    m_pending.remove(url);
    finishIfComplete();
}

void BannerView::finishIfComplete() {
    if (m_completeSent || !m_pending.isEmpty())
        return;
    m_completeSent = true;
    emit documentComplete();
}

bool BannerView::isAnimated(const QUrl& picture) const {
    const QMovie* movie = m_movies.value(picture);
    return movie != nullptr && movie->state() == QMovie::Running;
}

bool BannerView::hasPicture(const QUrl& picture) const {
    return m_shown.contains(picture);
}

QVariant BannerView::loadResource(int type, const QUrl& name) {
    // Pictures arrive through addResource once fetched; nothing else is ever read from disk or the network,
    // so a page cannot make the view open local files.
    Q_UNUSED(type);
    Q_UNUSED(name);
    return {};
}

} // namespace kelvara
