// Parsing and comparing version numbers, and reading the version file.
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

std::optional<VersionFile> readVersionFile(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = splitLines(text);
    if (lines.isEmpty())
        return std::nullopt;
    VersionFile file;
    file.versionLine = lines.first();
    file.version = VersionNumber::parse(file.versionLine);
    if (lines.size() > 1)
        file.installerLine = lines.at(1);
    return file;
}

} // namespace kelvara
