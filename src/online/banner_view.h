// The banner's light browser view: shows a page in Qt's rich-text view and fetches its pictures through the
// program's HTTP client; animated GIFs play.
#pragma once

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>

class QMovie;
class QNetworkReply;

namespace kelvara {

class HttpClient;

class BannerView final : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr qint64 maxPictureBytes = 8 * 1024 * 1024;
    static constexpr int maxPictures = 32;

    explicit BannerView(HttpClient& client, QWidget* parent = nullptr);
    ~BannerView() override;

    // Shows html. Pictures with http or https addresses (relative ones resolved against baseUrl) are fetched
    // through the client; local files and resources (":/..." or "qrc:") are read only when allowLocalPictures
    // is set, which the program's own fallback page needs and a page from the network never gets.
    // documentComplete follows once every picture has arrived or failed.
    void showPage(const QString& html, const QUrl& baseUrl, bool allowLocalPictures);

    QString currentHtml() const { return m_html; }
    QUrl baseUrl() const { return m_baseUrl; }
    // Whether the picture at this address (as resolved) is playing as an animation.
    bool isAnimated(const QUrl& picture) const;
    // Whether a picture at this address (as resolved) has arrived and is shown.
    bool hasPicture(const QUrl& picture) const;

signals:
    // The page and all its pictures are done.
    void documentComplete();

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void stopPage();
    QUrl resolve(const QString& source) const;
    QStringList pictureSources() const;
    void loadPicture(const QUrl& url);
    void pictureArrived(const QUrl& url, const QByteArray& bytes);
    void pictureDone(const QUrl& url);
    void finishIfComplete();

    HttpClient& m_client;
    QString m_html;
    QUrl m_baseUrl;
    bool m_allowLocalPictures = false;
    bool m_completeSent = true;
    quint64 m_generation = 0;
    QSet<QUrl> m_pending;
    QSet<QUrl> m_shown;
    QHash<QUrl, QMovie*> m_movies;
    QList<QPointer<QNetworkReply>> m_requests;
};

} // namespace kelvara
