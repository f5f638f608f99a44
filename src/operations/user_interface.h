// The one way the operations talk to the user: messages, yes/no questions and progress.
// The window shows message boxes, the command-line tool prints, and tests record.
#pragma once

#include "operations/notice.h"

#include <cstdint>
#include <string>

namespace kelvara {

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Tells the user what happened (a failure, or success where asked for) and returns once acknowledged.
    virtual void notify(const Notice& notice) = 0;

    // Asks a yes/no question (UTF-8); true only for "yes".
    virtual bool askYesNo(const std::string& text) = 0;

    // Progress of a long run: a phase text, then positions 0..maximum, then the end of the phase.
    virtual void progressBegin(const std::string& phaseText, long long maximum) = 0;
    virtual void progressPosition(long long position) = 0;
    virtual void progressEnd() = 0;

    // Bytes done of the file being processed, reported at its start, about every MiB and at its end.
    // total is the input's size when it was opened (0 when unknown).
    virtual void fileProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
};

} // namespace kelvara
