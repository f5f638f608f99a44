// Base address of the maker's web server: build default, overridden by the environment.
#include "online/server_url.h"

#include "kelvara_version.h"

#include <QtGlobal>

namespace kelvara {

QUrl withTrailingSlash(const QString& base) {
    QString text = base.trimmed();
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    return QUrl(text, QUrl::StrictMode);
}

QUrl serverBaseUrl() {
    const QString fromEnvironment = qEnvironmentVariable("KELVARA_SERVER_URL").trimmed();
    return withTrailingSlash(fromEnvironment.isEmpty() ? QStringLiteral(KELVARA_SERVER_URL_DEFAULT) : fromEnvironment);
}

} // namespace kelvara
