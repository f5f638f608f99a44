// Messages, questions and a throttled progress line for kelvara-cli.
#include "cli/terminal_ui.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/notice_text.h"
#include "cli/path_text.h"
#include "cli/progress_line.h"

#include <algorithm>
#include <ostream>
#include <string_view>

namespace kelvara::cli {
namespace {

constexpr std::uint64_t mebibyte = 1024 * 1024;
// A single file shows progress only when it is big enough for the wait to be noticed.
constexpr std::uint64_t fileProgressThreshold = 16 * mebibyte;
constexpr auto redrawInterval = std::chrono::milliseconds(100);

bool isYes(std::string_view answer) {
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
        answer.remove_suffix(1);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "j" || answer == "J" || answer == "ja";
}

} // namespace

TerminalUserInterface::TerminalUserInterface(std::ostream& err, bool showProgress, bool canAsk)
    : m_err(err), m_showProgress(showProgress), m_canAsk(canAsk) {}

TerminalUserInterface::~TerminalUserInterface() {
    clearProgress();
}

void TerminalUserInterface::notify(const Notice& notice) {
    clearProgress();
    m_err << "kelvara-cli: " << noticeText(notice) << '\n' << std::flush;
    endIfUnwritable();
}

bool TerminalUserInterface::confirmFolderRun(Direction direction, const std::filesystem::path& source,
                                             const std::filesystem::path& target) {
    clearProgress();
    if (!m_canAsk)
        return false;
    const std::string question = std::string(direction == Direction::decrypt ? "Decrypt" : "Encrypt") +
                                 " the files of " + shownPath(source) + " into a mirror below " + shownPath(target) +
                                 "?";
    SecretBytes answer;
    askOnTerminal(question + " [y/N] ", Echo::shown, answer);
    return isYes(answer.view());
}

void TerminalUserInterface::progressBegin(ProgressPhase phase, long long maximum) {
    m_structurePhase = phase == ProgressPhase::structure;
    m_maximum = maximum;
    m_start = std::chrono::steady_clock::now();
    if (m_structurePhase)
        draw("creating folders 0/" + std::to_string(maximum + 1), true);
}

void TerminalUserInterface::progressPosition(long long position) {
    if (m_structurePhase)
        draw("creating folders " + std::to_string(std::min(position + 1, m_maximum + 1)) + "/" +
                 std::to_string(m_maximum + 1),
             false);
}

void TerminalUserInterface::progressEnd() {
    clearProgress();
    m_structurePhase = false;
}

// A single file shows its line only when it is big enough for the wait to be noticed.
void TerminalUserInterface::fileProgress(std::uint64_t done, std::uint64_t total) {
    if (total < fileProgressThreshold)
        return;
    if (done == 0)
        m_start = std::chrono::steady_clock::now();
    if (done >= total) {
        clearProgress();
        return;
    }
    draw(progressLine({done, total, 0, 0, secondsSinceStart()}), false);
}

void TerminalUserInterface::folderProgress(std::size_t filesDone, std::size_t files, std::uint64_t bytesDone,
                                           std::uint64_t bytes) {
    draw(progressLine({bytesDone, bytes, filesDone, files, secondsSinceStart()}), filesDone == files);
}

void TerminalUserInterface::workersLimited(unsigned wanted, unsigned allowed) {
    clearProgress();
    m_err << "kelvara-cli: -j " << wanted << " lowered to " << allowed
          << ": the limit of open files (ulimit -n) allows no more files at once\n"
          << std::flush;
}

double TerminalUserInterface::secondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

// Redrawn in place at most ten times a second, so that a fast run does not spend its time drawing.
void TerminalUserInterface::draw(const std::string& line, bool force) {
    if (!m_showProgress)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_lineShown && now - m_lastDraw < redrawInterval)
        return;
    m_lastDraw = now;
    m_err << "\r\033[K" << line << std::flush;
    endIfUnwritable();
    m_lineShown = true;
}

// A run whose messages can no longer be written (standard error a closed pipe, a full disk) would go on
// without telling anyone what failed: it ends as an input or output error, its temporary files removed.
void TerminalUserInterface::endIfUnwritable() {
    if (!m_err)
        abandonRun(exitInputOutput);
}

void TerminalUserInterface::clearProgress() {
    if (m_lineShown) {
        m_err << "\r\033[K" << std::flush;
        m_lineShown = false;
    }
}

} // namespace kelvara::cli
