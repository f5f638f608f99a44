// Program folder and the writable folder for the settings file, the installer and the fallback banner picture.
#include "ui/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kelvara::appPaths {

namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}

// A folder counts as writable when a file can really be created in it (permissions alone can mislead).
bool canCreateFileIn(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.kelvara-write-probe-XXXXXX"));
    return probe.open();
}
// The installed program's folder (such as /usr/bin) is the system's, even for root, who could write to it.
bool isSystemInstall(const QString& folder) {
#ifdef KELVARA_INSTALL_BINDIR
    return folder == QDir::cleanPath(QStringLiteral(KELVARA_INSTALL_BINDIR));
#else
    (void)folder;
    return false;
#endif
}
} // namespace

QString programFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString writableFolder() {
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    static const QString folder = [] {
        const QString program = programFolder();
        if (canCreateFileIn(program) && !isSystemInstall(program))
            return program;
        QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QDir().mkpath(data);
        return QDir::cleanPath(data);
    }();
    return folder;
}

void setWritableFolderOverride(const QString& folder) {
    overrideFolder() = folder;
}

} // namespace kelvara::appPaths
