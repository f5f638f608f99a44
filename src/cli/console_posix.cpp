// kelvara-cli's console on POSIX: argv as it is, and questions on /dev/tty with echo switched off by termios.
#include "cli/console.h"

#include "operations/system_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kelvara::cli {
namespace {

// The terminal settings to put back when a signal ends the program while echo is off.
termios savedTerminal{};
std::atomic<int> savedTerminalFd{-1};

// The terminal with echo switched off for as long as the object lives; ECHONL still shows the line end.
class SilentTerminal {
public:
    explicit SilentTerminal(int fd) : m_fd(fd) {
        if (::tcgetattr(m_fd, &m_saved) == 0) {
            termios silent = m_saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            silent.c_lflag |= ECHONL;
            savedTerminal = m_saved;
            savedTerminalFd.store(m_fd);
            m_restore = ::tcsetattr(m_fd, TCSAFLUSH, &silent) == 0;
            if (!m_restore)
                savedTerminalFd.store(-1);
        }
    }
    SilentTerminal(const SilentTerminal&) = delete;
    SilentTerminal& operator=(const SilentTerminal&) = delete;
    ~SilentTerminal() {
        if (m_restore) {
            savedTerminalFd.store(-1);
            ::tcsetattr(m_fd, TCSAFLUSH, &m_saved);
        }
    }

private:
    int m_fd;
    termios m_saved{};
    bool m_restore = false;
};

// Only async-signal-safe calls: tcsetattr, unlinkat (in removeTemporaryFiles), write and _exit.
void onInterrupt(int signalNumber) {
    const int terminal = savedTerminalFd.load();
    if (terminal >= 0) {
        ::tcsetattr(terminal, TCSANOW, &savedTerminal);
        // The prompt's line was left open: end it, so the shell's prompt starts on a line of its own.
        [[maybe_unused]] const ssize_t ignored = ::write(terminal, "\n", 1);
    }
    removeTemporaryFiles();
    ::_exit(128 + signalNumber);
}

TerminalReply readLine(int fd, std::string& line) {
    char c;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return line.empty() ? TerminalReply::nothingEntered : TerminalReply::answered;
        if (c == '\n')
            return TerminalReply::answered;
        line.push_back(c);
    }
}

} // namespace

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void prepareStandardStreams() {}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool standardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool terminalAvailable() {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signalNumber);
    }
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
    // Past a file-size limit write() then fails with EFBIG: an ordinary write error, temporary file removed.
    ::signal(SIGXFSZ, SIG_IGN);
}

std::optional<std::string> environmentVariable(const char* name) {
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

TerminalReply askOnTerminal(std::string_view prompt, Echo echo, std::string& line) {
    line.clear();
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return TerminalReply::noTerminal;
    TerminalReply reply = TerminalReply::nothingEntered;
    if (::write(fd, prompt.data(), prompt.size()) >= 0) {
        if (echo == Echo::hidden) {
            SilentTerminal silent(fd);
            reply = readLine(fd, line);
        } else {
            reply = readLine(fd, line);
        }
    }
    ::close(fd);
    return reply;
}

} // namespace kelvara::cli
