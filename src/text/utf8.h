// Conversion between UTF-8 (terminal, file names, messages, settings) and UTF-16 (passwords, texts).
#pragma once

#include "text/secret_text.h"

#include <string>
#include <string_view>

namespace kelvara {

// Malformed UTF-8 becomes U+FFFD, one per maximal bad sequence.
std::u16string utf8ToUtf16(std::string_view text);
// The same for a password: the result lives in wiped memory.
SecretUtf16 utf8ToSecretUtf16(std::string_view text);

// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// The same for a password: the result lives in wiped memory.
SecretBytes utf16ToSecretUtf8(std::u16string_view text);

// The code points of UTF-8 text; malformed sequences become U+FFFD as in utf8ToUtf16.
std::u32string utf8ToCodePoints(std::string_view text);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t codePoint);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view text);

} // namespace kelvara
