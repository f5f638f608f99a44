// Where a downloaded installer is kept and under which name: never a file of the program, never a name chosen by
// the server.
#pragma once

#include <QString>
#include <QUrl>

namespace kelvara {

// "update.exe" on Windows. Elsewhere "kelvara-update" followed by the package extension of the address's file
// name when it is a known one (.deb, .rpm, .AppImage, .tar.gz, .tar.xz, .zip), else nothing.
QString installerFileName(const QUrl& url);

// Windows: the program folder when it can be written, else the per-user data folder. Elsewhere the folder
// "updates" below the per-user data folder, created readable by the user alone (0700). Empty when that folder
// cannot be made or is not a plain folder.
QString installerFolder();

// The per-user data folder (QStandardPaths::AppLocalDataLocation), or the folder set for tests.
QString userDataFolder();
// For tests: use this per-user data folder instead (empty: back to the system's).
void setUserDataFolderOverride(const QString& folder);

} // namespace kelvara
