// Streams an input file through an in-place transform into a temporary output, with the reading and writing
// done on a second thread.
#pragma once

#include "operations/system_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kelvara {

// Bytes per chunk. A multiple of 8192, so that every chunk but the last holds whole cipher blocks and a CBC
// call on it chains exactly as a series of 8192-byte calls would: the output does not depend on the size.
inline constexpr std::size_t pipelineChunkBytes = 256 * 1024;

// Chunks in memory at once: while the caller transforms one, the second thread writes the one before and
// reads the ones after.
inline constexpr std::size_t pipelineChunks = 4;

struct StreamOutcome {
    enum class Failure { none, read, write };
    Failure failure = Failure::none;
    std::string reason;      // the system's text for a failure
    std::uint64_t bytes = 0; // bytes read and transformed
};

// Transforms one chunk in place. Called in file order; every chunk but the last has pipelineChunkBytes.
using ChunkTransform = std::function<void(std::uint8_t* bytes, std::size_t size)>;
// Told the bytes transformed so far after each chunk.
using ChunkProgress = std::function<void(std::uint64_t done)>;

// Reads the rest of input chunk by chunk, transforms each and writes it to output. The transform and the
// progress run on the caller's thread while a second thread reads ahead and writes behind, so that the
// disk and the cipher work at the same time; an input that fits in one chunk is done without it. Stops at
// the first read or write failure. The buffers are wiped before it returns, also when the transform or the
// progress throws.
StreamOutcome streamChunks(InputFile& input, OutputSink& output, const ChunkTransform& transform,
                           const ChunkProgress& progress);

} // namespace kelvara
