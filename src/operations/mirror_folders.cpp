// Creating and entering the mirror folders of a folder run.
#include "operations/mirror_folders.h"

#include <cerrno>
#include <system_error>

namespace kelvara {

bool ReportedFolders::first(const std::filesystem::path& folder) {
    const std::lock_guard lock(m_lock);
    return m_folders.insert(folder).second;
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
    : m_decrypting(decrypting), m_reported(reported) {
    std::string reason;
    if (!createFolders(target, mirrorFolderPermissions(source), reason) || !m_target.open(target, reason))
        m_rootFailure = Blocked{NoticeKind::mirrorFolderFailed, target, reason};
}

const OutputFolder* MirrorFolders::enter(const std::filesystem::path& sourceFolder, UserInterface& ui,
                                         Blocked* blocked) {
    if (m_rootFailure)
        return fail(*m_rootFailure, ui, blocked);
    std::vector<std::filesystem::path> names;
    for (const auto& part : sourceFolder.relative_path()) {
        if (!part.empty())
            names.push_back(part);
    }
    if (names.empty())
        return &m_target;
    std::size_t common = 0;
    while (common < names.size() && common < m_names.size() && names[common] == m_names[common])
        ++common;
    // Start from the deepest held folder on the way, else from the target.
    if (!m_held.empty() && common >= m_firstHeld && common < m_firstHeld + m_held.size()) {
        if (common == names.size() && common == m_names.size())
            return &m_held.back();
        m_held.resize(common - m_firstHeld + 1);
    } else {
        m_held.clear();
        common = 0;
    }
    m_names.resize(common);
    std::filesystem::path source = sourceFolder.root_path();
    for (std::size_t i = 0; i < common; ++i)
        source /= names[i];
    // Each level is entered from the one above, created when missing with the bits of its source folder.
    for (std::size_t level = common; level < names.size(); ++level) {
        const std::filesystem::path& name = names[level];
        source /= name;
        const OutputFolder& from = m_held.empty() ? m_target : m_held.back();
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
        if (m_held.empty())
            m_firstHeld = level + 1;
        m_held.push_back(std::move(child));
        m_names.push_back(name);
        if (m_held.size() > heldFolders) {
            m_held.pop_front();
            ++m_firstHeld;
        }
    }
    return &m_held.back();
}

const OutputFolder* MirrorFolders::fail(const Blocked& problem, UserInterface& ui, Blocked* blocked) {
    if (m_reported.first(problem.path))
        ui.notify(Notice{problem.kind, m_decrypting, problem.path, {}, problem.reason});
    if (blocked != nullptr)
        *blocked = problem;
    return nullptr;
}

} // namespace kelvara
