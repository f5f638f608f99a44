// The 64-bit chaining modes CBC, CFB8bit, CFBblock, OFB and CTR over a concrete cipher's block kernels.
#include "cipher/block_cipher64.h"

#include "cipher/secure_wipe.h"

#include <algorithm>
#include <cstring>

namespace kelvara {

namespace {

// Modes with independent blocks hand the kernel this many blocks at once, so that it can interleave them.
constexpr std::size_t groupBlocks = 32;

const std::uint8_t* asBytes(const void* data) noexcept {
    return static_cast<const std::uint8_t*>(data);
}
std::uint8_t* asBytes(void* data) noexcept {
    return static_cast<std::uint8_t*>(data);
}

// out[i] := a[i] xor b[i] for i in [0, n); out may be a or b.
void xorInto(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
    }
}

} // namespace

void BlockCipher64::checkInitialized() const {
    if (!m_initialized) {
        throw BlockCipherError(cipherNotInitializedMessage);
    }
}

void BlockCipher64::init(const void* key, std::uint32_t sizeBits, const void* initVector) {
    Cipher::init(key, sizeBits, initVector);
    scheduleKey(key, sizeBits);
    if (initVector != nullptr) {
        std::memcpy(m_iv, initVector, blockBytes);
    } else {
        // Without an explicit IV, the IV is the encryption of eight FF bytes under the new key.
        std::memset(m_iv, 0xFF, blockBytes);
        encryptBlocks(m_iv, m_iv, 1);
    }
    reset();
}

void BlockCipher64::burn() {
    secureWipe(m_iv, blockBytes, 0xFF);
    secureWipe(m_cv, blockBytes, 0xFF);
    Cipher::burn();
}

void BlockCipher64::reset() {
    checkInitialized();
    std::memcpy(m_cv, m_iv, blockBytes);
}

void BlockCipher64::setIV(const void* value) {
    checkInitialized();
    std::memcpy(m_iv, value, blockBytes);
    reset();
}

void BlockCipher64::getIV(void* value) const {
    checkInitialized();
    std::memcpy(value, m_cv, blockBytes);
}

void BlockCipher64::incrementCounter() noexcept {
    for (std::size_t i = blockBytes; i-- > 0;) {
        if (++m_cv[i] != 0) {
            break;
        }
    }
}

void BlockCipher64::encryptTail(const std::uint8_t* in, std::uint8_t* out, std::uint32_t size) noexcept {
    encryptBlocks(m_cv, m_cv, 1);
    xorInto(out, in, m_cv, size);
}

void BlockCipher64::encryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                                     std::uint8_t* cv) const noexcept {
    for (std::size_t i = 0; i < count; ++i, in += blockBytes, out += blockBytes) {
        std::uint8_t block[blockBytes];
        xorInto(block, in, cv, blockBytes);
        encryptBlocks(block, out, 1);
        std::memcpy(cv, out, blockBytes);
    }
}

void BlockCipher64::encryptCBC(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::size_t blocks = size / blockBytes;
    const std::size_t wholeBytes = blocks * blockBytes;
    encryptBlocksCBC(asBytes(inData), asBytes(outData), blocks, m_cv);
    if (size % blockBytes != 0) {
        encryptTail(asBytes(inData) + wholeBytes, asBytes(outData) + wholeBytes, size % blockBytes);
    }
}

void BlockCipher64::decryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                                     std::uint8_t* cv) const noexcept {
    // The ciphertext of a group is copied first: it is the chaining value of the next block and may be
    // overwritten by the output when decrypting in place.
    std::uint8_t cipherText[groupBlocks * blockBytes];
    while (count > 0) {
        const std::size_t blocks = std::min(count, groupBlocks);
        const std::size_t bytes = blocks * blockBytes;
        std::memcpy(cipherText, in, bytes);
        decryptBlocks(cipherText, out, blocks);
        xorBytes(out, cv, blockBytes);
        xorBytes(out + blockBytes, cipherText, bytes - blockBytes);
        std::memcpy(cv, cipherText + bytes - blockBytes, blockBytes);
        in += bytes;
        out += bytes;
        count -= blocks;
    }
}

void BlockCipher64::decryptCBC(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::size_t blocks = size / blockBytes;
    const std::size_t wholeBytes = blocks * blockBytes;
    decryptBlocksCBC(asBytes(inData), asBytes(outData), blocks, m_cv);
    if (size % blockBytes != 0) {
        encryptTail(asBytes(inData) + wholeBytes, asBytes(outData) + wholeBytes, size % blockBytes);
    }
}

void BlockCipher64::decryptCBCAfter(const void* chain, const void* inData, void* outData, std::uint32_t size) const {
    checkInitialized();
    const std::size_t blocks = size / blockBytes;
    const std::size_t wholeBytes = blocks * blockBytes;
    std::uint8_t cv[blockBytes];
    std::memcpy(cv, chain, blockBytes);
    decryptBlocksCBC(asBytes(inData), asBytes(outData), blocks, cv);
    if (size % blockBytes != 0) {
        // The tail rule of encryptTail, on the local chaining value.
        encryptBlocks(cv, cv, 1);
        xorInto(asBytes(outData) + wholeBytes, asBytes(inData) + wholeBytes, cv, size % blockBytes);
    }
    secureWipe(cv, sizeof cv);
}

void BlockCipher64::encryptCFB8bit(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::uint8_t* in = asBytes(inData);
    std::uint8_t* out = asBytes(outData);
    std::uint8_t keyStream[blockBytes];
    for (std::uint32_t i = 0; i < size; ++i) {
        encryptBlocks(m_cv, keyStream, 1);
        const auto c = static_cast<std::uint8_t>(in[i] ^ keyStream[0]);
        out[i] = c;
        std::memmove(m_cv, m_cv + 1, blockBytes - 1);
        m_cv[blockBytes - 1] = c;
    }
    secureWipe(keyStream, sizeof keyStream);
}

void BlockCipher64::decryptCFB8bit(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::uint8_t* in = asBytes(inData);
    std::uint8_t* out = asBytes(outData);
    std::uint8_t keyStream[blockBytes];
    for (std::uint32_t i = 0; i < size; ++i) {
        const std::uint8_t c = in[i];
        encryptBlocks(m_cv, keyStream, 1);
        out[i] = static_cast<std::uint8_t>(c ^ keyStream[0]);
        std::memmove(m_cv, m_cv + 1, blockBytes - 1);
        m_cv[blockBytes - 1] = c;
    }
    secureWipe(keyStream, sizeof keyStream);
}

void BlockCipher64::encryptCFBblock(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::uint8_t* in = asBytes(inData);
    std::uint8_t* out = asBytes(outData);
    for (std::size_t i = 0; i < size / blockBytes; ++i, in += blockBytes, out += blockBytes) {
        encryptBlocks(m_cv, m_cv, 1);
        xorBytes(m_cv, in, blockBytes);
        std::memcpy(out, m_cv, blockBytes);
    }
    if (size % blockBytes != 0) {
        encryptTail(in, out, size % blockBytes);
    }
}

void BlockCipher64::decryptCFBblock(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::uint8_t* in = asBytes(inData);
    std::uint8_t* out = asBytes(outData);
    std::size_t blocks = size / blockBytes;
    // The key stream of a group is E(CV), E(C1), ..., E(C(n-1)): independent blocks.
    std::uint8_t cipherText[groupBlocks * blockBytes];
    std::uint8_t keyStream[groupBlocks * blockBytes];
    while (blocks > 0) {
        const std::size_t count = std::min(blocks, groupBlocks);
        const std::size_t bytes = count * blockBytes;
        std::memcpy(cipherText, in, bytes);
        std::memcpy(keyStream, m_cv, blockBytes);
        std::memcpy(keyStream + blockBytes, cipherText, bytes - blockBytes);
        encryptBlocks(keyStream, keyStream, count);
        xorInto(out, cipherText, keyStream, bytes);
        std::memcpy(m_cv, cipherText + bytes - blockBytes, blockBytes);
        in += bytes;
        out += bytes;
        blocks -= count;
    }
    secureWipe(keyStream, sizeof keyStream);
    if (size % blockBytes != 0) {
        encryptTail(in, out, size % blockBytes);
    }
}

void BlockCipher64::encryptOFB(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::uint8_t* in = asBytes(inData);
    std::uint8_t* out = asBytes(outData);
    for (std::size_t i = 0; i < size / blockBytes; ++i, in += blockBytes, out += blockBytes) {
        encryptBlocks(m_cv, m_cv, 1);
        xorInto(out, in, m_cv, blockBytes);
    }
    if (size % blockBytes != 0) {
        encryptTail(in, out, size % blockBytes);
    }
}

void BlockCipher64::decryptOFB(const void* inData, void* outData, std::uint32_t size) {
    encryptOFB(inData, outData, size);
}

void BlockCipher64::encryptCTR(const void* inData, void* outData, std::uint32_t size) {
    checkInitialized();
    const std::uint8_t* in = asBytes(inData);
    std::uint8_t* out = asBytes(outData);
    // Counter blocks are independent: a group of them is encrypted at once. The tail uses one more counter.
    const std::size_t blocks = (size + blockBytes - 1) / blockBytes;
    std::uint8_t keyStream[groupBlocks * blockBytes];
    std::size_t remaining = size;
    for (std::size_t done = 0; done < blocks;) {
        const std::size_t count = std::min(blocks - done, groupBlocks);
        for (std::size_t j = 0; j < count; ++j) {
            std::memcpy(keyStream + j * blockBytes, m_cv, blockBytes);
            incrementCounter();
        }
        encryptBlocks(keyStream, keyStream, count);
        const std::size_t bytes = std::min(remaining, count * blockBytes);
        xorInto(out, in, keyStream, bytes);
        in += bytes;
        out += bytes;
        remaining -= bytes;
        done += count;
    }
    secureWipe(keyStream, sizeof keyStream);
}

void BlockCipher64::decryptCTR(const void* inData, void* outData, std::uint32_t size) {
    encryptCTR(inData, outData, size);
}

} // namespace kelvara
