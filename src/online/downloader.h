// The download window: fetches one file into a given folder with a progress bar, replacing an older file of that
// name only after a complete transfer, and the routine that fetches an installer and starts it afterwards.
#pragma once

#include "signature/release_signature.h"

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkReply;
class QProgressBar;
class QSaveFile;

namespace kelvara {

class Desktop;
class Dialogs;
class HttpClient;

class Downloader final : public QDialog {
    Q_OBJECT
public:
    enum class Outcome { notFinished, success, errorReply, failure };

    // Stores the file as folder/fileName.
    Downloader(HttpClient& client, const QUrl& url, const QString& fileName, const QString& folder,
               QWidget* parent = nullptr);
    ~Downloader() override;

    QUrl url() const { return m_url; }
    QString fileName() const { return m_fileName; }
    QString downLoadedFile() const { return m_downLoadedFile; }
    QProgressBar* progressBar() const { return m_progressBar; }

    Outcome outcome() const { return m_outcome; }
    int statusCode() const { return m_statusCode; }
    // What went wrong, in clear words, for a failure.
    QString errorText() const { return m_errorText; }

protected:
    // The transfer starts once, when the window is first shown.
    void showEvent(QShowEvent* event) override;
    // The user cannot cancel: the window closes only when the transfer is over.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void startTransfer();
    void httpWork(qint64 received, qint64 total);
    void readBody();
    void transferFinished();
    void finish(Outcome outcome, const QString& errorText = {});

    HttpClient& m_client;
    QUrl m_url;
    QString m_fileName;
    QString m_downLoadedFile;
    QProgressBar* m_progressBar;
    QNetworkReply* m_reply = nullptr;
    QSaveFile* m_file = nullptr;
    bool m_started = false;
    bool m_writeFailed = false;
    Outcome m_outcome = Outcome::notFinished;
    int m_statusCode = 0;
    QString m_errorText;
};

// Shown when a release key is built in and the downloaded installer's signature is missing or wrong.
inline constexpr const char* unsignedUpdateText =
    QT_TRANSLATE_NOOP("kelvara::Downloader", "Das Update wurde nicht gestartet, weil seine Signatur fehlt oder "
                                             "nicht stimmt. Die heruntergeladene Datei wurde gelöscht.");

// Everything downloadFile needs from the program.
struct DownloadServices {
    HttpClient& client;
    Dialogs& dialogs;
    Desktop& desktop;
    std::function<void()> quit;
    // With a key, an installer is started only when its signature verifies, over http as well as https.
    std::optional<signature::PublicKey> releaseKey = std::nullopt;
};

// Fetches url as fileName into installerFolder() in a modal download window. An error reply shows
// "HTTP-Fehler: " and its status code and ends the program; other failures go to the handler of unexpected
// errors. After a complete transfer the file is started when startAfterwards is set and
// - with a release key: its signature (the address plus ".minisig") verifies; otherwise the file is deleted and
//   a message says that the update was not started;
// - without one: it came over https or from this computer; otherwise a message says where it was kept.
void downloadFile(DownloadServices& services, const QUrl& url, const QString& fileName, bool startAfterwards);

// Whether a file fetched from source may be started: only over https, or from a loopback address.
bool mayStartDownloadedFile(const QUrl& source);

} // namespace kelvara
