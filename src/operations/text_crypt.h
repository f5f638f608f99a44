// Encrypting a short text into one line of Base64 and back, with the 8-bit form of text and password.
#pragma once

#include "text/code_page_1252.h"

#include <string>
#include <string_view>

namespace kelvara {

// Text encryption over 8-bit strings (Blowfish CFB8 keyed by SHA-1 of the password, then Base64).
std::string encryptText(std::string_view text, std::string_view password);
// Whitespace and line breaks inside the Base64 text are skipped before decoding.
std::string decryptText(std::string_view encrypted, std::string_view password);

// A lone CR, a lone LF and CR LF each become lineEnd.
std::u16string normalizeLineBreaks(std::u16string_view text, std::u16string_view lineEnd = u"\r\n");

} // namespace kelvara
