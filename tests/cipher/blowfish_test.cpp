// Blowfish: the published 64-bit-key vectors, key sizes, key truncation, wiping and the unkeyed state.
#include "cipher/blowfish.h"

#include "cipher_state_probe.h"
#include "test_bytes.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

using test::Bytes;
using test::fromHex;
using test::toHex;

struct EcbVector {
    const char* key;
    const char* plainText;
    const char* cipherText;
};

// The published Blowfish test set with 64-bit keys (key, plaintext, ciphertext).
const EcbVector ecbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

void PrintTo(const EcbVector& vector, std::ostream* os) {
    *os << "key " << vector.key << " plain " << vector.plainText;
}

class BlowfishEcb : public testing::TestWithParam<EcbVector> {};

TEST_P(BlowfishEcb, EncryptsAndDecryptsInPlace) {
    const EcbVector& vector = GetParam();
    const Bytes key = fromHex(vector.key);
    Blowfish cipher;
    cipher.init(key.data(), 64);
    Bytes block = fromHex(vector.plainText);
    cipher.encryptECB(block.data(), block.data());
    EXPECT_EQ(toHex(block), vector.cipherText);
    cipher.decryptECB(block.data(), block.data());
    EXPECT_EQ(toHex(block), vector.plainText);
}

INSTANTIATE_TEST_SUITE_P(PublishedSet, BlowfishEcb, testing::ValuesIn(ecbVectors));

class BlowfishKeySize : public testing::TestWithParam<std::tuple<std::uint32_t, bool>> {};

TEST_P(BlowfishKeySize, IsCheckedByInit) {
    const auto [bits, accepted] = GetParam();
    const Bytes key = test::patternBytes(64);
    Blowfish cipher;
    cipher.init(key.data(), 64); // a previous key, which a failed init must burn
    if (accepted) {
        cipher.init(key.data(), bits);
        EXPECT_TRUE(cipher.initialized());
        return;
    }
    try {
        cipher.init(key.data(), bits);
        ADD_FAILURE() << "no exception";
    } catch (const CipherError& error) {
        EXPECT_STREQ(error.what(), "Invalid key size");
    }
    EXPECT_FALSE(cipher.initialized());
    EXPECT_TRUE(CipherStateProbe::tablesAllFF(cipher));
    EXPECT_THROW(cipher.reset(), BlockCipherError);
}

// 4 bits is a multiple of 4 but leaves no whole key byte, so it is refused like the others.
INSTANTIATE_TEST_SUITE_P(Sizes, BlowfishKeySize,
                         testing::Values(std::make_tuple(0u, false), std::make_tuple(4u, false),
                                         std::make_tuple(6u, false), std::make_tuple(449u, false),
                                         std::make_tuple(452u, false), std::make_tuple(8u, true),
                                         std::make_tuple(12u, true), std::make_tuple(160u, true),
                                         std::make_tuple(256u, true), std::make_tuple(448u, true)));

TEST(Blowfish, ScheduleUsesOnlyWholeKeyBytes) {
    Bytes keyA = test::patternBytes(56);
    Bytes keyB = keyA;
    keyB[1] ^= 0x01; // beyond the one whole byte of a 12-bit key
    Blowfish a;
    Blowfish b;
    a.init(keyA.data(), 12);
    b.init(keyB.data(), 12);
    EXPECT_TRUE(CipherStateProbe::sameTables(a, b));
    b.init(keyA.data(), 8);
    EXPECT_TRUE(CipherStateProbe::sameTables(a, b));

    // A 448-bit key uses all 56 bytes: its last byte matters.
    keyB = keyA;
    keyB[55] ^= 0x01;
    a.init(keyA.data(), 448);
    b.init(keyB.data(), 448);
    EXPECT_FALSE(CipherStateProbe::sameTables(a, b));
}

TEST(Blowfish, BurnWipesAndUnkeys) {
    Blowfish cipher;
    EXPECT_FALSE(cipher.initialized()); // a new object is already wiped
    EXPECT_TRUE(CipherStateProbe::tablesAllFF(cipher));

    const Bytes key = test::patternBytes(32);
    cipher.init(key.data(), 256);
    EXPECT_FALSE(CipherStateProbe::tablesAllFF(cipher));
    cipher.burn();
    EXPECT_FALSE(cipher.initialized());
    EXPECT_TRUE(CipherStateProbe::tablesAllFF(cipher));
    const std::array<std::uint8_t, 8> allFF = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(CipherStateProbe::iv(cipher), allFF);
    EXPECT_EQ(CipherStateProbe::cv(cipher), allFF);

    std::uint8_t block[8] = {};
    try {
        cipher.encryptECB(block, block);
        ADD_FAILURE() << "no exception";
    } catch (const BlockCipherError& error) {
        EXPECT_STREQ(error.what(), "Cipher not initialized");
    }
    EXPECT_THROW(cipher.decryptECB(block, block), BlockCipherError);
}

// A copy of the key runs like a fresh keying: same tables and IV, its chain at the IV even when the original
// has moved on, and the original's later use does not reach the copy.
TEST(Blowfish, CopiedKeyRunsAsTheKeyedOriginal) {
    Blowfish keyed;
    Blowfish copy;
    EXPECT_THROW(copy.copyKeyFrom(keyed), BlockCipherError);

    const Bytes key = test::patternBytes(32);
    keyed.init(key.data(), 256);
    const Bytes plain = test::patternBytes(43);
    Bytes expected(plain.size());
    keyed.encryptCBC(plain.data(), expected.data(), static_cast<std::uint32_t>(plain.size())); // CV moved on

    copy.copyKeyFrom(keyed);
    EXPECT_TRUE(CipherStateProbe::sameTables(copy, keyed));
    EXPECT_EQ(CipherStateProbe::cv(copy), CipherStateProbe::iv(keyed));
    Bytes output(plain.size());
    copy.encryptCBC(plain.data(), output.data(), static_cast<std::uint32_t>(plain.size()));
    EXPECT_EQ(toHex(output), toHex(expected));
    keyed.burn();
    copy.reset();
    copy.decryptCBC(output.data(), output.data(), static_cast<std::uint32_t>(output.size()));
    EXPECT_EQ(toHex(output), toHex(plain));
}

TEST(Blowfish, ClassLevelQueriesWithAndWithoutInstance) {
    static_assert(Blowfish::classGetId() == 5 && Blowfish::classGetMaxKeySize() == 448);
    static_assert(Blowfish::classGetBlockSize() == 64 && BlockCipher::classGetBlockSize() == -1);
    static_assert(Cipher::classGetMaxKeySize() == -1 && Cipher::classGetId() == -1);
    EXPECT_TRUE(Blowfish::classSelfTest());

    Blowfish blowfish;
    const BlockCipher& cipher = blowfish;
    EXPECT_EQ(cipher.getId(), 5);
    EXPECT_EQ(cipher.getAlgorithm(), "Blowfish");
    EXPECT_EQ(cipher.getMaxKeySize(), 448);
    EXPECT_EQ(cipher.getBlockSize(), 64);
    EXPECT_TRUE(cipher.selfTest());
    EXPECT_EQ(cipher.cipherMode(), CipherMode::cbc);
}

} // namespace
} // namespace kelvara
