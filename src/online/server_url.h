// The base address of the maker's web server, and the addresses built on it.
#pragma once

#include <QUrl>

namespace kelvara {

// The build's base address, or the environment variable KELVARA_SERVER_URL when it is set;
// a missing final "/" is added.
QUrl serverBaseUrl();

// Normalises a base address so that file names can be appended: adds a final "/" where it is missing.
QUrl withTrailingSlash(const QString& base);

} // namespace kelvara
