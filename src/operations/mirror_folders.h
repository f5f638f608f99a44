// The folders of a folder run's mirror below the target: created private when their source folders are,
// entered one level at a time without following a link.
#pragma once

#include "operations/system_file.h"
#include "operations/user_interface.h"

#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvara {

// Mirror folders already reported as blocked, shared by the workers of a run so that each is told once.
class ReportedFolders {
public:
    bool first(const std::filesystem::path& folder);

private:
    std::mutex m_lock;
    std::set<std::filesystem::path> m_folders;
};

// The bits a folder created for a source folder gets (before the umask): the source folder's, with the owner's
// read, write and search added so that the run can fill it, never setuid, setgid or sticky. A source folder
// that cannot be examined gives a folder for the owner alone.
unsigned mirrorFolderPermissions(const std::filesystem::path& sourceFolder);

// Creates folder and its missing parents, each with permissions less the umask, and keeps the system's reason
// when one cannot be made. An existing folder is left as it is.
bool createFolders(const std::filesystem::path& folder, unsigned permissions, std::string& reason);

// One worker's way into the mirror. The target and the last few folders on the way to the folder entered last
// are held open, no more than heldFolders + 2 handles whatever the depth, so that many workers in a deep tree
// stay within the open-file limit; a folder's files come one after another and its neighbours are near, so
// most files need no step or a short one.
class MirrorFolders {
public:
    static constexpr std::size_t heldFolders = 4;

    struct Blocked {
        NoticeKind kind; // mirrorLink or mirrorFolderFailed
        std::filesystem::path path;
        std::string reason;
    };

    // Creates the target (and its missing parents) when it is missing, with the bits of source.
    MirrorFolders(const std::filesystem::path& target, const std::filesystem::path& source, bool decrypting,
                  ReportedFolders& reported);

    // The opened mirror folder for a source folder (created when missing), or null when it cannot be had; the
    // first time a folder is blocked the user is told which and why.
    const OutputFolder* enter(const std::filesystem::path& sourceFolder, UserInterface& ui, Blocked* blocked = nullptr);

private:
    const OutputFolder* fail(const Blocked& problem, UserInterface& ui, Blocked* blocked);

    bool m_decrypting;
    ReportedFolders& m_reported;
    std::optional<Blocked> m_rootFailure;
    OutputFolder m_target;
    std::vector<std::filesystem::path> m_names; // below the target, the folder entered last
    // The last folders on the way to it: m_held[i] is the folder of the first m_firstHeld + i names.
    std::deque<OutputFolder> m_held;
    std::size_t m_firstHeld = 1;
};

} // namespace kelvara
