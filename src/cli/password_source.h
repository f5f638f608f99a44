// Where kelvara-cli takes the password from: a file, the environment, or a prompt on the terminal.
#pragma once

#include "cli/invocation.h"

#include <optional>
#include <string>

namespace kelvara::cli {

enum class PasswordUse { encrypting, decrypting };

struct PasswordOutcome {
    std::optional<std::u16string> password; // set on success
    int status = 0;                         // exit status on failure
    std::string error;                      // what went wrong, on failure
};

// In this order: --password-file FILE (its content less one trailing line end, UTF-8), the variable
// KELVARA_PASSWORD, or a prompt without echo on the terminal (asked twice when encrypting).
PasswordOutcome obtainPassword(const Invocation& invocation, PasswordUse use);

// The content of a password file less one trailing "\n" or "\r\n".
std::string withoutTrailingLineEnd(std::string content);

} // namespace kelvara::cli
