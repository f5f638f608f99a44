// Windows code page 1252: the 8-bit form of texts and passwords, and of settings files without a byte-order mark.
#pragma once

#include "text/secret_text.h"

#include <string>
#include <string_view>

namespace kelvara {

// A character the code page lacks becomes '?' (a character outside the basic plane gives one '?').
std::string toCodePage1252(std::u16string_view text);
// The same for a password: the result lives in wiped memory.
SecretBytes toSecretCodePage1252(std::u16string_view text);
// Every byte has a character, so bytes survive a round trip.
std::u16string fromCodePage1252(std::string_view bytes);

} // namespace kelvara
