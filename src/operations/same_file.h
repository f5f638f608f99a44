// Whether two paths name one file, also through another spelling, a link or a hard link.
#pragma once

#include <filesystem>

namespace kelvara {

bool namesSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// True when path lies at or below folder: an existing folder is found by its identity among the folders above
// path, a missing one by comparing both canonical forms as far as they exist.
bool isAtOrBelow(const std::filesystem::path& path, const std::filesystem::path& folder);

} // namespace kelvara
