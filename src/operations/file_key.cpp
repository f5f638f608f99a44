// Derivation of the file key and of the check block that proves the password.
#include "operations/file_key.h"

#include "cipher/secure_wipe.h"
#include "cipher/sha1.h"

#include <cstring>

namespace kelvara {

void keyFileCipher(Blowfish& cipher, std::u16string_view password, std::uint8_t (&checkBlock)[checkBlockBytes]) {
    std::uint8_t key[fileKeyBytes];
    ScopedWipe keyWipe(key, sizeof key);
    std::memset(key, 0xFF, sizeof key);
    {
        Sha1 hash;
        hash.init();
        hash.updateStr(password);
        hash.final(key); // first 20 bytes; final burns the hash state
    }
    cipher.init(key, 256);
    std::memcpy(checkBlock, key, checkBlockBytes);
    cipher.encryptCBC(checkBlock, checkBlock, checkBlockBytes);
    cipher.reset();
}

FileKey::FileKey(std::u16string_view password) : m_cipher(std::make_unique<Blowfish>()) {
    keyFileCipher(*m_cipher, password, m_checkBlock.bytes);
}

} // namespace kelvara
