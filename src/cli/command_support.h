// Helpers shared by the commands: operand checks, the user interface, and password handling.
#pragma once

#include "cli/command.h"
#include "cli/password_source.h"
#include "cli/terminal_ui.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kelvara::cli {

// Fails with a usage error unless there are exactly count operands.
std::optional<int> checkOperands(const Invocation& invocation, std::size_t count, std::string_view usage,
                                 Streams& streams);

// Progress on standard error only while it is a terminal; questions only when interactive.
TerminalUserInterface makeUserInterface(Streams& streams, bool interactive);

// The password, or the exit status after the error was printed.
std::optional<std::u16string> passwordOrFail(const Invocation& invocation, PasswordUse use, Streams& streams,
                                             int& status);

// Refuses an existing output unless --force was given.
std::optional<int> refuseExistingOutput(const std::filesystem::path& output, bool force, Streams& streams);

// Wipes a password when it goes out of scope.
class PasswordGuard {
public:
    explicit PasswordGuard(std::u16string& password) : fPassword(password) {}
    PasswordGuard(const PasswordGuard&) = delete;
    PasswordGuard& operator=(const PasswordGuard&) = delete;
    ~PasswordGuard();

private:
    std::u16string& fPassword;
};

} // namespace kelvara::cli
