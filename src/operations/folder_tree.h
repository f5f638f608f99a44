// Encrypting or decrypting every file of a folder tree into a mirror tree below a target folder.
#pragma once

#include "operations/file_routines.h"
#include "operations/folder_walk.h"
#include "operations/output_batch.h"
#include "operations/user_interface.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara {

// Where a source path lands below the target folder: target / (path without its root name and root
// directory: "/" on POSIX, the drive or UNC prefix on Windows).
std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath);

// Whether a folder run asks the user before it starts, or goes ahead (the caller has asked already).
enum class Confirmation { ask, given };

struct FolderRunSummary {
    // false when refused or not confirmed: nothing was created. A refusal sets worst (inputError: the source
    // folder cannot be read; outputError: the mirror paths would meet the source tree); a "no" leaves success.
    bool started = false;
    std::size_t files = 0;      // files handed to the file routine
    std::size_t failures = 0;   // files whose routine did not succeed
    std::size_t unreadable = 0; // folders and entries of the source tree that could not be read
    FileResult worst = FileResult::success;
};

// The whole run: collect, ask (with Confirmation::ask), structure phase, data phase.
// Relative folders are taken from the working folder, so the mirror repeats the source's whole path.
// What cannot be read in the source tree is reported and passed over. Below the target nothing is written
// through a symbolic link: a link where the mirror needs a folder or a file is reported and that part is
// left out. With Existing::keep an existing output file is left alone and counts as an output error.
// worst is the most serious result met (wrong password < input/output error).
// Folders the run creates get their source folders' permission bits (see mirrorFolderPermissions); fifos,
// sockets and devices in the source are told as notes and fail nothing.
// The files are processed by jobs worker threads at once (0: one per processor; fewer where the open-file
// limit leaves no room, told through workersLimited), each exactly as a serial run would; the user interface
// is called by one thread at a time, and a file's notices come in the order of the files whichever finished
// first. Small outputs are made durable in batches (flush; see OutputFlush): a file's notices and the bar then
// wait until its batch is in place.
FolderRunSummary runFolderTree(Direction direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder, std::u16string_view password,
                               UserInterface& ui, Confirmation confirmation, Existing existing = Existing::replace,
                               unsigned jobs = 0, OutputFlush flush = OutputFlush::together);

} // namespace kelvara
