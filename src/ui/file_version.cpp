// The four-part file version: from the version resource on Windows, from the build elsewhere.
#include "ui/file_version.h"

#include "kelvara_version.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <vector>
#include <windows.h>
#endif

namespace kelvara {

namespace {
QString runningProgram() {
    return QCoreApplication::applicationFilePath();
}

#ifdef Q_OS_WIN
QString versionFromResource(const QString& path) {
    const std::wstring wpath = path.toStdWString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(wpath.c_str(), &handle);
    if (size == 0)
        return QString::fromLatin1(noVersionSpecification);
    std::vector<unsigned char> buffer(size);
    if (!GetFileVersionInfoW(wpath.c_str(), 0, size, buffer.data()))
        return QString::fromLatin1(noVersionSpecification);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) || info == nullptr)
        return QString::fromLatin1(noVersionSpecification);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(HIWORD(info->dwFileVersionMS))
        .arg(LOWORD(info->dwFileVersionMS))
        .arg(HIWORD(info->dwFileVersionLS))
        .arg(LOWORD(info->dwFileVersionLS));
}
#endif
} // namespace

QString getFileVersion(const QString& path) {
    const QString file = path.trimmed().isEmpty() ? runningProgram() : path;
#ifdef Q_OS_WIN
    return versionFromResource(file);
#else
    // Without version resources only the running program's version is known: the build's own.
    if (QFileInfo(file).canonicalFilePath() == QFileInfo(runningProgram()).canonicalFilePath())
        return QStringLiteral(KELVARA_VERSION_STRING);
    return QString::fromLatin1(noVersionSpecification);
#endif
}

} // namespace kelvara
