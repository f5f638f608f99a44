// The cipher framework: Cipher (keyed state, passphrase keying, strings, streams) and BlockCipher (chaining modes).
#pragma once

#include "cipher/algorithm_ids.h"
#include "cipher/cipher_errors.h"
#include "cipher/hash.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace kelvara {

// target[i] ^= source[i] for i in [0, n).
void xorBytes(void* target, const void* source, std::size_t n) noexcept;

// Base of every cipher. Key sizes are in bits, data sizes in bytes.
// Class-level queries exist as static classGetX() and as virtual getX() on an instance.
class Cipher {
public:
    Cipher(const Cipher&) = delete;
    Cipher& operator=(const Cipher&) = delete;
    virtual ~Cipher() = default; // each concrete cipher burns itself in its own destructor

    static constexpr std::int32_t classGetId() { return algorithm_ids::none; }
    static constexpr std::string_view classGetAlgorithm() { return {}; }
    static constexpr std::int32_t classGetMaxKeySize() { return -1; }
    static constexpr bool classSelfTest() { return false; }

    virtual std::int32_t getId() const { return classGetId(); }
    virtual std::string_view getAlgorithm() const { return classGetAlgorithm(); }
    virtual std::int32_t getMaxKeySize() const { return classGetMaxKeySize(); } // in bits
    virtual bool selfTest() const { return classSelfTest(); }

    bool initialized() const noexcept { return m_initialized; }

    // Keys the cipher with the first sizeBits / 8 bytes of key. Burns a previous key first.
    // Throws CipherError "Invalid key size" (leaving the object unkeyed) for a size that is 0,
    // not a multiple of 4, shorter than one whole byte, or above getMaxKeySize().
    // initVector, when given, points to one block of IV; otherwise the IV is derived from the key.
    virtual void init(const void* key, std::uint32_t sizeBits, const void* initVector = nullptr);
    // Wipes all key material and leaves the object unkeyed.
    virtual void burn() { m_initialized = false; }
    // Restarts the chain from the IV without re-keying.
    virtual void reset() {}

    // Encrypts or decrypts size bytes in the current mode; in and out may be the same buffer.
    virtual void encrypt(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void decrypt(const void* inData, void* outData, std::uint32_t size) = 0;

    // Encrypts the bytes and returns them as Base64 text; decryptString is the reverse.
    virtual std::string encryptString(std::string_view str);
    virtual std::string decryptString(std::string_view str);
    // The same over the UTF-16 code units (low byte first); the result holds as many code units.
    virtual std::u16string encryptString(std::u16string_view str);
    virtual std::u16string decryptString(std::u16string_view str);

    // Keys the cipher with the digest of the passphrase under the given hash type, without an IV.
    // Any failure is reported as CipherError "Unable to allocate sufficient memory for hash digest".
    void initStr(std::string_view key, const HashClass& hashType);
    void initStr(std::u16string_view key, const HashClass& hashType);

    // Reads size bytes in pieces of 8192, encrypts (decrypts) each in place and writes it out.
    // Returns the number of bytes read; the streams' states tell about read and write failures.
    std::uint32_t encryptStream(std::istream& inStream, std::ostream& outStream, std::uint32_t size);
    std::uint32_t decryptStream(std::istream& inStream, std::ostream& outStream, std::uint32_t size);

protected:
    Cipher() = default;

    // The transforms the string operations run over the bytes: the current mode here; a block cipher uses
    // CFB8bit whatever its mode.
    virtual void encryptStringBytes(const void* inData, void* outData, std::uint32_t size) {
        encrypt(inData, outData, size);
    }
    virtual void decryptStringBytes(const void* inData, void* outData, std::uint32_t size) {
        decrypt(inData, outData, size);
    }

    bool m_initialized = false;

private:
    template <class Key> void initFromPassphrase(Key key, const HashClass& hashType);
    template <bool encrypting>
    std::uint32_t transformStream(std::istream& inStream, std::ostream& outStream, std::uint32_t size);
};

enum class CipherMode : std::uint8_t { cbc = 0, cfb8bit = 1, cfbBlock = 2, ofb = 3, ctr = 4 };

// Base of block ciphers: the chosen chaining mode and the block-level operations.
class BlockCipher : public Cipher {
public:
    static constexpr std::int32_t classGetBlockSize() { return -1; }
    virtual std::int32_t getBlockSize() const { return classGetBlockSize(); } // in bits

    CipherMode cipherMode() const noexcept { return m_cipherMode; }
    void setCipherMode(CipherMode mode) noexcept { m_cipherMode = mode; }

    // Dispatch to the operation of cipherMode().
    void encrypt(const void* inData, void* outData, std::uint32_t size) override;
    void decrypt(const void* inData, void* outData, std::uint32_t size) override;

    // Sets the IV (one block) and restarts the chain from it.
    virtual void setIV(const void* value) = 0;
    // Despite its name, copies the current chaining value (one block), not the IV: the two are equal only right
    // after init, reset or setIV; every chained block moves the chaining value on. The name is the engine's
    // published one; chainingValue() says the same thing plainly.
    virtual void getIV(void* value) const = 0;
    void chainingValue(void* value) const { getIV(value); }

    // One block, no chaining; in and out may be the same buffer.
    virtual void encryptECB(const void* inData, void* outData) const = 0;
    virtual void decryptECB(const void* inData, void* outData) const = 0;

    // The chaining modes. out receives exactly size bytes; in and out may be the same buffer.
    virtual void encryptCBC(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void decryptCBC(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void encryptCFB8bit(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void decryptCFB8bit(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void encryptCFBblock(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void decryptCFBblock(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void encryptOFB(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void decryptOFB(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void encryptCTR(const void* inData, void* outData, std::uint32_t size) = 0;
    virtual void decryptCTR(const void* inData, void* outData, std::uint32_t size) = 0;

protected:
    BlockCipher() = default;

    // The string operations always use CFB8bit, whatever cipherMode() is; the chain continues from the
    // current chaining value.
    void encryptStringBytes(const void* inData, void* outData, std::uint32_t size) override {
        encryptCFB8bit(inData, outData, size);
    }
    void decryptStringBytes(const void* inData, void* outData, std::uint32_t size) override {
        decryptCFB8bit(inData, outData, size);
    }

    // Builds the key-dependent tables from the first sizeBits / 8 bytes of key (size already checked).
    virtual void scheduleKey(const void* key, std::uint32_t sizeBits) = 0;

    CipherMode m_cipherMode = CipherMode::cbc;
};

} // namespace kelvara
