// The advertising banner in the main window's top strip: loads the banner page, reloads it every five minutes,
// shows the fallback picture when it cannot be loaded, and reports every completed load.
#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>

class QNetworkReply;
class QTimer;
class QWidget;

namespace kelvara {

class BannerView;
class BrowserHost;
class Desktop;
class HttpClient;

class Banner final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultReloadInterval{300000};
    static constexpr qint64 maxPageBytes = 1024 * 1024;
    static constexpr const char* pictureFileName = "Kelvaraadv.gif";
    // The fallback picture with German texts; its translation names the picture for the language shown.
    //: The resource path of the fallback banner picture in this language.
    static constexpr const char* pictureResource = QT_TRANSLATE_NOOP("kelvara::Banner", ":/online/Kelvaraadv.gif");

    // Puts the banner view into panel (filling it inside a 1-pixel border); nothing is loaded before start().
    Banner(HttpClient& client, Desktop& desktop, const QUrl& serverBase, QWidget* panel, QObject* parent = nullptr);

    void setReloadInterval(std::chrono::milliseconds interval);
    // First navigation and the reload timer; later calls do nothing.
    void start();
    // Loads the banner page again (the timer's handler).
    void reload();

    BannerView* view() const { return m_view; }
    QTimer* reloadTimer() const { return m_reloadTimer; }

    // The fallback page: the picture at pictureSource, centred on green, linked to the server's
    // "nvbannerl.php?id=2".
    static QString fallbackPage(const QUrl& serverBase, const QString& pictureSource);

signals:
    // A page (the banner or the fallback page) and its pictures are completely shown.
    void documentComplete();

private:
    void navigate();
    void showFallbackPage();
    void openLink(const QUrl& link);
    // Writes the fallback picture to the writable folder; the picture source for the page, or the resource
    // when the file cannot be written.
    QString writeFallbackPicture() const;

    HttpClient& m_client;
    Desktop& m_desktop;
    QUrl m_serverBase;
    QUrl m_advertisingUrl;
    BannerView* m_view;
    BrowserHost* m_browserHost;
    QTimer* m_reloadTimer;
    QPointer<QNetworkReply> m_navigation;
    quint64 m_navigationCount = 0;
    bool m_started = false;
};

} // namespace kelvara
