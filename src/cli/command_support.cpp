// Operand checks, the terminal user interface and password handling shared by the commands.
#include "cli/command_support.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/path_text.h"
#include "operations/secure_wipe.h"

#include <ostream>
#include <system_error>

namespace kelvara::cli {

int fail(Streams& streams, int status, std::string_view message, std::string_view hint) {
    streams.err << "kelvara-cli: " << message << '\n';
    if (!hint.empty())
        streams.err << hint << '\n';
    return status;
}

std::optional<int> checkOperands(const Invocation& invocation, std::size_t count, std::string_view usage,
                                 Streams& streams) {
    if (invocation.operands.size() == count)
        return std::nullopt;
    const std::string problem = invocation.operands.size() < count ? "missing operand" : "too many operands";
    return fail(streams, exitUsage, problem, "usage: " + std::string(usage));
}

TerminalUserInterface makeUserInterface(Streams& streams, bool interactive) {
    return TerminalUserInterface(streams.err, standardErrorIsTerminal(), interactive);
}

std::optional<std::u16string> passwordOrFail(const Invocation& invocation, PasswordUse use, Streams& streams,
                                             int& status) {
    PasswordOutcome outcome = obtainPassword(invocation, use);
    if (!outcome.password) {
        status = fail(streams, outcome.status, outcome.error);
        return std::nullopt;
    }
    return std::move(outcome.password);
}

std::optional<int> refuseExistingOutput(const std::filesystem::path& output, bool force, Streams& streams) {
    std::error_code error;
    if (force || !std::filesystem::exists(std::filesystem::symlink_status(output, error)))
        return std::nullopt;
    return fail(streams, exitInputOutput, pathToUtf8(output) + " already exists", "use -f to replace it");
}

PasswordGuard::~PasswordGuard() {
    secureWipe(fPassword);
}

} // namespace kelvara::cli
