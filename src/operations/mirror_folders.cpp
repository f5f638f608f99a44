// Creating and entering the mirror folders of a folder run.
#include "operations/mirror_folders.h"

#include <cerrno>
#include <system_error>

namespace kelvara {

bool ReportedFolders::first(const std::filesystem::path& folder) {
    const std::lock_guard lock(fLock);
    return fFolders.insert(folder).second;
}

unsigned mirrorFolderPermissions(const std::filesystem::path& sourceFolder) {
    constexpr unsigned ownerAll = 0700;
    std::error_code error;
    const auto status = std::filesystem::status(sourceFolder, error);
    if (error)
        return ownerAll;
    return (static_cast<unsigned>(status.permissions()) & 0777) | ownerAll;
}

bool createFolders(const std::filesystem::path& folder, unsigned permissions, std::string& reason) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return true;
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !createFolders(parent, permissions, reason))
        return false;
    return createFolder(folder, permissions, reason);
}

MirrorFolders::MirrorFolders(const std::filesystem::path& target, const std::filesystem::path& source, bool decrypting,
                             ReportedFolders& reported)
    : fDecrypting(decrypting), fReported(reported) {
    std::string reason;
    if (!createFolders(target, mirrorFolderPermissions(source), reason) || !fTarget.open(target, reason))
        fRootFailure = Blocked{NoticeKind::mirrorFolderFailed, target, reason};
}

const OutputFolder* MirrorFolders::enter(const std::filesystem::path& sourceFolder, UserInterface& ui,
                                         Blocked* blocked) {
    if (fRootFailure)
        return fail(*fRootFailure, ui, blocked);
    std::vector<std::filesystem::path> names;
    for (const auto& part : sourceFolder.relative_path()) {
        if (!part.empty())
            names.push_back(part);
    }
    if (names.empty())
        return &fTarget;
    std::size_t common = 0;
    while (common < names.size() && common < fNames.size() && names[common] == fNames[common])
        ++common;
    // Start from the deepest held folder on the way, else from the target.
    if (!fHeld.empty() && common >= fFirstHeld && common < fFirstHeld + fHeld.size()) {
        if (common == names.size() && common == fNames.size())
            return &fHeld.back();
        fHeld.resize(common - fFirstHeld + 1);
    } else {
        fHeld.clear();
        common = 0;
    }
    fNames.resize(common);
    std::filesystem::path source = sourceFolder.root_path();
    for (std::size_t i = 0; i < common; ++i)
        source /= names[i];
    // Each level is entered from the one above, created when missing with the bits of its source folder.
    for (std::size_t level = common; level < names.size(); ++level) {
        const std::filesystem::path& name = names[level];
        source /= name;
        const OutputFolder& from = fHeld.empty() ? fTarget : fHeld.back();
        OutputFolder child;
        std::string reason;
        const OutputFolder::Step step = from.enterChild(
            name, [&source] { return mirrorFolderPermissions(source); }, child, reason);
        if (step != OutputFolder::Step::entered) {
            const bool link = step == OutputFolder::Step::link;
            return fail(Blocked{link ? NoticeKind::mirrorLink : NoticeKind::mirrorFolderFailed, from.path() / name,
                                link ? systemReason(ELOOP) : reason},
                        ui, blocked);
        }
        if (fHeld.empty())
            fFirstHeld = level + 1;
        fHeld.push_back(std::move(child));
        fNames.push_back(name);
        if (fHeld.size() > heldFolders) {
            fHeld.pop_front();
            ++fFirstHeld;
        }
    }
    return &fHeld.back();
}

const OutputFolder* MirrorFolders::fail(const Blocked& problem, UserInterface& ui, Blocked* blocked) {
    if (fReported.first(problem.path))
        ui.notify(Notice{problem.kind, fDecrypting, problem.path, {}, problem.reason});
    if (blocked != nullptr)
        *blocked = problem;
    return nullptr;
}

} // namespace kelvara
