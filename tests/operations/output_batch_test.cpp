// Batched flushing of folder-run outputs: the same outputs and notices as flushing each file, and a failure
// inside a batch that touches no other output of it.
#include "core_recording_ui.h"
#include "core_temp_dir.h"
#include "operations/folder_tree.h"
#include "operations/output_batch.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

bool hasTemporaryFiles(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(temporaryPrefix, 0) == 0)
            return true;
    }
    return false;
}

struct RunRecord {
    FolderRunSummary summary;
    std::vector<std::string> notices; // kind, path below the target, reason
    std::vector<std::string> progress;
};

RunRecord record(Direction direction, const fs::path& source, const fs::path& target, std::u16string_view password,
                 Existing existing, unsigned jobs, OutputFlush flush) {
    RecordingUserInterface ui;
    RunRecord run;
    run.summary = runFolderTree(direction, source, target, password, ui, Confirmation::given, existing, jobs, flush);
    for (const Notice& notice : ui.notices)
        run.notices.push_back(std::to_string(static_cast<int>(notice.kind)) + " " +
                              notice.path.lexically_relative(target).generic_string() + " " + notice.reason);
    run.progress = ui.progress;
    return run;
}

// However the outputs are flushed, and by however many workers, a run writes the same bytes and tells the same
// notices in the same order as one worker flushing each file on its own: also with failures among the files
// of a batch (a folder, an existing file, a link at an output) and a file too large to wait in a batch.
class FlushWays : public ::testing::TestWithParam<std::tuple<OutputFlush, unsigned>> {
protected:
    TempDir dir;
};

TEST_P(FlushWays, WriteAndTellWhatFlushingEachFileDoes) {
    const auto [flush, jobs] = GetParam();
    constexpr std::size_t files = 130;
    for (std::size_t i = 0; i < files; ++i) {
        const std::size_t size = i == 75 ? (1u << 20) + 5 : (i * 331) % 5000;
        writeFile(dir / "src" / std::to_string(i % 4) / std::to_string(i % 7) / std::to_string(i), patternBytes(size));
    }
    for (const char* target : {"reference", "batched"}) {
        const fs::path mirror = mirrorPath(dir / target, dir / "src");
        fs::create_directories(mirror / "0/5/40");
        writeFile(mirror / "2/6/90", "already here");
        fs::create_directories(mirror / "0/1");
        fs::create_symlink(dir / "elsewhere", mirror / "0/1/120");
    }
    std::vector<RunRecord> runs;
    for (const auto& [target, way, workers] :
         {std::tuple{"reference", OutputFlush::eachFile, 1u}, std::tuple{"batched", flush, jobs}}) {
        runs.push_back(record(Direction::encrypt, dir / "src", dir / target, u"pw", Existing::keep, workers, way));
        EXPECT_EQ(runs.back().summary.files, files);
        EXPECT_EQ(runs.back().summary.failures, 3u);
    }
    EXPECT_EQ(runs[0].notices.size(), 3u);
    EXPECT_EQ(runs[1].notices, runs[0].notices);
    EXPECT_EQ(runs[1].progress, runs[0].progress);
    const fs::path reference = mirrorPath(dir / "reference", dir / "src");
    const fs::path batched = mirrorPath(dir / "batched", dir / "src");
    EXPECT_EQ(treeEntries(batched), treeEntries(reference));
    for (const auto& entry : fs::recursive_directory_iterator(reference)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            EXPECT_EQ(readFile(entry.path()), readFile(batched / entry.path().lexically_relative(reference)));
        }
    }
    // Decrypting with a wrong password fails every file alike, in the order of the files.
    const RunRecord wrongReference =
        record(Direction::decrypt, reference, dir / "wrong1", u"other", Existing::replace, 1, OutputFlush::eachFile);
    const RunRecord wrongBatched =
        record(Direction::decrypt, reference, dir / "wrong2", u"other", Existing::replace, jobs, flush);
    // Every file fails: the outputs by the password, the file that was there and the link each in its own way.
    EXPECT_EQ(wrongReference.summary.failures, files - 1);
    EXPECT_EQ(wrongReference.notices.size(), files - 1);
    EXPECT_EQ(wrongBatched.notices, wrongReference.notices);
    EXPECT_FALSE(hasTemporaryFiles(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, FlushWays,
                         ::testing::Values(std::tuple{OutputFlush::together, 1u}, std::tuple{OutputFlush::together, 3u},
                                           std::tuple{OutputFlush::fileSystem, 2u}));

// An output of a batch that cannot be put in place (a file appeared at its name meanwhile) fails alone: the
// others land complete, the file that appeared stays as it was, and no temporary file is left.
class BatchFailure : public ::testing::TestWithParam<OutputFlush> {
protected:
    TempDir dir;
};

TEST_P(BatchFailure, OneOutputFailsAloneAndTheOthersLand) {
    OutputFolder folder;
    std::string reason;
    ASSERT_TRUE(folder.open(dir.path(), reason)) << reason;
    OutputBatch batch({8, 1u << 20, 1u << 20}, GetParam());
    for (int i = 0; i < 5; ++i) {
        auto output = std::make_unique<TemporaryOutput>();
        const std::string bytes = patternBytes(1000 + static_cast<std::size_t>(i), static_cast<unsigned>(i));
        ASSERT_TRUE(output->create(folder, numbered("f", i).string(), reason)) << reason;
        ASSERT_TRUE(output->writeAll(bytes.data(), bytes.size(), reason)) << reason;
        ASSERT_TRUE(output->seal(reason)) << reason;
        batch.add(std::move(output));
    }
    EXPECT_FALSE(batch.full());
    writeFile(dir / "f2", "already here");
    const std::vector<OutputBatch::Outcome> outcomes = batch.putInPlace(Existing::keep);
    ASSERT_EQ(outcomes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const fs::path file = dir / numbered("f", i);
        if (i == 2) {
            EXPECT_EQ(outcomes[2].commit, TemporaryOutput::Commit::targetExists);
            EXPECT_EQ(readFile(file), "already here");
        } else {
            EXPECT_EQ(outcomes[static_cast<std::size_t>(i)].commit, TemporaryOutput::Commit::done);
            EXPECT_EQ(readFile(file), patternBytes(1000 + static_cast<std::size_t>(i), static_cast<unsigned>(i)));
        }
    }
    EXPECT_TRUE(batch.empty());
    EXPECT_FALSE(hasTemporaryFiles(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(EveryBatchedWay, BatchFailure,
                         ::testing::Values(OutputFlush::together, OutputFlush::fileSystem));

} // namespace
} // namespace kelvara::test
