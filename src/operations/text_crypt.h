// Encrypting a short text into one line of Base64 and back, over the 8-bit form of text and password.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvara {

// Text encryption over 8-bit strings (Blowfish CFB8 keyed by SHA-1 of the password, then Base64).
std::string encryptText(std::string_view text, std::string_view password);

// White space and line breaks inside the Base64 text are skipped (mail programs break long lines). Anything
// else that is not Base64 (a character outside the alphabet, "=" before the end, a length that is not a
// multiple of 4) gives nothing: decoding it would give wrong text that looks like a result.
std::optional<std::string> decryptText(std::string_view encrypted, std::string_view password);

// The Base64 text without white space, or nothing when it is not well-formed Base64.
std::optional<std::string> compactBase64(std::string_view encrypted);

} // namespace kelvara
