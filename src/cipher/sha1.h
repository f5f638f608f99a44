// The SHA-1 message digest (160 bits).
#pragma once

#include "cipher/algorithm_ids.h"
#include "cipher/hash.h"

#include <cstdint>
#include <string_view>

namespace kelvara {

class Sha1 final : public Hash {
public:
    static constexpr std::uint32_t digestBytes = 20;

    Sha1() = default;
    ~Sha1() override;

    static constexpr std::int32_t classGetId() { return algorithm_ids::sha1; }
    static constexpr std::string_view classGetAlgorithm() { return "SHA1"; }
    static constexpr std::int32_t classGetHashSize() { return 160; }
    // Known answers for the two standard test messages.
    static bool classSelfTest();

    std::int32_t getId() const override { return classGetId(); }
    std::string_view getAlgorithm() const override { return classGetAlgorithm(); }
    std::int32_t getHashSize() const override { return classGetHashSize(); }
    bool selfTest() const override { return classSelfTest(); }

    void init() override;
    // Throws HashError "Hash not initialized" when not initialised.
    void update(const void* buffer, std::uint32_t size) override;
    // Writes the 20-byte digest and burns the object. Throws HashError when not initialised.
    void final(void* digest) override;
    // Zeroes counts, state and buffer; uninitialised.
    void burn() override;

private:
    void processBlock() noexcept;

    std::uint32_t m_lenHi = 0; // message length in bits, high word
    std::uint32_t m_lenLo = 0; // message length in bits, low word
    std::uint32_t m_index = 0; // bytes waiting in m_hashBuffer
    std::uint32_t m_currentHash[5] = {};
    std::uint8_t m_hashBuffer[64] = {};

    friend struct CipherStateProbe; // lets tests check the wiping of the state
};

} // namespace kelvara
