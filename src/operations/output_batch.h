// Small complete outputs of a folder run, made durable together and then put in place one by one.
#pragma once

#include "operations/system_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvara {

// How a folder run makes its outputs durable before it renames them. Every output is on the disk before its
// name appears, whichever is chosen; they differ only in how the cost of waiting for the disk is shared.
enum class OutputFlush {
    eachFile,   // every output flushed and renamed as soon as it is written, as a single file is
    together,   // small outputs wait in a batch: all are handed to the disk as they are written, then each is
                // flushed (on ext4 the first flush commits the journal for all of them) and renamed
    fileSystem, // as together, but the batch first writes back its whole file system at once (Linux syncfs)
};

class OutputBatch {
public:
    struct Limits {
        std::size_t files = 0;       // at most this many outputs wait (each holds two handles)
        std::uint64_t bytes = 0;     // and at most this many bytes
        std::uint64_t fileBytes = 0; // an output larger than this never waits
    };
    OutputBatch(Limits limits, OutputFlush flush) : m_limits(limits), m_flush(flush) {}

    // Takes a sealed output to put in place later.
    void add(std::unique_ptr<TemporaryOutput> output);
    bool full() const { return m_outputs.size() >= m_limits.files || m_bytes >= m_limits.bytes; }
    bool empty() const { return m_outputs.empty(); }
    const Limits& limits() const { return m_limits; }

    struct Outcome {
        TemporaryOutput::Commit commit = TemporaryOutput::Commit::failed;
        std::string reason;
    };
    // Flushes every output, then renames each whose flush succeeded (one that failed is removed). The
    // outcomes come in the order the outputs were added; the batch is empty afterwards.
    std::vector<Outcome> putInPlace(Existing existing);

private:
    Limits m_limits;
    OutputFlush m_flush;
    std::vector<std::unique_ptr<TemporaryOutput>> m_outputs;
    std::uint64_t m_bytes = 0;
};

} // namespace kelvara
