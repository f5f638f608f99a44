// The one way the operations talk to the user: messages, yes/no questions and progress.
// The window shows message boxes, the command-line tool prints, and tests record.
#pragma once

#include <cstdint>
#include <string>

namespace kelvara {

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Shows a message (UTF-8) and returns once the user has acknowledged it.
    virtual void showMessage(const std::string& text) = 0;

    // Asks a yes/no question (UTF-8); true only for "yes".
    virtual bool askYesNo(const std::string& text) = 0;

    // Progress of a long run: a phase text, then positions 0..maximum, then the end of the phase.
    virtual void progressBegin(const std::string& phaseText, long long maximum) = 0;
    virtual void progressPosition(long long position) = 0;
    virtual void progressEnd() = 0;

    // Technical detail (file name and the system's reason, UTF-8) for the message that follows at once.
    // The fixed message texts carry no file name; a window may ignore this, the command-line tool prints it.
    virtual void showDetail(const std::string& /*detail*/) {}

    // Bytes done of the file being processed, reported at its start, about every MiB and at its end.
    // total is the input's size when it was opened (0 when unknown).
    virtual void fileProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
};

} // namespace kelvara
