// Where the program keeps its files: the program folder, or the per-user data folder where that cannot be written.
#pragma once

#include <QString>

namespace kelvara::appPaths {

// Folder of the running program file, without a trailing separator.
QString programFolder();

// The program folder when it can be written (a portable or Windows install) and is not the install prefix's
// program folder on Linux (/usr/bin of the package), otherwise the per-user data folder
// (QStandardPaths::AppLocalDataLocation), created on demand. Tests may override it.
QString writableFolder();

// For tests: use this folder instead (empty: back to the rule above).
void setWritableFolderOverride(const QString& folder);

} // namespace kelvara::appPaths
