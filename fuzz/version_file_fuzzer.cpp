// Fuzzes the reader of the server's version file: any bytes give a result or nothing, never a crash, and a
// version it reads is printed back into a text that reads as the same version.
#include "online/version_number.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<kelvara::VersionFile> file = kelvara::readVersionFile(bytes);
    if (!file || !file->version)
        return 0;
    QStringList parts;
    for (const quint32 part : file->version->parts)
        parts << QString::number(part);
    if (kelvara::VersionNumber::parse(parts.join(QLatin1Char('.'))) != file->version)
        std::abort();
    return 0;
}
