// Owners of the input file, the output folder and the outputs that the file routines write
// (posix_file.cpp and windows_file.cpp implement them over the platform's own calls).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelvara {

#ifdef _WIN32
using NativeFile = void*; // a HANDLE
inline constexpr NativeFile noFile = nullptr;
#else
using NativeFile = int; // a descriptor
inline constexpr NativeFile noFile = -1;
#endif

// The system's text for an errno value.
std::string systemReason(int errorNumber);

// Who may use a file: its permission bits and, where known, its owner and group (POSIX; -1 when not known or
// not to be set).
struct FileAccess {
    unsigned permissions = 0600;
    std::int64_t owner = -1;
    std::int64_t group = -1;
};

// A file opened for reading only: a named file, or the process's standard input.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens the file; a folder is refused like a missing file. On failure reason says why.
    bool open(const std::filesystem::path& path, std::string& reason);
    // Reads standard input (not closed by this object).
    bool openStandardInput(std::string& reason);

    // Tells the system that the file is read from start to end, for a larger read-ahead (where it can be told).
    void adviseSequential();

    // Reads until size bytes are in or the file ends, so that only the last chunk can be short.
    // Returns the number of bytes read, or -1 with reason set.
    std::ptrdiff_t readFull(void* buffer, std::size_t size, std::string& reason);

    // The size when opened; known (and then checked against what was read) only for a regular file.
    std::uint64_t size() const { return m_size; }
    bool sizeKnown() const { return m_regular; }
    // The permission bits of the file (POSIX; 0 elsewhere or for standard input).
    unsigned permissions() const { return m_permissions; }

private:
    NativeFile m_file = noFile;
    bool m_owned = true;
    bool m_regular = false;
    std::uint64_t m_size = 0;
    unsigned m_permissions = 0;
};

// Where the encrypted or decrypted bytes go.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual bool writeAll(const void* data, std::size_t size, std::string& reason) = 0;
};

// The process's standard output: written as it comes, nothing renamed, nothing removed on failure.
class StandardOutput final : public OutputSink {
public:
    bool writeAll(const void* data, std::size_t size, std::string& reason) override;
};

// An open folder in which outputs are created and renamed. Once open it stays the same folder whatever
// happens to the path that led to it, so a link swapped in later cannot send an output elsewhere.
class OutputFolder {
public:
    OutputFolder() = default;
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;
    OutputFolder(OutputFolder&& other) noexcept;
    OutputFolder& operator=(OutputFolder&& other) noexcept;
    ~OutputFolder();

    // Opens a folder the user named; links in its path are followed.
    bool open(const std::filesystem::path& folder, std::string& reason);

    enum class Place { found, linkRefused, failed };
    // Opens the folder of the output path and sets name to the entry to write in it. A symbolic link at the
    // output is followed (to the file it names) only where the system's rule for links in shared sticky
    // folders allows it (mayFollowLink); otherwise Place::linkRefused with refusedLink set to the link.
    Place openOutput(const std::filesystem::path& output, std::filesystem::path& name,
                     std::filesystem::path& refusedLink, std::string& reason);

    enum class Step { entered, link, failed };
    // Opens the subfolder name of this folder, creating it when it is missing, without following a link:
    // a link (to a folder or anywhere else) gives Step::link and nothing is entered. A folder created here gets
    // the permission bits newFolderPermissions() less the umask, never setuid, setgid or sticky (POSIX).
    Step enterChild(const std::filesystem::path& name, const std::function<unsigned()>& newFolderPermissions,
                    OutputFolder& child, std::string& reason) const;

    // What stands at name in this folder, a link not followed.
    enum class Entry { missing, regularFile, link, other };
    Entry entryType(const std::filesystem::path& name) const;
    // The permission bits, owner and group of the regular file at name (links followed); false when there is
    // none.
    bool accessOf(const std::filesystem::path& name, FileAccess& access) const;

    const std::filesystem::path& path() const { return m_path; }
    bool isOpen() const { return m_folder != noFile; }

private:
    friend class TemporaryOutput;
    void close();

    NativeFile m_folder = noFile;
    std::filesystem::path m_path;
#ifdef _WIN32
    // The folders above, held open so that none of them can be renamed or replaced meanwhile.
    std::vector<NativeFile> m_ancestors;
#endif
};

// What becomes of an output that exists already.
enum class Existing { replace, keep };

// Creates the folder (its parent must exist) with the permission bits permissions less the umask, never
// setuid, setgid or sticky (POSIX; elsewhere it takes its parent's access rules). An existing folder counts as
// made; otherwise reason is the system's own.
bool createFolder(const std::filesystem::path& folder, unsigned permissions, std::string& reason);

// A new file with a unique name in the target's folder, readable by its owner only while it is written.
// commit() puts it in place of the target; without a commit the destructor removes it, so a failed run
// leaves the target as it was. While it exists its name is registered, so that a signal handler can remove
// it (removeTemporaryFiles).
class TemporaryOutput final : public OutputSink {
public:
    TemporaryOutput() = default;
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;
    ~TemporaryOutput() override;

    // Creates the temporary file in folder for the target name.
    bool create(const OutputFolder& folder, const std::filesystem::path& targetName, std::string& reason);
    bool writeAll(const void* data, std::size_t size, std::string& reason) override;

    // The permission bits, and the owner and group where they are set and the caller may set them, that the
    // file gets before it is put in place (POSIX; ignored elsewhere).
    void setFinalAccess(const FileAccess& access) { m_access = access; }

    enum class Commit { done, targetExists, failed };
    // Flushes the data to the disk, closes the file and renames it to the target. With Existing::keep the
    // rename is atomic and never replaces a file: one that appeared meanwhile stays and gives targetExists.
    // The same as seal(), flush() and putInPlace() in turn.
    Commit commit(Existing existing, std::string& reason);

    // The steps of commit(), for callers that put several outputs in place together: seal() gives the file
    // its final owner and permissions and starts writing what is left to the disk without waiting; flush()
    // waits until data and file are on the disk; putInPlace() closes the file and renames it, and may only
    // follow a flush() that succeeded.
    bool seal(std::string& reason);
    bool flush(std::string& reason);
    Commit putInPlace(Existing existing, std::string& reason);

    // Asks the system to write back everything waiting for the file system the output lies on, so that the
    // flush() of each output of a batch finds its data written already (Linux; nothing elsewhere). Failures
    // are left to each output's own flush() to report.
    void writeBackFileSystem() const;

    // The bytes written so far.
    std::uint64_t written() const { return m_written; }

    // Closes and removes the temporary file.
    void discard();

private:
    void startWriteback();

    NativeFile m_file = noFile;
    NativeFile m_folder = noFile; // our own handle of the folder
    std::filesystem::path m_folderPath;
    std::filesystem::path m_targetName;
    std::filesystem::path m_temporaryName;
    int m_registration = -1;
    FileAccess m_access;
    std::uint64_t m_written = 0;
    std::uint64_t m_writtenBack = 0; // bytes already handed to the disk
};

// The prefix of temporary output names; files beginning with "." are passed over by folder runs.
inline constexpr const char* temporaryPrefix = ".kelvara-";

// A fresh random file name for a temporary output: the prefix, 16 hex digits, ".tmp".
std::filesystem::path temporaryName();

// The permission bits a new file or folder of the given source's bits gets: the bits less the process's umask,
// never setuid, setgid or sticky (a copy made by root must not become a program that runs as root).
unsigned newFilePermissions(unsigned sourcePermissions);

// The bits a replaced file keeps of its own: all but setuid and setgid.
inline unsigned keptFilePermissions(unsigned existingPermissions) {
    return existingPermissions & 01777;
}

// Whether the system would follow a symbolic link owned by linkOwner in a folder of the given mode and owner
// for a caller: always, unless the folder is sticky and writable by everyone; then only a link of the caller's
// or of the folder's owner. Applied by the tool itself, whatever the machine's own setting, so that no link
// another user placed in a shared folder such as /tmp redirects an output.
bool mayFollowLink(unsigned folderMode, std::int64_t folderOwner, std::int64_t linkOwner, std::int64_t caller);

// How many more files and folders this process may hold open at once (a large number where there is no limit).
std::size_t openFileBudget();

// Raises the process's limit of open files to the highest it may have (POSIX; nothing elsewhere).
void raiseOpenFileLimit();

// How many temporary outputs can be registered for removal at once; a folder run keeps below it.
inline constexpr std::size_t temporaryRegistrations = 256;

// Removes every temporary output that exists at this moment. Safe to call from a signal handler.
void removeTemporaryFiles() noexcept;

} // namespace kelvara
