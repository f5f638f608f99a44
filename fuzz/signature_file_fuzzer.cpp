// Fuzzes the readers of signature files and public keys: any bytes are read or refused without a crash, and
// nothing that a fixed key did not sign is accepted as signed by it.
#include "signature/release_signature.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)kelvara::signature::parsePublicKey(text);
    (void)kelvara::signature::parseSignatureFile(text);

    // A key whose secret half was thrown away when it was made: no input may verify against it.
    static const auto key =
        kelvara::signature::parsePublicKey("RWRRmNrc934SdpWI6CzRL1AFOfy9jEpvpap+T6JmsrX5ceISN5oJJY5R");
    if (!key)
        std::abort();
    const std::size_t split = size / 2;
    if (kelvara::signature::verify(*key, text.substr(0, split), text.substr(split)) ==
        kelvara::signature::Verdict::valid)
        std::abort();
    return 0;
}
