// Owners of the input file and of the temporary output that replaces the target only when complete
// (posix_file.cpp and windows_file.cpp implement them over the platform's own calls).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

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

// An existing file opened for reading only.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens the file; a folder is refused like a missing file. On failure reason says why.
    bool open(const std::filesystem::path& path, std::string& reason);

    // Tells the system that the file is read from start to end, for a larger read-ahead (where it can be told).
    void adviseSequential();

    // Reads until size bytes are in or the file ends, so that only the last chunk can be short.
    // Returns the number of bytes read, or -1 with reason set.
    std::ptrdiff_t readFull(void* buffer, std::size_t size, std::string& reason);

    std::uint64_t size() const { return fSize; }

private:
    NativeFile fFile = noFile;
    std::uint64_t fSize = 0;
};

// A new file with a unique name in the target's folder. commit() puts it in place of the target;
// without a commit the destructor removes it, so a failed run leaves the target as it was.
class TemporaryOutput {
public:
    TemporaryOutput() = default;
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;
    ~TemporaryOutput();

    bool create(const std::filesystem::path& target, std::string& reason);
    bool writeAll(const void* data, std::size_t size, std::string& reason);
    // Flushes the data to the disk, closes the file and renames it over the target.
    bool commit(std::string& reason);
    // Closes and removes the temporary file.
    void discard();

    const std::filesystem::path& temporaryPath() const { return fTemporary; }

private:
    void startWriteback();

    NativeFile fFile = noFile;
    std::filesystem::path fTarget;
    std::filesystem::path fTemporary;
    std::uint64_t fWritten = 0;
    std::uint64_t fWrittenBack = 0; // bytes already handed to the disk
};

// The prefix of temporary output names; files beginning with "." are passed over by folder runs.
inline constexpr const char* temporaryPrefix = ".kelvara-";

// A fresh random name for a temporary output in folder ("." when empty): the prefix, 16 hex digits, ".tmp".
std::filesystem::path temporaryCandidate(const std::filesystem::path& folder);

} // namespace kelvara
