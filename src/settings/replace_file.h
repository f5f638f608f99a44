// Replaces a file's whole content so that a crash leaves either the old or the new file, never a half-written one.
#pragma once

#include <filesystem>
#include <string_view>

namespace kelvara {

// Writes `bytes` to a new temporary file next to `path`, flushes it to disk and renames it over `path`,
// keeping the old file's permission bits. Creates the folder when it is missing. A symbolic link is followed,
// so the file it points to is replaced and the link stays. Returns false on any failure; the temporary file
// is then removed and `path` is left as it was.
bool replaceFileContents(const std::filesystem::path& path, std::string_view bytes);

} // namespace kelvara
