// The string and stream feeding shared by every hash.
#include "cipher/hash.h"

#include "cipher/secure_wipe.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kelvara {

void Hash::updateStr(std::string_view bytes) {
    // One update even for an empty string, so an uninitialised hash is reported.
    constexpr std::size_t maxPiece = std::numeric_limits<std::uint32_t>::max();
    do {
        const std::size_t piece = std::min(bytes.size(), maxPiece);
        update(bytes.data(), static_cast<std::uint32_t>(piece));
        bytes.remove_prefix(piece);
    } while (!bytes.empty());
}

void Hash::updateStr(std::u16string_view utf16) {
    // The code units go through a small buffer, low byte first, so the result does not depend on the
    // machine's byte order. The buffer may hold a password and is wiped.
    constexpr std::size_t unitsPerPiece = 512;
    std::uint8_t piece[unitsPerPiece * 2];
    ScopedWipe wipe(piece, sizeof piece);
    do {
        const std::size_t units = std::min(utf16.size(), unitsPerPiece);
        for (std::size_t i = 0; i < units; ++i) {
            piece[2 * i] = static_cast<std::uint8_t>(utf16[i] & 0xFF);
            piece[2 * i + 1] = static_cast<std::uint8_t>(utf16[i] >> 8);
        }
        update(piece, static_cast<std::uint32_t>(units * 2));
        utf16.remove_prefix(units);
    } while (!utf16.empty());
}

void Hash::updateStream(std::istream& stream, std::uint32_t size) {
    constexpr std::uint32_t pieceSize = 8192;
    char piece[pieceSize];
    ScopedWipe wipe(piece, sizeof piece);
    const auto feedPiece = [&](std::uint32_t request) {
        stream.read(piece, request);
        update(piece, static_cast<std::uint32_t>(stream.gcount()));
    };
    for (std::uint32_t i = 0; i < size / pieceSize; ++i) {
        feedPiece(pieceSize);
    }
    if (size % pieceSize != 0) {
        feedPiece(size % pieceSize);
    }
}

} // namespace kelvara
