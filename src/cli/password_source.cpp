// Reading the password from a file, the environment or the terminal, never from the command line.
#include "cli/password_source.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/file_facts.h"
#include "operations/system_file.h"
#include "operations/wiped_buffer.h"
#include "text/utf8.h"

namespace kelvara::cli {
namespace {

PasswordOutcome failure(int status, std::string error) {
    return {std::nullopt, status, std::move(error)};
}

PasswordOutcome fromUtf8(const SecretBytes& bytes, std::string_view source) {
    if (!isValidUtf8(bytes.view()))
        return failure(exitUsage, "the password from " + std::string(source) + " is not valid UTF-8");
    return {utf8ToSecretUtf16(bytes.view()), exitSuccess, {}};
}

PasswordOutcome fromTerminal(PasswordUse use) {
    SecretBytes first;
    SecretBytes second;
    TerminalReply reply = askOnTerminal("Password: ", Echo::hidden, first);
    if (reply == TerminalReply::noTerminal)
        return failure(exitUsage, "no password given and no terminal to ask on; "
                                  "use --password-file FILE or the KELVARA_PASSWORD variable");
    if (reply == TerminalReply::answered && use == PasswordUse::encrypting)
        reply = askOnTerminal("Repeat password: ", Echo::hidden, second);
    if (reply != TerminalReply::answered)
        return failure(exitUsage, "no password was entered");
    if (use == PasswordUse::encrypting && first != second)
        return failure(exitUsage, "the two passwords differ");
    return fromUtf8(first, "the terminal");
}

// The same file or stream as standard input: reading one would take what the other needs.
bool isStandardInput(const std::filesystem::path& path) {
    FileIdentity file;
    FileIdentity input;
    return identifyFile(path, file) && identifyStandardInput(input) && file == input;
}

PasswordOutcome fromFile(const std::string& name, bool readsStandardInput) {
    const std::filesystem::path path = pathFromUtf8(name);
    const std::string shown = escapeControls(name);
    if (readsStandardInput && isStandardInput(path))
        return failure(exitUsage, "the password file " + shown +
                                      " is standard input, which the command reads; "
                                      "give the password another way");
    InputFile file;
    std::string reason;
    if (!file.open(path, reason))
        return failure(exitUsage, "cannot read the password file " + shown + ": " + escapeControls(reason));
    SecretBytes content;
    WipedBuffer<4096> chunk;
    // One byte past the limit tells a file at the limit from a longer one.
    while (content.size() <= passwordFileLimit) {
        const std::ptrdiff_t got = file.readFull(chunk.bytes, sizeof chunk.bytes, reason);
        if (got < 0)
            return failure(exitUsage, "cannot read the password file " + shown + ": " + escapeControls(reason));
        content.append(reinterpret_cast<const char*>(chunk.bytes), static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < sizeof chunk.bytes)
            break;
    }
    if (content.size() > passwordFileLimit)
        return failure(exitUsage, "the password file " + shown + " is longer than " +
                                      std::to_string(passwordFileLimit / 1024) + " KiB; it cannot hold a password");
    dropTrailingLineEnd(content);
    // Editors on Windows begin UTF-8 files with a byte-order mark; it is not part of the password.
    if (content.view().starts_with("\xEF\xBB\xBF"))
        content.erase(0, 3);
    return fromUtf8(content, "the password file");
}

} // namespace

void dropTrailingLineEnd(SecretBytes& content) {
    if (content.view().ends_with("\r\n"))
        content.resize(content.size() - 2);
    else if (content.view().ends_with('\n') || content.view().ends_with('\r'))
        content.pop_back();
}

PasswordOutcome obtainPassword(const Invocation& invocation, PasswordUse use, bool readsStandardInput) {
    if (invocation.passwordFile)
        return fromFile(*invocation.passwordFile, readsStandardInput);
    SecretBytes variable;
    if (readEnvironmentVariable("KELVARA_PASSWORD", variable))
        return fromUtf8(variable, "KELVARA_PASSWORD");
    return fromTerminal(use);
}

} // namespace kelvara::cli
