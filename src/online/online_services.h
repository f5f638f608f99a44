// The online parts of the main window behind one object: privacy consent, banner with update check and
// download, About window. The main window creates it after the progress window and calls checkConsent() from
// its show handler and showAbout() from its About icon.
#pragma once

#include "online/about_form.h"
#include "online/consent_window.h"
#include "online/owner_texts.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

class QWidget;

namespace kelvara {

class Banner;
class ConsentStore;
class Desktop;
class Dialogs;
class HttpClient;
class UpdateCheck;
struct DownloadServices;

class OnlineServices final : public QObject {
    Q_OBJECT
public:
    struct Options {
        QUrl serverBase;                                  // empty: serverBaseUrl()
        std::chrono::milliseconds reloadInterval{300000}; // the banner's reload
        std::chrono::milliseconds transferTimeout{30000}; // a request that receives nothing this long fails
    };

    // Posts the application's quit request: the program ends once control is back in the main event loop.
    static void postQuit();

    // Creates the consent window and then the About window (owned by mainWindow), and the banner in
    // bannerPanel. Nothing goes to the network before checkConsent() has found consent.
    OnlineServices(QWidget* mainWindow, QWidget* bannerPanel, Dialogs& dialogs, Desktop& desktop,
                   std::function<void()> quit = &OnlineServices::postQuit);
    OnlineServices(QWidget* mainWindow, QWidget* bannerPanel, Dialogs& dialogs, Desktop& desktop,
                   std::function<void()> quit, const Options& options);
    ~OnlineServices() override;

    // Shows the consent window when no consent is recorded and asks the program to end without it. Once
    // consent is there, the banner loads its first page and its reload timer starts. True when consent is given.
    bool checkConsent();
    // Shows the About window modally.
    void showAbout();

    ConsentWindow* consentWindow() const { return m_consentWindow; }
    Banner* banner() const { return m_banner; }
    HttpClient* client() const { return m_client; }

private:
    std::function<void()> m_quit;
    OwnerTexts m_owner;
    std::unique_ptr<ConsentStore> m_consentStore;
    HttpClient* m_client;
    std::unique_ptr<DownloadServices> m_downloadServices;
    QPointer<ConsentWindow> m_consentWindow;
    QPointer<AboutForm> m_aboutForm;
    Banner* m_banner;
    UpdateCheck* m_updateCheck;
};

} // namespace kelvara
