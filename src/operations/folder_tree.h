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
// file names beginning with "." are skipped; hidden folders are not entered; directory links that would loop
// are not followed).
void collectFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files, bool recursive);

// Appends every subfolder of the tree, each before its own subfolders.
void collectFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& folders,
                    bool recursive);

// Where a source path lands below the target folder: target / (path without its root).
std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath);

struct FolderRunSummary {
    bool started = false;     // false when refused or not confirmed: nothing was created
    std::size_t files = 0;    // files handed to the file routine
    std::size_t failures = 0; // files whose routine did not succeed
    FileResult worst = FileResult::success;
};

// The whole run: collect, ask (when askConfirmation), structure phase, data phase.
// password is read anew for every file.
FolderRunSummary runFolderTree(FolderDirection direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder,
                               const std::function<std::u16string()>& password, UserInterface& ui,
                               bool askConfirmation);

} // namespace kelvara
