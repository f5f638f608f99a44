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
    : fErr(err), fShowProgress(showProgress), fCanAsk(canAsk) {}

TerminalUserInterface::~TerminalUserInterface() {
    clearProgress();
}

void TerminalUserInterface::notify(const Notice& notice) {
    clearProgress();
    fErr << "kelvara-cli: " << noticeText(notice) << '\n' << std::flush;
    endIfUnwritable();
    ++fMessages;
}

bool TerminalUserInterface::confirmFolderRun(bool decrypting, const std::filesystem::path& source,
                                             const std::filesystem::path& target) {
    clearProgress();
    if (!fCanAsk)
        return false;
    const std::string question = std::string(decrypting ? "Decrypt" : "Encrypt") + " the files of " +
                                 shownPath(source) + " into a mirror below " + shownPath(target) + "?";
    SecretBytes answer;
    askOnTerminal(question + " [y/N] ", Echo::shown, answer);
    return isYes(answer.view());
}

void TerminalUserInterface::progressBegin(ProgressPhase phase, long long maximum) {
    fStructurePhase = phase == ProgressPhase::structure;
    fMaximum = maximum;
    fStart = std::chrono::steady_clock::now();
    if (fStructurePhase)
        draw("creating folders 0/" + std::to_string(maximum + 1), true);
}

void TerminalUserInterface::progressPosition(long long position) {
    if (fStructurePhase)
        draw("creating folders " + std::to_string(std::min(position + 1, fMaximum + 1)) + "/" +
                 std::to_string(fMaximum + 1),
             false);
}

void TerminalUserInterface::progressEnd() {
    clearProgress();
    fStructurePhase = false;
}

// A single file shows its line only when it is big enough for the wait to be noticed.
void TerminalUserInterface::fileProgress(std::uint64_t done, std::uint64_t total) {
    if (total < fileProgressThreshold)
        return;
    if (done == 0)
        fStart = std::chrono::steady_clock::now();
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

double TerminalUserInterface::secondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - fStart).count();
}

// Redrawn in place at most ten times a second, so that a fast run does not spend its time drawing.
void TerminalUserInterface::draw(const std::string& line, bool force) {
    if (!fShowProgress)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && fLineShown && now - fLastDraw < redrawInterval)
        return;
    fLastDraw = now;
    fErr << "\r\033[K" << line << std::flush;
    endIfUnwritable();
    fLineShown = true;
}

// A run whose messages can no longer be written (standard error a closed pipe, a full disk) would go on
// without telling anyone what failed: it ends as an input or output error, its temporary files removed.
void TerminalUserInterface::endIfUnwritable() {
    if (!fErr)
        abandonRun(exitInputOutput);
}

void TerminalUserInterface::clearProgress() {
    if (fLineShown) {
        fErr << "\r\033[K" << std::flush;
        fLineShown = false;
    }
}

} // namespace kelvara::cli
