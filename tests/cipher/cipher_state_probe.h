// Read access to the private state of the engine's objects, so tests can check keying and wiping directly.
#pragma once

#include "cipher/blowfish.h"
#include "cipher/sha1.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace kelvara {

struct CipherStateProbe {
    static std::array<std::uint8_t, 8> iv(const BlockCipher64& cipher) { return toArray(cipher.m_iv); }
    static std::array<std::uint8_t, 8> cv(const BlockCipher64& cipher) { return toArray(cipher.m_cv); }
    static void setCV(BlockCipher64& cipher, const std::array<std::uint8_t, 8>& value) {
        std::memcpy(cipher.m_cv, value.data(), value.size());
    }

    static bool tablesAllFF(const Blowfish& cipher) {
        const auto allFF = [](const auto& words) {
            return std::all_of(std::begin(words), std::end(words), [](std::uint32_t w) { return w == 0xFFFFFFFF; });
        };
        return allFF(cipher.m_pBox) && std::all_of(std::begin(cipher.m_sBox), std::end(cipher.m_sBox), allFF);
    }
    static bool sameTables(const Blowfish& a, const Blowfish& b) {
        return std::memcmp(a.m_pBox, b.m_pBox, sizeof a.m_pBox) == 0 &&
               std::memcmp(a.m_sBox, b.m_sBox, sizeof a.m_sBox) == 0;
    }

    static bool stateAllZero(const Sha1& hash) {
        const auto zero = [](auto v) { return v == 0; };
        return hash.m_lenHi == 0 && hash.m_lenLo == 0 && hash.m_index == 0 &&
               std::all_of(std::begin(hash.m_currentHash), std::end(hash.m_currentHash), zero) &&
               std::all_of(std::begin(hash.m_hashBuffer), std::end(hash.m_hashBuffer), zero);
    }

private:
    static std::array<std::uint8_t, 8> toArray(const std::uint8_t (&bytes)[8]) {
        std::array<std::uint8_t, 8> result{};
        std::copy(std::begin(bytes), std::end(bytes), result.begin());
        return result;
    }
};

} // namespace kelvara
