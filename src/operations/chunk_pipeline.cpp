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
        : fInput(input), fOutput(output),
          fBuffers(std::make_unique_for_overwrite<std::uint8_t[]>(pipelineChunks * pipelineChunkBytes)) {}
    ChunkPipeline(const ChunkPipeline&) = delete;
    ChunkPipeline& operator=(const ChunkPipeline&) = delete;
    ~ChunkPipeline();

    StreamOutcome run(const ChunkTransform& transform, const ChunkProgress& progress);

private:
    std::uint8_t* slotBytes(std::uint64_t chunk) const {
        return fBuffers.get() + (chunk % pipelineChunks) * pipelineChunkBytes;
    }
    void ioLoop();
    bool writeNext(std::unique_lock<std::mutex>& lock);
    bool readNext(std::unique_lock<std::mutex>& lock);
    StreamOutcome failed() const { return {fFailure, fReason, 0}; }

    InputFile& fInput;
    OutputSink& fOutput;
    std::unique_ptr<std::uint8_t[]> fBuffers;
    std::size_t fSizes[pipelineChunks] = {};  // bytes of the chunk now in each slot
    std::size_t fFilled[pipelineChunks] = {}; // the most bytes each slot has held, for the wipe

    std::mutex fMutex;
    std::condition_variable fIoWake;     // a chunk was transformed, or stop
    std::condition_variable fCallerWake; // a chunk was read or written, or a failure
    std::uint64_t fRead = 0;
    std::uint64_t fTransformed = 0;
    std::uint64_t fWritten = 0;
    bool fInputEnded = false;
    bool fStop = false;
    StreamOutcome::Failure fFailure = StreamOutcome::Failure::none;
    std::string fReason;
    std::thread fIo;
};

ChunkPipeline::~ChunkPipeline() {
    if (fIo.joinable()) {
        {
            std::lock_guard lock(fMutex);
            fStop = true;
        }
        fIoWake.notify_one();
        fIo.join();
    }
    for (std::size_t slot = 0; slot < pipelineChunks; ++slot)
        secureWipe(fBuffers.get() + slot * pipelineChunkBytes, fFilled[slot]);
}

StreamOutcome ChunkPipeline::run(const ChunkTransform& transform, const ChunkProgress& progress) {
    // The first chunk is read on this thread: a file that fits in one chunk, as most files of a folder
    // run do, is done without starting a second thread.
    bool singleChunk;
    {
        std::unique_lock lock(fMutex);
        if (!readNext(lock))
            return failed();
        singleChunk = fInputEnded;
    }
    if (!singleChunk)
        fIo = std::thread(&ChunkPipeline::ioLoop, this);
    StreamOutcome outcome;
    for (;;) {
        std::uint64_t chunk;
        std::size_t size;
        {
            std::unique_lock lock(fMutex);
            fCallerWake.wait(lock, [&] { return fFailure != StreamOutcome::Failure::none || fTransformed < fRead; });
            if (fFailure != StreamOutcome::Failure::none)
                return failed();
            chunk = fTransformed;
            size = fSizes[chunk % pipelineChunks];
        }
        transform(slotBytes(chunk), size);
        {
            std::lock_guard lock(fMutex);
            ++fTransformed;
        }
        fIoWake.notify_one();
        outcome.bytes += size;
        progress(outcome.bytes);
        if (size < pipelineChunkBytes)
            break; // the last chunk, possibly empty
    }
    std::unique_lock lock(fMutex);
    if (singleChunk && !writeNext(lock))
        return failed();
    fCallerWake.wait(lock, [&] { return fFailure != StreamOutcome::Failure::none || fWritten == fTransformed; });
    if (fFailure != StreamOutcome::Failure::none)
        return failed();
    return outcome;
}

// Writes come before reads: a write frees a slot for the next read, and keeps the output in step.
void ChunkPipeline::ioLoop() {
    std::unique_lock lock(fMutex);
    for (;;) {
        fIoWake.wait(lock, [&] {
            return fStop || fWritten < fTransformed || (!fInputEnded && fRead < fWritten + pipelineChunks);
        });
        if (fStop)
            return;
        const bool ok = fWritten < fTransformed ? writeNext(lock) : readNext(lock);
        fCallerWake.notify_one();
        if (!ok)
            return;
    }
}

bool ChunkPipeline::writeNext(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t chunk = fWritten;
    const std::size_t size = fSizes[chunk % pipelineChunks];
    std::string reason;
    lock.unlock();
    const bool ok = fOutput.writeAll(slotBytes(chunk), size, reason);
    lock.lock();
    if (!ok) {
        fFailure = StreamOutcome::Failure::write;
        fReason = std::move(reason);
        return false;
    }
    ++fWritten;
    return true;
}

bool ChunkPipeline::readNext(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t chunk = fRead;
    std::string reason;
    lock.unlock();
    const std::ptrdiff_t n = fInput.readFull(slotBytes(chunk), pipelineChunkBytes, reason);
    lock.lock();
    if (n < 0) {
        fFailure = StreamOutcome::Failure::read;
        fReason = std::move(reason);
        // A failed read may have left bytes in the slot.
        fFilled[chunk % pipelineChunks] = pipelineChunkBytes;
        return false;
    }
    const auto size = static_cast<std::size_t>(n);
    std::size_t& filled = fFilled[chunk % pipelineChunks];
    filled = std::max(filled, size);
    fSizes[chunk % pipelineChunks] = size;
    fInputEnded = size < pipelineChunkBytes;
    ++fRead;
    return true;
}

} // namespace

StreamOutcome streamChunks(InputFile& input, OutputSink& output, const ChunkTransform& transform,
                           const ChunkProgress& progress) {
    ChunkPipeline pipeline(input, output);
    return pipeline.run(transform, progress);
}

} // namespace kelvara
