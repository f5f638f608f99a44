// Running a command with its password, the help text, and the output checks shared by the commands.
#include "cli/command_support.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/password_length.h"

#include <ostream>
#include <system_error>

namespace kelvara::cli {

int fail(Streams& streams, int status, std::string_view message, std::string_view hint) {
    streams.err << "kelvara-cli: " << message << '\n';
    if (!hint.empty())
        streams.err << hint << '\n';
    return status;
}

std::string commandHelp(const Command& command) {
    const CommandInfo& info = command.info();
    std::string help = "usage: kelvara-cli ";
    help.append(info.name);
    if (!info.operands.empty())
        help.append(" ").append(info.operands);
    help.append(optionUsage(info.options)).append("\n\n");
    help.append(info.description).append("\n");
    const std::string options = optionHelp(info.options);
    if (!options.empty())
        help.append("\n").append(options);
    return help;
}

int runCommand(Command& command, const Invocation& invocation, Streams& streams) {
    const CommandInfo& info = command.info();
    if (invocation.operands.size() != info.operandCount) {
        const bool missing = invocation.operands.size() < info.operandCount;
        std::string usage = "usage: kelvara-cli ";
        usage.append(info.name).append(" ").append(info.operands);
        return fail(streams, exitUsage, missing ? "missing operand" : "too many operands", usage);
    }
    if (auto status = command.prepare(invocation, streams))
        return *status;
    const bool readsStandardInput = info.standardInput == StandardInputUse::always ||
                                    (info.standardInput == StandardInputUse::forDash && invocation.operands[0] == "-");
    PasswordOutcome outcome = obtainPassword(invocation, info.passwordUse, readsStandardInput);
    if (!outcome.password)
        return fail(streams, outcome.status, outcome.error);
    const SecretUtf16 password = std::move(*outcome.password);
    if (info.passwordUse == PasswordUse::encrypting) {
        // Whatever is encrypted with the empty password is protected by nothing; reading such files stays
        // possible.
        if (password.empty())
            return fail(streams, exitUsage, "an empty password is not accepted for encrypting",
                        "files and texts encrypted with it would be protected by nothing");
        // The window's password field cannot take a NUL, so what it protected could never be opened there.
        if (password.find(u'\0') != SecretUtf16::npos)
            return fail(streams, exitUsage, "a password with a NUL character is not accepted for encrypting",
                        "it cannot be typed into the window, so the result could not be opened there");
        // The formats have no salt and a fast key derivation: a short password is guessed quickly. A hint only.
        if (!invocation.quiet && isShortPassword(password.view()))
            streams.err << "kelvara-cli: warning: weak password: fewer than " << shortPasswordLimit
                        << " characters are guessed quickly (this format has no salt and a fast key derivation)\n";
    }
    return command.run(invocation, streams, password.view());
}

TerminalUserInterface makeUserInterface(Streams& streams, const Invocation& invocation) {
    return TerminalUserInterface(streams.err, standardErrorIsTerminal() && !invocation.quiet, invocation.interactive);
}

Report reportOf(const Invocation& invocation) {
    return invocation.verbose ? Report::success : Report::failures;
}

Existing existingOf(const Invocation& invocation) {
    return invocation.force ? Existing::replace : Existing::keep;
}

std::optional<int> refuseOutput(const std::filesystem::path& output, Existing existing, Streams& streams) {
    std::error_code error;
    const auto status = std::filesystem::status(output, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return fail(streams, exitInputOutput, shownPath(output) + " is not a regular file; it is never replaced",
                    "give another output, or \"-o -\" for standard output");
    if (existing == Existing::replace || !std::filesystem::exists(std::filesystem::symlink_status(output, error)))
        return std::nullopt;
    return fail(streams, exitInputOutput, shownPath(output) + " already exists", "use -f to replace it");
}

std::optional<int> refuseTerminalOutput(Streams& streams) {
    if (!standardOutputIsTerminal())
        return std::nullopt;
    return fail(streams, exitUsage, "standard output is a terminal; the result is not written there",
                "redirect standard output to a file or a pipe, or give -o FILE");
}

} // namespace kelvara::cli
