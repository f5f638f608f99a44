// kelvara-cli's console on POSIX: argv as it is, and questions on /dev/tty with echo switched off by termios.
#include "cli/console.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kelvara::cli {
namespace {

// The terminal with echo switched off for as long as the object lives; ECHONL still shows the line end.
class SilentTerminal {
public:
    explicit SilentTerminal(int fd) : fFd(fd) {
        if (::tcgetattr(fFd, &fSaved) == 0) {
            termios silent = fSaved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            silent.c_lflag |= ECHONL;
            fRestore = ::tcsetattr(fFd, TCSAFLUSH, &silent) == 0;
        }
    }
    SilentTerminal(const SilentTerminal&) = delete;
    SilentTerminal& operator=(const SilentTerminal&) = delete;
    ~SilentTerminal() {
        if (fRestore)
            ::tcsetattr(fFd, TCSAFLUSH, &fSaved);
    }

private:
    int fFd;
    termios fSaved{};
    bool fRestore = false;
};

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
