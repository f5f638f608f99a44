// The key of the .kvra format: SHA-1 of the password's UTF-16 code units, filled up to 32 bytes with 0xFF.
#pragma once

#include "cipher/blowfish.h"
#include "operations/wiped_buffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace kelvara {

inline constexpr std::size_t fileKeyBytes = 32;
inline constexpr std::size_t checkBlockBytes = 32;

// Keys the cipher with the password's file key (256 bits, IV = E(FF x 8)) and writes the check block:
// the key encrypted in CBC mode from the IV. The cipher is left reset, so the body chains from the IV again.
// No copy of the key stays behind.
void keyFileCipher(Blowfish& cipher, std::u16string_view password, std::uint8_t (&checkBlock)[checkBlockBytes]);

// One password's file key, derived once for many files: a folder run keys each file's cipher from it instead
// of hashing the password and running the key schedule again, which costs about as much as encrypting 4 KiB.
// The keyed cipher and the check block are wiped when it goes.
class FileKey {
public:
    explicit FileKey(std::u16string_view password);

    // Keys cipher as keyFileCipher would, its chain at the IV.
    void keyCipher(Blowfish& cipher) const { cipher.copyKeyFrom(*m_cipher); }
    const std::uint8_t (&checkBlock() const)[checkBlockBytes] { return m_checkBlock.bytes; }

private:
    std::unique_ptr<Blowfish> m_cipher; // 4 KiB of tables: on the heap; its destructor burns it
    WipedBuffer<checkBlockBytes> m_checkBlock;
};

} // namespace kelvara
