// Exclusive creation with fopen "x", fsync and rename(2).
#include "settings/durable_file.h"

#include <system_error>
#include <unistd.h>

namespace kelvara {

std::FILE* createNewFile(const std::filesystem::path& path) {
    return std::fopen(path.c_str(), "wbx");
}

bool flushToDisk(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0;
}

bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

} // namespace kelvara
