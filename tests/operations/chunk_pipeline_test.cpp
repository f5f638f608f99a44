// The chunk pipeline: chunks arrive whole and in order, every transformed byte is written, failures stop it.
#include "child_process.h"
#include "core_temp_dir.h"
#include "operations/chunk_pipeline.h"

#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

namespace kelvara::test {
namespace {

// A temporary output beside target, created as the file routines do.
bool createOutput(TemporaryOutput& output, const std::filesystem::path& target, std::string& reason) {
    OutputFolder folder;
    return folder.open(target.parent_path(), reason) && output.create(folder, target.filename(), reason);
}

namespace fs = std::filesystem;

constexpr std::size_t chunk = pipelineChunkBytes;
constexpr std::size_t ring = pipelineChunks * pipelineChunkBytes;

// Each byte is xored with its chunk's number plus one, so that a chunk written twice, dropped or out of order
// shows in the output.
std::string markedByChunk(std::string bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ static_cast<char>(i / chunk + 1));
    return bytes;
}

class ChunkPipelineSizes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkPipelineSizes, TransformsWholeChunksInOrderAndWritesThemAll) {
    const std::size_t size = GetParam();
    TempDir dir;
    const std::string plain = patternBytes(size, static_cast<unsigned>(size));
    writeFile(dir / "in.bin", plain);
    std::string reason;
    InputFile input;
    ASSERT_TRUE(input.open(dir / "in.bin", reason)) << reason;
    TemporaryOutput output;
    ASSERT_TRUE(createOutput(output, dir / "out.bin", reason)) << reason;

    std::vector<std::size_t> sizes;
    std::vector<std::uint64_t> progress;
    const StreamOutcome outcome = streamChunks(
        input, output,
        [&](std::uint8_t* bytes, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i)
                bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ (sizes.size() + 1));
            sizes.push_back(n);
        },
        [&](std::uint64_t done) { progress.push_back(done); });
    ASSERT_EQ(outcome.failure, StreamOutcome::Failure::none) << outcome.reason;
    ASSERT_TRUE(output.commit(Existing::replace, reason) == TemporaryOutput::Commit::done) << reason;

    EXPECT_EQ(outcome.bytes, size);
    EXPECT_EQ(readFile(dir / "out.bin"), markedByChunk(plain));
    // Whole chunks but the last, which is short and may be empty: a CBC tail can only come at the end.
    ASSERT_EQ(sizes.size(), size / chunk + 1);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], chunk) << "chunk " << i;
    EXPECT_EQ(sizes.back(), size % chunk);
    ASSERT_EQ(progress.size(), sizes.size());
    for (std::size_t i = 0; i < progress.size(); ++i)
        EXPECT_EQ(progress[i], std::min<std::uint64_t>((i + 1) * chunk, size));
}

INSTANTIATE_TEST_SUITE_P(AroundChunkAndRingSizes, ChunkPipelineSizes,
                         ::testing::Values(0u, 1u, 8191u, chunk - 1, chunk, chunk + 1, ring - 1, ring, ring + 7,
                                           3 * ring + chunk / 2 + 5));

// An exception from the transform reaches the caller; the second thread is stopped and joined on the way.
TEST(ChunkPipeline, ExceptionFromTheTransformStopsTheRun) {
    TempDir dir;
    writeFile(dir / "in.bin", patternBytes(3 * ring));
    std::string reason;
    InputFile input;
    ASSERT_TRUE(input.open(dir / "in.bin", reason));
    TemporaryOutput output;
    ASSERT_TRUE(createOutput(output, dir / "out.bin", reason));
    int calls = 0;
    const auto throwOnThird = [&](std::uint8_t*, std::size_t) {
        if (++calls == 3)
            throw std::runtime_error("stop");
    };
    EXPECT_THROW(streamChunks(input, output, throwOnThird, [](std::uint64_t) {}), std::runtime_error);
    EXPECT_EQ(calls, 3);
    output.discard();
    EXPECT_EQ(treeEntries(dir.path()), std::set<std::string>{"in.bin"});
}

// A write failure (a file-size limit in a forked child) ends the run with the system's reason, however many
// chunks were read ahead.
TEST(ChunkPipeline, WriteFailureEndsTheRunWithTheReason) {
    TempDir dir;
    writeFile(dir / "in.bin", patternBytes(4 * ring));
    const rlimit limit{ring + 100, ring + 100};
    const int code = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        std::string reason;
        InputFile input;
        TemporaryOutput output;
        if (!input.open(dir / "in.bin", reason) || !createOutput(output, dir / "out.bin", reason))
            return 11;
        std::size_t transformed = 0;
        const StreamOutcome outcome = streamChunks(
            input, output, [&](std::uint8_t*, std::size_t n) { transformed += n; }, [](std::uint64_t) {});
        if (outcome.failure != StreamOutcome::Failure::write || outcome.reason != "File too large")
            return 12;
        // The run stops soon after the failing write instead of reading the whole input.
        return transformed < 4 * ring ? 0 : 13;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(treeEntries(dir.path()), std::set<std::string>{"in.bin"});
}

// Reading this file fails with an I/O error at its start; the failure is reported, not taken as the end.
TEST(ChunkPipeline, ReadFailureEndsTheRunWithTheReason) {
    TempDir dir;
    std::string reason;
    InputFile input;
    if (!input.open("/proc/self/mem", reason))
        GTEST_SKIP() << "/proc/self/mem cannot be opened: " << reason;
    TemporaryOutput output;
    ASSERT_TRUE(createOutput(output, dir / "out.bin", reason));
    int calls = 0;
    const StreamOutcome outcome = streamChunks(
        input, output, [&](std::uint8_t*, std::size_t) { ++calls; }, [](std::uint64_t) {});
    EXPECT_EQ(outcome.failure, StreamOutcome::Failure::read);
    EXPECT_EQ(outcome.reason, "Input/output error");
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace kelvara::test
