// Blowfish: key schedule, the 16-round block transform (one block or several interleaved), and its self test.
#include "cipher/blowfish.h"

#include "cipher/blowfish_tables.h"
#include "cipher/byte_order.h"
#include "cipher/secure_wipe.h"

#include <cstring>

namespace kelvara {

namespace {

using SBoxes = std::uint32_t[Blowfish::sBoxRows][Blowfish::sBoxColumns];

// Independent blocks in flight at once in the modes whose blocks do not depend on each other, so that their
// table loads and rounds overlap. Five blocks keep all ten halves, the table pointer and the temporaries of a
// round in x86-64's registers; eight spilled halves to the stack on every round and were slower.
constexpr std::size_t parallelBlocks = 5;

[[gnu::always_inline]] inline std::uint32_t roundFunction(const SBoxes& s, std::uint32_t x) noexcept {
    return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
}

// The halves of one or more blocks going through the rounds together.
template <std::size_t count> struct Halves {
    std::uint32_t left[count];
    std::uint32_t right[count];
};

template <std::size_t count> [[gnu::always_inline]] inline Halves<count> loadBlocks(const std::uint8_t* in) noexcept {
    Halves<count> halves;
#pragma GCC unroll 8
    for (std::size_t j = 0; j < count; ++j) {
        halves.left[j] = loadBigEndian32(in + 8 * j);
        halves.right[j] = loadBigEndian32(in + 8 * j + 4);
    }
    return halves;
}

template <std::size_t count>
[[gnu::always_inline]] inline void storeBlocks(std::uint8_t* out, const Halves<count>& halves) noexcept {
#pragma GCC unroll 8
    for (std::size_t j = 0; j < count; ++j) {
        storeBigEndian32(out + 8 * j, halves.left[j]);
        storeBigEndian32(out + 8 * j + 4, halves.right[j]);
    }
}

// The 16 rounds over every block of b, round by round. The P-array walks forwards (step 1) to encrypt and
// backwards (step -1) to decrypt. On return left holds output bytes 0..3 of each block, right bytes 4..7.
// Fully unrolled, the P entries become fixed offsets from the object and the halves stay in registers.
template <int step, std::size_t count>
[[gnu::always_inline]] inline void transform(const SBoxes& s, const std::uint32_t* p, Halves<count>& b) noexcept {
    constexpr int first = step > 0 ? 0 : 17;
    constexpr int last = step > 0 ? 17 : 0;
#pragma GCC unroll 8
    for (std::size_t j = 0; j < count; ++j) {
        b.left[j] ^= p[first];
    }
#pragma GCC unroll 8
    for (int round = 1; round <= 16; round += 2) {
        const int i = first + step * round;
#pragma GCC unroll 8
        for (std::size_t j = 0; j < count; ++j) {
            b.right[j] ^= roundFunction(s, b.left[j]) ^ p[i];
        }
#pragma GCC unroll 8
        for (std::size_t j = 0; j < count; ++j) {
            b.left[j] ^= roundFunction(s, b.right[j]) ^ p[i + step];
        }
    }
#pragma GCC unroll 8
    for (std::size_t j = 0; j < count; ++j) {
        const std::uint32_t outLeft = b.right[j] ^ p[last];
        b.right[j] = b.left[j];
        b.left[j] = outLeft;
    }
}

// Runs count independent blocks through the rounds, several at a time.
template <int step>
void transformBlocks(const SBoxes& s, const std::uint32_t* p, const std::uint8_t* in, std::uint8_t* out,
                     std::size_t count) noexcept {
    for (; count >= parallelBlocks; count -= parallelBlocks, in += 8 * parallelBlocks, out += 8 * parallelBlocks) {
        Halves<parallelBlocks> blocks = loadBlocks<parallelBlocks>(in);
        transform<step>(s, p, blocks);
        storeBlocks(out, blocks);
    }
    for (; count > 0; --count, in += 8, out += 8) {
        Halves<1> block = loadBlocks<1>(in);
        transform<step>(s, p, block);
        storeBlocks(out, block);
    }
}

} // namespace

Blowfish::Blowfish() {
    burn();
}

Blowfish::~Blowfish() {
    if (m_initialized) {
        burn();
    }
}

void Blowfish::burn() {
    secureWipe(m_sBox, sizeof m_sBox, 0xFF);
    secureWipe(m_pBox, sizeof m_pBox, 0xFF);
    BlockCipher64::burn();
}

void Blowfish::copyKeyFrom(const Blowfish& keyed) {
    keyed.checkInitialized();
    std::memcpy(m_sBox, keyed.m_sBox, sizeof m_sBox);
    std::memcpy(m_pBox, keyed.m_pBox, sizeof m_pBox);
    std::memcpy(m_iv, keyed.m_iv, blockBytes);
    std::memcpy(m_cv, keyed.m_iv, blockBytes);
    setCipherMode(keyed.cipherMode());
    m_initialized = true;
}

void Blowfish::encryptECB(const void* inData, void* outData) const {
    checkInitialized();
    encryptBlocks(static_cast<const std::uint8_t*>(inData), static_cast<std::uint8_t*>(outData), 1);
}

void Blowfish::decryptECB(const void* inData, void* outData) const {
    checkInitialized();
    decryptBlocks(static_cast<const std::uint8_t*>(inData), static_cast<std::uint8_t*>(outData), 1);
}

void Blowfish::scheduleKey(const void* key, std::uint32_t sizeBits) {
    const std::uint32_t keyBytes = sizeBits / 8; // bits beyond the last whole byte are ignored
    if (keyBytes == 0) {
        burn(); // init refuses such sizes already; never leave a keyed object without a schedule
        throw CipherError(invalidKeySizeMessage);
    }
    const auto* k = static_cast<const std::uint8_t*>(key);
    std::memcpy(m_sBox, blowfish_tables::initialSBox, sizeof m_sBox);
    std::memcpy(m_pBox, blowfish_tables::initialPBox, sizeof m_pBox);
    // The key bytes are used cyclically, four per P entry.
    std::uint32_t j = 0;
    for (auto& entry : m_pBox) {
        std::uint32_t word = 0;
        for (int b = 0; b < 4; ++b) {
            word = (word << 8) | k[j];
            j = (j + 1) % keyBytes;
        }
        entry ^= word;
    }
    // A zero block encrypted again and again replaces the P-array, then the S-boxes, two words at a time.
    Halves<1> block = {{0}, {0}};
    for (std::uint32_t i = 0; i < pBoxEntries; i += 2) {
        transform<1>(m_sBox, m_pBox, block);
        m_pBox[i] = block.left[0];
        m_pBox[i + 1] = block.right[0];
    }
    for (auto& row : m_sBox) {
        for (std::uint32_t i = 0; i < sBoxColumns; i += 2) {
            transform<1>(m_sBox, m_pBox, block);
            row[i] = block.left[0];
            row[i + 1] = block.right[0];
        }
    }
    secureWipe(&block, sizeof block);
}

void Blowfish::encryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept {
    transformBlocks<1>(m_sBox, m_pBox, in, out, count);
}

void Blowfish::decryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept {
    transformBlocks<-1>(m_sBox, m_pBox, in, out, count);
}

void Blowfish::encryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                                std::uint8_t* cv) const noexcept {
    // CBC encryption is serial; the chaining value stays in two registers for the whole run.
    Halves<1> chain = loadBlocks<1>(cv);
    for (; count > 0; --count, in += 8, out += 8) {
        chain.left[0] ^= loadBigEndian32(in);
        chain.right[0] ^= loadBigEndian32(in + 4);
        transform<1>(m_sBox, m_pBox, chain);
        storeBlocks(out, chain);
    }
    storeBlocks(cv, chain);
}

void Blowfish::decryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                                std::uint8_t* cv) const noexcept {
    // Blocks are independent here and go through the rounds several at a time; the chaining value stays in
    // two registers. Every ciphertext word needed for the chaining is read before a group's output is
    // stored, so decrypting in place is safe.
    Halves<1> chain = loadBlocks<1>(cv);
    for (; count >= parallelBlocks; count -= parallelBlocks, in += 8 * parallelBlocks, out += 8 * parallelBlocks) {
        Halves<parallelBlocks> blocks = loadBlocks<parallelBlocks>(in);
        transform<-1>(m_sBox, m_pBox, blocks);
        blocks.left[0] ^= chain.left[0];
        blocks.right[0] ^= chain.right[0];
#pragma GCC unroll 8
        for (std::size_t j = 1; j < parallelBlocks; ++j) {
            blocks.left[j] ^= loadBigEndian32(in + 8 * j - 8);
            blocks.right[j] ^= loadBigEndian32(in + 8 * j - 4);
        }
        chain = loadBlocks<1>(in + 8 * parallelBlocks - 8);
        storeBlocks(out, blocks);
    }
    for (; count > 0; --count, in += 8, out += 8) {
        Halves<1> block = loadBlocks<1>(in);
        transform<-1>(m_sBox, m_pBox, block);
        block.left[0] ^= chain.left[0];
        block.right[0] ^= chain.right[0];
        chain = loadBlocks<1>(in);
        storeBlocks(out, block);
    }
    storeBlocks(cv, chain);
}

bool Blowfish::classSelfTest() {
    struct KnownAnswer {
        std::uint8_t key[8];
        std::uint8_t plainText[8];
        std::uint8_t cipherText[8];
    };
    static const KnownAnswer knownAnswers[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}, {0x4E, 0xF9, 0x97, 0x45, 0x61, 0x98, 0xDD, 0x78}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {0x51, 0x86, 0x6F, 0xD5, 0xB8, 0x5E, 0xCB, 0x8A}},
    };
    Blowfish cipher;
    bool allMatch = true;
    for (const auto& known : knownAnswers) {
        std::uint8_t block[8];
        cipher.init(known.key, 64);
        cipher.encryptECB(known.plainText, block);
        allMatch = allMatch && std::memcmp(block, known.cipherText, sizeof block) == 0;
        cipher.reset();
        cipher.decryptECB(block, block);
        allMatch = allMatch && std::memcmp(block, known.plainText, sizeof block) == 0;
        cipher.burn();
    }
    return allMatch;
}

} // namespace kelvara
