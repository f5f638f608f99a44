// What std::filesystem does not tell the same way on every platform: a file's identity, whether an existing
// file may be written, and the folders a tree walk passes over (posix_file_facts.cpp, windows_file_facts.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace kelvara {

// Names one file or folder on one volume, whatever path leads to it.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what path names, links followed; false when it cannot be had (missing, no access).
bool identifyFile(const std::filesystem::path& path, FileIdentity& identity);

// Why the existing file at path may not be written, or empty when it may: no write permission, and on
// Windows also the read-only attribute or a file locked by another program.
std::string writeRefusal(const std::filesystem::path& path);

// True for a subfolder that a tree walk neither lists nor enters: on Windows one with the hidden or system
// attribute; on POSIX there is none.
bool isPassedOverFolder(const std::filesystem::path& folder);

} // namespace kelvara
