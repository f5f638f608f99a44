// The key of the .kvra format: SHA-1 of the password's UTF-16 code units, filled up to 32 bytes with 0xFF.
#pragma once

#include "cipher/blowfish.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvara {

inline constexpr std::size_t fileKeyBytes = 32;
inline constexpr std::size_t checkBlockBytes = 32;

// Keys the cipher with the password's file key (256 bits, IV = E(FF x 8)) and writes the check block:
// the key encrypted in CBC mode from the IV. The cipher is left reset, so the body chains from the IV again.
// No copy of the key stays behind.
void keyFileCipher(Blowfish& cipher, std::u16string_view password, std::uint8_t (&checkBlock)[checkBlockBytes]);

} // namespace kelvara
