// Streaming in chunks: one CBC pass encrypting, chunks decrypted on several threads giving the same bytes in
// order, and failures that stop the run with its threads joined.
#include "child_process.h"
#include "cipher/blowfish.h"
#include "core_temp_dir.h"
#include "operations/chunk_pipeline.h"

#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <tuple>
#include <vector>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

// Small chunks, so that small files make many of them.
constexpr std::size_t chunk = 64;

// A temporary output beside target, created as the file routines do.
bool createOutput(TemporaryOutput& output, const fs::path& target, std::string& reason) {
    OutputFolder folder;
    return folder.open(target.parent_path(), reason) && output.create(folder, target.filename(), reason);
}

std::ptrdiff_t threadCount() {
    return std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator{});
}

// The threads of the process before a run. A thread started and joined first lets a sanitizer start its own
// background thread, which would otherwise appear during the run and count as left over.
std::ptrdiff_t threadsAtRest() {
    std::thread([] {}).join();
    return threadCount();
}

class Keyed {
protected:
    Keyed() {
        const std::string key = patternBytes(32, 3);
        m_cipher.init(key.data(), 256);
        m_cipher.chainingValue(m_iv.data());
    }
    // Decrypts a chunk from its lead, as the file routines do; any thread, any order.
    ChunkTransform decryption() const {
        return [this](const std::uint8_t* lead, std::uint8_t* bytes, std::size_t size) {
            m_cipher.decryptCBCAfter(lead != nullptr ? lead : m_iv.data(), bytes, bytes,
                                     static_cast<std::uint32_t>(size));
        };
    }
    std::string onePass(std::string bytes, bool encrypting) {
        m_cipher.reset();
        auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
        if (encrypting)
            m_cipher.encryptCBC(data, data, static_cast<std::uint32_t>(bytes.size()));
        else
            m_cipher.decryptCBC(data, data, static_cast<std::uint32_t>(bytes.size()));
        return bytes;
    }

    Blowfish m_cipher;
    std::array<std::uint8_t, 8> m_iv{};
};

// Streams in to out through transform with plan; the outcome, and the progress values told.
StreamOutcome streamFile(const fs::path& in, const fs::path& out, const ChunkTransform& transform,
                         const ChunkPlan& plan, std::vector<std::uint64_t>& progress) {
    std::string reason;
    InputFile input;
    TemporaryOutput output;
    if (!input.open(in, reason) || !createOutput(output, out, reason))
        throw std::runtime_error(reason);
    const StreamOutcome outcome = streamChunks(
        input, output, transform, [&](std::uint64_t done) { progress.push_back(done); }, plan);
    if (outcome.failure == StreamOutcome::Failure::none &&
        output.commit(Existing::replace, reason) != TemporaryOutput::Commit::done)
        throw std::runtime_error(reason);
    return outcome;
}

class ChunkSizes : public Keyed, public ::testing::TestWithParam<std::tuple<std::size_t, unsigned>> {};

// Around the chunk size (a block or a byte either side, a partial last block, exactly one chunk, many): the
// stream encrypts as one pass does, and decrypts with any number of helpers to the same bytes in order.
TEST_P(ChunkSizes, EncryptAsOnePassAndDecryptOnHelpersToTheSameBytes) {
    const auto [size, helpers] = GetParam();
    TempDir dir;
    const std::string plain = patternBytes(size, static_cast<unsigned>(size));
    writeFile(dir / "plain", plain);

    std::vector<std::uint64_t> progress;
    m_cipher.reset();
    const auto encryption = [this](const std::uint8_t*, std::uint8_t* bytes, std::size_t n) {
        m_cipher.encryptCBC(bytes, bytes, static_cast<std::uint32_t>(n));
    };
    const StreamOutcome encrypted = streamFile(dir / "plain", dir / "encrypted", encryption, {chunk, 0}, progress);
    ASSERT_EQ(encrypted.failure, StreamOutcome::Failure::none) << encrypted.reason;
    EXPECT_EQ(readFile(dir / "encrypted"), onePass(plain, true));

    progress.clear();
    const StreamOutcome decrypted =
        streamFile(dir / "encrypted", dir / "decrypted", decryption(), {chunk, helpers}, progress);
    ASSERT_EQ(decrypted.failure, StreamOutcome::Failure::none) << decrypted.reason;
    EXPECT_EQ(decrypted.bytes, size);
    EXPECT_EQ(readFile(dir / "decrypted"), plain);
    // Told after every chunk in file order, the last one short and possibly empty.
    ASSERT_EQ(progress.size(), size / chunk + 1);
    for (std::size_t i = 0; i < progress.size(); ++i)
        EXPECT_EQ(progress[i], std::min<std::uint64_t>((i + 1) * chunk, size)) << "chunk " << i;
}

INSTANTIATE_TEST_SUITE_P(AroundTheChunkSize, ChunkSizes,
                         ::testing::Combine(::testing::Values(0u, 1u, 7u, 8u, chunk - 8, chunk - 1, chunk, chunk + 1,
                                                              chunk + 5, chunk + 8, 2 * chunk, 2 * chunk + 8,
                                                              300 * chunk + 3),
                                            ::testing::Values(0u, 1u, 3u)));

class ChunkFailures : public Keyed, public ::testing::Test {};

// An exception from the transform reaches the caller at once.
TEST_F(ChunkFailures, ExceptionFromTheTransformStopsTheRun) {
    TempDir dir;
    writeFile(dir / "in", patternBytes(10 * chunk));
    int calls = 0;
    const auto throwOnThird = [&](const std::uint8_t*, std::uint8_t*, std::size_t) {
        if (++calls == 3)
            throw std::runtime_error("stop");
    };
    std::vector<std::uint64_t> progress;
    EXPECT_THROW(streamFile(dir / "in", dir / "out", throwOnThird, {chunk, 0}, progress), std::runtime_error);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(treeEntries(dir.path()), std::set<std::string>{"in"});
}

// An exception from the progress (on the caller's thread) reaches the caller with every helper joined.
TEST_F(ChunkFailures, ExceptionFromTheProgressLeavesNoHelperRunning) {
    TempDir dir;
    writeFile(dir / "in", patternBytes(200 * chunk));
    const std::ptrdiff_t threadsBefore = threadsAtRest();
    std::string reason;
    InputFile input;
    TemporaryOutput output;
    ASSERT_TRUE(input.open(dir / "in", reason) && createOutput(output, dir / "out", reason)) << reason;
    int calls = 0;
    const auto throwOnThird = [&](std::uint64_t) {
        if (++calls == 3)
            throw std::runtime_error("stop");
    };
    EXPECT_THROW(streamChunks(input, output, decryption(), throwOnThird, {chunk, 3}), std::runtime_error);
    EXPECT_EQ(threadCount(), threadsBefore);
}

// A write failure (a file-size limit in a forked child) ends the run with the system's reason, soon after
// the failing write, with every helper joined.
TEST_F(ChunkFailures, WriteFailureEndsTheRunWithTheReasonAndNoHelperRunning) {
    TempDir dir;
    constexpr std::size_t size = 4096 * chunk;
    writeFile(dir / "in", patternBytes(size));
    const rlimit limit{100 * chunk + 10, 100 * chunk + 10};
    const int code = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        const std::ptrdiff_t threadsBefore = threadsAtRest();
        std::vector<std::uint64_t> progress;
        const StreamOutcome outcome = streamFile(dir / "in", dir / "out", decryption(), {chunk, 3}, progress);
        if (outcome.failure != StreamOutcome::Failure::write || outcome.reason != "File too large")
            return 12;
        if (threadCount() != threadsBefore)
            return 13;
        return progress.size() < size / chunk / 2 ? 0 : 14;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(treeEntries(dir.path()), std::set<std::string>{"in"});
}

// Reading this file fails with an I/O error at its start; the failure is reported, not taken as the end.
TEST_F(ChunkFailures, ReadFailureEndsTheRunWithTheReason) {
    TempDir dir;
    std::string reason;
    InputFile input;
    if (!input.open("/proc/self/mem", reason))
        GTEST_SKIP() << "/proc/self/mem cannot be opened: " << reason;
    TemporaryOutput output;
    ASSERT_TRUE(createOutput(output, dir / "out", reason));
    int calls = 0;
    const StreamOutcome outcome = streamChunks(
        input, output, [&](const std::uint8_t*, std::uint8_t*, std::size_t) { ++calls; }, [](std::uint64_t) {},
        {chunk, 3});
    EXPECT_EQ(outcome.failure, StreamOutcome::Failure::read);
    EXPECT_EQ(outcome.reason, "Input/output error");
    EXPECT_EQ(calls, 0);
}

// The helpers of the whole process stay within its limit, however many streams ask at once.
TEST(HelperThreadsLimit, LeasesShareTheProcessLimit) {
    const unsigned saved = HelperThreads::processLimit();
    HelperThreads::setProcessLimit(3);
    {
        const HelperThreads first(2);
        const HelperThreads second(2);
        const HelperThreads third(2);
        EXPECT_EQ(first.count(), 2u);
        EXPECT_EQ(second.count(), 1u);
        EXPECT_EQ(third.count(), 0u);
    }
    const HelperThreads again(5);
    EXPECT_EQ(again.count(), 3u);
    HelperThreads::setProcessLimit(saved);
}

} // namespace
} // namespace kelvara::test
