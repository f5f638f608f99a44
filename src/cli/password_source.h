// Where kelvara-cli takes the password from: a file, the environment, or a prompt on the terminal.
#pragma once

#include "cli/invocation.h"
#include "text/secret_text.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kelvara::cli {

enum class PasswordUse { encrypting, decrypting };

// Whether the command reads standard input: then the password file may not be that same stream.
enum class StandardInputUse { never, forDash, always };

struct PasswordOutcome {
    std::optional<SecretUtf16> password; // set on success
    int status = 0;                      // exit status on failure
    std::string error;                   // what went wrong, on failure
};

// More than this in a password file is refused: a password is typed, not a file's worth of data.
inline constexpr std::size_t passwordFileLimit = 64 * 1024;

// In this order: --password-file FILE (its content less one trailing line end, UTF-8), the variable
// KELVARA_PASSWORD, or a prompt without echo on the terminal (asked twice when encrypting). readsStandardInput
// tells whether the command's input is standard input, which a password file may then not be.
PasswordOutcome obtainPassword(const Invocation& invocation, PasswordUse use, bool readsStandardInput);

// Drops one trailing "\n", "\r\n" or lone "\r" from the content of a password file.
void dropTrailingLineEnd(SecretBytes& content);

} // namespace kelvara::cli
