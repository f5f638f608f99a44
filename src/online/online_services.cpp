// Creates and connects the consent window, banner, update check, download and About window.
#include "online/online_services.h"

#include "online/about_form.h"
#include "online/banner.h"
#include "online/consent_store.h"
#include "online/consent_window.h"
#include "online/downloader.h"
#include "online/http_client.h"
#include "online/release_check.h"
#include "online/server_url.h"
#include "online/update_check.h"

#include <QCoreApplication>

namespace kelvara {

void OnlineServices::postQuit() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

OnlineServices::OnlineServices(QWidget* mainWindow, QWidget* bannerPanel, Dialogs& dialogs, Desktop& desktop,
                               std::function<void()> quit)
    : OnlineServices(mainWindow, bannerPanel, dialogs, desktop, std::move(quit), Options{}) {}

OnlineServices::OnlineServices(QWidget* mainWindow, QWidget* bannerPanel, Dialogs& dialogs, Desktop& desktop,
                               std::function<void()> quit, const Options& options)
    : QObject(mainWindow), m_quit(std::move(quit)), m_owner(OwnerTexts::fromResources()),
      m_consentStore(std::make_unique<ConsentStore>()), m_client(new HttpClient(this)) {
    const QUrl serverBase = options.serverBase.isEmpty() ? serverBaseUrl() : options.serverBase;
    m_client->setTransferTimeout(options.transferTimeout);
    m_downloadServices =
        std::make_unique<DownloadServices>(DownloadServices{*m_client, dialogs, desktop, m_quit, builtInReleaseKey()});

    // The consent window is made before the About window, as the program's windows are made in a fixed order.
    m_consentWindow = new ConsentWindow(*m_consentStore, dialogs, m_owner, m_quit, mainWindow);
    m_aboutForm = new AboutForm(desktop, m_owner, mainWindow);

    m_banner = new Banner(*m_client, desktop, serverBase, bannerPanel, this);
    m_banner->setReloadInterval(options.reloadInterval);
    m_updateCheck = new UpdateCheck(
        *m_client, dialogs, serverBase,
        [this](const QUrl& url, const QString& fileName, bool startAfterwards) {
            downloadFile(*m_downloadServices, url, fileName, startAfterwards);
        },
        m_quit, this);
    m_updateCheck->setReleaseKey(builtInReleaseKey());
    // Every completed banner load, of the banner or of the fallback page, runs the update check.
    connect(m_banner, &Banner::documentComplete, m_updateCheck,
            [this] { m_updateCheck->checkUpdates(QStringLiteral("kelvara.txt")); });
}

OnlineServices::~OnlineServices() = default;

bool OnlineServices::checkConsent() {
    if (m_consentWindow.isNull()) {
        if (m_quit)
            m_quit();
        return false;
    }
    if (!m_consentWindow->checkConsent())
        return false;
    m_banner->start();
    return true;
}

void OnlineServices::showAbout() {
    if (!m_aboutForm.isNull())
        m_aboutForm->exec();
}

} // namespace kelvara
