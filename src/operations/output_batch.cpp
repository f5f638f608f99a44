// OutputBatch: one wait for the disk shared by the small outputs of a folder run.
#include "operations/output_batch.h"

#include <utility>

namespace kelvara {

void OutputBatch::add(std::unique_ptr<TemporaryOutput> output) {
    m_bytes += output->written();
    m_outputs.push_back(std::move(output));
}

std::vector<OutputBatch::Outcome> OutputBatch::putInPlace(Existing existing) {
    std::vector<Outcome> outcomes(m_outputs.size());
    if (m_flush == OutputFlush::fileSystem && !m_outputs.empty())
        m_outputs.front()->writeBackFileSystem();
    // All flushes before the first rename: a rename would start a new journal transaction that the next
    // flush might have to wait for.
    std::vector<bool> flushed(m_outputs.size());
    for (std::size_t i = 0; i < m_outputs.size(); ++i)
        flushed[i] = m_outputs[i]->flush(outcomes[i].reason);
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        if (flushed[i])
            outcomes[i].commit = m_outputs[i]->putInPlace(existing, outcomes[i].reason);
    }
    m_outputs.clear(); // what was not put in place is removed here
    m_bytes = 0;
    return outcomes;
}

} // namespace kelvara
