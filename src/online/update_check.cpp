// Compares the server's version with the installed one and offers, downloads or ends the program.
#include "online/update_check.h"

#include "online/http_client.h"
#include "online/release_check.h"
#include "online/update_location.h"
#include "online/version_number.h"
#include "ui/dialogs.h"
#include "ui/file_version.h"
#include "ui/unexpected_error.h"

#include <QScopeGuard>

namespace kelvara {

UpdateCheck::UpdateCheck(HttpClient& client, Dialogs& dialogs, const QUrl& serverBase, DownloadFunction download,
                         std::function<void()> quit, QObject* parent)
    : QObject(parent), m_client(client), m_dialogs(dialogs), m_serverBase(serverBase), m_download(std::move(download)),
      m_quit(std::move(quit)), m_installedVersion([] { return getFileVersion(); }) {}

void UpdateCheck::setInstalledVersion(std::function<QString()> installedVersion) {
    m_installedVersion = std::move(installedVersion);
}

QString UpdateCheck::questionText(const QString& installedVersion, const QString& serverLine) {
    // Line breaks as "\n": the message box shows them as breaks (a lone CR would show as nothing).
    return tr("Eine neuer Version ist verfügbar soll das Update herunter geladen werden?\n\n"
              "Installierte Version:  %1\n"
              "neue Version:  %2")
        .arg(installedVersion, serverLine);
}

void UpdateCheck::checkUpdates(const QString& fileName) {
    if (m_busy)
        return;
    m_busy = true;
    const QUrl address = m_serverBase.resolved(QUrl(fileName));
    m_client.fetch(
        address, this, [this, address](const HttpResult& result) { versionFileArrived(address, result); },
        maxVersionFileBytes);
}

void UpdateCheck::finishCheck() {
    m_busy = false;
    emit checkFinished();
}

void UpdateCheck::versionFileArrived(const QUrl& address, const HttpResult& result) {
    // No server, an error reply, a redirect, an empty file: nothing at all happens.
    if (!result.ok()) {
        finishCheck();
        return;
    }
    if (!m_releaseKey) {
        evaluate(result.body);
        return;
    }
    // A version file without a good signature is treated like an unreachable server: a forged version can
    // neither force a download nor end the program.
    const QByteArray versionFile = result.body;
    m_client.fetch(
        signatureUrl(address), this,
        [this, versionFile](const HttpResult& signatureResult) {
            if (signatureResult.ok() && isSigned(*m_releaseKey, signatureResult.body, versionFile))
                evaluate(versionFile);
            else
                finishCheck();
        },
        static_cast<qint64>(signature::maxSignatureFileBytes));
}

void UpdateCheck::evaluate(const QByteArray& versionFile) {
    const auto done = qScopeGuard([this] { finishCheck(); });
    const std::optional<VersionFile> file = readVersionFile(versionFile);
    if (!file)
        return;

    if (!file->version) {
        m_dialogs.message(nullptr, tr(notPossibleText));
        return;
    }
    const QString installedText = m_installedVersion ? m_installedVersion() : QString();
    const std::optional<VersionNumber> installedVersion = VersionNumber::parse(installedText);
    if (!installedVersion) {
        reportUnexpectedError(tr("Die installierte Version \"%1\" kann nicht mit der Version auf dem Server verglichen "
                                 "werden.")
                                  .arg(installedText));
        return;
    }
    if (*installedVersion >= *file->version)
        return;

    if (!m_dialogs.question(nullptr, questionText(installedText, file->versionLine), tr(questionCaption))) {
        m_dialogs.message(nullptr, tr(declinedText));
        if (m_quit)
            m_quit();
        return;
    }
    const QString installerLine = file->installerLine.value_or(QString());
    const QUrl installer(installerLine.trimmed(), QUrl::StrictMode);
    if (!file->installerLine || !HttpClient::isSupported(installer)) {
        reportUnexpectedError(tr("Die Versionsdatei auf dem Server nennt in Zeile 2 keine gültige "
                                 "http- oder https-Adresse für das Update: \"%1\"")
                                  .arg(installerLine));
        return;
    }
    if (m_download)
        m_download(installer, installerFileName(installer), true);
}

} // namespace kelvara
