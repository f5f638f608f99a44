// The mirror rule and the folder run: refuse overlapping trees, ask, build the structure, then process the files.
#include "operations/folder_tree.h"

#include "operations/same_file.h"
#include "operations/system_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
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

// Mirror folders already reported as blocked, shared by the workers of a run so that each is told once.
class ReportedFolders {
public:
    bool first(const std::filesystem::path& folder) {
        const std::lock_guard lock(fLock);
        return fFolders.insert(folder).second;
    }

private:
    std::mutex fLock;
    std::set<std::filesystem::path> fFolders;
};

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

    MirrorFolders(const std::filesystem::path& target, bool decrypting, ReportedFolders& reported)
        : fDecrypting(decrypting), fReported(reported) {
        std::error_code error;
        std::filesystem::create_directories(target, error);
        std::string reason;
        fChain.emplace_back();
        if (!fChain.back().open(target, reason))
            fRootFailure = Blocked{NoticeKind::mirrorFolderFailed, target, reason};
    }

    // The opened mirror folder for a source folder, or null when it cannot be had; the first time a folder
    // is blocked the user is told which and why.
    const OutputFolder* enter(const std::filesystem::path& sourceFolder, UserInterface& ui,
                              Blocked* blocked = nullptr) {
        if (fRootFailure)
            return fail(*fRootFailure, ui, blocked);
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
                return fail(Blocked{kind, fChain.back().path() / names[i], reason}, ui, blocked);
            }
            fNames.push_back(names[i]);
            fChain.push_back(std::move(child));
        }
        return &fChain.back();
    }

private:
    const OutputFolder* fail(const Blocked& problem, UserInterface& ui, Blocked* blocked) {
        if (fReported.first(problem.path))
            ui.notify(Notice{problem.kind, fDecrypting, problem.path, {}, problem.reason});
        if (blocked != nullptr)
            *blocked = problem;
        return nullptr;
    }

    bool fDecrypting;
    ReportedFolders& fReported;
    std::optional<Blocked> fRootFailure;
    std::vector<std::filesystem::path> fNames; // below the target, one per entered level
    std::vector<OutputFolder> fChain;          // the target, then one opened folder per name
};

// One file's notices, held back while the file is processed.
class FileNotices final : public UserInterface {
public:
    std::vector<Notice> notices;
    void notify(const Notice& notice) override { notices.push_back(notice); }
    bool confirmFolderRun(bool, const std::filesystem::path&, const std::filesystem::path&) override { return false; }
    void progressBegin(ProgressPhase, long long) override {}
    void progressPosition(long long) override {}
    void progressEnd() override {}
};

// Hands the results of the files to the user in the order of the files, whichever worker finished first: a
// file's notices are told, and the bar moves, once every file before it has been told.
class OrderedResults {
public:
    OrderedResults(UserInterface& ui, FolderRunSummary& summary, std::vector<std::uint64_t> sizes, long long maximum)
        : fUi(ui), fSummary(summary), fSizes(std::move(sizes)), fDone(fSizes.size()), fMaximum(maximum) {
        for (const std::uint64_t size : fSizes)
            fBytes += size;
    }

    void finish(std::size_t index, FileResult result, std::vector<Notice> notices) {
        const std::lock_guard lock(fLock);
        fDone[index] = Finished{result, std::move(notices)};
        for (; fNext < fDone.size() && fDone[fNext]; ++fNext) {
            const Finished done = std::move(*fDone[fNext]);
            fDone[fNext].reset();
            for (const Notice& notice : done.notices)
                fUi.notify(notice);
            ++fSummary.files;
            count(fSummary, done.result);
            fUi.progressPosition(std::min(++fPosition, fMaximum));
            fBytesDone += fSizes[fNext];
            fUi.folderProgress(fNext + 1, fDone.size(), fBytesDone, fBytes);
        }
    }

private:
    struct Finished {
        FileResult result;
        std::vector<Notice> notices;
    };

    std::mutex fLock;
    UserInterface& fUi;
    FolderRunSummary& fSummary;
    std::vector<std::uint64_t> fSizes;
    std::uint64_t fBytes = 0;
    std::uint64_t fBytesDone = 0;
    std::vector<std::optional<Finished>> fDone;
    std::size_t fNext = 0;
    long long fPosition = 0;
    long long fMaximum;
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
        complete = mirror.enter(folder, ui) != nullptr && complete;
        ui.progressPosition(std::min(++position, maximum));
    }
    complete = mirror.enter(source, ui) != nullptr && complete;
    ui.progressEnd();
    return complete;
}

// Encrypts or decrypts one file into its folder of the mirror; the notices go to notices.
FileResult processFile(bool decrypt, const std::filesystem::path& file, const std::filesystem::path& target,
                       MirrorFolders& mirror, std::u16string_view password, bool replaceExisting,
                       FileNotices& notices) {
    MirrorFolders::Blocked blocked{};
    const OutputFolder* folder = mirror.enter(file.parent_path(), notices, &blocked);
    if (folder == nullptr) {
        // The folder itself was reported; each file left out is told with the folder's reason.
        notices.notify(Notice{NoticeKind::outputOpenFailed, decrypt, mirrorPath(target, file), {}, blocked.reason});
        return FileResult::outputError;
    }
    return decrypt ? decryptFileInto(file, *folder, file.filename(), password, notices, replaceExisting)
                   : encryptFileInto(file, *folder, file.filename(), password, notices, replaceExisting);
}

unsigned workerCount(unsigned jobs, std::size_t files) {
    const unsigned wanted = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::clamp<std::size_t>(files, 1, wanted));
}

} // namespace

std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath) {
    return targetFolder / sourcePath.relative_path();
}

FolderRunSummary runFolderTree(FolderDirection direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder, std::u16string_view password,
                               UserInterface& ui, bool askConfirmation, bool replaceExisting, unsigned jobs) {
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

    ReportedFolders reported;
    {
        MirrorFolders mirrorFolders(target, decrypt, reported);
        // A mirror folder that could not be made fails the run even when no file was meant for it.
        if (!structurePhase(mirrorFolders, source, folders, ui))
            summary.worst = FileResult::outputError;
    }

    const long long maximum = lastPosition(files.size());
    ui.progressBegin(decrypt ? ProgressPhase::decrypting : ProgressPhase::encrypting, maximum);
    ui.progressPosition(0);
    // The files are shared out to workers one at a time; each file is done exactly as in a serial run.
    std::vector<std::uint64_t> sizes;
    for (const auto& file : files) {
        std::error_code sizeError;
        const auto size = std::filesystem::file_size(file, sizeError);
        sizes.push_back(sizeError ? 0 : size);
    }
    OrderedResults results(ui, summary, std::move(sizes), maximum);
    std::atomic<std::size_t> nextFile{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            MirrorFolders workerFolders(target, decrypt, reported);
            for (std::size_t i = nextFile++; i < files.size(); i = nextFile++) {
                FileNotices notices;
                const FileResult result =
                    processFile(decrypt, files[i], target, workerFolders, password, replaceExisting, notices);
                results.finish(i, result, std::move(notices.notices));
            }
        } catch (...) {
            // Only the user interface can throw here; the others stop taking files and the caller hears of it.
            const std::lock_guard lock(failureLock);
            if (!failure)
                failure = std::current_exception();
            nextFile = files.size();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned i = 1; i < workerCount(jobs, files.size()); ++i)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    if (failure)
        std::rethrow_exception(failure);
    ui.progressEnd();
    return summary;
}

} // namespace kelvara
