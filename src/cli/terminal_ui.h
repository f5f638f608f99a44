// The command-line tool's UserInterface: messages on standard error, questions on the terminal,
// and a progress line while standard error is a terminal.
#pragma once

#include "operations/user_interface.h"

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace kelvara::cli {

class TerminalUserInterface final : public UserInterface {
public:
    // err receives messages; showProgress is usually "standard error is a terminal and not --quiet";
    // canAsk allows questions on the terminal (otherwise every question is answered "no").
    TerminalUserInterface(std::ostream& err, bool showProgress, bool canAsk);
    ~TerminalUserInterface() override;

    void notify(const Notice& notice) override;
    bool confirmFolderRun(Direction direction, const std::filesystem::path& source,
                          const std::filesystem::path& target) override;
    void progressBegin(ProgressPhase phase, long long maximum) override;
    void progressPosition(long long position) override;
    void progressEnd() override;
    void fileProgress(std::uint64_t done, std::uint64_t total) override;
    void folderProgress(std::size_t filesDone, std::size_t files, std::uint64_t bytesDone,
                        std::uint64_t bytes) override;
    void workersLimited(unsigned wanted, unsigned allowed) override;

private:
    void draw(const std::string& line, bool force);
    void clearProgress();
    void endIfUnwritable();
    double secondsSinceStart() const;

    std::ostream& m_err;
    bool m_showProgress;
    bool m_canAsk;
    bool m_structurePhase = false;
    long long m_maximum = 0;
    bool m_lineShown = false;
    std::chrono::steady_clock::time_point m_start{};
    std::chrono::steady_clock::time_point m_lastDraw{};
};

} // namespace kelvara::cli
