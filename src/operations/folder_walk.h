// The walk of a source tree: its files and its folders, in the order a folder run handles them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelvara {

// A folder that could not be listed, or an entry whose kind could not be told, with the system's reason.
struct WalkProblem {
    std::filesystem::path path;
    std::string reason;
};

// How far a walk goes: the whole tree, or the given folder's own entries only.
enum class Depth { wholeTree, topFolderOnly };

// Appends the full path of every file of the tree (a folder's own files before those of its subfolders;
// entries in name order; file names beginning with "." are skipped, folders beginning with "." are entered;
// on Windows hidden and system files are included, hidden and system folders are not entered; directory
// links that would loop are not followed; fifos, sockets and devices are not files to encrypt).
// What cannot be read is appended to problems (when given) and passed over; fifos, sockets and devices (and
// links to them) whose names do not begin with "." are appended to specialFiles (when given).
void collectFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files, Depth depth,
                  std::vector<WalkProblem>* problems = nullptr,
                  std::vector<std::filesystem::path>* specialFiles = nullptr);

// Appends the full path of every subfolder of the tree: a folder's direct subfolders first, then the
// subfolders of each of them in turn, so every folder comes before its own subfolders. On Windows hidden and
// system folders are neither listed nor entered.
void collectFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& folders, Depth depth);

} // namespace kelvara
