// File identity by volume serial number and file index, and the read-only, hidden and system attributes.
#include "operations/file_facts.h"

#include "operations/windows_reason.h"

#include <windows.h>

namespace kelvara {

bool identifyFile(const std::filesystem::path& path, FileIdentity& identity) {
    // No access rights are needed to read the identity; BACKUP_SEMANTICS lets a folder be opened too.
    const HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known)
        return false;
    identity = {info.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
}

std::string writeRefusal(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return windowsReason(::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return windowsReason(ERROR_ACCESS_DENIED);
    // Opening for writing without changing anything finds missing rights and files that others hold locked.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return windowsReason(::GetLastError());
    ::CloseHandle(handle);
    return {};
}

bool isPassedOverFolder(const std::filesystem::path& folder) {
    // The attributes of the entry itself (a link or junction is judged by its own attributes).
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

} // namespace kelvara
