// Reading the password from a file, the environment or the terminal, never from the command line.
#include "cli/password_source.h"

#include "cli/exit_status.h"
#include "operations/secure_wipe.h"
#include "operations/utf8.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace kelvara::cli {
namespace {

PasswordOutcome failure(int status, std::string error) {
    return {std::nullopt, status, std::move(error)};
}

PasswordOutcome fromUtf8(std::string& bytes, std::string_view source) {
    if (!isValidUtf8(bytes)) {
        secureWipe(bytes);
        return failure(exitUsage, "the password from " + std::string(source) + " is not valid UTF-8");
    }
    PasswordOutcome outcome{utf8ToUtf16(bytes), exitSuccess, {}};
    secureWipe(bytes);
    return outcome;
}

// The terminal with echo switched off for as long as the object lives.
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

bool promptLine(int fd, std::string_view prompt, std::string& line) {
    if (::write(fd, prompt.data(), prompt.size()) < 0)
        return false;
    SilentTerminal silent(fd);
    line.clear();
    char c;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        line.push_back(c);
    }
}

PasswordOutcome fromTerminal(PasswordUse use) {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return failure(exitUsage, "no password given and no terminal to ask on; "
                                  "use --password-file FILE or the KELVARA_PASSWORD variable");
    std::string first;
    std::string second;
    bool ok = promptLine(fd, "Password: ", first);
    if (ok && use == PasswordUse::encrypting)
        ok = promptLine(fd, "Repeat password: ", second);
    ::close(fd);
    if (!ok) {
        secureWipe(first);
        return failure(exitUsage, "no password was entered");
    }
    if (use == PasswordUse::encrypting && first != second) {
        secureWipe(first);
        secureWipe(second);
        return failure(exitUsage, "the two passwords differ");
    }
    secureWipe(second);
    return fromUtf8(first, "the terminal");
}

PasswordOutcome fromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return failure(exitInputOutput,
                       "cannot read the password file " + path + ": " + std::generic_category().message(errno));
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return failure(exitInputOutput, "cannot read the password file " + path);
    std::string password = withoutTrailingLineEnd(std::move(content));
    return fromUtf8(password, "the password file");
}

} // namespace

std::string withoutTrailingLineEnd(std::string content) {
    if (content.ends_with("\r\n"))
        content.resize(content.size() - 2);
    else if (content.ends_with('\n'))
        content.pop_back();
    return content;
}

PasswordOutcome obtainPassword(const Invocation& invocation, PasswordUse use) {
    if (invocation.passwordFile)
        return fromFile(*invocation.passwordFile);
    if (const char* variable = std::getenv("KELVARA_PASSWORD")) {
        std::string bytes = variable;
        return fromUtf8(bytes, "KELVARA_PASSWORD");
    }
    return fromTerminal(use);
}

} // namespace kelvara::cli
