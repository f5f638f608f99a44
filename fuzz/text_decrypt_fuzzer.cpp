// Fuzzes text decryption with any text and password; encryption followed by decryption gives the text back.
#include "operations/text_crypt.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte tells how many of the following bytes are the password.
    const std::size_t passwordLength = std::min<std::size_t>(data[0], size - 1);
    const std::string_view password(reinterpret_cast<const char*>(data) + 1, passwordLength);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1 + passwordLength, size - 1 - passwordLength);

    (void)kelvara::decryptText(text, password);
    if (kelvara::decryptText(kelvara::encryptText(text, password), password) != text)
        std::abort();
    return 0;
}
