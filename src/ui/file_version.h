// The program's four-part version as text, or "No version specification" where none is known.
#pragma once

#include <QString>

namespace kelvara {

inline constexpr const char* noVersionSpecification = "No version specification";

// On Windows: the file version from the version resource of the file at path (blank path: the running program).
// Elsewhere: the build's version for the running program, "No version specification" for any other file.
QString getFileVersion(const QString& path = {});

} // namespace kelvara
