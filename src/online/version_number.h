// Four-part version numbers (major.minor.release.build) and the version file's lines.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <compare>
#include <optional>

namespace kelvara {

struct VersionNumber {
    std::array<quint32, 4> parts{}; // major, minor, release, build; a missing part is 0

    // One to four dot-separated decimal numbers ("1.0.3.0", "2.1"); nothing for anything else.
    static std::optional<VersionNumber> parse(const QString& text);

    // Part by part: 1.0.1.0 is newer than 1.0.0.12, and 1.1.0.0 newer than 1.0.10.0.
    auto operator<=>(const VersionNumber&) const = default;
};

// Splits text into lines at CR LF, LF or CR; a line end at the very end starts no further line,
// so "" gives no lines and "\n" one empty line.
QStringList splitLines(const QString& text);

// What the version file says: line 1 exactly as received, the version read from it (nothing when it is no
// version), and line 2, the installer's address (nothing when the file has no second line).
struct VersionFile {
    QString versionLine;
    std::optional<VersionNumber> version;
    std::optional<QString> installerLine;
};

// Reads the version file's bytes as UTF-8 (a leading byte-order mark dropped); nothing when it holds no line.
std::optional<VersionFile> readVersionFile(const QByteArray& bytes);

} // namespace kelvara
