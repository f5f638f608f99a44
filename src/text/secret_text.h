// Strings for passwords and keys: every buffer they ever use is overwritten before it goes back to the heap.
#pragma once

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>

namespace kelvara {

// Overwrites size bytes at data with zeros; the empty assembler statement claims to read the memory, so the
// stores stay even when the buffer is about to be freed.
inline void wipeMemory(void* data, std::size_t size) noexcept {
    if (size == 0)
        return;
    std::memset(data, 0, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

// Hands out plain heap memory and wipes it when it is given back, also the old buffer of a string that grows.
template <class T> struct WipingAllocator {
    using value_type = T;
    WipingAllocator() noexcept = default;
    template <class U> WipingAllocator(const WipingAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) {
        if (count > std::numeric_limits<std::ptrdiff_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(::operator new(count * sizeof(T)));
    }
    void deallocate(T* data, std::size_t count) noexcept {
        wipeMemory(data, count * sizeof(T));
        ::operator delete(data);
    }
    template <class U> bool operator==(const WipingAllocator<U>&) const noexcept { return true; }
};

// A string whose characters never sit anywhere but in wiped heap memory. A plain string keeps short contents
// inside the object itself, where no allocator sees them; this one reserves room on the heap before it holds
// anything, and moves by swapping, so its characters never land in the object.
template <class CharT>
class BasicSecretText : public std::basic_string<CharT, std::char_traits<CharT>, WipingAllocator<CharT>> {
    using Base = std::basic_string<CharT, std::char_traits<CharT>, WipingAllocator<CharT>>;
    static constexpr std::size_t heapCapacity = 32; // beyond any object's inline room

public:
    BasicSecretText() { Base::reserve(heapCapacity); }
    explicit BasicSecretText(std::basic_string_view<CharT> text) : BasicSecretText() { Base::append(text); }
    BasicSecretText(const CharT* text, std::size_t size) : BasicSecretText() { Base::append(text, size); }
    BasicSecretText(const BasicSecretText& other) : BasicSecretText() { Base::append(other); }
    BasicSecretText(BasicSecretText&& other) : BasicSecretText() { Base::swap(other); }
    BasicSecretText& operator=(const BasicSecretText& other) {
        if (this != &other)
            Base::assign(other);
        return *this;
    }
    BasicSecretText& operator=(BasicSecretText&& other) noexcept {
        Base::swap(other);
        return *this;
    }
    ~BasicSecretText() { wipeMemory(Base::data(), Base::capacity() * sizeof(CharT)); }

    std::basic_string_view<CharT> view() const noexcept { return {Base::data(), Base::size()}; }
};

using SecretBytes = BasicSecretText<char>;     // UTF-8 or 8-bit text of a password
using SecretUtf16 = BasicSecretText<char16_t>; // a password as UTF-16 code units

} // namespace kelvara
