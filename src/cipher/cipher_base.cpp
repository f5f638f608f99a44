// The cipher framework: key-size check, passphrase keying, string and stream operations, mode dispatch.
#include "cipher/cipher_base.h"

#include "cipher/base64.h"
#include "cipher/secure_wipe.h"
#include "text/utf16_bytes.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kelvara {

namespace {

// Runs an operation taking a 32-bit size over a buffer of any length, in pieces that are whole blocks.
template <class Operation> void inPieces(const char* in, char* out, std::size_t size, Operation operation) {
    constexpr std::size_t maxPiece = std::size_t{1} << 30;
    do {
        const std::size_t piece = std::min(size, maxPiece);
        operation(in, out, static_cast<std::uint32_t>(piece));
        in += piece;
        out += piece;
        size -= piece;
    } while (size > 0);
}

// Encrypts the bytes in place and returns them as Base64 text; the plain bytes do not outlive the call.
template <class Transform> std::string encryptedBase64(std::string bytes, Transform transform) {
    inPieces(bytes.data(), bytes.data(), bytes.size(), transform);
    return base64EncodeText(bytes);
}

} // namespace

void xorBytes(void* target, const void* source, std::size_t n) noexcept {
    auto* t = static_cast<std::uint8_t*>(target);
    const auto* s = static_cast<const std::uint8_t*>(source);
    for (std::size_t i = 0; i < n; ++i) {
        t[i] ^= s[i];
    }
}

void Cipher::init(const void* /*key*/, std::uint32_t sizeBits, const void* /*initVector*/) {
    if (m_initialized) {
        burn();
    }
    // A size below 8 bits leaves no whole key byte to schedule.
    if (sizeBits < 8 || sizeBits % 4 != 0 || std::int64_t{sizeBits} > std::int64_t{getMaxKeySize()}) {
        throw CipherError(invalidKeySizeMessage);
    }
    m_initialized = true;
}

template <class Key> void Cipher::initFromPassphrase(Key key, const HashClass& hashType) {
    if (m_initialized) {
        burn();
    }
    std::vector<std::uint8_t> digest;
    try {
        const std::int32_t hashBits = hashType.getHashSize();
        if (hashBits <= 0 || hashBits % 8 != 0) {
            throw CipherError(hashDigestMemoryMessage);
        }
        digest.resize(static_cast<std::size_t>(hashBits / 8));
        {
            const auto hash = hashType.create();
            hash->init();
            hash->updateStr(key);
            hash->final(digest.data());
        }
        const std::int32_t keyBits = std::min(getMaxKeySize(), hashBits);
        if (keyBits <= 0) {
            throw CipherError(hashDigestMemoryMessage);
        }
        init(digest.data(), static_cast<std::uint32_t>(keyBits));
    } catch (...) {
        secureWipe(digest.data(), digest.size(), 0xFF);
        throw CipherError(hashDigestMemoryMessage);
    }
    secureWipe(digest.data(), digest.size(), 0xFF);
}

void Cipher::initStr(std::string_view key, const HashClass& hashType) {
    initFromPassphrase(key, hashType);
}

void Cipher::initStr(std::u16string_view key, const HashClass& hashType) {
    initFromPassphrase(key, hashType);
}

std::string Cipher::encryptString(std::string_view str) {
    return encryptedBase64(
        std::string(str), [this](const char* in, char* out, std::uint32_t size) { encryptStringBytes(in, out, size); });
}

std::string Cipher::decryptString(std::string_view str) {
    std::string result = base64DecodeText(str);
    inPieces(result.data(), result.data(), result.size(),
             [this](const char* in, char* out, std::uint32_t size) { decryptStringBytes(in, out, size); });
    return result;
}

std::u16string Cipher::encryptString(std::u16string_view str) {
    return widenAscii(
        encryptedBase64(utf16ToLittleEndianBytes(str),
                        [this](const char* in, char* out, std::uint32_t size) { encryptStringBytes(in, out, size); }));
}

std::u16string Cipher::decryptString(std::u16string_view str) {
    // An odd last decoded byte belongs to no code unit and is dropped before decrypting.
    std::string bytes = base64DecodeText(narrowAscii(str));
    bytes.resize(bytes.size() / 2 * 2);
    inPieces(bytes.data(), bytes.data(), bytes.size(),
             [this](const char* in, char* out, std::uint32_t size) { decryptStringBytes(in, out, size); });
    std::u16string result = littleEndianBytesToUtf16(bytes);
    secureWipe(bytes.data(), bytes.size());
    return result;
}

template <bool encrypting>
std::uint32_t Cipher::transformStream(std::istream& inStream, std::ostream& outStream, std::uint32_t size) {
    constexpr std::uint32_t pieceSize = 8192;
    char piece[pieceSize];
    ScopedWipe wipe(piece, sizeof piece);
    std::uint32_t bytesRead = 0;
    const auto transformPiece = [&](std::uint32_t request) {
        inStream.read(piece, request);
        const auto count = static_cast<std::uint32_t>(inStream.gcount());
        bytesRead += count;
        if constexpr (encrypting) {
            encrypt(piece, piece, count);
        } else {
            decrypt(piece, piece, count);
        }
        outStream.write(piece, count);
    };
    for (std::uint32_t i = 0; i < size / pieceSize; ++i) {
        transformPiece(pieceSize);
    }
    if (size % pieceSize != 0) {
        transformPiece(size % pieceSize);
    }
    return bytesRead;
}

std::uint32_t Cipher::encryptStream(std::istream& inStream, std::ostream& outStream, std::uint32_t size) {
    return transformStream<true>(inStream, outStream, size);
}

std::uint32_t Cipher::decryptStream(std::istream& inStream, std::ostream& outStream, std::uint32_t size) {
    return transformStream<false>(inStream, outStream, size);
}

void BlockCipher::encrypt(const void* inData, void* outData, std::uint32_t size) {
    switch (m_cipherMode) {
    case CipherMode::cbc:
        return encryptCBC(inData, outData, size);
    case CipherMode::cfb8bit:
        return encryptCFB8bit(inData, outData, size);
    case CipherMode::cfbBlock:
        return encryptCFBblock(inData, outData, size);
    case CipherMode::ofb:
        return encryptOFB(inData, outData, size);
    case CipherMode::ctr:
        return encryptCTR(inData, outData, size);
    }
    throw std::invalid_argument("Unknown cipher mode");
}

void BlockCipher::decrypt(const void* inData, void* outData, std::uint32_t size) {
    switch (m_cipherMode) {
    case CipherMode::cbc:
        return decryptCBC(inData, outData, size);
    case CipherMode::cfb8bit:
        return decryptCFB8bit(inData, outData, size);
    case CipherMode::cfbBlock:
        return decryptCFBblock(inData, outData, size);
    case CipherMode::ofb:
        return decryptOFB(inData, outData, size);
    case CipherMode::ctr:
        return decryptCTR(inData, outData, size);
    }
    throw std::invalid_argument("Unknown cipher mode");
}

} // namespace kelvara
