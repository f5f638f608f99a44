// The program's four-part version as text, or a fixed English placeholder where none is known.
#pragma once

#include <QString>

namespace kelvara {

inline constexpr const char* noVersionSpecification = "No version specification";

// On Windows: the file version from the version resource of the file at path (blank path: the running program).
// Elsewhere: the build's version for the running program, the placeholder for any other file.
QString getFileVersion(const QString& path = {});

} // namespace kelvara
