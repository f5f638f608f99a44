// SHA-1: initial values, block compression, padding with the 64-bit bit count, and the known-answer test.
#include "cipher/sha1.h"

#include "cipher/byte_order.h"
#include "cipher/secure_wipe.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kelvara {

Sha1::~Sha1() {
    if (m_initialized) {
        burn();
    }
}

void Sha1::init() {
    burn();
    m_currentHash[0] = 0x67452301;
    m_currentHash[1] = 0xEFCDAB89;
    m_currentHash[2] = 0x98BADCFE;
    m_currentHash[3] = 0x10325476;
    m_currentHash[4] = 0xC3D2E1F0;
    m_initialized = true;
}

void Sha1::update(const void* buffer, std::uint32_t size) {
    if (!m_initialized) {
        throw HashError(hashNotInitializedMessage);
    }
    // 64-bit bit count in two words, modulo 2^64.
    const std::uint32_t bits = size << 3;
    m_lenHi += size >> 29;
    m_lenLo += bits;
    if (m_lenLo < bits) {
        ++m_lenHi;
    }
    const auto* input = static_cast<const std::uint8_t*>(buffer);
    while (size > 0) {
        const std::uint32_t room = sizeof m_hashBuffer - m_index;
        const std::uint32_t piece = std::min(size, room);
        std::memcpy(m_hashBuffer + m_index, input, piece);
        input += piece;
        size -= piece;
        if (piece == room) {
            processBlock();
        } else {
            m_index += piece;
        }
    }
}

void Sha1::final(void* digest) {
    if (!m_initialized) {
        throw HashError(hashNotInitializedMessage);
    }
    // The bytes after the marker are zero: processBlock and burn leave the buffer zeroed.
    m_hashBuffer[m_index] = 0x80;
    if (m_index >= 56) {
        processBlock();
    }
    storeBigEndian32(m_hashBuffer + 56, m_lenHi);
    storeBigEndian32(m_hashBuffer + 60, m_lenLo);
    processBlock();
    auto* out = static_cast<std::uint8_t*>(digest);
    for (std::size_t i = 0; i < 5; ++i) {
        storeBigEndian32(out + 4 * i, m_currentHash[i]);
    }
    burn();
}

void Sha1::burn() {
    m_lenHi = 0;
    m_lenLo = 0;
    m_index = 0;
    secureWipe(m_hashBuffer, sizeof m_hashBuffer);
    secureWipe(m_currentHash, sizeof m_currentHash);
    m_initialized = false;
}

void Sha1::processBlock() noexcept {
    m_index = 0;
    std::uint32_t w[80];
    for (std::size_t t = 0; t < 16; ++t) {
        w[t] = loadBigEndian32(m_hashBuffer + 4 * t);
    }
    for (std::size_t t = 16; t < 80; ++t) {
        w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    }
    std::uint32_t a = m_currentHash[0];
    std::uint32_t b = m_currentHash[1];
    std::uint32_t c = m_currentHash[2];
    std::uint32_t d = m_currentHash[3];
    std::uint32_t e = m_currentHash[4];
    const auto step = [&](std::uint32_t f, std::uint32_t k, std::uint32_t wt) {
        const std::uint32_t temp = std::rotl(a, 5) + f + e + k + wt;
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = temp;
    };
    for (std::size_t t = 0; t < 20; ++t) {
        step((b & c) | (~b & d), 0x5A827999, w[t]); // Ch
    }
    for (std::size_t t = 20; t < 40; ++t) {
        step(b ^ c ^ d, 0x6ED9EBA1, w[t]); // Parity
    }
    for (std::size_t t = 40; t < 60; ++t) {
        step((b & c) | (b & d) | (c & d), 0x8F1BBCDC, w[t]); // Maj
    }
    for (std::size_t t = 60; t < 80; ++t) {
        step(b ^ c ^ d, 0xCA62C1D6, w[t]); // Parity
    }
    m_currentHash[0] += a;
    m_currentHash[1] += b;
    m_currentHash[2] += c;
    m_currentHash[3] += d;
    m_currentHash[4] += e;
    secureWipe(w, sizeof w);
    secureWipe(m_hashBuffer, sizeof m_hashBuffer);
}

bool Sha1::classSelfTest() {
    struct KnownAnswer {
        std::string_view message;
        std::uint8_t digest[digestBytes];
    };
    static const KnownAnswer knownAnswers[] = {
        {"abc", {0xA9, 0x99, 0x3E, 0x36, 0x47, 0x06, 0x81, 0x6A, 0xBA, 0x3E,
                 0x25, 0x71, 0x78, 0x50, 0xC2, 0x6C, 0x9C, 0xD0, 0xD8, 0x9D}},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         {0x84, 0x98, 0x3E, 0x44, 0x1C, 0x3B, 0xD2, 0x6E, 0xBA, 0xAE,
          0x4A, 0xA1, 0xF9, 0x51, 0x29, 0xE5, 0xE5, 0x46, 0x70, 0xF1}},
    };
    Sha1 hash;
    bool allMatch = true;
    for (const auto& known : knownAnswers) {
        std::uint8_t digest[digestBytes];
        hash.init();
        hash.updateStr(known.message);
        hash.final(digest);
        allMatch = allMatch && std::memcmp(digest, known.digest, digestBytes) == 0;
    }
    return allMatch;
}

} // namespace kelvara
