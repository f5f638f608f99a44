// Random names for temporary outputs, shared by the POSIX and the Windows file code.
#include "operations/system_file.h"

#include <random>
#include <system_error>

namespace kelvara {
namespace {

std::string randomSuffix() {
    // One per thread: opening the system's source for every name cost more than writing a small file.
    thread_local std::random_device device;
    const std::uint64_t value = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4)
        text.push_back(digits[(value >> shift) & 0xFu]);
    return text;
}

} // namespace

std::string systemReason(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

std::filesystem::path temporaryName() {
    return std::string(temporaryPrefix) + randomSuffix() + ".tmp";
}

} // namespace kelvara
