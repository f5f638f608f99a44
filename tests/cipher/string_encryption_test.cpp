// Passphrase keying, string encryption over CFB8bit and Base64, and the stream operations.
#include "cipher/base64.h"
#include "cipher/blowfish.h"
#include "cipher/sha1.h"

#include "cipher_state_probe.h"
#include "test_bytes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvara {
namespace {

using test::Bytes;

test::Bytes sha1Of(const void* data, std::size_t size) {
    Bytes digest(Sha1::digestBytes);
    Sha1 hash;
    hash.init();
    hash.update(data, static_cast<std::uint32_t>(size));
    hash.final(digest.data());
    return digest;
}

// Keys a second object directly with the digest, to compare with passphrase keying.
void expectSameKey(const Blowfish& keyed, const Bytes& digest) {
    Blowfish expected;
    expected.init(digest.data(), 160);
    EXPECT_TRUE(CipherStateProbe::sameTables(keyed, expected));
    EXPECT_EQ(CipherStateProbe::iv(keyed), CipherStateProbe::iv(expected));
    EXPECT_EQ(CipherStateProbe::cv(keyed), CipherStateProbe::iv(expected));
}

TEST(InitStr, KeysWithTheSha1DigestOfThePassphrase) {
    Blowfish cipher;
    cipher.initStr(std::string_view("Passwort"), hashClassOf<Sha1>());
    expectSameKey(cipher, sha1Of("Passwort", 8));

    cipher.initStr(std::string_view(), hashClassOf<Sha1>());
    expectSameKey(cipher, sha1Of("", 0));

    const std::uint8_t utf16Bytes[] = {'P', 0, 0xFC, 0}; // "Pü" as UTF-16LE
    cipher.initStr(std::u16string_view(u"P\u00FC"), hashClassOf<Sha1>());
    expectSameKey(cipher, sha1Of(utf16Bytes, sizeof utf16Bytes));
}

// A hash that fails while hashing, or that names an unusable size.
template <std::int32_t bits, bool failing> class TestHash final : public Hash {
public:
    static constexpr std::int32_t classGetHashSize() { return bits; }
    std::int32_t getHashSize() const override { return bits; }
    void init() override { m_initialized = true; }
    void update(const void*, std::uint32_t) override {
        if (failing) {
            throw HashError("Hash not initialized");
        }
    }
    void final(void* digest) override {
        if constexpr (bits > 0) {
            std::memset(digest, 0x5A, bits / 8);
        }
    }
};

TEST(InitStr, AnyFailureIsReportedAsDigestMemoryAndLeavesTheCipherUnkeyed) {
    const HashClass broken[] = {hashClassOf<TestHash<160, true>>(), hashClassOf<TestHash<0, false>>(),
                                hashClassOf<TestHash<-8, false>>()};
    for (const HashClass& hashType : broken) {
        Blowfish cipher;
        cipher.initStr(std::string_view("first key"), hashClassOf<Sha1>());
        try {
            cipher.initStr(std::string_view("x"), hashType);
            ADD_FAILURE() << "no exception";
        } catch (const CipherError& error) {
            EXPECT_STREQ(error.what(), "Unable to allocate sufficient memory for hash digest");
        }
        EXPECT_FALSE(cipher.initialized());
        EXPECT_TRUE(CipherStateProbe::tablesAllFF(cipher));
    }
    // A digest longer than the cipher's largest key is cut to that key size.
    Blowfish cipher;
    cipher.initStr(std::string_view("x"), hashClassOf<TestHash<512, false>>());
    Blowfish expected;
    const Bytes digest(64, 0x5A);
    expected.init(digest.data(), 448);
    EXPECT_TRUE(CipherStateProbe::sameTables(cipher, expected));
}

TEST(EncryptString, IsBase64OfCfb8bitFromTheIv) {
    Blowfish cipher;
    cipher.initStr(std::string_view("geheim"), hashClassOf<Sha1>());
    cipher.setCipherMode(CipherMode::ctr); // strings always use CFB8bit
    const std::string text = "Ein kurzer Text, der verschl\xFCsselt wird.";
    const std::string encrypted = cipher.encryptString(text);

    std::uint8_t ivStream[8];
    cipher.encryptECB(CipherStateProbe::iv(cipher).data(), ivStream);
    const std::string raw = base64DecodeText(encrypted);
    ASSERT_EQ(raw.size(), text.size());
    EXPECT_EQ(static_cast<std::uint8_t>(raw[0]), static_cast<std::uint8_t>(text[0]) ^ ivStream[0]);

    std::string expected(text.size(), '\0');
    cipher.reset();
    cipher.encryptCFB8bit(text.data(), expected.data(), static_cast<std::uint32_t>(text.size()));
    EXPECT_EQ(raw, expected);

    // The chain continues across calls; reset starts it again.
    EXPECT_NE(cipher.encryptString(text), encrypted);
    cipher.reset();
    EXPECT_EQ(cipher.encryptString(text), encrypted);
    cipher.reset();
    EXPECT_EQ(cipher.decryptString(encrypted), text);

    Blowfish fresh;
    fresh.initStr(std::string_view("geheim"), hashClassOf<Sha1>());
    EXPECT_EQ(fresh.encryptString(text), encrypted);
    EXPECT_EQ(fresh.encryptString(std::string_view()), "");
    EXPECT_EQ(fresh.decryptString(std::string_view()), "");
}

TEST(EncryptString, Utf16OverloadsWorkOnTheCodeUnitBytes) {
    Blowfish cipher;
    cipher.initStr(std::u16string_view(u"geheim"), hashClassOf<Sha1>());
    const std::u16string text = u"Gr\u00FC\u00DFe \u20AC";
    const std::u16string encrypted = cipher.encryptString(text);
    EXPECT_EQ(encrypted.size(), (text.size() * 2 + 2) / 3 * 4);

    const std::string bytes = {'G', 0, 'r', 0, '\xFC', 0, '\xDF', 0, 'e', 0, ' ', 0, '\xAC', ' '};
    cipher.reset();
    const std::string narrow = cipher.encryptString(bytes);
    EXPECT_EQ(encrypted, std::u16string(narrow.begin(), narrow.end()));

    cipher.reset();
    EXPECT_EQ(cipher.decryptString(encrypted), text);
}

TEST(EncryptString, NeedsAKeyEvenForEmptyText) {
    Blowfish cipher;
    EXPECT_THROW(cipher.encryptString(std::string_view()), BlockCipherError);
    EXPECT_THROW(cipher.decryptString(std::string_view()), BlockCipherError);
    EXPECT_THROW(cipher.encryptString(std::u16string_view()), BlockCipherError);
    EXPECT_THROW(cipher.decryptString(std::u16string_view(u"Zm9v")), BlockCipherError);
}

// A cipher that is no block cipher keeps the base versions of the string operations, which use encrypt().
class XorCipher final : public Cipher {
public:
    std::int32_t getMaxKeySize() const override { return 8; }
    void encrypt(const void* in, void* out, std::uint32_t size) override { apply(in, out, size); }
    void decrypt(const void* in, void* out, std::uint32_t size) override { apply(in, out, size); }

private:
    void apply(const void* in, void* out, std::uint32_t size) {
        if (!m_initialized) {
            throw CipherError("Cipher not initialized");
        }
        for (std::uint32_t i = 0; i < size; ++i) {
            static_cast<char*>(out)[i] = static_cast<char>(static_cast<const char*>(in)[i] ^ 0x5A);
        }
    }
};

TEST(EncryptString, NonBlockCipherUsesItsOwnEncrypt) {
    XorCipher cipher;
    const std::uint8_t key = 1;
    cipher.init(&key, 8);
    EXPECT_EQ(cipher.encryptString(std::string_view("abc")), base64EncodeText(std::string_view("\x3B\x38\x39")));
    EXPECT_EQ(cipher.decryptString(std::string_view("Ozg5")), "abc");
    EXPECT_EQ(cipher.encryptString(std::u16string_view(u"a")), u"O1o=");
    EXPECT_EQ(cipher.decryptString(std::u16string_view(u"O1o=")), u"a");
    EXPECT_THROW(cipher.init(&key, 12), CipherError); // above its largest key
}

TEST(CipherStream, EqualsOneEncryptCallAndCountsWhatWasRead) {
    const Bytes key = test::patternBytes(32);
    const Bytes data = test::patternBytes(20001);
    Blowfish cipher;
    cipher.init(key.data(), 256);
    Bytes expected(data.size());
    cipher.encryptCBC(data.data(), expected.data(), static_cast<std::uint32_t>(data.size()));

    std::istringstream in(std::string(data.begin(), data.end()));
    std::ostringstream out;
    cipher.reset();
    EXPECT_EQ(cipher.encryptStream(in, out, 20001), 20001u);
    EXPECT_EQ(out.str(), std::string(expected.begin(), expected.end()));

    std::istringstream back(out.str());
    std::ostringstream plain;
    cipher.reset();
    EXPECT_EQ(cipher.decryptStream(back, plain, 30000), 20001u); // the stream holds less than asked
    EXPECT_EQ(plain.str(), std::string(data.begin(), data.end()));
}

} // namespace
} // namespace kelvara
