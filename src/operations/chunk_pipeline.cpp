// A ring of chunk buffers: the caller's thread reads chunks into it and writes them out in file order, while
// it and the helper threads transform the chunks in between.
#include "operations/chunk_pipeline.h"

#include "operations/wiped_buffer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kelvara {
namespace {

unsigned defaultHelperLimit() {
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    return std::min(maxHelperThreads, processors - 1);
}

std::atomic<unsigned>& helperLimit() {
    static std::atomic<unsigned> limit{defaultHelperLimit()};
    return limit;
}

std::atomic<unsigned> helpersInUse{0};

// Chunk number n of the file lives in slot n % slots. The counters only grow and keep
// written <= taken <= read <= written + slots: chunks in [taken, read) wait for a transform, and a chunk is
// written once its slot is done. Each slot thus has one user at a time: the caller while it reads or writes
// the chunk, one thread while it transforms it. The mutex guards the counters and flags; handing a counter
// on hands the slot's bytes on.
class ChunkStream {
public:
    ChunkStream(InputFile& input, OutputSink& output, const ChunkTransform& transform, const ChunkPlan& plan)
        : m_input(input), m_output(output), m_transform(transform), m_chunkBytes(plan.chunkBytes),
          m_helperCount(plan.helpers), m_slots(plan.helpers == 0 ? 1 : 2 * (plan.helpers + 1)) {}
    ChunkStream(const ChunkStream&) = delete;
    ChunkStream& operator=(const ChunkStream&) = delete;
    ~ChunkStream();

    StreamOutcome run(const ChunkProgress& progress);

private:
    struct Slot {
        std::unique_ptr<std::uint8_t[]> bytes; // allocated when first used
        std::size_t size = 0;                  // bytes of the chunk now in it
        std::size_t filled = 0;                // the most bytes it has held, for the wipe
        std::uint8_t lead[chunkLeadBytes] = {};
        bool done = false; // transformed, ready to be written
    };

    Slot& slotOf(std::uint64_t chunk) { return m_slots[chunk % m_slots.size()]; }
    bool readNext(std::unique_lock<std::mutex>& lock);
    bool writeOldest(std::unique_lock<std::mutex>& lock);
    void transformNext(std::unique_lock<std::mutex>& lock);
    void helperLoop();
    StreamOutcome failed() const { return {m_failure, m_reason, 0}; }

    InputFile& m_input;
    OutputSink& m_output;
    const ChunkTransform& m_transform;
    const std::size_t m_chunkBytes;
    const unsigned m_helperCount;
    std::vector<Slot> m_slots;
    std::uint8_t m_lastInput[chunkLeadBytes] = {}; // the last input bytes read, the lead of the next chunk

    std::mutex m_mutex;
    std::condition_variable m_helperWake; // a chunk was read, or stop
    std::condition_variable m_callerWake; // a chunk was transformed, or a helper failed
    std::uint64_t m_read = 0;
    std::uint64_t m_taken = 0;
    std::uint64_t m_written = 0;
    bool m_inputEnded = false;
    bool m_stop = false;
    std::exception_ptr m_helperError;
    StreamOutcome::Failure m_failure = StreamOutcome::Failure::none;
    std::string m_reason;
    std::vector<std::jthread> m_helpers; // last: joined before anything they use goes
};

ChunkStream::~ChunkStream() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_helperWake.notify_all();
    m_helpers.clear(); // joins them; a helper finishes the chunk it has, then sees the stop
    for (Slot& slot : m_slots) {
        if (slot.bytes)
            secureWipe(slot.bytes.get(), slot.filled);
        secureWipe(slot.lead, sizeof slot.lead);
    }
    secureWipe(m_lastInput, sizeof m_lastInput);
}

StreamOutcome ChunkStream::run(const ChunkProgress& progress) {
    std::unique_lock lock(m_mutex);
    if (!readNext(lock))
        return failed();
    // A body that fits in one chunk, as most files of a folder run do, starts no thread. A helper the system
    // refuses to start (a limit of processes) only leaves more of the work to the others and to the caller.
    if (!m_inputEnded) {
        try {
            for (unsigned i = 0; i < m_helperCount; ++i)
                m_helpers.emplace_back([this] { helperLoop(); });
        } catch (const std::system_error&) {
        }
    }
    StreamOutcome outcome;
    // Writing the oldest chunk frees a slot, reading fills one for the helpers, and with nothing else to
    // do the caller transforms a chunk itself.
    for (;;) {
        if (m_written < m_read && slotOf(m_written).done) {
            const std::size_t size = slotOf(m_written).size;
            if (!writeOldest(lock))
                return failed();
            outcome.bytes += size;
            lock.unlock();
            progress(outcome.bytes);
            lock.lock();
        } else if (!m_inputEnded && m_read < m_written + m_slots.size()) {
            if (!readNext(lock))
                return failed();
        } else if (m_taken < m_read) {
            transformNext(lock);
        } else if (m_written == m_read) {
            break; // the input has ended and every chunk is written
        } else {
            m_callerWake.wait(lock, [&] { return slotOf(m_written).done || m_helperError; });
            if (m_helperError)
                std::rethrow_exception(m_helperError);
        }
    }
    return outcome;
}

// The slot is free: its last chunk has been written, and no helper looks at chunks not yet read.
bool ChunkStream::readNext(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t chunk = m_read;
    Slot& slot = slotOf(chunk);
    lock.unlock();
    if (!slot.bytes)
        slot.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(m_chunkBytes);
    std::string reason;
    const std::ptrdiff_t n = m_input.readFull(slot.bytes.get(), m_chunkBytes, reason);
    if (n < 0) {
        slot.filled = m_chunkBytes; // a failed read may have left bytes in the slot
        lock.lock();
        m_failure = StreamOutcome::Failure::read;
        m_reason = std::move(reason);
        return false;
    }
    const auto size = static_cast<std::size_t>(n);
    slot.size = size;
    slot.filled = std::max(slot.filled, size);
    slot.done = false;
    // Kept before any thread can transform the chunk in place. Only the last chunk can be shorter than the
    // lead, and it has no successor.
    std::memcpy(slot.lead, m_lastInput, chunkLeadBytes);
    if (size >= chunkLeadBytes)
        std::memcpy(m_lastInput, slot.bytes.get() + size - chunkLeadBytes, chunkLeadBytes);
    lock.lock();
    m_inputEnded = size < m_chunkBytes;
    ++m_read;
    m_helperWake.notify_one();
    return true;
}

bool ChunkStream::writeOldest(std::unique_lock<std::mutex>& lock) {
    const Slot& slot = slotOf(m_written);
    std::string reason;
    lock.unlock();
    const bool ok = m_output.writeAll(slot.bytes.get(), slot.size, reason);
    lock.lock();
    if (!ok) {
        m_failure = StreamOutcome::Failure::write;
        m_reason = std::move(reason);
        return false;
    }
    ++m_written;
    return true;
}

void ChunkStream::transformNext(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t chunk = m_taken++;
    Slot& slot = slotOf(chunk);
    lock.unlock();
    m_transform(chunk == 0 ? nullptr : slot.lead, slot.bytes.get(), slot.size);
    lock.lock();
    slot.done = true;
}

void ChunkStream::helperLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_helperWake.wait(lock, [&] { return m_stop || m_taken < m_read; });
        if (m_stop)
            return;
        try {
            transformNext(lock);
        } catch (...) {
            // transformNext throws only from the transform, with the lock released.
            lock.lock();
            m_helperError = std::current_exception();
            m_stop = true;
            m_callerWake.notify_one();
            return;
        }
        m_callerWake.notify_one();
    }
}

} // namespace

HelperThreads::HelperThreads(unsigned wanted) : m_count(0) {
    unsigned inUse = helpersInUse.load();
    unsigned take;
    do {
        const unsigned limit = helperLimit().load();
        take = inUse < limit ? std::min(wanted, limit - inUse) : 0;
    } while (take != 0 && !helpersInUse.compare_exchange_weak(inUse, inUse + take));
    m_count = take;
}

HelperThreads::~HelperThreads() {
    helpersInUse -= m_count;
}

unsigned HelperThreads::processLimit() {
    return helperLimit().load();
}

void HelperThreads::setProcessLimit(unsigned limit) {
    helperLimit() = std::min(limit, maxHelperThreads);
}

StreamOutcome streamChunks(InputFile& input, OutputSink& output, const ChunkTransform& transform,
                           const ChunkProgress& progress, const ChunkPlan& plan) {
    ChunkStream stream(input, output, transform, plan);
    return stream.run(progress);
}

} // namespace kelvara
