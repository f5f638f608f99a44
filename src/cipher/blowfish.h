// The Blowfish block cipher (64-bit block, key of 8 to 448 bits) over the 64-bit chaining modes.
#pragma once

#include "cipher/algorithm_ids.h"
#include "cipher/block_cipher64.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvara {

class Blowfish final : public BlockCipher64 {
public:
    static constexpr std::uint32_t sBoxRows = 4;
    static constexpr std::uint32_t sBoxColumns = 256;
    static constexpr std::uint32_t pBoxEntries = 18;

    // A new object is unkeyed with every table word, IV and CV at FF.
    Blowfish();
    ~Blowfish() override;

    static constexpr std::int32_t classGetId() { return algorithm_ids::blowfish; }
    static constexpr std::string_view classGetAlgorithm() { return "Blowfish"; }
    static constexpr std::int32_t classGetMaxKeySize() { return 448; }
    // Known answers of the published test set (two 64-bit keys), encrypting and decrypting.
    static bool classSelfTest();

    std::int32_t getId() const override { return classGetId(); }
    std::string_view getAlgorithm() const override { return classGetAlgorithm(); }
    std::int32_t getMaxKeySize() const override { return classGetMaxKeySize(); }
    bool selfTest() const override { return classSelfTest(); }

    // Takes over keyed's key, IV and chaining mode, with CV at the IV: as keying it again with the same key
    // would, without the key schedule. Throws BlockCipherError when keyed is unkeyed.
    void copyKeyFrom(const Blowfish& keyed);

    // Wipes the S-boxes and P-array with FF, then IV and CV.
    void burn() override;

    // One block: bytes 0..3 are the left half, 4..7 the right half, both big-endian.
    void encryptECB(const void* inData, void* outData) const override;
    void decryptECB(const void* inData, void* outData) const override;

protected:
    void scheduleKey(const void* key, std::uint32_t sizeBits) override;
    void encryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept override;
    void decryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept override;
    void encryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                          std::uint8_t* cv) const noexcept override;
    void decryptBlocksCBC(const std::uint8_t* in, std::uint8_t* out, std::size_t count,
                          std::uint8_t* cv) const noexcept override;

private:
    std::uint32_t m_sBox[sBoxRows][sBoxColumns];
    std::uint32_t m_pBox[pBoxEntries];

    friend struct CipherStateProbe; // lets tests check the wiping of the tables
};

} // namespace kelvara
