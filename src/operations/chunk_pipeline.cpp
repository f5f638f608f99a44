// A ring of chunk buffers passed between the caller's thread (transform) and one I/O thread (read, write).
#include "operations/chunk_pipeline.h"

#include "operations/wiped_buffer.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace kelvara {
namespace {

// Chunk number i of the file lives in slot i % pipelineChunks. The three counters only grow and keep
// written <= transformed <= read <= written + pipelineChunks, so each slot has one user at a time: the I/O
// thread while it reads or writes the chunk, the caller while it transforms it. The mutex guards the
// counters, sizes and flags; handing a counter on hands the slot's bytes on.
class ChunkPipeline {
public:
    ChunkPipeline(InputFile& input, OutputSink& output)
        : m_input(input), m_output(output),
          m_buffers(std::make_unique_for_overwrite<std::uint8_t[]>(pipelineChunks * pipelineChunkBytes)) {}
    ChunkPipeline(const ChunkPipeline&) = delete;
    ChunkPipeline& operator=(const ChunkPipeline&) = delete;
    ~ChunkPipeline();

    StreamOutcome run(const ChunkTransform& transform, const ChunkProgress& progress);

private:
    std::uint8_t* slotBytes(std::uint64_t chunk) const {
        return m_buffers.get() + (chunk % pipelineChunks) * pipelineChunkBytes;
    }
    void ioLoop();
    bool writeNext(std::unique_lock<std::mutex>& lock);
    bool readNext(std::unique_lock<std::mutex>& lock);
    StreamOutcome failed() const { return {m_failure, m_reason, 0}; }

    InputFile& m_input;
    OutputSink& m_output;
    std::unique_ptr<std::uint8_t[]> m_buffers;
    std::size_t m_sizes[pipelineChunks] = {};  // bytes of the chunk now in each slot
    std::size_t m_filled[pipelineChunks] = {}; // the most bytes each slot has held, for the wipe

    std::mutex m_mutex;
    std::condition_variable m_ioWake;     // a chunk was transformed, or stop
    std::condition_variable m_callerWake; // a chunk was read or written, or a failure
    std::uint64_t m_read = 0;
    std::uint64_t m_transformed = 0;
    std::uint64_t m_written = 0;
    bool m_inputEnded = false;
    bool m_stop = false;
    StreamOutcome::Failure m_failure = StreamOutcome::Failure::none;
    std::string m_reason;
    std::thread m_io;
};

ChunkPipeline::~ChunkPipeline() {
    if (m_io.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_ioWake.notify_one();
        m_io.join();
    }
    for (std::size_t slot = 0; slot < pipelineChunks; ++slot)
        secureWipe(m_buffers.get() + slot * pipelineChunkBytes, m_filled[slot]);
}

StreamOutcome ChunkPipeline::run(const ChunkTransform& transform, const ChunkProgress& progress) {
    // The first chunk is read on this thread: a file that fits in one chunk, as most files of a folder
    // run do, is done without starting a second thread.
    bool singleChunk;
    {
        std::unique_lock lock(m_mutex);
        if (!readNext(lock))
            return failed();
        singleChunk = m_inputEnded;
    }
    if (!singleChunk)
        m_io = std::thread(&ChunkPipeline::ioLoop, this);
    StreamOutcome outcome;
    for (;;) {
        std::uint64_t chunk;
        std::size_t size;
        {
            std::unique_lock lock(m_mutex);
            m_callerWake.wait(lock,
                              [&] { return m_failure != StreamOutcome::Failure::none || m_transformed < m_read; });
            if (m_failure != StreamOutcome::Failure::none)
                return failed();
            chunk = m_transformed;
            size = m_sizes[chunk % pipelineChunks];
        }
        transform(slotBytes(chunk), size);
        {
            std::lock_guard lock(m_mutex);
            ++m_transformed;
        }
        m_ioWake.notify_one();
        outcome.bytes += size;
        progress(outcome.bytes);
        if (size < pipelineChunkBytes)
            break; // the last chunk, possibly empty
    }
    std::unique_lock lock(m_mutex);
    if (singleChunk && !writeNext(lock))
        return failed();
    m_callerWake.wait(lock, [&] { return m_failure != StreamOutcome::Failure::none || m_written == m_transformed; });
    if (m_failure != StreamOutcome::Failure::none)
        return failed();
    return outcome;
}

// Writes come before reads: a write frees a slot for the next read, and keeps the output in step.
void ChunkPipeline::ioLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_ioWake.wait(lock, [&] {
            return m_stop || m_written < m_transformed || (!m_inputEnded && m_read < m_written + pipelineChunks);
        });
        if (m_stop)
            return;
        const bool ok = m_written < m_transformed ? writeNext(lock) : readNext(lock);
        m_callerWake.notify_one();
        if (!ok)
            return;
    }
}

bool ChunkPipeline::writeNext(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t chunk = m_written;
    const std::size_t size = m_sizes[chunk % pipelineChunks];
    std::string reason;
    lock.unlock();
    const bool ok = m_output.writeAll(slotBytes(chunk), size, reason);
    lock.lock();
    if (!ok) {
        m_failure = StreamOutcome::Failure::write;
        m_reason = std::move(reason);
        return false;
    }
    ++m_written;
    return true;
}

bool ChunkPipeline::readNext(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t chunk = m_read;
    std::string reason;
    lock.unlock();
    const std::ptrdiff_t n = m_input.readFull(slotBytes(chunk), pipelineChunkBytes, reason);
    lock.lock();
    if (n < 0) {
        m_failure = StreamOutcome::Failure::read;
        m_reason = std::move(reason);
        // A failed read may have left bytes in the slot.
        m_filled[chunk % pipelineChunks] = pipelineChunkBytes;
        return false;
    }
    const auto size = static_cast<std::size_t>(n);
    std::size_t& filled = m_filled[chunk % pipelineChunks];
    filled = std::max(filled, size);
    m_sizes[chunk % pipelineChunks] = size;
    m_inputEnded = size < pipelineChunkBytes;
    ++m_read;
    return true;
}

} // namespace

StreamOutcome streamChunks(InputFile& input, OutputSink& output, const ChunkTransform& transform,
                           const ChunkProgress& progress) {
    ChunkPipeline pipeline(input, output);
    return pipeline.run(transform, progress);
}

} // namespace kelvara
