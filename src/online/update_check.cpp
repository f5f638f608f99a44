// Compares the server's version with the installed one and offers, downloads or ends the program.
#include "online/update_check.h"

#include "online/http_client.h"
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
    return QStringLiteral("Eine neuer Version ist verfügbar soll das Update herunter geladen werden?\n\n") +
           QStringLiteral("Installierte Version:  ") + installedVersion + QStringLiteral("\n") +
           QStringLiteral("neue Version:  ") + serverLine;
}

void UpdateCheck::checkUpdates(const QString& fileName) {
    if (m_busy)
        return;
    m_busy = true;
    m_client.fetch(
        m_serverBase.resolved(QUrl(fileName)), this, [this](const HttpResult& result) { evaluate(result); },
        maxVersionFileBytes);
}

void UpdateCheck::evaluate(const HttpResult& result) {
    const auto done = qScopeGuard([this] {
        m_busy = false;
        emit checkFinished();
    });
    // No server, an error reply, a redirect, an empty file: nothing at all happens.
    if (!result.ok())
        return;
    QString text = QString::fromUtf8(result.body);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = splitLines(text);
    if (lines.isEmpty())
        return;

    const std::optional<VersionNumber> serverVersion = VersionNumber::parse(lines.first());
    if (!serverVersion) {
        m_dialogs.message(nullptr, QString::fromUtf8(notPossibleText));
        return;
    }
    const QString installedText = m_installedVersion ? m_installedVersion() : QString();
    const std::optional<VersionNumber> installedVersion = VersionNumber::parse(installedText);
    if (!installedVersion) {
        reportUnexpectedError(
            QStringLiteral("Die installierte Version \"%1\" kann nicht mit der Version auf dem Server verglichen "
                           "werden.")
                .arg(installedText));
        return;
    }
    if (*installedVersion >= *serverVersion)
        return;

    if (!m_dialogs.question(nullptr, questionText(installedText, lines.first()),
                            QString::fromLatin1(questionCaption))) {
        m_dialogs.message(nullptr, QString::fromUtf8(declinedText));
        if (m_quit)
            m_quit();
        return;
    }
    const QUrl installer(lines.value(1).trimmed(), QUrl::StrictMode);
    if (lines.size() < 2 || !HttpClient::isSupported(installer)) {
        reportUnexpectedError(QStringLiteral("Die Versionsdatei auf dem Server nennt in Zeile 2 keine gültige "
                                             "http- oder https-Adresse für das Update: \"%1\"")
                                  .arg(lines.value(1)));
        return;
    }
    if (m_download)
        m_download(installer, installerFileName(installer), true);
}

} // namespace kelvara
