// Fuzzes the Base64 decoder with any bytes: no access outside the buffers, and encoding round-trips.
#include "cipher/base64.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto length = static_cast<std::int32_t>(input.size());

    // The buffer is exactly as large as the decoder may write: AddressSanitizer catches any byte beyond.
    std::vector<std::uint8_t> decoded(static_cast<std::size_t>(length / 4) * 3 + 1);
    const std::int32_t written = kelvara::base64DecodeBuffer(input.data(), decoded.data() + 1, length);
    if (written < 0 || written > (length / 4) * 3)
        std::abort();
    if (kelvara::base64DecodeText(input).size() != static_cast<std::size_t>(written))
        std::abort();

    if (kelvara::base64DecodeText(kelvara::base64EncodeText(input)) != input)
        std::abort();
    return 0;
}
