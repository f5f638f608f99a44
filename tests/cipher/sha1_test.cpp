// SHA-1: published digests, padding boundaries against an outside implementation, feeding and lifecycle.
#include "cipher/sha1.h"

#include "cipher_state_probe.h"
#include "test_bytes.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <sstream>
#include <string>

namespace kelvara {
namespace {

using test::Bytes;
using test::toHex;

std::string digestOf(const void* data, std::size_t size) {
    Sha1 hash;
    std::uint8_t digest[Sha1::digestBytes];
    hash.init();
    hash.update(data, static_cast<std::uint32_t>(size));
    hash.final(digest);
    return toHex(digest, sizeof digest);
}

std::string referenceDigest(const void* data, std::size_t size) {
    std::uint8_t digest[SHA_DIGEST_LENGTH];
    SHA1(static_cast<const unsigned char*>(data), size, digest);
    return toHex(digest, sizeof digest);
}

TEST(Sha1, PublishedDigests) {
    EXPECT_EQ(digestOf("", 0), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(digestOf("abc", 3), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(digestOf(twoBlocks.data(), twoBlocks.size()), "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
    const std::string millionA(1000000, 'a');
    EXPECT_EQ(digestOf(millionA.data(), millionA.size()), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

// Messages around the padding boundaries, fed in pieces of various sizes, against the reference.
class Sha1Feeding : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(Sha1Feeding, PiecesGiveTheDigestOfTheWholeMessage) {
    const auto [length, piece] = GetParam();
    const Bytes message = test::patternBytes(length);
    Sha1 hash;
    hash.init();
    for (std::size_t offset = 0; offset < length; offset += piece) {
        hash.update(message.data() + offset, static_cast<std::uint32_t>(std::min(piece, length - offset)));
    }
    std::uint8_t digest[Sha1::digestBytes];
    hash.final(digest);
    EXPECT_EQ(toHex(digest, sizeof digest), referenceDigest(message.data(), message.size()));
}

INSTANTIATE_TEST_SUITE_P(PaddingBoundaries, Sha1Feeding,
                         testing::Combine(testing::Values(0, 1, 55, 56, 63, 64, 65, 119, 120, 128, 1000),
                                          testing::Values(1, 7, 64, 100000)));

TEST(Sha1, Utf16FeedsCodeUnitsLowByteFirst) {
    Sha1 hash;
    std::uint8_t digest[Sha1::digestBytes];
    hash.init();
    hash.updateStr(std::u16string_view(u"abc\u20AC"));
    hash.final(digest);
    const std::uint8_t expected[] = {0x61, 0, 0x62, 0, 0x63, 0, 0xAC, 0x20};
    EXPECT_EQ(toHex(digest, sizeof digest), referenceDigest(expected, sizeof expected));

    hash.init();
    hash.updateStr(std::string_view("abc"));
    hash.updateStr(std::string_view());
    hash.updateStr(std::u16string_view());
    hash.final(digest);
    EXPECT_EQ(toHex(digest, sizeof digest), "A9993E364706816ABA3E25717850C26C9CD0D89D");
}

TEST(Sha1, StreamFeedsWhatTheStreamDelivers) {
    const Bytes data = test::patternBytes(20000);
    const std::string text(data.begin(), data.end());
    std::istringstream stream(text);
    Sha1 hash;
    std::uint8_t digest[Sha1::digestBytes];
    hash.init();
    hash.updateStream(stream, 20000);
    hash.final(digest);
    EXPECT_EQ(toHex(digest, sizeof digest), referenceDigest(data.data(), data.size()));

    // Asking for more than the stream holds feeds only the bytes it delivered.
    std::istringstream shortStream(text.substr(0, 9000));
    hash.init();
    hash.updateStream(shortStream, 20000);
    hash.final(digest);
    EXPECT_EQ(toHex(digest, sizeof digest), referenceDigest(data.data(), 9000));
}

TEST(Sha1, UseWithoutInitFails) {
    Sha1 hash;
    std::uint8_t digest[Sha1::digestBytes];
    const auto expectNotInitialized = [](auto&& operation) {
        try {
            operation();
            ADD_FAILURE() << "no exception";
        } catch (const HashError& error) {
            EXPECT_STREQ(error.what(), "Hash not initialized");
        }
    };
    expectNotInitialized([&] { hash.update("x", 0); });
    expectNotInitialized([&] { hash.updateStr(std::string_view()); });
    expectNotInitialized([&] { hash.final(digest); });
    std::istringstream stream("abc");
    expectNotInitialized([&] { hash.updateStream(stream, 3); });

    // final ends the message: a second final needs a new init.
    hash.init();
    hash.updateStr(std::string_view("abc"));
    hash.final(digest);
    expectNotInitialized([&] { hash.final(digest); });
}

TEST(Sha1, FinalAndBurnLeaveNoState) {
    Sha1 hash;
    std::uint8_t digest[Sha1::digestBytes];
    hash.init();
    hash.updateStr(std::string_view("some secret password text"));
    hash.final(digest);
    EXPECT_FALSE(hash.initialized());
    EXPECT_TRUE(CipherStateProbe::stateAllZero(hash));

    hash.init();
    hash.updateStr(std::string_view("partial"));
    hash.burn();
    EXPECT_FALSE(hash.initialized());
    EXPECT_TRUE(CipherStateProbe::stateAllZero(hash));
}

TEST(Sha1, ClassLevelQueriesWithAndWithoutInstance) {
    static_assert(Sha1::classGetHashSize() == 160 && Sha1::classGetId() == 2);
    static_assert(Hash::classGetHashSize() == -1 && Hash::classGetId() == -1);
    EXPECT_TRUE(Sha1::classSelfTest());

    const HashClass hashClass = hashClassOf<Sha1>();
    EXPECT_EQ(hashClass.getHashSize(), 160);
    const std::unique_ptr<Hash> hash = hashClass.create();
    EXPECT_EQ(hash->getId(), 2);
    EXPECT_EQ(hash->getAlgorithm(), "SHA1");
    EXPECT_EQ(hash->getHashSize(), 160);
    EXPECT_TRUE(hash->selfTest());
    EXPECT_FALSE(hash->initialized());
}

} // namespace
} // namespace kelvara
