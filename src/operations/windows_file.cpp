// Input files and temporary outputs over Windows file handles, with the system's reasons for failures.
#include "operations/system_file.h"

#include "operations/windows_reason.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>
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

// The temporary files that exist right now, for removal when the console is closed or interrupted (the
// handler runs on a thread of its own, so a lock is enough).
std::mutex temporaryLock;
std::set<std::wstring>& temporaryFiles() {
    static std::set<std::wstring> files;
    return files;
}

void registerTemporary(const std::filesystem::path& path) {
    const std::lock_guard lock(temporaryLock);
    temporaryFiles().insert(path.native());
}

void unregisterTemporary(const std::filesystem::path& path) {
    const std::lock_guard lock(temporaryLock);
    temporaryFiles().erase(path.native());
}

bool writeAllTo(HANDLE handle, const void* data, std::size_t size, std::string& reason) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const auto ask = static_cast<DWORD>(std::min(size - written, maxTransfer));
        DWORD put = 0;
        if (!::WriteFile(handle, bytes + written, ask, &put, nullptr)) {
            reason = lastReason();
            return false;
        }
        if (put == 0) {
            reason = systemReason(ENOSPC);
            return false;
        }
        written += put;
    }
    return true;
}

// A folder handle that keeps the folder from being renamed, removed or replaced while it is held.
HANDLE openFolderHandle(const std::filesystem::path& path, DWORD extraFlags) {
    return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | extraFlags, nullptr);
}

HANDLE duplicate(HANDLE handle) {
    HANDLE copy = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

} // namespace

void removeTemporaryFiles() noexcept {
    if (!temporaryLock.try_lock())
        return;
    for (const std::wstring& file : temporaryFiles())
        ::DeleteFileW(file.c_str());
    temporaryLock.unlock();
}

unsigned newFilePermissions(unsigned sourcePermissions) {
    return sourcePermissions & 0777; // new files take the folder's access rules on Windows
}

// ---- InputFile

InputFile::~InputFile() {
    if (m_file != noFile && m_owned)
        ::CloseHandle(handleOf(m_file));
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
    m_file = handle;
    m_owned = true;
    m_regular = ::GetFileType(handle) == FILE_TYPE_DISK;
    m_size = m_regular ? (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow : 0;
    m_permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    return true;
}

bool InputFile::openStandardInput(std::string& reason) {
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        reason = systemReason(EBADF);
        return false;
    }
    m_file = handle;
    m_owned = false;
    m_regular = false;
    m_size = 0;
    m_permissions = 0;
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
        if (!::ReadFile(handleOf(m_file), bytes + total, ask, &got, nullptr)) {
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

// ---- StandardOutput

bool StandardOutput::writeAll(const void* data, std::size_t size, std::string& reason) {
    return writeAllTo(::GetStdHandle(STD_OUTPUT_HANDLE), data, size, reason);
}

// ---- OutputFolder

OutputFolder::OutputFolder(OutputFolder&& other) noexcept
    : m_folder(std::exchange(other.m_folder, noFile)), m_path(std::move(other.m_path)),
      m_ancestors(std::move(other.m_ancestors)) {
    other.m_ancestors.clear();
}

OutputFolder& OutputFolder::operator=(OutputFolder&& other) noexcept {
    if (this != &other) {
        close();
        m_folder = std::exchange(other.m_folder, noFile);
        m_path = std::move(other.m_path);
        m_ancestors = std::move(other.m_ancestors);
        other.m_ancestors.clear();
    }
    return *this;
}

OutputFolder::~OutputFolder() {
    close();
}

void OutputFolder::close() {
    if (m_folder != noFile)
        ::CloseHandle(handleOf(m_folder));
    m_folder = noFile;
    for (NativeFile ancestor : m_ancestors)
        ::CloseHandle(handleOf(ancestor));
    m_ancestors.clear();
}

bool OutputFolder::open(const std::filesystem::path& folder, std::string& reason) {
    const std::filesystem::path path = folder.empty() ? std::filesystem::path(L".") : folder;
    const HANDLE handle = openFolderHandle(path, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastReason();
        return false;
    }
    close();
    m_folder = handle;
    m_path = path;
    return true;
}

// Windows has no sticky shared folders: a link at the output is followed to the file it names, as opening
// it would.
OutputFolder::Place OutputFolder::openOutput(const std::filesystem::path& output, std::filesystem::path& name,
                                             std::filesystem::path&, std::string& reason) {
    std::filesystem::path target = output;
    std::error_code error;
    if (std::filesystem::is_symlink(output, error)) {
        std::filesystem::path resolved = std::filesystem::canonical(output, error);
        if (!error)
            target = std::move(resolved);
    }
    if (!open(target.parent_path(), reason))
        return Place::failed;
    name = target.filename();
    return Place::found;
}

// Permission bits do not apply: a new folder takes its parent's access rules.
bool createFolder(const std::filesystem::path& folder, unsigned, std::string& reason) {
    if (::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    reason = lastReason();
    return false;
}

OutputFolder::Step OutputFolder::enterChild(const std::filesystem::path& name, const std::function<unsigned()>&,
                                            OutputFolder& child, std::string& reason) const {
    const std::filesystem::path path = m_path / name;
    if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        reason = lastReason();
        return Step::failed;
    }
    // Opened as what stands there, a link or junction not followed, and then held open.
    const HANDLE handle = openFolderHandle(path, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastReason();
        return Step::failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        reason = lastReason();
        ::CloseHandle(handle);
        return Step::failed;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        ::CloseHandle(handle);
        return Step::link;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::CloseHandle(handle);
        reason = systemReason(ENOTDIR);
        return Step::failed;
    }
    child.close();
    child.m_folder = handle;
    child.m_path = path;
    for (NativeFile ancestor : m_ancestors)
        child.m_ancestors.push_back(duplicate(handleOf(ancestor)));
    child.m_ancestors.push_back(duplicate(handleOf(m_folder)));
    return Step::entered;
}

OutputFolder::Entry OutputFolder::entryType(const std::filesystem::path& name) const {
    const DWORD attributes = ::GetFileAttributesW((m_path / name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Entry::missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return Entry::link;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Entry::other : Entry::regularFile;
}

// Windows files carry access lists, not permission bits and owners: an output takes its folder's rules.
bool OutputFolder::accessOf(const std::filesystem::path& name, FileAccess& access) const {
    if (entryType(name) != Entry::regularFile)
        return false;
    access = FileAccess{0666};
    return true;
}

// ---- TemporaryOutput

TemporaryOutput::~TemporaryOutput() {
    discard();
}

bool TemporaryOutput::create(const OutputFolder& folder, const std::filesystem::path& targetName, std::string& reason) {
    discard();
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path candidate = temporaryName();
        const std::filesystem::path path = folder.path() / candidate;
        registerTemporary(path);
        // CREATE_NEW fails on an existing name (a file or a link someone placed there). No sharing: nobody
        // else needs the half-written file.
        const HANDLE handle =
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_file = handle;
            m_folderPath = folder.path();
            m_targetName = targetName;
            m_temporaryName = std::move(candidate);
            m_written = 0;
            m_writtenBack = 0;
            return true;
        }
        const DWORD error = ::GetLastError();
        unregisterTemporary(path);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            reason = windowsReason(error);
            return false;
        }
    }
    reason = systemReason(EEXIST);
    return false;
}

bool TemporaryOutput::writeAll(const void* data, std::size_t size, std::string& reason) {
    if (!writeAllTo(handleOf(m_file), data, size, reason))
        return false;
    m_written += size;
    startWriteback();
    return true;
}

// Windows writes the cache back on its own; there is no call to start it early without waiting.
void TemporaryOutput::startWriteback() {}

TemporaryOutput::Commit TemporaryOutput::commit(Existing existing, std::string& reason) {
    if (!seal(reason) || !flush(reason))
        return Commit::failed;
    return putInPlace(existing, reason);
}

// Windows files take their folder's access rules: nothing to set before the rename.
bool TemporaryOutput::seal(std::string&) {
    return true;
}

bool TemporaryOutput::flush(std::string& reason) {
    if (!::FlushFileBuffers(handleOf(m_file))) {
        reason = lastReason();
        return false;
    }
    return true;
}

// There is no call that writes back one volume without administrator rights; each flush() does the work.
void TemporaryOutput::writeBackFileSystem() const {}

TemporaryOutput::Commit TemporaryOutput::putInPlace(Existing existing, std::string& reason) {
    const HANDLE handle = handleOf(std::exchange(m_file, noFile));
    if (!::CloseHandle(handle)) {
        reason = lastReason();
        return Commit::failed;
    }
    const std::filesystem::path temporary = m_folderPath / m_temporaryName;
    const std::filesystem::path target = m_folderPath / m_targetName;
    // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file. WRITE_THROUGH: the call returns only
    // when the rename itself has reached the disk.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (existing == Existing::replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), flags)) {
        const DWORD error = ::GetLastError();
        reason = windowsReason(error);
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Commit::targetExists : Commit::failed;
    }
    unregisterTemporary(temporary);
    m_temporaryName.clear();
    return Commit::done;
}

void TemporaryOutput::discard() {
    if (m_file != noFile) {
        ::CloseHandle(handleOf(m_file));
        m_file = noFile;
    }
    if (!m_temporaryName.empty()) {
        const std::filesystem::path temporary = m_folderPath / m_temporaryName;
        ::DeleteFileW(temporary.c_str());
        unregisterTemporary(temporary);
        m_temporaryName.clear();
    }
}

// Files are handles here, and the system sets no small limit on them.
std::size_t openFileBudget() {
    return SIZE_MAX;
}

void raiseOpenFileLimit() {}

} // namespace kelvara
