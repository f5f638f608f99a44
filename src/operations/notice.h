// What an operation tells the user: a kind of event with the paths and the system's reason. The operations
// never word it; the window and the command-line tool each turn a notice into their own text.
#pragma once

#include <filesystem>
#include <string>

namespace kelvara {

// Which way an operation goes.
enum class Direction { encrypt, decrypt };

enum class NoticeKind {
    // One file (path: the file concerned; reason: the system's text where there is one).
    inputOpenFailed,   // the input cannot be opened
    outputOpenFailed,  // the output cannot be created (a folder, not writable, no such folder...)
    outputNotRegular,  // the output names a device, a pipe, a socket or another non-file: never replaced
    outputExists,      // the output exists (or appeared during the run) and may not be replaced
    outputLinkRefused, // path: a link at the output in a shared sticky folder, placed by another user: not followed
    sameFile,          // input and output are one file (other: the output)
    readFailed,        // reading the input failed midway
    writeFailed,       // writing or putting the output in place failed
    inputChanged,      // the input grew or shrank while it was read
    notEncrypted,      // the input is shorter than the check block
    wrongPassword,     // the check block does not match
    encrypted,         // success, when asked for (path: the output)
    decrypted,         // success, when asked for (path: the output)
    unexpectedFailure, // anything else that stopped the routine (reason: its description)

    // Folder runs.
    sourceFolderUnreadable, // the source folder itself cannot be read: nothing is done
    mirrorMeetsSource,      // the mirror would meet the source tree (path: source, other: mirror): nothing is done
    folderUnreadable,       // a folder or file of the source tree cannot be listed or examined; it is passed over
    mirrorFolderFailed,     // a folder of the mirror cannot be created or entered
    mirrorLink,             // a symbolic link stands where the mirror needs a folder or a file; not written through
    specialFileSkipped,     // a FIFO, socket or device (or a link to one) in the source tree: a note, no failure
};

struct Notice {
    NoticeKind kind;
    bool decrypting = false; // the run decrypts (the window's texts differ in one word)
    std::filesystem::path path;
    std::filesystem::path other;
    std::string reason;
};

// A path as UTF-8 text.
std::string pathText(const std::filesystem::path& path);

} // namespace kelvara
