// Reading the password from a file, the environment or the terminal, never from the command line.
#include "cli/password_source.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "cli/text_io.h"
#include "operations/wiped_buffer.h"
#include "text/utf8.h"

#include <cerrno>
#include <fstream>
#include <system_error>

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

PasswordOutcome fromTerminal(PasswordUse use) {
    std::string first;
    std::string second;
    TerminalReply reply = askOnTerminal("Password: ", Echo::hidden, first);
    if (reply == TerminalReply::noTerminal)
        return failure(exitUsage, "no password given and no terminal to ask on; "
                                  "use --password-file FILE or the KELVARA_PASSWORD variable");
    if (reply == TerminalReply::answered && use == PasswordUse::encrypting)
        reply = askOnTerminal("Repeat password: ", Echo::hidden, second);
    if (reply != TerminalReply::answered) {
        secureWipe(first);
        secureWipe(second);
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
    std::ifstream file(pathFromUtf8(path), std::ios::binary);
    if (!file)
        return failure(exitInputOutput,
                       "cannot read the password file " + path + ": " + std::generic_category().message(errno));
    std::optional<std::string> content = readAll(file);
    if (!content)
        return failure(exitInputOutput, "cannot read the password file " + path);
    std::string password = withoutTrailingLineEnd(std::move(*content));
    // Editors on Windows begin UTF-8 files with a byte-order mark; it is not part of the password.
    if (password.starts_with("\xEF\xBB\xBF"))
        password.erase(0, 3);
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
    if (std::optional<std::string> variable = environmentVariable("KELVARA_PASSWORD"))
        return fromUtf8(*variable, "KELVARA_PASSWORD");
    return fromTerminal(use);
}

} // namespace kelvara::cli
