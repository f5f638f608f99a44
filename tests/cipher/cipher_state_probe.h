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
    static std::array<std::uint8_t, 8> iv(const BlockCipher64& cipher) { return toArray(cipher.fIV); }
    static std::array<std::uint8_t, 8> cv(const BlockCipher64& cipher) { return toArray(cipher.fCV); }
    static void setCV(BlockCipher64& cipher, const std::array<std::uint8_t, 8>& value) {
        std::memcpy(cipher.fCV, value.data(), value.size());
    }

    static bool tablesAllFF(const Blowfish& cipher) {
        const auto allFF = [](const auto& words) {
            return std::all_of(std::begin(words), std::end(words), [](std::uint32_t w) { return w == 0xFFFFFFFF; });
        };
        return allFF(cipher.fPBox) && std::all_of(std::begin(cipher.fSBox), std::end(cipher.fSBox), allFF);
    }
    static bool sameTables(const Blowfish& a, const Blowfish& b) {
        return std::memcmp(a.fPBox, b.fPBox, sizeof a.fPBox) == 0 && std::memcmp(a.fSBox, b.fSBox, sizeof a.fSBox) == 0;
    }

    static bool stateAllZero(const Sha1& hash) {
        const auto zero = [](auto v) { return v == 0; };
        return hash.fLenHi == 0 && hash.fLenLo == 0 && hash.fIndex == 0 &&
               std::all_of(std::begin(hash.fCurrentHash), std::end(hash.fCurrentHash), zero) &&
               std::all_of(std::begin(hash.fHashBuffer), std::end(hash.fHashBuffer), zero);
    }

private:
    static std::array<std::uint8_t, 8> toArray(const std::uint8_t (&bytes)[8]) {
        std::array<std::uint8_t, 8> result{};
        std::copy(std::begin(bytes), std::end(bytes), result.begin());
        return result;
    }
};

} // namespace kelvara
