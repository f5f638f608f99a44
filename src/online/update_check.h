// The update check: reads the version file from the maker's server after every banner load, offers a newer
// version, downloads it on Yes and ends the program on No.
#pragma once

#include "signature/release_signature.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace kelvara {

class Dialogs;
class HttpClient;
struct HttpResult;

class UpdateCheck final : public QObject {
    Q_OBJECT
public:
    // Fetches url into the file name (in the writable folder) and starts it afterwards when asked to.
    using DownloadFunction = std::function<void(const QUrl& url, const QString& fileName, bool startAfterwards)>;

    // German source texts; tr() shows them in the language chosen at start.
    static constexpr const char* notPossibleText =
        QT_TRANSLATE_NOOP("kelvara::UpdateCheck", "Prüfung auf Updates zur Zeit nicht möglich!");
    static constexpr const char* declinedText = QT_TRANSLATE_NOOP(
        "kelvara::UpdateCheck",
        "Ohne Update kann diese Software nicht mehr verwendet werden! Bitte installieren Sie das Update!");
    static constexpr const char* questionCaption = QT_TRANSLATE_NOOP("kelvara::UpdateCheck", "UPDATE");
    static constexpr qint64 maxVersionFileBytes = 64 * 1024;

    UpdateCheck(HttpClient& client, Dialogs& dialogs, const QUrl& serverBase, DownloadFunction download,
                std::function<void()> quit, QObject* parent = nullptr);

    // Where the installed version comes from (default: getFileVersion() of the running program).
    void setInstalledVersion(std::function<QString()> installedVersion);
    // With a key, the version file counts only when its signature (the file name plus ".minisig", beside it)
    // verifies; otherwise the check ends as if the server could not be reached.
    void setReleaseKey(std::optional<signature::PublicKey> key) { m_releaseKey = key; }

    // Starts a check of the version file fileName on the server. A check that comes while an earlier one is
    // still running (its request, its question or its download) does nothing.
    void checkUpdates(const QString& fileName);
    bool isBusy() const { return m_busy; }

    // The question's text: the offer, the installed version and the server's line 1 exactly as received.
    static QString questionText(const QString& installedVersion, const QString& serverLine);

signals:
    // A check has ended, whichever way.
    void checkFinished();

private:
    void versionFileArrived(const QUrl& address, const HttpResult& result);
    void evaluate(const QByteArray& versionFile);
    void finishCheck();

    HttpClient& m_client;
    Dialogs& m_dialogs;
    QUrl m_serverBase;
    DownloadFunction m_download;
    std::function<void()> m_quit;
    std::function<QString()> m_installedVersion;
    std::optional<signature::PublicKey> m_releaseKey;
    bool m_busy = false;
};

} // namespace kelvara
