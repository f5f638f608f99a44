// The mirror rule and the folder run: refuse overlapping trees, ask, build the structure, then process the files.
#include "operations/folder_tree.h"

#include "operations/mirror_folders.h"
#include "operations/same_file.h"
#include "operations/system_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <mutex>
#include <optional>
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

// One file's notices, held back while the file is processed.
class FileNotices final : public UserInterface {
public:
    std::vector<Notice> notices;
    void notify(const Notice& notice) override { notices.push_back(notice); }
    bool confirmFolderRun(Direction, const std::filesystem::path&, const std::filesystem::path&) override {
        return false;
    }
    void progressBegin(ProgressPhase, long long) override {}
    void progressPosition(long long) override {}
    void progressEnd() override {}
};

// Hands the results of the files to the user in the order of the files, whichever worker finished first: a
// file's notices are told, and the bar moves, once every file before it has been told.
class OrderedResults {
public:
    OrderedResults(UserInterface& ui, FolderRunSummary& summary, std::vector<std::uint64_t> sizes, long long maximum)
        : m_ui(ui), m_summary(summary), m_sizes(std::move(sizes)), m_done(m_sizes.size()), m_maximum(maximum) {
        for (const std::uint64_t size : m_sizes)
            m_bytes += size;
    }

    void finish(std::size_t index, FileResult result, std::vector<Notice> notices) {
        const std::lock_guard lock(m_lock);
        m_done[index] = Finished{result, std::move(notices)};
        for (; m_next < m_done.size() && m_done[m_next]; ++m_next) {
            const Finished done = std::move(*m_done[m_next]);
            m_done[m_next].reset();
            for (const Notice& notice : done.notices)
                m_ui.notify(notice);
            ++m_summary.files;
            count(m_summary, done.result);
            m_ui.progressPosition(std::min(++m_position, m_maximum));
            m_bytesDone += m_sizes[m_next];
            m_ui.folderProgress(m_next + 1, m_done.size(), m_bytesDone, m_bytes);
        }
    }

private:
    struct Finished {
        FileResult result;
        std::vector<Notice> notices;
    };

    std::mutex m_lock;
    UserInterface& m_ui;
    FolderRunSummary& m_summary;
    std::vector<std::uint64_t> m_sizes;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_bytesDone = 0;
    std::vector<std::optional<Finished>> m_done;
    std::size_t m_next = 0;
    long long m_position = 0;
    long long m_maximum;
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

// Encrypts or decrypts one file into its folder of the mirror; the notices go to notices. With deferred given,
// a small output is handed over in it rather than put in place.
FileResult processFile(Direction direction, const std::filesystem::path& file, const std::filesystem::path& target,
                       MirrorFolders& mirror, const FileKey& key, Existing existing, FileNotices& notices,
                       DeferredOutput* deferred) {
    MirrorFolders::Blocked blocked{};
    const OutputFolder* folder = mirror.enter(file.parent_path(), notices, &blocked);
    if (folder == nullptr) {
        // The folder itself was reported; each file left out is told with the folder's reason.
        const bool decrypting = direction == Direction::decrypt;
        notices.notify(Notice{NoticeKind::outputOpenFailed, decrypting, mirrorPath(target, file), {}, blocked.reason});
        return FileResult::outputError;
    }
    return transformFileInto(direction, file, *folder, file.filename(), key, notices, existing, deferred);
}

// The files of one worker whose outputs wait in its batch, with the notices gathered while each was written.
// When the batch is full (and at the end) the outputs are put in place and the files' results handed on.
class WaitingFiles {
public:
    WaitingFiles(Direction direction, Existing existing, OutputBatch::Limits limits, OutputFlush flush,
                 OrderedResults& results)
        : m_direction(direction), m_existing(existing), m_batch(limits, flush), m_results(results) {}

    // Where processFile hands a small output over; null when outputs do not wait.
    DeferredOutput* deferred() {
        if (m_batch.limits().files == 0)
            return nullptr;
        m_deferred = DeferredOutput{m_batch.limits().fileBytes, nullptr, {}};
        return &m_deferred;
    }

    // A file too large to wait may take long: what waits is put in place first, so that it is told (and kept,
    // should the run be interrupted) without waiting for that file.
    void beforeFile(std::uint64_t size) {
        if (size > m_batch.limits().fileBytes && !m_batch.empty())
            putInPlace();
    }

    // Hands the file's result on now, or keeps it until its output is in place.
    void finish(std::size_t index, FileResult result, std::vector<Notice> notices) {
        if (!m_deferred.output) {
            m_results.finish(index, result, std::move(notices));
            return;
        }
        m_batch.add(std::move(m_deferred.output));
        m_files.push_back(Waiting{index, std::move(m_deferred.shown), std::move(notices)});
        if (m_batch.full())
            putInPlace();
    }

    void putInPlace() {
        const std::vector<OutputBatch::Outcome> outcomes = m_batch.putInPlace(m_existing);
        std::vector<Waiting> files = std::move(m_files);
        m_files.clear();
        for (std::size_t i = 0; i < files.size(); ++i) {
            FileNotices notices;
            notices.notices = std::move(files[i].notices);
            const FileResult result =
                tellCommit(m_direction, outcomes[i].commit, files[i].shown, outcomes[i].reason, notices);
            m_results.finish(files[i].index, result, std::move(notices.notices));
        }
    }

private:
    struct Waiting {
        std::size_t index;
        std::filesystem::path shown;
        std::vector<Notice> notices;
    };

    Direction m_direction;
    Existing m_existing;
    OutputBatch m_batch;
    OrderedResults& m_results;
    DeferredOutput m_deferred;
    std::vector<Waiting> m_files;
};

// A worker holds the target and a few folders of the mirror, one more while it steps into another folder,
// and per file the input, the temporary output and that output's own handle of its folder.
constexpr std::size_t handlesPerWorker = MirrorFolders::heldFolders + 2 + 3;
// Left for the rest of the program (a window may open files meanwhile).
constexpr std::size_t handlesKept = 16;

// The workers of the data phase: as many as asked for (or one per processor), no more than there are files,
// and no more than the open-file limit leaves room for; the user hears when the limit lowered the number.
unsigned workerCount(unsigned jobs, std::size_t files, UserInterface& ui) {
    const unsigned wanted = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    const auto useful = static_cast<unsigned>(std::clamp<std::size_t>(files, 1, wanted));
    const std::size_t budget = openFileBudget();
    const std::size_t allowed = budget > handlesKept ? (budget - handlesKept) / handlesPerWorker : 0;
    if (useful <= std::max<std::size_t>(allowed, 1))
        return useful;
    const auto lowered = static_cast<unsigned>(std::max<std::size_t>(allowed, 1));
    ui.workersLimited(wanted, lowered);
    return lowered;
}

// How many outputs of at most which size wait in each worker's batch. The batch is what makes many small files
// fast: one wait for the disk instead of one per file. Bounded so that a worker keeps what a file costs it
// without batches in the open-file limit (a waiting output holds its file and its folder open: kept open, a
// failure to write back is reported by its own flush), and all waiting outputs together stay registered for
// removal on a signal. Larger files gain nothing from waiting and are put in place at once. Files: 0 when
// nothing waits (OutputFlush::eachFile, too few handles, and Windows, where the flush of each file remains:
// FlushFileBuffers per file is the only flush there, and the workers already issue them side by side).
OutputBatch::Limits batchLimitsFor(OutputFlush flush, unsigned workers) {
    constexpr std::size_t mostFiles = 64;
    constexpr std::uint64_t mostBytes = 16ull << 20;
    constexpr std::uint64_t largestWaitingFile = 1ull << 20;
#ifdef _WIN32
    flush = OutputFlush::eachFile;
#endif
    if (flush == OutputFlush::eachFile)
        return {};
    const std::size_t budget = openFileBudget();
    const std::size_t perWorker = budget > handlesKept ? (budget - handlesKept) / workers : 0;
    const std::size_t spare = perWorker > handlesPerWorker ? perWorker - handlesPerWorker : 0;
    // The file being written counts among the slots, so the registrations leave one per worker for it.
    const std::size_t registrations = temporaryRegistrations / 2 / workers;
    const std::size_t files = std::min({mostFiles, spare / 2, registrations});
    if (files < 2)
        return {};
    return {files, mostBytes, largestWaitingFile};
}

// The size of each file (0 where it cannot be told), for the progress of a run.
std::vector<std::uint64_t> fileSizes(const std::vector<std::filesystem::path>& files) {
    std::vector<std::uint64_t> sizes;
    for (const auto& file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        sizes.push_back(error ? 0 : size);
    }
    return sizes;
}

// Runs work on the given number of threads at once, this one among them. The others are held in
// std::jthread, so they are joined on every way out. When the system gives no more threads, those started
// share the work; any other failure to start one calls stop, so that those started finish what they hold,
// and goes on to the caller.
template <class Work, class Stop> void runOnWorkers(unsigned workers, const Work& work, const Stop& stop) {
    std::vector<std::jthread> threads;
    try {
        for (unsigned i = 1; i < workers; ++i)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads: go on with those there are.
    } catch (...) {
        stop();
        throw;
    }
    work();
}

} // namespace

std::filesystem::path mirrorPath(const std::filesystem::path& targetFolder, const std::filesystem::path& sourcePath) {
    return targetFolder / sourcePath.relative_path();
}

FolderRunSummary runFolderTree(Direction direction, const std::filesystem::path& sourceFolder,
                               const std::filesystem::path& targetFolder, std::u16string_view password,
                               UserInterface& ui, Confirmation confirmation, Existing existing, unsigned jobs,
                               OutputFlush flush) {
    const bool decrypt = direction == Direction::decrypt;
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
    std::vector<std::filesystem::path> specialFiles;
    collectFiles(source, files, Depth::wholeTree, &problems, &specialFiles);
    collectFolders(source, folders, Depth::wholeTree);
    // What is left out is told before the question, so that the user can decide with it in mind. Special
    // files are no failure: there is nothing in them to encrypt.
    for (const auto& special : specialFiles)
        ui.notify(Notice{NoticeKind::specialFileSkipped, decrypt, special, {}, {}});
    for (const WalkProblem& problem : problems) {
        ui.notify(Notice{NoticeKind::folderUnreadable, decrypt, problem.path, {}, problem.reason});
        ++summary.unreadable;
        summary.worst = FileResult::inputError;
    }

    if (confirmation == Confirmation::ask && !ui.confirmFolderRun(direction, sourceFolder, targetFolder))
        return summary;
    summary.started = true;

    ReportedFolders reported;
    {
        MirrorFolders mirrorFolders(target, source, decrypt, reported);
        // A mirror folder that could not be made fails the run even when no file was meant for it.
        if (!structurePhase(mirrorFolders, source, folders, ui))
            summary.worst = FileResult::outputError;
    }

    const unsigned workerTotal = workerCount(jobs, files.size(), ui);
    const OutputBatch::Limits batchLimits = batchLimitsFor(flush, workerTotal);
    const long long maximum = lastPosition(files.size());
    ui.progressBegin(decrypt ? ProgressPhase::decrypting : ProgressPhase::encrypting, maximum);
    ui.progressPosition(0);
    // The files are shared out to workers one at a time; each file is done exactly as in a serial run.
    const std::vector<std::uint64_t> sizes = fileSizes(files);
    OrderedResults results(ui, summary, sizes, maximum);
    std::atomic<std::size_t> nextFile{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const FileKey key(password); // derived once: every file of the run is keyed from it
    const auto work = [&] {
        try {
            MirrorFolders workerFolders(target, source, decrypt, reported);
            WaitingFiles waiting(direction, existing, batchLimits, flush, results);
            for (std::size_t i = nextFile++; i < files.size(); i = nextFile++) {
                waiting.beforeFile(sizes[i]);
                FileNotices notices;
                const FileResult result =
                    processFile(direction, files[i], target, workerFolders, key, existing, notices, waiting.deferred());
                waiting.finish(i, result, std::move(notices.notices));
            }
            waiting.putInPlace();
        } catch (...) {
            // Only the user interface can throw here; the others stop taking files and the caller hears of it.
            const std::lock_guard lock(failureLock);
            if (!failure)
                failure = std::current_exception();
            nextFile = files.size();
        }
    };
    runOnWorkers(workerTotal, work, [&] { nextFile = files.size(); });
    if (failure)
        std::rethrow_exception(failure);
    ui.progressEnd();
    return summary;
}

} // namespace kelvara
