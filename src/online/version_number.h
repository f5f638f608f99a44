// Four-part version numbers (major.minor.release.build), the version file's lines and the installer's name.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

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

// The file name under which an installer from url is stored: "update.exe" on Windows; elsewhere the last
// segment of the address's path, or "kelvara-update" where there is none.
QString installerFileName(const QUrl& url);

} // namespace kelvara
