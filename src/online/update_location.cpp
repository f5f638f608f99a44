// The installer's folder and fixed name.
#include "online/update_location.h"

#include "ui/app_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>

namespace kelvara {

namespace {
QString& dataFolderOverride() {
    static QString folder;
    return folder;
}
} // namespace

QString installerFileName(const QUrl& url) {
#ifdef Q_OS_WIN
    Q_UNUSED(url);
    return QStringLiteral("update.exe");
#else
    static const std::array<QLatin1String, 6> extensions{QLatin1String(".deb"),      QLatin1String(".rpm"),
                                                         QLatin1String(".AppImage"), QLatin1String(".tar.gz"),
                                                         QLatin1String(".tar.xz"),   QLatin1String(".zip")};
    const QString name = url.fileName();
    for (const QLatin1String extension : extensions) {
        if (name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive))
            return QStringLiteral("kelvara-update") + extension;
    }
    return QStringLiteral("kelvara-update");
#endif
}

QString userDataFolder() {
    if (!dataFolderOverride().isEmpty())
        return dataFolderOverride();
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

void setUserDataFolderOverride(const QString& folder) {
    dataFolderOverride() = folder;
}

QString installerFolder() {
#ifdef Q_OS_WIN
    return appPaths::writableFolder();
#else
    const QString folder = userDataFolder() + QStringLiteral("/updates");
    if (!QDir().mkpath(folder))
        return {};
    // A link would send the download elsewhere; other users have no business in the folder.
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir() ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return {};
    return folder;
#endif
}

} // namespace kelvara
