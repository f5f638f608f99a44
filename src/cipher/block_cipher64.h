// Block ciphers with a 64-bit block: IV and chaining value, keying with a derived IV, and the five chaining modes.
#pragma once

#include "cipher/cipher_base.h"

#include <cstddef>
#include <cstdint>

namespace kelvara {

// The concrete cipher supplies scheduleKey and the unchecked whole-block kernels below; every chaining mode,
// with its rule for a trailing partial block, lives here.
class BlockCipher64 : public BlockCipher {
public:
    static constexpr std::uint32_t blockBytes = 8;

    static constexpr std::int32_t classGetBlockSize() { return 64; }
    std::int32_t getBlockSize() const override { return classGetBlockSize(); }

    // Size check, key schedule, then IV := initVector (8 bytes) or, without one, the encryption of eight FF bytes.
    void init(const void* key, std::uint32_t sizeBits, const void* initVector = nullptr) override;
    // IV and CV := eight FF bytes; unkeyed.
    void burn() override;
    // CV := IV. Throws BlockCipherError when unkeyed.
    void reset() override;
    void setIV(const void* value) override;
    void getIV(void* value) const override;

    void encryptCBC(const void* inData, void* outData, std::uint32_t size) override;
    void decryptCBC(const void* inData, void* outData, std::uint32_t size) override;
    // Decrypts size bytes of a CBC stream as decryptCBC would with CV = chain, the 8 ciphertext bytes before
    // them (the IV for the stream's start), but leaves IV and CV alone. It changes no state, so several
    // threads may decrypt different stretches of one stream with one keyed object at once. Throws
    // BlockCipherError when unkeyed.
    void decryptCBCAfter(const void* chain, const void* inData, void* outData, std::uint32_t size) const;
    void encryptCFB8bit(const void* inData, void* outData, std::uint32_t size) override;
    void decryptCFB8bit(const void* inData, void* outData, std::uint32_t size) override;
    void encryptCFBblock(const void* inData, void* outData, std::uint32_t size) override;
    void decryptCFBblock(const void* inData, void* outData, std::uint32_t size) override;
    void encryptOFB(const void* inData, void* outData, std::uint32_t size) override;
    void decryptOFB(const void* inData, void* outData, std::uint32_t size) override;
    void encryptCTR(const void* inData, void* outData, std::uint32_t size) override;
    void decryptCTR(const void* inData, void* outData, std::uint32_t size) override;

protected:
    BlockCipher64() = default;

    // Adds 1 to CV read as a 64-bit big-endian counter (FF..FF wraps to 00..00).
    void incrementCounter() noexcept;

    // Throws BlockCipherError "Cipher not initialized" when unkeyed.
    void checkInitialized() const;

    // Kernels of the concrete cipher: count independent blocks, no state check, no IV or CV.
    // in and out are either the same buffer or do not overlap.
    virtual void encryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept = 0;
    virtual void decryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept = 0;
    // CBC encryption of count whole blocks chained from cv, which is updated to the last output block.
    // The default chains encryptBlocks one block at a time; a cipher may supply a tighter loop.
    virtual void encryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                                  std::uint8_t* cv) const noexcept;
    // CBC decryption of count whole blocks chained from cv, which is updated to the last input block.
    // The default hands groups of blocks to decryptBlocks; a cipher may supply a fused loop.
    virtual void decryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                                  std::uint8_t* cv) const noexcept;

    std::uint8_t m_iv[blockBytes] = {};
    std::uint8_t m_cv[blockBytes] = {};

private:
    // CV := E(CV), then the first size bytes of out := in xor CV (the tail rule of the block modes).
    void encryptTail(const std::uint8_t* in, std::uint8_t* out, std::uint32_t size) noexcept;

    friend struct CipherStateProbe; // lets tests read IV and CV directly
};

} // namespace kelvara
