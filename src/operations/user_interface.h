// The one way the operations talk to the user: messages, yes/no questions and progress.
// The window shows message boxes, the command-line tool prints, and tests record.
#pragma once

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
};

} // namespace kelvara
