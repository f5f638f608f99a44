// Conversion between UTF-8 (terminal, file names, messages) and UTF-16 (passwords, texts).
#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// Malformed UTF-8 becomes U+FFFD, one per maximal bad sequence.
std::u16string utf8ToUtf16(std::string_view text);

// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view text);

} // namespace kelvara
