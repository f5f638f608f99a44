// Messages, questions and a throttled progress line for kelvara-cli.
#include "cli/terminal_ui.h"

#include "cli/console.h"
#include "cli/notice_text.h"
#include "cli/path_text.h"

#include <ostream>
#include <string_view>

namespace kelvara::cli {
namespace {

constexpr std::uint64_t mebibyte = 1024 * 1024;
// A single file shows progress only when it is big enough for the wait to be noticed.
constexpr std::uint64_t fileProgressThreshold = 4 * mebibyte;
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
    ++fMessages;
}

bool TerminalUserInterface::confirmFolderRun(bool decrypting, const std::filesystem::path& source,
                                             const std::filesystem::path& target) {
    clearProgress();
    if (!fCanAsk)
        return false;
    const std::string question = std::string(decrypting ? "Decrypt" : "Encrypt") + " the files of " +
                                 shownPath(source) + " into a mirror below " + shownPath(target) + "?";
    std::string answer;
    askOnTerminal(question + " [y/N] ", Echo::shown, answer);
    return isYes(answer);
}

void TerminalUserInterface::progressBegin(ProgressPhase phase, long long maximum) {
    switch (phase) {
    case ProgressPhase::structure:
        fPhase = "creating folders";
        break;
    case ProgressPhase::encrypting:
        fPhase = "encrypting files";
        break;
    case ProgressPhase::decrypting:
        fPhase = "decrypting files";
        break;
    }
    fMaximum = maximum;
    fPosition = 0;
    drawProgress(true);
}

void TerminalUserInterface::progressPosition(long long position) {
    fPosition = position;
    drawProgress(false);
}

void TerminalUserInterface::progressEnd() {
    clearProgress();
    fPhase.clear();
}

void TerminalUserInterface::fileProgress(std::uint64_t done, std::uint64_t total) {
    fFileDone = done;
    fFileTotal = total;
    drawProgress(false);
}

void TerminalUserInterface::drawProgress(bool force) {
    if (!fShowProgress)
        return;
    const bool bigFile = fFileTotal >= fileProgressThreshold && fFileDone < fFileTotal;
    if (fPhase.empty() && !bigFile) {
        clearProgress();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - fLastDraw < redrawInterval)
        return;
    fLastDraw = now;
    std::string line = "\r\033[K";
    if (!fPhase.empty()) {
        line += fPhase + " " + std::to_string(fPosition) + "/" + std::to_string(fMaximum);
        if (bigFile)
            line += "  ";
    }
    if (bigFile) {
        line += std::to_string(fFileDone / mebibyte) + "/" + std::to_string(fFileTotal / mebibyte) + " MiB (" +
                std::to_string(fFileDone * 100 / fFileTotal) + "%)";
    }
    fErr << line << std::flush;
    fLineShown = true;
}

void TerminalUserInterface::clearProgress() {
    if (fLineShown) {
        fErr << "\r\033[K" << std::flush;
        fLineShown = false;
    }
}

} // namespace kelvara::cli
