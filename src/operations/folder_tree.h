// Encrypting or decrypting every file of a folder tree into a mirror tree below a target folder.
#pragma once

#include "operations/file_routines.h"
#include "operations/user_interface.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelvara {

enum class FolderDirection { encrypt, decrypt };

// Appends the full path of every file of the tree (a folder's own files before those of its subfolders;
// entries in name order; file names beginning with "." are skipped, folders beginning with "." are entered;
// on Windows hidden and system files are included, hidden and system folders are not entered; directory
// links that would loop are not followed; fifos, sockets and devices are not files to encrypt).
void collectFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files, bool recursive);

// Appends the full path of every subfolder of the tree: a folder's direct subfolders first, then the
// subfolders of each of them in turn, so every folder comes before its own subfolders. On Windows hidden and
// system folders are neither listed nor entered.
void collectFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& folders, bool recursive);

// Where a source path lands below the target folder: target / (path without its root name and root
// directory: "/" on POSIX, the drive or UNC prefix on Windows).
std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath);

struct FolderRunSummary {
    // false when refused or not confirmed: nothing was created. A refusal sets worst (inputError: the source
    // folder cannot be read; outputError: the mirror paths would meet the source tree); a "no" leaves success.
    bool started = false;
    std::size_t files = 0;    // files handed to the file routine
    std::size_t failures = 0; // files whose routine did not succeed
    FileResult worst = FileResult::success;
};

// The whole run: collect, ask (when askConfirmation), structure phase, data phase.
// Relative folders are taken from the working folder, so the mirror repeats the source's whole path.
// password is read anew for every file. With replaceExisting false an existing output file is left alone
// and counts as an output error. worst is the most serious result met (wrong password < input/output error).
FolderRunSummary runFolderTree(FolderDirection direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder,
                               const std::function<std::u16string()>& password, UserInterface& ui, bool askConfirmation,
                               bool replaceExisting = true);

} // namespace kelvara
