// collectFiles and collectFolders: the depth-first walk of a source tree that does not follow looping links.
#include "operations/folder_walk.h"

#include "operations/file_facts.h"

#include <algorithm>
#include <system_error>

namespace kelvara {
namespace {

struct Entry {
    std::filesystem::path path;
    std::filesystem::file_type type; // of the entry itself, a link followed
};

// The folder's entries in name order. A folder that cannot be listed (or stops being listable midway) and an
// entry whose kind cannot be told are noted in problems, when given.
std::vector<Entry> listFolder(const std::filesystem::path& folder, std::vector<WalkProblem>* problems) {
    std::vector<Entry> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code statusError;
        const auto type = it->status(statusError).type(); // not_found for a dangling link
        if (statusError && type != std::filesystem::file_type::not_found) {
            if (problems != nullptr)
                problems->push_back({it->path(), statusError.message()});
            continue;
        }
        entries.push_back({it->path(), type});
    }
    if (error && problems != nullptr)
        problems->push_back({folder, error.message()});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });
    return entries;
}

bool isSpecialFile(const Entry& entry) {
    using std::filesystem::file_type;
    switch (entry.type) {
    case file_type::fifo: // opening one would wait for a writer
    case file_type::socket:
    case file_type::block:
    case file_type::character:
        return true;
    default:
        return false;
    }
}

// Hidden and system files are processed like any other; only the name decides.
bool isSkippedName(const Entry& entry) {
    return entry.path.filename().native().front() == '.';
}

bool isFileToProcess(const Entry& entry) {
    return entry.type != std::filesystem::file_type::directory && !isSpecialFile(entry) && !isSkippedName(entry);
}

// A subfolder to list and enter: on Windows not one with the hidden or system attribute.
bool isFolderToEnter(const Entry& entry) {
    return entry.type == std::filesystem::file_type::directory && !isPassedOverFolder(entry.path);
}

// Walks one tree, remembering the folders on the current path so that a link back to one is not entered.
class TreeWalk {
public:
    bool enter(const std::filesystem::path& folder) {
        FileIdentity identity;
        if (!identifyFile(folder, identity))
            return false;
        if (std::find(m_ancestors.begin(), m_ancestors.end(), identity) != m_ancestors.end())
            return false;
        m_ancestors.push_back(identity);
        return true;
    }
    void leave() { m_ancestors.pop_back(); }

    void files(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out, Depth depth,
               std::vector<WalkProblem>* problems, std::vector<std::filesystem::path>* specialFiles) {
        const std::vector<Entry> entries = listFolder(folder, problems);
        for (const Entry& entry : entries) {
            if (isFileToProcess(entry))
                out.push_back(entry.path);
            else if (specialFiles != nullptr && isSpecialFile(entry) && !isSkippedName(entry))
                specialFiles->push_back(entry.path);
        }
        if (depth == Depth::topFolderOnly)
            return;
        for (const Entry& entry : entries) {
            if (isFolderToEnter(entry) && enter(entry.path)) {
                files(entry.path, out, Depth::wholeTree, problems, specialFiles);
                leave();
            }
        }
    }

    void folders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out, Depth depth) {
        std::vector<std::filesystem::path> children;
        for (const Entry& entry : listFolder(folder, nullptr)) {
            if (isFolderToEnter(entry) && !wouldLoop(entry.path)) {
                out.push_back(entry.path);
                children.push_back(entry.path);
            }
        }
        if (depth == Depth::topFolderOnly)
            return;
        for (const auto& child : children) {
            if (enter(child)) {
                folders(child, out, Depth::wholeTree);
                leave();
            }
        }
    }

private:
    bool wouldLoop(const std::filesystem::path& folder) const {
        FileIdentity identity;
        return !identifyFile(folder, identity) ||
               std::find(m_ancestors.begin(), m_ancestors.end(), identity) != m_ancestors.end();
    }

    std::vector<FileIdentity> m_ancestors;
};

} // namespace

void collectFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files, Depth depth,
                  std::vector<WalkProblem>* problems, std::vector<std::filesystem::path>* specialFiles) {
    TreeWalk walk;
    if (walk.enter(folder))
        walk.files(folder, files, depth, problems, specialFiles);
}

void collectFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& folders, Depth depth) {
    TreeWalk walk;
    if (walk.enter(folder))
        walk.folders(folder, folders, depth);
}

} // namespace kelvara
