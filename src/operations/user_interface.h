// The one way the operations talk to the user: notices, the folder run's question and progress.
// The window shows message boxes, the command-line tool prints, and tests record.
#pragma once

#include "operations/notice.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace kelvara {

// The phases of a folder run.
enum class ProgressPhase {
    structure,  // the folders of the mirror are created
    encrypting, // the files are encrypted
    decrypting, // the files are decrypted
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Tells the user what happened (a failure, or success where asked for) and returns once acknowledged.
    virtual void notify(const Notice& notice) = 0;

    // Asks whether the files of source are to be encrypted (or decrypted) into the mirror below target; true
    // only for "yes".
    virtual bool confirmFolderRun(Direction direction, const std::filesystem::path& source,
                                  const std::filesystem::path& target) = 0;

    // Progress of a long run: a phase, then positions 0..maximum, then the end of the phase.
    virtual void progressBegin(ProgressPhase phase, long long maximum) = 0;
    virtual void progressPosition(long long position) = 0;
    virtual void progressEnd() = 0;

    // Bytes done of the file being processed, reported at its start, about every MiB and at its end.
    // total is the input's size when it was opened (0 when unknown).
    virtual void fileProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}

    // A folder run's data phase after each file: files and input bytes done of the run's totals.
    virtual void folderProgress(std::size_t /*filesDone*/, std::size_t /*files*/, std::uint64_t /*bytesDone*/,
                                std::uint64_t /*bytes*/) {}

    // A folder run handles fewer files at once than wanted, since the limit of open files allows no more.
    virtual void workersLimited(unsigned /*wanted*/, unsigned /*allowed*/) {}
};

} // namespace kelvara
