// The platform's calls behind a whole-file replacement: exclusive creation, flush to disk, rename over
// (durable_file_posix.cpp, durable_file_windows.cpp).
#pragma once

#include <cstdio>
#include <filesystem>

namespace kelvara {

// Creates path for binary writing; fails (nullptr) when anything, a link included, already has that name.
std::FILE* createNewFile(const std::filesystem::path& path);

// Hands the data written through file, already flushed from its buffer, to the disk and waits for it.
bool flushToDisk(std::FILE* file);

// Renames from to to, replacing an existing file of that name in one step.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace kelvara
