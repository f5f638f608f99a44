// kelvara-cli's console on POSIX: argv as it is, and questions on /dev/tty with echo switched off by termios.
#include "cli/console.h"

#include "operations/system_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
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

// Signals whose default action ends the process, sent from outside: handled like SIGTERM.
constexpr int endingSignals[] = {
    SIGHUP,    SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};
// Signals a fault of the program itself raises (they can also be sent). After the temporaries are removed the
// signal takes its earlier action, so that a crash still dumps its core and a sanitizer still reports it.
constexpr int faultSignals[] = {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV, SIGSYS, SIGTRAP};
struct sigaction earlierFaultActions[sizeof faultSignals / sizeof faultSignals[0]];

// Only async-signal-safe calls: tcsetattr, unlinkat (in removeTemporaryFiles), write, sigaction, raise, _exit.
void restoreTerminal() {
    const int terminal = savedTerminalFd.exchange(-1);
    if (terminal >= 0) {
        ::tcsetattr(terminal, TCSANOW, &savedTerminal);
        // The prompt's line was left open: end it, so the shell's prompt starts on a line of its own.
        [[maybe_unused]] const ssize_t ignored = ::write(terminal, "\n", 1);
    }
}

void onInterrupt(int signalNumber) {
    restoreTerminal();
    removeTemporaryFiles();
    ::_exit(128 + signalNumber);
}

void onFault(int signalNumber) {
    restoreTerminal();
    removeTemporaryFiles();
    for (std::size_t i = 0; i < std::size(faultSignals); ++i) {
        if (faultSignals[i] == signalNumber)
            ::sigaction(signalNumber, &earlierFaultActions[i], nullptr);
    }
    // A fault repeats when the handler returns; a signal that was sent is raised again. Either way it now meets
    // its earlier action.
    ::raise(signalNumber);
}

TerminalReply readLine(int fd, SecretBytes& line) {
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

bool identifyStandardStream(int fd, bool regularOnly, FileIdentity& identity) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || (regularOnly && !S_ISREG(info.st_mode)))
        return false;
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return true;
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

bool identifyStandardInput(FileIdentity& identity) {
    return identifyStandardStream(STDIN_FILENO, false, identity);
}

bool identifyStandardOutputFile(FileIdentity& identity) {
    return identifyStandardStream(STDOUT_FILENO, true, identity);
}

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // While one handler runs, no other ending signal interrupts it.
    for (const int signalNumber : endingSignals)
        sigaddset(&action.sa_mask, signalNumber);
    for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber)
        sigaddset(&action.sa_mask, signalNumber);
    for (const int signalNumber : endingSignals)
        ::sigaction(signalNumber, &action, nullptr);
    for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber)
        ::sigaction(signalNumber, &action, nullptr);
    struct sigaction fault = action;
    fault.sa_handler = onFault;
    for (std::size_t i = 0; i < std::size(faultSignals); ++i)
        ::sigaction(faultSignals[i], &fault, &earlierFaultActions[i]);
    // Past a file-size limit write() then fails with EFBIG, and on a closed pipe with EPIPE: ordinary write
    // errors, the temporary file removed.
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
}

void abandonRun(int status) {
    removeTemporaryFiles();
    ::_exit(status);
}

bool readEnvironmentVariable(const char* name, SecretBytes& value) {
    const char* text = std::getenv(name);
    if (text == nullptr)
        return false;
    value.assign(text);
    return true;
}

TerminalReply askOnTerminal(std::string_view prompt, Echo echo, SecretBytes& line) {
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
