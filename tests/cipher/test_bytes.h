// Byte helpers for the cipher tests: hex parsing and printing, deterministic test data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes fromHex(std::string_view hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

inline std::string toHex(const std::uint8_t* data, std::size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 15];
    }
    return hex;
}

inline std::string toHex(const Bytes& bytes) {
    return toHex(bytes.data(), bytes.size());
}

// Bytes that differ from position to position, so misplaced or repeated blocks show.
inline Bytes patternBytes(std::size_t size, std::uint32_t seed = 1) {
    Bytes bytes(size);
    std::uint32_t state = seed;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

} // namespace kelvara::test
