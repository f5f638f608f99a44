// Overwriting key material with stores the compiler may not remove as dead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelvara {

// Fills size bytes at data with value. The empty assembler statement claims to read the memory, so the
// fill stays even when the object is about to die.
inline void secureWipe(void* data, std::size_t size, std::uint8_t value = 0) noexcept {
    if (size == 0) {
        return; // data may then be null, which memset does not accept
    }
    std::memset(data, value, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

// Wipes a buffer with zeros when the scope ends, also on an exception.
class ScopedWipe {
public:
    ScopedWipe(void* data, std::size_t size) noexcept : m_data(data), m_size(size) {}
    ScopedWipe(const ScopedWipe&) = delete;
    ScopedWipe& operator=(const ScopedWipe&) = delete;
    ~ScopedWipe() { secureWipe(m_data, m_size); }

private:
    void* m_data;
    std::size_t m_size;
};

} // namespace kelvara
