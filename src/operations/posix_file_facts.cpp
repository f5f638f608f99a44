// File identity by device and inode, and write permission by access(2).
#include "operations/file_facts.h"

#include "operations/system_file.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

bool identifyFile(const std::filesystem::path& path, FileIdentity& identity) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return true;
}

std::string writeRefusal(const std::filesystem::path& path) {
    if (::access(path.c_str(), W_OK) != 0)
        return systemReason(errno);
    return {};
}

bool isPassedOverFolder(const std::filesystem::path&) {
    return false;
}

} // namespace kelvara
