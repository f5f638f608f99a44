// Loading, reloading and the fallback page of the advertising banner.
#include "online/banner.h"

#include "online/banner_view.h"
#include "online/browser_host.h"
#include "online/http_client.h"
#include "ui/app_paths.h"
#include "ui/desktop.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QNetworkReply>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvara {

Banner::Banner(HttpClient& client, Desktop& desktop, const QUrl& serverBase, QWidget* panel, QObject* parent)
    : QObject(parent), m_client(client), m_desktop(desktop), m_serverBase(serverBase),
      m_advertisingUrl(serverBase.resolved(QUrl(QStringLiteral("nvbanner.php?id=2")))),
      m_view(new BannerView(client, panel)), m_browserHost(new BrowserHost(m_view)), m_reloadTimer(new QTimer(this)) {
    m_view->setObjectName(QStringLiteral("webbrowser"));
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setAccessibleName(tr("Werbung"));
    if (panel != nullptr) {
        auto* layout = panel->layout();
        if (layout == nullptr) {
            // The view fills the panel inside a 1-pixel border: the panel's own frame, or a margin where it has none.
            const auto* frame = qobject_cast<QFrame*>(panel);
            const int inset = frame != nullptr && frame->frameWidth() > 0 ? 0 : 1;
            layout = new QVBoxLayout(panel);
            layout->setContentsMargins(inset, inset, inset, inset);
            layout->setSpacing(0);
            // The strip keeps its size; the view takes what the panel has.
            layout->setSizeConstraint(QLayout::SetNoConstraint);
        }
        m_view->setMinimumSize(0, 0);
        m_view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(m_view);
    }

    // The banner has no border, no scroll bars, no selectable text and no context menu.
    m_browserHost->setObjectName(QStringLiteral("fBrowserHost"));
    m_browserHost->setUseCustomCtxMenu(true);
    m_browserHost->setShow3DBorder(false);
    m_browserHost->setShowScrollBars(false);
    m_browserHost->setAllowTextSelection(false);

    m_reloadTimer->setObjectName(QStringLiteral("advertising"));
    m_reloadTimer->setInterval(defaultReloadInterval);
    connect(m_reloadTimer, &QTimer::timeout, this, &Banner::reload);
    connect(m_view, &BannerView::documentComplete, this, &Banner::documentComplete);
    connect(m_view, &QTextBrowser::anchorClicked, this, &Banner::openLink);
}

void Banner::setReloadInterval(std::chrono::milliseconds interval) {
    m_reloadTimer->setInterval(interval);
}

void Banner::start() {
    if (m_started)
        return;
    m_started = true;
    navigate();
    m_reloadTimer->start();
}

void Banner::reload() {
    navigate();
}

void Banner::navigate() {
    // A reload replaces a load that is still running, as a browser does.
    const quint64 navigation = ++m_navigationCount;
    if (!m_navigation.isNull())
        m_navigation->abort();
    m_navigation = m_client.fetch(
        m_advertisingUrl, this,
        [this, navigation](const HttpResult& result) {
            if (navigation != m_navigationCount)
                return;
            if (!result.ok()) {
                showFallbackPage();
                return;
            }
            QStringDecoder decoder = QStringDecoder::decoderForHtml(result.body);
            const QString html = decoder.isValid() ? decoder.decode(result.body) : QString::fromUtf8(result.body);
            m_view->showPage(html, m_advertisingUrl, false);
        },
        maxPageBytes);
}

QString Banner::fallbackPage(const QUrl& serverBase, const QString& pictureSource) {
    return QStringLiteral("<BODY leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" margin=\"0\" "
                          "bgcolor=\"#A9FB1A\"><HEAD></HEAD><BODY><table width=\"100%\" border=\"0\" "
                          "cellspacing=\"0\" cellpadding=\"0\"> <tr> <td><div align=\"center\"><a href=\"") +
           serverBase.toString() + QStringLiteral("nvbannerl.php?id=2") +
           QStringLiteral("\" target=\"_blank\"><img src=\"") + pictureSource +
           QStringLiteral("\" border=\"0\"></a></div></td></tr></table></BODY></HTML>");
}

namespace {
QString pictureInLanguage() {
    return Banner::tr(Banner::pictureResource);
}
} // namespace

QString Banner::writeFallbackPicture() const {
    const QString folder = appPaths::writableFolder();
    QFile resource(pictureInLanguage());
    if (!folder.isEmpty() && resource.open(QIODevice::ReadOnly)) {
        QSaveFile file(QDir(folder).filePath(QString::fromLatin1(pictureFileName)));
        if (file.open(QIODevice::WriteOnly) && file.write(resource.readAll()) == resource.size() && file.commit())
            return QDir::toNativeSeparators(folder + QLatin1Char('/')) + QString::fromLatin1(pictureFileName);
    }
    // The picture is shown from the resources instead; nothing to trouble the user with every five minutes.
    return QStringLiteral("qrc") + pictureInLanguage();
}

void Banner::showFallbackPage() {
    const QString pictureSource = writeFallbackPicture();
    m_view->showPage(fallbackPage(m_serverBase, pictureSource), QUrl(), true);
}

void Banner::openLink(const QUrl& link) {
    const QUrl target = m_view->baseUrl().resolved(link);
    if (HttpClient::isSupported(target))
        m_desktop.open(target);
}

} // namespace kelvara
