// Input files and temporary outputs over POSIX descriptors, with the system's reasons for failures.
#include "operations/system_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

InputFile::~InputFile() {
    if (fFile != noFile)
        ::close(fFile);
}

bool InputFile::open(const std::filesystem::path& path, std::string& reason) {
    // Read-only: the routines never write to their input, so a read-only file is fine.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? systemReason(EISDIR) : systemReason(errno);
        ::close(fd);
        return false;
    }
    fFile = fd;
    fSize = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return true;
}

void InputFile::adviseSequential() {
    ::posix_fadvise(fFile, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::ptrdiff_t InputFile::readFull(void* buffer, std::size_t size, std::string& reason) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fFile, bytes + total, size - total);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            reason = systemReason(errno);
            return -1;
        }
        if (n == 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(total);
}

TemporaryOutput::~TemporaryOutput() {
    discard();
}

bool TemporaryOutput::create(const std::filesystem::path& target, std::string& reason) {
    fTarget = target;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path candidate = temporaryCandidate(target.parent_path());
        // Mode 0666 less the umask: the same permissions a newly created target would get.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fFile = fd;
            fTemporary = std::move(candidate);
            return true;
        }
        if (errno != EEXIST && errno != EINTR) {
            reason = systemReason(errno);
            return false;
        }
    }
    reason = systemReason(EEXIST);
    return false;
}

bool TemporaryOutput::writeAll(const void* data, std::size_t size, std::string& reason) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fFile, bytes + written, size - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            reason = systemReason(errno);
            return false;
        }
        if (n == 0) {
            reason = systemReason(ENOSPC);
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    fWritten += size;
    startWriteback();
    return true;
}

// Hands the written data to the disk every few MiB without waiting, so that the flush before the rename
// finds little left to do: the disk works while the cipher does.
void TemporaryOutput::startWriteback() {
#ifdef __linux__
    constexpr std::uint64_t writebackBytes = 8ull * 1024 * 1024;
    if (fWritten - fWrittenBack < writebackBytes)
        return;
    ::sync_file_range(fFile, static_cast<off_t>(fWrittenBack), static_cast<off_t>(fWritten - fWrittenBack),
                      SYNC_FILE_RANGE_WRITE);
    fWrittenBack = fWritten;
#endif
}

bool TemporaryOutput::commit(std::string& reason) {
    if (::fsync(fFile) != 0) {
        reason = systemReason(errno);
        return false;
    }
    const int fd = fFile;
    fFile = noFile;
    if (::close(fd) != 0) {
        reason = systemReason(errno);
        return false;
    }
    if (::rename(fTemporary.c_str(), fTarget.c_str()) != 0) {
        reason = systemReason(errno);
        return false;
    }
    fTemporary.clear();
    return true;
}

void TemporaryOutput::discard() {
    if (fFile != noFile) {
        ::close(fFile);
        fFile = noFile;
    }
    if (!fTemporary.empty()) {
        ::unlink(fTemporary.c_str());
        fTemporary.clear();
    }
}

} // namespace kelvara
