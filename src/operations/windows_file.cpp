// Input files and temporary outputs over Windows file handles, with the system's reasons for failures.
#include "operations/system_file.h"

#include "operations/windows_reason.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

namespace kelvara {
namespace {

HANDLE handleOf(NativeFile file) {
    return static_cast<HANDLE>(file);
}

std::string lastReason() {
    return windowsReason(::GetLastError());
}

// The largest amount handed to one ReadFile or WriteFile call.
constexpr std::size_t maxTransfer = 1u << 30;

} // namespace

InputFile::~InputFile() {
    if (fFile != noFile)
        ::CloseHandle(handleOf(fFile));
}

bool InputFile::open(const std::filesystem::path& path, std::string& reason) {
    // A folder cannot be opened as a file; told apart first so that it gets the same reason as on POSIX.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = systemReason(EISDIR);
        return false;
    }
    // Read access only, so a file with the read-only attribute is fine; others may go on reading and writing
    // it, as they could while the file is not open here.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastReason();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        reason = lastReason();
        ::CloseHandle(handle);
        return false;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = systemReason(EISDIR);
        ::CloseHandle(handle);
        return false;
    }
    fFile = handle;
    fSize = ::GetFileType(handle) == FILE_TYPE_DISK
                ? (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow
                : 0;
    return true;
}

// The sequential hint was given when the file was opened (FILE_FLAG_SEQUENTIAL_SCAN).
void InputFile::adviseSequential() {}

std::ptrdiff_t InputFile::readFull(void* buffer, std::size_t size, std::string& reason) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const auto ask = static_cast<DWORD>(std::min(size - total, maxTransfer));
        DWORD got = 0;
        if (!::ReadFile(handleOf(fFile), bytes + total, ask, &got, nullptr)) {
            // The writing end of a pipe was closed: that is the end of the input, not a failure.
            if (::GetLastError() == ERROR_BROKEN_PIPE)
                break;
            reason = lastReason();
            return -1;
        }
        if (got == 0)
            break;
        total += got;
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
        // CREATE_NEW fails on an existing name (a file or a link someone placed there). No sharing: nobody
        // else needs the half-written file.
        const HANDLE handle =
            ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            fFile = handle;
            fTemporary = std::move(candidate);
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            reason = windowsReason(error);
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
        const auto ask = static_cast<DWORD>(std::min(size - written, maxTransfer));
        DWORD put = 0;
        if (!::WriteFile(handleOf(fFile), bytes + written, ask, &put, nullptr)) {
            reason = lastReason();
            return false;
        }
        if (put == 0) {
            reason = systemReason(ENOSPC);
            return false;
        }
        written += put;
    }
    fWritten += size;
    startWriteback();
    return true;
}

// Windows writes the cache back on its own; there is no call to start it early without waiting.
void TemporaryOutput::startWriteback() {}

bool TemporaryOutput::commit(std::string& reason) {
    if (!::FlushFileBuffers(handleOf(fFile))) {
        reason = lastReason();
        return false;
    }
    const HANDLE handle = handleOf(fFile);
    fFile = noFile;
    if (!::CloseHandle(handle)) {
        reason = lastReason();
        return false;
    }
    // WRITE_THROUGH: the call returns only when the rename itself has reached the disk.
    if (!::MoveFileExW(fTemporary.c_str(), fTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = lastReason();
        return false;
    }
    fTemporary.clear();
    return true;
}

void TemporaryOutput::discard() {
    if (fFile != noFile) {
        ::CloseHandle(handleOf(fFile));
        fFile = noFile;
    }
    if (!fTemporary.empty()) {
        ::DeleteFileW(fTemporary.c_str());
        fTemporary.clear();
    }
}

} // namespace kelvara
