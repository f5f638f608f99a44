// Streams an input file through an in-place transform into an output, chunk by chunk in constant memory:
// on the caller's thread alone, or with helper threads that transform several chunks at once.
#pragma once

#include "operations/system_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kelvara {

// Bytes per chunk. A multiple of 8192, so that every chunk but the last holds whole cipher blocks and a CBC
// call on it chains exactly as a series of 8192-byte calls would: the output does not depend on the size.
inline constexpr std::size_t defaultChunkBytes = 1024 * 1024;

// Bytes before a chunk that its transform may look at: one cipher block, the chaining value of CBC decryption.
inline constexpr std::size_t chunkLeadBytes = 8;

struct ChunkPlan {
    std::size_t chunkBytes = defaultChunkBytes; // a multiple of chunkLeadBytes
    unsigned helpers = 0;                       // threads that transform chunks beside the caller's
};

struct StreamOutcome {
    enum class Failure { none, read, write };
    Failure failure = Failure::none;
    std::string reason;      // the system's text for a failure
    std::uint64_t bytes = 0; // bytes read and transformed
};

// Transforms one chunk in place. lead points to the chunkLeadBytes input bytes just before the chunk, as
// they were read; it is null for the first chunk. Every chunk but the last has the plan's size. Without
// helpers, chunks come in file order on the caller's thread; with helpers, several at once in any order, so
// the transform must then depend on nothing but its arguments and must not throw.
using ChunkTransform = std::function<void(const std::uint8_t* lead, std::uint8_t* bytes, std::size_t size)>;
// Told the bytes written so far after each chunk, on the caller's thread.
using ChunkProgress = std::function<void(std::uint64_t done)>;

// Reads the rest of input chunk by chunk, transforms each and writes them to output in file order. The
// caller's thread reads, writes and transforms; helpers, when planned, transform chunks read ahead of the
// one being written. At most two chunks per thread are held at once. An input that fits in one chunk starts
// no thread. Stops at the first read or write failure. The helpers are joined and the buffers wiped before
// it returns, also when the transform or the progress throws.
StreamOutcome streamChunks(InputFile& input, OutputSink& output, const ChunkTransform& transform,
                           const ChunkProgress& progress, const ChunkPlan& plan = {});

// Helper threads of the whole process for streamChunks: one fewer than the processors (at most
// maxHelperThreads) in all, however many files are streamed at once, so that a folder run's workers that each
// decrypt a big file do not start more threads than there are cores to run them.
inline constexpr unsigned maxHelperThreads = 7;

class HelperThreads {
public:
    // Takes up to wanted helpers of those free now; possibly none.
    explicit HelperThreads(unsigned wanted);
    ~HelperThreads();
    HelperThreads(const HelperThreads&) = delete;
    HelperThreads& operator=(const HelperThreads&) = delete;

    unsigned count() const { return m_count; }

    // All the helpers the process may run: one fewer than the processors, at most maxHelperThreads, unless set.
    static unsigned processLimit();
    // Sets that limit for the leases taken from now on (a benchmark compares one thread with all).
    static void setProcessLimit(unsigned limit);

private:
    unsigned m_count;
};

} // namespace kelvara
