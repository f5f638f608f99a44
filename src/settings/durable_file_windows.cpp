// Exclusive creation with _wopen, _commit (FlushFileBuffers) and MoveFileExW.
#include "settings/durable_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace kelvara {

std::FILE* createNewFile(const std::filesystem::path& path) {
    // _O_EXCL rather than the "x" mode letter, which not every C runtime of Windows knows.
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr)
        ::_close(fd);
    return file;
}

bool flushToDisk(std::FILE* file) {
    return ::_commit(::_fileno(file)) == 0;
}

bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // WRITE_THROUGH: the call returns only when the rename itself has reached the disk.
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace kelvara
