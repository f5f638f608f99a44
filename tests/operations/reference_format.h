// The .kvra format built from its definition with the engine's single-block operations, as a test reference.
#pragma once

#include "cipher/blowfish.h"
#include "cipher/sha1.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace kelvara::test {

struct ReferenceKey {
    std::uint8_t key[32];
    Blowfish cipher;
    std::uint8_t iv[8];

    explicit ReferenceKey(std::u16string_view password) {
        // The password's UTF-16 code units, low byte first, hashed with SHA-1; then twelve 0xFF bytes.
        std::string bytes;
        for (const char16_t unit : password) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
        std::memset(key, 0xFF, sizeof key);
        Sha1 hash;
        hash.init();
        hash.update(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        hash.final(key);
        cipher.init(key, 256, "\x00\x00\x00\x00\x00\x00\x00\x00"); // explicit IV: the IV is derived below
        std::uint8_t ff[8];
        std::memset(ff, 0xFF, sizeof ff);
        cipher.encryptECB(ff, iv);
    }

    std::string block(const std::uint8_t* in) const {
        std::uint8_t out[8];
        cipher.encryptECB(in, out);
        return std::string(reinterpret_cast<const char*>(out), 8);
    }

    // CBC from the IV by hand, with the tail rule: r trailing bytes xor the first r bytes of E(last cipher block).
    std::string cbc(const std::string& plain) const {
        std::string out;
        std::uint8_t chain[8];
        std::memcpy(chain, iv, 8);
        std::size_t pos = 0;
        for (; pos + 8 <= plain.size(); pos += 8) {
            std::uint8_t x[8];
            for (std::size_t i = 0; i < 8; ++i)
                x[i] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain[pos + i]) ^ chain[i]);
            const std::string c = block(x);
            std::memcpy(chain, c.data(), 8);
            out += c;
        }
        if (pos < plain.size()) {
            const std::string pad = block(chain);
            for (std::size_t i = 0; pos + i < plain.size(); ++i)
                out.push_back(static_cast<char>(plain[pos + i] ^ pad[i]));
        }
        return out;
    }

    std::string checkBlock() const { return cbc(std::string(reinterpret_cast<const char*>(key), 32)); }
};

// The whole encrypted file: check block, then the body chained from the IV again.
inline std::string referenceEncryptedFile(std::u16string_view password, const std::string& plain) {
    const ReferenceKey reference(password);
    return reference.checkBlock() + reference.cbc(plain);
}

} // namespace kelvara::test
