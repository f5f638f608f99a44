// OutputBatch: one wait for the disk shared by the small outputs of a folder run.
#include "operations/output_batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

namespace kelvara {

void OutputBatch::add(std::unique_ptr<TemporaryOutput> output) {
    m_bytes += output->written();
    m_outputs.push_back(std::move(output));
}

namespace {

// Flushes every output, several at once: a flush waits mostly for the disk to confirm, and the system
// answers flushes that wait together with one confirmation of the disk instead of one each. flushed[i] tells
// whether output i made it; otherwise its reason is set.
void flushTogether(const std::vector<std::unique_ptr<TemporaryOutput>>& outputs,
                   std::vector<OutputBatch::Outcome>& outcomes, std::vector<char>& flushed) {
    constexpr std::size_t outputsPerThread = 4;
    constexpr std::size_t mostThreads = 16;
    std::atomic<std::size_t> next{0};
    const auto flushSome = [&] {
        for (std::size_t i = next++; i < outputs.size(); i = next++)
            flushed[i] = outputs[i]->flush(outcomes[i].reason) ? 1 : 0;
    };
    // The first flush shows whether flushes wait at all: on a tmpfs, or a disk that confirms at once, starting
    // threads would cost more than it saves.
    constexpr auto quickFlush = std::chrono::microseconds(200);
    const auto start = std::chrono::steady_clock::now();
    if (!outputs.empty())
        flushed[next++] = outputs.front()->flush(outcomes.front().reason) ? 1 : 0;
    if (std::chrono::steady_clock::now() - start < quickFlush) {
        flushSome();
        return;
    }
    const std::size_t helpers = std::min(mostThreads, (outputs.size() + outputsPerThread - 1) / outputsPerThread);
    std::vector<std::jthread> threads;
    try {
        for (std::size_t i = 1; i < helpers; ++i)
            threads.emplace_back(flushSome);
    } catch (const std::system_error&) {
        // No more threads: those started and this one flush the rest.
    }
    flushSome();
}

} // namespace

std::vector<OutputBatch::Outcome> OutputBatch::putInPlace(Existing existing) {
    std::vector<Outcome> outcomes(m_outputs.size());
    if (m_flush == OutputFlush::fileSystem && !m_outputs.empty())
        m_outputs.front()->writeBackFileSystem();
    // All flushes before the first rename: a rename would start a new journal transaction that a later
    // flush might have to wait for.
    std::vector<char> flushed(m_outputs.size(), 0);
    flushTogether(m_outputs, outcomes, flushed);
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        if (flushed[i] != 0)
            outcomes[i].commit = m_outputs[i]->putInPlace(existing, outcomes[i].reason);
    }
    m_outputs.clear(); // what was not put in place is removed here
    m_bytes = 0;
    return outcomes;
}

} // namespace kelvara
