// The 64-bit chaining modes: split calls, in-place use, tails, IV and CV handling, and an outside reference.
#include "cipher/blowfish.h"

#include "cipher_state_probe.h"
#include "test_bytes.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <array>
#include <functional>

namespace kelvara {
namespace {

using test::Bytes;
using test::toHex;
using Block = std::array<std::uint8_t, 8>;
using ModeOperation = void (BlockCipher::*)(const void*, void*, std::uint32_t);

struct Mode {
    const char* name;
    CipherMode mode;
    ModeOperation encrypt;
    ModeOperation decrypt;
    std::size_t splitUnit; // calls chain like one call when split at multiples of this
};

const Mode modes[] = {
    {"CBC", CipherMode::cbc, &BlockCipher::encryptCBC, &BlockCipher::decryptCBC, 8},
    {"CFB8bit", CipherMode::cfb8bit, &BlockCipher::encryptCFB8bit, &BlockCipher::decryptCFB8bit, 1},
    {"CFBblock", CipherMode::cfbBlock, &BlockCipher::encryptCFBblock, &BlockCipher::decryptCFBblock, 8},
    {"OFB", CipherMode::ofb, &BlockCipher::encryptOFB, &BlockCipher::decryptOFB, 8},
    {"CTR", CipherMode::ctr, &BlockCipher::encryptCTR, &BlockCipher::decryptCTR, 8},
};

void PrintTo(const Mode& mode, std::ostream* os) {
    *os << mode.name;
}

const Bytes key256 = test::patternBytes(32, 7);

Bytes runInPieces(Blowfish& cipher, ModeOperation operation, const Bytes& input, std::size_t piece) {
    Bytes output(input.size());
    cipher.reset();
    std::size_t offset = 0;
    do {
        const std::size_t size = std::min(piece, input.size() - offset);
        (cipher.*operation)(input.data() + offset, output.data() + offset, static_cast<std::uint32_t>(size));
        offset += size;
    } while (offset < input.size());
    return output;
}

Block encryptBlock(const Blowfish& cipher, Block block) {
    cipher.encryptECB(block.data(), block.data());
    return block;
}

class ChainingMode : public testing::TestWithParam<std::tuple<Mode, std::size_t>> {
protected:
    ChainingMode() { cipher.init(key256.data(), 256); }
    Blowfish cipher;
};

TEST_P(ChainingMode, SplitsInPlaceUseAndRoundTrip) {
    const auto& [mode, length] = GetParam();
    const Bytes plainText = test::patternBytes(length);
    const Bytes oneCall = runInPieces(cipher, mode.encrypt, plainText, length + 1);
    for (const std::size_t piece : {mode.splitUnit, 7 * mode.splitUnit, std::size_t{8192}}) {
        EXPECT_EQ(runInPieces(cipher, mode.encrypt, plainText, piece), oneCall) << "piece " << piece;
        EXPECT_EQ(runInPieces(cipher, mode.decrypt, oneCall, piece), plainText) << "piece " << piece;
    }
    if (length > 0) {
        EXPECT_NE(oneCall, plainText);
    }

    Bytes inPlace = plainText;
    cipher.reset();
    (cipher.*mode.encrypt)(inPlace.data(), inPlace.data(), static_cast<std::uint32_t>(length));
    EXPECT_EQ(inPlace, oneCall);
    cipher.reset();
    (cipher.*mode.decrypt)(inPlace.data(), inPlace.data(), static_cast<std::uint32_t>(length));
    EXPECT_EQ(inPlace, plainText);

    // encrypt() and decrypt() dispatch on the chosen mode.
    cipher.setCipherMode(mode.mode);
    Bytes dispatched(length);
    cipher.reset();
    cipher.encrypt(plainText.data(), dispatched.data(), static_cast<std::uint32_t>(length));
    EXPECT_EQ(dispatched, oneCall);
    cipher.reset();
    cipher.decrypt(oneCall.data(), dispatched.data(), static_cast<std::uint32_t>(length));
    EXPECT_EQ(dispatched, plainText);
}

TEST_P(ChainingMode, UnkeyedUseFailsEvenForNoData) {
    const auto& [mode, length] = GetParam();
    Bytes data(length);
    cipher.burn();
    EXPECT_THROW((cipher.*mode.encrypt)(data.data(), data.data(), static_cast<std::uint32_t>(length)),
                 BlockCipherError);
    EXPECT_THROW((cipher.*mode.decrypt)(data.data(), data.data(), static_cast<std::uint32_t>(length)),
                 BlockCipherError);
}

INSTANTIATE_TEST_SUITE_P(BoundaryLengths, ChainingMode,
                         testing::Combine(testing::ValuesIn(modes), testing::Values(0, 1, 7, 8, 9, 8191, 8192, 8193)),
                         [](const auto& testInfo) {
                             return std::string(std::get<0>(testInfo.param).name) + "_" +
                                    std::to_string(std::get<1>(testInfo.param));
                         });

// Whole blocks (and the stream modes' tails) against an outside implementation, with the same explicit IV.
class ReferenceMode : public testing::TestWithParam<std::tuple<const char*, std::size_t>> {};

TEST_P(ReferenceMode, MatchesOutsideImplementation) {
    const auto [name, length] = GetParam();
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* standard = OSSL_PROVIDER_load(nullptr, "default");
    ASSERT_NE(legacy, nullptr);
    EVP_CIPHER* evpCipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
    ASSERT_NE(evpCipher, nullptr);
    const Block iv = {1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes plainText = test::patternBytes(length);
    Bytes expected(length + 8);
    int written = 0;
    int finalWritten = 0;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    ASSERT_EQ(EVP_EncryptInit_ex2(context, evpCipher, nullptr, nullptr, nullptr), 1);
    EVP_CIPHER_CTX_set_key_length(context, 32);
    ASSERT_EQ(EVP_EncryptInit_ex2(context, nullptr, key256.data(), iv.data(), nullptr), 1);
    EVP_CIPHER_CTX_set_padding(context, 0);
    ASSERT_EQ(EVP_EncryptUpdate(context, expected.data(), &written, plainText.data(), static_cast<int>(length)), 1);
    ASSERT_EQ(EVP_EncryptFinal_ex(context, expected.data() + written, &finalWritten), 1);
    expected.resize(static_cast<std::size_t>(written + finalWritten));
    EVP_CIPHER_CTX_free(context);
    EVP_CIPHER_free(evpCipher);
    OSSL_PROVIDER_unload(legacy);
    OSSL_PROVIDER_unload(standard);

    Blowfish cipher;
    cipher.init(key256.data(), 256, iv.data());
    const std::string mode(name);
    const ModeOperation operation = mode == "BF-CBC"   ? &BlockCipher::encryptCBC
                                    : mode == "BF-CFB" ? &BlockCipher::encryptCFBblock
                                                       : &BlockCipher::encryptOFB;
    EXPECT_EQ(toHex(runInPieces(cipher, operation, plainText, 8192)), toHex(expected));
}

INSTANTIATE_TEST_SUITE_P(Blowfish, ReferenceMode,
                         testing::Values(std::make_tuple("BF-CBC", 8), std::make_tuple("BF-CBC", 8192),
                                         std::make_tuple("BF-CBC", 16392), std::make_tuple("BF-CFB", 8200),
                                         std::make_tuple("BF-CFB", 8203), std::make_tuple("BF-OFB", 8200),
                                         std::make_tuple("BF-OFB", 8203)));

// A 64-bit cipher that supplies only the block kernels, one block per call through Blowfish's public ECB,
// so that the framework's own CBC loops run instead of Blowfish's fused ones.
class KernelsOnlyCipher final : public BlockCipher64 {
public:
    KernelsOnlyCipher() { burn(); }
    std::int32_t getMaxKeySize() const override { return Blowfish::classGetMaxKeySize(); }
    void encryptECB(const void* in, void* out) const override { m_inner.encryptECB(in, out); }
    void decryptECB(const void* in, void* out) const override { m_inner.decryptECB(in, out); }

protected:
    void scheduleKey(const void* key, std::uint32_t sizeBits) override { m_inner.init(key, sizeBits); }
    void encryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept override {
        for (std::size_t i = 0; i < count; ++i) {
            m_inner.encryptECB(in + 8 * i, out + 8 * i);
        }
    }
    void decryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const noexcept override {
        for (std::size_t i = 0; i < count; ++i) {
            m_inner.decryptECB(in + 8 * i, out + 8 * i);
        }
    }

private:
    Blowfish m_inner;
};

TEST(FrameworkChaining, GenericCbcLoopsMatchTheFusedOnes) {
    for (const std::size_t length : {0u, 9u, 8191u, 8193u}) {
        const Bytes plainText = test::patternBytes(length);
        Blowfish fused;
        KernelsOnlyCipher generic;
        fused.init(key256.data(), 256);
        generic.init(key256.data(), 256);
        Bytes expected(length);
        fused.encryptCBC(plainText.data(), expected.data(), static_cast<std::uint32_t>(length));
        Bytes data = plainText;
        generic.encryptCBC(data.data(), data.data(), static_cast<std::uint32_t>(length));
        EXPECT_EQ(data, expected) << length;
        generic.reset();
        generic.decryptCBC(data.data(), data.data(), static_cast<std::uint32_t>(length));
        EXPECT_EQ(data, plainText) << length;
    }
}

// Around the width of the fused CBC decryption's groups (0 to 12 blocks, with and without a tail): the fused
// loop and decryptCBCAfter over two stretches split at any block give the generic loop's bytes, in place too,
// and decryptCBCAfter leaves the chaining value alone.
TEST(FrameworkChaining, FusedAndSplitCbcDecryptionMatchTheGenericOne) {
    Blowfish fused;
    KernelsOnlyCipher generic;
    fused.init(key256.data(), 256);
    generic.init(key256.data(), 256);
    Block iv{};
    fused.getIV(iv.data());
    for (std::size_t blocks = 0; blocks <= 12; ++blocks) {
        for (const std::size_t tail : {0u, 1u, 7u}) {
            const std::size_t length = 8 * blocks + tail;
            const Bytes cipherText = test::patternBytes(length, static_cast<unsigned>(length));
            Bytes expected(length);
            generic.reset();
            generic.decryptCBC(cipherText.data(), expected.data(), static_cast<std::uint32_t>(length));
            Bytes data = cipherText;
            fused.reset();
            fused.decryptCBC(data.data(), data.data(), static_cast<std::uint32_t>(length));
            EXPECT_EQ(data, expected) << length;
            fused.reset();
            for (std::size_t split = 0; split <= 8 * blocks; split += 8) {
                data = cipherText;
                const std::uint8_t* chain = split == 0 ? iv.data() : cipherText.data() + split - 8;
                fused.decryptCBCAfter(iv.data(), data.data(), data.data(), static_cast<std::uint32_t>(split));
                fused.decryptCBCAfter(chain, data.data() + split, data.data() + split,
                                      static_cast<std::uint32_t>(length - split));
                EXPECT_EQ(data, expected) << length << " split at " << split;
            }
            Block cv{};
            fused.chainingValue(cv.data());
            EXPECT_EQ(cv, iv);
        }
    }
}

class BlowfishModes : public testing::Test {
protected:
    BlowfishModes() { cipher.init(key256.data(), 256); }
    Block chainingValue() const {
        Block value{};
        cipher.chainingValue(value.data());
        return value;
    }
    Blowfish cipher;
};

TEST_F(BlowfishModes, IvIsDerivedFromTheKeyOrGiven) {
    const Block allFF = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(chainingValue(), encryptBlock(cipher, allFF));
    EXPECT_EQ(CipherStateProbe::iv(cipher), chainingValue());

    const std::array<std::uint8_t, 12> longer = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 42, 42};
    cipher.init(key256.data(), 256, longer.data());
    EXPECT_EQ(chainingValue(), (Block{9, 8, 7, 6, 5, 4, 3, 2}));

    // The chaining value moves on with the data; the IV stays.
    const Bytes data = test::patternBytes(16);
    Bytes out(16);
    cipher.encryptCBC(data.data(), out.data(), 16);
    EXPECT_EQ(toHex(chainingValue().data(), 8), toHex(out.data() + 8, 8));
    EXPECT_NE(CipherStateProbe::iv(cipher), chainingValue());
    cipher.setIV(allFF.data());
    EXPECT_EQ(chainingValue(), allFF);
}

TEST_F(BlowfishModes, CbcWorkedExampleWithTail) {
    const Bytes plainText = test::patternBytes(20);
    const Block iv = chainingValue();
    Bytes cipherText(20);
    cipher.encryptCBC(plainText.data(), cipherText.data(), 20);

    Block c1{}, c2{};
    for (std::size_t i = 0; i < 8; ++i) {
        c1[i] = plainText[i] ^ iv[i];
    }
    c1 = encryptBlock(cipher, c1);
    for (std::size_t i = 0; i < 8; ++i) {
        c2[i] = plainText[8 + i] ^ c1[i];
    }
    c2 = encryptBlock(cipher, c2);
    const Block tailStream = encryptBlock(cipher, c2);
    Bytes expected(c1.begin(), c1.end());
    expected.insert(expected.end(), c2.begin(), c2.end());
    for (std::size_t i = 0; i < 4; ++i) {
        expected.push_back(plainText[16 + i] ^ tailStream[i]);
    }
    EXPECT_EQ(cipherText, expected);
    EXPECT_EQ(chainingValue(), tailStream);

    for (const std::size_t piece : {std::size_t{20}, std::size_t{8}, std::size_t{16}}) {
        EXPECT_EQ(runInPieces(cipher, &BlockCipher::decryptCBC, cipherText, piece), plainText) << piece;
    }
    // A split that is not at a block boundary puts a tail in the middle and breaks the chain.
    EXPECT_NE(runInPieces(cipher, &BlockCipher::decryptCBC, cipherText, 10), plainText);
}

TEST_F(BlowfishModes, ShortAndEmptyCalls) {
    const Block iv = chainingValue();
    const Block stream = encryptBlock(cipher, iv);
    const Bytes plainText = test::patternBytes(5);
    Bytes out(5);
    cipher.encryptCBC(plainText.data(), out.data(), 5);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(out[i], plainText[i] ^ stream[i]);
    }
    EXPECT_EQ(chainingValue(), stream);

    cipher.encryptCBC(nullptr, nullptr, 0);
    EXPECT_EQ(chainingValue(), stream);
}

TEST_F(BlowfishModes, CounterWrapsToZero) {
    const Block allFF = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    cipher.setIV(allFF.data());
    const Bytes zeros(16);
    Bytes keyStream(16);
    cipher.encryptCTR(zeros.data(), keyStream.data(), 16);
    EXPECT_EQ(toHex(keyStream.data(), 8), toHex(encryptBlock(cipher, allFF).data(), 8));
    EXPECT_EQ(toHex(keyStream.data() + 8, 8), toHex(encryptBlock(cipher, Block{}).data(), 8));
    EXPECT_EQ(chainingValue(), (Block{0, 0, 0, 0, 0, 0, 0, 1}));

    // A tail uses one more counter value and drops the rest of its key-stream block.
    CipherStateProbe::setCV(cipher, Block{0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
    Bytes tail(3);
    cipher.encryptCTR(zeros.data(), tail.data(), 3);
    EXPECT_EQ(toHex(tail), toHex(encryptBlock(cipher, Block{0, 0, 0, 0, 0, 0, 0xFF, 0xFF}).data(), 3));
    EXPECT_EQ(chainingValue(), (Block{0, 0, 0, 0, 0, 1, 0, 0}));
}

TEST_F(BlowfishModes, UnkeyedStateOperationsFail) {
    Block value{};
    cipher.burn();
    try {
        cipher.reset();
        ADD_FAILURE() << "no exception";
    } catch (const BlockCipherError& error) {
        EXPECT_STREQ(error.what(), "Cipher not initialized");
    }
    EXPECT_THROW(cipher.getIV(value.data()), BlockCipherError);
    EXPECT_THROW(cipher.setIV(value.data()), BlockCipherError);
}

} // namespace
} // namespace kelvara
