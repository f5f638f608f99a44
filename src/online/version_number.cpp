// Parsing and comparing version numbers, splitting the version file and naming the installer.
#include "online/version_number.h"

#include <QRegularExpression>

namespace kelvara {

std::optional<VersionNumber> VersionNumber::parse(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9}){0,3}$"));
    const QString trimmed = text.trimmed();
    if (!pattern.match(trimmed).hasMatch())
        return std::nullopt;
    VersionNumber version;
    const QStringList parts = trimmed.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < parts.size(); ++i)
        version.parts[static_cast<std::size_t>(i)] = parts[i].toUInt();
    return version;
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QString installerFileName(const QUrl& url) {
#ifdef Q_OS_WIN
    Q_UNUSED(url);
    return QStringLiteral("update.exe");
#else
    const QString name = url.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('\\')))
        return QStringLiteral("kelvara-update");
    return name;
#endif
}

} // namespace kelvara
