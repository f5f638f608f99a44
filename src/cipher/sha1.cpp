// SHA-1: initial values, block compression, padding with the 64-bit bit count, and the known-answer test.
#include "cipher/sha1.h"

#include "cipher/byte_order.h"
#include "cipher/secure_wipe.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kelvara {

Sha1::~Sha1() {
    if (fInitialized) {
        burn();
    }
}

void Sha1::init() {
    burn();
    fCurrentHash[0] = 0x67452301;
    fCurrentHash[1] = 0xEFCDAB89;
    fCurrentHash[2] = 0x98BADCFE;
    fCurrentHash[3] = 0x10325476;
    fCurrentHash[4] = 0xC3D2E1F0;
    fInitialized = true;
}

void Sha1::update(const void* buffer, std::uint32_t size) {
    if (!fInitialized) {
        throw HashError(hashNotInitializedMessage);
    }
    // 64-bit bit count in two words, modulo 2^64.
    const std::uint32_t bits = size << 3;
    fLenHi += size >> 29;
    fLenLo += bits;
    if (fLenLo < bits) {
        ++fLenHi;
    }
    const auto* input = static_cast<const std::uint8_t*>(buffer);
    while (size > 0) {
        const std::uint32_t room = sizeof fHashBuffer - fIndex;
        const std::uint32_t piece = std::min(size, room);
        std::memcpy(fHashBuffer + fIndex, input, piece);
        input += piece;
        size -= piece;
        if (piece == room) {
            processBlock();
        } else {
            fIndex += piece;
        }
    }
}

void Sha1::final(void* digest) {
    if (!fInitialized) {
        throw HashError(hashNotInitializedMessage);
    }
    // The bytes after the marker are zero: processBlock and burn leave the buffer zeroed.
    fHashBuffer[fIndex] = 0x80;
    if (fIndex >= 56) {
        processBlock();
    }
    storeBigEndian32(fHashBuffer + 56, fLenHi);
    storeBigEndian32(fHashBuffer + 60, fLenLo);
    processBlock();
    auto* out = static_cast<std::uint8_t*>(digest);
    for (std::size_t i = 0; i < 5; ++i) {
        storeBigEndian32(out + 4 * i, fCurrentHash[i]);
    }
    burn();
}

void Sha1::burn() {
    fLenHi = 0;
    fLenLo = 0;
    fIndex = 0;
    secureWipe(fHashBuffer, sizeof fHashBuffer);
    secureWipe(fCurrentHash, sizeof fCurrentHash);
    fInitialized = false;
}

void Sha1::processBlock() noexcept {
    fIndex = 0;
    std::uint32_t w[80];
    for (std::size_t t = 0; t < 16; ++t) {
        w[t] = loadBigEndian32(fHashBuffer + 4 * t);
    }
    for (std::size_t t = 16; t < 80; ++t) {
        w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    }
    std::uint32_t a = fCurrentHash[0];
    std::uint32_t b = fCurrentHash[1];
    std::uint32_t c = fCurrentHash[2];
    std::uint32_t d = fCurrentHash[3];
    std::uint32_t e = fCurrentHash[4];
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
    fCurrentHash[0] += a;
    fCurrentHash[1] += b;
    fCurrentHash[2] += c;
    fCurrentHash[3] += d;
    fCurrentHash[4] += e;
    secureWipe(w, sizeof w);
    secureWipe(fHashBuffer, sizeof fHashBuffer);
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
