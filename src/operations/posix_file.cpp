// Input files, output folders and outputs over POSIX descriptors, with the system's reasons for failures.
#include "operations/system_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kelvara {
namespace {

void closeQuietly(int fd) {
    if (fd >= 0)
        ::close(fd);
}

// The temporary files that exist right now, for removal from a signal handler: each slot holds the
// folder's descriptor and the file's name, published with an atomic state so that the handler never reads
// a half-written slot.
enum SlotState : int { slotFree, slotFilling, slotRegistered, slotCreating };
struct TemporarySlot {
    std::atomic<int> state{slotFree}; // slotCreating: registered, the file may not exist yet
    int folder = -1;
    std::array<char, 64> name{};
};
std::array<TemporarySlot, temporaryRegistrations> temporarySlots;
// Set once the temporaries are being removed: no new one may be created after that.
std::atomic<bool> temporariesClosed{false};

constexpr int registrationRefused = -2;

// Registers a name about to be created (slotCreating until markCreated). Returns the slot, -1 when none is
// free, or registrationRefused once removeTemporaryFiles has begun: the file must then not be created.
int registerTemporary(int folder, const std::string& name) {
    if (name.size() >= std::tuple_size_v<decltype(TemporarySlot::name)>)
        return -1;
    for (std::size_t i = 0; i < temporarySlots.size(); ++i) {
        int expected = slotFree;
        TemporarySlot& slot = temporarySlots[i];
        if (!slot.state.compare_exchange_strong(expected, slotFilling))
            continue;
        slot.folder = folder;
        std::memcpy(slot.name.data(), name.c_str(), name.size() + 1);
        slot.state.store(slotCreating);
        // Both sides store, then look at the other's (sequentially consistent): either the removal sees this
        // slot, or this sees the removal.
        if (temporariesClosed.load()) {
            slot.state.store(slotFree);
            return registrationRefused;
        }
        return static_cast<int>(i);
    }
    return -1;
}

void markCreated(int registration) {
    if (registration >= 0)
        temporarySlots[static_cast<std::size_t>(registration)].state.store(slotRegistered);
}

void unregisterTemporary(int registration) {
    if (registration >= 0)
        temporarySlots[static_cast<std::size_t>(registration)].state.store(slotFree);
}

std::once_flag umaskOnce;
mode_t processUmask = 022;

// The monotonic clock in nanoseconds (clock_gettime is safe in a signal handler).
long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

void removeTemporaryFiles() noexcept {
    temporariesClosed.store(true);
    for (TemporarySlot& slot : temporarySlots) {
        // A file being created by another thread is waited for a moment, so that it is not created after its
        // name was removed; the wait is bounded, as this thread may itself be the one creating it.
        const long long deadline = monotonicNanoseconds() + 100'000'000;
        for (;;) {
            int state = slot.state.load();
            if (state == slotRegistered && slot.state.compare_exchange_strong(state, slotFilling)) {
                ::unlinkat(slot.folder, slot.name.data(), 0);
                break;
            }
            if (state != slotCreating)
                break;
            if (monotonicNanoseconds() >= deadline) {
                ::unlinkat(slot.folder, slot.name.data(), 0);
                break;
            }
        }
    }
}

namespace {

// The umask as the kernel reports it, without changing it (Linux 4.7 and later); -1 where it cannot be read.
int reportedUmask() {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return -1;
    buffer[n] = '\0';
    const char* line = std::strstr(buffer, "\nUmask:");
    return line == nullptr ? -1 : static_cast<int>(std::strtol(line + 7, nullptr, 8));
}

} // namespace

unsigned newFilePermissions(unsigned sourcePermissions) {
    int mask = reportedUmask();
    if (mask < 0) {
        // Elsewhere the umask can only be read by setting it: done once, as other threads may create files.
        std::call_once(umaskOnce, [] {
            processUmask = ::umask(022);
            ::umask(processUmask);
        });
        mask = static_cast<int>(processUmask);
    }
    return sourcePermissions & 0777 & ~static_cast<unsigned>(mask);
}

// ---- InputFile

InputFile::~InputFile() {
    if (m_file != noFile && m_owned)
        ::close(m_file);
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
    m_file = fd;
    m_owned = true;
    m_regular = S_ISREG(info.st_mode);
    m_size = m_regular ? static_cast<std::uint64_t>(info.st_size) : 0;
    m_permissions = static_cast<unsigned>(info.st_mode) & 07777;
    return true;
}

bool InputFile::openStandardInput(std::string& reason) {
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0) {
        reason = systemReason(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = systemReason(EISDIR);
        return false;
    }
    m_file = STDIN_FILENO;
    m_owned = false;
    // A regular file on standard input may have been read from already: its size is not the rest.
    m_regular = false;
    m_size = 0;
    m_permissions = 0;
    return true;
}

void InputFile::adviseSequential() {
    if (m_regular)
        ::posix_fadvise(m_file, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::ptrdiff_t InputFile::readFull(void* buffer, std::size_t size, std::string& reason) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(m_file, bytes + total, size - total);
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

// ---- StandardOutput

namespace {

bool writeAllTo(int fd, const void* data, std::size_t size, std::string& reason) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, bytes + written, size - written);
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
    return true;
}

} // namespace

bool StandardOutput::writeAll(const void* data, std::size_t size, std::string& reason) {
    return writeAllTo(STDOUT_FILENO, data, size, reason);
}

// ---- OutputFolder

OutputFolder::OutputFolder(OutputFolder&& other) noexcept
    : m_folder(std::exchange(other.m_folder, noFile)), m_path(std::move(other.m_path)) {}

OutputFolder& OutputFolder::operator=(OutputFolder&& other) noexcept {
    if (this != &other) {
        close();
        m_folder = std::exchange(other.m_folder, noFile);
        m_path = std::move(other.m_path);
    }
    return *this;
}

OutputFolder::~OutputFolder() {
    close();
}

void OutputFolder::close() {
    closeQuietly(std::exchange(m_folder, noFile));
}

bool OutputFolder::open(const std::filesystem::path& folder, std::string& reason) {
    const std::filesystem::path name = folder.empty() ? std::filesystem::path(".") : folder;
    int fd;
    do {
        fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    close();
    m_folder = fd;
    m_path = folder;
    return true;
}

namespace {

int openFolderAt(int folder, const std::filesystem::path& name, int flags) {
    int fd;
    do {
        fd = ::openat(folder, name.empty() ? "." : name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The text of the link name in folder.
bool readLinkAt(int folder, const std::filesystem::path& name, std::string& text) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            text = std::move(buffer);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

OutputFolder::Place OutputFolder::openOutput(const std::filesystem::path& output, std::filesystem::path& name,
                                             std::filesystem::path& refusedLink, std::string& reason) {
    if (!open(output.parent_path(), reason))
        return Place::failed;
    name = output.filename();
    // Each link is judged in the folder that holds it, through that folder's descriptor, so the folder judged
    // is the folder written to. In a sticky folder nobody but the link's owner and the folder's owner may
    // replace the link, so one that passes cannot be swapped for another meanwhile.
    constexpr int maximumLinks = 40;
    for (int hop = 0; hop < maximumLinks; ++hop) {
        struct stat link {};
        if (::fstatat(m_folder, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(link.st_mode))
            return Place::found;
        struct stat folder {};
        if (::fstat(m_folder, &folder) != 0) {
            reason = systemReason(errno);
            return Place::failed;
        }
        if (!mayFollowLink(folder.st_mode, folder.st_uid, link.st_uid, ::geteuid())) {
            refusedLink = m_path / name;
            return Place::linkRefused;
        }
        std::string text;
        if (!readLinkAt(m_folder, name, text)) {
            reason = systemReason(errno);
            return Place::failed;
        }
        const std::filesystem::path next(text);
        const std::filesystem::path nextName = next.filename();
        if (nextName.empty() || nextName == "." || nextName == "..") {
            reason = systemReason(EISDIR);
            return Place::failed;
        }
        const int nextFolder = next.is_absolute() ? openFolderAt(AT_FDCWD, next.parent_path(), 0)
                                                  : openFolderAt(m_folder, next.parent_path(), 0);
        if (nextFolder < 0) {
            reason = systemReason(errno);
            return Place::failed;
        }
        closeQuietly(std::exchange(m_folder, nextFolder));
        m_path = next.is_absolute() ? next.parent_path() : m_path / next.parent_path();
        name = nextName;
    }
    reason = systemReason(ELOOP);
    return Place::failed;
}

bool createFolder(const std::filesystem::path& folder, unsigned permissions, std::string& reason) {
    // mkdir applies the umask; the special bits are never asked for.
    if (::mkdir(folder.c_str(), static_cast<mode_t>(permissions & 0777)) == 0 || errno == EEXIST)
        return true;
    reason = systemReason(errno);
    return false;
}

OutputFolder::Step OutputFolder::enterChild(const std::filesystem::path& name,
                                            const std::function<unsigned()>& newFolderPermissions, OutputFolder& child,
                                            std::string& reason) const {
    // Opened first: most folders exist, and a needless mkdir would lock the parent against the other workers.
    int fd = openFolderAt(m_folder, name, O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        // mkdir applies the umask; the special bits are never asked for.
        if (::mkdirat(m_folder, name.c_str(), static_cast<mode_t>(newFolderPermissions() & 0777)) != 0 &&
            errno != EEXIST) {
            reason = systemReason(errno);
            return Step::failed;
        }
        fd = openFolderAt(m_folder, name, O_NOFOLLOW);
    }
    if (fd < 0) {
        const int error = errno;
        struct stat info {};
        if (::fstatat(m_folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
            return Step::link;
        reason = systemReason(error);
        return Step::failed;
    }
    child.close();
    child.m_folder = fd;
    child.m_path = m_path / name;
    return Step::entered;
}

OutputFolder::Entry OutputFolder::entryType(const std::filesystem::path& name) const {
    struct stat info {};
    if (::fstatat(m_folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return Entry::missing;
    if (S_ISLNK(info.st_mode))
        return Entry::link;
    return S_ISREG(info.st_mode) ? Entry::regularFile : Entry::other;
}

bool OutputFolder::accessOf(const std::filesystem::path& name, FileAccess& access) const {
    struct stat info {};
    if (::fstatat(m_folder, name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode))
        return false;
    access = {static_cast<unsigned>(info.st_mode & 07777), info.st_uid, info.st_gid};
    return true;
}

// ---- TemporaryOutput

TemporaryOutput::~TemporaryOutput() {
    discard();
}

bool TemporaryOutput::create(const OutputFolder& folder, const std::filesystem::path& targetName, std::string& reason) {
    discard();
    const int ownFolder = ::fcntl(folder.m_folder, F_DUPFD_CLOEXEC, 0);
    if (ownFolder < 0) {
        reason = systemReason(errno);
        return false;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path candidate = temporaryName();
        // Registered before it exists, so that no moment passes in which a signal would leave it behind.
        const int registration = registerTemporary(ownFolder, candidate.native());
        if (registration == registrationRefused) {
            ::close(ownFolder);
            reason = systemReason(EINTR);
            return false;
        }
        // Owner-only while it is written: a decryption's plaintext is nobody else's business.
        const int fd = ::openat(ownFolder, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        markCreated(fd >= 0 ? registration : -1);
        if (fd >= 0) {
            m_file = fd;
            m_folder = ownFolder;
            m_folderPath = folder.path();
            m_targetName = targetName;
            m_temporaryName = std::move(candidate);
            m_registration = registration;
            m_written = 0;
            m_writtenBack = 0;
            return true;
        }
        const int error = errno;
        unregisterTemporary(registration);
        if (error != EEXIST && error != EINTR) {
            ::close(ownFolder);
            reason = systemReason(error);
            return false;
        }
    }
    ::close(ownFolder);
    reason = systemReason(EEXIST);
    return false;
}

bool TemporaryOutput::writeAll(const void* data, std::size_t size, std::string& reason) {
    if (!writeAllTo(m_file, data, size, reason))
        return false;
    m_written += size;
    startWriteback();
    return true;
}

// Hands the written data to the disk every few MiB without waiting, so that the flush before the rename
// finds little left to do: the disk works while the cipher does.
void TemporaryOutput::startWriteback() {
#ifdef __linux__
    constexpr std::uint64_t writebackBytes = 8ull * 1024 * 1024;
    if (m_written - m_writtenBack < writebackBytes)
        return;
    ::sync_file_range(m_file, static_cast<off_t>(m_writtenBack), static_cast<off_t>(m_written - m_writtenBack),
                      SYNC_FILE_RANGE_WRITE);
    m_writtenBack = m_written;
#endif
}

namespace {

// Renames without ever replacing: renameat2's flag where the kernel and file system know it, else a hard
// link (which fails on an existing name) followed by removing the temporary name.
int renameWithoutReplacing(int folder, const char* from, const char* to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
#endif
    if (::linkat(folder, from, folder, to, 0) != 0)
        return -1;
    ::unlinkat(folder, from, 0);
    return 0;
}

} // namespace

namespace {

// Gives the file the owner and group asked for, or the group alone, as far as the caller may: root may give any,
// others only a group they belong to. What may not be set stays the caller's.
void keepOwner(int fd, const FileAccess& access) {
    if (access.owner < 0 || access.group < 0)
        return;
    const auto owner = static_cast<uid_t>(access.owner);
    const auto group = static_cast<gid_t>(access.group);
    if (::fchown(fd, owner, group) == 0 || ::fchown(fd, static_cast<uid_t>(-1), group) == 0)
        return;
    // Neither may be set: the file stays the caller's, which is what a new file would be.
}

} // namespace

TemporaryOutput::Commit TemporaryOutput::commit(Existing existing, std::string& reason) {
    if (!seal(reason) || !flush(reason))
        return Commit::failed;
    return putInPlace(existing, reason);
}

bool TemporaryOutput::seal(std::string& reason) {
    // The owner first: a change of owner clears setuid and setgid, and the bits are set after it.
    keepOwner(m_file, m_access);
    if (::fchmod(m_file, static_cast<mode_t>(m_access.permissions)) != 0) {
        reason = systemReason(errno);
        return false;
    }
#ifdef __linux__
    // The rest goes to the disk now, while other files are written; flush() then mostly waits for it. On
    // ext4 this also allocates the blocks, so the outputs of a batch land in one journal commit.
    if (m_written > m_writtenBack)
        ::sync_file_range(m_file, static_cast<off_t>(m_writtenBack), 0, SYNC_FILE_RANGE_WRITE);
    m_writtenBack = m_written;
#endif
    return true;
}

bool TemporaryOutput::flush(std::string& reason) {
    if (::fsync(m_file) != 0) {
        reason = systemReason(errno);
        return false;
    }
    return true;
}

void TemporaryOutput::writeBackFileSystem() const {
#ifdef __linux__
    ::syncfs(m_folder);
#endif
}

TemporaryOutput::Commit TemporaryOutput::putInPlace(Existing existing, std::string& reason) {
    const int fd = std::exchange(m_file, noFile);
    if (::close(fd) != 0) {
        reason = systemReason(errno);
        return Commit::failed;
    }
    const int renamed = existing == Existing::replace
                            ? ::renameat(m_folder, m_temporaryName.c_str(), m_folder, m_targetName.c_str())
                            : renameWithoutReplacing(m_folder, m_temporaryName.c_str(), m_targetName.c_str());
    if (renamed != 0) {
        const int error = errno;
        reason = systemReason(error);
        return error == EEXIST ? Commit::targetExists : Commit::failed;
    }
    unregisterTemporary(std::exchange(m_registration, -1));
    m_temporaryName.clear();
    closeQuietly(std::exchange(m_folder, noFile));
    return Commit::done;
}

void TemporaryOutput::discard() {
    closeQuietly(std::exchange(m_file, noFile));
    if (!m_temporaryName.empty()) {
        ::unlinkat(m_folder, m_temporaryName.c_str(), 0);
        m_temporaryName.clear();
    }
    unregisterTemporary(std::exchange(m_registration, -1));
    closeQuietly(std::exchange(m_folder, noFile));
}

// ---- Open files

std::size_t openFileBudget() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return SIZE_MAX;
    // The descriptors open now, counted where the system lists them; else estimated by the lowest free number.
    std::size_t open = 0;
    if (DIR* list = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(list)) {
            if (entry->d_name[0] != '.')
                ++open;
        }
        ::closedir(list);
    } else {
        const int probe = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        open = probe < 0 ? static_cast<std::size_t>(limit.rlim_cur) : static_cast<std::size_t>(probe) + 1;
        closeQuietly(probe);
    }
    const auto maximum = static_cast<std::size_t>(limit.rlim_cur);
    return open < maximum ? maximum - open : 0;
}

void raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit); // where the hard limit itself is refused, the old one stays
}

} // namespace kelvara
