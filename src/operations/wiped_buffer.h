// Wiping helpers for strings and fixed buffers that hold secrets: overwritten when done.
#pragma once

#include "cipher/secure_wipe.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvara {

// Wipes the string's characters and empties it.
template <class CharT> void secureWipe(std::basic_string<CharT>& text) noexcept {
    secureWipe(text.data(), text.size() * sizeof(CharT));
    text.clear();
}

// A fixed buffer that is wiped when it goes out of scope, also on an exception.
template <std::size_t Size> struct WipedBuffer {
    std::uint8_t bytes[Size];
    WipedBuffer() = default;
    WipedBuffer(const WipedBuffer&) = delete;
    WipedBuffer& operator=(const WipedBuffer&) = delete;
    ~WipedBuffer() { secureWipe(bytes, Size); }
};

} // namespace kelvara
