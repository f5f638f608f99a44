// The typed exceptions through which the cipher engine reports misuse, with their fixed messages.
#pragma once

#include <stdexcept>

namespace kelvara {

inline constexpr const char* hashNotInitializedMessage = "Hash not initialized";
inline constexpr const char* invalidKeySizeMessage = "Invalid key size";
inline constexpr const char* cipherNotInitializedMessage = "Cipher not initialized";
inline constexpr const char* hashDigestMemoryMessage = "Unable to allocate sufficient memory for hash digest";

// A hash was used before init() (or after final()/burn()).
class HashError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A cipher was keyed with an unusable key or a passphrase could not be turned into a key.
class CipherError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A block cipher was used without a key.
class BlockCipherError : public CipherError {
public:
    using CipherError::CipherError;
};

} // namespace kelvara
