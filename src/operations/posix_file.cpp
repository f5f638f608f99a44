// Input files and temporary outputs over POSIX descriptors, with the system's reasons for failures.
#include "operations/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvara {
namespace {

std::string randomSuffix() {
    std::random_device device;
    const std::uint64_t value = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4)
        text.push_back(digits[(value >> shift) & 0xFu]);
    return text;
}

} // namespace

std::string systemReason(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

InputFile::~InputFile() {
    if (fFd >= 0)
        ::close(fFd);
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
    fFd = fd;
    fSize = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return true;
}

void InputFile::adviseSequential() {
    ::posix_fadvise(fFd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::ptrdiff_t InputFile::readFull(void* buffer, std::size_t size, std::string& reason) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fFd, bytes + total, size - total);
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
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path candidate = folder / (std::string(temporaryPrefix) + randomSuffix() + ".tmp");
        // Mode 0666 less the umask: the same permissions a newly created target would get.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fFd = fd;
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
        const ssize_t n = ::write(fFd, bytes + written, size - written);
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
    ::sync_file_range(fFd, static_cast<off_t>(fWrittenBack), static_cast<off_t>(fWritten - fWrittenBack),
                      SYNC_FILE_RANGE_WRITE);
    fWrittenBack = fWritten;
#endif
}

bool TemporaryOutput::commit(std::string& reason) {
    if (::fsync(fFd) != 0) {
        reason = systemReason(errno);
        return false;
    }
    const int fd = fFd;
    fFd = -1;
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
    if (fFd >= 0) {
        ::close(fFd);
        fFd = -1;
    }
    if (!fTemporary.empty()) {
        ::unlink(fTemporary.c_str());
        fTemporary.clear();
    }
}

} // namespace kelvara
