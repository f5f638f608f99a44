// The mirror rule and the folder run: refuse overlapping trees, ask, build the structure, then process the files.
#include "operations/folder_tree.h"

#include "operations/same_file.h"
#include "operations/system_file.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

namespace kelvara {
namespace {

// An absolute, normalised folder path without a trailing separator (the root itself keeps its one).
std::filesystem::path normalFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path result = std::filesystem::absolute(folder, error).lexically_normal();
    if (error)
        result = folder.lexically_normal();
    if (!result.has_filename() && result.has_relative_path())
        result = result.parent_path();
    return result;
}

long long lastPosition(std::size_t count) {
    return count == 0 ? 0 : static_cast<long long>(count) - 1;
}

int severity(FileResult result) {
    switch (result) {
    case FileResult::success:
        return 0;
    case FileResult::wrongPassword:
        return 1;
    case FileResult::inputError:
    case FileResult::outputError:
        return 2;
    }
    return 2;
}

void count(FolderRunSummary& summary, FileResult result) {
    if (result == FileResult::success)
        return;
    ++summary.failures;
    if (severity(result) > severity(summary.worst))
        summary.worst = result;
}

// The folders of the mirror, entered one level at a time from the target folder without following a link,
// so that nothing is written outside the target whatever someone placed in it. The chain of the last folder
// entered is kept: a folder's files come one after another, so most files need no new step.
class MirrorFolders {
public:
    struct Blocked {
        NoticeKind kind; // mirrorLink or mirrorFolderFailed
        std::filesystem::path path;
        std::string reason;
    };

    MirrorFolders(const std::filesystem::path& target, bool decrypting, UserInterface& ui)
        : fDecrypting(decrypting), fUi(ui) {
        std::error_code error;
        std::filesystem::create_directories(target, error);
        std::string reason;
        fChain.emplace_back();
        if (!fChain.back().open(target, reason))
            fRootFailure = Blocked{NoticeKind::mirrorFolderFailed, target, reason};
    }

    // The opened mirror folder for a source folder, or null when it cannot be had; the first time a folder
    // is blocked the user is told which and why.
    const OutputFolder* enter(const std::filesystem::path& sourceFolder, Blocked* blocked = nullptr) {
        if (fRootFailure)
            return fail(*fRootFailure, blocked);
        std::vector<std::filesystem::path> names;
        for (const auto& part : sourceFolder.relative_path()) {
            if (!part.empty())
                names.push_back(part);
        }
        std::size_t common = 0;
        while (common < names.size() && common < fNames.size() && names[common] == fNames[common])
            ++common;
        fNames.resize(common);
        fChain.resize(common + 1);
        for (std::size_t i = common; i < names.size(); ++i) {
            OutputFolder child;
            std::string reason;
            const OutputFolder::Step step = fChain.back().enterChild(names[i], child, reason);
            if (step != OutputFolder::Step::entered) {
                const NoticeKind kind =
                    step == OutputFolder::Step::link ? NoticeKind::mirrorLink : NoticeKind::mirrorFolderFailed;
                if (step == OutputFolder::Step::link)
                    reason = systemReason(ELOOP);
                return fail(Blocked{kind, fChain.back().path() / names[i], reason}, blocked);
            }
            fNames.push_back(names[i]);
            fChain.push_back(std::move(child));
        }
        return &fChain.back();
    }

private:
    const OutputFolder* fail(const Blocked& problem, Blocked* blocked) {
        if (fReported.insert(problem.path).second)
            fUi.notify(Notice{problem.kind, fDecrypting, problem.path, {}, problem.reason});
        if (blocked != nullptr)
            *blocked = problem;
        return nullptr;
    }

    bool fDecrypting;
    UserInterface& fUi;
    std::optional<Blocked> fRootFailure;
    std::vector<std::filesystem::path> fNames; // below the target, one per entered level
    std::vector<OutputFolder> fChain;          // the target, then one opened folder per name
    std::set<std::filesystem::path> fReported;
};

// Creates every folder of the mirror; one that cannot be made is reported once and passed over: its files
// then fail one by one.
bool structurePhase(MirrorFolders& mirror, const std::filesystem::path& source,
                    const std::vector<std::filesystem::path>& folders, UserInterface& ui) {
    const long long maximum = lastPosition(folders.size());
    ui.progressBegin(ProgressPhase::structure, maximum);
    ui.progressPosition(0);
    long long position = 0;
    bool complete = true;
    for (const auto& folder : folders) {
        complete = mirror.enter(folder) != nullptr && complete;
        ui.progressPosition(std::min(++position, maximum));
    }
    complete = mirror.enter(source) != nullptr && complete;
    ui.progressEnd();
    return complete;
}

} // namespace

std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath) {
    return targetFolder / sourcePath.relative_path();
}

FolderRunSummary runFolderTree(FolderDirection direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder, const std::u16string& password,
                               UserInterface& ui, bool askConfirmation, bool replaceExisting) {
    const bool decrypt = direction == FolderDirection::decrypt;
    FolderRunSummary summary;
    const std::filesystem::path source = normalFolder(sourceFolder);
    const std::filesystem::path target = normalFolder(targetFolder);

    std::error_code error;
    if (!std::filesystem::is_directory(source, error)) {
        const std::string reason = error ? error.message() : std::make_error_code(std::errc::not_a_directory).message();
        ui.notify(Notice{NoticeKind::sourceFolderUnreadable, decrypt, source, {}, reason});
        summary.worst = FileResult::inputError;
        return summary;
    }
    // Every output lies below the source's mirror; when that meets the source tree, outputs would
    // overwrite inputs (or later runs would take outputs for inputs), so nothing is started.
    const std::filesystem::path mirror = mirrorPath(target, source);
    if (isAtOrBelow(mirror, source) || isAtOrBelow(source, mirror)) {
        ui.notify(Notice{NoticeKind::mirrorMeetsSource, decrypt, source, mirror, {}});
        summary.worst = FileResult::outputError;
        return summary;
    }

    std::vector<std::filesystem::path> files;
    std::vector<std::filesystem::path> folders;
    std::vector<WalkProblem> problems;
    collectFiles(source, files, true, &problems);
    collectFolders(source, folders, true);
    // What cannot be read is told before the question, so that the user can decide with it in mind.
    for (const WalkProblem& problem : problems) {
        ui.notify(Notice{NoticeKind::folderUnreadable, decrypt, problem.path, {}, problem.reason});
        ++summary.unreadable;
        summary.worst = FileResult::inputError;
    }

    if (askConfirmation && !ui.confirmFolderRun(decrypt, sourceFolder, targetFolder))
        return summary;
    summary.started = true;

    MirrorFolders mirrorFolders(target, decrypt, ui);
    // A mirror folder that could not be made fails the run even when no file was meant for it.
    if (!structurePhase(mirrorFolders, source, folders, ui))
        summary.worst = FileResult::outputError;

    const long long maximum = lastPosition(files.size());
    ui.progressBegin(decrypt ? ProgressPhase::decrypting : ProgressPhase::encrypting, maximum);
    ui.progressPosition(0);
    long long position = 0;
    for (const auto& file : files) {
        ++summary.files;
        MirrorFolders::Blocked blocked{};
        const OutputFolder* folder = mirrorFolders.enter(file.parent_path(), &blocked);
        FileResult result = FileResult::outputError;
        if (folder == nullptr) {
            // The folder itself was reported; each file left out is told with the folder's reason.
            ui.notify(Notice{NoticeKind::outputOpenFailed, decrypt, mirrorPath(target, file), {}, blocked.reason});
        } else if (decrypt) {
            result = decryptFileInto(file, *folder, file.filename(), password, ui, replaceExisting);
        } else {
            result = encryptFileInto(file, *folder, file.filename(), password, ui, replaceExisting);
        }
        count(summary, result);
        ui.progressPosition(std::min(++position, maximum));
    }
    ui.progressEnd();
    return summary;
}

} // namespace kelvara
